// ICC and DCP writer timings: the median time of writing a camera profile
// into a buffer and into a file, for version 2 (lut16) and version 4 ('mAB ')
// tables, the fixed version 2 template, and a two-illuminant DCP. Prints the
// profile sizes too. Options: --repeats N, --grid N, --smoke (tiny grid, few
// repeats, for CI).
#include "engine/colour_maths.h"
#include "engine/dcp_writer.h"
#include "engine/icc_writer.h"
#include "engine/patch_set.h"
#include "engine/profile_tables.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

uint16_t word(double v)
{
    return uint16_t(std::lround(std::min(65535.0, std::max(0.0, v))));
}

// A gamma 2.2 RGB space with sRGB-like primaries (D50-adapted), as the CIE
// colour of each CLUT node.
void node_xyz(const double rgb[3], double xyz[3])
{
    static const double m[9] = {0.4361, 0.3851, 0.1431, 0.2225, 0.7169,
                                0.0606, 0.0139, 0.0971, 0.7141};
    double lin[3];
    for (int c = 0; c < 3; ++c)
        lin[c] = std::pow(rgb[c], 2.2);
    for (int r = 0; r < 3; ++r)
        xyz[r] = m[3 * r] * lin[0] + m[3 * r + 1] * lin[1] + m[3 * r + 2] * lin[2];
}

// Fills an RGB CLUT, first input slowest, in the PCS encoding of the table:
// XYZ as 1.15 fixed, Lab in the version 2 (lut16) or version 4 encoding.
void fill_clut(uint16_t *clut, int grid, uint32_t pcs, bool version2_lab)
{
    size_t k = 0;
    for (int r = 0; r < grid; ++r)
        for (int g = 0; g < grid; ++g)
            for (int b = 0; b < grid; ++b) {
                const double rgb[3] = {r / double(grid - 1), g / double(grid - 1),
                                       b / double(grid - 1)};
                double xyz[3];
                node_xyz(rgb, xyz);
                if (pcs == SIG_XYZ) {
                    for (double v : xyz)
                        clut[k++] = word(v * 32768.0);
                    continue;
                }
                double lab[3];
                cm_xyz_to_lab(xyz, cm_d50_white, lab);
                encode_lab16_words(lab, version2_lab, &clut[k]);
                k += 3;
            }
}

// Tables of an RGB camera profile with the writer bound to them.
struct camera_tables {
    profile_tables tables {};
    icc_writer writer {};
    engine_result init = 0;

    camera_tables(bool use_mab, uint32_t pcs, int grid)
    {
        tables.colour_space = SIG_RGB;
        tables.pcs = pcs;
        tables.device_class = ICC_CLASS_INPUT;
        std::snprintf(tables.description, sizeof tables.description, "%s",
                      "Bench camera, daylight");
        mab_table &mab = tables.a2b0_mab;
        lut_table &lut = tables.a2b0_lut;
        if (use_mab) {
            mab.present = 1;
            mab.grid_points = uint8_t(grid);
        } else {
            lut.present = 1;
            lut.type = ICC_TYPE_LUT16;
            lut.grid_points = uint8_t(grid);
        }
        init = icc_writer_init_from_tables(&writer, nullptr, &tables, true);
        if (init != 0)
            return;
        const float white[3] = {0.9642f, 1.0f, 0.8249f};
        std::memcpy(tables.media_white, white, sizeof white);
        const float red[3] = {0.4361f, 0.2225f, 0.0139f};
        const float green[3] = {0.3851f, 0.7169f, 0.0971f};
        const float blue[3] = {0.1431f, 0.0606f, 0.7141f};
        std::memcpy(tables.red, red, sizeof red);
        std::memcpy(tables.green, green, sizeof green);
        std::memcpy(tables.blue, blue, sizeof blue);
        for (icc_curve &trc : tables.trc)
            if (trc.count == 1)
                trc.entries[0] = 2200;
        const float pm[9] = {0.4361f, 0.3851f, 0.1431f, 0.2225f, 0.7169f,
                             0.0606f, 0.0139f, 0.0971f, 0.7141f};
        std::memcpy(tables.private_matrix, pm, sizeof pm);
        const uint32_t eff = icc_effective_pcs(pcs);
        if (use_mab)
            fill_clut(mab.clut, grid, eff, false);
        else
            fill_clut(lut.clut, grid, eff, true);
    }
    ~camera_tables() { profile_tables_free(&tables); }
    camera_tables(const camera_tables &) = delete;
    camera_tables &operator=(const camera_tables &) = delete;
};

