// A one-dimensional cubic spline through points x -> y.
#pragma once

#include <vector>

// Value type. Points are kept sorted by x; adding a point at an x that is
// already there replaces its y. Any change drops the solution.
class Kirr_Spline1
{
public:
    Kirr_Spline1() = default;

    // Removes every point and the solution.
    void clear();
    // Sets the point at x to y and drops the solution. Points with a
    // coordinate that is not a finite number are ignored.
    void addPoint(double x, double y);

    // Computes the cubic solution. naturalEnds true: the second derivative is
    // zero at both ends; false: not-a-knot ends (the third derivative is
    // continuous at the second and the last but one point; a parabola for three
    // points). Needs two points; false (and no solution) with fewer.
    bool solve(bool naturalEnds = true);
    bool isSolved() const { return m_solved; }

    int pointCount() const { return static_cast<int>(m_x.size()); }
    bool isEmpty() const { return m_x.empty(); }
    // Coordinates of point i in x order; 0 when i is out of range.
    double x(int i) const;
    double y(int i) const;

    // A new, unsolved spline with x and y of every point exchanged. Points
    // that would share an x keep the one with the larger original x.
    Kirr_Spline1 inverted() const;

    // The spline at x, times scale. Without points the identity (x * scale);
    // with one point its y. Beyond the first and last point the spline goes
    // on as a straight line with its end slope. An unsolved spline is
    // evaluated with natural ends, computed for the call (solve first when
    // evaluating many values).
    double evaluate(double x, double scale = 1.0) const;

private:
    std::vector<double> m_x;
    std::vector<double> m_y;
    std::vector<double> m_m;  // second derivatives at the points
    bool m_solved = false;
};
