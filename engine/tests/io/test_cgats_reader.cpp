#include "engine/cgats.h"
#include "io_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string sig_text(uint32_t s)
{
    return std::string{char(s >> 24), char(s >> 16), char(s >> 8), char(s)};
}

engine_result read_text(const std::string &text, patch_set *set)
{
    return read_cgats_bytes(text.data(), text.size(), set);
}

std::string cgats(const std::string &fields, const std::string &rows,
                  const std::string &head = "")
{
    return "CGATS.17\n" + head + "BEGIN_DATA_FORMAT\n" + fields + "\nEND_DATA_FORMAT\n" +
           "BEGIN_DATA\n" + rows + "END_DATA\n";
}

// Signatures and channel counts by column family.
struct layout_case {
    const char *label;
    std::string text;
    const char *data_space;
    const char *pcs;
    int channels;
    int pcs_channels;
};

class ReaderLayout : public ::testing::TestWithParam<layout_case> {};

TEST_P(ReaderLayout, SignaturesAndCounts)
{
    const layout_case &c = GetParam();
    owned_set set;
    ASSERT_EQ(read_text(c.text, set.get()), ENGINE_OK);
    EXPECT_EQ(sig_text(set->data_space), c.data_space);
    EXPECT_EQ(sig_text(set->pcs), c.pcs);
    EXPECT_EQ(set->channels, c.channels);
    EXPECT_EQ(set->pcs_channels, c.pcs_channels);
}

INSTANTIATE_TEST_SUITE_P(
    Families, ReaderLayout,
    ::testing::Values(
        layout_case{"lab_only", cgats("SAMPLE_ID LAB_L LAB_A LAB_B", "A1 50 10 -10\n"), "Lab ",
                    "    ", 0, 0},
        layout_case{"rgb_lab", cgats("SAMPLE_ID RGB_R RGB_G RGB_B LAB_L LAB_A LAB_B",
                                     "A1 10 20 30 50 0 0\n"),
                    "RGB ", "Lab ", 3, 3},
        layout_case{"cmyk_xyz", cgats("CMYK_C CMYK_M CMYK_Y CMYK_K XYZ_X XYZ_Y XYZ_Z",
                                      "0 0 0 0 90 95 80\n"),
                    "CMYK", "XYZ ", 4, 3},
        layout_case{"cmy", cgats("CMY_C CMY_M CMY_Y LCH_L LCH_C LCH_H", "1 2 3 50 10 20\n"),
                    "CMY ", "LCh ", 3, 3},
        layout_case{"one_letter_cmyk", cgats("C M Y K LAB_L LAB_A LAB_B", "1 2 3 4 50 0 0\n"),
                    "CMYK", "Lab ", 4, 3},
        layout_case{"clr_channels", cgats("4CLR_1 4CLR_2 4CLR_3 4CLR_4", "1 2 3 4\n"), "4CLR",
                    "    ", 4, 0},
        layout_case{"xyy", cgats("xyY_x xyY_y xyY_Y", "0.3457 0.3585 100\n"), "XYZ ", "    ",
                    0, 0},
        layout_case{"spectral", cgats("SAMPLE_ID R_400 R_500 R_600 RGB_R RGB_G RGB_B",
                                      "1 0.5 0.5 0.5 1 2 3\n"),
                    "RGB ", "Lab ", 3, 3},
        layout_case{"unknown_columns_are_channels", cgats("FOO BAR", "1 2\n"), "    ", "    ",
                    2, 0}),
    [](const ::testing::TestParamInfo<layout_case> &i) { return std::string(i.param.label); });

TEST(Reader, OneLetterFieldDoesNotMatchControlKeyword)
{
    // "C" shares its first letter with the CONTROL keyword; it stays a CMY
    // channel and the control column still reads.
    owned_set set;
    ASSERT_EQ(read_text(cgats("SAMPLE_ID CONTROL C M Y", "A1 I 10 20 30\n",
                              "KEYWORD \"CONTROL\"\n"),
                        set.get()),
              ENGINE_OK);
    EXPECT_STREQ(set->patches[0].control, "I");
    EXPECT_FLOAT_EQ(set->patches[0].device[0], 10.0f);
    EXPECT_EQ(sig_text(set->data_space), "CMY ");
}

