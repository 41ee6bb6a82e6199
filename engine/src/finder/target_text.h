// Device RGB values of the data rows of a CGATS text, for the target image.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

namespace finder {

// Reads the field list between BEGIN_DATA_FORMAT and END_DATA_FORMAT and the
// rows between BEGIN_DATA and END_DATA; appends each row's RGB_R, RGB_G and
// RGB_B values to out, in row order. Fields are separated by blanks, tabs or
// commas; a double-quoted field may hold blanks; '#' lines are comments; NUL
// bytes count as blanks. False when there is no RGB field, no data row, or a
// row whose RGB fields are missing or not numbers (out then holds nothing).
bool read_rgb_rows(const char *text, size_t length, std::vector<std::array<double, 3>> &out);

}  // namespace finder
