#include "finder/lattice_fit.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace finder {

bool homography::map(double i, double j, double *x, double *y) const
{
    const double w = h[6] * i + h[7] * j + h[8];
    if (std::fabs(w) < 1e-12)
        return false;
    *x = (h[0] * i + h[1] * j + h[2]) / w;
    *y = (h[3] * i + h[4] * j + h[5]) / w;
    return true;
}

bool homography::inverse(homography *out) const
{
    Eigen::Matrix3d m;
    m << h[0], h[1], h[2], h[3], h[4], h[5], h[6], h[7], h[8];
    const double det = m.determinant();
    if (!std::isfinite(det) || std::fabs(det) < 1e-15)
        return false;
    const Eigen::Matrix3d inv = m.inverse();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out->h[r * 3 + c] = inv(r, c);
    return true;
}

double homography::scale_at(double i, double j) const
{
    double x0, y0, x1, y1, x2, y2;
    if (!map(i, j, &x0, &y0) || !map(i + 1e-3, j, &x1, &y1) || !map(i, j + 1e-3, &x2, &y2))
        return 0;
    const double det = ((x1 - x0) * (y2 - y0) - (y1 - y0) * (x2 - x0)) / 1e-6;
    return std::sqrt(std::fabs(det));
}

namespace {

// Similarity that moves the points' centroid to 0 and their mean distance to sqrt(2).
Eigen::Matrix3d normaliser(const std::vector<correspondence> &p, bool image_side)
{
    double mx = 0, my = 0;
    for (const auto &c : p) {
        mx += image_side ? c.x : c.i;
        my += image_side ? c.y : c.j;
    }
    mx /= double(p.size());
    my /= double(p.size());
    double d = 0;
    for (const auto &c : p) {
        const double dx = (image_side ? c.x : c.i) - mx;
        const double dy = (image_side ? c.y : c.j) - my;
        d += std::sqrt(dx * dx + dy * dy);
    }
    d /= double(p.size());
    const double s = d > 1e-12 ? std::sqrt(2.0) / d : 1.0;
    Eigen::Matrix3d t;
    t << s, 0, -s * mx, 0, s, -s * my, 0, 0, 1;
    return t;
}

bool store(const Eigen::Matrix3d &m, homography *out)
{
    if (!m.allFinite() || std::fabs(m(2, 2)) < 1e-15)
        return false;
    const Eigen::Matrix3d n = m / m(2, 2);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out->h[r * 3 + c] = n(r, c);
    return true;
}

}  // namespace

bool fit_homography(const std::vector<correspondence> &points, homography *out)
{
    if (points.size() < 5)
        return false;
    const Eigen::Matrix3d tl = normaliser(points, false);
    const Eigen::Matrix3d ti = normaliser(points, true);
    Eigen::Matrix<double, 9, 9> ata = Eigen::Matrix<double, 9, 9>::Zero();
    for (const auto &c : points) {
        const Eigen::Vector3d a = tl * Eigen::Vector3d(c.i, c.j, 1);
        const Eigen::Vector3d b = ti * Eigen::Vector3d(c.x, c.y, 1);
        Eigen::Matrix<double, 9, 1> r1, r2;
        r1 << a.x(), a.y(), 1, 0, 0, 0, -b.x() * a.x(), -b.x() * a.y(), -b.x();
        r2 << 0, 0, 0, a.x(), a.y(), 1, -b.y() * a.x(), -b.y() * a.y(), -b.y();
        ata += r1 * r1.transpose() + r2 * r2.transpose();
    }
    Eigen::SelfAdjointEigenSolver<Eigen::Matrix<double, 9, 9>> solver(ata);
    if (solver.info() != Eigen::Success)
        return false;
    const Eigen::Matrix<double, 9, 1> v = solver.eigenvectors().col(0);
    // A degenerate configuration leaves more than one null direction.
    if (solver.eigenvalues()(1) < 1e-10 * std::max(1.0, solver.eigenvalues()(8)))
        return false;
    Eigen::Matrix3d hn;
    hn << v(0), v(1), v(2), v(3), v(4), v(5), v(6), v(7), v(8);
    return store(ti.inverse() * hn * tl, out);
}

