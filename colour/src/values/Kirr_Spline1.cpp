#include "colour/Kirr_Spline1.h"

#include <algorithm>
#include <cmath>

namespace {

// Solves a tridiagonal system in place (Thomas algorithm): sub[i] x[i-1] +
// diag[i] x[i] + sup[i] x[i+1] = rhs[i]; the result replaces rhs. The systems
// built here are diagonally dominant, so no pivoting is needed.
void solve_tridiagonal(std::vector<double> &sub, std::vector<double> &diag,
                       std::vector<double> &sup, std::vector<double> &rhs)
{
    const size_t n = diag.size();
    for (size_t i = 1; i < n; ++i) {
        const double w = sub[i] / diag[i - 1];
        diag[i] -= w * sup[i - 1];
        rhs[i] -= w * rhs[i - 1];
    }
    rhs[n - 1] /= diag[n - 1];
    for (size_t i = n - 1; i-- > 0;)
        rhs[i] = (rhs[i] - sup[i] * rhs[i + 1]) / diag[i];
}

// Second derivatives of the interpolating cubic spline through (x, y).
std::vector<double> second_derivatives(const std::vector<double> &x, const std::vector<double> &y,
                                       bool naturalEnds)
{
    const size_t n = x.size();
    std::vector<double> m(n, 0.0);
    if (n < 3)
        return m;  // a straight line
    std::vector<double> h(n - 1), d(n - 1);
    for (size_t i = 0; i + 1 < n; ++i) {
        h[i] = x[i + 1] - x[i];
        d[i] = (y[i + 1] - y[i]) / h[i];
    }
    if (!naturalEnds && n == 3) {
        // Not-a-knot with one inner point: the parabola through the points.
        const double c = (d[1] - d[0]) / (x[2] - x[0]);
        std::fill(m.begin(), m.end(), 2.0 * c);
        return m;
    }
    // Unknowns m[1] .. m[n-2]: h[i-1] m[i-1] + 2 (h[i-1] + h[i]) m[i] + h[i] m[i+1] = 6 (d[i] - d[i-1]).
    const size_t k = n - 2;
    std::vector<double> sub(k, 0.0), diag(k), sup(k, 0.0), rhs(k);
    for (size_t j = 0; j < k; ++j) {
        const size_t i = j + 1;
        sub[j] = h[i - 1];
        diag[j] = 2.0 * (h[i - 1] + h[i]);
        sup[j] = h[i];
        rhs[j] = 6.0 * (d[i] - d[i - 1]);
    }
    if (!naturalEnds) {
        // Not-a-knot: m[0] = ((h0 + h1) m[1] - h0 m[2]) / h1, and the mirror
        // image at the other end, folded into the first and last rows.
        const double h0 = h[0], h1 = h[1];
        const double hl = h[n - 2], hp = h[n - 3];
        diag[0] += h0 * (h0 + h1) / h1;
        sup[0] -= h0 * h0 / h1;
        diag[k - 1] += hl * (hl + hp) / hp;
        sub[k - 1] -= hl * hl / hp;
    }
    solve_tridiagonal(sub, diag, sup, rhs);
    for (size_t j = 0; j < k; ++j)
        m[j + 1] = rhs[j];
    if (!naturalEnds) {
        m[0] = ((h[0] + h[1]) * m[1] - h[0] * m[2]) / h[1];
        m[n - 1] = ((h[n - 2] + h[n - 3]) * m[n - 2] - h[n - 2] * m[n - 3]) / h[n - 3];
    }
    return m;
}

double evaluate_solved(const std::vector<double> &x, const std::vector<double> &y,
                       const std::vector<double> &m, double at)
{
    const size_t n = x.size();
    // Straight continuation with the end slope outside the points.
    if (at <= x.front()) {
        const double h = x[1] - x[0];
        const double slope = (y[1] - y[0]) / h - h * (2.0 * m[0] + m[1]) / 6.0;
        return y[0] + slope * (at - x[0]);
    }
    if (at >= x.back()) {
        const double h = x[n - 1] - x[n - 2];
        const double slope = (y[n - 1] - y[n - 2]) / h + h * (m[n - 2] + 2.0 * m[n - 1]) / 6.0;
        return y[n - 1] + slope * (at - x[n - 1]);
    }
    const size_t i = static_cast<size_t>(std::upper_bound(x.begin(), x.end(), at) - x.begin()) - 1;
    const double h = x[i + 1] - x[i];
    const double a = (x[i + 1] - at) / h, b = (at - x[i]) / h;
    return a * y[i] + b * y[i + 1] +
           ((a * a * a - a) * m[i] + (b * b * b - b) * m[i + 1]) * h * h / 6.0;
}

}  // namespace

void Kirr_Spline1::clear()
{
    m_x.clear();
    m_y.clear();
    m_m.clear();
    m_solved = false;
}

void Kirr_Spline1::addPoint(double x, double y)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return;
    m_m.clear();
    m_solved = false;
    const auto it = std::lower_bound(m_x.begin(), m_x.end(), x);
    const auto pos = it - m_x.begin();
    if (it != m_x.end() && *it == x) {
        m_y[static_cast<size_t>(pos)] = y;
        return;
    }
    m_x.insert(it, x);
    m_y.insert(m_y.begin() + pos, y);
}

bool Kirr_Spline1::solve(bool naturalEnds)
{
    m_m.clear();
    m_solved = false;
    if (m_x.size() < 2)
        return false;
    m_m = second_derivatives(m_x, m_y, naturalEnds);
    m_solved = true;
    return true;
}

double Kirr_Spline1::x(int i) const
{
    return i >= 0 && i < pointCount() ? m_x[static_cast<size_t>(i)] : 0.0;
}

double Kirr_Spline1::y(int i) const
{
    return i >= 0 && i < pointCount() ? m_y[static_cast<size_t>(i)] : 0.0;
}

Kirr_Spline1 Kirr_Spline1::inverted() const
{
    Kirr_Spline1 result;
    for (size_t i = 0; i < m_x.size(); ++i)
        result.addPoint(m_y[i], m_x[i]);
    return result;
}

double Kirr_Spline1::evaluate(double x, double scale) const
{
    if (m_x.empty())
        return x * scale;
    if (m_x.size() == 1)
        return m_y[0] * scale;
    if (m_solved)
        return evaluate_solved(m_x, m_y, m_m, x) * scale;
    return evaluate_solved(m_x, m_y, second_derivatives(m_x, m_y, true), x) * scale;
}
