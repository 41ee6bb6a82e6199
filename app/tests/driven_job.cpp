// One whole job through the program's window, as a user works it: from the
// intro to a new job on a ColorChecker template, a dropped chart shot, the
// grid placed, zoomed, turned and moved, a profile made and checked on the
// quality-control page, back to the front page; then a raw shot of the same
// chart to a DNG camera profile. A screenshot follows every step.
//   --keep DIR  keeps the screenshots in DIR
#include "Driver.h"
#include "DriverChecks.h"
#include "DriverCharts.h"
#include "DriverSteps.h"
#include "DngRoad.h"

#include "chart/Patch.h"
#include "chart/PatchGrid.h"
#include "chart/Target.h"
#include "colour/Kirr_ColorProfileDCP.h"
#include "colour/Kirr_colorLibrary.h"
#include "controller/peltoQt.h"
#include "items/CppImageWidget.h"
#include "jobs/pq_Job.h"
#include "jobs/pq_targetInfo.h"
#include "platform/program_folders.h"
#include "widgets/pq_ImagePatchGridWidget.h"

#include <QDateTime>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QQmlPropertyMap>
#include <QQuickItem>
#include <QRegularExpression>
#include <QTransform>

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace {

const char* const kReference = "/usr/share/color/argyll/ref/ColorChecker.cie";
const char* const kTarget = "ColorChecker";
const char* const kJobName = "Studio & Co 1.5";

QString number(double v) { return QString::number(v, 'f', 2); }

// Step 3: the shot dropped on the job's drop area ends on the grid page with
// the grid on the chart.
CppImageWidget* dropShot(Driver& d, const QString& job, const QString& shotPath, const ChartShot& shot,
                         const QString& prefix)
{
    d.dropFiles(jobDropArea(d, job), {shotPath});
    bool progressShown = false;
    d.waitFor([&] {
        progressShown = progressShown || d.isVisible(QStringLiteral("dropProgress"));
        return d.isVisible(QStringLiteral("gridPlacement"));
    }, QStringLiteral("the grid page"), 120000);
    fprintf(stdout, "loading progress %s\n", progressShown ? "shown" : "not caught (a quick load)");
    CppImageWidget* item = waitForGridPage(d);
    d.require(currentJob().value(QStringLiteral("alertWarningTitle")).toString().isEmpty(),
              QStringLiteral("a warning on the drop: %1")
                  .arg(currentJob().value(QStringLiteral("alertWarningMessage")).toString()));
    requireGridAt(d, patchGrid(d, item), shownCorners(item, shot), 0.01 * diagonal(shot),
                  QStringLiteral("after the drop"));
    d.waitForFrame();
    d.shoot(prefix + QStringLiteral("-grid-placed"));
    return item;
}

// Step 5: START PROFILING to the progress page and "Successfully completed";
// returns the written profile's path.
QString makeProfile(Driver& d, const QString& prefix)
{
    pressStartProfiling(d, prefix);
    return waitForProfile(d, prefix);
}

// Step 4: zoom in and out, turn right and back, move a corner by a few pixels.
void workTheGrid(Driver& d, CppImageWidget* item, const ChartShot& shot)
{
    pq_ImagePatchGridWidget* engine = item->engine();
    PatchGridIF* grid = patchGrid(d, item);
    const double tolerance = 0.01 * diagonal(shot);
    const double fitted = engine->scaleFactor();

    d.click(QStringLiteral("zoomIn"));
    d.waitFor([&] { return engine->scaleFactor() > fitted * 1.01; }, QStringLiteral("the image to zoom in"));
    requireGridAt(d, grid, shownCorners(item, shot), tolerance, QStringLiteral("zoomed in"));
    d.waitForFrame();
    d.shoot(QStringLiteral("04-zoomed-in"));
    d.click(QStringLiteral("zoomOut"));
    d.waitFor([&] { return engine->scaleFactor() < fitted * 1.01; }, QStringLiteral("the image to zoom out"));
    requireGridAt(d, grid, shownCorners(item, shot), tolerance, QStringLiteral("zoomed out"));

    // Turned right, the chart's columns run down the picture: no 6 x 4 grid
    // fits it, and the grid takes the whole turned picture for the user to
    // place. Turned back, the grid is on the chart again.
    d.click(QStringLiteral("rotateRight"));
    d.waitFor([&] { return engine->rotationAngle() == 90; }, QStringLiteral("the image to turn right"));
    const double w = shot.image.height();
    const double h = shot.image.width();
    requireGridAt(d, grid, {QPointF(0, 0), QPointF(w, 0), QPointF(0, h), QPointF(w, h)}, tolerance,
                  QStringLiteral("turned right"));
    d.waitForFrame();
    d.shoot(QStringLiteral("04-turned-right"));
    d.click(QStringLiteral("rotateLeft"));
    d.waitFor([&] { return engine->rotationAngle() == 0; }, QStringLiteral("the image to turn back"));
    requireGridAt(d, grid, shownCorners(item, shot), tolerance, QStringLiteral("turned back"));

    // The top-left corner dragged by a few screen pixels, in one-pixel moves.
    const QPoint before = grid->controlPoint(0);
    const QPointF at = engine->imageToItem(before.x(), before.y());
    const QPointF by(9, 6);
    d.drag(item, at, at + by, 9);
    const double scale = engine->scaleFactor();
    const QPoint after = grid->controlPoint(0);
    const QPointF moved = after - before;
    const QPointF want = by / scale;
    d.require(std::hypot(moved.x() - want.x(), moved.y() - want.y()) <= 1.5,
              QStringLiteral("the corner moved by %1,%2 image pixels for a drag of %3,%4 at scale %5")
                  .arg(moved.x()).arg(moved.y()).arg(by.x()).arg(by.y()).arg(number(scale)));
    const std::array<QPointF, 4> corners = shownCorners(item, shot);
    requireGridAt(d, grid, {QPointF(after), corners[1], corners[2], corners[3]}, tolerance,
                  QStringLiteral("after the drag"));
    d.waitForFrame();
    d.shoot(QStringLiteral("04-corner-moved"));
}

// The current target's measured values (value set 1, 16-bit scale), one
// per cell in row order.
std::vector<std::array<double, 3>> measuredValues(Driver& d, CppImageWidget* item)
{
    TargetIF* target = item->job() ? item->job()->currentTarget() : nullptr;
    d.require(target != nullptr, QStringLiteral("the job has no current target"));
    std::vector<std::array<double, 3>> values;
    for (unsigned row = 0; row < target->rows(); ++row)
        for (unsigned column = 0; column < target->columns(); ++column) {
            const PatchIF* patch = target->patch(column, row);
            values.push_back({patch->value1(0), patch->value1(1), patch->value1(2)});
        }
    return values;
}

// Step 6: the quality-control page and its figures against Little CMS.
void checkQuality(Driver& d, const QString& profilePath, const ChartShot& shot)
{
    closeAlert(d, QStringLiteral("alertInformation"));
    d.item(QStringLiteral("qaTopBar"));
    d.item(QStringLiteral("qaBottomBar"));
    requireQualityFigures(d, labsThroughProfile(d, profilePath, measuredValues(d, imageItem(d))), {&shot},
                          QStringLiteral("quality through Little CMS"));
    d.waitForFrame();
    d.shoot(QStringLiteral("06-quality-control"));
}

// Step 7: a patch's information under the pointer, then the magnifier.
void hoverAndPick(Driver& d, const ChartShot& shot)
{
    CppImageWidget* item = imageItem(d);
    pq_ImagePatchGridWidget* engine = item->engine();
    const int column = 2;
    const int row = 1;
    const QPointF centre = shot.cellCentre(column, row);
    d.hover(item, engine->imageToItem(centre.x(), centre.y()));
    QQmlPropertyMap& info = *peltoQt::instance()->qaPatchInfo();
    d.waitFor([&] { return info.value(QStringLiteral("visible")).toBool(); }, QStringLiteral("the patch information"));
    d.item(QStringLiteral("patchInfo"));
    const std::array<double, 3> reference = shot.labs[std::size_t(shot.setAt(column, row))];
    const double shownL = d.text(QStringLiteral("value_refL")).toDouble();
    d.require(std::fabs(shownL - reference[0]) <= 0.051,
              QStringLiteral("the patch shows the reference L %1, not %2").arg(shownL).arg(reference[0]));
    for (const char* key : {"profL", "profA", "profB", "delE"})
        d.require(!d.text(QStringLiteral("value_") + QLatin1String(key)).isEmpty(),
                  QStringLiteral("the patch information has no %1").arg(QLatin1String(key)));
    d.item(QStringLiteral("overallDot"));
    d.waitForFrame();
    d.shoot(QStringLiteral("07-patch-info"));

    // A neutral patch shows its lightness and chroma dots too.
    const QPointF grey = shot.cellCentre(2, shot.spec.rows - 1);
    d.hover(item, engine->imageToItem(grey.x(), grey.y()));
    d.waitFor([&] { return info.value(QStringLiteral("isGrey")).toBool(); }, QStringLiteral("a neutral patch's information"));
    d.item(QStringLiteral("lightnessDot"));
    d.item(QStringLiteral("chromaDot"));
    d.waitForFrame();
    d.shoot(QStringLiteral("07-grey-patch-info"));

    d.click(QStringLiteral("picker"));
    const QPointF patch = shot.cellCentre(4, 0);
    d.hover(item, engine->imageToItem(patch.x(), patch.y()));
    d.waitFor([] { return peltoQt::instance()->qaColorPicker()->value(QStringLiteral("visible")).toBool(); },
              QStringLiteral("the colour picker"));
    QQuickItem* picker = d.item(QStringLiteral("colorPicker"));
    // The magnifier draws through its circular mask, not by itself.
    QQuickItem* zoomed = Driver::child(picker, QStringLiteral("zoomedArea"));
    d.require(zoomed && zoomed->width() > 0, QStringLiteral("the colour picker has no magnifier"));
    d.waitFor([&] { return d.text(QStringLiteral("pickerColour")).startsWith(QLatin1Char('#')); },
              QStringLiteral("the picked colour"));
    d.waitForFrame();
    d.shoot(QStringLiteral("07-magnifier"));
    d.click(QStringLiteral("picker"));
}

// Step 8: restart to the front page; the job file keeps the name and target.
void restart(Driver& d, const QString& jobPath, const QString& name, const QString& prefix)
{
    d.click(QStringLiteral("qaRestart"));
    d.item(QStringLiteral("frontPage"));
    d.waitForFrame();
    d.shoot(prefix + QStringLiteral("-front-page-again"));
    pq_Job stored{QString(), QString()};
    stored.readFromXML(jobPath);
    d.require(stored.lastReadOutcome().isWhole(),
              QStringLiteral("%1 reads back in part: %2").arg(jobPath, stored.lastReadOutcome().message));
    d.require(stored.getJobName() == name, QStringLiteral("the job file names \"%1\"").arg(stored.getJobName()));
    const pq_targetInfoList targets = stored.targetInfos();
    d.require(targets.size() == 1 && targets.first()->name == QLatin1String(kTarget),
              QStringLiteral("the job file holds %1 targets").arg(targets.size()));
    d.require(targets.first()->shots.isEmpty(), QStringLiteral("the job file keeps its shots"));
}

// The same shot again on the job: its profile exists, START PROFILING asks
// first, and RENAME leaves the page and the profile as they were.
void profileExists(Driver& d, const QString& job, const QString& shotPath, const QString& profile)
{
    const QDateTime written = QFileInfo(profile).lastModified();
    d.dropFiles(jobDropArea(d, job), {shotPath});
    waitForGridPage(d);
    QQuickItem* forward = d.item(QStringLiteral("gridForward"));
    if (forward->property("text").toString() == QLatin1String("NEXT")) {
        d.click(forward);
        d.item(QStringLiteral("settingsView"));
    }
    d.click(QStringLiteral("gridForward"));
    QQuickItem* alert = d.item(QStringLiteral("profileExistsAlert"));
    d.require(Driver::child(alert, QStringLiteral("alertTitle"))->property("text").toString()
                  == QLatin1String("SAVE PROFILE"),
              QStringLiteral("the existing profile's alert has another title"));
    d.waitForFrame();
    d.shoot(QStringLiteral("08-profile-exists"));
    d.click(d.itemIn(alert, QStringLiteral("alertCancel")));
    d.waitFor([&] { return !d.isVisible(QStringLiteral("profileExistsAlert")); }, QStringLiteral("RENAME to close the alert"));
    d.pause(300);
    d.require(!d.isVisible(QStringLiteral("profilingProgress")) && d.isVisible(QStringLiteral("gridBottomBar")),
              QStringLiteral("RENAME left the grid page"));
    d.require(QFileInfo(profile).lastModified() == written, QStringLiteral("RENAME changed %1").arg(profile));
    d.click(QStringLiteral("gridBack"));
    if (d.isVisible(QStringLiteral("settingsView")) || !d.isVisible(QStringLiteral("frontPage")))
        d.click(QStringLiteral("gridBack"));
    d.item(QStringLiteral("frontPage"));
}

// A second profile of the same job from a darker shot of the chart, then
// COMPARE PROFILE with the first: the figures become the first profile's own
// on this shot. A comparison profile damaged meanwhile clears every figure
// and says why.
void compareProfiles(Driver& d, const QString& job, const ChartShot& shot, const QString& shotFolder,
                     const QString& first)
{
    ChartShot darker = shot;
    const double exposure = 0.8;
    for (int y = 0; y < darker.image.height(); ++y)
        for (int x = 0; x < 3 * darker.image.width(); ++x) {
            quint16& v = darker.image.rowData16(y)[x];
            v = quint16(std::lround(v * exposure));
        }
    for (std::array<double, 3>& device : darker.devices)
        for (double& v : device)
            v = std::round(v * exposure);
    const QString path = shotFolder + QStringLiteral("/ColorChecker darker.tif");
    d.require(darker.writeTiff(path), QStringLiteral("cannot write %1").arg(path));
    dropShot(d, job, path, darker, QStringLiteral("11"));
    d.replaceText(QStringLiteral("profileName"), QStringLiteral("darker"));
    const QString second = makeProfile(d, QStringLiteral("11"));
    d.require(QFileInfo(second) != QFileInfo(first), QStringLiteral("the second profile overwrote %1").arg(first));
    closeAlert(d, QStringLiteral("alertInformation"));
    d.item(QStringLiteral("qaBottomBar"));
    CppImageWidget* item = imageItem(d);
    const std::vector<std::array<double, 3>> measured = measuredValues(d, item);
    d.require(std::fabs(measured[0][1] - darker.devices[0][1]) <= 2,
              QStringLiteral("the page measures %1, not the darker shot's %2")
                  .arg(measured[0][1]).arg(darker.devices[0][1]));
    requireQualityFigures(d, labsThroughProfile(d, second, measured), {&darker}, QStringLiteral("second profile"));
    const std::array<double, 3> own = shownFigures(d);
    d.require(QFileInfo(peltoQt::instance()->compareProfilePath()) == QFileInfo(first),
              QStringLiteral("COMPARE PROFILE offers \"%1\" (%2), not the first profile %3")
                  .arg(currentJob().value(QStringLiteral("compareProfileName")).toString(),
                       peltoQt::instance()->compareProfilePath(), first));
    d.waitForFrame();
    d.shoot(QStringLiteral("11-second-profile"));

    d.click(QStringLiteral("compareCheck"));
    d.waitFor([&] { return shownFigures(d) != own; }, QStringLiteral("the figures of the compared profile"));
    requireQualityFigures(d, labsThroughProfile(d, first, measured), {&darker}, QStringLiteral("compared with the first"));
    d.waitForFrame();
    d.shoot(QStringLiteral("11-compared"));

    // The first profile damaged on disk, then chosen again.
    d.click(QStringLiteral("compareCheck"));
    d.waitFor([&] { return shownFigures(d) == own; }, QStringLiteral("the second profile's figures again"));
    QFile damaged(first);
    d.require(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate) && damaged.write("damaged") == 7,
              QStringLiteral("cannot damage %1").arg(first));
    damaged.close();
    d.click(QStringLiteral("compareCheck"));
    const QString why = QStringLiteral("The profile '%1' cannot be opened.").arg(QFileInfo(first).fileName());
    d.waitFor([&] { return d.text(QStringLiteral("deltaStatistics")) == why; },
              QStringLiteral("the page to say why it has no figures"));
    d.require(d.text(QStringLiteral("deltaValue")).isEmpty(), QStringLiteral("the slider's figure stays"));
    d.require(!item->engine()->hasImageToLabMatch(), QStringLiteral("the patches keep their rating marks"));
    const QPointF centre = darker.cellCentre(2, 1);
    const QPointF at = item->engine()->imageToItem(centre.x(), centre.y());
    QQmlPropertyMap& info = *peltoQt::instance()->qaPatchInfo();
    d.hover(item, at);
    d.waitFor([&] {
        return std::abs(info.value(QStringLiteral("x")).toInt() - int(at.x())) <= 1
               && std::abs(info.value(QStringLiteral("y")).toInt() - int(at.y())) <= 1;
    }, QStringLiteral("the pointer over the patch to be reported"));
    d.pause(100);
    d.require(!info.value(QStringLiteral("visible")).toBool() && !d.isVisible(QStringLiteral("patchInfo")),
              QStringLiteral("a patch shows figures of no profile"));
    fprintf(stdout, "unopenable comparison: \"%s\"\n", qPrintable(why));
    d.waitForFrame();
    d.shoot(QStringLiteral("11-compare-unopenable"));
    d.click(QStringLiteral("compareCheck"));
    d.waitFor([&] { return shownFigures(d) == own; }, QStringLiteral("the second profile's figures again"));
    d.click(QStringLiteral("qaRestart"));
    d.item(QStringLiteral("frontPage"));
}

