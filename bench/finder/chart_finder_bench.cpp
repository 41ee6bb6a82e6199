// Corner-finder benchmark.
//
//   chart_finder_bench [--scenes N] [--per-condition N] [--chart-free N]
//                      [--full-frames N] [--full-frame-size WxH] [--seed S]
//                      [--condition K] [--verbose] [--no-reference] [folder ...]
//
// Runs find_chart_corners on N seeded synthetic scenes of mixed conditions
// (default 520); then, per kind of condition, on a fixed-seed set of calm
// scenes with only that condition made hard (default 40 scenes each; with
// --condition K only the K-th of the table, from 0); then on
// scenes of every background without a chart (default 40), where any answer
// is a false positive; then on
// full camera frames (default 3 of 6000 x 4000) handed to the finder as they
// are, timed against the same frames reduced beforehand; and finally on
// every scene of the folders named: an 8-bit PNG (.png), TIFF (.tif, .tiff)
// or JPEG (.jpg, .jpeg) with a text file of the same name plus ".txt" beside
// it ("chart.jpg" -> "chart.jpg.txt") that holds, after optional '#' comment
// lines, the columns and the rows as the chart lies, then the true grid
// corners as four pairs "x y" of fractions of the width and the height, in
// the order top-left, top-right, bottom-left, bottom-right (anything after
// them, such as the first patch's corner, is not the finder's concern). Each
// image is first reduced as the image item does (whole factor
// max(1, shorter side / 500), nearest pixel).
//
// The finder is called as the image item calls it, with the chart's
// reference colours (the generated patches' own; a folder's scenes have
// none), unless --no-reference.
//
// A result is found when every corner lies within 1 % of the image diagonal
// of the truth; a wrong answer is a 0 result with a corner further off.
#include "engine/chart_finder.h"
#include "progress.h"
#include "scene.h"

#include <QImage>
#include <tiffio.h>
#ifdef VP_HAVE_PNG
#include <png.h>
#endif

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

struct tally {
    int scenes = 0, found = 0, failed = 0, wrong = 0;
    std::vector<double> ms;
    std::vector<double> error;  // every corner of every answer: distance from the truth, % of the diagonal
};

// The finder as the image item calls it: with the chart's reference colours
// where the scene knows them (unless --no-reference).
bool g_use_reference = true;

int find(const chart_scene &s, double *x, double *y)
{
    if (g_use_reference && s.reference.size() == size_t(s.columns) * size_t(s.rows) * 3)
        return find_chart_corners_with_reference(s.pixels.data(), s.width, s.height, x, y, 4,
                                                 s.columns, s.rows, s.reference.data());
    return find_chart_corners(s.pixels.data(), s.width, s.height, x, y, 4, s.columns, s.rows);
}

void run_one(const chart_scene &s, tally &t, bool verbose)
{
    double x[4] = {0, 1, 0, 1}, y[4] = {0, 0, 1, 1};
    const auto start = std::chrono::steady_clock::now();
    const int rc = find(s, x, y);
    const auto stop = std::chrono::steady_clock::now();
    t.ms.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    ++t.scenes;
    const double diag = std::hypot(s.width, s.height);
    double worst = 0;
    for (int k = 0; k < 4; ++k) {
        const double d = std::hypot((x[k] - s.x[k]) * s.width, (y[k] - s.y[k]) * s.height);
        worst = std::max(worst, d);
        if (rc == 0)
            t.error.push_back(100 * d / diag);
    }
    const char *what;
    if (rc != 0) {
        ++t.failed;
        what = "FAILED";
    } else if (worst <= 0.01 * diag) {
        ++t.found;
        what = nullptr;
    } else {
        ++t.wrong;
        what = "WRONG";
    }
    if (what && verbose)
        std::printf("  %-6s %s (corner off %.1f%% of the diagonal)\n", what, s.label.c_str(),
                    rc == 0 ? 100 * worst / diag : 0.0);
}

bool read_truth(const std::string &path, chart_scene &s)
{
    std::ifstream in(path);
    if (!in)
        return false;
    std::stringstream body;
    std::string line;
    while (std::getline(in, line))
        if (line.empty() || line[0] != '#')
            body << line << ' ';
    if (!(body >> s.columns >> s.rows))
        return false;
    for (int k = 0; k < 4; ++k)
        if (!(body >> s.x[k] >> s.y[k]))
            return false;
    return true;
}