TEST(Reader, SampleIdNumbering)
{
    struct id_case {
        const char *fields;
        const char *rows;
        std::vector<int> ids;
    };
    const id_case cases[] = {
        {"SAMPLE_ID SAMPLE_LOC RGB_R", "1 A1 5\n2 A2 6\n3 A3 7\n", {0, 1, 2}},
        {"SAMPLE_ID SAMPLE_LOC RGB_R", "0 A1 5\n1 A2 6\n2 A3 7\n", {0, 1, 2}},
        {"SAMPLE_LOC RGB_R", "A1 5\nA2 6\nA3 7\n", {0, 1, 2}},
        {"SAMPLE_ID RGB_R", "A1 5\nA2 6\n", {0, 1}},
        // One row without a number: no shift, that row counts from 0.
        {"SAMPLE_ID SAMPLE_LOC RGB_R", "5 A1 5\nx A2 6\n", {5, 1}},
    };
    for (const id_case &c : cases) {
        SCOPED_TRACE(c.rows);
        owned_set set;
        ASSERT_EQ(read_text(cgats(c.fields, c.rows), set.get()), ENGINE_OK);
        ASSERT_EQ(set->count, int(c.ids.size()));
        for (int i = 0; i < set->count; ++i)
            EXPECT_EQ(set->patches[i].sample_id, c.ids[size_t(i)]) << i;
    }
}

TEST(Reader, LineEndsReadAlike)
{
    std::string lf = cgats("SAMPLE_ID SAMPLE_LOC RGB_R RGB_G RGB_B",
                                 "1 A1 1 2 3\n# note\n2 A2 4 5 6\n");
    std::string crlf, cr;
    for (char c : lf) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        cr += c == '\n' ? '\r' : c;
    }
    for (const std::string *text : {&lf, &crlf, &cr}) {
        SCOPED_TRACE(text == &lf ? "LF" : text == &cr ? "CR" : "CR LF");
        owned_set set;
        ASSERT_EQ(read_text(*text, set.get()), ENGINE_OK);
        ASSERT_EQ(set->count, 2);
        EXPECT_STREQ(set->patches[1].name, "A2");
        EXPECT_FLOAT_EQ(set->patches[1].device[2], 6.0f);
    }
}

TEST(Reader, SpectraScaledToPercentUnlessAnyValueAboveTwo)
{
    owned_set fraction;
    ASSERT_EQ(read_text(cgats("R_400 R_410 R_420", "0.5 1.0 1.5\n0.2 0.2 0.2\n"),
                        fraction.get()),
              ENGINE_OK);
    ASSERT_TRUE(fraction->spectral);
    EXPECT_DOUBLE_EQ(fraction->patches[0].spectrum.values[0], 50.0);
    EXPECT_DOUBLE_EQ(fraction->patches[1].spectrum.values[2], 20.0);

    owned_set percent;
    ASSERT_EQ(read_text(cgats("R_400 R_410 R_420", "0.5 1.0 1.5\n0.2 0.2 2.5\n"),
                        percent.get()),
              ENGINE_OK);
    EXPECT_DOUBLE_EQ(percent->patches[0].spectrum.values[0], 0.5);
    EXPECT_DOUBLE_EQ(percent->patches[1].spectrum.values[2], 2.5);
}

TEST(Reader, FlatWhiteSpectrumIntegratesToD50White)
{
    std::string fields, row;
    for (int nm = 380; nm <= 730; nm += 10) {
        fields += "R_" + std::to_string(nm) + " ";
        row += "1.0 ";
    }
    owned_set set;
    ASSERT_EQ(read_text(cgats(fields, row + "\n"), set.get()), ENGINE_OK);
    const patch_record &p = set->patches[0];
    EXPECT_EQ(p.spectrum.start_nm, 380);
    EXPECT_EQ(p.spectrum.end_nm, 730);
    EXPECT_EQ(p.spectrum.step_nm, 10);
    EXPECT_NEAR(p.xyz[1], 100.0, 1e-3);
    EXPECT_NEAR(p.xyz[0], 96.42, 0.3);
    EXPECT_NEAR(p.xyz[2], 82.49, 0.6);
    EXPECT_NEAR(p.lab[0], 100.0, 1e-3);
}

TEST(Reader, TwentyNanometreSpectraBecomeTenNanometre)
{
    std::string fields, row;
    for (int nm = 400; nm <= 700; nm += 20) {
        fields += "SPECTRAL_NM_" + std::to_string(nm) + " ";
        row += std::to_string(0.2 + (nm - 400) / 500.0) + " ";
    }
    owned_set set;
    ASSERT_EQ(read_text(cgats(fields, row + "\n"), set.get()), ENGINE_OK);
    const engine_spectrum &s = set->patches[0].spectrum;
    EXPECT_EQ(s.step_nm, 10);
    EXPECT_EQ(s.start_nm, 400);
    EXPECT_EQ(s.end_nm, 700);
    ASSERT_EQ(engine_spectrum_count(s), 31);
    // A straight line stays straight, up to its ends.
    for (int i : {1, 15, 29})
        EXPECT_NEAR(s.values[i], (s.values[i - 1] + s.values[i + 1]) / 2.0, 1e-9) << i;
    EXPECT_NEAR(s.values[0], 20.0, 1e-9);
}

