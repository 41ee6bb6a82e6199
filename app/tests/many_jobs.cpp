// A store of 500 jobs: the front page, the jobs slide and the job manager
// show them all and stay usable; the last job is reached by the strip's
// arrows and by scrolling the manager to its end.
#include "Driver.h"

#include <QQuickItem>

namespace {

int countOf(Driver& d, const QString& view)
{
    QQuickItem* list = d.findAny(view);
    d.require(list, view + QStringLiteral(" is missing"));
    return list->property("count").toInt();
}

void expectCount(Driver& d, const QString& view, int count)
{
    d.waitFor([&] { return countOf(d, view) == count; },
              QStringLiteral("%1 to hold %2 jobs (it holds %3)").arg(view).arg(count).arg(countOf(d, view)));
}

}  // namespace

int vp_driverScenario(Driver& d, const QStringList&)
{
    const int jobs = 500;
    d.window();
    d.click(QStringLiteral("skipIntro"));
    d.item(QStringLiteral("frontPage"));
    expectCount(d, QStringLiteral("frontJobList"), jobs);
    d.pause(800);
    d.shoot(QStringLiteral("01-front-page"));
    for (int i = 0; i < 6; ++i)
        d.click(QStringLiteral("navNext"));
    QQuickItem* strip = d.findAny(QStringLiteral("jobsNavigation"));
    d.waitFor([&] { return strip->property("currentIndex").toInt() == 6; }, QStringLiteral("the seventh job"));
    d.require(d.isVisible(QStringLiteral("navJob6")), QStringLiteral("the strip does not show the seventh job"));
    d.pause(800);
    d.shoot(QStringLiteral("02-front-page-seventh-job"));

    d.click(QStringLiteral("viewButton"));
    d.item(QStringLiteral("jobsSlide"));
    expectCount(d, QStringLiteral("slideJobList"), jobs);
    d.shoot(QStringLiteral("03-jobs-slide"));

    d.click(QStringLiteral("segment_JOB EDITOR"));
    QQuickItem* grid = d.item(QStringLiteral("jobsGrid"));
    expectCount(d, QStringLiteral("jobsGrid"), jobs);
    // Flicked upwards page by page in the gap between two columns of tiles,
    // where no tile takes the press.
    const double gap = grid->property("cellWidth").toDouble() * 2;
    for (int i = 0; i < 300 && !d.isVisible(QStringLiteral("jobTile_Job 0500")); ++i)
        d.drag(grid, QPointF(gap, grid->height() - 20), QPointF(gap, 20), 4);
    d.item(QStringLiteral("jobTile_Job 0500"), 5000);
    d.pause(500);
    d.shoot(QStringLiteral("04-job-manager-end"));
    return 0;
}