bool read_tiff(const std::string &path, int &w, int &h, std::vector<uint32_t> &px)
{
    TIFF *tif = TIFFOpen(path.c_str(), "r");
    if (!tif)
        return false;
    uint32_t tw = 0, th = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &tw);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &th);
    bool ok = tw > 0 && th > 0 && tw <= 30000 && th <= 30000;
    std::vector<uint32_t> raster;
    if (ok) {
        raster.resize(size_t(tw) * th);
        ok = TIFFReadRGBAImageOriented(tif, tw, th, raster.data(), ORIENTATION_TOPLEFT, 0) == 1;
    }
    TIFFClose(tif);
    if (!ok)
        return false;
    w = int(tw);
    h = int(th);
    px.resize(raster.size());
    for (size_t i = 0; i < raster.size(); ++i) {
        const uint32_t v = raster[i];  // ABGR
        px[i] = 0xff000000u | (TIFFGetR(v) << 16) | (TIFFGetG(v) << 8) | TIFFGetB(v);
    }
    return true;
}

#ifdef VP_HAVE_PNG
bool read_png(const std::string &path, int &w, int &h, std::vector<uint32_t> &px)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_BGRA;  // little-endian 0xAARRGGBB
    px.resize(size_t(image.width) * image.height);
    if (!png_image_finish_read(&image, nullptr, px.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    w = int(image.width);
    h = int(image.height);
    return true;
}
#endif

bool read_jpeg(const std::string &path, int &w, int &h, std::vector<uint32_t> &px)
{
    const QImage image = QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        return false;
    w = image.width();
    h = image.height();
    px.resize(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        std::memcpy(px.data() + size_t(y) * size_t(w), image.constScanLine(y), size_t(w) * 4);
    return true;
}

bool ends_with(const std::string &s, const char *tail)
{
    const size_t n = std::strlen(tail);
    if (s.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - n + i])) != tail[i])
            return false;
    return true;
}

void run_folder(const std::string &folder, tally &t, bool verbose)
{
    DIR *dir = opendir(folder.c_str());
    if (!dir) {
        std::printf("cannot open folder %s\n", folder.c_str());
        return;
    }
    std::vector<std::string> names;
    while (dirent *e = readdir(dir))
        names.push_back(e->d_name);
    closedir(dir);
    std::sort(names.begin(), names.end());
    for (const auto &name : names) {
        const std::string path = folder + "/" + name;
        int w = 0, h = 0;
        std::vector<uint32_t> px;
        bool ok = false;
        if (ends_with(name, ".tif") || ends_with(name, ".tiff"))
            ok = read_tiff(path, w, h, px);
#ifdef VP_HAVE_PNG
        else if (ends_with(name, ".png"))
            ok = read_png(path, w, h, px);
#endif
        else if (ends_with(name, ".jpg") || ends_with(name, ".jpeg"))
            ok = read_jpeg(path, w, h, px);
        else
            continue;
        chart_scene s;
        if (!ok || !read_truth(path + ".txt", s)) {
            std::printf("skipped %s (unreadable image or truth file)\n", path.c_str());
            continue;
        }
        const int f = std::max(1, std::min(w, h) / 500);
        s.width = int(std::lround(double(w) / f));
        s.height = int(std::lround(double(h) / f));
        s.pixels.resize(size_t(s.width) * s.height);
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x)
                s.pixels[size_t(y) * s.width + x] =
                    px[size_t(std::min(h - 1, y * f)) * w + std::min(w - 1, x * f)];
        s.label = path;
        run_one(s, t, verbose);
    }
}

double percentile(std::vector<double> v, double p);

// Per-condition sets: calm scenes (slight turn, moderate size, even light,
// mild blur and noise, plain background) with one condition made hard.
enum condition {
    calm, rotation, perspective, scale_small, scale_large, clutter, uneven_light, noise,
    blur, under_exposed, over_exposed, no_border, frame_labels, fabric, fabric_two, carpet,
    printed_paper, text_strip, folder_grey, folder_colours, condition_count
};