TEST(Reader, SpectrumBlockAndPairedColumns)
{
    owned_set block;
    ASSERT_EQ(read_text("BEGIN_SPECTRUM\nSPECTRUM_START 400\nSPECTRUM_END 420\n"
                        "SPECTRUM_INC 10\nBEGIN_DATA_FORMAT\nSAMPLE_ID S1 S2 S3\n"
                        "END_DATA_FORMAT\nBEGIN_DATA\n1 0.1 0.2 0.3\nEND_DATA\n",
                        block.get()),
              ENGINE_OK);
    ASSERT_TRUE(block->spectral);
    EXPECT_EQ(block->patches[0].spectrum.start_nm, 400);
    EXPECT_EQ(block->patches[0].spectrum.end_nm, 420);
    EXPECT_DOUBLE_EQ(block->patches[0].spectrum.values[2], 30.0);
}

TEST(Reader, XyzAboveHundredGetsLabAgainstBrightestPatch)
{
    owned_set set;
    ASSERT_EQ(read_text(cgats("XYZ_X XYZ_Y XYZ_Z", "190 200 170\n95 100 85\n"), set.get()),
              ENGINE_OK);
    EXPECT_NEAR(set->patches[0].lab[0], 100.0, 1e-3);
    EXPECT_NEAR(set->patches[0].lab[1], 0.0, 1e-3);
    EXPECT_NEAR(set->patches[1].lab[0], 76.07, 0.01);  // Y/Yw = 0.5
}

TEST(Reader, CiexFilesAreInvertedBytes)
{
    const std::string text = cgats("SAMPLE_LOC LAB_L LAB_A LAB_B", "A1 50 1 2\nA2 60 3 4\n");
    std::string inverted = text;
    for (char &c : inverted)
        c = char(~static_cast<unsigned char>(c));
    scratch_dir dir;
    for (const char *name : {"ref.ciex", "ref.CIEX"}) {
        owned_set set;
        ASSERT_EQ(read_cgats_file(dir.write(name, inverted).c_str(), set.get()), ENGINE_OK)
            << name;
        ASSERT_EQ(set->count, 2);
        EXPECT_FLOAT_EQ(set->patches[1].lab[0], 60.0f);
    }
    owned_set plain;
    ASSERT_EQ(read_cgats_file(dir.write("ref.txt", text).c_str(), plain.get()), ENGINE_OK);
    EXPECT_FLOAT_EQ(plain->patches[1].lab[0], 60.0f);
    // The same inverted bytes under another name are not a measurement file.
    owned_set wrong;
    EXPECT_NE(read_cgats_file(dir.write("ref.cie", inverted).c_str(), wrong.get()), ENGINE_OK);
}

TEST(Reader, BackslashSeparatesFolders)
{
    scratch_dir dir;
    dir.write("m.cie", cgats("LAB_L LAB_A LAB_B", "50 0 0\n"));
    std::string path = dir.path() + "\\m.cie";
    owned_set set;
    EXPECT_EQ(read_cgats_file(path.c_str(), set.get()), ENGINE_OK);
    EXPECT_EQ(set->count, 1);
}

TEST(Reader, LongTextsAreCutToTheirFields)
{
    const std::string name(200, 'n');
    const std::string control(50, 'I');
    owned_set set;
    ASSERT_EQ(read_text(cgats("SAMPLE_NAME CONTROL RGB_R",
                              name + " " + control + " 1\n", "KEYWORD CONTROL\n"),
                        set.get()),
              ENGINE_OK);
    EXPECT_EQ(std::strlen(set->patches[0].name), size_t(ENGINE_NAME_LEN - 1));
    EXPECT_EQ(std::strlen(set->patches[0].control), size_t(ENGINE_CONTROL_LEN - 1));
}

// Malformed input: a result code, never a read or write out of bounds.
struct bad_case {
    const char *label;
    std::string text;
    engine_result expected;
    int count;  // patches read when the result is 0
};

class ReaderBadInput : public ::testing::TestWithParam<bad_case> {};