bool fit_affine(const std::vector<correspondence> &points, homography *out)
{
    if (points.size() < 3)
        return false;
    Eigen::MatrixXd a(points.size(), 3);
    Eigen::VectorXd bx(points.size()), by(points.size());
    for (size_t k = 0; k < points.size(); ++k) {
        a(Eigen::Index(k), 0) = points[k].i;
        a(Eigen::Index(k), 1) = points[k].j;
        a(Eigen::Index(k), 2) = 1;
        bx(Eigen::Index(k)) = points[k].x;
        by(Eigen::Index(k)) = points[k].y;
    }
    const Eigen::Matrix3d ata = a.transpose() * a;
    Eigen::LDLT<Eigen::Matrix3d> ldlt(ata);
    if (ldlt.info() != Eigen::Success || std::fabs(ata.determinant()) < 1e-9)
        return false;
    const Eigen::Vector3d px = ldlt.solve(a.transpose() * bx);
    const Eigen::Vector3d py = ldlt.solve(a.transpose() * by);
    Eigen::Matrix3d m;
    m << px(0), px(1), px(2), py(0), py(1), py(2), 0, 0, 1;
    return store(m, out);
}

blob_index::blob_index(const std::vector<blob> &blobs, int width, int height, double cell)
    : blobs_(blobs), cell_(std::max(4.0, cell))
{
    columns_ = std::max(1, int(width / cell_) + 1);
    rows_ = std::max(1, int(height / cell_) + 1);
    buckets_.resize(size_t(columns_) * size_t(rows_));
    for (size_t k = 0; k < blobs.size(); ++k) {
        const int cx = std::clamp(int(blobs[k].x / cell_), 0, columns_ - 1);
        const int cy = std::clamp(int(blobs[k].y / cell_), 0, rows_ - 1);
        buckets_[size_t(cy) * size_t(columns_) + size_t(cx)].push_back(int(k));
    }
}

void blob_index::within(double x, double y, double radius, std::vector<int> &out) const
{
    out.clear();
    if (!std::isfinite(x) || !std::isfinite(y) || x < -radius || y < -radius ||
        x > columns_ * cell_ + radius || y > rows_ * cell_ + radius)
        return;
    const int x0 = std::clamp(int((x - radius) / cell_), 0, columns_ - 1);
    const int x1 = std::clamp(int((x + radius) / cell_), 0, columns_ - 1);
    const int y0 = std::clamp(int((y - radius) / cell_), 0, rows_ - 1);
    const int y1 = std::clamp(int((y + radius) / cell_), 0, rows_ - 1);
    const double r2 = radius * radius;
    for (int cy = y0; cy <= y1; ++cy)
        for (int cx = x0; cx <= x1; ++cx)
            for (int k : buckets_[size_t(cy) * size_t(columns_) + size_t(cx)]) {
                const double dx = blobs_[size_t(k)].x - x, dy = blobs_[size_t(k)].y - y;
                if (dx * dx + dy * dy <= r2)
                    out.push_back(k);
            }
}

int blob_index::nearest(double x, double y, double radius) const
{
    std::vector<int> near;
    within(x, y, radius, near);
    int best = -1;
    double best_d = 1e300;
    for (int k : near) {
        const double dx = blobs_[size_t(k)].x - x, dy = blobs_[size_t(k)].y - y;
        const double d = dx * dx + dy * dy;
        if (d < best_d) {
            best_d = d;
            best = k;
        }
    }
    return best;
}

namespace {

bool similar_size(const blob &a, const blob &b)
{
    return b.area > 0.45 * a.area && b.area < 2.2 * a.area;
}

// Blobs found at origin + m u + n v, |m|, |n| <= 2, of a size like the origin's.
int local_support(const std::vector<blob> &blobs, const blob_index &index, int origin,
                  double ux, double uy, double vx, double vy)
{
    const blob &a = blobs[size_t(origin)];
    const double tol = 0.22 * std::sqrt(std::min(ux * ux + uy * uy, vx * vx + vy * vy));
    int support = 0;
    for (int n = -2; n <= 2; ++n)
        for (int m = -2; m <= 2; ++m) {
            const int k = index.nearest(a.x + m * ux + n * vx, a.y + m * uy + n * vy, tol);
            if (k >= 0 && similar_size(a, blobs[size_t(k)]))
                ++support;
        }
    return support;
}

}  // namespace

