#include "finder/patch_blobs.h"

#include <cmath>

namespace finder {
namespace {

struct run {
    int y, x0, x1;  // [x0, x1)
    int label;
};

int find_root(std::vector<int> &parent, int i)
{
    while (parent[size_t(i)] != i) {
        parent[size_t(i)] = parent[size_t(parent[size_t(i)])];
        i = parent[size_t(i)];
    }
    return i;
}

struct moments {
    double n = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    double sc[3] = {0, 0, 0};
    int x0 = 1 << 30, x1 = -1, y0 = 1 << 30, y1 = -1;
};

}  // namespace

void find_blobs(const work_image &image, const threshold_map &threshold, double min_area,
                double max_area, std::vector<blob> &out)
{
    out.clear();
    const int w = image.width;
    const int h = image.height;
    std::vector<run> runs;
    runs.reserve(size_t(h) * 8);
    std::vector<int> parent;
    size_t prev_begin = 0, prev_end = 0;
    std::vector<uint16_t> limit(static_cast<size_t>(w));
    for (int y = 0; y < h; ++y) {
        if (y % threshold.tile == 0)
            for (int x = 0; x < w; ++x)
                limit[size_t(x)] = threshold.at(x, y);
        const uint16_t *g = &image.gradient[size_t(y) * size_t(w)];
        const size_t row_begin = runs.size();
        int x = 0;
        while (x < w) {
            while (x < w && g[x] >= limit[size_t(x)])
                ++x;
            if (x >= w)
                break;
            const int x0 = x;
            while (x < w && g[x] < limit[size_t(x)])
                ++x;
            run r{y, x0, x, int(parent.size())};
            parent.push_back(r.label);
            // Join with overlapping runs of the previous row.
            for (size_t k = prev_begin; k < prev_end; ++k) {
                const run &p = runs[k];
                if (p.x1 <= x0)
                    continue;
                if (p.x0 >= x)
                    break;
                const int a = find_root(parent, p.label);
                const int b = find_root(parent, r.label);
                if (a != b)
                    parent[size_t(std::max(a, b))] = std::min(a, b);
            }
            runs.push_back(r);
        }
        prev_begin = row_begin;
        prev_end = runs.size();
    }

    std::vector<moments> m(parent.size());
    std::vector<int> kept(parent.size(), -1);
    for (const run &r : runs) {
        moments &s = m[size_t(find_root(parent, r.label))];
        const double n = r.x1 - r.x0;
        // Sums over x + 0.5 for x in [x0, x1).
        const double a = r.x0, b = r.x1;
        const double sum_x = (b * b - a * a) / 2.0;
        const double sum_xx = (b * b * b - a * a * a) / 3.0;
        const double y = r.y + 0.5;
        s.n += n;
        s.sx += sum_x;
        s.sy += n * y;
        s.sxx += sum_xx;
        s.syy += n * y * y;
        s.sxy += sum_x * y;
        s.x0 = std::min(s.x0, r.x0);
        s.x1 = std::max(s.x1, r.x1);
        s.y0 = std::min(s.y0, r.y);
        s.y1 = std::max(s.y1, r.y + 1);
    }
    for (size_t i = 0; i < m.size(); ++i) {
        const moments &s = m[i];
        if (s.n < min_area || s.n > max_area)
            continue;
        const double bw = s.x1 - s.x0, bh = s.y1 - s.y0;
        if (s.n < 0.35 * bw * bh)
            continue;
        const double mx = s.sx / s.n, my = s.sy / s.n;
        const double cxx = s.sxx / s.n - mx * mx;
        const double cyy = s.syy / s.n - my * my;
        const double cxy = s.sxy / s.n - mx * my;
        const double tr = cxx + cyy;
        const double det = cxx * cyy - cxy * cxy;
        if (det <= 0)
            continue;
        const double disc = std::sqrt(std::max(0.0, tr * tr / 4 - det));
        const double l1 = tr / 2 + disc, l2 = tr / 2 - disc;
        if (l2 <= 0 || l1 > 9.0 * l2)
            continue;
        // A filled rectangle has area = 12 sqrt(det); a disc 1.05 times that.
        const double fill = s.n / (12.0 * std::sqrt(det));
        if (fill < 0.8 || fill > 1.25)
            continue;
        blob b;
        b.x = mx;
        b.y = my;
        b.area = s.n;
        b.size = std::sqrt(s.n);
        b.major = std::sqrt(l1);
        b.minor = std::sqrt(l2);
        b.cxx = cxx;
        b.cyy = cyy;
        b.cxy = cxy;
        kept[i] = int(out.size());
        out.push_back(b);
    }
    // Mean colours of the kept regions.
    if (out.empty())
        return;
    std::vector<double> sums(out.size() * 3, 0.0);
    for (const run &r : runs) {
        const int k = kept[size_t(find_root(parent, r.label))];
        if (k < 0)
            continue;
        for (int c = 0; c < 3; ++c) {
            const uint8_t *p = &image.plane[c][size_t(r.y) * size_t(w)];
            double s = 0;
            for (int x = r.x0; x < r.x1; ++x)
                s += p[x];
            sums[size_t(k) * 3 + size_t(c)] += s;
        }
    }
    for (size_t k = 0; k < out.size(); ++k)
        for (int c = 0; c < 3; ++c)
            out[k].colour[c] = sums[k * 3 + size_t(c)] / out[k].area;
}

}  // namespace finder