// A chart turned by 45 degrees, where the finder cannot tell columns from
// rows: the picture stays upright and whole in view with the grid over it,
// the user is told to place the grid, drags its corners onto the chart's,
// and the profile is still made.
void gridByHand(Driver& d, const QString& shotFolder)
{
    ChartShotSpec spec;
    spec.cell = 40;
    spec.margin = 90;
    spec.rotation = 45;
    const ChartShot shot = makeChartShot(spec);
    const QString path = shotFolder + QStringLiteral("/Turned chart.tif");
    d.require(shot.writeTiff(path), QStringLiteral("cannot write %1").arg(path));
    createJob(d, QStringLiteral("Studio by hand"), QStringLiteral("Fixture24"), QStringLiteral("10"), false);
    d.dropFiles(jobDropArea(d, QStringLiteral("Studio by hand")), {path});
    CppImageWidget* item = waitForGridPage(d);
    PatchGridIF* grid = patchGrid(d, item);
    QQuickItem* alert = d.item(QStringLiteral("alertWarning"));
    d.waitFor([&] { return alert->isVisible(); }, QStringLiteral("the user to be asked to place the grid"));
    d.require(Driver::child(alert, QStringLiteral("alertTitle"))->property("text").toString()
                  == QLatin1String("Place the grid"),
              QStringLiteral("the alert has another title"));
    d.waitForFrame();
    d.shoot(QStringLiteral("10-place-the-grid"));
    d.click(d.itemIn(alert, QStringLiteral("alertOk")));
    d.waitFor([&] { return !alert->isVisible(); }, QStringLiteral("OK to close the alert"));
    pq_ImagePatchGridWidget* engine = item->engine();
    d.require(engine->rotationAngle() == 0, QStringLiteral("the picture was left turned"));
    // The whole picture in sight, the grid's corners with it.
    const QRectF inSight(0, 0, item->width(), item->height());
    for (int i : {0, 2, 4, 6}) {
        const QPoint p = grid->controlPoint(i);
        d.require(inSight.contains(engine->imageToItem(p.x(), p.y())),
                  QStringLiteral("grid corner %1 out of sight").arg(i));
    }
    d.waitForFrame();
    d.shoot(QStringLiteral("10-grid-over-the-picture"));
    // Each grid corner onto the chart's corner of the same patch.
    const std::array<QPointF, 4> shown = shownCorners(item, shot);
    const int points[4] = {0, 2, 6, 4};
    for (int i = 0; i < 4; ++i) {
        const QPoint from = grid->controlPoint(points[i]);
        const QPointF to = shown[std::size_t(i)];
        d.drag(item, engine->imageToItem(from.x(), from.y()), engine->imageToItem(to.x(), to.y()), 40);
        d.require(std::hypot(grid->controlPoint(points[i]).x() - to.x(), grid->controlPoint(points[i]).y() - to.y())
                      <= 0.01 * diagonal(shot),
                  QStringLiteral("grid corner %1 did not follow the drag").arg(points[i]));
    }
    requireGridAt(d, grid, shown, 0.01 * diagonal(shot), QStringLiteral("placed by hand"));
    d.waitForFrame();
    d.shoot(QStringLiteral("10-placed-by-hand"));
    makeProfile(d, QStringLiteral("10"));
    closeAlert(d, QStringLiteral("alertInformation"));
    d.item(QStringLiteral("qaTopBar"));
    const QString figures = d.text(QStringLiteral("deltaStatistics")).simplified();
    const QRegularExpressionMatch mean =
        QRegularExpression(QStringLiteral("ΔE: [0-9.]+ / ([0-9.]+) / ([0-9.]+)")).match(figures);
    d.require(mean.hasMatch() && mean.captured(1).toDouble() < 1.0 && mean.captured(2).toDouble() < 2.0,
              QStringLiteral("the hand-placed grid's profile reads \"%1\"").arg(figures));
    fprintf(stdout, "hand-placed grid quality: %s\n", qPrintable(figures));
    d.waitForFrame();
    d.shoot(QStringLiteral("10-quality-control"));
    d.click(QStringLiteral("qaRestart"));
    d.item(QStringLiteral("frontPage"));
}

