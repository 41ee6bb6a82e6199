// Synthetic target image: layout, pixels read back through libtiff, errors,
// and the corner finder on the rendered chart.
#include "engine/chart_finder.h"
#include "engine/target_image.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct rgb_image {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0xAARRGGBB
    uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

bool read_tiff(const std::string &path, rgb_image &out)
{
    TIFF *tiff = TIFFOpen(path.c_str(), "r");
    if (!tiff)
        return false;
    uint32_t w = 0, h = 0;
    uint16_t bits = 0, samples = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    bool ok = bits == 8 && samples == 3 && w > 0 && h > 0;
    std::vector<unsigned char> row(size_t(w) * 3);
    out.width = int(w);
    out.height = int(h);
    out.pixels.assign(size_t(w) * h, 0);
    for (uint32_t y = 0; ok && y < h; ++y) {
        ok = TIFFReadScanline(tiff, row.data(), y, 0) == 1;
        for (uint32_t x = 0; ok && x < w; ++x)
            out.pixels[size_t(y) * w + x] = 0xff000000u | uint32_t(row[x * 3]) << 16 |
                                            uint32_t(row[x * 3 + 1]) << 8 | row[x * 3 + 2];
    }
    TIFFClose(tiff);
    return ok;
}

class TargetImage : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/target_image_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }
    void TearDown() override
    {
        const std::string command = "rm -rf '" + folder_ + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    std::string path(const char *name) const { return folder_ + "/" + name; }
    // Files in the folder other than "." and "..".
    int file_count() const
    {
        const std::string command = "test $(ls -A '" + folder_ + "' | wc -l) -eq 0";
        return std::system(command.c_str()) == 0 ? 0 : 1;
    }

    std::string folder_;
};

// A target text with an extra column and quoted names, as a profile's
// measurement text carries it.
std::string cgats(const std::vector<std::string> &rows)
{
    std::string text = "CGATS.17\nORIGINATOR \"test\"\n# a comment line\nNUMBER_OF_FIELDS 5\n"
                       "BEGIN_DATA_FORMAT\nSAMPLE_ID SAMPLE_NAME RGB_R RGB_G RGB_B\n"
                       "END_DATA_FORMAT\nNUMBER_OF_SETS " +
                       std::to_string(rows.size()) + "\nBEGIN_DATA\n";
    for (const auto &r : rows)
        text += r + "\n";
    return text + "END_DATA\n";
}

TEST(TargetImageLayout, FollowsTheDocumentedFormulae)
{
    struct layout_case {
        int columns, rows, pitch, gap, width, height;
    };
    const layout_case cases[] = {
        {6, 4, 64, 8, 6 * 64 + 128, 4 * 64 + 128},
        {24, 16, 64, 8, 24 * 64 + 128, 16 * 64 + 128},
        {48, 10, 32, 4, 48 * 32 + 64, 10 * 32 + 64},
        {256, 1, 8, 2, 256 * 8 + 16, 8 + 16},
        {1, 1, 64, 8, 192, 192},
    };
    for (const auto &c : cases) {
        target_image_layout l;
        ASSERT_TRUE(target_image_layout_for(c.columns, c.rows, &l)) << c.columns << "x" << c.rows;
        EXPECT_EQ(l.pitch, c.pitch);
        EXPECT_EQ(l.gap, c.gap);
        EXPECT_EQ(l.margin, c.pitch);
        EXPECT_EQ(l.width, c.width);
        EXPECT_EQ(l.height, c.height);
    }
    target_image_layout l;
    EXPECT_FALSE(target_image_layout_for(0, 4, &l));
    EXPECT_FALSE(target_image_layout_for(4, 257, &l));
    EXPECT_FALSE(target_image_layout_for(4, 4, nullptr));
}

