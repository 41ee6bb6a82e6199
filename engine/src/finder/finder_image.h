// The finder's working copy of an image: smoothed colour planes and their
// gradient magnitude.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace finder {

struct work_image {
    int width = 0;
    int height = 0;
    int scale = 1;                     // input pixels per working pixel along each axis
    bool enlarged = false;             // two working pixels per input pixel instead
    std::vector<uint8_t> plane[3];     // smoothed R, G, B, row by row
    std::vector<uint16_t> gradient;    // sum over planes of |d/dx| + |d/dy|
};

// Builds the working copy: reduced by the whole factor max(1, shorter side /
// 500) (box average), or enlarged twice (bilinear) for charts of patches a
// few pixels wide, then smoothed twice with a 3 x 3 box. False when out of
// memory.
bool make_work_image(const uint32_t *pixels, int width, int height, work_image &out,
                     bool enlarged = false);

// Gradient below which a pixel counts as flat, from the image's own gradient
// distribution (its noise and texture); `level` 0 is the usual choice, 1 a
// stricter and 2 a looser one.
int flat_threshold(const work_image &image, int level);

// Flatness thresholds per square tile of the working image.
struct threshold_map {
    int tile = 16;                 // working pixels per tile side
    int columns = 0, rows = 0;
    std::vector<uint16_t> value;   // row by row
    uint16_t at(int x, int y) const
    {
        return value[std::size_t(y / tile) * std::size_t(columns) + std::size_t(x / tile)];
    }
};

// The same threshold everywhere.
threshold_map uniform_thresholds(const work_image &image, int threshold);

// Thresholds from the flattest surroundings of each tile: where a fine
// texture fills most of the frame, the whole image's gradient says more
// about the texture than about the chart's own patches and body. Never above
// flat_threshold(image, level). False when no tile comes out lower than that.
bool local_thresholds(const work_image &image, int level, threshold_map &out);

// Mean colour of the (2r+1)^2 box at (x, y) in working pixels; false when the
// box leaves the image.
bool box_mean(const work_image &image, double x, double y, int r, double out[3]);

}  // namespace finder
