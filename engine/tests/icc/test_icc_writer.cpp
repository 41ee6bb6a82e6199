// The general ICC road: every profile goes through Little CMS (any complaint
// fails), its tags are read back, its transform is checked against the
// tables, version 2 profiles also through iccdump when it is installed.
#include "icc_test_support.h"

#include "engine/icc_writer.h"
#include "engine/profile_output.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstring>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace icc_test;

namespace {

constexpr uint32_t kKirr = engine_sig("Kirr");

std::string sig_text(uint32_t s)
{
    std::string t(4, ' ');
    for (int i = 0; i < 4; ++i)
        t[size_t(i)] = char(s >> (24 - 8 * i));
    return t;
}

std::string tag_names(const std::vector<tag_entry> &table)
{
    std::string names;
    for (const tag_entry &e : table)
        names += (names.empty() ? "" : " ") + sig_text(e.sig);
    return names;
}

std::string mlu_text(cmsHPROFILE h, cmsTagSignature sig)
{
    auto *mlu = static_cast<cmsMLU *>(cmsReadTag(h, sig));
    if (!mlu)
        return "<missing>";
    const cmsUInt32Number n = cmsMLUgetASCII(mlu, "en", "US", nullptr, 0);
    std::string s(n, '\0');
    cmsMLUgetASCII(mlu, "en", "US", &s[0], n);
    return std::string(s.c_str());
}

std::vector<uint8_t> raw_tag(cmsHPROFILE h, uint32_t sig)
{
    const auto s = cmsTagSignature(sig);
    const cmsUInt32Number n = cmsReadRawTag(h, s, nullptr, 0);
    std::vector<uint8_t> bytes(n);
    if (n)
        cmsReadRawTag(h, s, bytes.data(), n);
    return bytes;
}

void expect_xyz(cmsHPROFILE h, cmsTagSignature sig, const float want[3], const char *what)
{
    auto *xyz = static_cast<cmsCIEXYZ *>(cmsReadTag(h, sig));
    ASSERT_NE(xyz, nullptr) << what;
    EXPECT_NEAR(xyz->X, want[0], 1.0 / 65536) << what;
    EXPECT_NEAR(xyz->Y, want[1], 1.0 / 65536) << what;
    EXPECT_NEAR(xyz->Z, want[2], 1.0 / 65536) << what;
}

// Device RGB to Lab through the profile at every CLUT node of a grid.
// Relative colorimetric: Little CMS adds black point compensation to a
// perceptual transform between version 4 profiles.
void expect_transform_gives_fixture(lcms_reader &lcms, cmsHPROFILE h, int grid, uint32_t pcs)
{
    cmsHPROFILE lab = cmsCreateLab4ProfileTHR(lcms.context(), nullptr);
    cmsHTRANSFORM t = cmsCreateTransformTHR(lcms.context(), h, TYPE_RGB_DBL, lab, TYPE_Lab_DBL,
                                            INTENT_RELATIVE_COLORIMETRIC,
                                            cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
    ASSERT_NE(t, nullptr) << lcms.complaints_text();
    double worst = 0;
    for (int r = 0; r < grid; ++r)
        for (int g = 0; g < grid; ++g)
            for (int b = 0; b < grid; ++b) {
                double rgb[3] = {r / double(grid - 1), g / double(grid - 1),
                                 b / double(grid - 1)};
                double want[3];
                if (pcs == SIG_XYZ) {
                    double xyz[3];
                    fixture_xyz(rgb, xyz);
                    cmsCIEXYZ x {xyz[0], xyz[1], xyz[2]};
                    cmsCIELab l;
                    cmsXYZ2Lab(nullptr, &l, &x);
                    want[0] = l.L, want[1] = l.a, want[2] = l.b;
                } else {
                    fixture_lab(rgb, want);
                }
                cmsCIELab got;
                cmsDoTransform(t, rgb, &got, 1);
                worst = std::max(worst, std::hypot(got.L - want[0], got.a - want[1],
                                                   got.b - want[2]));
            }
    EXPECT_LT(worst, 0.05) << "largest difference from the tables (dE76)";
    cmsDeleteTransform(t);
    cmsCloseProfile(lab);
}

void expect_iccdump_accepts(const std::vector<uint8_t> &bytes, const char *what)
{
    if (!have_program("iccdump")) {
        std::printf("iccdump not installed: profile not checked by it\n");
        return;
    }
    temp_folder dir;
    const std::string path = dir.path() + "p.icc";
    ASSERT_TRUE(write_file(path, std::string(bytes.begin(), bytes.end())));
    const run_result r = run("iccdump -v3 " + quoted(path));
    EXPECT_EQ(r.status, 0) << what << "\n" << r.output;
    // The private matrix keeps the program's mark, flag bytes 00 01 00 00,
    // which iccdump reads as an unknown 'data' flag; nothing else may be
    // refused.
    std::string output = r.output;
    const std::string mark = "sig      'P1MX'\n  type     'data'\n";
    const std::string refusal = "Unable to read: 1, icmData_read: Unknown flag value 0x10000\n";
    const size_t at = output.find(mark);
    if (at != std::string::npos) {
        const size_t bad = output.find(refusal, at);
        if (bad != std::string::npos)
            output.erase(bad, refusal.size());
    }
    for (const char *word : {"nable", "rror", "arning"})
        EXPECT_EQ(output.find(word), std::string::npos) << what << "\n" << output;
}

struct layout_case {
    const char *name;
    bool version4;
    bool use_mab;
    uint32_t pcs;
    bool private_matrix;
    bool targ;
    bool device;
    const char *tags;  // in table order
};

const layout_case kLayouts[] = {
    {"v2_lut_lab_plain", false, false, SIG_LAB, false, false, false,
     "desc cprt wtpt bkpt rXYZ gXYZ bXYZ rTRC gTRC bTRC A2B0 A2B1"},
    {"v2_lut_lab_everything", false, false, SIG_LAB, true, true, true,
     "desc mmod targ cprt wtpt bkpt rXYZ gXYZ bXYZ rTRC gTRC bTRC A2B0 A2B1 P1MX"},
    {"v2_lut_blank_pcs", false, false, SIG_BLANK, false, true, false,
     "desc targ cprt wtpt bkpt rXYZ gXYZ bXYZ rTRC gTRC bTRC A2B0 A2B1"},
    {"v4_lut_lab", false, false, SIG_LAB, true, false, false,
     "desc cprt wtpt bkpt rXYZ gXYZ bXYZ rTRC gTRC bTRC A2B0 A2B1 P1MX"},
    {"v4_mab_xyz", true, true, SIG_XYZ, true, true, false,
     "desc targ cprt wtpt bkpt A2B0 A2B1 P1MX"},
    {"v4_mab_lab_device", true, true, SIG_LAB, false, false, true,
     "desc mmod cprt wtpt bkpt A2B0 A2B1"},
    {"v4_lut_lab", true, false, SIG_LAB, false, true, false, "desc targ cprt wtpt bkpt A2B0 A2B1"},
};

class icc_layout : public ::testing::TestWithParam<layout_case> {};

TEST_P(icc_layout, real_readers_accept_and_read_back_every_tag)
{
    const layout_case &c = GetParam();
    const int grid = 9;
    rgb_fixture f(c.use_mab, c.pcs, grid);
    ASSERT_EQ(f.init_result, 0);
    const std::string targ = "CGATS.17\nNUMBER_OF_SETS\t1\nBEGIN_DATA\n1 2 3\nEND_DATA\n";
    if (c.targ) {
        f.tables.targ_text = strdup(targ.c_str());
        f.tables.targ_size = targ.size();
    }
    if (c.device) {
        f.writer.device[0] = engine_sig("Mkr1");
        f.writer.device[1] = 0x00012345;
        f.writer.device[2] = 987654;
        f.writer.device[3] = 0x07e60c0a;
    }
    const float white[3] = {0.95f, 1.0f, 0.82f};
    const float black[3] = {0.003f, 0.0031f, 0.0027f};
    std::memcpy(f.tables.media_white, white, sizeof white);
    std::memcpy(f.tables.black_point, black, sizeof black);
    f.tables.trc[1].entries[0] = 2200;
    f.tables.device_attributes = ICC_ATTR_TRANSPARENCY | ICC_ATTR_NEGATIVE;

    std::vector<uint8_t> p;
    ASSERT_EQ(assemble_to_bytes(&f.writer, "Copyright the studio", false, c.private_matrix,
                                c.version4, &p),
              0);
    size_t planned = 0;
    ASSERT_EQ(icc_profile_size(&f.writer, "Copyright the studio", false, c.private_matrix,
                               c.version4, &planned),
              0);
    EXPECT_EQ(planned, p.size());
    EXPECT_EQ(be32(p, 0), p.size());
    EXPECT_EQ(p.size() % 4, 0u);

    // The tag table: entries in order, room for every tag that could be
    // written, the unused room zero, the first data right after it.
    const std::vector<tag_entry> table = tag_table(p);
    EXPECT_EQ(tag_names(table), c.tags);
    const size_t reserved = 19 + c.version4 + c.private_matrix + c.targ + c.device;
    for (size_t i = 132 + 12 * table.size(); i < 132 + 12 * reserved; ++i)
        ASSERT_EQ(p[i], 0) << "unused table entry byte " << i;
    EXPECT_EQ(table.front().offset, 128 + reserved * 12 + 4);
    const tag_entry *a2b0 = find_tag(table, engine_sig("A2B0"));
    const tag_entry *a2b1 = find_tag(table, engine_sig("A2B1"));
    ASSERT_TRUE(a2b0 && a2b1);
    EXPECT_EQ(a2b1->offset, a2b0->offset);
    EXPECT_EQ(a2b1->size, a2b0->size);
    for (const tag_entry &e : table) {
        EXPECT_EQ(e.offset % 4, 0u) << sig_text(e.sig);
        EXPECT_LE(size_t(e.offset) + e.size, p.size()) << sig_text(e.sig);
    }

    lcms_reader lcms;
    profile_handle h(lcms.open(p));
    ASSERT_NE(h.h, nullptr) << lcms.complaints_text();
    EXPECT_EQ(cmsGetEncodedICCversion(h.h), c.version4 ? 0x04000000u : 0x02000000u);
    EXPECT_EQ(uint32_t(cmsGetDeviceClass(h.h)), engine_sig("scnr"));
    EXPECT_EQ(uint32_t(cmsGetColorSpace(h.h)), SIG_RGB);
    EXPECT_EQ(uint32_t(cmsGetPCS(h.h)), icc_effective_pcs(c.pcs));
    EXPECT_EQ(uint32_t(cmsGetHeaderCreator(h.h)), kKirr);
    EXPECT_EQ(be32(p, 4), engine_sig("appl"));
    EXPECT_EQ(be32(p, 40), engine_sig("APPL"));
    EXPECT_EQ(be32(p, 68), 0x0000F6D6u);  // D50 X 0.9642
    EXPECT_EQ(be32(p, 76), 0x0000D32Du);  // D50 Z 0.8249
    cmsUInt64Number attributes = 0;
    cmsGetHeaderAttributes(h.h, &attributes);
    EXPECT_EQ(attributes, ICC_ATTR_TRANSPARENCY | ICC_ATTR_NEGATIVE);

    EXPECT_EQ(mlu_text(h.h, cmsSigProfileDescriptionTag), "Studio camera");
    EXPECT_EQ(mlu_text(h.h, cmsSigCopyrightTag), "Copyright the studio");
    expect_xyz(h.h, cmsSigMediaWhitePointTag, white, "wtpt");
    expect_xyz(h.h, cmsSigMediaBlackPointTag, black, "bkpt");
    if (!c.version4) {
        expect_xyz(h.h, cmsSigRedColorantTag, f.tables.red, "rXYZ");
        expect_xyz(h.h, cmsSigGreenColorantTag, f.tables.green, "gXYZ");
        expect_xyz(h.h, cmsSigBlueColorantTag, f.tables.blue, "bXYZ");
        auto *green = static_cast<cmsToneCurve *>(cmsReadTag(h.h, cmsSigGreenTRCTag));
        ASSERT_NE(green, nullptr);
        EXPECT_NEAR(cmsEstimateGamma(green, 0.001), 2.0 + 0x33 / 256.0, 0.001);
    }
    if (c.targ) {
        EXPECT_EQ(mlu_text(h.h, cmsSigCharTargetTag), targ);
    }
    if (c.device) {
        const std::vector<uint8_t> mmod = raw_tag(h.h, engine_sig("mmod"));
        ASSERT_EQ(mmod.size(), 40u);
        EXPECT_EQ(be32(mmod, 0), engine_sig("mmod"));
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(be32(mmod, 8 + 4 * size_t(i)), f.writer.device[i]);
    }
    if (c.private_matrix) {
        const std::vector<uint8_t> pm = raw_tag(h.h, engine_sig("P1MX"));
        ASSERT_EQ(pm.size(), 48u);
        const uint8_t mark[12] = {'d', 'a', 't', 'a', 0, 0, 0, 0, 0, 1, 0, 0};
        EXPECT_EQ(std::memcmp(pm.data(), mark, 12), 0);
        for (int i = 0; i < 9; ++i) {
            const uint32_t bits = be32(pm, 12 + 4 * size_t(i));
            float v;
            std::memcpy(&v, &bits, 4);
            EXPECT_EQ(v, f.tables.private_matrix[i]);
        }
    }
    EXPECT_TRUE(cmsIsTag(h.h, cmsSigAToB1Tag));
    EXPECT_NE(cmsReadTag(h.h, cmsSigAToB1Tag), nullptr);
    expect_transform_gives_fixture(lcms, h.h, grid, icc_effective_pcs(c.pcs));

    if (c.version4) {
        std::vector<uint8_t> stored(p.begin() + 84, p.begin() + 100);
        EXPECT_EQ(stored, profile_id_of(p));
        cmsUInt8Number id[16];
        cmsGetHeaderProfileID(h.h, id);
        EXPECT_EQ(std::vector<uint8_t>(id, id + 16), stored);
    } else {
        EXPECT_EQ(std::vector<uint8_t>(p.begin() + 84, p.begin() + 100),
                  std::vector<uint8_t>(16, 0));
        expect_iccdump_accepts(p, c.name);
    }
    EXPECT_TRUE(lcms.complaints().empty()) << lcms.complaints_text();
}

INSTANTIATE_TEST_SUITE_P(, icc_layout, ::testing::ValuesIn(kLayouts),
                         [](const ::testing::TestParamInfo<layout_case> &i) {
                             return std::string(i.param.name) + "_" + std::to_string(i.index);
                         });

// The profile ID procedure of the test agrees with Little CMS's own on a
// profile that Little CMS serialised itself.
TEST(icc_profile_id, test_digest_agrees_with_little_cms)
{
    rgb_fixture f(true, SIG_XYZ);
    std::vector<uint8_t> p;
    ASSERT_EQ(assemble_to_bytes(&f.writer, "c", false, false, true, &p), 0);
    lcms_reader lcms;
    profile_handle h(lcms.open(p));
    ASSERT_NE(h.h, nullptr);
    ASSERT_TRUE(cmsMD5computeID(h.h));
    cmsUInt32Number n = 0;
    ASSERT_TRUE(cmsSaveProfileToMem(h.h, nullptr, &n));
    std::vector<uint8_t> resaved(n);
    ASSERT_TRUE(cmsSaveProfileToMem(h.h, resaved.data(), &n));
    EXPECT_EQ(std::vector<uint8_t>(resaved.begin() + 84, resaved.begin() + 100),
              profile_id_of(resaved));
    EXPECT_TRUE(lcms.complaints().empty()) << lcms.complaints_text();
}

struct matrix_case {
    const char *name;
    bool version4;
    bool private_matrix;
};

class icc_matrix_only : public ::testing::TestWithParam<matrix_case> {};

// A matrix-only profile: PCS XYZ, colorants and curves (also in version 4),
// never a lookup table or the private matrix.
TEST_P(icc_matrix_only, holds_a_matrix_shaper_transform)
{
    const matrix_case &c = GetParam();
    rgb_fixture f(false, SIG_LAB);
    ASSERT_EQ(f.init_result, 0);
    const float red[3] = {0.4361f, 0.2225f, 0.0139f};
    const float green[3] = {0.3851f, 0.7169f, 0.0971f};
    const float blue[3] = {0.1431f, 0.0606f, 0.7141f};
    std::memcpy(f.tables.red, red, sizeof red);
    std::memcpy(f.tables.green, green, sizeof green);
    std::memcpy(f.tables.blue, blue, sizeof blue);
    for (icc_curve &trc : f.tables.trc)
        trc.entries[0] = 1800;
    std::vector<uint8_t> p;
    ASSERT_EQ(assemble_to_bytes(&f.writer, "c", true, c.private_matrix, c.version4, &p), 0);
    EXPECT_EQ(tag_names(tag_table(p)), "desc cprt wtpt bkpt rXYZ gXYZ bXYZ rTRC gTRC bTRC");
    EXPECT_EQ(be32(p, 20), SIG_XYZ);

    lcms_reader lcms;
    profile_handle h(lcms.open(p));
    ASSERT_NE(h.h, nullptr) << lcms.complaints_text();
    EXPECT_TRUE(cmsIsMatrixShaper(h.h));
    cmsHPROFILE lab = cmsCreateLab4ProfileTHR(lcms.context(), nullptr);
    cmsHTRANSFORM t = cmsCreateTransformTHR(lcms.context(), h.h, TYPE_RGB_DBL, lab,
                                            TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC,
                                            cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
    ASSERT_NE(t, nullptr) << lcms.complaints_text();
    const double gamma = 1.0 + 0xCC / 256.0;  // 1.8 as stored
    for (const double v : {0.1, 0.5, 0.9}) {
        const double rgb[3] = {v, 0.3, 1.0 - v};
        cmsCIEXYZ xyz {0, 0, 0};
        for (int i = 0; i < 3; ++i) {
            const double lin = std::pow(rgb[i], gamma);
            const float *col = i == 0 ? red : (i == 1 ? green : blue);
            xyz.X += col[0] * lin;
            xyz.Y += col[1] * lin;
            xyz.Z += col[2] * lin;
        }
        cmsCIELab want;
        cmsXYZ2Lab(nullptr, &want, &xyz);
        cmsCIELab got;
        cmsDoTransform(t, rgb, &got, 1);
        EXPECT_LT(cmsDeltaE(&got, &want), 0.05) << v;
    }
    cmsDeleteTransform(t);
    cmsCloseProfile(lab);
    if (c.version4)
        EXPECT_EQ(std::vector<uint8_t>(p.begin() + 84, p.begin() + 100), profile_id_of(p));
    else
        expect_iccdump_accepts(p, c.name);
    EXPECT_TRUE(lcms.complaints().empty()) << lcms.complaints_text();
}

INSTANTIATE_TEST_SUITE_P(, icc_matrix_only,
                         ::testing::Values(matrix_case {"v2", false, false},
                                           matrix_case {"v2_private_matrix_asked", false, true},
                                           matrix_case {"v4", true, false},
                                           matrix_case {"v4_private_matrix_asked", true, true}),
                         [](const ::testing::TestParamInfo<matrix_case> &i) {
                             return std::string(i.param.name);
                         });

// Bytes of single fields as the format fixes them.
TEST(icc_encoding, gamma_and_negative_fixed_point)
{
    rgb_fixture f(false, SIG_LAB);
    f.tables.trc[0].entries[0] = 2200;
    f.tables.blue[0] = -1.0f;
    f.tables.blue[1] = 0.5f;
    f.tables.blue[2] = -0.000007629394531f;  // -0.5 / 65536: rounds away from zero
    std::vector<uint8_t> p;
    ASSERT_EQ(assemble_to_bytes(&f.writer, "", false, false, false, &p), 0);
    const auto table = tag_table(p);
    const tag_entry *trc = find_tag(table, engine_sig("rTRC"));
    ASSERT_NE(trc, nullptr);
    EXPECT_EQ(trc->size, 16u);
    EXPECT_EQ(be32(p, trc->offset), engine_sig("curv"));
    EXPECT_EQ(be32(p, trc->offset + 8), 1u);
    EXPECT_EQ(p[trc->offset + 12], 0x02);
    EXPECT_EQ(p[trc->offset + 13], 0x33);
    EXPECT_EQ(p[trc->offset + 14], 0);
    EXPECT_EQ(p[trc->offset + 15], 0);
    const tag_entry *blue = find_tag(table, engine_sig("bXYZ"));
    ASSERT_NE(blue, nullptr);
    EXPECT_EQ(be32(p, blue->offset + 8), 0xFFFF0000u);
    EXPECT_EQ(be32(p, blue->offset + 12), 0x00008000u);
    EXPECT_EQ(be32(p, blue->offset + 16), 0xFFFFFFFFu);
}

// Text tags of any length and any bytes: sizes follow the text, nothing
// spills into the next tag, the ScriptCode part is cut to 66 characters.
TEST(icc_texts, long_and_odd_texts_fit_their_tags)
{
    struct text_case {
        size_t length;
        bool version4;
    };
    for (const text_case c : {text_case {0, false}, text_case {1, false}, text_case {65, false},
                              text_case {66, false}, text_case {67, false},
                              text_case {1000, false}, text_case {0, true},
                              text_case {1000, true}}) {
        SCOPED_TRACE(std::to_string(c.length) + (c.version4 ? " v4" : " v2"));
        rgb_fixture f(false, SIG_LAB);
        std::string desc;
        for (size_t i = 0; i < c.length; ++i)
            desc += char('A' + i % 26);
        std::snprintf(f.tables.description, sizeof f.tables.description, "%s", desc.c_str());
        const std::string cprt = "(c) \xE9tude " + desc + desc;
        std::vector<uint8_t> p;
        ASSERT_EQ(assemble_to_bytes(&f.writer, cprt.c_str(), false, false, c.version4, &p), 0);
        const auto table = tag_table(p);
        const tag_entry *d = find_tag(table, engine_sig("desc"));
        ASSERT_NE(d, nullptr);
        if (!c.version4) {
            const size_t n = desc.size();
            EXPECT_EQ(d->size, (n + 91 + 3) / 4 * 4);
            EXPECT_EQ(be32(p, d->offset + 8), n + 1);
            const size_t script = d->offset + 12 + n + 1 + 10;
            EXPECT_EQ(p[script], std::min<size_t>(n + 1, 67));
            EXPECT_EQ(p[script + 1 + std::min<size_t>(n, 66)], 0);
        } else {
            EXPECT_EQ(d->size, (28 + 2 * desc.size() + 3) / 4 * 4);
        }
        for (size_t i = 1; i + 1 < table.size(); ++i)  // the last, A2B1, shares A2B0
            EXPECT_GE(table[i].offset, table[i - 1].offset + table[i - 1].size)
                << sig_text(table[i].sig);
        lcms_reader lcms;
        profile_handle h(lcms.open(p));
        ASSERT_NE(h.h, nullptr) << lcms.complaints_text();
        EXPECT_EQ(mlu_text(h.h, cmsSigProfileDescriptionTag), desc);
        if (!c.version4) {
            auto *mlu = static_cast<cmsMLU *>(cmsReadTag(h.h, cmsSigCopyrightTag));
            ASSERT_NE(mlu, nullptr);
            char got[4096] = {};
            cmsMLUgetASCII(mlu, "en", "US", got, sizeof got);
            EXPECT_EQ(std::string(got).size(), cprt.size());
        } else {
            auto *mlu = static_cast<cmsMLU *>(cmsReadTag(h.h, cmsSigCopyrightTag));
            ASSERT_NE(mlu, nullptr);
            wchar_t wide[4096] = {};
            cmsMLUgetWide(mlu, "en", "US", wide, sizeof wide);
            EXPECT_EQ(wide[4], wchar_t(0xE9));  // a Latin-1 byte becomes its code point
        }
        EXPECT_TRUE(lcms.complaints().empty()) << lcms.complaints_text();
        if (!c.version4)
            expect_iccdump_accepts(p, "texts");
    }
}

// A caller's buffer that cannot hold the profile gets nothing, and the
// result says so.
TEST(icc_buffer, too_small_is_refused_and_left_untouched)
{
    rgb_fixture f(false, SIG_LAB);
    size_t size = 0;
    ASSERT_EQ(icc_profile_size(&f.writer, "c", false, false, true, &size), 0);
    for (const size_t capacity : {size_t(0), size_t(128), size - 1}) {
        std::vector<uint8_t> buffer(size, 0xAB);
        uint32_t length = 77;
        EXPECT_EQ(assemble_icc_profile(&f.writer, nullptr, kKirr, "c", false, false, true,
                                       buffer.data(), capacity, &length),
                  ICC_WRITE_FAILED)
            << capacity;
        EXPECT_EQ(length, 0u);
        EXPECT_EQ(buffer, std::vector<uint8_t>(size, 0xAB));
    }
    std::vector<uint8_t> exact(size);
    uint32_t length = 0;
    EXPECT_EQ(assemble_icc_profile(&f.writer, nullptr, kKirr, "c", false, false, true,
                                   exact.data(), size, &length),
              0);
    EXPECT_EQ(length, size);
}

// A profile larger than the work block is refused as out of memory.
TEST(icc_buffer, profile_beyond_the_work_block_is_refused)
{
    profile_tables t {};
    t.colour_space = engine_sig("5CLR");
    t.pcs = SIG_LAB;
    icc_writer w {};
    ASSERT_EQ(icc_writer_init(&w, nullptr, &t), 0);
    ASSERT_EQ(lut_table_alloc(&t.a2b0_lut, ICC_TYPE_LUT16, 5, 3, 17, 256, 256), 0);
    std::vector<uint8_t> p;
    EXPECT_EQ(assemble_to_bytes(&w, "c", false, false, false, &p), ENGINE_ERR_NO_MEMORY);
    profile_tables_free(&t);
}

// Tables that cannot make a valid profile are refused before anything is
// delivered.
TEST(icc_bad_tables, are_refused)
{
    struct bad_case {
        const char *name;
        void (*spoil)(profile_tables *);
        bool matrix_only;
    };
    const bad_case cases[] = {
        {"no colour space", [](profile_tables *t) { t->colour_space = 0; }, false},
        {"unknown colour space", [](profile_tables *t) { t->colour_space = engine_sig("ABCD"); },
         false},
        {"channels differ from the table",
         [](profile_tables *t) { t->colour_space = SIG_CMYK; }, false},
        {"clut count wrong", [](profile_tables *t) { t->a2b0_lut.clut_entries -= 3; }, false},
        {"clut missing",
         [](profile_tables *t) {
             std::free(t->a2b0_lut.clut);
             t->a2b0_lut.clut = nullptr;
         },
         false},
        {"no table at all", [](profile_tables *t) { lut_table_free(&t->a2b0_lut); }, false},
        {"grid of one", [](profile_tables *t) { t->a2b0_lut.grid_points = 1; }, false},
        {"input table missing",
         [](profile_tables *t) {
             std::free(t->a2b0_lut.input_tables[2]);
             t->a2b0_lut.input_tables[2] = nullptr;
         },
         false},
        {"white not a number", [](profile_tables *t) { t->media_white[1] = NAN; }, false},
        {"empty curve", [](profile_tables *t) { t->trc[2].count = 0; }, false},
        {"zero gamma", [](profile_tables *t) { t->trc[0].entries[0] = 0; }, false},
        {"matrix only for CMYK", [](profile_tables *t) { t->colour_space = SIG_CMYK; }, true},
        {"private matrix not finite",
         [](profile_tables *t) { t->private_matrix[4] = INFINITY; }, false},
    };
    for (const bad_case &c : cases) {
        SCOPED_TRACE(c.name);
        rgb_fixture f(false, SIG_LAB);
        c.spoil(&f.tables);
        std::vector<uint8_t> buffer(ICC_WORK_BLOCK_BYTES, 0xAB);
        uint32_t length = 5;
        EXPECT_EQ(assemble_icc_profile(&f.writer, nullptr, kKirr, "c", c.matrix_only, true,
                                       false, buffer.data(), buffer.size(), &length),
                  ENGINE_ERR_WRONG_KIND);
        EXPECT_EQ(length, 0u);
        EXPECT_EQ(buffer[0], 0xAB);
        temp_folder dir;
        const std::string path = dir.path() + "bad.icc";
        EXPECT_EQ(assemble_icc_profile(&f.writer, path.c_str(), kKirr, "c", c.matrix_only,
                                       true, false, nullptr, 0, nullptr),
                  ENGINE_ERR_WRONG_KIND);
        EXPECT_TRUE(dir.names().empty());
    }
    EXPECT_EQ(assemble_icc_profile(nullptr, nullptr, kKirr, "c", false, false, false, nullptr,
                                   0, nullptr),
              ENGINE_ERR_WRONG_KIND);
}

// Defaults and table layouts the writer sets up for each colour space.
TEST(icc_writer_init, layouts_by_colour_space)
{
    struct init_case {
        const char *name;
        uint32_t colour_space;
        uint32_t pcs;
        bool mab;
        bool fine_xyz;
        uint32_t lut_type;
        int inputs;
        int grid;
    };
    const init_case cases[] = {
        {"rgb lut16", SIG_RGB, SIG_LAB, false, false, 0, 3, 32},
        {"rgb lut8", SIG_RGB, SIG_LAB, false, false, ICC_TYPE_LUT8, 3, 32},
        {"cmy lut", SIG_CMY, 0, false, false, 0, 3, 32},
        {"xyz coarse", SIG_RGB, SIG_XYZ, false, false, 0, 3, 2},
        {"xyz fine", SIG_RGB, SIG_XYZ, false, true, 0, 3, 32},
        {"cmyk lut", SIG_CMYK, SIG_LAB, false, false, 0, 4, 17},
        {"rgb mab", SIG_RGB, SIG_XYZ, true, true, 0, 3, 32},
        {"4clr mab", engine_sig("4CLR"), SIG_LAB, true, false, 0, 4, 17},
        {"5clr mab", engine_sig("5CLR"), SIG_LAB, true, false, 0, 5, 12},
        {"6clr mab", engine_sig("6CLR"), SIG_LAB, true, false, 0, 6, 7},
    };
    for (const init_case &c : cases) {
        SCOPED_TRACE(c.name);
        profile_tables t {};
        t.colour_space = c.colour_space;
        t.pcs = c.pcs;
        t.a2b0_mab.present = c.mab;
        t.a2b0_lut.type = c.lut_type;
        t.a2b1_lut.present = !c.mab;
        icc_writer w {};
        ASSERT_EQ(icc_writer_init_from_tables(&w, nullptr, &t, c.fine_xyz), 0);
        EXPECT_EQ(t.pcs, c.pcs ? c.pcs : SIG_LAB);
        EXPECT_EQ(t.red[0], 1.0f);
        EXPECT_EQ(t.green[1], 1.0f);
        EXPECT_EQ(t.blue[2], 1.0f);
        EXPECT_EQ(t.red[1] + t.black_point[0] + t.black_point[1] + t.black_point[2], 0.0f);
        for (const icc_curve &trc : t.trc) {
            ASSERT_EQ(trc.count, 1);
            EXPECT_EQ(trc.entries[0], 1000);
        }
        size_t clut = 3;
        for (int i = 0; i < c.inputs; ++i)
            clut *= size_t(c.grid);
        if (c.mab) {
            EXPECT_EQ(t.a2b0_mab.inputs, c.inputs);
            EXPECT_EQ(t.a2b0_mab.grid_points, c.grid);
            EXPECT_EQ(t.a2b0_mab.clut_entries, clut);
            EXPECT_EQ(t.a2b0_mab.a_curves[c.inputs - 1][255], 65535);
            EXPECT_EQ(t.a2b0_mab.b_curves[2][1], 257);
        } else {
            const lut_table &l = t.a2b0_lut;
            EXPECT_EQ(l.type, c.lut_type ? c.lut_type : ICC_TYPE_LUT16);
            EXPECT_EQ(l.inputs, c.inputs);
            EXPECT_EQ(l.grid_points, c.grid);
            EXPECT_EQ(l.clut_entries, clut);
            EXPECT_EQ(l.input_tables[0][7], c.lut_type == ICC_TYPE_LUT8 ? 7 : 7 * 257);
            EXPECT_EQ(l.output_tables[2][255], c.lut_type == ICC_TYPE_LUT8 ? 255 : 65535);
            ASSERT_TRUE(t.a2b1_lut.present);
            EXPECT_EQ(t.a2b1_lut.clut_entries, clut);
            EXPECT_NE(t.a2b1_lut.clut, l.clut);
        }
        profile_tables_free(&t);
    }
    profile_tables t {};
    t.colour_space = engine_sig("XXXX");
    icc_writer w {};
    EXPECT_EQ(icc_writer_init(&w, nullptr, &t), ENGINE_ERR_WRONG_KIND);
    profile_tables_free(&t);
}

// An 8-bit table and a separate A2B1 through Little CMS.
TEST(icc_tables, lut8_and_own_a2b1_are_read)
{
    profile_tables t {};
    t.colour_space = SIG_RGB;
    t.pcs = SIG_LAB;
    t.a2b0_lut.type = ICC_TYPE_LUT8;
    t.a2b0_lut.grid_points = 5;
    t.a2b1_lut.present = 1;
    icc_writer w {};
    ASSERT_EQ(icc_writer_init(&w, nullptr, &t), 0);
    for (uint32_t i = 0; i < t.a2b0_lut.clut_entries; ++i)
        t.a2b0_lut.clut[i] = uint16_t(i % 3 == 0 ? 200 : 128);
    t.a2b1_lut.clut[0] = 10;
    std::vector<uint8_t> p;
    ASSERT_EQ(assemble_to_bytes(&w, "c", false, false, false, &p), 0);
    const auto table = tag_table(p);
    const tag_entry *a2b0 = find_tag(table, engine_sig("A2B0"));
    const tag_entry *a2b1 = find_tag(table, engine_sig("A2B1"));
    ASSERT_TRUE(a2b0 && a2b1);
    EXPECT_EQ(be32(p, a2b0->offset), ICC_TYPE_LUT8);
    EXPECT_EQ(a2b0->size, 48 + 3 * 256 + 125 * 3 + 3 * 256 + 1u);  // padded to 4
    EXPECT_NE(a2b1->offset, a2b0->offset);
    lcms_reader lcms;
    profile_handle h(lcms.open(p));
    ASSERT_NE(h.h, nullptr) << lcms.complaints_text();
    EXPECT_NE(cmsReadTag(h.h, cmsSigAToB0Tag), nullptr);
    EXPECT_NE(cmsReadTag(h.h, cmsSigAToB1Tag), nullptr);
    EXPECT_TRUE(lcms.complaints().empty()) << lcms.complaints_text();
    expect_iccdump_accepts(p, "lut8");
    profile_tables_free(&t);
}

TEST(icc_fill_mab, identity_grid_matrix_and_gamma_curves)
{
    rgb_fixture f(false, SIG_XYZ);
    f.tables.trc[0].entries[0] = 2200;
    f.tables.trc[1].entries[0] = 1000;
    f.tables.trc[2].entries[0] = 1800;
    mab_table &m = f.tables.a2b0_mab;
    ASSERT_EQ(mab_table_alloc(&m, 3, 3, 5, 256, 256), 0);
    EXPECT_EQ(fill_mab_from_matrix(&f.writer, &m, SIG_CMYK), -1);
    ASSERT_EQ(fill_mab_from_matrix(&f.writer, &m, SIG_RGB), 0);
    for (int i = 0; i < 9; ++i)
        EXPECT_FLOAT_EQ(m.matrix[i], 0.5f * f.tables.private_matrix[i]);
    EXPECT_EQ(m.matrix[9] + m.matrix[10] + m.matrix[11], 0.0f);
    // step 65536 / 4 = 16384; the last node clamps to 65535
    const uint16_t nodes[5] = {0, 16384, 32768, 49152, 65535};
    const size_t node = (size_t(1) * 25 + 3 * 5 + 4) * 3;  // (1, 3, 4)
    EXPECT_EQ(m.clut[node], nodes[1]);
    EXPECT_EQ(m.clut[node + 1], nodes[3]);
    EXPECT_EQ(m.clut[node + 2], nodes[4]);
    EXPECT_EQ(m.a_curves[0][0], 0);
    EXPECT_EQ(m.a_curves[0][255], 65535);  // white stays white
    EXPECT_EQ(m.a_curves[0][128], uint16_t(std::pow(128 / 255.0, 2.2) * 65535));
    EXPECT_EQ(m.a_curves[1][51], uint16_t(51 / 255.0 * 65535));
    EXPECT_EQ(m.a_curves[2][200], uint16_t(std::pow(200 / 255.0, 1.8) * 65535));

    std::vector<uint8_t> p;
    ASSERT_EQ(assemble_to_bytes(&f.writer, "c", false, true, true, &p), 0);
    lcms_reader lcms;
    profile_handle h(lcms.open(p));
    ASSERT_NE(h.h, nullptr) << lcms.complaints_text();
    auto *lut = static_cast<cmsPipeline *>(cmsReadTag(h.h, cmsSigAToB0Tag));
    ASSERT_NE(lut, nullptr);
    // mid grey through A curves, identity grid, identity M, the matrix
    const cmsFloat32Number in[3] = {0.5f, 0.5f, 0.5f};
    cmsFloat32Number out[3];
    cmsPipelineEvalFloat(in, out, lut);
    const double r = std::pow(0.5, 2.2), g = 0.5, b = std::pow(0.5, 1.8);
    const float *pm = f.tables.private_matrix;
    EXPECT_NEAR(out[1], 0.5 * (pm[3] * r + pm[4] * g + pm[5] * b), 0.003);
    EXPECT_TRUE(lcms.complaints().empty()) << lcms.complaints_text();
}

TEST(icc_target_data, loads_the_characterisation_file)
{
    temp_folder dir;
    const std::string path = dir.path() + "CamData.CIE";
    std::string text = "CGATS.17\n";
    for (int i = 0; i < 2000; ++i)
        text += std::to_string(i) + "\t0.5\t0.25\n";
    ASSERT_TRUE(write_file(path, text));
    rgb_fixture f(false, SIG_LAB);
    EXPECT_EQ(icc_writer_load_target_data(&f.writer, (dir.path() + "missing").c_str()), 0);
    EXPECT_EQ(f.tables.targ_text, nullptr);
    EXPECT_EQ(icc_writer_load_target_data(&f.writer, dir.path().c_str()), 0);
    EXPECT_EQ(f.tables.targ_text, nullptr);
    ASSERT_EQ(icc_writer_load_target_data(&f.writer, path.c_str()), 0);
    ASSERT_NE(f.tables.targ_text, nullptr);
    EXPECT_EQ(f.tables.targ_size, text.size());
    EXPECT_EQ(std::string(f.tables.targ_text), text);
    std::vector<uint8_t> p;
    ASSERT_EQ(assemble_to_bytes(&f.writer, "c", false, false, false, &p), 0);
    lcms_reader lcms;
    profile_handle h(lcms.open(p));
    ASSERT_NE(h.h, nullptr);
    EXPECT_EQ(mlu_text(h.h, cmsSigCharTargetTag), text);
    EXPECT_TRUE(lcms.complaints().empty()) << lcms.complaints_text();
}

// File output: where the profile lands, and that a failure leaves neither a
// partial file nor a damaged earlier profile.
class icc_file_output : public ::testing::Test {
protected:
    temp_folder home;
    scoped_env data_home {"XDG_DATA_HOME", home.path() + "data"};
    rgb_fixture f {false, SIG_LAB};

    engine_result write(const std::string &path)
    {
        return assemble_icc_profile(&f.writer, path.c_str(), kKirr, "c", false, false, true,
                                    nullptr, 0, nullptr);
    }
};

TEST_F(icc_file_output, bare_name_goes_into_the_colour_folder)
{
    ASSERT_EQ(write("Studio.icc"), 0);
    const std::vector<uint8_t> p = read_file(home.path() + "data/icc/Studio.icc");
    ASSERT_FALSE(p.empty());
    EXPECT_EQ(be32(p, 0), p.size());
    lcms_reader lcms;
    profile_handle h(lcms.open(p));
    EXPECT_NE(h.h, nullptr) << lcms.complaints_text();
    EXPECT_EQ(system_color_folder(nullptr), home.path() + "data/icc/");
}

TEST_F(icc_file_output, path_with_a_folder_is_used_as_given)
{
    ASSERT_EQ(write(home.path() + "a.icc"), 0);
    EXPECT_FALSE(read_file(home.path() + "a.icc").empty());
    const std::string backslashed = home.path() + "sub\\b.icc";
    ASSERT_EQ(::mkdir((home.path() + "sub").c_str(), 0755), 0);
    ASSERT_EQ(write(backslashed), 0);
    EXPECT_FALSE(read_file(home.path() + "sub/b.icc").empty());
    EXPECT_EQ(home.names(), (std::vector<std::string> {"a.icc", "sub"}));
}

TEST_F(icc_file_output, missing_folder_gives_1_and_no_file)
{
    EXPECT_EQ(write(home.path() + "none/x.icc"), ICC_WRITE_FAILED);
    EXPECT_EQ(write(home.path()), ICC_WRITE_FAILED);
    EXPECT_EQ(write(""), ICC_WRITE_FAILED);
    EXPECT_TRUE(home.names().empty());
}

TEST_F(icc_file_output, short_write_keeps_the_earlier_profile)
{
    const std::string path = home.path() + "keep.icc";
    ASSERT_TRUE(write_file(path, "earlier profile"));
    rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto *previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const engine_result r = write(path);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(r, ICC_WRITE_FAILED);
    const std::vector<uint8_t> kept = read_file(path);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "earlier profile");
    EXPECT_EQ(home.names(), std::vector<std::string> {"keep.icc"});
}

TEST_F(icc_file_output, replaces_an_earlier_profile_whole)
{
    const std::string path = home.path() + "p.icc";
    ASSERT_TRUE(write_file(path, std::string(3000000, 'x')));
    ASSERT_EQ(write(path), 0);
    const std::vector<uint8_t> p = read_file(path);
    EXPECT_EQ(be32(p, 0), p.size());
    EXPECT_EQ(home.names(), std::vector<std::string> {"p.icc"});
}

// A replaced profile keeps its permissions; a new one gets the umask's.
TEST_F(icc_file_output, file_modes)
{
    const auto mode_of = [](const std::string &path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 07777u;
    };
    const std::string kept = home.path() + "kept.icc";
    ASSERT_TRUE(write_file(kept, "earlier profile"));
    ASSERT_EQ(::chmod(kept.c_str(), 0640), 0);
    ASSERT_EQ(write(kept), 0);
    EXPECT_EQ(mode_of(kept), 0640u);

    const mode_t mask = ::umask(022);
    ::umask(mask);
    ASSERT_EQ(write(home.path() + "new.icc"), 0);
    EXPECT_EQ(mode_of(home.path() + "new.icc"), 0666u & ~unsigned(mask));
}

}  // namespace
