// The program opens on the intro for a new user; "Skip and start profiling"
// leads to the front page, and the choice is kept for the next start.
#include "Driver.h"

#include <QQuickItem>

int vp_driverScenario(Driver& driver, const QStringList&)
{
    driver.window();
    driver.item(QStringLiteral("intro1"));
    driver.shoot(QStringLiteral("01-intro"));
    driver.click(QStringLiteral("skipIntro"));
    driver.item(QStringLiteral("frontPage"));
    driver.shoot(QStringLiteral("02-front-page"));
    return 0;
}
