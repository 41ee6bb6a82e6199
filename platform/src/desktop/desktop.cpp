#include "platform/desktop.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

namespace platform {

namespace {

std::function<double()>& dpiSource()
{
    static std::function<double()> source;
    return source;
}

std::function<bool(const QString&)>& fileManagerShower()
{
    static std::function<bool(const QString&)> shower;
    return shower;
}

bool showThroughFileManager1(const QString& path)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace

double screenLogicalDpi()
{
    if (dpiSource())
        return dpiSource()();
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
        ? QGuiApplication::primaryScreen()
        : nullptr;
    return screen && screen->logicalDotsPerInchX() > 0 ? screen->logicalDotsPerInchX() : 96.0;
}

bool showInFileManager(const QString& path)
{
    if (fileManagerShower())
        return fileManagerShower()(path);
    const QFileInfo file(path);
    if (!file.exists())
        return false;
    if (showThroughFileManager1(file.absoluteFilePath()))
        return true;
    return openUrl(QUrl::fromLocalFile(file.absolutePath()));
}

bool openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

void setScreenLogicalDpiSource(std::function<double()> source)
{
    dpiSource() = std::move(source);
}

void setFileManagerShower(std::function<bool(const QString&)> shower)
{
    fileManagerShower() = std::move(shower);
}

}  // namespace platform
