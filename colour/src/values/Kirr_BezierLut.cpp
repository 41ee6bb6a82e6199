#include "colour/Kirr_BezierLut.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMinLutSize = 2;
constexpr int kMaxLutSize = 1 << 20;
constexpr double kScale = 100.0;  // control points run 0..100 on both axes

struct Segment
{
    double x[4];
    double y[4];
};

double bezier(const double c[4], double t)
{
    const double s = 1.0 - t;
    return s * s * s * c[0] + 3.0 * s * s * t * c[1] + 3.0 * s * t * t * c[2] + t * t * t * c[3];
}

// One cubic segment per pair of neighbouring control points. The tangent at a
// point points from its left to its right neighbour (along the chord at the
// ends); each handle is a third of the segment's chord long. Both rules treat
// x and y alike, so exchanging the axes of the points exchanges them in the
// curve. The handles of a segment are shortened together so that the control
// polygon, and with it the segment, never runs backwards in x, nor in y where
// the neighbouring points do not.
std::vector<Segment> make_segments(const std::vector<double> &px, const std::vector<double> &py)
{
    const size_t n = px.size();
    std::vector<double> tx(n), ty(n);
    for (size_t i = 0; i < n; ++i) {
        const size_t a = i == 0 ? 0 : i - 1, b = i + 1 == n ? i : i + 1;
        const double dx = px[b] - px[a], dy = py[b] - py[a];
        const double len = std::hypot(dx, dy);
        tx[i] = dx / len;
        ty[i] = dy / len;
    }
    std::vector<Segment> segments(n - 1);
    for (size_t i = 0; i + 1 < n; ++i) {
        const double dx = px[i + 1] - px[i], dy = py[i + 1] - py[i];
        const double third = std::hypot(dx, dy) / 3.0;
        double h1x = tx[i] * third, h1y = ty[i] * third;
        double h2x = tx[i + 1] * third, h2y = ty[i + 1] * third;
        double s = 1.0;
        if (h1x + h2x > dx)
            s = dx / (h1x + h2x);
        if (h1y * dy >= 0.0 && h2y * dy >= 0.0) {
            const double hy = std::fabs(h1y) + std::fabs(h2y);
            if (hy > std::fabs(dy))
                s = std::min(s, std::fabs(dy) / hy);
        }
        h1x *= s;
        h1y *= s;
        h2x *= s;
        h2y *= s;
        segments[i] = Segment{{px[i], px[i] + h1x, px[i + 1] - h2x, px[i + 1]},
                              {py[i], py[i] + h1y, py[i + 1] - h2y, py[i + 1]}};
    }
    return segments;
}

// The curve's y at x, for x strictly inside the control points' x range.
double curve_at(const std::vector<double> &px, const std::vector<Segment> &segments, double x)
{
    const size_t i = static_cast<size_t>(std::upper_bound(px.begin(), px.end(), x) - px.begin()) - 1;
    const Segment &seg = segments[i];
    // x(t) does not decrease on a segment: bisect for t.
    double lo = 0.0, hi = 1.0;
    for (int k = 0; k < 60 && hi - lo > 1e-15; ++k) {
        const double mid = 0.5 * (lo + hi);
        if (bezier(seg.x, mid) < x)
            lo = mid;
        else
            hi = mid;
    }
    return bezier(seg.y, 0.5 * (lo + hi));
}

}  // namespace

void Kirr_BezierLut::clear()
{
    m_x.clear();
    m_y.clear();
    m_lut.clear();
}

void Kirr_BezierLut::addPoint(double x, double y)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return;
    m_lut.clear();
    const auto it = std::lower_bound(m_x.begin(), m_x.end(), x);
    const auto pos = it - m_x.begin();
    if (it != m_x.end() && *it == x) {
        m_y[static_cast<size_t>(pos)] = y;
        return;
    }
    m_x.insert(it, x);
    m_y.insert(m_y.begin() + pos, y);
}

double Kirr_BezierLut::x(int i) const
{
    return i >= 0 && i < pointCount() ? m_x[static_cast<size_t>(i)] : 0.0;
}

double Kirr_BezierLut::y(int i) const
{
    return i >= 0 && i < pointCount() ? m_y[static_cast<size_t>(i)] : 0.0;
}

void Kirr_BezierLut::setLutSize(int size)
{
    m_lutSize = std::clamp(size, kMinLutSize, kMaxLutSize);
    m_lut.clear();
}

void Kirr_BezierLut::setOutputMaximum(int maximum)
{
    m_outputMaximum = std::max(maximum, 1);
    m_lut.clear();
}

bool Kirr_BezierLut::build()
{
    m_lut.clear();
    if (m_x.empty())
        return false;
    const std::vector<Segment> segments =
        m_x.size() > 1 ? make_segments(m_x, m_y) : std::vector<Segment>();
    m_lut.resize(m_lutSize);
    const double last = m_lutSize - 1;
    for (int k = 0; k < m_lutSize; ++k) {
        const double x = kScale * k / last;
        double y;
        if (x <= m_x.front())
            y = m_y.front();
        else if (x >= m_x.back())
            y = m_y.back();
        else
            y = curve_at(m_x, segments, x);
        const double v = std::round(y / kScale * m_outputMaximum);
        m_lut[k] = static_cast<qint32>(std::clamp(v, 0.0, static_cast<double>(m_outputMaximum)));
    }
    return true;
}

const QVector<qint32> &Kirr_BezierLut::lut()
{
    if (m_lut.isEmpty())
        build();
    return m_lut;
}

double Kirr_BezierLut::evaluate(double x) const
{
    if (m_lut.isEmpty())
        return 0.0;
    if (!(x > 0.0))  // also NaN
        x = 0.0;
    else if (x > 1.0)
        x = 1.0;
    const int last = m_lut.size() - 1;
    const double pos = x * last;
    const int i = std::min(static_cast<int>(pos), last - 1);
    const double f = pos - i;
    return (m_lut[i] * (1.0 - f) + m_lut[i + 1] * f) / m_outputMaximum;
}