// The measured patches of the current target through the written DCP by the
// DNG road worked out from its tags (DngRoad.h), at the temperature the
// program gives the profile: Lab per cell in row order.
std::vector<cmsCIELab> labsThroughDngRoad(Driver& d, CppImageWidget* item, const QString& path)
{
    std::unique_ptr<Kirr_ColorProfileIF> opened(Kirr_profileFromFile(path));
    auto* dcp = dynamic_cast<Kirr_ColorProfileDCP*>(opened.get());
    d.require(dcp != nullptr, QStringLiteral("%1 does not open as a DNG camera profile").arg(path));
    dngroad::Tags tags;
    tags.colorMatrix1 = dcp->colorMatrix1();
    tags.illuminant1 = dcp->calibrationIlluminant1();
    if (dcp->hasColorMatrix2()) {
        tags.colorMatrix2 = dcp->colorMatrix2();
        tags.illuminant2 = dcp->calibrationIlluminant2();
    }
    tags.exposureOffset = dcp->baselineExposureOffset();
    const Kirr_ColorProfileIF* shown = item->engine()->imageProfile();
    d.require(shown && shown->isDCP(), QStringLiteral("the quality page measures through no DCP"));
    TargetIF* target = item->job()->currentTarget();
    d.require(target != nullptr, QStringLiteral("the raw job has no current target"));
    std::vector<dngroad::Vector3> camera, reference;
    for (unsigned row = 0; row < target->rows(); ++row)
        for (unsigned column = 0; column < target->columns(); ++column) {
            const PatchIF* patch = target->patch(column, row);
            camera.push_back({patch->value1(0) / 65535.0, patch->value1(1) / 65535.0, patch->value1(2) / 65535.0});
            reference.push_back({patch->referenceLab(0), patch->referenceLab(1), patch->referenceLab(2)});
        }
    std::vector<cmsCIELab> labs;
    for (const dngroad::Vector3& lab : dngroad::labs(tags, shown->temperature(), camera, reference))
        labs.push_back({lab[0], lab[1], lab[2]});
    return labs;
}

