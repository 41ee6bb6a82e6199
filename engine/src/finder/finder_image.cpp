#include "finder/finder_image.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace finder {
namespace {

int threshold_from_median(int median, int level)
{
    static const double factor[3] = {3.0, 2.0, 4.5};
    static const int floor_value[3] = {18, 12, 30};
    const int t = int(std::lround(factor[level] * median)) + floor_value[level];
    return std::min(t, 160);
}

// One 3 x 3 box pass over a plane, edges replicated. The interior loops run
// without edge tests so that they vectorise.
void box3(std::vector<uint8_t> &plane, int w, int h, std::vector<uint16_t> &scratch)
{
    scratch.resize(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        const uint8_t *s = &plane[size_t(y) * size_t(w)];
        uint16_t *d = &scratch[size_t(y) * size_t(w)];
        d[0] = uint16_t(s[0] + s[0] + s[w > 1 ? 1 : 0]);
        for (int x = 1; x + 1 < w; ++x)
            d[x] = uint16_t(s[x - 1] + s[x] + s[x + 1]);
        if (w > 1)
            d[w - 1] = uint16_t(s[w - 2] + s[w - 1] + s[w - 1]);
    }
    for (int y = 0; y < h; ++y) {
        const uint16_t *up = &scratch[size_t(y > 0 ? y - 1 : 0) * size_t(w)];
        const uint16_t *mid = &scratch[size_t(y) * size_t(w)];
        const uint16_t *dn = &scratch[size_t(y + 1 < h ? y + 1 : h - 1) * size_t(w)];
        uint8_t *d = &plane[size_t(y) * size_t(w)];
        for (int x = 0; x < w; ++x)
            d[x] = uint8_t((up[x] + mid[x] + dn[x] + 4) / 9);
    }
}

}  // namespace

bool make_work_image(const uint32_t *pixels, int width, int height, work_image &out,
                     bool enlarged)
{
    try {
        const int f = enlarged ? 1 : std::max(1, std::min(width, height) / 500);
        const int w = enlarged ? 2 * width : width / f;
        const int h = enlarged ? 2 * height : height / f;
        out.width = w;
        out.height = h;
        out.scale = f;
        out.enlarged = enlarged;
        const size_t n = size_t(w) * size_t(h);
        for (auto &p : out.plane)
            p.assign(n, 0);
        if (enlarged) {
            // Bilinear, the input's pixel centres at odd working pixels.
            for (int y = 0; y < h; ++y) {
                const double sy = std::clamp((y - 0.5) / 2.0, 0.0, height - 1.0);
                const int y0 = std::min(int(sy), height - 1), y1 = std::min(y0 + 1, height - 1);
                const double fy = sy - y0;
                for (int x = 0; x < w; ++x) {
                    const double sx = std::clamp((x - 0.5) / 2.0, 0.0, width - 1.0);
                    const int x0 = std::min(int(sx), width - 1), x1 = std::min(x0 + 1, width - 1);
                    const double fx = sx - x0;
                    const uint32_t a = pixels[size_t(y0) * size_t(width) + size_t(x0)];
                    const uint32_t b = pixels[size_t(y0) * size_t(width) + size_t(x1)];
                    const uint32_t c = pixels[size_t(y1) * size_t(width) + size_t(x0)];
                    const uint32_t d = pixels[size_t(y1) * size_t(width) + size_t(x1)];
                    for (int k = 0; k < 3; ++k) {
                        const int shift = 16 - 8 * k;
                        const double top = (1 - fx) * ((a >> shift) & 0xff) + fx * ((b >> shift) & 0xff);
                        const double bottom = (1 - fx) * ((c >> shift) & 0xff) + fx * ((d >> shift) & 0xff);
                        out.plane[k][size_t(y) * size_t(w) + size_t(x)] =
                            uint8_t(std::lround((1 - fy) * top + fy * bottom));
                    }
                }
            }
        } else if (f == 1) {
            for (size_t i = 0; i < n; ++i) {
                const uint32_t v = pixels[i];
                out.plane[0][i] = uint8_t(v >> 16);
                out.plane[1][i] = uint8_t(v >> 8);
                out.plane[2][i] = uint8_t(v);
            }
        } else {
            std::vector<uint32_t> sum(size_t(w) * 3);
            const uint32_t div = uint32_t(f * f);
            for (int y = 0; y < h; ++y) {
                std::fill(sum.begin(), sum.end(), 0u);
                for (int yy = 0; yy < f; ++yy) {
                    const uint32_t *row = pixels + size_t(y * f + yy) * size_t(width);
                    for (int x = 0; x < w; ++x)
                        for (int xx = 0; xx < f; ++xx) {
                            const uint32_t v = row[x * f + xx];
                            sum[size_t(x) * 3] += (v >> 16) & 0xff;
                            sum[size_t(x) * 3 + 1] += (v >> 8) & 0xff;
                            sum[size_t(x) * 3 + 2] += v & 0xff;
                        }
                }
                for (int x = 0; x < w; ++x)
                    for (int c = 0; c < 3; ++c)
                        out.plane[c][size_t(y) * size_t(w) + size_t(x)] =
                            uint8_t((sum[size_t(x) * 3 + size_t(c)] + div / 2) / div);
            }
        }
        std::vector<uint16_t> scratch;
        for (auto &p : out.plane) {
            box3(p, w, h, scratch);
            box3(p, w, h, scratch);
        }
        out.gradient.assign(n, 0);
        for (int y = 1; y + 1 < h; ++y) {
            uint16_t *g = &out.gradient[size_t(y) * size_t(w)];
            for (int c = 0; c < 3; ++c) {
                const uint8_t *p = &out.plane[c][size_t(y) * size_t(w)];
                const uint8_t *up = p - w;
                const uint8_t *dn = p + w;
                for (int x = 1; x + 1 < w; ++x)
                    g[x] = uint16_t(g[x] + std::abs(int(p[x + 1]) - int(p[x - 1])) +
                                    std::abs(int(dn[x]) - int(up[x])));
            }
        }
        // The border has no gradient of its own; keep it out of every flat region.
        for (int x = 0; x < w; ++x) {
            out.gradient[size_t(x)] = 0xffff;
            out.gradient[size_t(h - 1) * size_t(w) + size_t(x)] = 0xffff;
        }
        for (int y = 0; y < h; ++y) {
            out.gradient[size_t(y) * size_t(w)] = 0xffff;
            out.gradient[size_t(y) * size_t(w) + size_t(w - 1)] = 0xffff;
        }
    } catch (const std::bad_alloc &) {
        return false;
    }
    return true;
}