const char *const kConditionNames[condition_count] = {
    "calm (reference)",
    "rotation 10..40 deg",
    "perspective 4..8 %",
    "scale small (span 0.18..0.28)",
    "scale large (span 0.88..0.97)",
    "clutter / texture",
    "uneven light + vignetting",
    "noise 6..12 levels",
    "blur sigma 1.5..3 px",
    "exposure -1 stop",
    "exposure +1 stop",
    "no border",
    "frame with labels, marks",
    "woven fabric, one thread colour",
    "woven fabric, two colours",
    "carpet",
    "printed paper",
    "light text blocks beside grid",
    "folder: grey page beside",
    "folder: second colour page",
};

// Small deterministic generator for the condition sets (the scene's own
// noise comes from scene_params::seed).
struct draw {
    uint64_t s;
    double uniform()
    {
        s += 0x9E3779B97F4A7C15ull;
        uint64_t z = s;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        return double(z >> 11) * (1.0 / 9007199254740992.0);
    }
    double range(double a, double b) { return a + (b - a) * uniform(); }
    int pick(int n) { return int(uniform() * n) % n; }
    double sign() { return uniform() < 0.5 ? -1.0 : 1.0; }
};

scene_params condition_params(uint64_t seed, int kind, int index)
{
    draw r{seed * 0x100000001B3ull + uint64_t(kind) * 7919u + uint64_t(index) * 104729u};
    // Frame sizes as the image item hands them over (whole-factor reduction
    // of camera frames to a shorter side near 500).
    static const int frames[][2] = {{750, 500}, {666, 500}, {684, 456}, {688, 458},
                                    {662, 442}, {752, 500}, {768, 576}, {960, 540}};
    static const int layouts[][2] = {{6, 4}, {4, 6}, {14, 10}, {12, 8}, {7, 5}, {9, 6}, {8, 12}};
    scene_params p;
    const int *f = frames[r.pick(8)];
    p.width = f[0];
    p.height = f[1];
    if (r.uniform() < 0.25)
        std::swap(p.width, p.height);
    const int *l = layouts[index % 7];
    p.columns = l[0];
    p.rows = l[1];
    p.gap = r.range(0.1, 0.2);
    p.border = true;
    p.margin = r.range(0.5, 1.0);
    p.body = r.range(20, 45);
    p.angle = r.range(-3, 3);
    p.span = r.range(0.5, 0.7);
    p.cx = r.uniform();
    p.cy = r.uniform();
    p.perspective = r.range(0, 0.01);
    p.background = 0;
    p.clutter = r.pick(3);
    p.ramp_x = r.range(-0.1, 0.1);
    p.ramp_y = r.range(-0.1, 0.1);
    p.vignette = r.range(0, 0.1);
    p.blur = r.range(0.4, 0.8);
    p.noise = r.range(1, 2);
    switch (kind) {
    case rotation: p.angle = r.sign() * r.range(10, 40); break;
    case perspective: p.perspective = r.range(0.04, 0.08); break;
    case scale_small: p.span = r.range(0.18, 0.28); break;
    case scale_large: p.span = r.range(0.88, 0.97); break;
    case clutter:
        p.background = 1 + r.pick(2);
        p.clutter = 20 + r.pick(21);
        break;
    case uneven_light:
        p.ramp_x = r.sign() * r.range(0.4, 0.6);
        p.ramp_y = r.sign() * r.range(0.4, 0.6);
        p.vignette = r.range(0.5, 0.8);
        break;
    case noise: p.noise = r.range(6, 12); break;
    case blur: p.blur = r.range(1.5, 3.0); break;
    case under_exposed: p.ev = -1; break;
    case over_exposed: p.ev = 1; break;
    case no_border: p.border = false; break;
    case frame_labels:
        p.frame = r.range(0.2, 0.5);
        p.labels = true;
        p.marks = r.uniform() < 0.5;
        break;
    case fabric:
    case fabric_two:
        // Threads a few pixels apart under a dark-grey chart body.
        p.background = kind == fabric ? background_fabric : background_fabric_two;
        p.texture = r.range(2.5, 6);
        p.body = r.range(50, 90);
        break;
    case carpet:
        p.background = background_carpet;
        p.texture = r.range(1.5, 4);
        break;
    case printed_paper:
        p.background = background_printed_paper;
        p.texture = r.range(5, 12);
        break;
    case text_strip: p.text_strip = true; break;
    case folder_grey:
    case folder_colours:
        // Either page may be the brighter one.
        p.second_page = kind == folder_grey ? page_grey : page_colours;
        p.page_light = r.uniform() < 0.5 ? r.range(0.35, 0.6) : r.range(1.0, 1.25);
        p.span = r.range(0.85, 0.95);
        break;
    default: break;
    }
    p.seed = uint64_t(r.uniform() * 9007199254740992.0) + 1;
    return p;
}

