#include "engine/cgats.h"
#include "engine/cie_tables.h"
#include "engine/entries.h"
#include "io_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

void named_set(patch_set *set, const std::vector<const char *> &names)
{
    ASSERT_EQ(patch_set_alloc(set, int32_t(names.size())), ENGINE_OK);
    for (size_t i = 0; i < names.size(); ++i) {
        std::strcpy(set->patches[i].name, names[i]);
        set->patches[i].sample_id = int32_t(i);
    }
}

std::vector<std::string> names_of(const patch_set *set)
{
    std::vector<std::string> out;
    for (int32_t i = 0; i < set->count; ++i)
        out.push_back(set->patches[i].name);
    return out;
}

TEST(PatchSet, AllocResizeCopy)
{
    owned_set set;
    EXPECT_EQ(set->count, 0);
    EXPECT_FLOAT_EQ(set->builder_values[6], -1.0f);
    ASSERT_EQ(patch_set_alloc(set.get(), 2), ENGINE_OK);
    EXPECT_EQ(set->patches[1].sample_id, -1);
    EXPECT_FLOAT_EQ(set->patches[1].lab[1], -999.0f);
    EXPECT_EQ(set->patches[1].spectrum.start_nm, -1);

    set->spectral = 1;
    set->patches[0].spectrum.start_nm = 400;
    set->patches[0].spectrum.end_nm = 700;
    set->patches[0].spectrum.step_nm = 10;
    std::strcpy(set->patches[1].name, "B1");
    ASSERT_EQ(patch_set_resize(set.get(), 4), ENGINE_OK);
    EXPECT_EQ(set->count, 4);
    EXPECT_STREQ(set->patches[1].name, "B1");
    EXPECT_EQ(set->patches[3].spectrum.start_nm, 400);
    EXPECT_EQ(set->patches[3].spectrum.step_nm, 10);
    ASSERT_EQ(patch_set_resize(set.get(), 1), ENGINE_OK);
    EXPECT_EQ(set->count, 1);

    EXPECT_EQ(patch_set_alloc(set.get(), ENGINE_MAX_PATCHES + 1), ENGINE_ERR_NO_MEMORY);
    EXPECT_EQ(set->count, 0);

    owned_set rgb;
    const std::string text = "BEGIN_DATA_FORMAT\nRGB_R RGB_G RGB_B\nEND_DATA_FORMAT\n"
                             "BEGIN_DATA\n255 0 0\n0 255 0\nEND_DATA\n";
    ASSERT_EQ(read_cgats_bytes(text.data(), text.size(), rgb.get()), ENGINE_OK);
    rgb->builder_values[2] = 7.0f;
    ASSERT_EQ(patch_set_build_gamut_table(rgb.get()), ENGINE_OK);
    owned_set copy;
    ASSERT_EQ(patch_set_copy(rgb.get(), copy.get()), ENGINE_OK);
    EXPECT_EQ(copy->count, 2);
    EXPECT_NE(copy->patches, rgb->patches);
    ASSERT_NE(copy->gamut_table, nullptr);
    EXPECT_NE(copy->gamut_table, rgb->gamut_table);
    EXPECT_EQ(std::memcmp(copy->gamut_table, rgb->gamut_table, sizeof(float) * 1071), 0);
    EXPECT_FLOAT_EQ(copy->builder_values[2], 7.0f);
}

TEST(PatchSet, LabAndXyzAccess)
{
    owned_set lab;
    ASSERT_EQ(patch_set_alloc(lab.get(), 1), ENGINE_OK);
    lab->data_space = SIG_LAB;
    const double in[3] = {50.0, 20.0, -30.0};
    ASSERT_EQ(patch_set_set_lab(lab.get(), 0, in), ENGINE_OK);
    double out[3], xyz[3];
    ASSERT_EQ(patch_set_get_lab(lab.get(), 0, out), ENGINE_OK);
    EXPECT_NEAR(out[1], 20.0, 1e-5);
    ASSERT_EQ(patch_set_get_xyz(lab.get(), 0, xyz), ENGINE_OK);
    EXPECT_NEAR(xyz[1], 18.42, 0.01);

    owned_set x;
    ASSERT_EQ(patch_set_alloc(x.get(), 1), ENGINE_OK);
    x->data_space = SIG_XYZ;
    x->patches[0].xyz[0] = 96.42f;
    x->patches[0].xyz[1] = 100.0f;
    x->patches[0].xyz[2] = 82.49f;
    ASSERT_EQ(patch_set_get_lab(x.get(), 0, out), ENGINE_OK);
    EXPECT_NEAR(out[0], 100.0, 1e-4);
    EXPECT_NEAR(out[1], 0.0, 1e-4);

    owned_set rgb;
    ASSERT_EQ(patch_set_alloc(rgb.get(), 1), ENGINE_OK);
    rgb->data_space = SIG_RGB;
    EXPECT_EQ(patch_set_get_lab(rgb.get(), 0, out), ENGINE_ERR_NO_LAB_OR_XYZ);
    EXPECT_EQ(patch_set_get_xyz(rgb.get(), 0, out), ENGINE_ERR_NO_LAB_OR_XYZ);
    EXPECT_EQ(patch_set_set_lab(rgb.get(), 0, in), ENGINE_ERR_NO_LAB_OR_XYZ);
    const double v[3] = {1, 2, 3};
    ASSERT_EQ(patch_set_set_rgb(rgb.get(), 0, v), ENGINE_OK);
    EXPECT_FLOAT_EQ(rgb->patches[0].device[2], 3.0f);
    EXPECT_FLOAT_EQ(rgb->patches[0].device[3], -1.0f);
    for (int32_t bad : {-1, 1})
        EXPECT_EQ(patch_set_get_lab(lab.get(), bad, out), ENGINE_ERR_INDEX) << bad;
}

