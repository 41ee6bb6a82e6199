// DNG camera profiles read back tag by tag: the two-illuminant road (one
// chart under illuminant A and under D65, each half with its own camera
// matrix) and the tone curve of profiles with tables.
#include "engine/colour_maths.h"
#include "engine/engine_context.h"
#include "engine/entries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// XYZ (perfect reflector Y = 1) to linear camera RGB under each light. All
// entries positive, so every reflectance gives positive device values.
const double kXyzToCameraA[3][3] = {{0.80, 0.10, 0.25}, {0.20, 0.90, 0.15}, {0.05, 0.15, 1.40}};
const double kXyzToCameraD65[3][3] = {{0.70, 0.20, 0.10}, {0.25, 0.85, 0.05}, {0.02, 0.10, 1.10}};
const double kDeviceScale = 200.0;  // device value of Y = 1 seen through the matrices

constexpr int kFirstNm = 380, kStepNm = 10, kSamples = 36;

using spectrum = std::vector<double>;  // reflectance 0..1 at kFirstNm + i * kStepNm

// Flat greys and mixtures of three smooth bands.
std::vector<spectrum> chart_spectra()
{
    std::vector<spectrum> out;
    for (double grey : {0.9, 0.6, 0.3, 0.1})
        out.push_back(spectrum(kSamples, grey));
    auto band = [](double nm, double centre) {
        const double d = (nm - centre) / 40.0;
        return std::exp(-0.5 * d * d);
    };
    const double weights[] = {0.1, 0.45, 0.8};
    for (double b : weights)
        for (double g : weights)
            for (double r : weights) {
                spectrum s(kSamples);
                for (int i = 0; i < kSamples; ++i) {
                    const double nm = kFirstNm + i * kStepNm;
                    const double v = b * band(nm, 450) + g * band(nm, 540) + r * band(nm, 610);
                    s[i] = 0.03 + 0.85 * std::min(1.0, v);
                }
                out.push_back(s);
            }
    return out;
}

bool xyz_under(const spectrum &s, const char *light, double xyz[3])
{
    cm_spectrum illuminant;
    if (!cm_cie_illuminant(light, &illuminant))
        return false;
    const cm_spectrum r{s.data(), kSamples, double(kFirstNm), double(kStepNm)};
    return cm_reflectance_to_xyz(r, &illuminant, CM_OBSERVER_2DEG, xyz);
}

void matmul(const double a[3][3], const double b[3][3], double out[3][3])
{
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            out[i][j] = 0;
            for (int k = 0; k < 3; ++k)
                out[i][j] += a[i][k] * b[k][j];
        }
}

bool invert(const double m[3][3], double out[3][3])
{
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    if (std::fabs(det) < 1e-12)
        return false;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const int r0 = (j + 1) % 3, r1 = (j + 2) % 3, c0 = (i + 1) % 3, c1 = (i + 2) % 3;
            out[i][j] = (m[r0][c0] * m[r1][c1] - m[r0][c1] * m[r1][c0]) / det;
        }
    return true;
}

// The tags of a little-endian "IIRC" camera profile: type, count and the
// offset of the value (the entry's own value field when it fits in 4 bytes).
struct dcp_tag {
    unsigned type = 0;
    uint32_t count = 0;
    size_t value = 0;
};

struct dcp_file {
    std::vector<unsigned char> bytes;
    std::map<unsigned, dcp_tag> tags;

    unsigned u16(size_t o) const { return unsigned(bytes[o] | (bytes[o + 1] << 8)); }
    uint32_t u32(size_t o) const
    {
        return uint32_t(bytes[o]) | (uint32_t(bytes[o + 1]) << 8) |
               (uint32_t(bytes[o + 2]) << 16) | (uint32_t(bytes[o + 3]) << 24);
    }

    bool read(const std::string &path)
    {
        std::ifstream f(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(f), {});
        if (bytes.size() < 10 || std::string(bytes.begin(), bytes.begin() + 4) != "IIRC")
            return false;
        const size_t dir = u32(4);
        if (dir + 2 > bytes.size())
            return false;
        const unsigned n = u16(dir);
        for (unsigned i = 0; i < n; ++i) {
            const size_t e = dir + 2 + 12 * size_t(i);
            if (e + 12 > bytes.size())
                return false;
            dcp_tag t;
            t.type = u16(e + 2);
            t.count = u32(e + 4);
            const size_t unit = t.type == 3 ? 2 : (t.type == 5 || t.type == 10) ? 8 : t.type == 2 ? 1 : 4;
            const size_t length = unit * t.count;
            t.value = length <= 4 ? e + 8 : u32(e + 8);
            if (t.value + length > bytes.size())
                return false;
            tags[u16(e)] = t;
        }
        return true;
    }

    bool matrix(unsigned tag, double m[3][3]) const
    {
        const auto it = tags.find(tag);
        if (it == tags.end() || it->second.type != 10 || it->second.count != 9)
            return false;
        for (int k = 0; k < 9; ++k) {
            const size_t o = it->second.value + 8 * size_t(k);
            m[k / 3][k % 3] = double(int32_t(u32(o))) / double(u32(o + 4));
        }
        return true;
    }

