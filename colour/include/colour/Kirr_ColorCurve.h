// A set of channel curves (a film or tone curve per channel), stored in the
// "xml" settings format (Kirr_XmlSettings.h). The stored layout is described
// in colour/src/values/color_curve_file.md.
#pragma once

#include "colour/Kirr_BezierLut.h"
#include "colour/Kirr_Spline1.h"

#include <QString>

#include <vector>

class Kirr_ColorCurve
{
public:
    // Longest curve type, in channels.
    static constexpr int maxCurveCount = 16;

    // Type "rgb" with three empty curves.
    Kirr_ColorCurve();
    // Reads the file; a file that cannot be read or is malformed gives the
    // default set ("rgb", three empty curves).
    explicit Kirr_ColorCurve(const QString &path);
    ~Kirr_ColorCurve();

    // The curve type names one channel per character ("rgb": red, green and
    // blue; "n": one neutral curve). Setting it removes every curve and makes
    // one empty curve per character; a type that is empty, longer than
    // maxCurveCount or holds other than letters and digits is refused (false,
    // nothing changes).
    bool setCurveType(const QString &type);
    QString curveType() const { return m_type; }
    int curveCount() const { return static_cast<int>(m_curves.size()); }

    // Axis ranges of a curve (default 0..1 on both axes); a curve out of range
    // or a bound that is not finite is ignored.
    void setRange(double xMin, double xMax, double yMin, double yMax, int curve);
    double xMin(int curve) const;
    double xMax(int curve) const;
    double yMin(int curve) const;
    double yMax(int curve) const;

    // Sets the point at x to y (points are kept sorted by x, one per x); a
    // curve out of range or a coordinate that is not finite is ignored.
    void setPoint(double x, double y, int curve);
    int pointCount(int curve) const;
    // Coordinates of point i of a curve in x order; 0 when out of range.
    double pointX(int curve, int i) const;
    double pointY(int curve, int i) const;
    // True when the curve is out of range or has no point.
    bool isCurveEmpty(int curve) const;

    // Exchanges the x and y ranges and every point's x and y of a curve;
    // points that then share an x keep the one with the larger original x.
    void swapAxes(int curve);

    // The curve as a Bezier lookup table with every coordinate times 100
    // (table size 256, output maximum 255, not built); empty when the curve
    // is out of range.
    Kirr_BezierLut bezierLut(int curve) const;
    // The curve as a spline over its points, solved with natural ends when it
    // has two points or more; empty when the curve is out of range.
    Kirr_Spline1 spline(int curve) const;

    // Replaces the set by the file's; false (the set unchanged) when the file
    // cannot be read or is not a curve file.
    bool load(const QString &path);
    // Writes the set, replacing an existing file only once the new one is
    // complete; false when it cannot be written (an existing file stays).
    bool save(const QString &path) const;

private:
    struct Curve
    {
        double xMin = 0.0, xMax = 1.0, yMin = 0.0, yMax = 1.0;
        std::vector<double> x, y;
    };

    QString m_type;
    std::vector<Curve> m_curves;
};