// The quality page of the raw job: its three figures and five hovered
// patches against the DNG road on the same measured values.
void checkRawQuality(Driver& d, const QString& path, const ChartShot& shot)
{
    CppImageWidget* item = imageItem(d);
    const std::vector<cmsCIELab> labs = labsThroughDngRoad(d, item, path);
    requireQualityFigures(d, labs, {&shot}, QStringLiteral("raw job quality through the DNG road"));
    const QString label = d.text(QStringLiteral("deltaLabel"));
    pq_ImagePatchGridWidget* engine = item->engine();
    QQmlPropertyMap& info = *peltoQt::instance()->qaPatchInfo();
    const int cells[5][2] = {{0, 0}, {2, 1}, {5, 1}, {3, 2}, {0, 3}};
    for (const auto& cell : cells) {
        const int column = cell[0], row = cell[1];
        const QPointF centre = shot.cellCentre(column, row);
        d.hover(item, engine->imageToItem(centre.x(), centre.y()));
        const QString at = QString::number(column) + QLatin1Char(',') + QString::number(row);
        d.waitFor([&] { return info.value(QStringLiteral("visible")).toBool(); },
                  QStringLiteral("the information of patch %1").arg(at));
        d.require(d.text(QStringLiteral("value_profL")) == info.value(QStringLiteral("profL")).toString(),
                  QStringLiteral("the patch information box of %1 shows another patch").arg(at));
        const std::size_t i = std::size_t(shot.setAt(column, row));
        const cmsCIELab reference{shot.labs[i][0], shot.labs[i][1], shot.labs[i][2]};
        const double shownL = info.value(QStringLiteral("profL")).toString().toDouble();
        const double shownA = info.value(QStringLiteral("profA")).toString().toDouble();
        const double shownB = info.value(QStringLiteral("profB")).toString().toDouble();
        const double shownE = info.value(QStringLiteral("delE")).toString().toDouble();
        const double ownE = deltaE(label, labs[i], reference);
        fprintf(stdout, "patch %s: page Lab %.1f %.1f %.1f dE %.1f, DNG road Lab %.2f %.2f %.2f dE %.2f\n",
                qPrintable(at), shownL, shownA, shownB, shownE, labs[i].L, labs[i].a, labs[i].b, ownE);
        d.require(sameShown(shownL, labs[i].L) && sameShown(shownA, labs[i].a) && sameShown(shownB, labs[i].b) &&
                      sameShown(shownE, ownE),
                  QStringLiteral("patch %1 shows Lab %2 %3 %4 dE %5; the DNG road gives %6 %7 %8 dE %9")
                      .arg(at).arg(shownL).arg(shownA).arg(shownB).arg(shownE)
                      .arg(number(labs[i].L), number(labs[i].a), number(labs[i].b), number(ownE)));
        d.waitForFrame();
        d.shoot(QStringLiteral("09-patch-") + QString::number(column) + QString::number(row));
    }
}

