#include "StyleFile.h"

#include "Logging.h"

#include <QFile>
#include <QFileInfo>

namespace StyleFile {

QDomDocument emptyDocument()
{
    return QDomDocument(QStringLiteral("applicationstyle"));
}

namespace {

QDomDocument parse(QFile& file)
{
    QDomDocument document = emptyDocument();
    if (!document.setContent(&file)) {
        qCDebug(lcFrameworkStyle, "failed to parse %s", qUtf8Printable(file.fileName()));
        return emptyDocument();
    }
    return document;
}

}  // namespace

QDomDocument read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCDebug(lcFrameworkStyle, "failed to open %s", qUtf8Printable(path));
        return emptyDocument();
    }
    return parse(file);
}

QDomDocument readMain(const QString& appDir)
{
    QFile file(appDir + QStringLiteral("/Resources") + QStringLiteral("/style.xml"));
    if (!file.open(QIODevice::ReadOnly)) {
        file.setFileName(appDir + QStringLiteral("/style.xml"));
        if (!file.open(QIODevice::ReadOnly)) {
            qCDebug(lcFrameworkStyle, "failed to open %s", qUtf8Printable(file.fileName()));
            return emptyDocument();
        }
    }
    return parse(file);
}

QString element(const QDomDocument& document, const QString& name)
{
    for (QDomNode node = document.documentElement().firstChild(); !node.isNull();
         node = node.nextSibling()) {
        const QDomElement child = node.toElement();
        if (child.isNull() || child.tagName() != name)
            continue;
        const QString text = child.text();
        if (!text.isEmpty())
            return text;
    }
    return QString();
}

QString customElement(const QString& appDir, const QString& name, const QString& file)
{
    QString path = file;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!path.contains(QLatin1Char('/')))
        path = appDir + QStringLiteral("/Resources/") + file;
    // A folder or a pipe is no file of the style form (and a pipe would block).
    if (!QFileInfo(path).isFile())
        return QString();
    return element(read(path), name);
}

QString lookup(const QDomDocument& document, const QString& appDir, const QString& product,
               const QString& language, const QString& name)
{
    QString text = element(document, name);
    if (text.isEmpty())
        text = customElement(appDir, name, product + QLatin1Char('_') + language + QStringLiteral(".xml"));
    if (text.isEmpty())
        text = customElement(appDir, name, product + QStringLiteral("_en.xml"));
    return text;
}

}  // namespace StyleFile
