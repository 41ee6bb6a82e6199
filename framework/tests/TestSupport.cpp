#include "TestSupport.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
UrlCatcher* theCatcher = nullptr;
const char* const kSchemes[] = {"file", "mailto", "http", "https"};
}  // namespace

UrlCatcher::UrlCatcher()
{
    theCatcher = this;
    for (const char* scheme : kSchemes)
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "openUrl");
}

UrlCatcher::~UrlCatcher()
{
    for (const char* scheme : kSchemes)
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    theCatcher = nullptr;
}

UrlCatcher* UrlCatcher::instance()
{
    return theCatcher;
}

QList<QUrl> UrlCatcher::takeUrls()
{
    QList<QUrl> urls;
    urls.swap(m_urls);
    return urls;
}

void UrlCatcher::openUrl(const QUrl& url)
{
    m_urls.append(url);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QVERIFY2(QDir().mkpath(QFileInfo(path).absolutePath()), qPrintable(path));
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

QByteArray styleXml(const QList<QPair<QString, QString>>& elements)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<applicationstyle>\n";
    for (const auto& element : elements) {
        xml += "  <" + element.first.toUtf8() + ">" + element.second.toHtmlEscaped().toUtf8() + "</"
               + element.first.toUtf8() + ">\n";
    }
    xml += "</applicationstyle>\n";
    return xml;
}

void usePrivateHome(const QTemporaryDir& home)
{
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/config")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path()));
}
