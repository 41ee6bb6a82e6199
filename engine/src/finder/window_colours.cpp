#include "finder/window_colours.h"

#include "engine/colour_maths.h"

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
    // Cell centres by bilinear interpolation between the corners: the
    // sampled box is small against a cell, so mild perspective does not
    // move it off its patch.
    const double pitch = std::min(std::hypot(x[1] - x[0], y[1] - y[0]) / columns,
                                  std::hypot(x[2] - x[0], y[2] - y[0]) / rows);
    const int radius = std::max(0, int(pitch * 0.2));
    rgb.assign(size_t(columns) * size_t(rows) * 3, 0.0);
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) {
            const double u = (i + 0.5) / columns, v = (j + 0.5) / rows;
            const double cx = (1 - u) * (1 - v) * x[0] + u * (1 - v) * x[1] +
                              (1 - u) * v * x[2] + u * v * x[3];
            const double cy = (1 - u) * (1 - v) * y[0] + u * (1 - v) * y[1] +
                              (1 - u) * v * y[2] + u * v * y[3];
            if (!box_mean(image, cx, cy, radius,
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
    // Against the reference's own spread: how far its patches lie from their
    // mean colour.
    double mean[3] = {0, 0, 0};
    for (int k = 0; k < n; ++k)
        for (int c = 0; c < 3; ++c)
            mean[c] += lab[3 * k + c] / n;
    double spread = 0;
    for (int k = 0; k < n; ++k)
        spread += cm_delta_e76(lab + 3 * k, mean) / n;
    return spread > 1e-6 ? best / spread : std::numeric_limits<double>::infinity();
}

}  // namespace finder