TEST_P(ReaderBadInput, GivesResultCode)
{
    const bad_case &c = GetParam();
    owned_set set;
    EXPECT_EQ(read_text(c.text, set.get()), c.expected);
    if (c.expected == ENGINE_OK) {
        EXPECT_EQ(set->count, c.count);
    }
}

std::string many_fields(int n)
{
    std::string f;
    for (int i = 0; i < n; ++i)
        f += "F" + std::to_string(i) + " ";
    return cgats(f, "1\n");
}

std::string spectral_out_of_range()
{
    // 200 wavelengths 1 nm apart: more samples than the record holds.
    std::string f, r;
    for (int nm = 380; nm < 380 + 110; ++nm) {
        f += "R_" + std::to_string(nm) + " ";
        r += "0.5 ";
    }
    f += "R_100000";
    r += "0.5";
    return cgats(f, r + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReaderBadInput,
    ::testing::Values(
        bad_case{"empty", "", ENGINE_ERR_FILE, 0},
        bad_case{"no_data", "CGATS.17\nBEGIN_DATA_FORMAT\nRGB_R\nEND_DATA_FORMAT\n",
                 ENGINE_ERR_FILE, 0},
        bad_case{"truncated_in_data",
                 "BEGIN_DATA_FORMAT\nRGB_R RGB_G RGB_B\nEND_DATA_FORMAT\nBEGIN_DATA\n1 2 3\n4 5",
                 ENGINE_OK, 2},
        bad_case{"truncated_in_format", "BEGIN_DATA_FORMAT\nRGB_R RGB_G", ENGINE_ERR_FILE, 0},
        bad_case{"binary",
                 std::string("\x00\xff\x01\n"
                             "BEGIN_DATA\n"
                             "\x00\x80\x90\n",
                             19),
                 ENGINE_OK, 1},
        bad_case{"more_fields_than_values",
                 cgats("SAMPLE_ID RGB_R RGB_G RGB_B LAB_L LAB_A LAB_B", "A1 1\n"), ENGINE_OK,
                 1},
        bad_case{"more_values_than_fields", cgats("RGB_R", "1 2 3 4 5 6 7 8 9 10 11\n"),
                 ENGINE_OK, 1},
        bad_case{"lying_number_of_sets",
                 cgats("RGB_R", "1\n2\n", "NUMBER_OF_SETS 100000000\n"), ENGINE_OK, 2},
        bad_case{"too_many_fields", many_fields(121), ENGINE_ERR_FILE, 0},
        bad_case{"spectral_out_of_range", spectral_out_of_range(), ENGINE_OK, 1},
        bad_case{"single_spectral_field", cgats("R_500", "0.5\n"), ENGINE_OK, 1},
        bad_case{"huge_numbers", cgats("RGB_R XYZ_X XYZ_Y XYZ_Z", "1e309 1e300 -1e300 nan\n"),
                 ENGINE_OK, 1},
        bad_case{"ten_extra_columns", many_fields(10), ENGINE_OK, 1}),
    [](const ::testing::TestParamInfo<bad_case> &i) { return std::string(i.param.label); });

TEST(Reader, UnreadableFileIsFileError)
{
    owned_set set;
    EXPECT_EQ(read_cgats_file("/nonexistent/none.cie", set.get()), ENGINE_ERR_FILE);
    EXPECT_EQ(read_cgats_file("/tmp", set.get()), ENGINE_ERR_FILE);
    EXPECT_EQ(read_cgats_file(nullptr, set.get()), ENGINE_ERR_FILE);
}

TEST(Reader, HugeFileIsRefusedOrRead)
{
    // Many rows of a short line: the set holds every row.
    std::string rows;
    for (int i = 0; i < 200000; ++i)
        rows += "1 2 3\n";
    owned_set set;
    ASSERT_EQ(read_text(cgats("RGB_R RGB_G RGB_B", rows), set.get()), ENGINE_OK);
    EXPECT_EQ(set->count, 200000);
}

// Real files that others wrote.
TEST(ReaderRealFiles, ColorCheckerLabGivesKnownXyz)
{
    owned_set set;
    ASSERT_EQ(read_cgats_file((std::string(kArgyllRef) + "ColorChecker.cie").c_str(), set.get()),
              ENGINE_OK);
    ASSERT_EQ(set->count, 24);
    EXPECT_EQ(sig_text(set->data_space), "Lab ");
    EXPECT_EQ(set->channels, 0);
    EXPECT_STREQ(set->patches[0].name, "A01");
    EXPECT_EQ(set->patches[23].sample_id, 23);
    // Dark skin, L* 37.99 a* 13.56 b* 14.06 under D50.
    EXPECT_NEAR(set->patches[0].xyz[0], 11.52, 0.01);
    EXPECT_NEAR(set->patches[0].xyz[1], 10.08, 0.01);
    EXPECT_NEAR(set->patches[0].xyz[2], 5.09, 0.01);
}

TEST(ReaderRealFiles, XyzReferenceCharts)
{
    struct real_case {
        const char *file;
        int count;
        const char *data_space;
        const char *first_name;
        float first_y;
    };
    const real_case cases[] = {
        {"QPcard_201.cie", 30, "XYZ ", "A1", 50.5f},
        {"SpyderChecker.cie", 48, "XYZ ", "A1", 28.63f},
        {"CMP_Digital_Target-4.cie", 570, "RGB ", "A1", 14.12f},
        {"ColorCheckerPassport.cie", 50, "Lab ", "SAT1", 19.29f},
    };
    for (const real_case &c : cases) {
        SCOPED_TRACE(c.file);
        owned_set set;
        ASSERT_EQ(read_cgats_file((std::string(kArgyllRef) + c.file).c_str(), set.get()),
                  ENGINE_OK);
        EXPECT_EQ(set->count, c.count);
        EXPECT_EQ(sig_text(set->data_space), c.data_space);
        EXPECT_STREQ(set->patches[0].name, c.first_name);
        EXPECT_NEAR(set->patches[0].xyz[1], c.first_y, 0.02);
    }
}

TEST(ReaderRealFiles, CmpTargetIdsBecomeZeroBased)
{
    owned_set set;
    ASSERT_EQ(read_cgats_file((std::string(kArgyllRef) + "CMP_Digital_Target-4.cie").c_str(),
                              set.get()),
              ENGINE_OK);
    EXPECT_EQ(sig_text(set->pcs), "XYZ ");
    EXPECT_EQ(set->patches[0].sample_id, 0);
    EXPECT_EQ(set->patches[569].sample_id, 569);
    EXPECT_FLOAT_EQ(set->patches[0].device[0], 106.60f);
}

TEST(ReaderRealFiles, Fogra39CrLfCmykWithLabAndXyz)
{
    owned_set set;
    ASSERT_EQ(read_cgats_file("/usr/share/color/icc/FOGRA39L.ti3", set.get()), ENGINE_OK);
    ASSERT_EQ(set->count, 1617);
    EXPECT_EQ(sig_text(set->data_space), "CMYK");
    EXPECT_EQ(sig_text(set->pcs), "Lab ");
    EXPECT_EQ(set->channels, 4);
    EXPECT_FLOAT_EQ(set->patches[1].device[1], 10.0f);
    // The XYZ recomputed from the file's Lab agrees with the file's own XYZ.
    EXPECT_NEAR(set->patches[0].xyz[0], 84.48, 0.05);
    EXPECT_NEAR(set->patches[0].xyz[1], 87.62, 0.05);
    EXPECT_NEAR(set->patches[0].xyz[2], 74.57, 0.05);
    EXPECT_STREQ(set->patches[1616].name, "1617");
}

TEST(ReaderRealFiles, IlluminantSpectraAreSpectra)
{
    // The .sp files name their samples SPEC_nnn; colord's give the wavelength
    // in thousandths of a nanometre at a 1 nm step, more samples than the
    // spectrum record holds, and are read every 5 nm.
    struct sp_case {
        std::string path;
        int count;
        double at_560;
    };
    const sp_case cases[] = {
        {std::string(kArgyllRef) + "D50_1.0.sp", 107, 100.0},
        {std::string(kArgyllRef) + "F1.sp", 0, -1.0},
        {"/usr/share/colord/illuminant/CIE-A.sp", 107, 1.0},
    };
    for (const sp_case &c : cases) {
        SCOPED_TRACE(c.path);
        owned_set set;
        cgats_report report;
        ASSERT_EQ(read_cgats_file_report(c.path.c_str(), set.get(), &report), ENGINE_OK)
            << report.message;
        ASSERT_EQ(set->count, 1);
        EXPECT_TRUE(set->spectral);
        EXPECT_EQ(set->channels, 0);
        const engine_spectrum &s = set->patches[0].spectrum;
        if (c.count == 0)
            continue;
        EXPECT_EQ(s.start_nm, 300);
        EXPECT_EQ(s.step_nm, 5);
        EXPECT_EQ(s.end_nm, 830);
        EXPECT_EQ(engine_spectrum_count(s), c.count);
        EXPECT_NEAR(s.values[(560 - 300) / 5], c.at_560, 1e-3);
    }
}

}  // namespace
