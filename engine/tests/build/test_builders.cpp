// End to end: synthetic cameras of known response, written as the two CGATS
// files of a run, built into ICC profiles and DNG camera profiles, and the
// profiles applied back to the device values.
#include "engine/builder_stages.h"
#include "engine/colour_maths.h"
#include "engine/engine_context.h"
#include "engine/entries.h"

#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Linear camera values to XYZ (Y = 1); rows sum so that (1, 1, 1) is D50.
const double kCamera[3][3] = {{0.5140, 0.3239, 0.1263},
                              {0.2410, 0.7220, 0.0370},
                              {0.0250, 0.1370, 0.6629}};

struct chart_patch {
    double rgb[3];  // 0..255
    double lab[3];  // reference, D50
};

// Every combination of the levels (0..255) on the three channels; camera
// gives XYZ (Y = 1) of the channels on 0..1.
template <typename Camera>
std::vector<chart_patch> level_chart(const std::vector<double> &levels, Camera camera)
{
    std::vector<chart_patch> out;
    for (double r : levels)
        for (double g : levels)
            for (double b : levels) {
                chart_patch p{{r, g, b}, {}};
                const double u[3] = {r / 255.0, g / 255.0, b / 255.0};
                double xyz[3];
                camera(u, xyz);
                cm_xyz_to_lab(xyz, cm_d50_white, p.lab);
                out.push_back(p);
            }
    return out;
}

std::vector<chart_patch> synthetic_chart(double gamma)
{
    return level_chart({12, 80, 160, 235}, [gamma](const double u[3], double xyz[3]) {
        for (int j = 0; j < 3; ++j) {
            xyz[j] = 0;
            for (int k = 0; k < 3; ++k)
                xyz[j] += kCamera[j][k] * std::pow(u[k], gamma);
        }
    });
}

// Reference Lab with the chart white (the brightest patch, which is neutral)
// taken to L* 100.
std::vector<std::array<double, 3>> expected_lab(const std::vector<chart_patch> &chart)
{
    size_t w = 0;
    for (size_t i = 0; i < chart.size(); ++i)
        if (chart[i].lab[0] > chart[w].lab[0])
            w = i;
    double white[3];
    cm_lab_to_xyz(chart[w].lab, cm_d50_white, white);
    std::vector<std::array<double, 3>> out;
    for (const chart_patch &p : chart) {
        double xyz[3];
        cm_lab_to_xyz(p.lab, cm_d50_white, xyz);
        for (double &v : xyz)
            v /= white[1];
        std::array<double, 3> lab;
        cm_xyz_to_lab(xyz, cm_d50_white, lab.data());
        out.push_back(lab);
    }
    return out;
}

void write_files(const std::vector<chart_patch> &chart, const std::string &cie,
                 const std::string &pix)
{
    FILE *c = std::fopen(cie.c_str(), "w");
    FILE *d = std::fopen(pix.c_str(), "w");
    ASSERT_TRUE(c && d);
    std::fprintf(c, "IS12642\nNUMBER_OF_FIELDS\t5\nBEGIN_DATA_FORMAT\n"
                    "SAMPLE_ID\tCONTROL\tLAB_L\tLAB_A\tLAB_B\nEND_DATA_FORMAT\n"
                    "NUMBER_OF_SETS\t%6zu\nBEGIN_DATA\n", chart.size());
    std::fprintf(d, "IS12642\nKEYWORD\t\"CONTROL\"\nNUMBER_OF_FIELDS\t5\nBEGIN_DATA_FORMAT\n"
                    "SAMPLE_ID\tCONTROL\tRGB_R\tRGB_G\tRGB_B\nEND_DATA_FORMAT\n"
                    "NUMBER_OF_SETS\t%6zu\nBEGIN_DATA\n", chart.size());
    for (size_t i = 0; i < chart.size(); ++i) {
        const chart_patch &p = chart[i];
        std::fprintf(c, "%zu\tN\t%.4f\t%.4f\t%.4f\t\n", i, p.lab[0], p.lab[1], p.lab[2]);
        std::fprintf(d, "%zu\tN\t%.2f\t%.2f\t%.2f\t\n", i, p.rgb[0], p.rgb[1], p.rgb[2]);
    }
    std::fputs("END_DATA\n", c);
    std::fputs("END_DATA\n", d);
    std::fclose(c);
    std::fclose(d);
}

