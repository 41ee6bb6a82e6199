// Photograph-like scenes of colour charts for the corner finder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct chart_scene {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0xAARRGGBB, row by row
    int columns = 0, rows = 0;
    double x[4] = {}, y[4] = {};   // true grid corners as fractions: TL, TR, BL, BR
    std::vector<double> reference; // the chart's patch colours, Lab (D50), row by row
    std::string label;             // short description of the conditions
};

enum scene_background {
    background_mottled,
    background_stripes,
    background_cluttered,
    background_fabric,          // woven, one thread colour
    background_fabric_two,      // woven, warp and weft of two colours
    background_carpet,
    background_printed_paper,   // columns of small dark text, halftone pictures
    background_count
};

// The other page of a two-page chart folder, laid beside the chart.
enum scene_page {
    page_none,
    page_grey,      // larger patches of light greys in rows
    page_colours,   // a second chart of the same layout in other colours
};

// Everything that decides one scene. Lengths on the chart are in cells
// (one cell = one patch plus one gap).
struct scene_params {
    int width = 600, height = 450;  // image size
    int columns = 6, rows = 4;
    double gap = 0.15;              // gap between patches
    bool border = true;             // dark body around the grid
    double margin = 0.6;            // body width beyond the grid (border only)
    double frame = 0.0;             // light frame beyond the body
    bool labels = false, marks = false;
    double body = 35;               // body grey, 0..255
    double angle = 0;               // degrees, clockwise on screen
    double span = 0.6;              // chart extent / largest extent that fits the frame
    double cx = 0.5, cy = 0.5;      // where the centre may go: 0..1 of the free room
    double perspective = 0;         // corner displacement, fraction of the chart size
    int background = 0;             // a scene_background
    double texture = 4;             // thread or tuft spacing, text line height (pixels)
    int clutter = 0;                // extra shapes on the background
    bool text_strip = false;        // label strip with blocks of light text beside the grid
    bool chart = true;              // false: the background alone
    int second_page = page_none;    // a scene_page beside the chart: a two-page folder
    double page_light = 1;          // light on the chart's page against the other page
    double ev = 0;                  // exposure error in stops
    double ramp_x = 0, ramp_y = 0;  // light falloff across the frame
    double vignette = 0;
    double blur = 0;                // Gaussian sigma, pixels
    double noise = 0;               // sensor noise, 8-bit levels
    uint64_t seed = 1;              // patch colours, background, jitter, noise
};

// Renders the scene; the chart's corners are returned in out.x, out.y.
void render_chart_scene(const scene_params &p, chart_scene &out);

// Scene number `index` of the fixed benchmark set: always the same picture
// for the same index and seed.
void make_chart_scene(uint64_t seed, int index, chart_scene &out);
// The parameters make_chart_scene renders.
scene_params chart_scene_params(uint64_t seed, int index);