void find_seeds(const std::vector<blob> &blobs, const blob_index &index, int limit,
                std::vector<seed> &out)
{
    out.clear();
    std::vector<int> near;
    std::vector<std::pair<double, int>> ranked;
    for (size_t a = 0; a < blobs.size(); ++a) {
        const blob &b = blobs[a];
        index.within(b.x, b.y, 2.8 * b.size + 2.0, near);
        ranked.clear();
        for (int k : near) {
            if (size_t(k) == a || !similar_size(b, blobs[size_t(k)]))
                continue;
            const double dx = blobs[size_t(k)].x - b.x, dy = blobs[size_t(k)].y - b.y;
            const double d = std::sqrt(dx * dx + dy * dy);
            if (d < 1.0 * b.size)
                continue;
            ranked.emplace_back(d, k);
        }
        std::sort(ranked.begin(), ranked.end());
        if (ranked.size() > 6)
            ranked.resize(6);
        seed best{};
        best.support = 0;
        for (size_t p = 0; p < ranked.size(); ++p)
            for (size_t q = p + 1; q < ranked.size(); ++q) {
                const blob &u = blobs[size_t(ranked[p].second)];
                const blob &v = blobs[size_t(ranked[q].second)];
                const double ux = u.x - b.x, uy = u.y - b.y;
                const double vx = v.x - b.x, vy = v.y - b.y;
                const double lu = ranked[p].first, lv = ranked[q].first;
                if (lv > 1.45 * lu)
                    continue;
                const double cosine = (ux * vx + uy * vy) / (lu * lv);
                if (std::fabs(cosine) > 0.45)
                    continue;
                const int s = local_support(blobs, index, int(a), ux, uy, vx, vy);
                if (s > best.support)
                    best = seed{int(a), ux, uy, vx, vy, s};
            }
        // Two diagonal steps of a finer lattice also look like a seed; the
        // blobs halfway along the diagonals give it away.
        if (best.support >= 5) {
            const double hx = (best.ux + best.vx) / 2, hy = (best.uy + best.vy) / 2;
            const double kx = (best.ux - best.vx) / 2, ky = (best.uy - best.vy) / 2;
            const double tol = 0.22 * std::sqrt(std::min(hx * hx + hy * hy, kx * kx + ky * ky));
            int halfway = 0;
            for (int sign = -1; sign <= 1; sign += 2) {
                const int p = index.nearest(b.x + sign * hx, b.y + sign * hy, tol);
                const int q = index.nearest(b.x + sign * kx, b.y + sign * ky, tol);
                halfway += (p >= 0 && similar_size(b, blobs[size_t(p)])) ? 1 : 0;
                halfway += (q >= 0 && similar_size(b, blobs[size_t(q)])) ? 1 : 0;
            }
            if (halfway >= 3)
                best = seed{int(a), hx, hy, kx, ky,
                            local_support(blobs, index, int(a), hx, hy, kx, ky)};
        }
        if (best.support >= 5)
            out.push_back(best);
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const seed &l, const seed &r) { return l.support > r.support; });
    if (int(out.size()) > limit)
        out.resize(size_t(limit));
}