std::vector<unsigned char> read_bytes(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(f), {});
}

class BuildFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/vp_build_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    int run(const std::vector<chart_patch> &chart, const std::string &out, uint8_t pcs_xyz,
            uint8_t make_dcp, int mode, int (*abort)() = nullptr)
    {
        const std::string cie = dir + "/ref.cie", pix = dir + "/dev.pix";
        write_files(chart, cie, pix);
        calculation_settings settings{};
        settings.calculation_mode = mode;
        engine_context ctx;
        engine_context_init(&ctx);
        ctx.notice = [](void *user, const char *text) {
            static_cast<std::vector<std::string> *>(user)->push_back(text);
        };
        ctx.notice_user = &notices;
        return create_profile_for_job_in(&ctx, cie.c_str(), pix.c_str(), out.c_str(), 0, 0, 0,
                                         0, pcs_xyz, make_dcp, 0, 2, "Test Camera", nullptr,
                                         nullptr, transfer, nullptr, abort, nullptr, &settings,
                                         caller_temp ? dir.c_str() : nullptr);
    }
    std::string dir;
    bool caller_temp = true;  // false: the engine picks its own folder
    const transfer_samples *transfer = nullptr;
    std::vector<std::string> notices;  // what the build told its context
};

struct errors {
    double mean = 0, max = 0;
};