// The second job: a small DNG of the same chart ends with a DCP in the
// camera-profile folder.
void rawJob(Driver& d, const ChartShot& shot, const QString& shotFolder)
{
    const QString dngPath = shotFolder + QStringLiteral("/ColorChecker raw.dng");
    d.require(shot.writeDng(dngPath), QStringLiteral("cannot write %1").arg(dngPath));
    createJob(d, QStringLiteral("Studio raw"), QLatin1String(kTarget), QStringLiteral("09"), true);
    dropShot(d, QStringLiteral("Studio raw"), dngPath, shot, QStringLiteral("09"));
    const QString written = makeProfile(d, QStringLiteral("09"));
    d.require(written.endsWith(QLatin1String(".dcp")), QStringLiteral("the raw job wrote %1").arg(written));
    const QString folder = Kirr_cameraProfileFolder();
    d.require(!folder.isEmpty() && QFileInfo(written).absolutePath() == QDir(folder).absolutePath(),
              QStringLiteral("the DCP %1 is not in the camera-profile folder %2").arg(written, folder));
    closeAlert(d, QStringLiteral("alertInformation"));
    d.item(QStringLiteral("qaTopBar"));
    d.waitForFrame();
    d.shoot(QStringLiteral("09-quality-control"));
    checkRawQuality(d, written, shot);
    // The comparison offers the job's kind only (camera profiles), never the
    // one being judged.
    const QString offered = peltoQt::instance()->allProfiles()->value(QStringLiteral("list")).toString();
    d.require(!offered.contains(QLatin1String("Studio & Co")) &&
                  !offered.split(QLatin1Char('|')).contains(QFileInfo(written).completeBaseName()),
              QStringLiteral("the raw job offers \"%1\" for comparison").arg(offered));
    d.require(!d.findVisible(QStringLiteral("compareCheck"))->isEnabled() || !offered.isEmpty(),
              QStringLiteral("COMPARE PROFILE can be ticked with nothing to compare"));
    const std::array<double, 3> figures = shownFigures(d);
    d.require(figures[1] < 1.5 && figures[2] < 3.0,
              QStringLiteral("the DCP's matrices miss the reference: mean %1, 90% %2").arg(figures[1]).arg(figures[2]));
    d.click(QStringLiteral("qaRestart"));
    d.item(QStringLiteral("frontPage"));
}

}  // namespace

