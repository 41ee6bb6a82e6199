// Image loading benchmark. Writes a CFA DNG and a large 16-bit RGB TIFF into a
// temporary folder, then prints how long the loader takes for each and how
// long their previews take: the DNG through Image::loadImage (with the time
// of its decoder's stages) and, when it is installed, through the dcraw
// program with the same options; the TIFF with the loader's shrinking.
//
//   image_load_bench [--dng WxH] [--tiff WxH]
//
// Defaults: a 6000 x 4000 (24 MP) DNG and a 12248 x 8166 (100 MP) TIFF.

#include <chart/Image.h>

#include "ImageFiles.h"

#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

bool g_quiet = false;

// The loader reports its steps as debug lines; they are dropped while timing.
void messageFilter(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtDebugMsg && g_quiet)
        return;
    std::fprintf(stderr, "%s\n", qPrintable(text));
}

struct Size {
    int width = 0;
    int height = 0;
};

bool parseSize(const char* text, Size& size)
{
    int w = 0, h = 0;
    char tail = 0;
    if (std::sscanf(text, "%dx%d%c", &w, &h, &tail) != 2 || w < 2 || h < 2 || w > 100000 || h > 100000)
        return false;
    size.width = w;
    size.height = h;
    return true;
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double megapixels(const Size& s)
{
    return double(s.width) * double(s.height) / 1e6;
}

// When the load's progress first reached each of the raw decoder's stage
// fractions: 0.06 once the raw data is read (processing starts), 0.92 once
// it is processed (writing the stored picture starts).
struct StageTimes {
    std::chrono::steady_clock::time_point start;
    double processStarts = -1;
    double writeStarts = -1;
};

void stageProgress(void* data, double fraction)
{
    auto* times = static_cast<StageTimes*>(data);
    if (fraction >= 0.06 && times->processStarts < 0)
        times->processStarts = secondsSince(times->start);
    if (fraction >= 0.92 && times->writeStarts < 0)
        times->writeStarts = secondsSince(times->start);
}

// Loads path through Image::loadImage, then builds the previews; false when
// the load fails.
bool timeLoad(const QString& path, Image& image, double& seconds, StageTimes* stages = nullptr,
              double* previewSeconds = nullptr)
{
    g_quiet = true;
    if (stages)
        image.setLoadHooks(&stageProgress, nullptr, stages);
    const auto start = std::chrono::steady_clock::now();
    if (stages)
        stages->start = start;
    const Image::imageLoadingE result = image.loadImage(path, false);
    seconds = secondsSince(start);
    if (result == Image::imageLoaded && previewSeconds) {
        const auto previewStart = std::chrono::steady_clock::now();
        image.createPixmapFromRawImage();
        *previewSeconds = secondsSince(previewStart);
    }
    image.setLoadHooks(nullptr, nullptr, nullptr);
    g_quiet = false;
    return result == Image::imageLoaded;
}

int benchDng(const QTemporaryDir& dir, const Size& size)
{
    const QString path = dir.filePath(QStringLiteral("cfa.dng"));
    const std::uint16_t rgb[3] = {12000, 30000, 18000};
    if (!writeDng(path, size.width, size.height, rgb, false)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    std::printf("DNG %d x %d (%.1f MP), 16-bit RGGB mosaic, %.1f MB\n", size.width, size.height,
                megapixels(size), double(QFile(path).size()) / 1e6);

    Image image;
    double seconds = 0, previews = 0;
    StageTimes stages;
    if (!timeLoad(path, image, seconds, &stages, &previews)) {
        std::fprintf(stderr, "Image::loadImage failed on %s\n", qPrintable(path));
        QFile::remove(path);
        return 1;
    }
    const RawImage& raw = image.rawImage();
    std::printf("  Image::loadImage:  %8.3f s  (stored %d x %d, full %d x %d)\n", seconds, raw.width(),
                raw.height(), raw.fullWidth(), raw.fullHeight());
    if (stages.processStarts >= 0 && stages.writeStarts >= stages.processStarts)
        std::printf("    reading the raw data %.3f s, processing %.3f s, the stored picture %.3f s\n",
                    stages.processStarts, stages.writeStarts - stages.processStarts,
                    seconds - stages.writeStarts);
    std::printf("  previews:          %8.3f s\n", previews);
    image = Image();

    const QString dcraw = QStandardPaths::findExecutable(QStringLiteral("dcraw"));
    if (dcraw.isEmpty()) {
        std::printf("  dcraw:             skipped (dcraw is not installed)\n");
    } else {
        QStringList arguments = QStringLiteral("-v -T -4 -o 0 -r 1 1 1 1").split(QLatin1Char(' '));
        arguments << path;
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        const auto start = std::chrono::steady_clock::now();
        process.start(dcraw, arguments);
        const bool finished = process.waitForFinished(-1);
        const double dcrawSeconds = secondsSince(start);
        const QString output = dir.filePath(QStringLiteral("cfa.tiff"));
        if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0
            || !QFile::exists(output)) {
            std::printf("  dcraw:             failed (exit code %d): %s\n", process.exitCode(),
                        process.readAll().trimmed().constData());
        } else {
            std::printf("  dcraw -T to file:  %8.3f s  (%.1f MB written)\n", dcrawSeconds,
                        double(QFile(output).size()) / 1e6);
        }
        QFile::remove(output);
    }
    QFile::remove(path);
    return 0;
}

int benchTiff(const QTemporaryDir& dir, const Size& size)
{
    const QString path = dir.filePath(QStringLiteral("rgb16.tif"));
    TiffSpec spec;
    spec.width = size.width;
    spec.height = size.height;
    spec.samples = 3;
    spec.bits = 16;
    spec.rowsPerStrip = 16;
    spec.value = [](int x, int y, int c) { return double((x * 37 + y * 11 + c * 5000) & 0xFFFF); };
    if (!writeTiff(path, spec)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        QFile::remove(path);
        return 1;
    }
    std::printf("TIFF %d x %d (%.1f MP), 16-bit RGB, %.1f MB\n", size.width, size.height, megapixels(size),
                double(QFile(path).size()) / 1e6);

    Image image;
    double seconds = 0, previews = 0;
    const bool loaded = timeLoad(path, image, seconds, nullptr, &previews);
    QFile::remove(path);
    if (!loaded) {
        std::fprintf(stderr, "Image::loadImage failed on %s\n", qPrintable(path));
        return 1;
    }
    const RawImage& raw = image.rawImage();
    std::printf("  Image::loadImage:  %8.3f s  (stored %d x %d, full %d x %d)\n", seconds, raw.width(),
                raw.height(), raw.fullWidth(), raw.fullHeight());
    std::printf("  previews:          %8.3f s\n", previews);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Size dng{6000, 4000};
    Size tiff{12248, 8166};
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--dng") == 0 && hasValue && parseSize(argv[i + 1], dng)) {
            ++i;
        } else if (std::strcmp(argv[i], "--tiff") == 0 && hasValue && parseSize(argv[i + 1], tiff)) {
            ++i;
        } else {
            std::fprintf(stderr, "usage: %s [--dng WxH] [--tiff WxH]\n", argv[0]);
            return 2;
        }
    }

    // The loader builds pixmaps, which need a GUI application; no display is used.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    qInstallMessageHandler(messageFilter);

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    int failures = benchDng(dir, dng);
    failures += benchTiff(dir, tiff);
    return failures == 0 ? 0 : 1;
}
