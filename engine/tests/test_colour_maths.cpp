#include "engine/cie_tables.h"
#include "engine/colour_maths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct De2000Case {
    double lab1[3];
    double lab2[3];
    double expected;
};

// Published CIEDE2000 test pairs (Sharma, Wu and Dalal, 2005).
const De2000Case kSharma[] = {
    {{50.0, 2.6772, -79.7751}, {50.0, 0.0, -82.7485}, 2.0425},
    {{50.0, 3.1571, -77.2803}, {50.0, 0.0, -82.7485}, 2.8615},
    {{50.0, 2.8361, -74.0200}, {50.0, 0.0, -82.7485}, 3.4412},
    {{50.0, 0.0, 0.0}, {50.0, -1.0, 2.0}, 2.3669},
    {{50.0, 2.5, 0.0}, {73.0, 25.0, -18.0}, 27.1492},
    {{50.0, 2.5, 0.0}, {56.0, -27.0, -3.0}, 31.9030},
    {{50.0, 2.5, 0.0}, {50.0, 3.1736, 0.5854}, 1.0000},
    {{60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}, 1.2644},
    {{2.0776, 0.0795, -1.1350}, {0.9033, -0.0636, -0.5514}, 0.9082},
};

class De2000 : public ::testing::TestWithParam<De2000Case> {};

TEST_P(De2000, MatchesPublishedPairsBothWays)
{
    const De2000Case &c = GetParam();
    EXPECT_NEAR(cm_delta_e2000(c.lab1, c.lab2), c.expected, 5e-5);
    EXPECT_NEAR(cm_delta_e2000(c.lab2, c.lab1), c.expected, 5e-5);
    EXPECT_NEAR(cm_delta_e(c.lab1, c.lab2, CM_DE_CIEDE2000), c.expected, 5e-5);
}

void PrintTo(const De2000Case &c, std::ostream *os)
{
    *os << "(" << c.lab1[0] << "," << c.lab1[1] << "," << c.lab1[2] << ") vs (" << c.lab2[0] << ","
        << c.lab2[1] << "," << c.lab2[2] << ")";
}

INSTANTIATE_TEST_SUITE_P(Sharma, De2000, ::testing::ValuesIn(kSharma),
                         [](const ::testing::TestParamInfo<De2000Case> &i) {
                             // Named by the published difference, e.g. "dE_2_0425".
                             char name[32];
                             std::snprintf(name, sizeof name, "dE_%.4f", i.param.expected);
                             std::string s = name;
                             std::replace(s.begin(), s.end(), '.', '_');
                             return s;
                         });

TEST(ColourDifference, LightnessOnlyDifferenceIsTheSameInCie76AndCie94)
{
    const double a[3] = {50, 20, -10}, b[3] = {53, 20, -10};
    double dl = 0, dc = 1, dh = 1;
    EXPECT_NEAR(cm_delta_e(a, b, CM_DE_CIE76, &dl, &dc, &dh), 3.0, 1e-12);
    EXPECT_NEAR(dl, -3.0, 1e-12);
    EXPECT_NEAR(dc, 0.0, 1e-12);
    EXPECT_NEAR(dh, 0.0, 1e-12);
    EXPECT_NEAR(cm_delta_e94(a, b), 3.0, 1e-12);
}

TEST(ColourDifference, Cie94WeightsChromaByTheReference)
{
    // Pure chroma difference of 10 at reference chroma 40: 10 / (1 + 0.045 * 40).
    const double ref[3] = {50, 40, 0}, smp[3] = {50, 30, 0};
    EXPECT_NEAR(cm_delta_e94(ref, smp), 10.0 / 2.8, 1e-12);
}

TEST(LabXyz, RoundTripAndKnownValues)
{
    double lab[3], xyz[3];
    cm_xyz_to_lab(cm_d50_white, cm_d50_white, lab);
    EXPECT_NEAR(lab[0], 100.0, 1e-12);
    EXPECT_NEAR(lab[1], 0.0, 1e-12);
    EXPECT_NEAR(lab[2], 0.0, 1e-12);

    // 18 % grey: L* = 49.496
    const double grey[3] = {0.18 * 0.9642, 0.18, 0.18 * 0.8249};
    cm_xyz_to_lab(grey, cm_d50_white, lab);
    EXPECT_NEAR(lab[0], 49.4961, 1e-3);

    const double samples[][3] = {{38.0, 13.5, 14.2}, {96.5, -0.5, 1.9}, {3.0, 0.2, -0.4},
                                 {55.0, -38.0, 31.0}, {28.0, 15.0, -50.0}};
    for (const auto &s : samples) {
        cm_lab_to_xyz(s, cm_d50_white, xyz);
        cm_xyz_to_lab(xyz, cm_d50_white, lab);
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(lab[k], s[k], 1e-9);
    }
}

TEST(LabXyz, LchAndXyyRoundTrip)
{
    const double lab[3] = {40, -12, -30};
    double lch[3], back[3];
    cm_lab_to_lch(lab, lch);
    EXPECT_NEAR(lch[1], std::hypot(12.0, 30.0), 1e-12);
    EXPECT_GT(lch[2], 180.0);
    EXPECT_LT(lch[2], 270.0);
    cm_lch_to_lab(lch, back);
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(back[k], lab[k], 1e-12);

    double xyy[3], xyz[3];
    const double black[3] = {0, 0, 0};
    cm_xyz_to_xyy(black, cm_d50_white, xyy);
    EXPECT_NEAR(xyy[0], 0.9642 / (0.9642 + 1.0 + 0.8249), 1e-12);
    EXPECT_EQ(xyy[2], 0.0);
    const double c[3] = {0.2, 0.3, 0.1};
    cm_xyz_to_xyy(c, cm_d50_white, xyy);
    cm_xyy_to_xyz(xyy, xyz);
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(xyz[k], c[k], 1e-12);
}

