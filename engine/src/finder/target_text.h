// Device RGB values of the data rows of a CGATS text, for the target image.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

namespace finder {

// Reads the text with the engine's CGATS reader (read_cgats_bytes) and puts
// each data row's RGB_R, RGB_G and RGB_B values into out, in row order. NUL
// bytes count as blanks. False when the reader refuses the text, or it has no
// RGB columns, no data row, or a row whose RGB values are missing or not
// finite numbers (out then holds nothing).
bool read_rgb_rows(const char *text, size_t length, std::vector<std::array<double, 3>> &out);

}  // namespace finder
