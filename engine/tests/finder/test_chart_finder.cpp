// Chart corner finder on rendered scenes, non-charts and bad arguments.
#include "engine/chart_finder.h"
#include "scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

const double kUnitX[4] = {0, 1, 0, 1};
const double kUnitY[4] = {0, 0, 1, 1};

struct call_result {
    int rc;
    double x[4], y[4];
};

call_result find(const std::vector<uint32_t> &pixels, int width, int height, int columns, int rows)
{
    call_result r;
    std::copy_n(kUnitX, 4, r.x);
    std::copy_n(kUnitY, 4, r.y);
    r.rc = find_chart_corners(pixels.data(), width, height, r.x, r.y, 4, columns, rows);
    return r;
}

bool untouched(const call_result &r)
{
    return std::equal(r.x, r.x + 4, kUnitX) && std::equal(r.y, r.y + 4, kUnitY);
}

// Largest corner error in pixels.
double worst_corner(const call_result &r, const chart_scene &s)
{
    double worst = 0;
    for (int k = 0; k < 4; ++k)
        worst = std::max(worst,
                         std::hypot((r.x[k] - s.x[k]) * s.width, (r.y[k] - s.y[k]) * s.height));
    return worst;
}

struct scene_case {
    const char *name;
    scene_params params;
};

scene_params base(int columns = 6, int rows = 4)
{
    scene_params p;
    p.width = 600;
    p.height = 450;
    p.columns = columns;
    p.rows = rows;
    p.span = 0.6;
    p.angle = 4;
    p.blur = 0.6;
    p.noise = 1.5;
    p.seed = 7;
    return p;
}

template <typename F> scene_params with(scene_params p, F change)
{
    change(p);
    return p;
}

std::vector<scene_case> scene_cases()
{
    return {
        {"plain", base()},
        {"turned_plus_25", with(base(), [](scene_params &p) { p.angle = 25; })},
        {"turned_minus_25", with(base(), [](scene_params &p) { p.angle = -25; })},
        {"perspective", with(base(), [](scene_params &p) { p.perspective = 0.05; p.seed = 11; })},
        {"quarter_of_frame", with(base(), [](scene_params &p) { p.span = 0.25; p.cx = 0.1; })},
        {"nine_tenths_of_frame", with(base(), [](scene_params &p) { p.span = 0.9; })},
        {"cluttered", with(base(), [](scene_params &p) { p.background = 2; p.clutter = 30; })},
        {"striped_background", with(base(), [](scene_params &p) { p.background = 1; })},
        {"uneven_light", with(base(), [](scene_params &p) {
             p.ramp_x = 0.4;
             p.ramp_y = -0.4;
             p.vignette = 0.5;
         })},
        {"noisy", with(base(), [](scene_params &p) { p.noise = 6; })},
        {"blurred", with(base(), [](scene_params &p) { p.blur = 1.5; })},
        {"one_stop_under", with(base(), [](scene_params &p) { p.ev = -1; })},
        {"one_stop_over", with(base(), [](scene_params &p) { p.ev = 1; })},
        {"no_border", with(base(), [](scene_params &p) { p.border = false; })},
        {"frame_labels_marks", with(base(), [](scene_params &p) {
             p.margin = 1.0;
             p.frame = 0.4;
             p.labels = true;
             p.marks = true;
         })},
        {"portrait_layout", with(base(4, 6), [](scene_params &p) { p.angle = -10; })},
        {"fourteen_by_ten", with(base(14, 10), [](scene_params &p) { p.span = 0.8; })},
        {"portrait_frame", with(base(8, 12), [](scene_params &p) {
             p.width = 450;
             p.height = 600;
             p.angle = 12;
         })},
        // Fine textures that fill the frame, under a dark-grey body.
        {"woven_fabric", with(base(), [](scene_params &p) {
             p.background = background_fabric;
             p.texture = 4;
             p.body = 70;
         })},
        {"woven_fabric_two_colours", with(base(14, 10), [](scene_params &p) {
             p.background = background_fabric_two;
             p.texture = 3;
             p.body = 75;
         })},
        {"two_colour_fabric_small_chart", with(base(8, 12), [](scene_params &p) {
             p.background = background_fabric_two;
             p.texture = 5;
             p.body = 60;
             p.span = 0.4;
             p.blur = 1.2;
         })},
        {"carpet", with(base(), [](scene_params &p) {
             p.background = background_carpet;
             p.texture = 2.5;
         })},
        {"printed_paper", with(base(7, 5), [](scene_params &p) {
             p.background = background_printed_paper;
             p.texture = 7;
         })},
        // Seeds along the patches' diagonals belong to the finer lattice.
        {"cluttered_fourteen_rows", chart_scene_params(20240611, 103)},
        // Blocks of light text beside the grid are not another row or column.
        {"text_blocks_beside_grid", with(base(), [](scene_params &p) {
             p.text_strip = true;
             p.seed = 16;
         })},
        {"text_blocks_beside_square_grid", with(base(4, 4), [](scene_params &p) {
             p.text_strip = true;
             p.seed = 30;
         })},
    };
}

