// The Capture One road through the program's window: a job of the C1 kind,
// a raw shot of a camera without a film curve, the film-curve pages, TIFFs
// refused in words (unreadable, of another camera, of another chart), then
// the camera's own TIFF: its film curve written into the film-curves folder
// and a profile made through it. A second job of the same camera finds the
// curve and makes no other. A screenshot follows every step.
//   --keep DIR  keeps the screenshots in DIR
#include "Driver.h"
#include "DriverChecks.h"
#include "DriverCharts.h"
#include "DriverSteps.h"

#include "chart/Patch.h"
#include "chart/Target.h"
#include "colour/Kirr_BezierLut.h"
#include "colour/Kirr_ColorCurve.h"
#include "controller/peltoQt.h"
#include "items/CppImageWidget.h"
#include "jobs/pq_Job.h"
#include "platform/program_folders.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QQmlPropertyMap>
#include <QQuickItem>

#include <cmath>
#include <cstdio>
#include <memory>

namespace {

const char* const kReference = "/usr/share/color/argyll/ref/ColorChecker.cie";

// The raw converter's film curve the TIFF is developed with.
double filmCurve(double linear) { return std::pow(std::max(0.0, linear), 1.0 / 2.2); }

QString number(double v) { return QString::number(v, 'f', 3); }

QByteArray digest(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                                          : QByteArray();
}

// A job of the C1 kind: the DCP/C1 choice of the name form set to C1.
QString createC1Job(Driver& d, const QString& name, const QString& prefix)
{
    const QString path = createJob(d, name, QStringLiteral("ColorChecker"), prefix, false, {}, [&] {
        d.click(QStringLiteral("segment_C1"));
        d.waitFor([] { return currentJob().value(QStringLiteral("isC1InsteadOfDCP")).toBool(); },
                  QStringLiteral("the C1 choice"));
    });
    d.require(storedJob(d, path)->isC1InsteadOfDCP(), QStringLiteral("the job file of \"%1\" is no C1 job").arg(name));
    return path;
}

// The film-curve page's error alert with that text, closed again.
void requireRefusal(Driver& d, const QString& tiff, const QString& message, const QString& shot)
{
    d.dropFiles(d.item(QStringLiteral("filmCurveDropArea")), {tiff});
    QQuickItem* alert = d.item(QStringLiteral("filmCurveErrorAlert"));
    d.waitFor([&] { return d.text(QStringLiteral("alertMessage")) == message; },
              QStringLiteral("the refusal \"%1\" of %2 (it reads \"%3\")")
                  .arg(message, QFileInfo(tiff).fileName(), d.text(QStringLiteral("alertMessage"))));
    fprintf(stdout, "%s refused: \"%s\"\n", qPrintable(QFileInfo(tiff).fileName()), qPrintable(message));
    d.waitForFrame();
    d.shoot(shot);
    d.click(d.itemIn(alert, QStringLiteral("alertOk")));
    d.waitFor([&] { return !d.isVisible(QStringLiteral("filmCurveErrorAlert")); }, QStringLiteral("OK to close"));
    d.require(d.isVisible(QStringLiteral("filmCurveExtraction")),
              QStringLiteral("the page left after refusing %1").arg(tiff));
}

// Each grey patch's pair of levels, the TIFF's against the raw shot's
// (both as the mean of the three channels, 0..1), as the curve holds them.
void requireCurveOfGreys(Driver& d, const Kirr_ColorCurve& curve, const ChartShot& shot, const TargetIF* target)
{
    // The curve goes through (0, 0) and (1, 1) and rises in between.
    const int n = curve.pointCount(0);
    d.require(n >= 3, QStringLiteral("the film curve holds %1 points").arg(n));
    for (int i = 1; i < n; ++i)
        d.require(curve.pointX(0, i) > curve.pointX(0, i - 1) && curve.pointY(0, i) >= curve.pointY(0, i - 1),
                  QStringLiteral("the film curve falls between points %1 and %2").arg(i - 1).arg(i));
    d.require(curve.pointX(0, 0) == 0 && curve.pointY(0, 0) == 0 && curve.pointX(0, n - 1) == 1
                  && curve.pointY(0, n - 1) == 1,
              QStringLiteral("the film curve does not run from (0, 0) to (1, 1)"));
    // Raw levels are white-balanced by the target's channel factors, which
    // bring the greys to near neutral: 2 % of full scale on either axis.
    const double tolerance = 0.02;
    int greys = 0;
    for (int row = 0; row < shot.spec.rows; ++row)
        for (int column = 0; column < shot.spec.columns; ++column) {
            const std::size_t set = std::size_t(shot.setAt(column, row));
            if (!shot.controls[set].startsWith(QLatin1String("GB")))
                continue;
            double raw = 0;
            double developed = 0;
            for (int c = 0; c < 3; ++c) {
                const double linear = shot.devices[set][std::size_t(c)] / 65535.0;
                const double factor = target->hasChannelFactors(3) ? target->channelFactor(unsigned(c)) : 1.0;
                raw += std::min(1.0, linear * factor) / 3;
                developed += filmCurve(linear) / 3;
            }
            int nearest = 0;
            for (int i = 1; i < n; ++i)
                if (std::fabs(curve.pointX(0, i) - developed) < std::fabs(curve.pointX(0, nearest) - developed))
                    nearest = i;
            const double x = curve.pointX(0, nearest);
            const double y = curve.pointY(0, nearest);
            fprintf(stdout, "grey %s: TIFF %s raw %s, the curve's point (%s, %s)\n", qPrintable(shot.names[set]),
                    qPrintable(number(developed)), qPrintable(number(raw)), qPrintable(number(x)),
                    qPrintable(number(y)));
            d.require(std::fabs(x - developed) <= tolerance && std::fabs(y - raw) <= tolerance,
                      QStringLiteral("grey %1: the curve holds (%2, %3), the shot and TIFF (%4, %5)")
                          .arg(shot.names[set], number(x), number(y), number(developed), number(raw)));
            ++greys;
        }
    d.require(greys >= 4 && n == greys + 2, QStringLiteral("the curve holds %1 points for %2 greys").arg(n).arg(greys));
}

// The device values the profile takes: the patches' white-balanced raw
// values through the film curve read back from its file.
std::vector<std::array<double, 3>> developedValues(Driver& d, const QString& curvePath, const TargetIF* target)
{
    Kirr_ColorCurve curve(curvePath);
    curve.swapAxes(0);
    Kirr_BezierLut lut = curve.bezierLut(0);
    d.require(lut.build(), QStringLiteral("%1 gives no tone curve").arg(curvePath));
    std::vector<std::array<double, 3>> values;
    for (unsigned row = 0; row < target->rows(); ++row)
        for (unsigned column = 0; column < target->columns(); ++column) {
            const PatchIF* patch = target->patch(column, row);
            std::array<double, 3> v{};
            for (int c = 0; c < 3; ++c) {
                const double factor = target->hasChannelFactors(3) ? target->channelFactor(unsigned(c)) : 1.0;
                const double x = std::min(1.0, std::max(0.0, patch->value1(c) * factor / 65535.0));
                v[std::size_t(c)] = std::lround(std::min(1.0, std::max(0.0, lut.evaluate(x) * target->scaleFactor()))
                                                * 65535.0);
            }
            values.push_back(v);
        }
    return values;
}

}  // namespace

