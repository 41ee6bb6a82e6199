// Chart image item benchmark: the time from a loaded chart image to the placed
// grid (the rotation search with its corner searches and quick profiles), on
// chart shots of 24 and 140 patches at the size the image loader keeps of a
// 24-megapixel shot (2000 pixels on the longer side), drawn upright and turned
// by 90 degrees. Prints the median and 95th percentile.
//
//   items_bench [--runs N] [--small]

#include "items/CppImageWidget.h"
#include "items/pq_ItemHost.h"

#include "ChartShot.h"
#include "QuietHost.h"
#include "widgets/pq_ImagePatchGridWidget.h"

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

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    int runs = 15;
    bool small = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--runs") && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--small"))
            small = true;
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
            std::sort(ms.begin(), ms.end());
            const auto at = [&](double p) {
                return ms[std::min(ms.size() - 1, std::size_t(p * double(ms.size() - 1) + 0.5))];
            };
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
