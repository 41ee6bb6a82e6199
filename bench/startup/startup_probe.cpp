// The start-up probe: a copy of the program that reports, in milliseconds from
// the process's start, when the application and controller were ready, when
// main.qml was loaded and when the window swapped its first frame, then quits.
#include "Driver.h"

#include <cstdio>

int vp_driverScenario(Driver& driver, const QStringList&)
{
    driver.waitFor([] { return Driver::startupStage(QStringLiteral("frame")) >= 0; },
                   QStringLiteral("the first frame"));
    const char* page = driver.isVisible(QStringLiteral("intro1")) ? "intro"
                       : driver.isVisible(QStringLiteral("frontPage")) ? "front" : "other";
    fprintf(stdout, "probe ready=%lld loaded=%lld frame=%lld page=%s\n",
            static_cast<long long>(Driver::startupStage(QStringLiteral("ready"))),
            static_cast<long long>(Driver::startupStage(QStringLiteral("loaded"))),
            static_cast<long long>(Driver::startupStage(QStringLiteral("frame"))), page);
    return 0;
}