double median(std::vector<double> v);

void print_conditions(const tally (&t)[condition_count])
{
    int each = 0;
    for (int k = 0; k < condition_count; ++k)
        each = std::max(each, t[k].scenes);
    if (each == 0)
        return;
    std::printf("per condition (calm scenes, one condition made hard; %d scenes each):\n", each);
    std::printf("  %-32s %8s %6s %6s %11s %10s %10s\n", "condition", "found", "", "wrong",
                "err mean %", "err max %", "median ms");
    for (int k = 0; k < condition_count; ++k) {
        const tally &c = t[k];
        if (c.scenes == 0)
            continue;
        double mean = 0, worst = 0;
        for (double e : c.error) {
            mean += e;
            worst = std::max(worst, e);
        }
        if (!c.error.empty())
            mean /= double(c.error.size());
        std::printf("  %-32s %4d/%-3d %5.1f%% %6d %11.3f %10.3f %10.2f\n", kConditionNames[k],
                    c.found, c.scenes, 100.0 * c.found / c.scenes, c.wrong, mean, worst,
                    median(c.ms));
    }
    std::printf("  (found: every corner within 1%% of the diagonal; err: every corner of every\n"
                "   answer returned, as %% of the diagonal; wrong: 0 returned with a corner off)\n");
}

// Backgrounds alone, each asked for the chart its scene would have held.
int run_chart_free(uint64_t seed, int count, bool verbose)
{
    if (count <= 0)
        return 0;
    std::vector<double> ms;
    int false_positives = 0;
    chart_scene s;
    for (int i = 0; i < count; ++i) {
        scene_params p = chart_scene_params(seed + 1, i);
        p.chart = false;
        p.background = i % background_count;
        p.texture = p.background == background_printed_paper ? 5 + (i / 7) % 8 : 2.5 + (i / 7) % 8 * 0.5;
        if (i % 3 == 0)
            p.clutter = 15 + i % 20;
        render_chart_scene(p, s);
        double x[4] = {0, 1, 0, 1}, y[4] = {0, 0, 1, 1};
        const auto start = std::chrono::steady_clock::now();
        const int rc = find(s, x, y);
        const auto stop = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
        if (rc == 0) {
            ++false_positives;
            if (verbose)
                std::printf("  FALSE  %s\n", s.label.c_str());
        }
    }
    std::printf("scenes without a chart (every background): %d scenes\n", count);
    std::printf("  false positives (a chart reported): %d; time per image median %.2f ms\n",
                false_positives, median(ms));
    return false_positives;
}

// Full frames handed to the finder as they are, and the same frames reduced
// beforehand by the whole factor max(1, shorter side / 500), nearest pixel.
int run_full_frames(uint64_t seed, int frames, int width, int height, bool verbose)
{
    if (frames <= 0)
        return 0;
    tally full, reduced;
    bench_progress progress("full frames rendered and searched", verbose ? 0 : frames);
    for (int i = 0; i < frames; ++i) {
        scene_params p = condition_params(seed, calm, 1000 + i);
        p.width = width;
        p.height = height;
        // Camera-like sharpness and noise at full resolution.
        p.blur = 1.2;
        p.noise = 3;
        chart_scene s;
        render_chart_scene(p, s);
        run_one(s, full, verbose);
        const int f = std::max(1, std::min(width, height) / 500);
        chart_scene r = s;
        r.width = width / f;
        r.height = height / f;
        r.pixels.resize(size_t(r.width) * r.height);
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x)
                r.pixels[size_t(y) * r.width + x] = s.pixels[size_t(y * f) * width + x * f];
        // The truth is in fractions of the frame; the reduced frame drops up to
        // f - 1 pixels at the right and bottom edges.
        for (int k = 0; k < 4; ++k) {
            r.x[k] = s.x[k] * width / (double(r.width) * f);
            r.y[k] = s.y[k] * height / (double(r.height) * f);
        }
        run_one(r, reduced, verbose);
        progress.step();
    }
    progress.done();
    const double mp = double(width) * height / 1e6;
    const int f = std::max(1, std::min(width, height) / 500);
    std::printf("full frames %dx%d (%.1f megapixels), %d scenes:\n", width, height, mp, frames);
    std::printf("  the finder box-averages the frame by the whole factor %d to %dx%d and searches"
                " that\n", f, width / f, height / f);
    std::printf("  handed over whole: found %d, failed %d, wrong %d; time per image median %.2f ms,"
                " max %.2f ms\n",
                full.found, full.failed, full.wrong, median(full.ms), percentile(full.ms, 1.0));
    std::printf("  reduced beforehand to %dx%d (nearest pixel): found %d, failed %d, wrong %d;"
                " median %.2f ms\n",
                width / f, height / f, reduced.found, reduced.failed, reduced.wrong,
                median(reduced.ms));
    return full.wrong + reduced.wrong;
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t k = std::min(v.size() - 1, size_t(std::ceil(p * double(v.size()))) - (p > 0 ? 1 : 0));
    return v[k];
}

