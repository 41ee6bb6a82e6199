// What a user waits for in the program's window, timed through the window
// itself on a virtual X server: a shot dropped on the front page to the first
// frame showing the placed grid (a 24-megapixel 16-bit TIFF and a
// 24-megapixel DNG), a patch hovered on the quality-control page to the first
// frame showing its information (24 and 140 patches), and START PROFILING to
// the first frame of the progress page. Prints the median and 95th
// percentile of each in milliseconds.
//
//   window_bench [--runs N] [--hovers N] [--small] [--keep DIR]
#include "Driver.h"
#include "DriverCharts.h"
#include "DriverSteps.h"

#include "controller/peltoQt.h"
#include "items/CppImageWidget.h"
#include "platform/program_folders.h"
#include "widgets/pq_ImagePatchGridWidget.h"

#include <QDir>
#include <QFile>
#include <QQmlPropertyMap>
#include <QQuickItem>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

const char* const kReference = "/usr/share/color/argyll/ref/ColorChecker.cie";

struct Options {
    int runs = 5;
    int hovers = 40;
    bool small = false;
    QString keep;
};

Options parse(const QStringList& arguments)
{
    Options o;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--runs") && i + 1 < arguments.size())
            o.runs = std::max(1, arguments[++i].toInt());
        else if (a == QLatin1String("--hovers") && i + 1 < arguments.size())
            o.hovers = std::max(2, arguments[++i].toInt());
        else if (a == QLatin1String("--small"))
            o.small = true;
        else if (a == QLatin1String("--keep") && i + 1 < arguments.size())
            o.keep = arguments[++i];
    }
    return o;
}

void report(const char* what, std::vector<double> ms, const char* goal)
{
    std::sort(ms.begin(), ms.end());
    const double median = ms.size() % 2 ? ms[ms.size() / 2] : (ms[ms.size() / 2 - 1] + ms[ms.size() / 2]) / 2;
    const std::size_t at95 = std::size_t(std::max(0.0, std::ceil(0.95 * double(ms.size())) - 1));
    std::printf("%-52s %4zu runs  median %8.1f ms  p95 %8.1f ms  %s\n", what, ms.size(), median, ms[at95], goal);
    std::fflush(stdout);
}

// A fresh name for the same file each run, so that no stored grid placement
// of an earlier drop is restored.
QString freshName(Driver& d, const QString& path, int run)
{
    const QString link = QFileInfo(path).path() + QStringLiteral("/run%1-").arg(run) + QFileInfo(path).fileName();
    QFile::remove(link);
    d.require(::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()) == 0,
              QStringLiteral("cannot link %1").arg(link));
    return link;
}

bool gridShown(Driver& d)
{
    QQuickItem* page = d.findVisible(QStringLiteral("gridPlacement"));
    auto* item = qobject_cast<CppImageWidget*>(d.findVisible(QStringLiteral("imageWidget")));
    return page && item && item->isLastShot();
}

// Drops each run's shot on the job and times the first frame with the grid;
// back on the front page after each.
std::vector<double> timeDrops(Driver& d, const QString& job, const QString& shot, int runs)
{
    std::vector<double> ms;
    for (int run = 0; run < runs; ++run) {
        const QString path = freshName(d, shot, run);
        QQuickItem* area = jobDropArea(d, job);
        ms.push_back(double(d.timeToFrame([&] { d.dropFiles(area, {path}); }, [&] { return gridShown(d); },
                                          QStringLiteral("the placed grid"), 600000)));
        waitForGridPage(d);
        d.shoot(QStringLiteral("drop-%1").arg(run));
        d.click(QStringLiteral("gridBack"));
        d.item(QStringLiteral("frontPage"));
    }
    return ms;
}

// START PROFILING to the first frame of the progress page, then the run to
// its end and back to the grid.
std::vector<double> timeStarts(Driver& d, int runs)
{
    std::vector<double> ms;
    for (int run = 0; run < runs; ++run) {
        // A new profile name each run: no profile of that name exists yet.
        d.replaceText(QStringLiteral("profileName"), QStringLiteral("Bench run %1").arg(run));
        QQuickItem* forward = d.item(QStringLiteral("gridForward"));
        if (forward->property("text").toString() == QLatin1String("NEXT")) {
            d.click(forward);
            d.item(QStringLiteral("settingsView"));
        }
        forward = d.item(QStringLiteral("gridForward"));
        ms.push_back(double(d.timeToFrame([&] { d.click(forward); },
                                          [&] { return d.findVisible(QStringLiteral("profilingProgress")) != nullptr; },
                                          QStringLiteral("the progress page"))));
        waitForProfile(d, QString());
        closeAlert(d, QStringLiteral("alertInformation"));
        d.item(QStringLiteral("qaTopBar"));
        if (run + 1 < runs) {
            d.click(QStringLiteral("qaBack"));
            d.item(QStringLiteral("gridBottomBar"));
        }
    }
    return ms;
}

