// The DNG camera profile writer: file layout, where the file goes, and what
// exiftool reads back from it.
#include "file_size_limit.h"
#include "icc_test_support.h"

#include "engine/dcp_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>
#include <sys/stat.h>

using namespace icc_test;

namespace {

dcp_model make_model(float scale)
{
    dcp_model m {};
    const float cm[9] = {0.6f, -0.1f, -0.05f, -0.4f, 1.3f, 0.1f, -0.05f, 0.2f, 0.6f};
    for (int i = 0; i < 9; ++i)
        m.colour_matrix[i] = cm[i] * scale;
    for (int j = 0; j < 256; ++j)
        m.tone_curve[j] = std::pow(j / 255.0f, 0.8f) * scale;
    return m;
}

dcp_options make_options()
{
    dcp_options o {};
    o.matrix_and_tables = 1;
    o.scale = 1.0f;
    o.calibration_illuminant1 = 17;
    o.calibration_illuminant2 = 21;
    return o;
}

struct ifd_entry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    uint32_t value;
};

std::vector<ifd_entry> directory(const std::vector<uint8_t> &f)
{
    std::vector<ifd_entry> d;
    const uint16_t n = le16(f, 8);
    for (uint16_t i = 0; i < n; ++i) {
        const size_t e = 10 + 12 * size_t(i);
        d.push_back({le16(f, e), le16(f, e + 2), le32(f, e + 4), le32(f, e + 8)});
    }
    return d;
}

std::string tag_list(const std::vector<ifd_entry> &d)
{
    std::string s;
    for (const ifd_entry &e : d)
        s += (s.empty() ? "" : " ") + std::to_string(e.tag);
    return s;
}

// exiftool's value of one tag (numbers as numbers, arrays decoded).
std::string exif_value(const std::string &path, const char *tag)
{
    run_result r = run(std::string("exiftool -m -n -b -") + tag + " " + quoted(path));
    return r.output;
}

std::vector<double> numbers(const std::string &text)
{
    std::istringstream in(text);
    std::vector<double> v;
    double x;
    while (in >> x)
        v.push_back(x);
    return v;
}

// What exiftool -validate says of a file, less the note that it left the
// 512-value tone curve undecoded (about its own output, not the file).
std::string exiftool_complaints(const std::string &path)
{
    const run_result v = run("exiftool -validate -warning -error -a " + quoted(path));
    std::string complaints = v.status == 0 ? "" : "exit status " + std::to_string(v.status) + "\n";
    std::istringstream lines(v.output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.find("Validate") == 0 ||
            line.find("[Minor] Not decoding some large array(s)") != std::string::npos)
            continue;
        complaints += line + "\n";
    }
    return complaints;
}

void expect_exiftool_validates(const std::string &path, const dcp_model &main,
                               const dcp_model *second, const char *camera,
                               const char *name)
{
    if (!have_program("exiftool")) {
        std::printf("exiftool not installed: DCP not checked by it\n");
        return;
    }
    EXPECT_EQ(exiftool_complaints(path), "");
    EXPECT_EQ(exif_value(path, "UniqueCameraModel"), camera);
    EXPECT_EQ(exif_value(path, "ProfileName"), name);
    for (int k = 0; k < (second ? 2 : 1); ++k) {
        const dcp_model &m = k == 0 ? main : *second;
        const std::vector<double> got = numbers(exif_value(path, k ? "ColorMatrix2" : "ColorMatrix1"));
        ASSERT_EQ(got.size(), 9u) << k;
        for (int i = 0; i < 9; ++i)
            EXPECT_NEAR(got[size_t(i)], m.colour_matrix[i], 1e-4) << k << " " << i;
    }
    const std::vector<double> curve = numbers(exif_value(path, "ProfileToneCurve"));
    ASSERT_EQ(curve.size(), 512u);
    for (int j = 1; j < 255; ++j) {
        EXPECT_NEAR(curve[size_t(2 * j)], j / 255.0, 1e-6);
        EXPECT_NEAR(curve[size_t(2 * j + 1)], main.tone_curve[j], 1e-6);
    }
    EXPECT_EQ(curve[1], 0.0);
    EXPECT_EQ(curve[511], 1.0);
}

