// Chart corner finder.
//
// Method: the image is reduced to a shorter side of about 500 pixels and
// smoothed; patches show as compact flat regions (low colour gradient)
// separated by the gaps and by their neighbours' colours. These regions are
// patch candidates. What counts as flat comes first from the whole image's
// gradient, then, when that finds no chart (a fine texture such as fabric
// filling the frame sets it far above a patch edge), from the flattest
// surroundings of each part of the image. A seed (a candidate and two
// neighbours along roughly perpendicular steps, confirmed by its 5 x 5
// neighbourhood) starts a lattice that grows outwards: candidates are given
// integer indices where a least-squares projective map (Eigen) predicts
// them, and the map is refitted as the lattice grows. The lattice is turned
// so that its first index runs along the image's x axis, and a window of
// exactly columns x rows cells must then hold nearly all of its patches, at
// least 45% of the cells, with no line of patches just outside (candidates
// of another size or shape than the chart's patches, and a line of one tone,
// are text or marks beside the grid); an ambiguous window (an undetected
// outer row or column) is settled by the contrast of each cell against its
// own gaps, or refused. The corners are the projective map's images of the
// outer corners of the window's cells. Every seed of the pass that finds a
// chart is followed to the end: grids of the chart's size in different
// places (the other page of a folder, a second chart) are told apart by how
// well their cell colours fit the chart's reference, or the search refuses.
#include "engine/chart_finder.h"

#include "finder/finder_image.h"
#include "finder/lattice_fit.h"
#include "finder/patch_blobs.h"
#include "finder/window_colours.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <new>
#include <set>
#include <utility>
#include <vector>