TEST(PatchSet, RemoveIgnoredAndCountLc)
{
    owned_set set;
    named_set(set.get(), {"A1", "A2", "A3", "A4"});
    std::strcpy(set->patches[0].control, "LC");
    std::strcpy(set->patches[1].control, "I");
    std::strcpy(set->patches[3].control, "IX");
    EXPECT_EQ(patch_set_count_lc(set.get()), 1);
    ASSERT_EQ(patch_set_remove_ignored(set.get()), ENGINE_OK);
    EXPECT_EQ(names_of(set.get()), (std::vector<std::string>{"A1", "A3"}));
    owned_set empty;
    EXPECT_EQ(patch_set_remove_ignored(empty.get()), ENGINE_ERR_EMPTY);
}

TEST(PatchSet, AlignDropsUnmatchedMeasuredPatches)
{
    struct align_case {
        std::vector<const char *> measured;
        std::vector<const char *> reference;
        engine_result result;
        std::vector<std::string> kept;
    };
    const align_case cases[] = {
        {{"A1", "A2", "A3"}, {"A1", "A2", "A3"}, ENGINE_OK, {"A1", "A2", "A3"}},
        {{"A1", "X9", "A2", "A3"}, {"A1", "A2", "A3"}, ENGINE_OK, {"A1", "A2", "A3"}},
        {{"A1", "A2", "A3", "A4"}, {"A1", "A2"}, ENGINE_OK, {"A1", "A2"}},
        {{"A01", "B12"}, {"A1", "B12"}, ENGINE_OK, {"A01", "B12"}},
        {{"A1", "A2"}, {"A1", "A2", "A3"}, ENGINE_ERR_SETS_MISMATCH, {}},
        {{"A1", "B2"}, {"A1", "C2"}, ENGINE_ERR_SETS_MISMATCH, {}},
    };
    for (const align_case &c : cases) {
        owned_set m, r;
        named_set(m.get(), c.measured);
        named_set(r.get(), c.reference);
        EXPECT_EQ(align_patch_sets(m.get(), r.get()), c.result);
        if (c.result == ENGINE_OK) {
            EXPECT_EQ(names_of(m.get()), c.kept);
        }
    }
}

TEST(PatchSet, GamutTable)
{
    owned_set set;
    ASSERT_EQ(patch_set_alloc(set.get(), 3), ENGINE_OK);
    set->data_space = SIG_RGB;
    // Pure red at full and half lightness, and a grey.
    const float rgb[3][3] = {{255, 0, 0}, {128, 0, 0}, {128, 128, 128}};
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 3; ++k)
            set->patches[i].device[k] = rgb[i][k];
    const double probe[3] = {1, 1, 1};
    double none = 0;
    EXPECT_EQ(patch_set_gamut_excess(set.get(), probe, &none), ENGINE_ERR_FILE);
    ASSERT_EQ(patch_set_build_gamut_table(set.get()), ENGINE_OK);
    const float *t = set->gamut_table;
    // Red: hue 0, saturation 100 -> cell 0 + 51 * 20; the last patch wins.
    EXPECT_FLOAT_EQ(t[51 * 20], 25.0f);
    EXPECT_FLOAT_EQ(t[0], 50.0f);  // grey: hue 0, saturation 0
    EXPECT_FLOAT_EQ(t[1], -1.0f);  // after the last defined cell
    double excess = -1;
    const double bright_red[3] = {255, 0, 0};
    ASSERT_EQ(patch_set_gamut_excess(set.get(), bright_red, &excess), ENGINE_OK);
    EXPECT_NEAR(excess, 0.25, 1e-9);
    const double dark_red[3] = {100, 0, 0};
    ASSERT_EQ(patch_set_gamut_excess(set.get(), dark_red, &excess), ENGINE_OK);
    EXPECT_DOUBLE_EQ(excess, 0.0);

    owned_set lab;
    ASSERT_EQ(patch_set_alloc(lab.get(), 1), ENGINE_OK);
    lab->data_space = SIG_LAB;
    EXPECT_EQ(patch_set_build_gamut_table(lab.get()), ENGINE_ERR_WRONG_KIND);
    owned_set empty;
    EXPECT_EQ(patch_set_build_gamut_table(empty.get()), ENGINE_ERR_EMPTY);
}

