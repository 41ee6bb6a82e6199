// The DNG colour road worked out from a camera profile's tags, independent
// of the colour library: camera values balanced to the camera neutral of the
// light, the colour matrices blended by inverse temperature, XYZ under the
// light adapted to D50 (Bradford), the profile's exposure offset and the
// shot's exposure that brings the chart's white to its reference lightness.
// And a DNG camera profile file written from such tags.
#pragma once

#include <QByteArray>

#include <array>
#include <vector>

namespace dngroad {

using Matrix3 = std::array<double, 9>;  // row-major
using Vector3 = std::array<double, 3>;

struct Tags
{
    Matrix3 colorMatrix1{};
    Matrix3 colorMatrix2{};
    int illuminant1 = 23;
    int illuminant2 = 0;  // 0: one calibration
    double exposureOffset = 0;
};

Vector3 times(const Matrix3 &m, const Vector3 &v);
Matrix3 product(const Matrix3 &a, const Matrix3 &b);
Matrix3 inverse(const Matrix3 &m);

// A little-endian camera-profile file of the tags.
QByteArray profileFile(const Tags &tags);

// Lab (D50) of each patch: camera values on 0..1, reference Lab in the same
// order (the brightest reference is the white the exposure meets).
std::vector<Vector3> labs(const Tags &tags, double kelvin, const std::vector<Vector3> &camera,
                          const std::vector<Vector3> &reference);

}  // namespace dngroad