namespace finder {
namespace {

struct corners {
    double x[4], y[4];  // working pixels: top-left, top-right, bottom-left, bottom-right
};

enum class verdict { found, not_this, transposed, ambiguous };

// Index transforms: (i', j') = (a i + b j, c i + d j).
struct turn {
    int a, b, c, d;
};
constexpr turn kTurns[8] = {{1, 0, 0, 1},  {-1, 0, 0, 1}, {1, 0, 0, -1}, {-1, 0, 0, -1},
                            {0, 1, 1, 0},  {0, -1, 1, 0}, {0, 1, -1, 0}, {0, -1, -1, 0}};

// Re-indexes the lattice so that +i runs closest to +x and +j to +y.
bool orient(const std::vector<blob> &blobs, lattice *l)
{
    double ci = 0, cj = 0;
    for (const auto &p : l->points) {
        ci += p.i;
        cj += p.j;
    }
    ci = std::round(ci / double(l->points.size()));
    cj = std::round(cj / double(l->points.size()));
    double x0, y0, xi, yi, xj, yj;
    if (!l->to_image.map(ci, cj, &x0, &y0) || !l->to_image.map(ci + 1, cj, &xi, &yi) ||
        !l->to_image.map(ci, cj + 1, &xj, &yj))
        return false;
    double dix = xi - x0, diy = yi - y0, djx = xj - x0, djy = yj - y0;
    const double li = std::hypot(dix, diy), lj = std::hypot(djx, djy);
    if (li <= 0 || lj <= 0)
        return false;
    dix /= li;
    diy /= li;
    djx /= lj;
    djy /= lj;
    int best = 0;
    double best_score = -1e9;
    for (int t = 0; t < 8; ++t) {
        const turn &r = kTurns[t];
        // Image direction of +i' is a * di + b * dj, of +j' is c * di + d * dj.
        const double score = (r.a * dix + r.b * djx) + (r.c * diy + r.d * djy);
        if (score > best_score) {
            best_score = score;
            best = t;
        }
    }
    const turn &r = kTurns[best];
    for (auto &p : l->points) {
        const int i = p.i, j = p.j;
        p.i = r.a * i + r.b * j;
        p.j = r.c * i + r.d * j;
    }
    return refit(blobs, l);
}

// Contrast of cell (i, j) against the gaps around it: the sum over channels
// of |centre - mean of the four gap midpoints|; -1 when it leaves the image.
double cell_contrast(const work_image &image, const homography &h, int i, int j)
{
    const double pitch = h.scale_at(i, j);
    if (pitch < 3)
        return -1;
    double x, y, c[3], g[3] = {0, 0, 0};
    if (!h.map(i, j, &x, &y) || !box_mean(image, x, y, std::max(1, int(pitch * 0.15)), c))
        return -1;
    static const double off[4][2] = {{-0.5, 0}, {0.5, 0}, {0, -0.5}, {0, 0.5}};
    for (const auto &o : off) {
        double gx, gy, s[3];
        if (!h.map(i + o[0], j + o[1], &gx, &gy) || !box_mean(image, gx, gy, 0, s))
            return -1;
        for (int k = 0; k < 3; ++k)
            g[k] += s[k] / 4;
    }
    return std::fabs(c[0] - g[0]) + std::fabs(c[1] - g[1]) + std::fabs(c[2] - g[2]);
}

// Spread of a blob along the lattice's two index directions at (i, j), in
// lattice steps; false where the map degenerates.
bool lattice_spread(const blob &b, const homography &h, int i, int j, double *si, double *sj)
{
    double xl, yl, xr, yr, xu, yu, xd, yd;
    if (!h.map(i - 0.5, j, &xl, &yl) || !h.map(i + 0.5, j, &xr, &yr) ||
        !h.map(i, j - 0.5, &xu, &yu) || !h.map(i, j + 0.5, &xd, &yd))
        return false;
    // Jacobian columns d(x, y)/di and d(x, y)/dj, and its inverse.
    const double a = xr - xl, bb = xd - xu, c = yr - yl, d = yd - yu;
    const double det = a * d - bb * c;
    if (!(std::fabs(det) > 1e-9))
        return false;
    const double p = d / det, q = -bb / det, r = -c / det, s = a / det;
    *si = std::sqrt(std::max(0.0, p * p * b.cxx + 2 * p * q * b.cxy + q * q * b.cyy));
    *sj = std::sqrt(std::max(0.0, r * r * b.cxx + 2 * r * s * b.cxy + s * s * b.cyy));
    return true;
}

bool convex_quad(const corners &q)
{
    // Order around: top-left, top-right, bottom-right, bottom-left.
    const int order[4] = {0, 1, 3, 2};
    int sign = 0;
    for (int k = 0; k < 4; ++k) {
        const int a = order[k], b = order[(k + 1) % 4], c = order[(k + 2) % 4];
        const double cross = (q.x[b] - q.x[a]) * (q.y[c] - q.y[b]) -
                             (q.y[b] - q.y[a]) * (q.x[c] - q.x[b]);
        const int s = cross > 0 ? 1 : (cross < 0 ? -1 : 0);
        if (s == 0 || (sign != 0 && s != sign))
            return false;
        sign = s;
    }
    return sign > 0;  // clockwise on screen (y down)
}

// Marks the lattice points whose blobs have the size and shape of most of
// them: the patches of a chart share one, a text block or a mark beside the
// grid that the lattice took in has its own. Empty when no spread is known.
std::vector<char> patch_shaped(const std::vector<blob> &blobs, const lattice &l)
{
    std::vector<char> like(l.points.size(), 1);
    std::vector<double> si(l.points.size(), -1), sj(l.points.size(), -1);
    std::vector<double> all_i, all_j;
    for (size_t k = 0; k < l.points.size(); ++k) {
        const lattice_point &p = l.points[k];
        if (lattice_spread(blobs[size_t(p.blob)], l.to_image, p.i, p.j, &si[k], &sj[k])) {
            all_i.push_back(si[k]);
            all_j.push_back(sj[k]);
        }
    }
    if (all_i.empty())
        return {};
    const auto middle = std::ptrdiff_t(all_i.size() / 2);
    std::nth_element(all_i.begin(), all_i.begin() + middle, all_i.end());
    std::nth_element(all_j.begin(), all_j.begin() + middle, all_j.end());
    const double ti = all_i[size_t(middle)], tj = all_j[size_t(middle)];
    for (size_t k = 0; k < l.points.size(); ++k)
        if (si[k] >= 0)
            like[k] = si[k] > 0.7 * ti && si[k] < ti / 0.7 && sj[k] > 0.7 * tj && sj[k] < tj / 0.7;
    return like;
}

// Range of mean colours over a set of blobs: the sum over channels of
// highest - lowest.
struct colour_range {
    double low[3] = {1e9, 1e9, 1e9}, high[3] = {-1e9, -1e9, -1e9};
    void add(const blob &b)
    {
        for (int c = 0; c < 3; ++c) {
            low[c] = std::min(low[c], b.colour[c]);
            high[c] = std::max(high[c], b.colour[c]);
        }
    }
    double spread() const
    {
        return high[0] < low[0] ? 0 : (high[0] - low[0]) + (high[1] - low[1]) + (high[2] - low[2]);
    }
};

// True when the lattice shows more chart just outside the window
// (i0, j0, columns x rows): a line of patches of the window's patch shape
// and of more than one colour (a row of text blocks in a label strip has one
// tone, which stands apart only from a chart of many colours), or crowded
// lines on two sides (a label strip runs along one side; more is a pattern
// that goes on, a halftone screen or a weave).
bool more_beside(const std::vector<blob> &blobs, const lattice &l, const std::vector<char> &like,
                 int i0, int j0, int columns, int rows)
{
    int side[4] = {0, 0, 0, 0};  // left, right, above, below: patch-shaped candidates
    int any[4] = {0, 0, 0, 0};   // every candidate there, of any shape
    colour_range tone[4], window;
    for (size_t k = 0; k < l.points.size(); ++k) {
        const lattice_point &p = l.points[k];
        const bool in_i = p.i >= i0 && p.i < i0 + columns;
        const bool in_j = p.j >= j0 && p.j < j0 + rows;
        if (in_i && in_j) {
            if (like[k])
                window.add(blobs[size_t(p.blob)]);
            continue;
        }
        int at = -1;
        if (in_j && p.i == i0 - 1)
            at = 0;
        else if (in_j && p.i == i0 + columns)
            at = 1;
        else if (in_i && p.j == j0 - 1)
            at = 2;
        else if (in_i && p.j == j0 + rows)
            at = 3;
        if (at < 0)
            continue;
        ++any[at];
        if (like[k]) {
            ++side[at];
            tone[at].add(blobs[size_t(p.blob)]);
        }
    }
    int crowded = 0;
    for (int at = 0; at < 4; ++at) {
        const int enough = std::max(2, (at < 2 ? rows : columns) / 3);
        if (side[at] >= enough && (tone[at].spread() > 30 || window.spread() < 120))
            return true;
        if (any[at] >= enough)
            ++crowded;
    }
    return crowded > 1;
}

// Checks the lattice against a columns x rows chart.
verdict fit_window(const work_image &image, const std::vector<blob> &blobs, const lattice &l,
                   int columns, int rows, corners *out)
{
    int imin = 1 << 30, imax = -(1 << 30), jmin = 1 << 30, jmax = -(1 << 30);
    for (const auto &p : l.points) {
        imin = std::min(imin, p.i);
        imax = std::max(imax, p.i);
        jmin = std::min(jmin, p.j);
        jmax = std::max(jmax, p.j);
    }
    const int cells = columns * rows;
    const int total = int(l.points.size());
    if (total < std::max(4, int(std::ceil(0.45 * cells))))
        return verdict::not_this;

    const int ilo = std::min(imin, imax - columns + 1), ihi = std::max(imin, imax - columns + 1);
    const int jlo = std::min(jmin, jmax - rows + 1), jhi = std::max(jmin, jmax - rows + 1);
    if ((ihi - ilo + 1) * (jhi - jlo + 1) > 400)
        return verdict::not_this;

    const std::vector<char> like = patch_shaped(blobs, l);
    if (like.empty())
        return verdict::not_this;

    std::set<std::pair<int, int>> occupied;
    for (size_t k = 0; k < l.points.size(); ++k)
        if (like[k])
            occupied.insert({l.points[k].i, l.points[k].j});

    struct window {
        int i0, j0, inside;
        double contrast;
    };
    std::vector<window> windows;
    int best_inside = -1;
    for (int j0 = jlo; j0 <= jhi; ++j0)
        for (int i0 = ilo; i0 <= ihi; ++i0) {
            int inside = 0;
            for (size_t k = 0; k < l.points.size(); ++k) {
                const lattice_point &p = l.points[k];
                if (like[k] && p.i >= i0 && p.i < i0 + columns && p.j >= j0 && p.j < j0 + rows)
                    ++inside;
            }
            windows.push_back({i0, j0, inside, 0});
            best_inside = std::max(best_inside, inside);
        }
    std::vector<window> tied;
    for (const auto &w : windows)
        if (w.inside == best_inside)
            tied.push_back(w);

    if (best_inside < std::max(4, int(std::ceil(0.45 * cells))))
        return verdict::not_this;

    // Cells without a patch candidate count when they stand out from their gaps.
    std::map<std::pair<int, int>, bool> patch_like;
    auto is_patch_like = [&](int i, int j) {
        if (occupied.count({i, j}))
            return true;
        auto it = patch_like.find({i, j});
        if (it != patch_like.end())
            return it->second;
        const bool v = cell_contrast(image, l.to_image, i, j) > 45.0;
        patch_like[{i, j}] = v;
        return v;
    };
    window chosen = tied.front();
    if (tied.size() > 1) {
        for (auto &w : tied) {
            int n = 0;
            for (int j = w.j0; j < w.j0 + rows; ++j)
                for (int i = w.i0; i < w.i0 + columns; ++i)
                    n += is_patch_like(i, j) ? 1 : 0;
            w.contrast = n;
        }
        std::sort(tied.begin(), tied.end(),
                  [](const window &a, const window &b) { return a.contrast > b.contrast; });
        if (tied[0].contrast < tied[1].contrast + 1)
            return verdict::not_this;
        chosen = tied[0];
    }

    // The window holds most of what the lattice found: a pattern that goes on
    // beyond it (a halftone screen, a weave) is no chart.
    int inside_all = 0;
    for (const auto &p : l.points)
        if (p.i >= chosen.i0 && p.i < chosen.i0 + columns && p.j >= chosen.j0 &&
            p.j < chosen.j0 + rows)
            ++inside_all;
    if (inside_all < 0.6 * total)
        return verdict::not_this;

    if (more_beside(blobs, l, like, chosen.i0, chosen.j0, columns, rows))
        return verdict::not_this;

    lattice fitted = l;
    fitted.points.clear();
    for (const auto &p : l.points)
        if (p.i >= chosen.i0 && p.i < chosen.i0 + columns && p.j >= chosen.j0 &&
            p.j < chosen.j0 + rows)
            fitted.points.push_back(p);
    if (!refit(blobs, &fitted) || fitted.mean_residual > 0.12)
        return verdict::not_this;

    const double ci[4] = {chosen.i0 - 0.5, chosen.i0 + columns - 0.5, chosen.i0 - 0.5,
                          chosen.i0 + columns - 0.5};
    const double cj[4] = {chosen.j0 - 0.5, chosen.j0 - 0.5, chosen.j0 + rows - 0.5,
                          chosen.j0 + rows - 0.5};
    corners q;
    for (int k = 0; k < 4; ++k) {
        if (!fitted.to_image.map(ci[k], cj[k], &q.x[k], &q.y[k]))
            return verdict::not_this;
        const double mx = 0.03 * image.width, my = 0.03 * image.height;
        if (q.x[k] < -mx || q.y[k] < -my || q.x[k] > image.width + mx ||
            q.y[k] > image.height + my)
            return verdict::not_this;
    }
    if (!convex_quad(q))
        return verdict::not_this;
    // Mild perspective only: opposite edges of similar length.
    auto edge = [&](int a, int b) { return std::hypot(q.x[b] - q.x[a], q.y[b] - q.y[a]); };
    const double top = edge(0, 1), bottom = edge(2, 3), left = edge(0, 2), right = edge(1, 3);
    if (top < 1.5 * columns || left < 1.5 * rows || top > 1.8 * bottom || bottom > 1.8 * top ||
        left > 1.8 * right || right > 1.8 * left)
        return verdict::not_this;
    // The columns run along x within 45 degrees.
    const double ax = (q.x[1] - q.x[0]) + (q.x[3] - q.x[2]);
    const double ay = (q.y[1] - q.y[0]) + (q.y[3] - q.y[2]);
    if (ax <= std::fabs(ay))
        return verdict::not_this;
    *out = q;
    return verdict::found;
}

// True when the two grids cover the same part of the image: the centre of
// either lies inside the other (two lattices grown from one chart).
bool same_place(const corners &a, const corners &b)
{
    auto centre = [](const corners &q, double *x, double *y) {
        *x = (q.x[0] + q.x[1] + q.x[2] + q.x[3]) / 4;
        *y = (q.y[0] + q.y[1] + q.y[2] + q.y[3]) / 4;
    };
    auto inside = [](const corners &q, double x, double y) {
        const int order[4] = {0, 1, 3, 2};
        for (int k = 0; k < 4; ++k) {
            const int p = order[k], n = order[(k + 1) % 4];
            if ((q.x[n] - q.x[p]) * (y - q.y[p]) - (q.y[n] - q.y[p]) * (x - q.x[p]) < 0)
                return false;
        }
        return true;
    };
    double ax, ay, bx, by;
    centre(a, &ax, &ay);
    centre(b, &bx, &by);
    return inside(a, bx, by) || inside(b, ax, ay);
}

// Of the grids of the chart's size found in different places (the other
// page of a chart folder, a second chart, a grid of tiles), the one whose
// patch colours fit the reference clearly better than every other
// (ambiguous without a reference or without a clear winner); not_this when
// the reference explains none of them.
verdict choose(const work_image &image, const std::vector<corners> &found, int columns, int rows,
               const double *reference, corners *out)
{
    std::vector<corners> places;
    for (const auto &q : found)
        if (std::none_of(places.begin(), places.end(),
                         [&](const corners &p) { return same_place(p, q); }))
            places.push_back(q);
    if (!reference) {
        if (places.size() > 1)
            return verdict::ambiguous;
        *out = places.front();
        return verdict::found;
    }
    // A grid whose colours the reference explains less than this (a share
    // of the reference's own spread) is not the chart: a page of greys
    // comes out near 1, the chart near 0 even in odd light.
    constexpr double kMostMisfit = 0.75;
    // The runner-up must fit at least this much worse.
    constexpr double kClearMargin = 1.5;
    double best = -1, second = -1;
    size_t chosen = 0;
    for (size_t k = 0; k < places.size(); ++k) {
        std::vector<double> rgb;
        const double misfit = window_colours(image, places[k].x, places[k].y, columns, rows, rgb)
                                  ? reference_misfit(rgb, columns, rows, reference)
                                  : std::numeric_limits<double>::infinity();
        if (best < 0 || misfit < best) {
            second = best;
            best = misfit;
            chosen = k;
        } else if (second < 0 || misfit < second) {
            second = misfit;
        }
    }
    if (!(best < kMostMisfit))
        return verdict::not_this;
    if (places.size() > 1 && !(best * kClearMargin < second))
        return verdict::ambiguous;
    *out = places[chosen];
    return verdict::found;
}

verdict search(const work_image &image, int columns, int rows, const double *reference,
               corners *out)
{
    const int reach = 2 * std::max(columns, rows) + 2;
    const double min_area = 6;
    const double max_area = std::pow(std::min(image.width, image.height) / 2.0, 2);
    std::vector<blob> blobs;
    std::vector<seed> seeds;
    // The whole image's thresholds first, then, where a texture fills the
    // frame, thresholds from each region's flattest surroundings.
    static const int kLevels[] = {0, 1, 2, 0, 2};
    threshold_map thresholds;
    // An enlarged picture serves small patches on a calm ground: the whole
    // image's usual threshold only.
    const int passes = image.enlarged ? 1 : 5;
    for (int pass = 0; pass < passes; ++pass) {
        const int level = kLevels[pass];
        if (pass < 3)
            thresholds = uniform_thresholds(image, flat_threshold(image, level));
        else if (!local_thresholds(image, level, thresholds))
            continue;
        find_blobs(image, thresholds, min_area, max_area, blobs);
        if (blobs.size() < 4)
            continue;
        std::vector<double> sizes;
        for (const auto &b : blobs)
            sizes.push_back(b.size);
        std::nth_element(sizes.begin(), sizes.begin() + std::ptrdiff_t(sizes.size() / 2),
                         sizes.end());
        const blob_index index(blobs, image.width, image.height, 2.0 * sizes[sizes.size() / 2]);
        // Every grid of the chart's size this pass finds: more than one in
        // different places must be told apart. Where the reference explains
        // none of them (the other page of a folder took the best seeds),
        // more seeds are tried.
        std::vector<char> used(blobs.size(), 0);
        std::vector<corners> found;
        for (const int limit : {8, 32}) {
            find_seeds(blobs, index, limit, seeds);
            for (const auto &s : seeds) {
                if (used[size_t(s.blob)])
                    continue;
                lattice l;
                if (!grow_lattice(blobs, s, reach, &l))
                    continue;
                for (const auto &p : l.points)
                    used[size_t(p.blob)] = 1;
                if (!orient(blobs, &l))
                    continue;
                corners q;
                if (fit_window(image, blobs, l, columns, rows, &q) == verdict::found) {
                    found.push_back(q);
                    continue;
                }
                corners ignored;
                if (found.empty() && columns != rows &&
                    fit_window(image, blobs, l, rows, columns, &ignored) == verdict::found)
                    return verdict::transposed;
            }
            if (found.empty())
                break;
            const verdict v = choose(image, found, columns, rows, reference, out);
            if (v != verdict::not_this)
                return v;
        }
    }
    return verdict::not_this;
}

}  // namespace
}  // namespace finder