int vp_driverScenario(Driver& d, const QStringList& arguments)
{
    keepScreenshots(d, arguments);
    const std::vector<ReferencePatch> patches = requireReferencePatches(d, QString::fromLatin1(kReference), 6, 4);
    const ChartShotSpec spec = roomySpec();
    const ChartShot shot = referenceChartShot(spec, patches);
    const QString shotFolder = QDir::homePath() + QStringLiteral("/Shots");
    const QString shotPath = shotFolder + QStringLiteral("/ColorChecker shot.tif");
    d.require(QDir().mkpath(shotFolder) && shot.writeTiff(shotPath), QStringLiteral("cannot write %1").arg(shotPath));

    d.window();
    d.item(QStringLiteral("intro1"));
    d.shoot(QStringLiteral("01-intro"));
    skipIntro(d);
    d.shoot(QStringLiteral("01-front-page"));
    const QString name = QString::fromUtf8(kJobName);
    const QString jobPath = createJob(d, name, QLatin1String(kTarget), QStringLiteral("02"), false);
    CppImageWidget* item = dropShot(d, name, shotPath, shot, QStringLiteral("03"));
    workTheGrid(d, item, shot);
    // The grid back on the drawn corners, so the profile sees each patch whole.
    const QPoint moved = patchGrid(d, item)->controlPoint(0);
    const QPointF back = item->engine()->imageToItem(moved.x(), moved.y());
    const QPointF home = item->engine()->imageToItem(shot.corners[0].x(), shot.corners[0].y());
    d.drag(item, back, home, 9);
    const QString profile = makeProfile(d, QStringLiteral("05"));
    d.require(QFileInfo(profile).absolutePath().startsWith(QDir(Kirr_systemColorFolder()).absolutePath()),
              QStringLiteral("the profile %1 is not in the colour folder %2").arg(profile, Kirr_systemColorFolder()));
    checkQuality(d, profile, shot);
    hoverAndPick(d, shot);
    restart(d, jobPath, name, QStringLiteral("08"));
    profileExists(d, name, shotPath, profile);
    compareProfiles(d, name, shot, shotFolder, profile);
    rawJob(d, shot, shotFolder);
    gridByHand(d, shotFolder);
    return 0;
}
