// Patch colours of a found grid and how well they fit a chart's reference.
#pragma once

#include "finder/finder_image.h"

#include <vector>

namespace finder {

// Mean colour of every cell's centre (8-bit R, G, B, row by row) of the
// columns x rows grid with outer corners x[], y[] (working pixels, top-left,
// top-right, bottom-left, bottom-right); false when a cell leaves the image.
bool window_colours(const work_image &image, const double x[4], const double y[4], int columns,
                    int rows, std::vector<double> &rgb);

// How far the measured colours (as window_colours gives them, taken as sRGB)
// lie from the reference (Lab, D50, row by row from the first patch): the
// mean colour difference (CIE 1976) after the best affine map from linear
// RGB to XYZ, which absorbs exposure, white balance and the camera's
// primaries but not a wrong arrangement of colours, as a share of the
// reference's own spread (the mean difference of its patches from their
// mean colour): near 0 for the chart, near 1 for a grid of other colours. The chart may lie turned
// by a half turn (and a quarter turn when square); the best of those counts.
double reference_misfit(const std::vector<double> &rgb, int columns, int rows, const double *lab);

}  // namespace finder
