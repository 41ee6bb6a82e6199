// Finds the patch grid of a colour chart in a photograph.
#pragma once

#include <cstdint>

// Largest column or row count the finder accepts.
constexpr int CHART_FINDER_MAX_SIDE = 100;

// Looks for a chart of `columns` x `rows` patches in an image of width x height
// 32-bit pixels 0xAARRGGBB (the layout of a 32-bit QImage), stored row by row
// without padding; alpha is ignored. `count` must be 4.
//
// On success returns 0 and writes the four outer corners of the patch grid
// (grid nodes (0, 0), (columns, 0), (0, rows) and (columns, rows) of the
// lattice whose cells are centred on the patches, i.e. half a gap outside the
// outer patches) into x[] and y[] in the order top-left, top-right,
// bottom-left, bottom-right, as fractions of the width and the height. The
// columns run along the image's x axis within +-45 degrees; a chart turned
// further is not the chart asked for.
//
// Several grids of that size in different places of the image (the other
// page of a chart folder, a second chart) cannot be told apart without the
// chart's colours: the answer is then -1.
//
// Returns -1 and leaves x[] and y[] untouched when no chart of that size is
// found with confidence, and for bad arguments (null pointers, count other
// than 4, images smaller than 16 x 16 or larger than 16384 on a side,
// columns or rows outside 1..CHART_FINDER_MAX_SIDE, fewer than 4 patches).
// Pure function: no state, no locks, safe on any thread.
int find_chart_corners(const uint32_t *pixels, int width, int height, double *x, double *y,
                       int count, int columns, int rows);

// As find_chart_corners, with the chart's reference colours: `reference_lab`
// holds columns x rows Lab values (D50), row by row from the first patch.
// Where several grids of that size compete, the one whose patch colours fit
// the reference clearly best (after an affine map from the picture's linear
// RGB, which takes up exposure, white balance and the camera) is taken; -1
// when none stands out. Returns -1 for a null or non-finite reference.
int find_chart_corners_with_reference(const uint32_t *pixels, int width, int height, double *x,
                                      double *y, int count, int columns, int rows,
                                      const double *reference_lab);