errors apply_icc(const std::string &path, const std::vector<chart_patch> &chart)
{
    errors e;
    cmsHPROFILE in = cmsOpenProfileFromFile(path.c_str(), "r");
    EXPECT_NE(in, nullptr);
    if (!in)
        return {1e9, 1e9};
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM t = cmsCreateTransform(in, TYPE_RGB_DBL, lab, TYPE_Lab_DBL,
                                         INTENT_RELATIVE_COLORIMETRIC,
                                         cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
    EXPECT_NE(t, nullptr);
    const auto want = expected_lab(chart);
    for (size_t i = 0; t && i < chart.size(); ++i) {
        const double rgb[3] = {chart[i].rgb[0] / 255.0, chart[i].rgb[1] / 255.0,
                               chart[i].rgb[2] / 255.0};
        cmsCIELab out;
        cmsDoTransform(t, rgb, &out, 1);
        const double got[3] = {out.L, out.a, out.b};
        const double d = cm_delta_e2000(want[i].data(), got);
        e.mean += d / chart.size();
        e.max = std::max(e.max, d);
    }
    if (t)
        cmsDeleteTransform(t);
    cmsCloseProfile(lab);
    cmsCloseProfile(in);
    return e;
}

struct icc_case {
    const char *name;
    uint8_t pcs_xyz;
    int mode;
    double gamma;
    int version;  // major version expected in the header
    double mean_limit;
    double max_limit;
};

class IccRoad : public BuildFixture, public ::testing::WithParamInterface<icc_case> {};

TEST_P(IccRoad, ProfileReproducesTheReference)
{
    const icc_case c = GetParam();
    const auto chart = synthetic_chart(c.gamma);
    const std::string out = dir + "/cam.icc";
    ASSERT_EQ(run(chart, out, c.pcs_xyz, 0, c.mode), 0);
    const auto bytes = read_bytes(out);
    ASSERT_GT(bytes.size(), 128u);
    EXPECT_EQ(bytes[8], c.version);
    const errors e = apply_icc(out, chart);
    EXPECT_LT(e.mean, c.mean_limit);
    EXPECT_LT(e.max, c.max_limit);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, IccRoad,
    ::testing::Values(icc_case{"xyz_v4_gamma22", 1, 1, 2.2, 4, 0.05, 0.3},
                      icc_case{"xyz_v4_linear_mode0", 1, 0, 1.0, 4, 0.05, 0.3},
                      icc_case{"lab_v2_linear", 0, 1, 1.0, 2, 0.3, 1.5},
                      icc_case{"mode7_becomes_lab_v2", 1, 7, 1.8, 2, 0.3, 1.5}),
    [](const ::testing::TestParamInfo<icc_case> &i) { return std::string(i.param.name); });

// A raw camera that no matrix reproduces: linear in exposure, with a smooth
// crosstalk between the channels, and dark patches down to 1 % of full scale.
// The profile must hold the model in the darks as well as in the lights.
std::vector<chart_patch> crosstalk_chart()
{
    return level_chart({3, 12, 40, 90, 160, 235}, [](const double u[3], double xyz[3]) {
        // Rows sum to zero, so greys stay neutral.
        const double cross[3][3] = {{0.06, -0.03, -0.03}, {-0.02, 0.04, -0.02}, {0.03, -0.05, 0.02}};
        const double t[3] = {std::sqrt(u[0] * u[1]), std::sqrt(u[1] * u[2]),
                             std::sqrt(u[0] * u[2])};
        for (int j = 0; j < 3; ++j) {
            xyz[j] = 0;
            for (int k = 0; k < 3; ++k)
                xyz[j] += kCamera[j][k] * u[k] + cross[j][k] * t[k];
        }
    });
}

TEST_F(BuildFixture, NonLinearRawCameraHeldInTheDarks)
{
    const auto chart = crosstalk_chart();
    const std::string out = dir + "/raw.icc";
    ASSERT_EQ(run(chart, out, 1, 0, 1), 0);
    const errors e = apply_icc(out, chart);
    EXPECT_LT(e.mean, 0.05);
    EXPECT_LT(e.max, 0.3);
}

// Little-endian reads of the DNG camera profile's ColorMatrix1.
bool read_color_matrix(const std::vector<unsigned char> &f, double cm[3][3])
{
    auto u16 = [&](size_t o) { return unsigned(f[o] | (f[o + 1] << 8)); };
    auto u32 = [&](size_t o) {
        return uint32_t(f[o] | (f[o + 1] << 8) | (f[o + 2] << 16) | (uint32_t(f[o + 3]) << 24));
    };
    if (f.size() < 10 || std::memcmp(f.data(), "IIRC", 4) != 0)
        return false;
    const unsigned n = u16(8);
    for (unsigned i = 0; i < n; ++i) {
        const size_t e = 10 + 12 * i;
        if (e + 12 > f.size())
            return false;
        if (u16(e) != 50721)
            continue;
        const uint32_t off = u32(e + 8);
        if (off + 72 > f.size())
            return false;
        for (int k = 0; k < 9; ++k)
            cm[k / 3][k % 3] = double(int32_t(u32(off + 8 * k))) / double(u32(off + 8 * k + 4));
        return true;
    }
    return false;
}

TEST_F(BuildFixture, DcpMatrixInvertsTheCamera)
{
    const auto chart = synthetic_chart(1.0);
    const std::string out = dir + "/cam.dcp";
    ASSERT_EQ(run(chart, out, 0, 1, 1), 0);
    double cm[3][3];
    ASSERT_TRUE(read_color_matrix(read_bytes(out), cm));
    // ColorMatrix is XYZ -> camera: ColorMatrix x camera matrix is a multiple
    // of the identity.
    double p[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            p[i][j] = 0;
            for (int k = 0; k < 3; ++k)
                p[i][j] += cm[i][k] * kCamera[k][j];
        }
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(p[i][j] / p[0][0], i == j ? 1.0 : 0.0, 2e-3) << i << "," << j;
}

// Transfer curves are announced through the context, and only then.
TEST_F(BuildFixture, TransferCurvesAreNotedThroughTheContext)
{
    const auto chart = synthetic_chart(2.2);
    ASSERT_EQ(run(chart, dir + "/plain.icc", 1, 0, 1), 0);
    EXPECT_TRUE(notices.empty());

    std::vector<uint16_t> identity(256);
    for (size_t v = 0; v < identity.size(); ++v)
        identity[v] = uint16_t(v * 257);
    const uint16_t *curves[1] = {identity.data()};
    const transfer_samples curve {1, int32_t(identity.size()), curves};
    transfer = &curve;
    ASSERT_EQ(run(chart, dir + "/curved.icc", 1, 0, 1), 0);
    EXPECT_EQ(notices, (std::vector<std::string> {"Transfer Function from Capture One present, "
                                                  "running RGB data through the curves"}));
}

int abort_at_once()
{
    return 1;
}

TEST_F(BuildFixture, AbortGivesItsOwnResultAndNoFile)
{
    const auto chart = synthetic_chart(2.2);
    for (uint8_t dcp : {0, 1}) {
        const std::string out = dir + (dcp ? "/a.dcp" : "/a.icc");
        EXPECT_EQ(run(chart, out, 1, dcp, 1, abort_at_once), ENGINE_ABORTED);
        EXPECT_NE(access(out.c_str(), F_OK), 0);
    }
}

// Without a folder from the caller the characterisation file goes to a
// private folder of its own, removed afterwards, so that builds at once never
// share it; the profile still carries it.
TEST_F(BuildFixture, CharacterisationFileWithoutCallerFolder)
{
    const std::string tmp = dir + "/tmp";
    ASSERT_EQ(mkdir(tmp.c_str(), 0700), 0);
    const char *old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    setenv("TMPDIR", tmp.c_str(), 1);
    caller_temp = false;
    // The shared name in the system folder stays as it was.
    struct stat before {}, after {};
    const bool existed = stat("/tmp/CamData.CIE", &before) == 0;
    const int r = run(synthetic_chart(2.2), dir + "/t.icc", 1, 0, 1);
    const bool exists = stat("/tmp/CamData.CIE", &after) == 0;
    EXPECT_EQ(existed, exists);
    if (existed && exists)
        EXPECT_EQ(before.st_mtime, after.st_mtime);
    if (old)
        setenv("TMPDIR", saved.c_str(), 1);
    else
        unsetenv("TMPDIR");
    ASSERT_EQ(r, 0);
    const auto bytes = read_bytes(dir + "/t.icc");
    const char targ[] = {'t', 'a', 'r', 'g'};
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), std::begin(targ), std::end(targ)),
              bytes.end());
    EXPECT_EQ(rmdir(tmp.c_str()), 0) << "something was left in the temporary folder";
}

