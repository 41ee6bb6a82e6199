// Seeded photograph-like scenes of colour charts for the corner finder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct chart_scene {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0xAARRGGBB, row by row
    int columns = 0, rows = 0;
    double x[4] = {}, y[4] = {};   // true grid corners as fractions: TL, TR, BL, BR
    std::string label;             // short description of the conditions
};

// Scene number `index` of the fixed set: always the same picture for the
// same index and seed.
void make_chart_scene(uint64_t seed, int index, chart_scene &out);
