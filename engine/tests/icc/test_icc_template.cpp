// The fixed version 2 template road: sizes and offsets follow the tables and
// texts, every profile is built afresh, and a buffer that is too small gets
// nothing.
#include "icc_test_support.h"

#include "engine/icc_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace icc_test;

namespace {

struct template_tables {
    profile_tables t {};
    explicit template_tables(uint32_t colour_space = SIG_RGB, int trc_entries = 256)
    {
        t.colour_space = colour_space;
        t.pcs = SIG_LAB;
        t.device_class = ICC_CLASS_INPUT;
        const int inputs = icc_colour_space_channels(colour_space);
        lut_table_alloc(&t.a2b0_lut, ICC_TYPE_LUT16, inputs, 3, inputs == 3 ? 33 : 17, 256,
                        256);
        if (inputs == 3)
            fill_fixture_clut(t.a2b0_lut.clut, 33, SIG_LAB, true);
        for (icc_curve &c : t.trc) {
            c.count = uint16_t(trc_entries);
            c.entries = static_cast<uint16_t *>(std::calloc(size_t(trc_entries), 2));
            for (int j = 0; j < trc_entries; ++j)
                c.entries[j] = trc_entries == 1 ? 2200 : uint16_t(j * 257);
        }
        const float white[3] = {0.9642f, 1.0f, 0.8249f};
        std::memcpy(t.media_white, white, sizeof white);
        t.red[0] = t.green[1] = t.blue[2] = 1.0f;
        std::snprintf(t.description, sizeof t.description, "Scanner 7");
    }
    ~template_tables() { profile_tables_free(&t); }
};

std::vector<uint8_t> write_to_bytes(const profile_tables &t, const char *copyright)
{
    const uint32_t size = template_profile_size(&t, copyright);
    std::vector<uint8_t> p(size + 16, 0xEE);
    uint32_t length = 0;
    EXPECT_EQ(write_template_profile_to_buffer(p.data(), p.size(), &t, copyright, &length), 0);
    EXPECT_EQ(length, size);
    p.resize(length);
    return p;
}

// Zeroes the creation date and time, the only bytes that change between calls.
std::vector<uint8_t> without_date(std::vector<uint8_t> p)
{
    std::fill(p.begin() + 24, p.begin() + 36, 0);
    return p;
}

const char kCopyright[] = "Copyright (c) the studio; all rights reserved, 2026 and later on.";

TEST(icc_template, standard_table_keeps_the_template_layout)
{
    // 79 characters: the copyright tag of the stored template (88 bytes).
    const std::string cprt(79, 'c');
    template_tables f;
    const std::vector<uint8_t> p = write_to_bytes(f.t, cprt.c_str());
    ASSERT_FALSE(p.empty());
    EXPECT_EQ(be32(p, 0), p.size());
    EXPECT_EQ(be32(p, 8), 0x02000000u);
    EXPECT_EQ(be32(p, 12), engine_sig("scnr"));
    EXPECT_EQ(be32(p, 80), engine_sig("Kirr"));
    const std::vector<tag_entry> table = tag_table(p);
    struct where {
        const char *sig;
        uint32_t offset;
        uint32_t size;
    };
    const where expected[] = {
        {"desc", 2124, 9 + 91}, {"rXYZ", 384, 20},  {"gXYZ", 404, 20},  {"bXYZ", 424, 20},
        {"rTRC", 444, 524},     {"gTRC", 968, 524}, {"bTRC", 1492, 524}, {"wtpt", 2016, 20},
        {"cprt", 2036, 88},
    };
    ASSERT_EQ(table.size(), 10u);
    for (size_t i = 0; i < 9; ++i) {
        SCOPED_TRACE(expected[i].sig);
        EXPECT_EQ(table[i].sig, be32(std::vector<uint8_t>(expected[i].sig, expected[i].sig + 4), 0));
        EXPECT_EQ(table[i].offset, expected[i].offset);
        EXPECT_EQ(table[i].size, expected[i].size);
    }
    EXPECT_EQ(table[9].sig, engine_sig("A2B0"));
    const uint32_t a2b0_size = 52 + 3 * 512 + 33 * 33 * 33 * 3 * 2 + 3 * 512;
    EXPECT_EQ(table[9].size, a2b0_size);
    EXPECT_EQ(p.size(), (table[9].offset + a2b0_size + 3) / 4 * 4);  // padded to 4
    EXPECT_EQ(template_profile_size(&f.t, cprt.c_str()), p.size());

    lcms_reader lcms;
    profile_handle h(lcms.open(p));
    ASSERT_NE(h.h, nullptr) << lcms.complaints_text();
    cmsHPROFILE lab = cmsCreateLab4ProfileTHR(lcms.context(), nullptr);
    cmsHTRANSFORM x = cmsCreateTransformTHR(lcms.context(), h.h, TYPE_RGB_DBL, lab,
                                            TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC,
                                            cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
    ASSERT_NE(x, nullptr);
    for (const double v : {0.0, 0.25, 0.75, 1.0}) {
        const double rgb[3] = {v, 1.0 - v, 0.5};
        double want[3];
        fixture_lab(rgb, want);
        cmsCIELab got;
        cmsDoTransform(x, rgb, &got, 1);
        EXPECT_NEAR(got.L, want[0], 0.02);
        EXPECT_NEAR(got.a, want[1], 0.02);
        EXPECT_NEAR(got.b, want[2], 0.02);
    }
    cmsDeleteTransform(x);
    cmsCloseProfile(lab);
    auto *curve = static_cast<cmsToneCurve *>(cmsReadTag(h.h, cmsSigRedTRCTag));
    ASSERT_NE(curve, nullptr);
    EXPECT_TRUE(cmsIsToneCurveLinear(curve));
    EXPECT_TRUE(lcms.complaints().empty()) << lcms.complaints_text();
}

// Every size and offset follows the texts and tables: long texts never
// reach into the next tag, whatever the grid or channel count.
TEST(icc_template, sizes_follow_texts_and_tables)
{
    struct size_case {
        const char *name;
        uint32_t colour_space;
        int trc_entries;
        size_t description;
        size_t copyright;
    };
    const size_case cases[] = {
        {"gamma curves", SIG_RGB, 1, 10, 10},
        {"long description", SIG_RGB, 256, 1000, 5},
        {"long copyright", SIG_RGB, 256, 0, 3000},
        {"cmyk", SIG_CMYK, 256, 66, 67},
    };
    for (const size_case &c : cases) {
        SCOPED_TRACE(c.name);
        template_tables f(c.colour_space, c.trc_entries);
        const std::string desc(c.description, 'd');
        std::snprintf(f.t.description, sizeof f.t.description, "%s", desc.c_str());
        const std::string cprt(c.copyright, 'c');
        const std::vector<uint8_t> p = write_to_bytes(f.t, cprt.c_str());
        ASSERT_FALSE(p.empty());
        const std::vector<tag_entry> table = tag_table(p);
        ASSERT_EQ(table.size(), 10u);
        std::vector<tag_entry> by_offset = table;
        std::sort(by_offset.begin(), by_offset.end(),
                  [](const tag_entry &a, const tag_entry &b) { return a.offset < b.offset; });
        EXPECT_EQ(by_offset.front().offset, 384u);
        for (size_t i = 1; i < by_offset.size(); ++i)
            EXPECT_EQ(by_offset[i].offset, (by_offset[i - 1].offset + by_offset[i - 1].size + 3) / 4 * 4);
        EXPECT_EQ((size_t(by_offset.back().offset) + by_offset.back().size + 3) / 4 * 4, p.size());
        const tag_entry *d = find_tag(table, engine_sig("desc"));
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->size, desc.size() + 91);
        EXPECT_EQ(p[d->offset + 12 + desc.size() + 1 + 10], std::min<size_t>(desc.size() + 1, 67));
        if (c.trc_entries == 1) {
            const tag_entry *trc = find_tag(table, engine_sig("gTRC"));
            ASSERT_NE(trc, nullptr);
            EXPECT_EQ(trc->size, 14u);
            EXPECT_EQ(be16(p, trc->offset + 12), 0x0233);
        }
        lcms_reader lcms;
        profile_handle h(lcms.open(p));
        ASSERT_NE(h.h, nullptr) << lcms.complaints_text();
        auto *mlu = static_cast<cmsMLU *>(cmsReadTag(h.h, cmsSigProfileDescriptionTag));
        ASSERT_NE(mlu, nullptr);
        std::vector<char> text(desc.size() + 1);
        cmsMLUgetASCII(mlu, "en", "US", text.data(), cmsUInt32Number(text.size()));
        EXPECT_EQ(std::string(text.data()), desc);
        EXPECT_NE(cmsReadTag(h.h, cmsSigAToB0Tag), nullptr);
        EXPECT_TRUE(lcms.complaints().empty()) << lcms.complaints_text();
        if (have_program("iccdump")) {
            temp_folder dir;
            ASSERT_TRUE(write_file(dir.path() + "t.icc", std::string(p.begin(), p.end())));
            const run_result r = run("iccdump -v3 " + quoted(dir.path() + "t.icc"));
            EXPECT_EQ(r.status, 0) << r.output;
            for (const char *word : {"nable", "rror", "arning"})
                EXPECT_EQ(r.output.find(word), std::string::npos) << r.output;
        }
    }
}

// One profile's texts never show up in the next.
TEST(icc_template, each_profile_is_built_fresh)
{
    template_tables f;
    const std::vector<uint8_t> alone = write_to_bytes(f.t, "short");
    template_tables g;
    std::snprintf(g.t.description, sizeof g.t.description, "%s", std::string(500, 'L').c_str());
    write_to_bytes(g.t, std::string(900, 'X').c_str());
    const std::vector<uint8_t> after = write_to_bytes(f.t, "short");
    EXPECT_EQ(without_date(after), without_date(alone));
}

TEST(icc_template, small_buffer_gets_nothing)
{
    template_tables f;
    const uint32_t size = template_profile_size(&f.t, kCopyright);
    ASSERT_GT(size, 0u);
    for (const size_t capacity : {size_t(0), size_t(2444), size_t(size - 1)}) {
        std::vector<uint8_t> buffer(size, 0x5A);
        uint32_t length = 9;
        EXPECT_EQ(write_template_profile_to_buffer(buffer.data(), capacity, &f.t, kCopyright,
                                                   &length),
                  ICC_WRITE_FAILED);
        EXPECT_EQ(length, 0u);
        EXPECT_EQ(buffer, std::vector<uint8_t>(size, 0x5A));
    }
    std::vector<uint8_t> head(4096);
    size_t head_length = 0;
    ASSERT_EQ(fill_icc_template_header(&f.t, kCopyright, head.data(), head.size(), &head_length),
              0);
    const std::vector<uint8_t> whole = write_to_bytes(f.t, kCopyright);
    EXPECT_EQ(head_length, tag_table(whole)[9].offset + 52u);
    EXPECT_EQ(std::memcmp(head.data() + 36, whole.data() + 36, head_length - 36), 0);
    EXPECT_EQ(fill_icc_template_header(&f.t, kCopyright, head.data(), head_length - 1,
                                       &head_length),
              ICC_WRITE_FAILED);
}

TEST(icc_template, file_variant_writes_the_same_profile)
{
    template_tables f;
    temp_folder dir;
    const std::string path = dir.path() + "t.icc";
    std::FILE *file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(write_template_profile_to_file(file, &f.t, kCopyright), 0);
    std::fclose(file);
    EXPECT_EQ(without_date(read_file(path)), without_date(write_to_bytes(f.t, kCopyright)));
    file = std::fopen("/dev/full", "wb");
    if (file) {
        std::setvbuf(file, nullptr, _IONBF, 0);
        EXPECT_EQ(write_template_profile_to_file(file, &f.t, kCopyright), ICC_WRITE_FAILED);
        std::fclose(file);
    }
    EXPECT_EQ(write_template_profile_to_file(nullptr, &f.t, kCopyright), ICC_WRITE_FAILED);
}

TEST(icc_template, unusable_tables_are_refused)
{
    template_tables f;
    lut_table_free(&f.t.a2b0_lut);
    EXPECT_EQ(template_profile_size(&f.t, "c"), 0u);
    std::vector<uint8_t> buffer(300000);
    uint32_t length = 1;
    EXPECT_EQ(write_template_profile_to_buffer(buffer.data(), buffer.size(), &f.t, "c", &length),
              ENGINE_ERR_WRONG_KIND);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(write_template_profile_to_buffer(buffer.data(), buffer.size(), nullptr, "c",
                                               &length),
              ENGINE_ERR_WRONG_KIND);
}

}  // namespace