class dcp_writer : public ::testing::Test {
protected:
    temp_folder home;
    scoped_env data {"XDG_DATA_HOME", home.path() + "data"};
    dcp_model main = make_model(1.0f);
    dcp_model second = make_model(0.9f);
    dcp_options options = make_options();

    engine_result write(const std::string &path, const char *camera = "Test Camera X",
                        bool dual = false)
    {
        return write_dcp_profile(nullptr, path.c_str(), camera, engine_sig("Kirr"), "c", &main,
                                 dual ? &second : nullptr, &options);
    }
};

TEST_F(dcp_writer, one_illuminant_layout)
{
    const std::string path = home.path() + "studio.dcp";
    ASSERT_EQ(write(path), 0);
    const std::vector<uint8_t> f = read_file(path);
    ASSERT_GT(f.size(), 16u);
    EXPECT_EQ(std::string(f.begin(), f.begin() + 4), "IIRC");
    EXPECT_EQ(le32(f, 4), 8u);
    const auto d = directory(f);
    EXPECT_EQ(tag_list(d), "50708 50721 50778 50936 50940");
    const size_t after_entries = 10 + 12 * d.size();
    EXPECT_EQ(le32(f, after_entries), 0u) << "next directory";
    // Out-of-line data in entry order from right after the next-directory
    // word; 4 zero bytes close the file.
    size_t at = after_entries + 4;
    for (const ifd_entry &e : d) {
        const size_t unit = e.type == 10 ? 8 : (e.type == 11 || e.type == 4 ? 4 : (e.type == 3 ? 2 : 1));
        const size_t bytes = (unit * e.count + 3) / 4 * 4;
        if (unit * e.count <= 4)
            continue;
        EXPECT_EQ(e.value, at) << e.tag;
        at += bytes;
    }
    EXPECT_EQ(f.size(), at + 4);
    EXPECT_EQ(le32(f, at), 0u);
    const ifd_entry &illuminant = d[2];
    EXPECT_EQ(illuminant.type, 3);
    EXPECT_EQ(illuminant.value, 17u);
    const ifd_entry &matrix = d[1];
    EXPECT_EQ(matrix.type, 10);
    EXPECT_EQ(matrix.count, 9u);
    // 1.3 x 10000 truncated toward zero; -0.4 likewise
    EXPECT_EQ(int32_t(le32(f, matrix.value + 4 * 8)), 12999);
    EXPECT_EQ(le32(f, matrix.value + 4 * 8 + 4), 10000u);
    EXPECT_EQ(int32_t(le32(f, matrix.value + 3 * 8)), -4000);
    expect_exiftool_validates(path, main, nullptr, "Test Camera X", "studio");
}

// Each colour matrix is stored with the illuminant it was fitted under: the
// main model under the first calibration illuminant, the second model under
// the second.
TEST_F(dcp_writer, two_illuminants_pair_each_matrix_with_its_own_illuminant)
{
    options.dual_illuminant = 1;
    options.mode0 = 1;
    options.baseline_exposure_offset = 0.5f;
    const std::string path = home.path() + "dual.dcp";
    ASSERT_EQ(write(path, "Test Camera X", true), 0);
    const std::vector<uint8_t> f = read_file(path);
    const auto d = directory(f);
    EXPECT_EQ(tag_list(d), "50708 50721 50722 50778 50779 50936 50940 51109 51110");
    EXPECT_EQ(d[3].value, 17u);
    EXPECT_EQ(d[4].value, 21u);
    EXPECT_EQ(int32_t(le32(f, d[1].value)), 6000);  // main: 0.6
    EXPECT_EQ(int32_t(le32(f, d[2].value)), 5400);  // second: 0.54
    const ifd_entry &offset = d[7];
    EXPECT_EQ(offset.type, 10) << "signed rational";
    EXPECT_EQ(int32_t(le32(f, offset.value)), 5000);
    EXPECT_EQ(le32(f, offset.value + 4), 10000u);
    EXPECT_EQ(d[8].type, 4);
    EXPECT_EQ(d[8].value, 1u);
    expect_exiftool_validates(path, main, &second, "Test Camera X", "dual");
    if (have_program("exiftool")) {
        EXPECT_EQ(exif_value(path, "CalibrationIlluminant1"), "17");
        EXPECT_EQ(exif_value(path, "CalibrationIlluminant2"), "21");
        EXPECT_EQ(exif_value(path, "BaselineExposureOffset"), "0.5");
        EXPECT_EQ(exif_value(path, "DefaultBlackRender"), "1");
    }
}