namespace {

void keep_connected(std::vector<lattice_point> &points);

// Assigns every blob whose position falls near an index within reach; one
// blob per index, the closest.
void assign(const std::vector<blob> &blobs, const homography &to_image, double reach,
            double tolerance, std::vector<lattice_point> &points)
{
    points.clear();
    homography to_lattice;
    if (!to_image.inverse(&to_lattice))
        return;
    std::map<std::pair<int, int>, lattice_point> best;
    for (size_t k = 0; k < blobs.size(); ++k) {
        double qi, qj;
        if (!to_lattice.map(blobs[k].x, blobs[k].y, &qi, &qj))
            continue;
        if (std::fabs(qi) > reach + 0.5 || std::fabs(qj) > reach + 0.5)
            continue;
        const double ri = std::round(qi), rj = std::round(qj);
        const double e = std::hypot(qi - ri, qj - rj);
        if (e > tolerance)
            continue;
        const double pitch = to_image.scale_at(ri, rj);
        if (pitch <= 0 || blobs[k].size < 0.22 * pitch || blobs[k].size > 1.02 * pitch ||
            blobs[k].major > 0.45 * pitch)
            continue;
        const auto key = std::make_pair(int(ri), int(rj));
        auto it = best.find(key);
        if (it == best.end() || e < it->second.residual)
            best[key] = lattice_point{int(ri), int(rj), int(k), e};
    }
    for (const auto &entry : best)
        points.push_back(entry.second);
    keep_connected(points);
}

// Keeps the points joined to the one nearest the origin through steps of at
// most two cells along each index (a missing patch does not break the chart).
void keep_connected(std::vector<lattice_point> &points)
{
    if (points.empty())
        return;
    std::map<std::pair<int, int>, size_t> at;
    size_t start = 0;
    for (size_t k = 0; k < points.size(); ++k) {
        at[{points[k].i, points[k].j}] = k;
        if (std::abs(points[k].i) + std::abs(points[k].j) <
            std::abs(points[start].i) + std::abs(points[start].j))
            start = k;
    }
    std::vector<char> keep(points.size(), 0);
    std::vector<size_t> queue{start};
    keep[start] = 1;
    while (!queue.empty()) {
        const lattice_point p = points[queue.back()];
        queue.pop_back();
        for (int dj = -2; dj <= 2; ++dj)
            for (int di = -2; di <= 2; ++di) {
                auto it = at.find({p.i + di, p.j + dj});
                if (it != at.end() && !keep[it->second]) {
                    keep[it->second] = 1;
                    queue.push_back(it->second);
                }
            }
    }
    size_t n = 0;
    for (size_t k = 0; k < points.size(); ++k)
        if (keep[k])
            points[n++] = points[k];
    points.resize(n);
}

bool fit_points(const std::vector<blob> &blobs, const std::vector<lattice_point> &points,
                homography *out)
{
    std::vector<correspondence> c;
    c.reserve(points.size());
    int i0 = 1 << 30, i1 = -(1 << 30), j0 = 1 << 30, j1 = -(1 << 30);
    for (const auto &p : points) {
        c.push_back({double(p.i), double(p.j), blobs[size_t(p.blob)].x, blobs[size_t(p.blob)].y});
        i0 = std::min(i0, p.i);
        i1 = std::max(i1, p.i);
        j0 = std::min(j0, p.j);
        j1 = std::max(j1, p.j);
    }
    // A projective fit needs spread in both directions; small sets stay affine.
    if (points.size() >= 8 && i1 - i0 >= 2 && j1 - j0 >= 2 && fit_homography(c, out))
        return true;
    return fit_affine(c, out);
}

}  // namespace

bool grow_lattice(const std::vector<blob> &blobs, const seed &s, int reach, lattice *out)
{
    const blob &o = blobs[size_t(s.blob)];
    homography h;
    h.h[0] = s.ux;
    h.h[1] = s.vx;
    h.h[2] = o.x;
    h.h[3] = s.uy;
    h.h[4] = s.vy;
    h.h[5] = o.y;
    h.h[6] = 0;
    h.h[7] = 0;
    h.h[8] = 1;
    std::vector<lattice_point> points;
    double r = 2;
    size_t previous = 0;
    for (int round = 0; round < 24; ++round) {
        assign(blobs, h, r, 0.3, points);
        if (points.size() < 4)
            return false;
        homography next;
        if (!fit_points(blobs, points, &next))
            return false;
        h = next;
        const bool full = r >= reach;
        if (full && points.size() == previous)
            break;
        previous = points.size();
        r = std::min<double>(reach, r * 1.6 + 1);
    }
    assign(blobs, h, reach, 0.3, points);
    if (points.size() < 4)
        return false;
    out->to_image = h;
    out->points = points;
    return refit(blobs, out);
}

bool refit(const std::vector<blob> &blobs, lattice *l)
{
    homography h;
    if (!fit_points(blobs, l->points, &h))
        return false;
    l->to_image = h;
    homography inv;
    if (!h.inverse(&inv))
        return false;
    double sum = 0;
    for (auto &p : l->points) {
        double qi, qj;
        if (!inv.map(blobs[size_t(p.blob)].x, blobs[size_t(p.blob)].y, &qi, &qj))
            return false;
        p.residual = std::hypot(qi - p.i, qj - p.j);
        sum += p.residual;
    }
    l->mean_residual = l->points.empty() ? 0 : sum / double(l->points.size());
    return true;
}

}  // namespace finder