TEST(PatchSet, GamutTableInterpolatesWithinARow)
{
    owned_set set;
    ASSERT_EQ(patch_set_alloc(set.get(), 2), ENGINE_OK);
    set->data_space = SIG_CMYK;
    // CMYK 0 100 100 0 is red (hue 0), 100 100 0 0 is blue (hue 240).
    const float cmyk[2][4] = {{0, 100, 100, 0}, {100, 100, 0, 0}};
    for (int i = 0; i < 2; ++i)
        for (int k = 0; k < 4; ++k)
            set->patches[i].device[k] = cmyk[i][k];
    ASSERT_EQ(patch_set_build_gamut_table(set.get()), ENGINE_OK);
    const float *row = set->gamut_table + 51 * 20;
    EXPECT_FLOAT_EQ(row[0], 50.0f);
    EXPECT_FLOAT_EQ(row[33], 50.0f);  // round(66.67 * 0.5)
    EXPECT_FLOAT_EQ(row[16], 50.0f);
    EXPECT_FLOAT_EQ(row[34], -1.0f);
}

// A flat 100 % reflector, 380-780 nm by 10 nm.
void white_reflector(patch_set *set)
{
    ASSERT_EQ(patch_set_alloc(set, 1), ENGINE_OK);
    set->spectral = 1;
    set->data_space = SIG_LAB;
    engine_spectrum &s = set->patches[0].spectrum;
    s.start_nm = 380;
    s.end_nm = 780;
    s.step_nm = 10;
    for (int i = 0; i < 41; ++i)
        s.values[i] = 100.0;
}

TEST(PatchSet, SpectraToXyzUnderD50)
{
    owned_set set;
    white_reflector(set.get());
    ASSERT_EQ(patch_set_spectra_to_xyz(set.get()), ENGINE_OK);
    EXPECT_NEAR(set->patches[0].xyz[0], 96.42, 0.05);
    EXPECT_NEAR(set->patches[0].xyz[1], 100.0, 1e-3);
    EXPECT_NEAR(set->patches[0].xyz[2], 82.49, 0.1);
    EXPECT_EQ(set->data_space, SIG_XYZ);

    set->patches[0].spectrum.step_nm = 20;
    EXPECT_EQ(patch_set_spectra_to_xyz(set.get()), ENGINE_ERR_WRONG_KIND);
    owned_set plain;
    ASSERT_EQ(patch_set_alloc(plain.get(), 1), ENGINE_OK);
    EXPECT_EQ(patch_set_spectra_to_xyz(plain.get()), ENGINE_ERR_EMPTY);
}

// The values of colord's CIE illuminant A file (300-830 nm by 1 nm).
std::vector<float> colord_illuminant_a()
{
    std::ifstream in("/usr/share/colord/illuminant/CIE-A.sp");
    std::string line;
    while (std::getline(in, line) && line.rfind("BEGIN_DATA", 0) != 0) {
    }
    // The format block opens with BEGIN_DATA_FORMAT; the values follow BEGIN_DATA.
    while (line.rfind("BEGIN_DATA_FORMAT", 0) == 0 && std::getline(in, line)) {
        while (line.rfind("BEGIN_DATA", 0) != 0 && std::getline(in, line)) {
        }
    }
    std::getline(in, line);
    std::istringstream values(line);
    std::vector<float> out;
    float v;
    while (values >> v)
        out.push_back(v);
    return out;
}

TEST(PatchSet, ReilluminateUnderColordIlluminantA)
{
    const std::vector<float> a = colord_illuminant_a();
    ASSERT_EQ(a.size(), 531u);
    const spectrum_samples samples{a.data(), uint32_t(a.size()), 300, 1};
    engine_spectrum illuminant {};
    subsample_illuminant(&samples, &illuminant);
    ASSERT_EQ(illuminant.step_nm, 5);
    ASSERT_EQ(engine_spectrum_count(illuminant), 107);

    owned_set set;
    white_reflector(set.get());
    ASSERT_EQ(patch_set_reilluminate(set.get(), &illuminant, 0), ENGINE_OK);
    // The perfect reflector under A is A's white point.
    EXPECT_NEAR(set->patches[0].xyz[0], 109.85, 0.1);
    EXPECT_NEAR(set->patches[0].xyz[1], 100.0, 1e-3);
    EXPECT_NEAR(set->patches[0].xyz[2], 35.58, 0.1);
    EXPECT_NEAR(set->patches[0].lab[0], 100.0, 1e-3);
    EXPECT_NEAR(set->patches[0].lab[1], 0.0, 1e-3);

    ASSERT_EQ(patch_set_reilluminate(set.get(), &illuminant, 1), ENGINE_OK);
    EXPECT_NEAR(set->patches[0].xyz[0], 111.14, 0.1);  // 10-degree observer
    EXPECT_NEAR(set->patches[0].xyz[2], 35.20, 0.1);
}

}  // namespace