    int short_value(unsigned tag) const
    {
        const auto it = tags.find(tag);
        return it == tags.end() || it->second.type != 3 ? -1 : int(u16(it->second.value));
    }

    std::vector<float> floats(unsigned tag) const
    {
        std::vector<float> out;
        const auto it = tags.find(tag);
        if (it == tags.end() || it->second.type != 11)
            return out;
        for (uint32_t k = 0; k < it->second.count; ++k) {
            const uint32_t bits = u32(it->second.value + 4 * size_t(k));
            float v;
            std::memcpy(&v, &bits, sizeof v);
            out.push_back(v);
        }
        return out;
    }
};

constexpr unsigned kColorMatrix1 = 50721, kColorMatrix2 = 50722;
constexpr unsigned kCalibrationIlluminant1 = 50778, kCalibrationIlluminant2 = 50779;
constexpr unsigned kProfileToneCurve = 50940;

// The ProfileToneCurve runs from (0, 0) to (1, 1), x rising by 1/255, y never
// falling.
void expect_monotone_curve(const std::vector<float> &curve)
{
    ASSERT_EQ(curve.size(), 512u);
    EXPECT_EQ(curve[0], 0.0f);
    EXPECT_EQ(curve[1], 0.0f);
    EXPECT_FLOAT_EQ(curve[510], 1.0f);
    EXPECT_FLOAT_EQ(curve[511], 1.0f);
    for (int j = 1; j < 256; ++j) {
        EXPECT_NEAR(curve[2 * j], j / 255.0, 1e-6) << j;
        EXPECT_GE(curve[2 * j + 1], curve[2 * j - 1]) << j;
    }
}

// ColorMatrix x (XYZ to camera)^-1 is a multiple of the identity, and the
// matrix is scaled as DNG readers normalise it: the largest camera channel of
// the D50 white is 1.
void expect_inverts(const double cm[3][3], const double xyz_to_camera[3][3], const char *what)
{
    double camera_to_xyz[3][3], p[3][3];
    ASSERT_TRUE(invert(xyz_to_camera, camera_to_xyz));
    matmul(cm, camera_to_xyz, p);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(p[i][j] / p[0][0], i == j ? 1.0 : 0.0, 5e-3) << what << " " << i << "," << j;
    double top = -1e9;
    for (int i = 0; i < 3; ++i) {
        double v = 0;
        for (int k = 0; k < 3; ++k)
            v += cm[i][k] * cm_d50_white[k];
        top = std::max(top, v);
    }
    EXPECT_NEAR(top, 1.0, 1e-3) << what;
}

class DcpRoads : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/vp_dcp_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    // The reference file holds the chart's spectra once per light; the
    // measurement file the chart seen under each light in turn, its linear
    // values encoded with 1 / gamma.
    void write_files(const std::vector<spectrum> &chart, const std::vector<const char *> &lights,
                     double gamma)
    {
        FILE *c = std::fopen((dir + "/ref.cie").c_str(), "w");
        FILE *d = std::fopen((dir + "/dev.pix").c_str(), "w");
        ASSERT_TRUE(c && d);
        const size_t n = lights.size() * chart.size();
        std::fprintf(c, "IS12642\nNUMBER_OF_FIELDS\t%d\nBEGIN_DATA_FORMAT\nSAMPLE_ID\tCONTROL",
                     kSamples + 2);
        for (int i = 0; i < kSamples; ++i)
            std::fprintf(c, "\tSPECTRAL_NM_%d", kFirstNm + i * kStepNm);
        std::fprintf(c, "\nEND_DATA_FORMAT\nNUMBER_OF_SETS\t%zu\nBEGIN_DATA\n", n);
        std::fprintf(d, "IS12642\nKEYWORD\t\"CONTROL\"\nNUMBER_OF_FIELDS\t5\nBEGIN_DATA_FORMAT\n"
                        "SAMPLE_ID\tCONTROL\tRGB_R\tRGB_G\tRGB_B\nEND_DATA_FORMAT\n"
                        "NUMBER_OF_SETS\t%zu\nBEGIN_DATA\n", n);
        for (size_t i = 0; i < n; ++i) {
            const spectrum &s = chart[i % chart.size()];
            const char *light = lights[i / chart.size()];
            std::fprintf(c, "%zu\tN", i);
            for (double v : s)
                std::fprintf(c, "\t%.4f", 100.0 * v);
            std::fputc('\n', c);
            double xyz[3];
            ASSERT_TRUE(xyz_under(s, light, xyz));
            const auto &m = std::string(light) == "A" ? kXyzToCameraA : kXyzToCameraD65;
            double rgb[3];
            for (int j = 0; j < 3; ++j) {
                rgb[j] = 0;
                for (int k = 0; k < 3; ++k)
                    rgb[j] += m[j][k] * xyz[k] * kDeviceScale;
                ASSERT_GT(rgb[j], 0.0);
                ASSERT_LT(rgb[j], 255.0);
                rgb[j] = 255.0 * std::pow(rgb[j] / 255.0, 1.0 / gamma);
            }
            std::fprintf(d, "%zu\tN\t%.3f\t%.3f\t%.3f\n", i, rgb[0], rgb[1], rgb[2]);
        }
        std::fputs("END_DATA\n", c);
        std::fputs("END_DATA\n", d);
        std::fclose(c);
        std::fclose(d);
    }

    int run(int mode, const std::string &out, const target_offsets *block)
    {
        calculation_settings settings{};
        settings.word0 = block ? 1 : 0;
        settings.calculation_mode = mode;
        engine_context ctx;
        engine_context_init(&ctx);
        return create_profile_for_job_in(&ctx, (dir + "/ref.cie").c_str(),
                                         (dir + "/dev.pix").c_str(), out.c_str(), 0, 0, 0, 0, 0,
                                         1, 0, 2, "Test Camera", nullptr, nullptr, nullptr,
                                         nullptr, nullptr, block, &settings, dir.c_str());
    }

    int run_dual(int mode, const std::string &out, int per_target)
    {
        target_offsets block{};
        block.count = 2;
        block.rows[1][0] = 0;
        block.rows[1][1] = per_target;
        return run(mode, out, &block);
    }

    std::string dir;
};

