#include "engine/cgats.h"
#include "io_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Three patches: RGB with Lab, one of them ignored and one without a name.
void fill_rgb_lab(patch_set *set)
{
    ASSERT_EQ(patch_set_alloc(set, 3), ENGINE_OK);
    set->data_space = SIG_RGB;
    set->channels = 3;
    set->pcs = SIG_LAB;
    set->pcs_channels = 3;
    const char *names[3] = {"A1", "", "A3"};
    const char *controls[3] = {"N", "I", ""};
    for (int i = 0; i < 3; ++i) {
        patch_record &p = set->patches[i];
        std::strcpy(p.name, names[i]);
        std::strcpy(p.control, controls[i]);
        p.sample_id = i;
        for (int k = 0; k < 3; ++k)
            p.device[k] = float(10 * (i + 1) + k);
        p.lab[0] = 50.0f + i;
        p.lab[1] = -1.5f;
        p.lab[2] = 2.25f;
        p.xyz[0] = p.xyz[1] = p.xyz[2] = 20.0f;
        p.delta_e = 0.5f;
    }
}

std::string format_line(const std::string &file)
{
    const std::string open = "BEGIN_DATA_FORMAT\n";
    const size_t a = file.find(open);
    const size_t b = file.find('\n', a + open.size());
    return file.substr(a + open.size(), b - a - open.size());
}

TEST(Writer, CamDataMaskColumnsAndRowNumberForEmptyName)
{
    owned_set set;
    fill_rgb_lab(set.get());
    scratch_dir dir;
    const std::string path = dir.file("CamData.CIE");
    ASSERT_EQ(write_cgats_file(set.get(), path.c_str(), 0x431, 0, "DESCRIPTOR \"camera\""),
              ENGINE_OK);
    const std::string text = read_all(path);
    EXPECT_EQ(text.rfind("Reference File\n\nKEYWORD\tCONTROL\nKEYWORD\tSAMPLE_LOC\n\n", 0), 0u);
    EXPECT_EQ(format_line(text),
              "SAMPLE_LOC\tCONTROL\tRGB_R\tRGB_G\tRGB_B\tLAB_L\tLAB_A\tLAB_B\t");
    EXPECT_NE(text.find("PATCHES 3\n\n"), std::string::npos);
    EXPECT_NE(text.find("\nDESCRIPTOR \"camera\"\n"), std::string::npos);
    EXPECT_NE(text.find("A1\tN\t10.00\t11.00\t12.00\t50.000\t-1.500\t 2.250\t\n"),
              std::string::npos);
    EXPECT_NE(text.find("\n2\tI\t20.00\t"), std::string::npos);  // row number from 1
    EXPECT_NE(text.find("A3\tN\t"), std::string::npos);          // empty control
    EXPECT_EQ(text.find("BEGIN_COMMENT"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 9), "END_DATA\n");
}

TEST(Writer, ColumnOrderOfEveryBit)
{
    owned_set set;
    fill_rgb_lab(set.get());
    set->channels = 6;
    set->extra_columns = 1;
    std::strcpy(set->channel_names[5], "EXTRA_Q");
    for (int i = 0; i < 3; ++i) {
        engine_spectrum &s = set->patches[i].spectrum;
        s.start_nm = 400;
        s.end_nm = 420;
        s.step_nm = 10;
        s.values[0] = s.values[1] = s.values[2] = 0.5;
    }
    scratch_dir dir;
    const std::string path = dir.file("all.cie");
    ASSERT_EQ(write_cgats_file(set.get(), path.c_str(), 0x1fff, 3, nullptr), ENGINE_OK);
    const std::string text = read_all(path);
    EXPECT_EQ(format_line(text),
              "SAMPLE_ID\tSAMPLE_LOC\tCONTROL\tCMYK_C\tCMYK_M\tCMYK_Y\tCMYK_K\tCMY_C\tCMY_M\t"
              "CMY_Y\tRGB_R\tRGB_G\tRGB_B\tMCH0\tMCH1\tMCH2\tDE2000\tEXTRA_Q\tR_400\tR_410\t"
              "R_420\tXYZ_X\tXYZ_Y\tXYZ_Z\tLAB_L\tLAB_A\tLAB_B\tLCH_L\tLCH_C\tLCH_H\t");
    EXPECT_NE(text.find("KEYWORD\tEXTRA_Q\n"), std::string::npos);
    EXPECT_NE(text.find("\nBEGIN_COMMENT\n3\nEND_COMMENT\n"), std::string::npos);
    EXPECT_NE(text.find("\n0000\tA1\tN\t"), std::string::npos);
    EXPECT_NE(text.find("\t 0.5000\t 0.5000\t 0.5000\t"), std::string::npos);
}

TEST(Writer, SkipIgnoredAndReadBack)
{
    owned_set set;
    fill_rgb_lab(set.get());
    scratch_dir dir;
    const std::string path = dir.file("kept.cie");
    ASSERT_EQ(write_cgats_file(set.get(), path.c_str(), 0x2000 | 0x431, 0, nullptr), ENGINE_OK);
    owned_set back;
    ASSERT_EQ(read_cgats_file(path.c_str(), back.get()), ENGINE_OK);
    ASSERT_EQ(back->count, 2);
    EXPECT_STREQ(back->patches[0].name, "A1");
    EXPECT_STREQ(back->patches[1].name, "A3");
    EXPECT_STREQ(back->patches[1].control, "N");
    EXPECT_FLOAT_EQ(back->patches[1].device[2], 32.0f);
    EXPECT_NEAR(back->patches[1].lab[0], 52.0f, 1e-3);
    EXPECT_EQ(back->data_space, SIG_RGB);
    EXPECT_EQ(back->pcs, SIG_LAB);
}