int vp_driverScenario(Driver& d, const QStringList& arguments)
{
    keepScreenshots(d, arguments);
    const std::vector<ReferencePatch> patches = requireReferencePatches(d, QString::fromLatin1(kReference), 6, 4);
    const QString folder = shotsFolder(d);
    const ChartShotSpec spec = roomySpec();
    // The camera's channels evened out on white, so that its greys are near neutral.
    const std::array<double, 3> white = chartShotCamera({100.0, 0.0, 0.0});
    const ChartShot shot = referenceChartShot(spec, patches, {white[1] / white[0], 1.0, white[1] / white[2]});
    const QString raw = folder + QStringLiteral("/Chart.dng");
    const QString developed = folder + QStringLiteral("/Chart.tif");
    const QString unreadable = folder + QStringLiteral("/Damaged.tif");
    const QString otherCamera = folder + QStringLiteral("/Other camera.tif");
    const QString otherChart = folder + QStringLiteral("/Other chart.tif");
    // Another chart of the same size from the same camera: its patches in
    // the opposite order, so that colours lie where the shot has its greys.
    const std::vector<ReferencePatch> reversed(patches.rbegin(), patches.rend());
    const ChartShot other = referenceChartShot(spec, reversed, {white[1] / white[0], 1.0, white[1] / white[2]});
    d.require(shot.writeDng(raw) && shot.writeDevelopedTiff(developed, filmCurve)
                  && shot.writeDevelopedTiff(otherCamera, filmCurve, "Othermaker", "Othermaker OM-2")
                  && other.writeDevelopedTiff(otherChart, filmCurve),
              QStringLiteral("cannot write the shots"));
    {
        QFile damaged(unreadable);
        d.require(damaged.open(QIODevice::WriteOnly) && damaged.write("II*\0damaged", 11) == 11,
                  QStringLiteral("cannot write %1").arg(unreadable));
    }
    const QString curves = platform::filmCurvesFolderPath();

    d.window();
    skipIntro(d);
    const QString name = QStringLiteral("Film curve");
    const QString jobPath = createC1Job(d, name, QStringLiteral("51"));
    const QByteArray jobBefore = digest(jobPath);

    // The raw shot of a camera without a film curve opens the film-curve pages.
    d.dropFiles(jobDropArea(d, name), {raw});
    d.waitFor([&] { return d.isVisible(QStringLiteral("filmCurveMissing")); },
              QStringLiteral("the page \"Film Curve Missing\""), 120000);
    d.require(mainTitle(d).contains(QLatin1String("Film Curve Missing")),
              QStringLiteral("the title reads \"%1\"").arg(mainTitle(d)));
    pq_Job* job = jobNamed(d, name);
    const QString camera = job->cameraName();
    QString base = camera;
    base.remove(QLatin1Char(' '));
    const QString curvePath = curves + QLatin1Char('/') + base + QStringLiteral(".xml");
    d.require(!QFileInfo::exists(curvePath), QStringLiteral("a film curve %1 before its TIFF").arg(curvePath));
    QQuickItem* missing = d.item(QStringLiteral("filmCurveMissingAlert"));
    d.waitForFrame();
    d.shoot(QStringLiteral("52-film-curve-missing"));
    d.click(d.itemIn(missing, QStringLiteral("alertOk")));
    d.item(QStringLiteral("filmCurveDropArea"));
    d.require(mainTitle(d).contains(QLatin1String("Extract Film Curve")),
              QStringLiteral("the title reads \"%1\"").arg(mainTitle(d)));
    d.waitForFrame();
    d.shoot(QStringLiteral("53-extract-film-curve"));

    // TIFFs that cannot give the curve are refused; nothing is written or lost.
    requireRefusal(d, unreadable, QStringLiteral("Could not read the Capture One TIFF!"),
                   QStringLiteral("54-unreadable-tiff"));
    requireRefusal(d, otherCamera, QStringLiteral("File is from wrong camera!"), QStringLiteral("54-other-camera"));
    requireRefusal(d, otherChart, QStringLiteral("File does not match the chart of the shot!"),
                   QStringLiteral("54-other-chart"));
    d.require(!QFileInfo::exists(curvePath) && QDir(curves).entryList(QDir::Files).isEmpty(),
              QStringLiteral("a refused TIFF left a film curve"));
    d.require(digest(jobPath) == jobBefore, QStringLiteral("a refused TIFF changed the job file"));
    d.require(job->chartImagePath() == raw && job->c1TifRawImage().sampleType() == 0,
              QStringLiteral("after the refusals the job holds %1 and a TIFF of type %2")
                  .arg(job->chartImagePath()).arg(job->c1TifRawImage().sampleType()));

    // The camera's own TIFF: its progress, the curve, the grid page.
    int progressSeen = -1;
    QList<int> progressSteps;
    // What the job reports, as the controller hands it to the page.
    const QMetaObject::Connection watch =
        QObject::connect(job, &pq_JobIF::chartC1TifProgress, [&](double) {
            const int shown = currentJob().value(QStringLiteral("C1TifProgress")).toInt();
            progressSteps.append(shown);
            // The page as it stands halfway, its bar bound to the value.
            if (progressSeen < 0 && shown >= 40 && shown <= 60 && d.isVisible(QStringLiteral("c1Progress"))) {
                progressSeen = shown;
                d.shoot(QStringLiteral("55-tiff-progress"));
            }
        });
    d.dropFiles(d.item(QStringLiteral("filmCurveDropArea")), {developed});
    d.waitFor([&] {
        return d.isVisible(QStringLiteral("gridPlacement")) && mainTitle(d).contains(QLatin1String("Place the Grid"));
    }, QStringLiteral("the grid page after the TIFF"), 120000);
    QObject::disconnect(watch);
    QStringList steps;
    for (int step : progressSteps)
        steps << QString::number(step);
    fprintf(stdout, "TIFF progress: %d reports from %d%% to %d%%, the bar taken at %d%%\n", int(progressSteps.size()),
            progressSteps.value(0, -1), progressSteps.value(progressSteps.size() - 1, -1), progressSeen);
    // The load reports from its start to its end, rising.
    bool rising = !progressSteps.isEmpty() && progressSteps.first() == 0 && progressSteps.last() == 100;
    for (int i = 1; i < progressSteps.size() && rising; ++i)
        rising = progressSteps[i] >= progressSteps[i - 1];
    d.require(rising && progressSteps.size() >= 3 && progressSeen >= 0,
              QStringLiteral("the TIFF's progress went %1, its bar %2")
                  .arg(steps.join(QLatin1Char(' ')), progressSeen >= 0 ? QStringLiteral("shown") : QStringLiteral("not shown")));
    CppImageWidget* item = waitForGridPage(d);
    d.waitFor([&] { return QFileInfo(curvePath).isFile(); }, QStringLiteral("the film curve %1").arg(curvePath));
    const Kirr_ColorCurve written(curvePath);
    const TargetIF* target = job->currentTarget();
    d.require(target != nullptr, QStringLiteral("the job has no current target"));
    requireCurveOfGreys(d, written, shot, target);
    requireGridAt(d, patchGrid(d, item), shownCorners(item, shot), 0.01 * diagonal(shot), QStringLiteral("the raw shot"));
    d.waitForFrame();
    d.shoot(QStringLiteral("56-grid-with-film-curve"));

    pressStartProfiling(d, QStringLiteral("57"));
    const QString profile = waitForProfile(d, QStringLiteral("57"));
    d.require(profile.endsWith(QLatin1String(".icc")), QStringLiteral("the C1 job wrote %1").arg(profile));
    closeAlert(d, QStringLiteral("alertInformation"));
    d.item(QStringLiteral("qaTopBar"));
    requireQualityFigures(d, labsThroughProfile(d, profile, developedValues(d, curvePath, target)), {&shot},
                          QStringLiteral("C1 profile through its film curve"));
    d.waitForFrame();
    d.shoot(QStringLiteral("58-quality"));
    d.click(QStringLiteral("qaRestart"));
    d.item(QStringLiteral("frontPage"));

    // A second job of that camera finds the curve: no page asks for a TIFF and
    // no other curve is made.
    const QByteArray curveBefore = digest(curvePath);
    const QString second = QStringLiteral("Film curve again");
    createC1Job(d, second, QStringLiteral("59"));
    d.dropFiles(jobDropArea(d, second), {raw});
    waitForGridPage(d);
    d.require(!d.isVisible(QStringLiteral("filmCurveMissing")) && !d.isVisible(QStringLiteral("filmCurveExtraction")),
              QStringLiteral("the second job asks for a film curve"));
    d.require(digest(curvePath) == curveBefore, QStringLiteral("the second job changed %1").arg(curvePath));
    d.require(QDir(curves).entryList(QDir::Files) == QStringList{QFileInfo(curvePath).fileName()}
                  && !QFileInfo::exists(curves + QStringLiteral("/Extracted")),
              QStringLiteral("the film-curves folder holds %1 and %2")
                  .arg(QDir(curves).entryList(QDir::Files).join(QLatin1Char(',')),
                       QDir(curves + QStringLiteral("/Extracted")).entryList(QDir::Files).join(QLatin1Char(','))));
    d.require(jobNamed(d, second)->toneCurveLut() != nullptr, QStringLiteral("the second job has no tone curve"));
    fprintf(stdout, "second job of %s: the curve %s is used, no other made\n", qPrintable(camera),
            qPrintable(QFileInfo(curvePath).fileName()));
    d.waitForFrame();
    d.shoot(QStringLiteral("60-second-job-grid"));
    return 0;
}