namespace {

int find_corners(const uint32_t *pixels, int width, int height, double *x, double *y, int count,
                 int columns, int rows, const double *reference)
{
    if (!pixels || !x || !y || count != 4 || width < 16 || height < 16 || width > 16384 ||
        height > 16384 || columns < 1 || rows < 1 || columns > CHART_FINDER_MAX_SIDE ||
        rows > CHART_FINDER_MAX_SIDE || columns * rows < 4)
        return -1;
    try {
        finder::work_image image;
        if (!finder::make_work_image(pixels, width, height, image))
            return -1;
        finder::corners q;
        finder::verdict v = finder::search(image, columns, rows, reference, &q);
        // Nothing of the chart's size seen: its patches may be too small for
        // the smoothing; the picture enlarged twice is searched once more
        // where that stays within the working size.
        if (v == finder::verdict::not_this && image.scale == 1 &&
            std::min(width, height) <= 1000 && std::max(width, height) <= 2000) {
            if (!finder::make_work_image(pixels, width, height, image, true))
                return -1;
            v = finder::search(image, columns, rows, reference, &q);
            // Only patches that small: a grid of larger cells found here is
            // one the usual search turned down.
            auto edge = [&](int a, int b) { return std::hypot(q.x[b] - q.x[a], q.y[b] - q.y[a]); };
            constexpr double kSmallCell = 2 * 12.0;  // working pixels: 12 input pixels
            if (v == finder::verdict::found &&
                std::max(edge(0, 1) / columns, edge(0, 2) / rows) > kSmallCell)
                v = finder::verdict::not_this;
        }
        if (v != finder::verdict::found)
            return -1;
        const double f = image.enlarged ? 0.5 : image.scale;
        for (int k = 0; k < 4; ++k) {
            const double fx = q.x[k] * f / width, fy = q.y[k] * f / height;
            if (!std::isfinite(fx) || !std::isfinite(fy))
                return -1;
        }
        for (int k = 0; k < 4; ++k) {
            x[k] = q.x[k] * f / width;
            y[k] = q.y[k] * f / height;
        }
        return 0;
    } catch (const std::bad_alloc &) {
        return -1;
    }
}

}  // namespace

int find_chart_corners(const uint32_t *pixels, int width, int height, double *x, double *y,
                       int count, int columns, int rows)
{
    return find_corners(pixels, width, height, x, y, count, columns, rows, nullptr);
}

int find_chart_corners_with_reference(const uint32_t *pixels, int width, int height, double *x,
                                      double *y, int count, int columns, int rows,
                                      const double *reference_lab)
{
    if (!reference_lab)
        return -1;
    for (int k = 0; k < 3 * columns * rows && columns > 0 && rows > 0 &&
                    columns <= CHART_FINDER_MAX_SIDE && rows <= CHART_FINDER_MAX_SIDE;
         ++k)
        if (!std::isfinite(reference_lab[k]))
            return -1;
    return find_corners(pixels, width, height, x, y, count, columns, rows, reference_lab);
}