TEST_F(TargetImage, PatchesInRowOrderWithRoundedClampedValues)
{
    // 3 x 2 cells, five rows: the last cell stays body colour.
    const std::string text = cgats({"1 \"A 1\" 255 0 0", "2 A2 0 255 0", "3 A3 0 0 255",
                                    "4 B1 127.5 300 -4", "5 B2 10,20,30"});
    const std::string file = path("chart.tif");
    ASSERT_EQ(write_target_image(text.data(), text.size(), 3, 2, file.c_str()), TARGET_IMAGE_OK);
    rgb_image image;
    ASSERT_TRUE(read_tiff(file, image));
    target_image_layout l;
    ASSERT_TRUE(target_image_layout_for(3, 2, &l));
    ASSERT_EQ(image.width, l.width);
    ASSERT_EQ(image.height, l.height);

    const uint32_t body = 0xff202020u;
    const uint32_t expected[6] = {0xffff0000u, 0xff00ff00u, 0xff0000ffu,
                                  0xff80ff00u, 0xff0a141eu, body};
    for (int i = 0; i < 6; ++i) {
        const int c = i % 3, r = i / 3;
        const int x0 = l.margin + c * l.pitch, y0 = l.margin + r * l.pitch;
        // Centre and the patch's inner edges carry its colour; the gaps do not.
        EXPECT_EQ(image.at(x0 + l.pitch / 2, y0 + l.pitch / 2), expected[i]) << "cell " << i;
        EXPECT_EQ(image.at(x0 + l.gap / 2, y0 + l.gap / 2), expected[i]) << "cell " << i;
        EXPECT_EQ(image.at(x0 + l.pitch - l.gap / 2 - 1, y0 + l.pitch - l.gap / 2 - 1),
                  expected[i])
            << "cell " << i;
        EXPECT_EQ(image.at(x0 + l.gap / 2 - 1, y0 + l.pitch / 2), body) << "cell " << i;
        EXPECT_EQ(image.at(x0 + l.pitch / 2, y0 + l.gap / 2 - 1), body) << "cell " << i;
    }
    EXPECT_EQ(image.at(0, 0), body);
    EXPECT_EQ(image.at(l.width - 1, l.height - 1), body);
}

TEST_F(TargetImage, RendersInMemoryWhatItWrites)
{
    const std::string text = cgats({"1 A1 255 0 0", "2 A2 0 128 255", "3 B1 7 8 9"});
    const std::string file = path("memory.tif");
    ASSERT_EQ(write_target_image(text.data(), text.size(), 2, 2, file.c_str()), TARGET_IMAGE_OK);
    rgb_image written;
    ASSERT_TRUE(read_tiff(file, written));

    target_image_layout l{};
    std::vector<unsigned char> rgb;
    ASSERT_EQ(render_target_image(text.data(), text.size(), 2, 2, &l, rgb), TARGET_IMAGE_OK);
    ASSERT_EQ(l.width, written.width);
    ASSERT_EQ(l.height, written.height);
    ASSERT_EQ(rgb.size(), size_t(l.width) * size_t(l.height) * 3);
    for (int y = 0; y < l.height; ++y)
        for (int x = 0; x < l.width; ++x) {
            const unsigned char *p = &rgb[(size_t(y) * size_t(l.width) + size_t(x)) * 3];
            const uint32_t pixel = 0xff000000u | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
            ASSERT_EQ(pixel, written.at(x, y)) << x << "," << y;
        }

    const std::string no_rgb = cgats({});
    EXPECT_EQ(render_target_image(no_rgb.data(), no_rgb.size(), 2, 2, &l, rgb),
              TARGET_IMAGE_NO_RGB);
    EXPECT_TRUE(rgb.empty());
    EXPECT_EQ(render_target_image(text.data(), text.size(), 0, 2, nullptr, rgb),
              TARGET_IMAGE_BAD_ARGUMENT);
}

TEST_F(TargetImage, RowsBeyondTheGridAreNotDrawn)
{
    const std::string text = cgats({"1 A1 200 200 200", "2 A2 100 100 100", "3 A3 50 60 70"});
    const std::string file = path("small.tif");
    ASSERT_EQ(write_target_image(text.data(), text.size(), 2, 1, file.c_str()), TARGET_IMAGE_OK);
    rgb_image image;
    ASSERT_TRUE(read_tiff(file, image));
    target_image_layout l;
    ASSERT_TRUE(target_image_layout_for(2, 1, &l));
    EXPECT_EQ(image.width, l.width);
    EXPECT_EQ(image.at(l.margin + l.pitch + l.pitch / 2, l.margin + l.pitch / 2), 0xff646464u);
}

