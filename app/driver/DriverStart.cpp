// Starts the scenario of a driven program once the application object exists.
// The screenshot folder is VP_DRIVER_SHOTS; the scenario's own arguments are
// VP_DRIVER_ARGS (blank-separated), so the program's arguments stay its own.

#include "Driver.h"

#include "app/pq_StartupStages.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHash>
#include <QQuickWindow>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <atomic>
#include <cstdio>

namespace {

QHash<QString, qint64>& stages()
{
    static QHash<QString, qint64> times;
    return times;
}

// Swapped on the render thread.
std::atomic<qint64> g_firstFrame{-1};

QQuickWindow* mainWindow()
{
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->objectName() == QLatin1String("mainWindow"))
            return qobject_cast<QQuickWindow*>(window);
    }
    return nullptr;
}

void recordStage(const char* stage)
{
    stages().insert(QString::fromLatin1(stage), Driver::sinceStart());
    if (qstrcmp(stage, "loaded") != 0)
        return;
    if (QQuickWindow* window = mainWindow()) {
        QObject::connect(window, &QQuickWindow::frameSwapped, [] {
            qint64 none = -1;
            g_firstFrame.compare_exchange_strong(none, Driver::sinceStart());
        });
    }
}

void runScenario()
{
    static Driver driver;
    driver.setScreenshotFolder(qEnvironmentVariable("VP_DRIVER_SHOTS"));
    const QStringList arguments =
        qEnvironmentVariable("VP_DRIVER_ARGS").split(QLatin1Char(' '), Qt::SkipEmptyParts);
    int status = 1;
    try {
        status = vp_driverScenario(driver, arguments);
    } catch (const DriverFailure& failure) {
        fprintf(stdout, "FAIL: %s\n", failure.what());
        try {
            driver.shoot(QStringLiteral("failure"));
        } catch (const DriverFailure&) {
        }
    }
    fflush(stdout);
    QCoreApplication::exit(status);
}

bool mainWindowExists()
{
    return mainWindow() != nullptr;
}

void startDriver()
{
    pq_setStartupObserver(recordStage);
    // The scenario runs inside the program's own event loop once main has
    // created the window; events processed earlier (during start-up) must
    // not start it.
    auto* poll = new QTimer(QCoreApplication::instance());
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, poll, [poll] {
        if (QThread::currentThread()->loopLevel() < 1 || !mainWindowExists())
            return;
        poll->stop();
        poll->deleteLater();
        runScenario();
    });
    poll->start();
}

}  // namespace

qint64 Driver::startupStage(const QString& stage)
{
    if (stage == QLatin1String("frame"))
        return g_firstFrame.load();
    return stages().value(stage, -1);
}

Q_COREAPP_STARTUP_FUNCTION(startDriver)
