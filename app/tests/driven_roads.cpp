// The roads a job takes beyond one target and one shot, through the
// program's window as a user works them: a job on two charts from two shots
// dropped at once, one profile from both and the quality of each; a job with
// two shots of one chart, the second chosen, shown and measured; a DCP from
// a tungsten and a daylight shot. A screenshot follows every step.
//   --keep DIR  keeps the screenshots in DIR
#include "Driver.h"
#include "DriverChecks.h"
#include "DriverCharts.h"
#include "DriverSteps.h"

#include "chart/PatchGrid.h"
#include "colour/Kirr_ColorProfileDCP.h"
#include "colour/Kirr_colorLibrary.h"
#include "controller/peltoQt.h"
#include "items/CppImageWidget.h"
#include "jobs/pq_Job.h"
#include "jobs/pq_targetInfo.h"
#include "jobs/pq_templatesFolder.h"
#include "platform/program_folders.h"
#include "widgets/pq_ImagePatchGridWidget.h"

#include <QFileInfo>
#include <QQmlPropertyMap>
#include <QQuickItem>
#include <QUrl>

#include <cmath>
#include <cstdio>
#include <memory>

namespace {

const char* const kReference = "/usr/share/color/argyll/ref/ColorChecker.cie";

QString number(double v) { return QString::number(v, 'f', 2); }

QString fileUrl(const QString& path) { return QUrl::fromLocalFile(path).toString(); }

// A further target added to a saved job in the job editor: the target asked
// for, the job saved over its file, back on the front page.
void addTarget(Driver& d, const QString& job, const QString& target, const QString& prefix)
{
    d.click(QStringLiteral("segment_JOB EDITOR"));
    d.item(QStringLiteral("manageJobs"));
    QQuickItem* tile = d.item(QStringLiteral("jobTile_") + job);
    QQuickItem* edit = nullptr;
    d.waitFor([&] { return (edit = d.findVisibleIn(tile, QStringLiteral("tileEdit"))) != nullptr; },
              QStringLiteral("the tile's EDIT"));
    d.pause(400);  // the tiles settle
    d.click(edit);
    d.item(QStringLiteral("selectTargets"));
    d.click(QStringLiteral("selectTarget_") + target);
    QQuickItem* ask = d.item(QStringLiteral("alertMultiTarget"));
    d.shoot(prefix + QStringLiteral("-multi-target-question"));
    d.click(d.itemIn(ask, QStringLiteral("alertOK")));
    d.waitFor([] { return currentJob().value(QStringLiteral("targetCount")).toInt() == 2; },
              QStringLiteral("the second target"));
    d.waitForFrame();
    d.shoot(prefix + QStringLiteral("-two-targets"));
    d.click(QStringLiteral("saveJob"));
    d.click(QStringLiteral("saveJobStart"));
    d.click(d.itemIn(d.item(QStringLiteral("alertJobExists")), QStringLiteral("alertOK")));
    d.item(QStringLiteral("frontPage"));
}

// The front page shows the target the next drop goes to.
void requireNextTarget(Driver& d, const QString& job, const QString& name, int index, const QString& shot)
{
    // The job's view is made anew when the job list is: looked up each time.
    const QString view = QStringLiteral("jobInfoView_") + job;
    auto part = [&](const QString& objectName) -> QQuickItem* {
        QQuickItem* shown = d.findVisible(view);
        return shown ? Driver::child(shown, objectName) : nullptr;
    };
    QString source;
    d.waitFor([&] {
        QQuickItem* label = part(QStringLiteral("nextTargetName"));
        QQuickItem* icon = part(QStringLiteral("nextTargetIcon"));
        source = icon ? icon->property("source").toString() : QString();
        return label && label->property("text").toString() == name
               && source.contains(QStringLiteral(".%1#").arg(index));
    }, QStringLiteral("the front page to show target %1, \"%2\" (its picture: %3)").arg(index + 1).arg(name, source));
    d.waitForFrame();
    d.shoot(shot);
}

// Presses the forward button until the run starts: NEXT walks the targets.
void startProfilingOverTargets(Driver& d, const QString& prefix)
{
    for (int i = 0; i < 4; ++i) {
        QQuickItem* forward = d.item(QStringLiteral("gridForward"));
        if (forward->property("text").toString() == QLatin1String("START PROFILING"))
            break;
        d.click(forward);
        d.pause(300);
    }
    pressStartProfiling(d, prefix);
}

// The grid page's (or quality page's) selector shows target index.
void chooseTarget(Driver& d, const QString& selector, const pq_Job* job, int index)
{
    QQuickItem* bar = d.item(selector);
    QQuickItem* cell = d.itemIn(bar, QStringLiteral("target%1").arg(index));
    d.click(cell);
    d.waitFor([&] { return job->currentTargetIndex() == index; },
              QStringLiteral("target %1 to be current").arg(index + 1));
}

// Two charts, two shots in one drop: each target gets its own shot and loads
// it, one profile is made from both, and quality control shows each target's.
void twoTargets(Driver& d, const ChartShot& checker, const ChartShot& fixture, const QString& folder)
{
    const QString name = QStringLiteral("Two charts");
    const QString checkerPath = folder + QStringLiteral("/Two charts checker.tif");
    const QString fixturePath = folder + QStringLiteral("/Two charts fixture.tif");
    d.require(checker.writeTiff(checkerPath) && fixture.writeTiff(fixturePath),
              QStringLiteral("cannot write the two charts' shots"));
    const QString jobPath = createJob(d, name, QStringLiteral("ColorChecker"), QStringLiteral("21"), false);
    addTarget(d, name, QStringLiteral("Fixture24"), QStringLiteral("21"));
    {
        const std::unique_ptr<pq_Job> stored = storedJob(d, jobPath);
        d.require(stored->targetInfos().size() == 2 && stored->targetInfos().at(1)->name == QLatin1String("Fixture24"),
                  QStringLiteral("the job file holds %1 targets").arg(stored->targetInfos().size()));
    }
    jobDropArea(d, name);
    requireNextTarget(d, name, QStringLiteral("ColorChecker"), 0, QStringLiteral("22-next-target-first"));
    // The view is looked up again: the job list may have made it anew.
    d.dropFiles(jobDropArea(d, name), {checkerPath, fixturePath});
    CppImageWidget* item = waitForGridPage(d);
    pq_Job* job = jobNamed(d, name);
    const pq_targetInfoList& targets = job->targetInfos();
    d.require(targets.at(0)->shots == QStringList{fileUrl(checkerPath)}
                  && targets.at(1)->shots == QStringList{fileUrl(fixturePath)},
              QStringLiteral("the drop gave the targets %1 and %2")
                  .arg(targets.at(0)->shots.join(QLatin1Char(',')), targets.at(1)->shots.join(QLatin1Char(','))));
    d.require(currentJob().value(QStringLiteral("alertWarningTitle")).toString().isEmpty(),
              QStringLiteral("a warning on the drop: %1")
                  .arg(currentJob().value(QStringLiteral("alertWarningMessage")).toString()));
    fprintf(stdout, "one drop of two shots: target 1 %s, target 2 %s\n", qPrintable(QFileInfo(checkerPath).fileName()),
            qPrintable(QFileInfo(fixturePath).fileName()));

    // Each target shows its own chart with the grid on it.
    const ChartShot* shots[2] = {&checker, &fixture};
    for (int t = 0; t < 2; ++t) {
        chooseTarget(d, QStringLiteral("gridSelector"), job, t);
        d.require(job->chartImagePath() == (t == 0 ? checkerPath : fixturePath),
                  QStringLiteral("target %1 shows %2").arg(t + 1).arg(job->chartImagePath()));
        requireGridAt(d, patchGrid(d, item), shownCorners(item, *shots[t]), 0.01 * diagonal(*shots[t]),
                      QStringLiteral("target %1").arg(t + 1));
        d.waitForFrame();
        d.shoot(QStringLiteral("23-grid-target-%1").arg(t + 1));
    }

    startProfilingOverTargets(d, QStringLiteral("24"));
    const QString profile = waitForProfile(d, QStringLiteral("24"));
    closeAlert(d, QStringLiteral("alertInformation"));
    d.item(QStringLiteral("qaTopBar"));
    // One profile from both charts: the figures over both, and each target's
    // patches under the pointer with their own reference.
    const QString shown = requireQualityFigures(d, profile, {&checker, &fixture});
    fprintf(stdout, "two-chart profile over both targets: %s\n", qPrintable(shown));
    QQmlPropertyMap& info = *peltoQt::instance()->qaPatchInfo();
    for (int t = 0; t < 2; ++t) {
        chooseTarget(d, QStringLiteral("qaSelector"), job, t);
        const ChartShot& shot = *shots[t];
        const QPointF centre = shot.cellCentre(2, 1);
        d.hover(item, item->engine()->imageToItem(centre.x(), centre.y()));
        const double want = shot.labs[std::size_t(shot.setAt(2, 1))][0];
        d.waitFor([&] {
            return info.value(QStringLiteral("visible")).toBool() && d.isVisible(QStringLiteral("patchInfo"))
                   && std::fabs(d.text(QStringLiteral("value_refL")).toDouble() - want) <= 0.051;
        }, QStringLiteral("target %1's patch to show its reference L %2").arg(t + 1).arg(want));
        fprintf(stdout, "target %d patch C3: reference L %s, through the profile L %s, delta E %s\n", t + 1,
                qPrintable(d.text(QStringLiteral("value_refL"))), qPrintable(d.text(QStringLiteral("value_profL"))),
                qPrintable(d.text(QStringLiteral("value_delE"))));
        d.waitForFrame();
        d.shoot(QStringLiteral("25-quality-target-%1").arg(t + 1));
        d.hover(item, QPointF(2, 2));
    }
    d.click(QStringLiteral("qaRestart"));
    d.item(QStringLiteral("frontPage"));
}

// Two shots of one chart in one drop: the first loads, the second is a
// further shot, told in a note; chosen in the selector it loads with its
// progress, and the grid and the profile are the second shot's.
void twoShots(Driver& d, const std::vector<ReferencePatch>& patches, const QString& folder)
{
    const QString name = QStringLiteral("Two shots");
    ChartShotSpec spec = roomySpec();
    const ChartShot first = referenceChartShot(spec, patches);
    spec.cell = 32;
    spec.margin = 110;
    // The second in a warmer light: its own camera values.
    const ChartShot second = referenceChartShot(spec, patches, {1.4, 0.95, 0.6});
    const QString firstPath = folder + QStringLiteral("/Shot one.tif");
    const QString secondPath = folder + QStringLiteral("/Shot two.tif");
    d.require(first.writeTiff(firstPath) && second.writeTiff(secondPath), QStringLiteral("cannot write the two shots"));
    createJob(d, name, QStringLiteral("ColorChecker"), QStringLiteral("31"), false);
    d.dropFiles(jobDropArea(d, name), {firstPath, secondPath});
    // The first shot loads to the grid page, where the note waits.
    CppImageWidget* item = waitForGridPage(d);
    d.item(QStringLiteral("alertInformation"));
    const QString told = currentJob().value(QStringLiteral("alertInformationMessage")).toString();
    d.require(told.contains(QLatin1String("Shot two.tif: shot 2 of target 1")),
              QStringLiteral("the note on the drop reads \"%1\"").arg(told));
    d.waitForFrame();
    d.shoot(QStringLiteral("32-further-shot-note"));
    closeAlert(d, QStringLiteral("alertInformation"));
    d.waitFor([] { return currentJob().value(QStringLiteral("alertInformationTitle")).toString().isEmpty(); },
              QStringLiteral("OK to close the note"));
    pq_Job* job = jobNamed(d, name);
    requireGridAt(d, patchGrid(d, item), shownCorners(item, first), 0.01 * diagonal(first),
                  QStringLiteral("the first shot"));
    d.waitForFrame();
    d.shoot(QStringLiteral("33-first-shot"));

    // The current target's number opens its shots; the second one is chosen.
    QQuickItem* selector = d.item(QStringLiteral("gridSelector"));
    d.click(d.itemIn(selector, QStringLiteral("targetNumber0")));
    QQuickItem* shotCell = d.itemIn(selector, QStringLiteral("shot1"));
    d.waitForFrame();
    d.shoot(QStringLiteral("34-shots-listed"));
    bool progressShown = false;
    d.click(shotCell);
    d.waitFor([&] {
        progressShown = progressShown || d.isVisible(QStringLiteral("shotLoading"));
        return !item->isLoadingShot() && item->shot() == fileUrl(secondPath);
    }, QStringLiteral("the second shot to load"), 120000);
    d.require(job->chartImagePath() == secondPath && job->chartRawImage().width() == second.image.width(),
              QStringLiteral("the job's chart is %1, %2 pixels wide")
                  .arg(job->chartImagePath()).arg(job->chartRawImage().width()));
    fprintf(stdout, "second shot: loading progress %s\n", progressShown ? "shown" : "not caught (a quick load)");
    d.require(item->shot() == fileUrl(secondPath), QStringLiteral("the item's shot is %1").arg(item->shot()));
    requireGridAt(d, patchGrid(d, item), shownCorners(item, second), 0.01 * diagonal(second),
                  QStringLiteral("the second shot"));
    // The selector marks the second shot as the current one.
    const QString listed = currentJob().value(QStringLiteral("currentTargetShots")).toString();
    const int marked = listed.indexOf(QLatin1String("current='true'"));
    d.require(marked >= 0 && listed.mid(marked, listed.indexOf(QLatin1String("</shot>"), marked) - marked)
                                 .contains(QLatin1String("Shot two")),
              QStringLiteral("the selector does not mark the second shot: %1").arg(listed));
    d.waitForFrame();
    d.shoot(QStringLiteral("35-second-shot"));

    // The profile is made from what the second shot measures.
    pressStartProfiling(d, QStringLiteral("36"));
    const QString profile = waitForProfile(d, QStringLiteral("36"));
    closeAlert(d, QStringLiteral("alertInformation"));
    d.item(QStringLiteral("qaTopBar"));
    const QString shown = requireQualityFigures(d, profile, second);
    std::vector<double> firstDifferences;
    const std::vector<cmsCIELab> throughFirst = labsThroughProfile(d, profile, first);
    for (std::size_t i = 0; i < throughFirst.size(); ++i) {
        const cmsCIELab reference{first.labs[i][0], first.labs[i][1], first.labs[i][2]};
        firstDifferences.push_back(cmsCIE2000DeltaE(&throughFirst[i], &reference, 1, 1, 1));
    }
    fprintf(stdout, "profile from the second shot: %s; the first shot through it: median %s CIEDE2000\n",
            qPrintable(shown), qPrintable(number(percentile(firstDifferences, 0.5))));
    d.waitForFrame();
    d.shoot(QStringLiteral("37-quality-second-shot"));
    d.click(QStringLiteral("qaRestart"));
    d.item(QStringLiteral("frontPage"));
}

// Two lights: a DCP job on a spectral chart with the camera illuminant
// "D65 + Std. Illuminant A"; a tungsten and a daylight DNG dropped one after
// the other, the front page showing the target each goes to; the job saved
// before profiling as the grid page does; each colour matrix fits its own
// light's shot.
void twoLights(Driver& d, const QString& folder)
{
    const QString name = QStringLiteral("Two lights");
    const QString reference = pq_templatesFolder() + QStringLiteral("/Spectral24.cie");
    const std::vector<ReferencePatch> patches = requireReferencePatches(d, reference, 6, 4);
    ChartShotSpec spec = roomySpec();
    const ChartShot tungsten = referenceChartShot(spec, patches, {1.5, 1.0, 0.45});
    spec.margin = 60;
    const ChartShot daylight = referenceChartShot(spec, patches, {0.8, 1.0, 1.2});
    const QString tungstenPath = folder + QStringLiteral("/Tungsten.dng");
    const QString daylightPath = folder + QStringLiteral("/Daylight.dng");
    d.require(tungsten.writeDng(tungstenPath) && daylight.writeDng(daylightPath),
              QStringLiteral("cannot write the two lights' shots"));
    const QString jobPath = createJob(d, name, QStringLiteral("Spectral24"), QStringLiteral("41"), true, [&] {
        chooseExpertValue(d, QStringLiteral("CAMERA"), QStringLiteral("cameraIlluminant"),
                          QStringLiteral("D65 + Std. Illuminant A"));
    });
    {
        const std::unique_ptr<pq_Job> stored = storedJob(d, jobPath);
        d.require(stored->jobExpertSettings().cameraIlluminantIndex() == 1,
                  QStringLiteral("the job file keeps the camera illuminant %1")
                      .arg(stored->jobExpertSettings().cameraIlluminantIndex()));
    }
    requireNextTarget(d, name, QStringLiteral("Spectral24"), 0, QStringLiteral("42-next-target-tungsten"));
    d.dropFiles(jobDropArea(d, name), {tungstenPath});
    d.waitFor([] { return currentJob().value(QStringLiteral("currentTarget")).toInt() == 1; },
              QStringLiteral("the second light's target to be next"), 120000);
    requireNextTarget(d, name, QStringLiteral("Spectral24"), 1, QStringLiteral("43-next-target-daylight"));
    d.require(!d.isVisible(QStringLiteral("gridPlacement")), QStringLiteral("the grid page opened after one light"));
    d.dropFiles(jobDropArea(d, name), {daylightPath});
    waitForGridPage(d);
    pq_Job* job = jobNamed(d, name);
    d.require(job->targetInfos().size() == 2 && job->targetInfos().at(1)->isClone
                  && job->targetInfos().at(0)->shots == QStringList{fileUrl(tungstenPath)}
                  && job->targetInfos().at(1)->shots == QStringList{fileUrl(daylightPath)},
              QStringLiteral("the lights' shots went to the wrong targets"));
    d.waitForFrame();
    d.shoot(QStringLiteral("44-grid-two-lights"));

    startProfilingOverTargets(d, QStringLiteral("45"));
    const QString written = waitForProfile(d, QStringLiteral("45"));
    d.require(written.endsWith(QLatin1String(".dcp")), QStringLiteral("the two-light job wrote %1").arg(written));
    std::unique_ptr<Kirr_ColorProfileIF> opened(Kirr_profileFromFile(written));
    auto* dcp = dynamic_cast<Kirr_ColorProfileDCP*>(opened.get());
    d.require(dcp && dcp->hasColorMatrix2() && dcp->calibrationIlluminant1() == 17 && dcp->calibrationIlluminant2() == 21,
              QStringLiteral("%1 is no DCP of Std. Illuminant A (17) and D65 (21)").arg(written));
    // Each matrix against its own light's shot and against the other's.
    const ChartShot* shots[2] = {&tungsten, &daylight};
    double own[2][2];
    double other[2];
    for (int m = 0; m < 2; ++m) {
        const std::vector<double> mine = differencesThroughDcp(d, written, *shots[m], m + 1);
        const std::vector<double> theirs = differencesThroughDcp(d, written, *shots[1 - m], m + 1);
        own[m][0] = percentile(mine, 0.5);
        own[m][1] = percentile(mine, 0.9);
        other[m] = percentile(theirs, 0.5);
        fprintf(stdout, "ColorMatrix%d (illuminant %d): its own shot median %s, 90%% %s; the other shot median %s "
                        "CIEDE2000\n", m + 1, m == 0 ? 17 : 21, qPrintable(number(own[m][0])),
                qPrintable(number(own[m][1])), qPrintable(number(other[m])));
    }
    for (int m = 0; m < 2; ++m)
        d.require(own[m][0] < 3.0 && own[m][1] < 6.0 && own[m][0] < other[m],
                  QStringLiteral("ColorMatrix%1 does not fit its own light: median %2, 90% %3, the other light's "
                                 "median %4")
                      .arg(m + 1).arg(number(own[m][0]), number(own[m][1]), number(other[m])));
    closeAlert(d, QStringLiteral("alertInformation"));
    d.item(QStringLiteral("qaTopBar"));
    d.waitForFrame();
    d.shoot(QStringLiteral("46-quality-two-lights"));
    d.click(QStringLiteral("qaRestart"));
    d.item(QStringLiteral("frontPage"));
}

}  // namespace

int vp_driverScenario(Driver& d, const QStringList& arguments)
{
    keepScreenshots(d, arguments);
    const std::vector<ReferencePatch> patches = requireReferencePatches(d, QString::fromLatin1(kReference), 6, 4);
    const QString folder = shotsFolder(d);
    ChartShotSpec spec = roomySpec();
    const ChartShot checker = referenceChartShot(spec, patches);
    ChartShotSpec fixtureSpec;
    fixtureSpec.cell = 36;
    fixtureSpec.margin = 70;
    const ChartShot fixture = makeChartShot(fixtureSpec);

    d.window();
    skipIntro(d);
    d.shoot(QStringLiteral("20-front-page"));
    twoTargets(d, checker, fixture, folder);
    twoShots(d, patches, folder);
    twoLights(d, folder);
    return 0;
}
