#include "AppTestSupport.h"

#include "UpdateCheck.h"
#include "settings/pq_Settings.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace {
const char* const kSchemes[] = {"file", "mailto", "http", "https"};
}  // namespace

void usePrivateHome(const QTemporaryDir& home)
{
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/config")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.path() + QStringLiteral("/cache")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path()));
}

QString settingsFilePath()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Vandrelith/pelto5.conf");
}

UrlCatcher::UrlCatcher()
{
    for (const char* scheme : kSchemes)
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "openUrl");
}

UrlCatcher::~UrlCatcher()
{
    for (const char* scheme : kSchemes)
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
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

UpdateGuard::UpdateGuard()
{
    setUpdateCheckStarter([this](QWidget*, KirrFramework*, const UpdateCheckRequest& request) {
        m_forced.append(request.forced);
    });
}

UpdateGuard::~UpdateGuard()
{
    // Nothing may reach the network after the guard is gone either.
    setUpdateCheckStarter([](QWidget*, KirrFramework*, const UpdateCheckRequest&) {});
}

QList<bool> UpdateGuard::takeRequests()
{
    QList<bool> requests;
    requests.swap(m_forced);
    return requests;
}

void ControllerStandIn::catchDeltaEThresholdsChanged()
{
    ++calls;
    upperThresholds.append(pq_Settings::instance()->colorDeltaEThresholdUpper());
}

void whenModal(std::function<void(QDialog*)> inspect)
{
    QTimer::singleShot(0, [inspect] {
        QPointer<QDialog> dialog;
        const bool shown = QTest::qWaitFor([&dialog] {
            dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            return dialog && dialog->isVisible();
        });
        if (!shown || !dialog) {
            QFAIL("no modal dialog showed");
            return;
        }
        inspect(dialog);
        if (dialog && dialog->isVisible())
            dialog->reject();
    });
}
