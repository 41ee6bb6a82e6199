// A tone curve through control points, drawn as a piecewise cubic Bezier
// curve and sampled into a lookup table.
#pragma once

#include <QVector>
#include <QtGlobal>

#include <vector>

// Value type. Control points x -> y on a 0..100 scale on both axes (x unique,
// kept sorted). The curve passes through every control point; between two
// points it is a cubic Bezier segment whose handles follow the neighbouring
// points, shortened where needed so that x always increases and monotone
// points give a monotone curve. Exchanging x and y of every control point
// gives exactly the inverse curve. Left of the first and right of the last
// point the curve holds that point's y.
//
// The table has lutSize entries; entry k is the curve at x = 100 k / (size - 1),
// scaled so that y = 100 gives the output maximum, rounded and clamped to
// 0..output maximum.
class Kirr_BezierLut
{
public:
    Kirr_BezierLut() = default;

    // Removes every control point and the table.
    void clear();
    // True when there is no control point.
    bool isEmpty() const { return m_x.empty(); }
    // Sets control point x to y and drops the table. Coordinates that are not
    // finite numbers are ignored.
    void addPoint(double x, double y);
    int pointCount() const { return static_cast<int>(m_x.size()); }
    // Coordinates of control point i in x order; 0 when i is out of range.
    double x(int i) const;
    double y(int i) const;

    // Number of table entries (default 256), at least 2 and at most 1048576;
    // drops the table.
    void setLutSize(int size);
    int lutSize() const { return m_lutSize; }
    // Largest table value (default 255), at least 1; drops the table.
    void setOutputMaximum(int maximum);
    int outputMaximum() const { return m_outputMaximum; }

    // Computes the table; false (no table) when there is no control point.
    bool build();
    bool isBuilt() const { return !m_lut.isEmpty(); }
    // The table, built first when needed; empty without control points.
    const QVector<qint32> &lut();

    // The table at x (0..1, clamped) by linear interpolation, divided by the
    // output maximum; 0 when the table is not built.
    double evaluate(double x) const;

private:
    std::vector<double> m_x;
    std::vector<double> m_y;
    int m_lutSize = 256;
    int m_outputMaximum = 255;
    QVector<qint32> m_lut;
};
