// Chart image item benchmark: the time from a loaded chart image to the placed
// grid (the rotation search with its corner searches and quick profiles), on
// chart shots of 24 and 140 patches at the size the image loader keeps of a
// 24-megapixel shot (2000 pixels on the longer side), drawn upright and turned
// by 90 degrees. Prints the median and 95th percentile.
//
// With --shots, every shot of the folders named that has a sidecar
// ("NAME.jpg" -> "NAME.jpg.txt": columns and rows as the chart lies, its four
// lattice corners, "first K") goes the program's road after a drop: read by
// the image loader at its stored size, then the rotation search with corner
// searches and quick profiles for a 6 x 4 ColorChecker target. Each shot is
// found (every corner within 1 % of the diagonal and the first patch at its
// corner), wrong (placed otherwise) or not placed (the user is asked to place
// the grid); the last line sums them up for scripts. Any reader format
// works (JPEG, PNG, TIFF, camera raw). Exits 1 on a wrong placement (with
// --strict also on a shot not placed), 2 when a folder is missing or holds
// no shot.
//
//   items_bench [--runs N] [--small]
//   items_bench --shots DIR [DIR ...] [--strict]

#include "items/CppImageWidget.h"
#include "items/pq_ItemHost.h"

#include "ChartShot.h"
#include "QuietHost.h"
#include "ShotRoad.h"
#include "widgets/pq_ImagePatchGridWidget.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;


RawImage turnedBack90(const RawImage& in)
{
    const int w = in.width(), h = in.height(), ch = in.channels();
    RawImage out(h, w, ch, in.bitsPerSample());
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            for (int c = 0; c < ch; ++c)
                out.rowData16(y)[x * ch + c] = in.rowData16(x)[(w - 1 - y) * ch + c];
    return out;
}

double percentile(std::vector<double> ms, double p)
{
    if (ms.empty())
        return 0;
    std::sort(ms.begin(), ms.end());
    return ms[std::min(ms.size() - 1, std::size_t(p * double(ms.size() - 1) + 0.5))];
}

int runShots(const QStringList& folders, bool strict)
{
    int counts[4] = {0, 0, 0, 0};
    std::vector<double> ms;
    std::printf("%-34s %-10s %8s %9s %8s\n", "shot", "result", "rotation", "corner %", "ms");
    for (const QString& folder : folders) {
        const QStringList shots = shotsWithTruth(folder);
        if (shots.isEmpty()) {
            std::printf("no shot with a sidecar in %s\n", qPrintable(folder));
            return 2;
        }
        for (const QString& shot : shots) {
            ShotTruth truth;
            QString error;
            ShotOutcome outcome;
            if (!readShotTruth(shot + QStringLiteral(".txt"), &truth, &error))
                outcome.note = error;
            else
                outcome = runShotRoad(shot, truth);
            ++counts[int(outcome.verdict)];
            if (outcome.verdict != ShotVerdict::Unreadable)
                ms.push_back(outcome.ms);
            std::printf("%-34s %-10s %8d %9.2f %8.1f", qPrintable(QFileInfo(shot).fileName()),
                        shotVerdictName(outcome.verdict), outcome.rotation, outcome.worstCorner,
                        outcome.ms);
            if (!outcome.note.isEmpty())
                std::printf("  (%s)", qPrintable(outcome.note));
            std::printf("\n");
        }
    }
    const int total = counts[0] + counts[1] + counts[2] + counts[3];
    std::printf("loaded picture to placed grid: median %.1f ms, 95th percentile %.1f ms\n",
                percentile(ms, 0.5), percentile(ms, 0.95));
    if (counts[int(ShotVerdict::Unreadable)])
        std::printf("unreadable: %d\n", counts[int(ShotVerdict::Unreadable)]);
    std::printf("shots: %d, found: %d, wrong: %d, not placed: %d, median ms: %.0f\n", total,
                counts[int(ShotVerdict::Found)], counts[int(ShotVerdict::Wrong)],
                counts[int(ShotVerdict::NotPlaced)], percentile(ms, 0.5));
    const bool failed = counts[int(ShotVerdict::Wrong)] || counts[int(ShotVerdict::Unreadable)] ||
                        (strict && counts[int(ShotVerdict::NotPlaced)]);
    return failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    int runs = 15;
    bool small = false;
    QStringList folders;
    bool shots = false;
    bool strict = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--runs") && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--small"))
            small = true;
        else if (!std::strcmp(argv[i], "--shots"))
            shots = true;
        else if (!std::strcmp(argv[i], "--strict"))
            strict = true;
        else if (shots)
            folders.append(QString::fromLocal8Bit(argv[i]));
    }
    if (shots) {
        if (folders.isEmpty()) {
            std::printf("--shots wants one or more folders\n");
            return 2;
        }
        for (const QString& folder : folders)
            if (!QFileInfo(folder).isDir()) {
                std::printf("no folder %s\n", qPrintable(QDir::cleanPath(folder)));
                return 2;
            }
        return runShots(folders, strict);
    }
    QuietHost host;
    host.moreTargets = true;
    pq_ItemHost::setInstance(&host);
    struct Chart {
        int columns, rows;
    };
    std::printf("%-22s %10s %10s  rotation\n", "shot", "median ms", "p95 ms");
    for (const Chart chart : {Chart{6, 4}, Chart{14, 10}}) {
        for (const int angle : {0, 90}) {
            ChartShotSpec spec;
            spec.columns = chart.columns;
            spec.rows = chart.rows;
            const int longer = small ? 400 : 2000;
            spec.margin = longer / 16;
            spec.cell = (longer - 2 * spec.margin - 2 * spec.body) / chart.columns;
            const ChartShot shot = makeChartShot(spec);
            OneTargetJob job(QStringLiteral("Bench"));
            job.info.columns = spec.columns;
            job.info.rows = spec.rows;
            job.setTargetTexts(spec.columns, spec.rows, shot.definition, shot.reference);
            job.setChartImage(angle ? turnedBack90(shot.image) : shot.image);
            job.grid.setImageSize(QSize(shot.image.width(), shot.image.height()));
            job.grid.setGridSize(spec.rows, spec.columns);
            host.job = &job;
            CppImageWidget item;
            item.setSize(QSizeF(1200, 800));
            item.setJobByName(QStringLiteral("Bench"));
            std::vector<double> ms;
            for (int run = 0; run < runs; ++run) {
                const auto start = Clock::now();
                emit job.chartImageLoaded(true, QString());
                ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            }
            const auto at = [&](double p) { return percentile(ms, p); };
            char name[64];
            std::snprintf(name, sizeof name, "%d patches %dx%d %d", chart.columns * chart.rows,
                          shot.image.width(), shot.image.height(), angle);
            std::printf("%-22s %10.1f %10.1f  %d\n", name, at(0.5), at(0.95),
                        item.engine()->rotationAngle());
        }
    }
    pq_ItemHost::setInstance(nullptr);
    return 0;
}