TEST_F(BuildFixture, BuildsAreDeterministic)
{
    const auto chart = synthetic_chart(2.2);
    ASSERT_EQ(run(chart, dir + "/one.icc", 1, 0, 1), 0);
    ASSERT_EQ(run(chart, dir + "/two.icc", 1, 0, 1), 0);
    auto a = read_bytes(dir + "/one.icc"), b = read_bytes(dir + "/two.icc");
    ASSERT_EQ(a.size(), b.size());
    // Past the header (its date and the profile ID follow the clock), and
    // past the description, which names the file.
    size_t differ = 0;
    for (size_t i = 128; i < a.size(); ++i)
        differ += a[i] != b[i];
    EXPECT_LE(differ, 6u);  // "one" against "two" in the description
}

TEST(QuickProfile, FitFiguresAreColourDifferences)
{
    const auto chart = synthetic_chart(2.2);
    std::vector<double> rgb, xyz;
    for (size_t i = 0; i < chart.size(); i += 5) {
        double x[3];
        cm_lab_to_xyz(chart[i].lab, cm_d50_white, x);
        for (int k = 0; k < 3; ++k) {
            rgb.push_back(chart[i].rgb[k]);
            xyz.push_back(x[k] * 100.0);
        }
    }
    unsigned char *buffer = nullptr;
    uint32_t size = 0;
    float first = -1, second = -1;
    const engine_result r = create_quick_profile(
        &buffer, &size, "QuickProfile", "(c)", uint32_t(rgb.size() / 3), nullptr, nullptr,
        rgb.data(), xyz.data(), 0, 1, &first, &second, nullptr, nullptr, nullptr);
    ASSERT_EQ(r, ENGINE_OK);
    ASSERT_NE(buffer, nullptr);
    EXPECT_GT(size, 128u);
    EXPECT_GE(first, 0.0f);
    EXPECT_LT(first, 10.0f);
    EXPECT_GE(second, first);
    cmsHPROFILE p = cmsOpenProfileFromMem(buffer, size);
    EXPECT_NE(p, nullptr);
    if (p)
        cmsCloseProfile(p);
    std::free(buffer);
}

}  // namespace