TEST_F(TargetImage, ReportsBadInputAndLeavesNothingBehind)
{
    const std::string good = cgats({"1 A1 1 2 3"});
    const std::string no_rgb =
        "CGATS.17\nBEGIN_DATA_FORMAT\nSAMPLE_ID LAB_L LAB_A LAB_B\nEND_DATA_FORMAT\n"
        "BEGIN_DATA\n1 50 0 0\nEND_DATA\n";
    const std::string no_rows = cgats({});
    const std::string short_row = cgats({"1 A1 1 2 3", "2 A2 4 5"});
    const std::string not_number = cgats({"1 A1 1 x 3"});
    const std::string infinite = cgats({"1 A1 1 2 1e999"});
    const std::string no_format = "BEGIN_DATA\n1 2 3\nEND_DATA\n";
    struct bad_case {
        const char *name;
        const char *text;
        size_t length;
        int columns, rows;
        std::string file;
        target_image_result expected;
    };
    const std::string file = path("out.tif");
    const bad_case cases[] = {
        {"null text", nullptr, 10, 2, 2, file, TARGET_IMAGE_BAD_ARGUMENT},
        {"columns 0", good.data(), good.size(), 0, 2, file, TARGET_IMAGE_BAD_ARGUMENT},
        {"rows 1000", good.data(), good.size(), 2, 1000, file, TARGET_IMAGE_BAD_ARGUMENT},
        {"empty path", good.data(), good.size(), 2, 2, "", TARGET_IMAGE_BAD_ARGUMENT},
        {"no RGB", no_rgb.data(), no_rgb.size(), 2, 2, file, TARGET_IMAGE_NO_RGB},
        {"no rows", no_rows.data(), no_rows.size(), 2, 2, file, TARGET_IMAGE_NO_RGB},
        {"short row", short_row.data(), short_row.size(), 2, 2, file, TARGET_IMAGE_NO_RGB},
        {"not a number", not_number.data(), not_number.size(), 2, 2, file, TARGET_IMAGE_NO_RGB},
        {"infinite", infinite.data(), infinite.size(), 2, 2, file, TARGET_IMAGE_NO_RGB},
        {"no format", no_format.data(), no_format.size(), 2, 2, file, TARGET_IMAGE_NO_RGB},
        {"empty text", good.data(), 0, 2, 2, file, TARGET_IMAGE_NO_RGB},
        {"missing folder", good.data(), good.size(), 2, 2, path("none/out.tif"),
         TARGET_IMAGE_WRITE_FAILED},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(write_target_image(c.text, c.length, c.columns, c.rows,
                                     c.file.empty() ? "" : c.file.c_str()),
                  c.expected)
            << c.name;
        EXPECT_EQ(file_count(), 0) << c.name;
    }
    EXPECT_EQ(write_target_image(good.data(), good.size(), 2, 2, nullptr),
              TARGET_IMAGE_BAD_ARGUMENT);
}

TEST_F(TargetImage, KeepsTheOldFileWhenWritingFails)
{
    // A folder in the way of the rename: the temporary file goes, the folder stays.
    const std::string in_the_way = path("busy.tif");
    ASSERT_EQ(mkdir(in_the_way.c_str(), 0700), 0);
    ASSERT_EQ(mkdir((in_the_way + "/keep").c_str(), 0700), 0);
    const std::string text = cgats({"1 A1 1 2 3"});
    EXPECT_EQ(write_target_image(text.data(), text.size(), 2, 2, in_the_way.c_str()),
              TARGET_IMAGE_WRITE_FAILED);
    struct stat st;
    EXPECT_EQ(stat((in_the_way + "/keep").c_str(), &st), 0);
    const std::string command = "test $(ls -A '" + folder_ + "' | wc -l) -eq 1";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

// The finder must find the charts this writer renders, with their corners
// where the layout puts them.
TEST_F(TargetImage, FinderFindsTheRenderedChart)
{
    const int sizes[][2] = {{6, 4}, {12, 8}, {14, 10}};
    for (const auto &size : sizes) {
        const int columns = size[0], rows = size[1];
        std::vector<std::string> data;
        uint32_t state = 99;
        for (int i = 0; i < columns * rows; ++i) {
            std::string row = std::to_string(i + 1) + " P" + std::to_string(i + 1);
            for (int k = 0; k < 3; ++k) {
                state = state * 1664525u + 1013904223u;
                row += " " + std::to_string(20 + (state >> 24) % 236);
            }
            data.push_back(row);
        }
        const std::string text = cgats(data);
        const std::string file = path("found.tif");
        ASSERT_EQ(write_target_image(text.data(), text.size(), columns, rows, file.c_str()),
                  TARGET_IMAGE_OK);
        rgb_image image;
        ASSERT_TRUE(read_tiff(file, image));
        target_image_layout l;
        ASSERT_TRUE(target_image_layout_for(columns, rows, &l));
        double x[4] = {0, 1, 0, 1}, y[4] = {0, 0, 1, 1};
        ASSERT_EQ(find_chart_corners(image.pixels.data(), image.width, image.height, x, y, 4,
                                     columns, rows),
                  0)
            << columns << "x" << rows;
        const double gx[2] = {double(l.margin), double(l.margin + columns * l.pitch)};
        const double gy[2] = {double(l.margin), double(l.margin + rows * l.pitch)};
        for (int k = 0; k < 4; ++k) {
            EXPECT_NEAR(x[k] * image.width, gx[k % 2], 1.5) << columns << "x" << rows << " " << k;
            EXPECT_NEAR(y[k] * image.height, gy[k / 2], 1.5) << columns << "x" << rows << " " << k;
        }
    }
}

}  // namespace