struct dual_case {
    const char *name;
    int mode;
    bool tone_curve;  // matrix-only profiles carry none
};

class DualIlluminant : public DcpRoads, public ::testing::WithParamInterface<dual_case> {};

TEST_P(DualIlluminant, EachMatrixInvertsItsLightsCamera)
{
    const dual_case c = GetParam();
    const auto chart = chart_spectra();
    write_files(chart, {"A", "D65"}, 1.0);
    const std::string out = dir + "/dual.dcp";
    ASSERT_EQ(run_dual(c.mode, out, int(chart.size())), 0);
    dcp_file f;
    ASSERT_TRUE(f.read(out));
    EXPECT_EQ(f.short_value(kCalibrationIlluminant1), 17);
    EXPECT_EQ(f.short_value(kCalibrationIlluminant2), 21);
    double cm1[3][3], cm2[3][3];
    ASSERT_TRUE(f.matrix(kColorMatrix1, cm1));
    ASSERT_TRUE(f.matrix(kColorMatrix2, cm2));
    expect_inverts(cm1, kXyzToCameraA, "ColorMatrix1");
    expect_inverts(cm2, kXyzToCameraD65, "ColorMatrix2");
    if (c.tone_curve)
        expect_monotone_curve(f.floats(kProfileToneCurve));
    else
        EXPECT_EQ(f.tags.count(kProfileToneCurve), 0u);
}

INSTANTIATE_TEST_SUITE_P(Modes, DualIlluminant,
                         ::testing::Values(dual_case{"matrix_only", 1, false},
                                           dual_case{"with_tables", 2, true}),
                         [](const ::testing::TestParamInfo<dual_case> &i) {
                             return std::string(i.param.name);
                         });

TEST_F(DcpRoads, DualRoadRejectsABlockLargerThanTheFiles)
{
    const auto chart = chart_spectra();
    write_files(chart, {"A", "D65"}, 1.0);
    const std::string out = dir + "/dual.dcp";
    EXPECT_NE(run_dual(2, out, int(chart.size()) + 1), 0);
    EXPECT_NE(access(out.c_str(), F_OK), 0);
}

// A profile fitted to the reference as it stands, D50 colorimetry, says so:
// CalibrationIlluminant1 is D50 (23), not standard light A, and no second
// light is named.
TEST_F(DcpRoads, OneLightProfileOfD50DataIsTaggedD50)
{
    write_files(chart_spectra(), {"D50"}, 1.0);
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode);
        const std::string out = dir + "/d50_" + std::to_string(mode) + ".dcp";
        ASSERT_EQ(run(mode, out, nullptr), 0);
        dcp_file f;
        ASSERT_TRUE(f.read(out));
        EXPECT_EQ(f.short_value(kCalibrationIlluminant1), 23);
        EXPECT_EQ(f.tags.count(kCalibrationIlluminant2), 0u);
    }
}

// One light and device values that carry a 2.2 gamma: whatever the fitted
// curves make of them, the tone curve still never falls.
TEST_F(DcpRoads, ToneCurveOfAGammaCameraRisesFromZeroToOne)
{
    write_files(chart_spectra(), {"D65"}, 2.2);
    const std::string out = dir + "/one.dcp";
    ASSERT_EQ(run(2, out, nullptr), 0);
    dcp_file f;
    ASSERT_TRUE(f.read(out));
    EXPECT_EQ(f.tags.count(kColorMatrix2), 0u);
    expect_monotone_curve(f.floats(kProfileToneCurve));
}

}  // namespace