class ChartScenes : public testing::TestWithParam<scene_case> {};

TEST_P(ChartScenes, FindsTheGridCorners)
{
    chart_scene s;
    render_chart_scene(GetParam().params, s);
    const call_result r = find(s.pixels, s.width, s.height, s.columns, s.rows);
    ASSERT_EQ(r.rc, 0) << s.label;
    const double diagonal = std::hypot(s.width, s.height);
    EXPECT_LT(worst_corner(r, s), 0.006 * diagonal) << s.label;
}

INSTANTIATE_TEST_SUITE_P(Finder, ChartScenes, testing::ValuesIn(scene_cases()),
                         [](const testing::TestParamInfo<scene_case> &info) {
                             return std::string(info.param.name);
                         });

// A chart turned by 90 degrees, or asked for with other counts, is not the
// chart asked for: the caller then tries the next rotation.
TEST(Finder, RefusesOtherGridSizes)
{
    chart_scene s;
    render_chart_scene(base(6, 4), s);
    const int sizes[][2] = {{4, 6}, {7, 4}, {5, 4}, {6, 5}, {6, 3}, {12, 8}, {3, 2}};
    for (const auto &size : sizes) {
        const call_result r = find(s.pixels, s.width, s.height, size[0], size[1]);
        EXPECT_EQ(r.rc, -1) << size[0] << " x " << size[1];
        EXPECT_TRUE(untouched(r)) << size[0] << " x " << size[1];
    }
}

TEST(Finder, RefusesImagesWithoutAChart)
{
    const int w = 600, h = 450;
    struct picture {
        const char *name;
        std::vector<uint32_t> pixels;
    };
    std::vector<picture> pictures;
    pictures.push_back({"black", std::vector<uint32_t>(size_t(w) * h, 0xff000000u)});
    pictures.push_back({"white", std::vector<uint32_t>(size_t(w) * h, 0xffffffffu)});
    pictures.push_back({"grey", std::vector<uint32_t>(size_t(w) * h, 0xff808080u)});
    std::vector<uint32_t> noise(size_t(w) * h), ramp(size_t(w) * h), checks(size_t(w) * h);
    uint32_t state = 12345;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            state = state * 1664525u + 1013904223u;
            noise[size_t(y) * w + x] = 0xff000000u | (state >> 8);
            const uint32_t v = uint32_t(x * 255 / (w - 1));
            ramp[size_t(y) * w + x] = 0xff000000u | v << 16 | v << 8 | v;
            // A fine checkerboard has no gaps between its squares.
            checks[size_t(y) * w + x] = ((x / 20 + y / 20) % 2) ? 0xffe0e0e0u : 0xff202020u;
        }
    pictures.push_back({"noise", noise});
    pictures.push_back({"ramp", ramp});
    pictures.push_back({"checkerboard", checks});
    for (const auto &p : pictures) {
        const call_result r = find(p.pixels, w, h, 6, 4);
        EXPECT_EQ(r.rc, -1) << p.name;
        EXPECT_TRUE(untouched(r)) << p.name;
    }
}