TEST(Writer, NameWithBlanksReadsBackAsOneField)
{
    owned_set set;
    fill_rgb_lab(set.get());
    std::strcpy(set->patches[0].name, "dark skin");
    scratch_dir dir;
    const std::string path = dir.file("names.cie");
    ASSERT_EQ(write_cgats_file(set.get(), path.c_str(), 0x431, 0, nullptr), ENGINE_OK);
    owned_set back;
    ASSERT_EQ(read_cgats_file(path.c_str(), back.get()), ENGINE_OK);
    EXPECT_STREQ(back->patches[0].name, "dark skin");
    EXPECT_FLOAT_EQ(back->patches[0].device[0], 10.0f);
}

TEST(Writer, Failures)
{
    scratch_dir dir;
    owned_set empty;
    EXPECT_EQ(write_cgats_file(empty.get(), dir.file("e.cie").c_str(), 0x431, 0, nullptr),
              ENGINE_ERR_EMPTY);
    EXPECT_FALSE(file_exists(dir.file("e.cie")));

    owned_set set;
    fill_rgb_lab(set.get());
    EXPECT_EQ(write_cgats_file(set.get(), "/nonexistent/dir/x.cie", 0x431, 0, nullptr),
              ENGINE_ERR_FILE);

    // 120 wavelengths are more than the writer lays out; an existing file
    // of that name is left as it was.
    for (int i = 0; i < 3; ++i) {
        engine_spectrum &s = set->patches[i].spectrum;
        s.start_nm = 380;
        s.step_nm = 1;
        s.end_nm = 380 + 119;
    }
    const std::string path = dir.write("spec.cie", "old");
    EXPECT_EQ(write_cgats_file(set.get(), path.c_str(), 0x4 | 0x1, 0, nullptr),
              ENGINE_ERR_TOO_MANY_SAMPLES);
    EXPECT_EQ(read_all(path), "old");
    // 119 fit.
    for (int i = 0; i < 3; ++i)
        set->patches[i].spectrum.end_nm = 380 + 118;
    EXPECT_EQ(write_cgats_file(set.get(), path.c_str(), 0x4 | 0x1, 0, nullptr), ENGINE_OK);
}

TEST(TextQueries, CommentLine)
{
    scratch_dir dir;
    const std::string path =
        dir.write("c.cie", "Reference File\r\nBEGIN_COMMENT\r\n1234\r\nEND_COMMENT\r\n");
    char out[64] = {};
    EXPECT_EQ(read_cgats_comment(path.c_str(), out, sizeof out), ENGINE_OK);
    EXPECT_STREQ(out, "1234\r\n");

    char small[4] = {};
    EXPECT_EQ(read_cgats_comment(path.c_str(), small, sizeof small), ENGINE_OK);
    EXPECT_STREQ(small, "123");

    const std::string none = dir.write("n.cie", "BEGIN_DATA\nEND_DATA\n");
    EXPECT_EQ(read_cgats_comment(none.c_str(), out, sizeof out), ENGINE_ERR_FILE);

    char untouched[8] = "keep";
    EXPECT_EQ(read_cgats_comment("/nonexistent/c.cie", untouched, sizeof untouched), ENGINE_OK);
    EXPECT_STREQ(untouched, "keep");
}

TEST(TextQueries, ContainsText)
{
    scratch_dir dir;
    const std::string path = dir.write("t.txt", std::string("ab\0cd MODEL x", 13));
    EXPECT_TRUE(file_contains_text(path.c_str(), "MODEL"));
    EXPECT_TRUE(file_contains_text(path.c_str(), "cd"));
    EXPECT_FALSE(file_contains_text(path.c_str(), "MODELS"));
    EXPECT_FALSE(file_contains_text("/nonexistent/t.txt", "MODEL"));
}

TEST(TextQueries, TextValue)
{
    scratch_dir dir;
    const std::string path =
        dir.write("v.txt", "x\nMODEL\t'Camera One'\tmore\r\nMAKE=Acme\r\nNOTE=abc\tdef\n");
    struct value_case {
        const char *key;
        const char *value;
    };
    const value_case cases[] = {
        {"MODEL\t", "Camera One"},
        {"MAKE=", "Acme"},
        {"NOTE=", "abc"},
    };
    for (const value_case &c : cases) {
        char out[32] = {};
        EXPECT_EQ(read_text_value(path.c_str(), c.key, out, sizeof out), ENGINE_OK) << c.key;
        EXPECT_STREQ(out, c.value) << c.key;
    }
    char small[4] = {};
    EXPECT_EQ(read_text_value(path.c_str(), "MODEL\t", small, sizeof small), ENGINE_OK);
    EXPECT_STREQ(small, "Cam");
    char out[8] = {};
    EXPECT_EQ(read_text_value(path.c_str(), "SERIAL", out, sizeof out), ENGINE_ERR_FILE);
    EXPECT_EQ(read_text_value("/nonexistent/v.txt", "MODEL", out, sizeof out), ENGINE_OK);
    EXPECT_STREQ(out, "");
}

}  // namespace
