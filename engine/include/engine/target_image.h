// Renders a chart image from a target's measurement data: the CGATS text that
// a profile's 'targ' tag carries, or a target text with device RGB values.
#pragma once

#include <cstddef>
#include <vector>

// Results of write_target_image.
enum target_image_result {
    TARGET_IMAGE_OK = 0,
    TARGET_IMAGE_BAD_ARGUMENT = -1,  // null text or path, columns or rows outside 1..256
    TARGET_IMAGE_NO_RGB = -2,        // no RGB_R, RGB_G, RGB_B data, or a data row lacks a number
    TARGET_IMAGE_WRITE_FAILED = -3,  // the TIFF could not be written (nothing left behind)
    TARGET_IMAGE_NO_MEMORY = -4,
};

constexpr int TARGET_IMAGE_MAX_SIDE = 256;

// Layout of the rendered chart for a grid of columns x rows cells.
struct target_image_layout {
    int pitch;    // cell size in pixels (square cells)
    int gap;      // dark gap between neighbouring patches
    int margin;   // dark body around the grid, from the image edge to the grid's corner
    int width;    // image size
    int height;
};

// The layout write_target_image uses; false for columns or rows outside
// 1..TARGET_IMAGE_MAX_SIDE.
//   pitch  = clamp(1536 / max(columns, rows), 8, 64)
//   gap    = max(2, pitch / 8)
//   margin = pitch
//   width  = columns * pitch + 2 * margin, height = rows * pitch + 2 * margin
// Cell (c, r) spans x from margin + c * pitch to margin + (c + 1) * pitch and
// y likewise; its patch fills the cell less half a gap on every side. The
// grid's corners, the outer corners of the cells, lie half a gap outside the
// outer patches.
bool target_image_layout_for(int columns, int rows, target_image_layout *layout);

// Parses `text` (`length` bytes, CGATS: a BEGIN_DATA_FORMAT ... END_DATA_FORMAT
// field list with RGB_R, RGB_G and RGB_B, and the rows between BEGIN_DATA and
// END_DATA) and writes an 8-bit RGB TIFF to `tiff_path` (NUL-terminated UTF-8):
// the dark chart body (RGB 32, 32, 32) with patch i of the data, in row order,
// at cell (i % columns, i / columns), its colour the row's device RGB (0..255,
// rounded, clamped). Cells without a data row stay body colour; rows beyond
// columns x rows are not drawn. The file is written under a temporary name
// beside tiff_path and renamed into place.
target_image_result write_target_image(const char *text, size_t length, int columns, int rows,
                                       const char *tiff_path);

// The same picture in memory: rgb receives width x height x 3 bytes, row by
// row, and layout (when not null) the layout used. The results are those of
// write_target_image without TARGET_IMAGE_WRITE_FAILED; on failure rgb is
// empty.
target_image_result render_target_image(const char *text, size_t length, int columns, int rows,
                                        target_image_layout *layout,
                                        std::vector<unsigned char> &rgb);
