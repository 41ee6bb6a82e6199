// Patch-grid widget benchmark. On chart shots of 24, 140 and 288 patches at
// the size the image loader keeps of a 24-megapixel shot (2000 pixels on the
// longer side), in a 1200 x 800 item, prints the median and 95th percentile of:
// a repaint with measurement on (as while a point is dragged, no quick profile
// due), a hover to its patchInfo, and doMeasurement with both patch orders and
// their quick profiles.
//
//   widgets_bench [--runs N] [--small]

#include "ShotScene.h"

#include "settings/pq_Settings.h"
#include "colour/Kirr_ColorProfileIF.h"
#include "colour/Kirr_colorLibrary.h"

#include <QDir>
#include <QGuiApplication>
#include <QHoverEvent>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Figures
{
    double median = 0;
    double p95 = 0;
};

Figures figures(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    if (ms.empty())
        return {};
    const auto at = [&](double p) { return ms[std::min(ms.size() - 1, std::size_t(p * (ms.size() - 1) + 0.5))]; };
    return {at(0.5), at(0.95)};
}

template <typename F> std::vector<double> timeRuns(int runs, F &&f)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        f(i);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return ms;
}

// The quality report goes to the standard error stream on every paint.
class QuietStderr
{
public:
    QuietStderr()
    {
        std::fflush(stderr);
        m_saved = dup(2);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 2);
        close(null);
    }
    ~QuietStderr()
    {
        std::fflush(stderr);
        dup2(m_saved, 2);
        close(m_saved);
    }

private:
    int m_saved = -1;
};

}  // namespace

int main(int argc, char **argv)
{
    int runs = 60;
    bool small = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--runs") && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--small"))
            small = true;
    }
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());
    QDir().mkpath(home.path() + QStringLiteral("/config"));
    QGuiApplication app(argc, argv);
    if (!Kirr_ensureStandardProfiles()) {
        std::fprintf(stderr, "widgets_bench: cannot write the standard profiles\n");
        return 1;
    }
    Kirr_setDisplayProfileSource([] {
        Kirr_DisplayProfileSource source;
        source.path = QStringLiteral("/usr/share/color/icc/colord/AdobeRGB1998.icc");
        return source;
    });
    std::unique_ptr<Kirr_ColorProfileIF> srgb(
        Kirr_profileFromFile(QStringLiteral("/usr/share/color/icc/colord/sRGB.icc")));

    struct Layout { int columns, rows; };
    const Layout layouts[] = {{6, 4}, {14, 10}, {24, 12}};
    std::printf("%-8s %-34s %10s %10s\n", "patches", "operation", "median ms", "p95 ms");
    for (const Layout &layout : layouts) {
        ChartShotSpec spec;
        spec.columns = layout.columns;
        spec.rows = layout.rows;
        spec.body = 20;
        const int longer = small ? 400 : 2000;
        spec.cell = (longer * 84 / 100) / layout.columns;
        spec.margin = (longer - spec.cell * layout.columns) / 2 - spec.body;
        spec.noise = 150;
        ShotScene scene(spec, QSizeF(1200, 800));
        pq_ImagePatchGridWidget &w = scene.owner.engine;
        w.setImageProfile(srgb.get());
        w.setGridMovable(true);
        w.setDeltaColorsEnabled(true);
        w.doMeasurement();
        w.setMeasurementEnabled(true);
        std::vector<double> repaint, hover, measure;
        {
            QuietStderr quiet;
            scene.owner.render();
            repaint = timeRuns(runs, [&](int) { scene.owner.render(); });
            int infos = 0;
            QObject::connect(&w, &pq_ImagePatchGridWidget::patchInfo, [&](bool show) { infos += show; });
            hover = timeRuns(runs * 10, [&](int i) {
                const int n = layout.columns * layout.rows;
                const int k = (i * 7919) % n;
                const QPointF at = scene.cellInItem(k % layout.columns, k / layout.columns);
                QHoverEvent event(QEvent::HoverMove, at, at, Qt::NoModifier);
                w.hoverMoveEvent(&event);
            });
            measure = timeRuns(small ? 1 : std::max(3, runs / 4), [&](int) { w.doMeasurement(); });
            if (infos != runs * 10)
                std::printf("warning: %d of %d hovers found their patch\n", infos, runs * 10);
        }
        const int patches = layout.columns * layout.rows;
        const Figures r = figures(repaint), h = figures(hover), m = figures(measure);
        std::printf("%-8d %-34s %10.2f %10.2f\n", patches, "repaint, measurement on", r.median, r.p95);
        std::printf("%-8d %-34s %10.3f %10.3f\n", patches, "hover to patchInfo", h.median, h.p95);
        std::printf("%-8d %-34s %10.2f %10.2f\n", patches, "doMeasurement, both orders", m.median, m.p95);
        std::printf("%-8s image %d x %d, item 1200 x 800, scale %.4f\n", "", scene.shot.image.width(),
                    scene.shot.image.height(), w.scaleFactor());
    }
    pq_Settings::destroyInstance();
    return 0;
}