// Textured backgrounds alone hold no chart of any of the usual sizes.
TEST(Finder, RefusesTexturedBackgroundsWithoutAChart)
{
    const int sizes[][2] = {{6, 4}, {4, 6}, {14, 10}, {12, 8}, {7, 5}, {6, 6}};
    for (int kind = background_mottled; kind < background_count; ++kind) {
        scene_params p = base();
        p.chart = false;
        p.background = kind;
        p.texture = kind == background_printed_paper ? 6 : 3.5;
        p.clutter = 12;
        p.seed = 100 + uint64_t(kind);
        chart_scene s;
        render_chart_scene(p, s);
        for (const auto &size : sizes) {
            const call_result r = find(s.pixels, s.width, s.height, size[0], size[1]);
            EXPECT_EQ(r.rc, -1) << s.label << ", asked for " << size[0] << " x " << size[1];
            EXPECT_TRUE(untouched(r)) << s.label;
        }
    }
    // A halftone picture on a printed page is a lattice of small dots that
    // goes on well beyond any window of chart size.
    scene_params page = chart_scene_params(20240612, 167);
    page.chart = false;
    page.background = background_printed_paper;
    page.texture = 12;
    chart_scene s;
    render_chart_scene(page, s);
    const call_result r = find(s.pixels, s.width, s.height, s.columns, s.rows);
    EXPECT_EQ(r.rc, -1) << s.label;
    EXPECT_TRUE(untouched(r)) << s.label;
}

TEST(Finder, RefusesBadArguments)
{
    chart_scene s;
    render_chart_scene(base(), s);
    const uint32_t *pixels = s.pixels.data();
    struct bad_case {
        const char *name;
        const uint32_t *pixels;
        int width, height, count, columns, rows;
        bool null_x, null_y;
    };
    const int w = s.width, h = s.height;
    const bad_case cases[] = {
        {"null pixels", nullptr, w, h, 4, 6, 4, false, false},
        {"null x", pixels, w, h, 4, 6, 4, true, false},
        {"null y", pixels, w, h, 4, 6, 4, false, true},
        {"count 3", pixels, w, h, 3, 6, 4, false, false},
        {"count 0", pixels, w, h, 0, 6, 4, false, false},
        {"width 0", pixels, 0, h, 4, 6, 4, false, false},
        {"height 0", pixels, w, 0, 4, 6, 4, false, false},
        {"negative width", pixels, -w, h, 4, 6, 4, false, false},
        {"tiny", pixels, 8, 8, 4, 6, 4, false, false},
        {"columns 0", pixels, w, h, 4, 0, 4, false, false},
        {"rows 0", pixels, w, h, 4, 6, 0, false, false},
        {"columns 1000", pixels, w, h, 4, 1000, 4, false, false},
        {"rows 1000", pixels, w, h, 4, 6, 1000, false, false},
        {"one patch", pixels, w, h, 4, 1, 1, false, false},
    };
    for (const auto &c : cases) {
        call_result r;
        std::copy_n(kUnitX, 4, r.x);
        std::copy_n(kUnitY, 4, r.y);
        r.rc = find_chart_corners(c.pixels, c.width, c.height, c.null_x ? nullptr : r.x,
                                  c.null_y ? nullptr : r.y, c.count, c.columns, c.rows);
        EXPECT_EQ(r.rc, -1) << c.name;
        EXPECT_TRUE(untouched(r)) << c.name;
    }
}

// The finder works on a reduced copy of a large image; the corners still
// come back as fractions of the image handed in.
TEST(Finder, LargeImageGivesFractionsOfItsOwnSize)
{
    scene_params p = base();
    p.angle = -8;
    chart_scene s;
    render_chart_scene(p, s);
    const int f = 3;
    const int w = s.width * f, h = s.height * f;
    std::vector<uint32_t> large(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            large[size_t(y) * w + x] = s.pixels[size_t(y / f) * s.width + x / f];
    const call_result r = find(large, w, h, s.columns, s.rows);
    ASSERT_EQ(r.rc, 0) << s.label;
    EXPECT_LT(worst_corner(r, s), 0.006 * std::hypot(s.width, s.height)) << s.label;
}

}  // namespace