// Hovers two patches in turn on the quality-control page and times the first
// frame showing the hovered one's reference lightness.
std::vector<double> timeHovers(Driver& d, const ChartShot& shot, int hovers)
{
    CppImageWidget* item = imageItem(d);
    pq_ImagePatchGridWidget* engine = item->engine();
    QQmlPropertyMap& info = *peltoQt::instance()->qaPatchInfo();
    const int cells[2][2] = {{1, 1}, {shot.spec.columns - 2, shot.spec.rows - 2}};
    std::vector<double> ms;
    // The loader keeps a large shot at a reduced size.
    const double loaded = double(engine->pixmapSize().width()) / shot.image.width();
    for (int i = 0; i < hovers; ++i) {
        const int* cell = cells[i % 2];
        const QPointF at = shot.cellCentre(cell[0], cell[1]) * loaded;
        const double wantL = shot.labs[std::size_t(shot.setAt(cell[0], cell[1]))][0];
        const QPointF local = engine->imageToItem(at.x(), at.y()) + QPointF(i % 3, 0);
        ms.push_back(double(d.timeToFrame([&] { d.hover(item, local); }, [&] {
            return info.value(QStringLiteral("visible")).toBool()
                   && std::fabs(info.value(QStringLiteral("refL")).toDouble() - wantL) < 0.051;
        }, QStringLiteral("the patch information of cell %1,%2 at %3,%4 (L %5; shown: L %6 at %7,%8)")
               .arg(cell[0]).arg(cell[1]).arg(local.x()).arg(local.y()).arg(wantL)
               .arg(info.value(QStringLiteral("refL")).toString(), info.value(QStringLiteral("x")).toString(),
                    info.value(QStringLiteral("y")).toString()))));
    }
    d.shoot(QStringLiteral("hover-%1").arg(shot.spec.columns * shot.spec.rows));
    return ms;
}

ChartShot benchShot(Driver& d, int columns, int rows, const QString& referencePath, bool small)
{
    const std::vector<ReferencePatch> patches = readReferencePatches(referencePath);
    d.require(int(patches.size()) == columns * rows, QStringLiteral("%1 does not hold %2 patches")
                                                         .arg(referencePath).arg(columns * rows));
    ChartShotSpec spec;
    spec.columns = columns;
    spec.rows = rows;
    // About 24 megapixels: the chart fills most of a 3:2 frame.
    spec.cell = small ? 30 : (columns == 6 ? 820 : 350);
    spec.body = small ? 6 : 40;
    spec.margin = small ? 20 : (columns == 6 ? 400 : 300);
    return referenceChartShot(spec, patches);
}

}  // namespace

int vp_driverScenario(Driver& d, const QStringList& arguments)
{
    const Options o = parse(arguments);
    d.setScreenshotFolder(o.keep);
    const QString folder = QDir::homePath() + QStringLiteral("/Shots");
    d.require(QDir().mkpath(folder), QStringLiteral("cannot make %1").arg(folder));

    const ChartShot checker = benchShot(d, 6, 4, QString::fromLatin1(kReference), o.small);
    const QString tiff = folder + QStringLiteral("/ColorChecker.tif");
    const QString dng = folder + QStringLiteral("/ColorChecker.dng");
    d.require(checker.writeTiff(tiff) && checker.writeDng(dng), QStringLiteral("cannot write the shots"));
    const ChartShot many = benchShot(d, 14, 10, platform::templatesFolderPath() + QStringLiteral("/Patches140.cie"),
                                     o.small);
    const QString manyTiff = folder + QStringLiteral("/Patches140.tif");
    d.require(many.writeTiff(manyTiff), QStringLiteral("cannot write %1").arg(manyTiff));
    std::printf("shots: %dx%d (24 patches), %dx%d (140 patches), 16-bit TIFF and DNG\n", checker.image.width(),
                checker.image.height(), many.image.width(), many.image.height());
    std::fflush(stdout);

    skipIntro(d);
    createJob(d, QStringLiteral("Bench raw"), QStringLiteral("ColorChecker"), QString(), false);
    const std::vector<double> dngDrops = timeDrops(d, QStringLiteral("Bench raw"), dng, o.runs);
    createJob(d, QStringLiteral("Bench"), QStringLiteral("ColorChecker"), QString(), false);
    const std::vector<double> tiffDrops = timeDrops(d, QStringLiteral("Bench"), tiff, o.runs);

    d.dropFiles(jobDropArea(d, QStringLiteral("Bench")), {freshName(d, tiff, o.runs)});
    waitForGridPage(d, 600000);
    const std::vector<double> starts = timeStarts(d, o.runs);
    const std::vector<double> hovers24 = timeHovers(d, checker, o.hovers);
    d.click(QStringLiteral("qaRestart"));
    d.item(QStringLiteral("frontPage"));

    createJob(d, QStringLiteral("Bench 140"), QStringLiteral("Patches140"), QString(), false);
    d.dropFiles(jobDropArea(d, QStringLiteral("Bench 140")), {manyTiff});
    waitForGridPage(d, 600000);
    pressStartProfiling(d, QString());
    waitForProfile(d, QString());
    closeAlert(d, QStringLiteral("alertInformation"));
    d.item(QStringLiteral("qaTopBar"));
    const std::vector<double> hovers140 = timeHovers(d, many, o.hovers);

    std::printf("\n");
    report("drop to placed grid, 16-bit TIFF", tiffDrops, o.small ? "" : "(goal < 1500 ms)");
    report("drop to placed grid, DNG", dngDrops, o.small ? "" : "(goal median < 800 ms)");
    report("hover to patch information, 24 patches", hovers24, "(goal median < 16 ms, p95 < 33 ms)");
    report("hover to patch information, 140 patches", hovers140, "(goal median < 16 ms, p95 < 33 ms)");
    report("START PROFILING to the progress page", starts, "");
    return 0;
}
