// Corner-finder benchmark.
//
//   chart_finder_bench [--scenes N] [--seed S] [--verbose] [folder ...]
//
// Runs find_chart_corners on N seeded synthetic scenes (default 520) and on
// every scene of the folders named: an 8-bit PNG (.png) or TIFF (.tif,
// .tiff) with a text file of the same name plus ".txt" beside it
// ("chart.png" -> "chart.png.txt") that holds, after optional '#' comment
// lines, the columns and the rows, then the true grid corners as four pairs
// "x y" of fractions of the width and the height, in the order top-left,
// top-right, bottom-left, bottom-right. Each image is first reduced as the
// image item does (whole factor max(1, shorter side / 500), nearest pixel).
//
// A result is found when every corner lies within 1 % of the image diagonal
// of the truth; a wrong answer is a 0 result with a corner further off.
#include "engine/chart_finder.h"
#include "scene.h"

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
#include <vector>

namespace {

struct tally {
    int scenes = 0, found = 0, failed = 0, wrong = 0;
    std::vector<double> ms;
};

void run_one(const chart_scene &s, tally &t, bool verbose)
{
    double x[4] = {0, 1, 0, 1}, y[4] = {0, 0, 1, 1};
    const auto start = std::chrono::steady_clock::now();
    const int rc = find_chart_corners(s.pixels.data(), s.width, s.height, x, y, 4, s.columns, s.rows);
    const auto stop = std::chrono::steady_clock::now();
    t.ms.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    ++t.scenes;
    const double diag = std::hypot(s.width, s.height);
    double worst = 0;
    for (int k = 0; k < 4; ++k)
        worst = std::max(worst, std::hypot((x[k] - s.x[k]) * s.width, (y[k] - s.y[k]) * s.height));
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

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t k = std::min(v.size() - 1, size_t(std::ceil(p * double(v.size()))) - (p > 0 ? 1 : 0));
    return v[k];
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
    bool verbose = false;
    std::vector<std::string> folders;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--scenes") && i + 1 < argc)
            scenes = std::max(0, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--seed") && i + 1 < argc)
            seed = std::strtoull(argv[++i], nullptr, 10);
        else if (!std::strcmp(argv[i], "--verbose"))
            verbose = true;
        else
            folders.push_back(argv[i]);
    }
    tally synthetic;
    chart_scene s;
    for (int i = 0; i < scenes; ++i) {
        make_chart_scene(seed, i, s);
        run_one(s, synthetic, verbose);
    }
    print("synthetic scenes", synthetic);
    tally photos;
    for (const auto &f : folders)
        run_folder(f, photos, verbose);
    print("scenes from folders", photos);
    // Wrong answers are the one outcome that must never occur.
    return synthetic.wrong + photos.wrong == 0 ? 0 : 1;
}