TEST_F(dcp_writer, optional_entries)
{
    struct option_case {
        const char *name;
        uint8_t tables;
        float offset;
        uint8_t mode0;
        uint8_t dual_flag;  // without a second model: one illuminant
        const char *tags;
    };
    const option_case cases[] = {
        {"matrix only", 0, 0.0f, 0, 0, "50708 50721 50778 50936"},
        {"negative offset", 1, -0.5f, 0, 0, "50708 50721 50778 50936 50940"},
        {"mode 0", 0, 0.0f, 1, 0, "50708 50721 50778 50936 51110"},
        {"dual flag, no second model", 0, 0.25f, 0, 1, "50708 50721 50778 50936 51109"},
    };
    for (const option_case &c : cases) {
        SCOPED_TRACE(c.name);
        options = make_options();
        options.matrix_and_tables = c.tables;
        options.baseline_exposure_offset = c.offset;
        options.mode0 = c.mode0;
        options.dual_illuminant = c.dual_flag;
        const std::string path = home.path() + "opt.dcp";
        ASSERT_EQ(write(path), 0);
        const std::vector<uint8_t> f = read_file(path);
        EXPECT_EQ(tag_list(directory(f)), c.tags);
        if (have_program("exiftool")) {
            EXPECT_EQ(exiftool_complaints(path), "");
        }
    }
}

// Texts are stored with their terminating NUL, counted as TIFF asks, and
// rounded up to 4; texts of up to 3 characters sit in the entry itself.
TEST_F(dcp_writer, text_lengths)
{
    struct text_case {
        const char *camera;
        size_t stored;
    };
    const text_case cases[] = {
        {"Camera 12chr", 16}, {"Camera 13char", 16}, {"Cam", 4}, {"Cam4", 8}};
    for (const text_case &c : cases) {
        SCOPED_TRACE(c.camera);
        const std::string path = home.path() + "t.dcp";
        ASSERT_EQ(write(path, c.camera), 0);
        const std::vector<uint8_t> f = read_file(path);
        const auto d = directory(f);
        ASSERT_EQ(d[0].tag, 50708);
        EXPECT_EQ(d[0].count, std::strlen(c.camera) + 1);
        const size_t data = c.stored <= 4 ? 10 + 8 : d[0].value;
        EXPECT_EQ(std::string(f.begin() + long(data), f.begin() + long(data + std::strlen(c.camera))),
                  c.camera);
        for (size_t i = std::strlen(c.camera); i < c.stored; ++i)
            EXPECT_EQ(f[data + i], 0);
        if (c.stored > 4) {
            EXPECT_EQ(d[1].value, d[0].value + c.stored) << "next data follows at once";
        }
        if (have_program("exiftool")) {
            EXPECT_EQ(exiftool_complaints(path), "");
            EXPECT_EQ(exif_value(path, "UniqueCameraModel"), c.camera);
        }
    }
}