// The other page of a two-page chart folder is a grid of the chart's size in
// another place: with the chart's colours the chart wins; without them, or
// with colours neither page shows, the answer is the chart or a refusal.
TEST(Finder, TellsTheChartFromTheOtherPageOfAFolder)
{
    struct folder_case {
        const char *name;
        int page;
        double light;
    };
    const folder_case cases[] = {
        {"bright grey page, dim chart", page_grey, 0.45},
        {"grey page, bright chart", page_grey, 1.2},
        {"second colour page", page_colours, 0.8},
    };
    for (const auto &c : cases) {
        scene_params p = base();
        p.width = 750;
        p.height = 500;
        p.span = 0.9;
        p.angle = 2;
        p.second_page = c.page;
        p.page_light = c.light;
        chart_scene s;
        render_chart_scene(p, s);
        const double diagonal = std::hypot(s.width, s.height);

        call_result r;
        std::copy_n(kUnitX, 4, r.x);
        std::copy_n(kUnitY, 4, r.y);
        r.rc = find_chart_corners_with_reference(s.pixels.data(), s.width, s.height, r.x, r.y, 4,
                                                 s.columns, s.rows, s.reference.data());
        ASSERT_EQ(r.rc, 0) << c.name << ": " << s.label;
        EXPECT_LT(worst_corner(r, s), 0.01 * diagonal) << c.name;

        const call_result plain = find(s.pixels, s.width, s.height, s.columns, s.rows);
        if (plain.rc == 0) {
            EXPECT_LT(worst_corner(plain, s), 0.01 * diagonal) << c.name << " without colours";
        } else {
            EXPECT_TRUE(untouched(plain)) << c.name;
        }

        // A reference of mid greys fits neither page better: never the other page.
        std::vector<double> grey(s.reference.size(), 0.0);
        for (size_t k = 0; k < grey.size(); k += 3)
            grey[k] = 50;
        call_result g;
        std::copy_n(kUnitX, 4, g.x);
        std::copy_n(kUnitY, 4, g.y);
        g.rc = find_chart_corners_with_reference(s.pixels.data(), s.width, s.height, g.x, g.y, 4,
                                                 s.columns, s.rows, grey.data());
        if (g.rc == 0) {
            EXPECT_LT(worst_corner(g, s), 0.01 * diagonal) << c.name << " with a grey reference";
        }
    }
}

TEST(Finder, RefusesABadReference)
{
    chart_scene s;
    render_chart_scene(base(), s);
    double x[4], y[4];
    EXPECT_EQ(find_chart_corners_with_reference(s.pixels.data(), s.width, s.height, x, y, 4, 6, 4,
                                                nullptr),
              -1);
    std::vector<double> reference = s.reference;
    reference[5] = std::nan("");
    EXPECT_EQ(find_chart_corners_with_reference(s.pixels.data(), s.width, s.height, x, y, 4, 6, 4,
                                                reference.data()),
              -1);
    EXPECT_EQ(find_chart_corners_with_reference(s.pixels.data(), s.width, s.height, x, y, 4, 6, 4,
                                                s.reference.data()),
              0);
}

// Charts of many small patches far from the camera: each found to its
// corners or refused, never answered with a grid elsewhere.
TEST(Finder, TinyChartsAreFoundOrRefused)
{
    for (const double span : {0.1, 0.12, 0.14}) {
        for (uint64_t seed = 1; seed <= 6; ++seed) {
            scene_params p = base(13, 9);
            p.width = 750;
            p.height = 500;
            p.span = span;
            p.seed = seed;
            p.cx = 0.1 * double(seed);
            p.cy = 1 - 0.15 * double(seed);
            p.clutter = int(seed % 3) * 10;
            chart_scene s;
            render_chart_scene(p, s);
            const call_result r = find(s.pixels, s.width, s.height, 13, 9);
            if (r.rc == 0) {
                EXPECT_LT(worst_corner(r, s), 0.01 * std::hypot(s.width, s.height)) << s.label;
            } else {
                EXPECT_TRUE(untouched(r)) << s.label;
            }
        }
    }
}