double median(std::vector<double> v)
{
    return percentile(std::move(v), 0.5);
}

void print(const char *title, const tally &t)
{
    if (t.scenes == 0)
        return;
    std::printf("%s: %d scenes\n", title, t.scenes);
    std::printf("  found (every corner within 1%% of the diagonal): %d (%.1f%%)\n", t.found,
                100.0 * t.found / t.scenes);
    std::printf("  failures reported as failures (-1):             %d\n", t.failed);
    std::printf("  wrong answers (a corner off, 0 returned):        %d\n", t.wrong);
    std::printf("  time per image: median %.2f ms, 95th percentile %.2f ms\n",
                percentile(t.ms, 0.5), percentile(t.ms, 0.95));
}

}  // namespace

int main(int argc, char **argv)
{
    int scenes = 520;
    uint64_t seed = 20240611;
    int per_condition = 40, chart_free = 40, full_frames = 3, full_width = 6000, full_height = 4000;
    bool verbose = false;
    int only_condition = -1;
    std::vector<std::string> folders;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--scenes") && i + 1 < argc)
            scenes = std::max(0, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--seed") && i + 1 < argc)
            seed = std::strtoull(argv[++i], nullptr, 10);
        else if (!std::strcmp(argv[i], "--per-condition") && i + 1 < argc)
            per_condition = std::max(0, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--chart-free") && i + 1 < argc)
            chart_free = std::max(0, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--full-frames") && i + 1 < argc)
            full_frames = std::max(0, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--full-frame-size") && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &full_width, &full_height) != 2 ||
                full_width < 16 || full_height < 16 || full_width > 16384 || full_height > 16384) {
                std::printf("--full-frame-size wants WxH, 16..16384 each\n");
                return 2;
            }
        } else if (!std::strcmp(argv[i], "--verbose"))
            verbose = true;
        else if (!std::strcmp(argv[i], "--no-reference"))
            g_use_reference = false;
        else if (!std::strcmp(argv[i], "--condition") && i + 1 < argc)
            only_condition = std::atoi(argv[++i]);
        else
            folders.push_back(argv[i]);
    }
    tally synthetic;
    chart_scene s;
    // Verbose runs print a line per miss instead.
    bench_progress progress("scenes rendered and searched",
                            verbose ? 0 : scenes + condition_count * per_condition);
    for (int i = 0; i < scenes; ++i) {
        make_chart_scene(seed, i, s);
        run_one(s, synthetic, verbose);
        progress.step();
    }
    tally conditions[condition_count];
    int wrong = synthetic.wrong;
    for (int k = 0; k < condition_count; ++k)
        for (int i = 0; i < (only_condition < 0 || only_condition == k ? per_condition : 0); ++i) {
            render_chart_scene(condition_params(seed, k, i), s);
            s.label = std::string(kConditionNames[k]) + ": " + s.label;
            run_one(s, conditions[k], verbose);
            progress.step();
        }
    progress.done();
    print("synthetic scenes", synthetic);
    print_conditions(conditions);
    for (const auto &c : conditions)
        wrong += c.wrong;
    wrong += run_chart_free(seed, chart_free, verbose);
    wrong += run_full_frames(seed, full_frames, full_width, full_height, verbose);
    tally photos;
    for (const auto &f : folders)
        run_folder(f, photos, verbose);
    print("scenes from folders", photos);
    // Wrong answers and false positives are the outcomes that must never occur.
    return wrong + photos.wrong == 0 ? 0 : 1;
}
