// Reads every measurement file of a bench-data folder and a set of real
// reference, spectrum and measurement files with the engine's CGATS reader,
// printing what each read gave and how long it took; then builds one ICC
// profile from one train.cie / train.pix pair into a temporary folder and
// prints the time of the build.
//
//   engine_bench [--repeat N] [--build SET] [BENCH_DATA]
//
// SET is a folder below BENCH_DATA holding train.cie and train.pix (default
// CMP-DT4/linraw-low, else the first such folder found). A missing file or
// folder is reported as "not found" and the run goes on.
#include "engine/cgats.h"
#include "engine/entries.h"
#include "engine/patch_set.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#ifndef VP_BENCH_DATA
#define VP_BENCH_DATA "bench-data"
#endif

namespace {

bool is_file(const std::string &p)
{
    struct stat st;
    return stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool is_dir(const std::string &p)
{
    struct stat st;
    return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool ends_with(const std::string &s, const char *tail)
{
    const size_t n = std::strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

std::vector<std::string> sorted_entries(const std::string &dir)
{
    std::vector<std::string> names;
    if (DIR *d = opendir(dir.c_str())) {
        while (dirent *e = readdir(d))
            if (e->d_name[0] != '.')
                names.push_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The .cie and .pix files below root, in name order.
void find_measurements(const std::string &root, std::vector<std::string> *out)
{
    for (const std::string &n : sorted_entries(root)) {
        const std::string p = root + "/" + n;
        if (is_dir(p))
            find_measurements(p, out);
        else if (ends_with(n, ".cie") || ends_with(n, ".pix"))
            out->push_back(p);
    }
}

// The first folder below root (itself included) holding a train pair.
std::string find_train_pair(const std::string &root)
{
    if (is_file(root + "/train.cie") && is_file(root + "/train.pix"))
        return root;
    for (const std::string &n : sorted_entries(root)) {
        const std::string p = root + "/" + n;
        if (is_dir(p)) {
            const std::string f = find_train_pair(p);
            if (!f.empty())
                return f;
        }
    }
    return {};
}

std::string sig_text(uint32_t sig)
{
    if (sig == 0)
        return "none";
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = char((sig >> shift) & 0xff);
        s += (c >= 0x20 && c < 0x7f) ? c : '?';
    }
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s.empty() ? "blank" : s;
}

std::string shown_name(const std::string &path, const std::string &root)
{
    if (!root.empty() && path.compare(0, root.size() + 1, root + "/") == 0)
        return path.substr(root.size() + 1);
    return path;
}

struct read_totals {
    int files = 0, failed = 0;
    long patches = 0;
    double seconds = 0;
};

// Reads one file `repeat` times; prints the last read's contents and the
// fastest read's time.
void read_one(const std::string &path, const std::string &shown, int repeat, read_totals *t)
{
    if (!is_file(path)) {
        std::printf("%-52s not found\n", shown.c_str());
        return;
    }
    double best = -1;
    engine_result rc = 0;
    patch_set set{};
    for (int r = 0; r < repeat; ++r) {
        patch_set_free(&set);
        patch_set_init(&set);
        const double t0 = now();
        rc = read_cgats_file(path.c_str(), &set);
        const double dt = now() - t0;
        if (best < 0 || dt < best)
            best = dt;
    }
    int bands = 0;
    for (int i = 0; rc == 0 && set.spectral && i < set.count && bands == 0; ++i)
        bands = engine_spectrum_count(set.patches[i].spectrum);
    std::printf("%-52s %7d %-6s %3d %-5s %5d %6d %10.3f\n", shown.c_str(), int(set.count),
                sig_text(set.data_space).c_str(), int(set.channels), sig_text(set.pcs).c_str(),
                bands, int(rc), best * 1e3);
    ++t->files;
    if (rc != 0)
        ++t->failed;
    else
        t->patches += set.count;
    t->seconds += best;
    patch_set_free(&set);
}

void remove_tree(const std::string &dir)
{
    for (const std::string &n : sorted_entries(dir)) {
        const std::string p = dir + "/" + n;
        if (is_dir(p))
            remove_tree(p);
        else
            unlink(p.c_str());
    }
    rmdir(dir.c_str());
}

// Builds one ICC profile (default settings: a LUT profile with an XYZ PCS)
// from a train pair. Returns false when the build failed.
bool build_one(const std::string &folder, const std::string &shown)
{
    char tmpl[] = "/tmp/vp_engine_bench_XXXXXX";
    if (!mkdtemp(tmpl)) {
        std::printf("build %-46s cannot create a temporary folder\n", shown.c_str());
        return false;
    }
    const std::string tmp = tmpl;
    const std::string out = tmp + "/bench.icc";
    calculation_settings cs{};
    cs.calculation_mode = 1;
    const double t0 = now();
    const int rc = create_profile_for_job(
        (folder + "/train.cie").c_str(), (folder + "/train.pix").c_str(), out.c_str(), 0, 0, 0,
        0, 1, 0, 0, 2, "Bench Camera", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &cs,
        tmp.c_str());
    const double dt = now() - t0;
    struct stat st;
    const long size = stat(out.c_str(), &st) == 0 ? long(st.st_size) : -1;
    std::printf("build %-46s result %d, %ld bytes, %.3f s\n", shown.c_str(), rc, size, dt);
    remove_tree(tmp);
    return rc == 0 && size > 0;
}

const char *const real_files[] = {
    "/usr/share/color/argyll/ref/ColorChecker.cie",
    "/usr/share/color/argyll/ref/QPcard_201.cie",
    "/usr/share/color/argyll/ref/SpyderChecker.cie",
    "/usr/share/color/argyll/ref/CMP_Digital_Target-4.cie",
    "/usr/share/color/argyll/ref/D50_1.0.sp",
    "/usr/share/color/argyll/ref/F1.sp",
    "/usr/share/color/icc/FOGRA39L.ti3",
};

}  // namespace

int main(int argc, char **argv)
{
    int repeat = 5;
    std::string root = VP_BENCH_DATA;
    std::string build_set;
    bool given_root = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--repeat" && i + 1 < argc) {
            repeat = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--build" && i + 1 < argc) {
            build_set = argv[++i];
        } else if (!a.empty() && a[0] == '-') {
            std::fprintf(stderr, "usage: engine_bench [--repeat N] [--build SET] [BENCH_DATA]\n");
            return 2;
        } else {
            root = a;
            given_root = true;
        }
    }
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();

    std::printf("%-52s %7s %-6s %3s %-5s %5s %6s %10s\n", "file", "patches", "space", "ch",
                "pcs", "bands", "result", "read ms");
    read_totals totals;

    const bool have_root = is_dir(root);
    if (!have_root) {
        std::printf("%-52s not found\n", root.c_str());
    } else {
        std::vector<std::string> files;
        find_measurements(root, &files);
        for (const std::string &f : files)
            read_one(f, shown_name(f, root), repeat, &totals);
    }

    for (const char *f : real_files)
        read_one(f, f, repeat, &totals);
    const std::string illuminants = "/usr/share/colord/illuminant";
    if (!is_dir(illuminants)) {
        std::printf("%-52s not found\n", illuminants.c_str());
    } else {
        for (const std::string &n : sorted_entries(illuminants))
            if (ends_with(n, ".sp"))
                read_one(illuminants + "/" + n, illuminants + "/" + n, repeat, &totals);
    }
    std::printf("read %d files (%d failed), %ld patches, %.3f ms (fastest of %d each)\n",
                totals.files, totals.failed, totals.patches, totals.seconds * 1e3, repeat);

    bool built = true;
    if (!have_root) {
        std::printf("build: no measurement sets in %s, so no profile build is timed\n",
                    root.c_str());
        if (!given_root)
            std::printf("(the CMake cache variable VP_BENCH_DATA_DIR names this folder)\n");
    } else {
        std::string folder;
        if (!build_set.empty())
            folder = root + "/" + build_set;
        else if (is_file(root + "/CMP-DT4/linraw-low/train.cie"))
            folder = root + "/CMP-DT4/linraw-low";
        else
            folder = find_train_pair(root);
        if (folder.empty() || !is_file(folder + "/train.cie") ||
            !is_file(folder + "/train.pix")) {
            std::printf("build %-46s not found\n",
                        folder.empty() ? "train.cie / train.pix" : shown_name(folder, root).c_str());
        } else {
            built = build_one(folder, shown_name(folder, root));
        }
    }
    return built ? 0 : 1;
}