// Median of repeats runs of fn, in milliseconds; -1 when a run fails.
double median_ms(int repeats, const std::function<bool()> &fn)
{
    std::vector<double> ms;
    for (int i = 0; i < repeats; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        if (!fn())
            return -1.0;
        const auto t1 = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    const size_t n = ms.size();
    return n % 2 ? ms[n / 2] : 0.5 * (ms[n / 2 - 1] + ms[n / 2]);
}

long file_size(const std::string &path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? long(st.st_size) : -1;
}

bool failed = false;

void report(const char *what, double buffer_ms, double file_ms, long size)
{
    if (buffer_ms < 0 || file_ms < 0 || size <= 0) {
        std::printf("%-28s FAILED\n", what);
        failed = true;
        return;
    }
    std::printf("%-28s %10ld %12.3f %12.3f\n", what, size, buffer_ms, file_ms);
}

void bench_icc(const char *what, bool use_mab, uint32_t pcs, bool version4, int grid,
               int repeats, const std::string &folder, std::vector<uint8_t> &buffer)
{
    camera_tables t(use_mab, pcs, grid);
    if (t.init != 0) {
        report(what, -1, -1, 0);
        return;
    }
    const char *cprt = "Copyright the studio";
    const uint32_t creator = engine_sig("Kirr");
    uint32_t length = 0;
    const double buf_ms = median_ms(repeats, [&] {
        return assemble_icc_profile(&t.writer, "unused.icc", creator, cprt, false, true, version4,
                                    buffer.data(), buffer.size(), &length) == 0;
    });
    const std::string path = folder + (version4 ? "v4.icc" : "v2.icc");
    const double file_ms = median_ms(repeats, [&] {
        return assemble_icc_profile(&t.writer, path.c_str(), creator, cprt, false, true, version4,
                                    nullptr, 0, nullptr) == 0;
    });
    const long on_disk = file_size(path);
    report(what, buf_ms, file_ms, on_disk == long(length) ? on_disk : -1);
}

void bench_template(int grid, int repeats, const std::string &folder,
                    std::vector<uint8_t> &buffer)
{
    camera_tables t(false, SIG_LAB, grid);
    if (t.init != 0) {
        report("v2 template lut16 Lab", -1, -1, 0);
        return;
    }
    const char *cprt = "Copyright the studio";
    uint32_t length = 0;
    const double buf_ms = median_ms(repeats, [&] {
        return write_template_profile_to_buffer(buffer.data(), buffer.size(), &t.tables, cprt,
                                                &length) == 0;
    });
    const std::string path = folder + "template.icc";
    const double file_ms = median_ms(repeats, [&] {
        std::FILE *f = std::fopen(path.c_str(), "wb");
        if (!f)
            return false;
        const bool ok = write_template_profile_to_file(f, &t.tables, cprt) == 0;
        return std::fclose(f) == 0 && ok;
    });
    const long on_disk = file_size(path);
    report("v2 template lut16 Lab", buf_ms, file_ms, on_disk == long(length) ? on_disk : -1);
}

void bench_dcp(int repeats, const std::string &folder)
{
    dcp_model main {}, second {};
    const float cm[9] = {0.71f, -0.12f, -0.06f, -0.38f, 1.24f, 0.13f, -0.04f, 0.18f, 0.62f};
    for (int i = 0; i < 9; ++i) {
        main.colour_matrix[i] = cm[i];
        second.colour_matrix[i] = cm[i] * 0.93f;
    }
    for (int j = 0; j < 256; ++j) {
        main.tone_curve[j] = std::pow(j / 255.0f, 0.85f);
        second.tone_curve[j] = std::pow(j / 255.0f, 0.9f);
    }
    dcp_options o {};
    o.matrix_and_tables = 1;
    o.scale = 1.0f;
    o.dual_illuminant = 1;
    o.calibration_illuminant1 = 17;
    o.calibration_illuminant2 = 21;
    const std::string path = folder + "bench.dcp";
    const double file_ms = median_ms(repeats, [&] {
        return write_dcp_profile(nullptr, path.c_str(), "Bench Camera", engine_sig("Kirr"), "c",
                                 &main, &second, &o) == 0;
    });
    if (file_ms < 0 || file_size(path) <= 0) {
        std::printf("%-28s FAILED\n", "dcp two illuminants");
        failed = true;
        return;
    }
    std::printf("%-28s %10ld %12s %12.3f\n", "dcp two illuminants", file_size(path), "-",
                file_ms);
}

void remove_folder(const std::string &folder)
{
    for (const char *name : {"v2.icc", "v4.icc", "template.icc", "bench.dcp"})
        ::unlink((folder + name).c_str());
    ::rmdir(folder.c_str());
}

}  // namespace

int main(int argc, char **argv)
{
    int repeats = 25;
    int grid = 33;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--smoke") {
            repeats = 3;
            grid = 5;
        } else if (a == "--repeats" && i + 1 < argc) {
            repeats = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--grid" && i + 1 < argc) {
            grid = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: %s [--smoke] [--repeats N] [--grid N]\n", argv[0]);
            return 2;
        }
    }
    if (grid < 2 || grid > 255) {
        std::fprintf(stderr, "grid must be 2..255\n");
        return 2;
    }
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/icc-bench-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    const std::string folder = std::string(name.data()) + "/";
    std::vector<uint8_t> buffer(ICC_WORK_BLOCK_BYTES);

    std::printf("ICC/DCP writers: RGB camera profile, %d-point grid, median of %d runs\n", grid,
                repeats);
    std::printf("%-28s %10s %12s %12s\n", "profile", "bytes", "buffer ms", "file ms");
    bench_icc("v2 lut16 Lab", false, SIG_LAB, false, grid, repeats, folder, buffer);
    bench_icc("v2 lut16 XYZ", false, SIG_XYZ, false, grid, repeats, folder, buffer);
    bench_icc("v4 mAB Lab", true, SIG_LAB, true, grid, repeats, folder, buffer);
    bench_icc("v4 mAB XYZ", true, SIG_XYZ, true, grid, repeats, folder, buffer);
    bench_template(grid, repeats, folder, buffer);
    bench_dcp(repeats, folder);
    remove_folder(folder);
    return failed ? 1 : 0;
}