TEST_F(dcp_writer, where_the_file_goes_and_its_name)
{
    struct place_case {
        const char *given;     // under the temporary home unless absolute
        const char *lands;     // relative to home
        const char *name;
    };
    const std::string folder = "data/Adobe/CameraRaw/CameraProfiles/";
    const place_case cases[] = {
        {"camera.icc", "camera.dcp", "camera"},
        {"out/Studio.dcp", "out/Studio.dcp", "Studio"},
        {"out\\Back.dcp", "out/Back.dcp", "Back"},
        {"out/x.dcp", "out/x.dcp", "x"},
        {"out/dcp", "out/dcp", "dcp"},
        {"ab", "ab.dcp", "ab"},
    };
    ASSERT_EQ(::mkdir((home.path() + "out").c_str(), 0755), 0);
    for (const place_case &c : cases) {
        SCOPED_TRACE(c.given);
        const bool in_folder = std::strncmp(c.given, "out", 3) != 0;
        const std::string given = in_folder ? c.given : home.path() + c.given;
        const std::string lands = home.path() + (in_folder ? folder : "") + c.lands;
        char path[4096];
        char name[256];
        ASSERT_TRUE(dcp_output_location(given.c_str(), path, sizeof path, name, sizeof name));
        EXPECT_EQ(std::string(path), lands);
        EXPECT_EQ(std::string(name), c.name);
        ASSERT_EQ(write(given), 0);
        const std::vector<uint8_t> f = read_file(lands);
        ASSERT_FALSE(f.empty());
        if (have_program("exiftool")) {
            EXPECT_EQ(exif_value(lands, "ProfileName"), c.name);
        }
    }
    char small[4];
    char name[256];
    EXPECT_FALSE(dcp_output_location("camera.icc", small, sizeof small, name, sizeof name));
}

TEST_F(dcp_writer, failures_leave_no_file_and_keep_an_earlier_one)
{
    EXPECT_EQ(write(home.path() + "missing/a.dcp"), ENGINE_ERR_DCP_CREATE);
    EXPECT_EQ(write(""), ENGINE_ERR_DCP_CREATE);
    EXPECT_EQ(write(home.path() + "a.dcp", ""), ENGINE_ERR_WRONG_KIND);
    EXPECT_EQ(write(home.path() + "a.dcp", nullptr), ENGINE_ERR_WRONG_KIND);
    main.tone_curve[100] = NAN;
    EXPECT_EQ(write(home.path() + "a.dcp"), ENGINE_ERR_WRONG_KIND);
    main = make_model(1.0f);
    main.colour_matrix[4] = 1e7f;  // beyond a 32-bit numerator over 10000
    EXPECT_EQ(write(home.path() + "a.dcp"), ENGINE_ERR_WRONG_KIND);
    main = make_model(1.0f);
    options.dual_illuminant = 1;
    second.tone_curve[0] = INFINITY;
    EXPECT_EQ(write(home.path() + "a.dcp", "Cam", true), ENGINE_ERR_WRONG_KIND);
    options = make_options();
    EXPECT_EQ(write_dcp_profile(nullptr, (home.path() + "a.dcp").c_str(), "Cam", 0, nullptr,
                                nullptr, nullptr, &options),
              ENGINE_ERR_WRONG_KIND);
    EXPECT_TRUE(home.names().empty());

    const std::string path = home.path() + "keep.dcp";
    ASSERT_TRUE(write_file(path, "earlier profile"));
    engine_result r;
    {
        const test_support::file_size_limit limit(512);
        ASSERT_TRUE(limit.active());
        r = write(path);
    }
    EXPECT_EQ(r, ENGINE_ERR_DCP_WRITE);
    const std::vector<uint8_t> kept = read_file(path);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "earlier profile");
    EXPECT_EQ(home.names(), std::vector<std::string> {"keep.dcp"});
}

TEST(dcp_tone_curve, end_points_and_clamping)
{
    dcp_model m {};
    for (int j = 0; j < 256; ++j)
        m.tone_curve[j] = j < 128 ? -0.5f : 1.5f;
    m.tone_curve[0] = 0.3f;
    m.tone_curve[255] = 0.7f;
    float pairs[512];
    ASSERT_EQ(make_tone_curve(&m, pairs), 0);
    EXPECT_EQ(pairs[0], 0.0f);
    EXPECT_EQ(pairs[1], 0.0f);
    EXPECT_EQ(pairs[3], 0.0f);
    EXPECT_FLOAT_EQ(pairs[2 * 51], 0.2f);
    EXPECT_EQ(pairs[2 * 200 + 1], 1.0f);
    EXPECT_EQ(pairs[510], 1.0f);
    EXPECT_EQ(pairs[511], 1.0f);
    EXPECT_EQ(make_tone_curve(nullptr, pairs), ENGINE_ERR_WRONG_KIND);
}

}  // namespace
