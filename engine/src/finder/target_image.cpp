// Synthetic chart image: the dark body with one square patch per cell, each
// in its row's device RGB. Layout in engine/target_image.h.
#include "engine/target_image.h"

#include "finder/target_text.h"
#include "platform/atomic_file.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr unsigned char kBody = 32;

unsigned char to_byte(double v)
{
    if (!(v > 0.0))
        return 0;
    if (v >= 255.0)
        return 255;
    return static_cast<unsigned char>(std::lround(v));
}

// Writes width x height RGB bytes to an open TIFF; false on any failure.
bool write_pixels(TIFF *tiff, const target_image_layout &layout,
                  const std::vector<unsigned char> &rgb)
{
    const uint32_t w = uint32_t(layout.width);
    const uint32_t h = uint32_t(layout.height);
    if (!TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, w) || !TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, h) ||
        !TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(8)) ||
        !TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(3)) ||
        !TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_RGB)) ||
        !TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG)) ||
        !TIFFSetField(tiff, TIFFTAG_COMPRESSION, uint16_t(COMPRESSION_LZW)) ||
        !TIFFSetField(tiff, TIFFTAG_ORIENTATION, uint16_t(ORIENTATION_TOPLEFT)) ||
        !TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0)))
        return false;
    std::vector<unsigned char> row(size_t(w) * 3);
    for (uint32_t y = 0; y < h; ++y) {
        std::copy_n(rgb.begin() + std::ptrdiff_t(size_t(y) * w * 3), row.size(), row.begin());
        if (TIFFWriteScanline(tiff, row.data(), y, 0) < 0)
            return false;
    }
    return true;
}

// The writer reports through its result alone; returning 1 keeps libtiff's
// process-wide handlers out of it.
int quiet_handler(TIFF *, void *, const char *, const char *, va_list)
{
    return 1;
}

}  // namespace

bool target_image_layout_for(int columns, int rows, target_image_layout *layout)
{
    if (!layout || columns < 1 || rows < 1 || columns > TARGET_IMAGE_MAX_SIDE ||
        rows > TARGET_IMAGE_MAX_SIDE)
        return false;
    target_image_layout l;
    l.pitch = std::clamp(1536 / std::max(columns, rows), 8, 64);
    l.gap = std::max(2, l.pitch / 8);
    l.margin = l.pitch;
    l.width = columns * l.pitch + 2 * l.margin;
    l.height = rows * l.pitch + 2 * l.margin;
    *layout = l;
    return true;
}

target_image_result render_target_image(const char *text, size_t length, int columns, int rows,
                                        target_image_layout *layout_out,
                                        std::vector<unsigned char> &rgb)
{
    rgb.clear();
    target_image_layout layout;
    if (!text || !target_image_layout_for(columns, rows, &layout))
        return TARGET_IMAGE_BAD_ARGUMENT;

    std::vector<std::array<double, 3>> patches;
    try {
        if (!finder::read_rgb_rows(text, length, patches))
            return TARGET_IMAGE_NO_RGB;
        rgb.assign(size_t(layout.width) * size_t(layout.height) * 3, kBody);
    } catch (const std::bad_alloc &) {
        return TARGET_IMAGE_NO_MEMORY;
    }

    const size_t cells = size_t(columns) * size_t(rows);
    const int half_gap = layout.gap / 2;
    for (size_t i = 0; i < std::min(cells, patches.size()); ++i) {
        const int c = int(i % size_t(columns));
        const int r = int(i / size_t(columns));
        const unsigned char colour[3] = {to_byte(patches[i][0]), to_byte(patches[i][1]),
                                         to_byte(patches[i][2])};
        const int x0 = layout.margin + c * layout.pitch + half_gap;
        const int x1 = layout.margin + (c + 1) * layout.pitch - (layout.gap - half_gap);
        const int y0 = layout.margin + r * layout.pitch + half_gap;
        const int y1 = layout.margin + (r + 1) * layout.pitch - (layout.gap - half_gap);
        for (int y = y0; y < y1; ++y) {
            unsigned char *p = &rgb[(size_t(y) * size_t(layout.width) + size_t(x0)) * 3];
            for (int x = x0; x < x1; ++x, p += 3) {
                p[0] = colour[0];
                p[1] = colour[1];
                p[2] = colour[2];
            }
        }
    }
    if (layout_out)
        *layout_out = layout;
    return TARGET_IMAGE_OK;
}

target_image_result write_target_image(const char *text, size_t length, int columns, int rows,
                                       const char *tiff_path)
{
    if (!tiff_path || !*tiff_path)
        return TARGET_IMAGE_BAD_ARGUMENT;
    target_image_layout layout;
    std::vector<unsigned char> rgb;
    const target_image_result rendered =
        render_target_image(text, length, columns, rows, &layout, rgb);
    if (rendered != TARGET_IMAGE_OK)
        return rendered;

    platform::atomic_file out;
    if (!out.open(tiff_path))
        return TARGET_IMAGE_WRITE_FAILED;
    // libtiff writes through its own descriptor of the temporary file and
    // closes it; the atomic file then syncs and renames its own.
    const int fd = dup(fileno(out.stream()));
    if (fd < 0)
        return TARGET_IMAGE_WRITE_FAILED;
    TIFFOpenOptions *options = TIFFOpenOptionsAlloc();
    TIFF *tiff = nullptr;
    if (options) {
        TIFFOpenOptionsSetErrorHandlerExtR(options, quiet_handler, nullptr);
        TIFFOpenOptionsSetWarningHandlerExtR(options, quiet_handler, nullptr);
        tiff = TIFFFdOpenExt(fd, out.temp_path().c_str(), "w", options);
        TIFFOpenOptionsFree(options);
    }
    bool ok = false;
    if (tiff) {
        ok = write_pixels(tiff, layout, rgb);
        ok = TIFFFlush(tiff) == 1 && ok;
        TIFFClose(tiff);  // closes fd
    } else {
        close(fd);
    }
    if (!ok || !out.commit())
        return TARGET_IMAGE_WRITE_FAILED;
    return TARGET_IMAGE_OK;
}
