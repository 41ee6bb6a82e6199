#include "DngRoad.h"

#include <algorithm>
#include <cmath>

namespace dngroad {

namespace {

const Vector3 kD50 = {0.9642, 1.0, 0.8249};

// The white of a colour temperature, as XYZ (Y = 1): the CIE daylight
// locus from 4000 K, the Planckian locus below (the cubic fit of Kim et al.).
Vector3 lightWhite(double kelvin)
{
    const double t = std::min(25000.0, std::max(1667.0, kelvin));
    double x, y;
    if (t >= 4000) {
        x = t <= 7000 ? -4.6070e9 / (t * t * t) + 2.9678e6 / (t * t) + 99.11 / t + 0.244063
                      : -2.0064e9 / (t * t * t) + 1.9018e6 / (t * t) + 247.48 / t + 0.237040;
        y = -3.0 * x * x + 2.87 * x - 0.275;
    } else {
        x = -0.2661239e9 / (t * t * t) - 0.2343589e6 / (t * t) + 877.6956 / t + 0.179910;
        y = t <= 2222 ? -1.1063814 * x * x * x - 1.34811020 * x * x + 2.18555832 * x - 0.20219683
                      : -0.9549476 * x * x * x - 1.37418593 * x * x + 2.09137015 * x - 0.16748867;
    }
    return {x / y, 1.0, (1 - x - y) / y};
}

// Bradford adaptation from one white to another.
Matrix3 bradford(const Vector3 &from, const Vector3 &to)
{
    const Matrix3 b = {0.8951, 0.2664, -0.1614, -0.7502, 1.7135, 0.0367, 0.0389, -0.0685, 1.0296};
    const Vector3 s = times(b, from);
    const Vector3 d = times(b, to);
    const Matrix3 scale = {d[0] / s[0], 0, 0, 0, d[1] / s[1], 0, 0, 0, d[2] / s[2]};
    return product(inverse(b), product(scale, b));
}

Vector3 xyzToLab(const Vector3 &xyz)
{
    auto f = [](double t) { return t > 216.0 / 24389.0 ? std::cbrt(t) : (24389.0 / 27.0 * t + 16.0) / 116.0; };
    const double fx = f(xyz[0] / kD50[0]), fy = f(xyz[1] / kD50[1]), fz = f(xyz[2] / kD50[2]);
    return {116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

double labToY(double L)
{
    const double fy = (L + 16.0) / 116.0;
    return fy > 6.0 / 29.0 ? fy * fy * fy : (L / (24389.0 / 27.0));
}

double lightTemperature(int code)
{
    return code == 17 ? 2856 : code == 21 ? 6504 : code == 23 ? 5003 : 5500;
}

}  // namespace

Vector3 times(const Matrix3 &m, const Vector3 &v)
{
    return {m[0] * v[0] + m[1] * v[1] + m[2] * v[2], m[3] * v[0] + m[4] * v[1] + m[5] * v[2],
            m[6] * v[0] + m[7] * v[1] + m[8] * v[2]};
}

Matrix3 product(const Matrix3 &a, const Matrix3 &b)
{
    Matrix3 m{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k)
                m[std::size_t(r * 3 + c)] += a[std::size_t(r * 3 + k)] * b[std::size_t(k * 3 + c)];
    return m;
}

Matrix3 inverse(const Matrix3 &m)
{
    const double det = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6])
                       + m[2] * (m[3] * m[7] - m[4] * m[6]);
    return {(m[4] * m[8] - m[5] * m[7]) / det, (m[2] * m[7] - m[1] * m[8]) / det,
            (m[1] * m[5] - m[2] * m[4]) / det, (m[5] * m[6] - m[3] * m[8]) / det,
            (m[0] * m[8] - m[2] * m[6]) / det, (m[2] * m[3] - m[0] * m[5]) / det,
            (m[3] * m[7] - m[4] * m[6]) / det, (m[1] * m[6] - m[0] * m[7]) / det,
            (m[0] * m[4] - m[1] * m[3]) / det};
}

QByteArray profileFile(const Tags &tags)
{
    struct Entry
    {
        quint16 tag;
        quint16 type;
        quint32 count;
        QByteArray data;
    };
    auto le16 = [](QByteArray &b, quint32 v) { b.append(char(v & 0xff)).append(char((v >> 8) & 0xff)); };
    auto le32 = [&](QByteArray &b, quint32 v) {
        le16(b, v & 0xffff);
        le16(b, v >> 16);
    };
    auto rational = [&](QByteArray &b, double v) {
        le32(b, quint32(qint32(std::lround(v * 1e6))));
        le32(b, 1000000u);
    };
    auto matrix = [&](quint16 tag, const Matrix3 &m) {
        Entry e{tag, 10, 9, {}};
        for (double v : m)
            rational(e.data, v);
        return e;
    };
    auto shortEntry = [&](quint16 tag, int v) {
        Entry e{tag, 3, 1, {}};
        le16(e.data, quint32(v));
        le16(e.data, 0);
        return e;
    };
    std::vector<Entry> entries;
    entries.push_back({50708, 2, 8, QByteArray("Test TM\0", 8)});
    entries.push_back(matrix(50721, tags.colorMatrix1));
    if (tags.illuminant2)
        entries.push_back(matrix(50722, tags.colorMatrix2));
    entries.push_back(shortEntry(50778, tags.illuminant1));
    if (tags.illuminant2)
        entries.push_back(shortEntry(50779, tags.illuminant2));
    if (tags.exposureOffset != 0) {
        Entry e{51109, 10, 1, {}};
        rational(e.data, tags.exposureOffset);
        entries.push_back(e);
    }
    QByteArray file("IIRC");
    le32(file, 8);
    le16(file, quint32(entries.size()));
    quint32 dataAt = quint32(8 + 2 + 12 * entries.size() + 4);
    QByteArray data;
    for (const Entry &e : entries) {
        le16(file, e.tag);
        le16(file, e.type);
        le32(file, e.count);
        if (e.data.size() <= 4) {
            file.append(e.data.leftJustified(4, '\0'));
        } else {
            le32(file, dataAt + quint32(data.size()));
            data.append(e.data);
        }
    }
    le32(file, 0);
    return file + data;
}

std::vector<Vector3> labs(const Tags &tags, double kelvin, const std::vector<Vector3> &camera,
                          const std::vector<Vector3> &reference)
{
    Matrix3 cm = tags.colorMatrix1;
    if (tags.illuminant2) {
        const double t1 = lightTemperature(tags.illuminant1), t2 = lightTemperature(tags.illuminant2);
        const double k = std::min(std::max(t1, t2), std::max(std::min(t1, t2), kelvin));
        const double g = (1.0 / k - 1.0 / t2) / (1.0 / t1 - 1.0 / t2);
        for (std::size_t i = 0; i < 9; ++i)
            cm[i] = g * tags.colorMatrix1[i] + (1 - g) * tags.colorMatrix2[i];
    }
    const Vector3 white = lightWhite(kelvin);
    Vector3 neutral = times(cm, white);
    const double top = std::max({neutral[0], neutral[1], neutral[2]});
    for (double &v : neutral)
        v /= top;
    // Camera to XYZ under the light, adapted to D50, the neutral to Y = 1.
    Matrix3 toXyz = product(bradford(white, kD50), inverse(cm));
    const double y = times(toXyz, neutral)[1];
    for (double &v : toXyz)
        v /= y;
    std::vector<Vector3> xyz;
    for (const Vector3 &c : camera) {
        Vector3 v = times(toXyz, c);
        for (double &e : v)
            e *= std::exp2(tags.exposureOffset);
        xyz.push_back(v);
    }
    // The shot's exposure: the brightest reference (none is clipped here)
    // meets its lightness.
    std::size_t w = 0;
    for (std::size_t i = 0; i < reference.size(); ++i)
        if (reference[i][0] > reference[w][0])
            w = i;
    const double gain = labToY(reference[w][0]) / xyz[w][1];
    std::vector<Vector3> out;
    for (Vector3 v : xyz) {
        for (double &c : v)
            c *= gain;
        out.push_back(xyzToLab(v));
    }
    return out;
}

}  // namespace dngroad
