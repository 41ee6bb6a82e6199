#include "finder/window_colours.h"

#include "engine/colour_maths.h"
#include "finder/lattice_fit.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <limits>

namespace finder {
namespace {

double srgb_to_linear(double v)
{
    v = std::clamp(v / 255.0, 0.0, 1.0);
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

}  // namespace

bool window_colours(const work_image &image, const double x[4], const double y[4], int columns,
                    int rows, std::vector<double> &rgb)
{
    const std::vector<correspondence> quad = {{0, 0, x[0], y[0]},
                                              {double(columns), 0, x[1], y[1]},
                                              {0, double(rows), x[2], y[2]},
                                              {double(columns), double(rows), x[3], y[3]}};
    homography h;
    if (!fit_homography(quad, &h))
        return false;
    rgb.assign(size_t(columns) * size_t(rows) * 3, 0.0);
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) {
            double cx, cy;
            const double pitch = h.scale_at(i + 0.5, j + 0.5);
            if (!h.map(i + 0.5, j + 0.5, &cx, &cy) ||
                !box_mean(image, cx, cy, std::max(0, int(pitch * 0.2)),
                          &rgb[(size_t(j) * size_t(columns) + size_t(i)) * 3]))
                return false;
        }
    return true;
}

double reference_misfit(const std::vector<double> &rgb, int columns, int rows, const double *lab)
{
    const int n = columns * rows;
    if (n < 5 || rgb.size() != size_t(n) * 3)
        return std::numeric_limits<double>::infinity();
    Eigen::MatrixXd xyz(n, 3);
    for (int k = 0; k < n; ++k) {
        double v[3];
        cm_lab_to_xyz(lab + 3 * k, cm_d50_white, v);
        xyz.row(k) << v[0], v[1], v[2];
    }
    // Cell (i, j) as measured holds reference patch order(i, j).
    const int turns = columns == rows ? 4 : 2;
    double best = std::numeric_limits<double>::infinity();
    for (int t = 0; t < turns; ++t) {
        Eigen::MatrixXd device(n, 4);
        Eigen::MatrixXd want(n, 3);
        std::vector<int> patch(static_cast<size_t>(n));
        for (int j = 0; j < rows; ++j)
            for (int i = 0; i < columns; ++i) {
                int pi = i, pj = j;
                if (t == 1) {
                    pi = columns - 1 - i;
                    pj = rows - 1 - j;
                } else if (t == 2) {
                    pi = j;
                    pj = columns - 1 - i;
                } else if (t == 3) {
                    pi = rows - 1 - j;
                    pj = i;
                }
                const int cell = j * columns + i;
                const int ref = pj * columns + pi;
                const double *c = &rgb[size_t(cell) * 3];
                device.row(cell) << srgb_to_linear(c[0]), srgb_to_linear(c[1]),
                    srgb_to_linear(c[2]), 1.0;
                want.row(cell) = xyz.row(ref);
                patch[size_t(cell)] = ref;
            }
        const Eigen::MatrixXd map = device.colPivHouseholderQr().solve(want);
        const Eigen::MatrixXd fitted = device * map;
        double sum = 0;
        for (int k = 0; k < n; ++k) {
            const double v[3] = {std::max(0.0, fitted(k, 0)), std::max(0.0, fitted(k, 1)),
                                 std::max(0.0, fitted(k, 2))};
            double got[3];
            cm_xyz_to_lab(v, cm_d50_white, got);
            sum += cm_delta_e76(got, lab + 3 * patch[size_t(k)]);
        }
        best = std::min(best, sum / n);
    }
    return best;
}

}  // namespace finder
