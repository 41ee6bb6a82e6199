// Any pixels, sizes and grid counts: the corner finder either finds a
// quadrilateral inside a sane range or leaves the corners alone.
#include "engine/chart_finder.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    const int width = 8 + data[0] % 72;
    const int height = 8 + data[1] % 72;
    const int columns = data[2] % 16;
    const int rows = data[3] % 16;
    data += 4;
    size -= 4;
    // The rest are RGB triples, repeated to fill the image.
    std::vector<uint32_t> pixels(size_t(width) * size_t(height), 0xff000000u);
    if (size >= 3)
        for (size_t i = 0; i < pixels.size(); ++i) {
            const size_t k = (i * 3) % (size - size % 3);
            pixels[i] = 0xff000000u | uint32_t(data[k]) << 16 | uint32_t(data[k + 1]) << 8 |
                        data[k + 2];
        }
    double x[4] = {0, 1, 0, 1}, y[4] = {0, 0, 1, 1};
    const int rc = find_chart_corners(pixels.data(), width, height, x, y, 4, columns, rows);
    if (rc == -1) {
        if (x[0] != 0 || x[1] != 1 || x[2] != 0 || x[3] != 1 || y[0] != 0 || y[1] != 0 ||
            y[2] != 1 || y[3] != 1)
            std::abort();
    } else if (rc == 0) {
        for (int k = 0; k < 4; ++k)
            if (!std::isfinite(x[k]) || !std::isfinite(y[k]) || std::fabs(x[k]) > 2 ||
                std::fabs(y[k]) > 2)
                std::abort();
    } else {
        std::abort();
    }
    return 0;
}