struct WhiteCase {
    const char *illuminant;
    cm_observer observer;
    double first, last, step;
    double x, z;  // published white, Y = 100
    double tolerance;
};

void PrintTo(const WhiteCase &c, std::ostream *os)
{
    *os << c.illuminant << (c.observer == CM_OBSERVER_10DEG ? " 10deg" : " 2deg");
}

class IlluminantWhite : public ::testing::TestWithParam<WhiteCase> {};

TEST_P(IlluminantWhite, MatchesPublishedValues)
{
    const WhiteCase &c = GetParam();
    cm_spectrum s{};
    ASSERT_TRUE(cm_cie_illuminant(c.illuminant, &s));
    double w[3];
    ASSERT_TRUE(cm_illuminant_white(s, c.observer, c.first, c.last, c.step, w));
    EXPECT_NEAR(w[1], 1.0, 1e-12);
    EXPECT_NEAR(100.0 * w[0], c.x, c.tolerance);
    EXPECT_NEAR(100.0 * w[2], c.z, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Cie, IlluminantWhite,
    ::testing::Values(WhiteCase{"D50", CM_OBSERVER_2DEG, 360, 830, 1, 96.422, 82.521, 0.05},
                      WhiteCase{"D65", CM_OBSERVER_2DEG, 360, 830, 1, 95.047, 108.883, 0.05},
                      WhiteCase{"A", CM_OBSERVER_2DEG, 360, 830, 1, 109.850, 35.585, 0.05},
                      WhiteCase{"C", CM_OBSERVER_2DEG, 380, 780, 5, 98.074, 118.232, 0.05},
                      WhiteCase{"D65", CM_OBSERVER_10DEG, 360, 830, 1, 94.811, 107.304, 0.05},
                      WhiteCase{"D50", CM_OBSERVER_10DEG, 360, 830, 1, 96.720, 81.427, 0.05}),
    [](const ::testing::TestParamInfo<WhiteCase> &i) {
        return std::string(i.param.illuminant) +
               (i.param.observer == CM_OBSERVER_10DEG ? "_10deg" : "_2deg");
    });

TEST(Spectral, PerfectReflectorIsTheWhiteAndEmptyInputFails)
{
    cm_spectrum d50{};
    ASSERT_TRUE(cm_cie_illuminant("D50", &d50));
    std::vector<double> ones(36, 1.0);
    cm_spectrum refl{ones.data(), 36, 380, 10};
    double xyz[3], white[3];
    ASSERT_TRUE(cm_reflectance_to_xyz(refl, &d50, CM_OBSERVER_2DEG, xyz));
    ASSERT_TRUE(cm_illuminant_white(d50, CM_OBSERVER_2DEG, 380, 730, 10, white));
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(xyz[k], white[k], 1e-12);
    EXPECT_NEAR(xyz[0], 0.9642, 0.003);

    cm_spectrum empty{ones.data(), 0, 380, 10};
    EXPECT_FALSE(cm_reflectance_to_xyz(empty, &d50, CM_OBSERVER_2DEG, xyz));
    cm_spectrum bad_step{ones.data(), 36, 380, 0};
    EXPECT_FALSE(cm_reflectance_to_xyz(bad_step, &d50, CM_OBSERVER_2DEG, xyz));
}

TEST(CieTables, EveryTableIsWellFormed)
{
    ASSERT_GT(cie_table_count(), 40);
    for (int i = 0; i < cie_table_count(); ++i) {
        const cie_table *t = cie_table_at(i);
        ASSERT_NE(t, nullptr);
        EXPECT_GT(t->count, 50) << t->name;
        EXPECT_GT(t->step_nm, 0) << t->name;
        EXPECT_EQ(cie_find_table(t->name), t);
    }
    EXPECT_EQ(cie_find_table("no such table"), nullptr);
    EXPECT_EQ(cie_find_table(nullptr), nullptr);
    EXPECT_DOUBLE_EQ(cie_table_value(*cie_find_table("CIE1931_Y"), 555), 1.0);
    EXPECT_DOUBLE_EQ(cie_table_value(*cie_find_table("D65"), 290), 0.0);
}

struct HlsCase {
    unsigned short r, g, b;
    double h, l, s;
};

TEST(Hls, PrimariesAndGreys)
{
    const HlsCase cases[] = {{65535, 0, 0, 0, 0.5, 1},        {0, 65535, 0, 120, 0.5, 1},
                             {0, 0, 65535, 240, 0.5, 1},      {32768, 32768, 32768, 0, 0.5, 0},
                             {65535, 65535, 0, 60, 0.5, 1},   {0, 0, 0, 0, 0, 0},
                             {65535, 32768, 32768, 0, 0.75, 1}};
    for (const HlsCase &c : cases) {
        double h, l, s;
        cm_rgb16_to_hls(c.r, c.g, c.b, &h, &l, &s);
        EXPECT_NEAR(h, c.h, 1e-9) << c.r << "," << c.g << "," << c.b;
        EXPECT_NEAR(l, c.l, 1e-4) << c.r << "," << c.g << "," << c.b;
        EXPECT_NEAR(s, c.s, 1e-4) << c.r << "," << c.g << "," << c.b;
    }
}

}  // namespace