int flat_threshold(const work_image &image, int level)
{
    // Median of the gradient over a sparse sample of interior pixels.
    int histogram[1024] = {};
    int total = 0;
    for (int y = 1; y + 1 < image.height; y += 2) {
        const uint16_t *g = &image.gradient[size_t(y) * size_t(image.width)];
        for (int x = 1; x + 1 < image.width; x += 2) {
            ++histogram[std::min<int>(g[x], 1023)];
            ++total;
        }
    }
    int median = 0;
    for (int acc = 0; median < 1023; ++median) {
        acc += histogram[median];
        if (2 * acc >= total)
            break;
    }
    return threshold_from_median(median, level);
}

threshold_map uniform_thresholds(const work_image &image, int threshold)
{
    threshold_map m;
    m.columns = (image.width + m.tile - 1) / m.tile;
    m.rows = (image.height + m.tile - 1) / m.tile;
    m.value.assign(size_t(m.columns) * size_t(m.rows), uint16_t(threshold));
    return m;
}

bool local_thresholds(const work_image &image, int level, threshold_map &out)
{
    const int global = flat_threshold(image, level);
    out = uniform_thresholds(image, global);
    const int tile = out.tile, columns = out.columns, rows = out.rows;
    // Gradient of the flattest fifth of each tile (every second pixel of every
    // second row), doubled to stand for a median: inside a chart of small
    // patches most of a tile is patch edge.
    std::vector<uint16_t> flat(out.value.size());
    std::vector<uint16_t> sample;
    sample.reserve(size_t(tile * tile / 4));
    for (int ty = 0; ty < rows; ++ty)
        for (int tx = 0; tx < columns; ++tx) {
            sample.clear();
            const int y1 = std::min(image.height - 1, (ty + 1) * tile);
            const int x1 = std::min(image.width - 1, (tx + 1) * tile);
            for (int y = std::max(1, ty * tile); y < y1; y += 2) {
                const uint16_t *g = &image.gradient[size_t(y) * size_t(image.width)];
                for (int x = std::max(1, tx * tile); x < x1; x += 2)
                    sample.push_back(g[x]);
            }
            uint16_t v = 0xffff;
            if (sample.size() >= 8) {
                const size_t k = sample.size() / 5;
                std::nth_element(sample.begin(), sample.begin() + std::ptrdiff_t(k), sample.end());
                v = uint16_t(std::min(1023, 2 * sample[k]));
            }
            flat[size_t(ty) * size_t(columns) + size_t(tx)] = v;
        }
    // The flattest tile of each 5 x 5 neighbourhood speaks for the patches
    // and the chart body around it.
    bool lower = false;
    for (int ty = 0; ty < rows; ++ty)
        for (int tx = 0; tx < columns; ++tx) {
            int least = 0xffff;
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx) {
                    const int x = tx + dx, y = ty + dy;
                    if (x >= 0 && y >= 0 && x < columns && y < rows)
                        least = std::min<int>(least, flat[size_t(y) * size_t(columns) + size_t(x)]);
                }
            const int t = std::min(global, threshold_from_median(std::min(least, 1023), level));
            if (t < global)
                lower = true;
            out.value[size_t(ty) * size_t(columns) + size_t(tx)] = uint16_t(t);
        }
    return lower;
}

bool box_mean(const work_image &image, double x, double y, int r, double out[3])
{
    const int cx = int(std::floor(x));
    const int cy = int(std::floor(y));
    if (cx - r < 0 || cy - r < 0 || cx + r >= image.width || cy + r >= image.height)
        return false;
    double sum[3] = {0, 0, 0};
    for (int yy = cy - r; yy <= cy + r; ++yy)
        for (int c = 0; c < 3; ++c) {
            const uint8_t *p = &image.plane[c][size_t(yy) * size_t(image.width)];
            for (int xx = cx - r; xx <= cx + r; ++xx)
                sum[c] += p[xx];
        }
    const double n = double((2 * r + 1) * (2 * r + 1));
    for (int c = 0; c < 3; ++c)
        out[c] = sum[c] / n;
    return true;
}

}  // namespace finder
