// Starts the scenario of a driven program once the application object exists.
// The screenshot folder is VP_DRIVER_SHOTS; the scenario's own arguments are
// VP_DRIVER_ARGS (blank-separated), so the program's arguments stay its own.

#include "Driver.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace {

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
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->objectName() == QLatin1String("mainWindow"))
            return true;
    }
    return false;
}

void startDriver()
{
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

Q_COREAPP_STARTUP_FUNCTION(startDriver)
