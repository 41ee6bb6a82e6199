#include "colour/Kirr_ColorCurve.h"

#include "colour/Kirr_XmlSettings.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>

#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;
constexpr int kMaxPoints = 100000;
constexpr int kFileVersion = 1;

const QString kTypeKey = QStringLiteral("ColorCurve/Type");
const QString kVersionKey = QStringLiteral("ColorCurve/Version");
const QString kCurvesKey = QStringLiteral("ColorCurve/Curves");

QString curve_key(int curve, const char *name)
{
    return QStringLiteral("%1/%2/%3").arg(kCurvesKey).arg(curve + 1).arg(QLatin1String(name));
}

QString point_key(int curve, int point, const char *name)
{
    return QStringLiteral("%1/%2/Points/%3/%4")
        .arg(kCurvesKey)
        .arg(curve + 1)
        .arg(point + 1)
        .arg(QLatin1String(name));
}

QString number_text(double v)
{
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

bool read_int(const QSettings::SettingsMap &map, const QString &key, int *out)
{
    const auto it = map.constFind(key);
    if (it == map.constEnd() || it.value().type() != QVariant::String)
        return false;
    bool ok = false;
    *out = it.value().toString().trimmed().toInt(&ok);
    return ok;
}

// A finite number; a missing key gives the fallback.
bool read_number(const QSettings::SettingsMap &map, const QString &key, double fallback,
                 double *out)
{
    const auto it = map.constFind(key);
    if (it == map.constEnd()) {
        *out = fallback;
        return true;
    }
    if (it.value().type() != QVariant::String)
        return false;
    bool ok = false;
    *out = it.value().toString().trimmed().toDouble(&ok);
    return ok && std::isfinite(*out);
}

bool valid_type(const QString &type)
{
    if (type.isEmpty() || type.size() > Kirr_ColorCurve::maxCurveCount)
        return false;
    return std::all_of(type.begin(), type.end(), [](QChar c) {
        return c.unicode() < 0x80 && c.isLetterOrNumber();
    });
}

void set_point(std::vector<double> &xs, std::vector<double> &ys, double x, double y)
{
    const auto it = std::lower_bound(xs.begin(), xs.end(), x);
    const auto pos = it - xs.begin();
    if (it != xs.end() && *it == x) {
        ys[static_cast<size_t>(pos)] = y;
        return;
    }
    xs.insert(it, x);
    ys.insert(ys.begin() + pos, y);
}

}  // namespace

Kirr_ColorCurve::Kirr_ColorCurve()
{
    setCurveType(QStringLiteral("rgb"));
}

Kirr_ColorCurve::Kirr_ColorCurve(const QString &path) : Kirr_ColorCurve()
{
    load(path);
}

Kirr_ColorCurve::~Kirr_ColorCurve() = default;

bool Kirr_ColorCurve::setCurveType(const QString &type)
{
    if (!valid_type(type))
        return false;
    m_type = type;
    m_curves.assign(static_cast<size_t>(type.size()), Curve());
    return true;
}

void Kirr_ColorCurve::setRange(double xMin, double xMax, double yMin, double yMax, int curve)
{
    if (curve < 0 || curve >= curveCount() || !std::isfinite(xMin) || !std::isfinite(xMax) ||
        !std::isfinite(yMin) || !std::isfinite(yMax))
        return;
    Curve &c = m_curves[static_cast<size_t>(curve)];
    c.xMin = xMin;
    c.xMax = xMax;
    c.yMin = yMin;
    c.yMax = yMax;
}

double Kirr_ColorCurve::xMin(int curve) const
{
    return curve >= 0 && curve < curveCount() ? m_curves[static_cast<size_t>(curve)].xMin : 0.0;
}

double Kirr_ColorCurve::xMax(int curve) const
{
    return curve >= 0 && curve < curveCount() ? m_curves[static_cast<size_t>(curve)].xMax : 0.0;
}

double Kirr_ColorCurve::yMin(int curve) const
{
    return curve >= 0 && curve < curveCount() ? m_curves[static_cast<size_t>(curve)].yMin : 0.0;
}

double Kirr_ColorCurve::yMax(int curve) const
{
    return curve >= 0 && curve < curveCount() ? m_curves[static_cast<size_t>(curve)].yMax : 0.0;
}

void Kirr_ColorCurve::setPoint(double x, double y, int curve)
{
    if (curve < 0 || curve >= curveCount() || !std::isfinite(x) || !std::isfinite(y))
        return;
    Curve &c = m_curves[static_cast<size_t>(curve)];
    set_point(c.x, c.y, x, y);
}

int Kirr_ColorCurve::pointCount(int curve) const
{
    return curve >= 0 && curve < curveCount()
               ? static_cast<int>(m_curves[static_cast<size_t>(curve)].x.size())
               : 0;
}

double Kirr_ColorCurve::pointX(int curve, int i) const
{
    return i >= 0 && i < pointCount(curve) ? m_curves[static_cast<size_t>(curve)].x[static_cast<size_t>(i)]
                                           : 0.0;
}

double Kirr_ColorCurve::pointY(int curve, int i) const
{
    return i >= 0 && i < pointCount(curve) ? m_curves[static_cast<size_t>(curve)].y[static_cast<size_t>(i)]
                                           : 0.0;
}

bool Kirr_ColorCurve::isCurveEmpty(int curve) const
{
    return pointCount(curve) == 0;
}

void Kirr_ColorCurve::swapAxes(int curve)
{
    if (curve < 0 || curve >= curveCount())
        return;
    Curve &c = m_curves[static_cast<size_t>(curve)];
    std::swap(c.xMin, c.yMin);
    std::swap(c.xMax, c.yMax);
    std::vector<double> xs, ys;
    for (size_t i = 0; i < c.x.size(); ++i)
        set_point(xs, ys, c.y[i], c.x[i]);
    c.x.swap(xs);
    c.y.swap(ys);
}

Kirr_BezierLut Kirr_ColorCurve::bezierLut(int curve) const
{
    Kirr_BezierLut lut;
    for (int i = 0; i < pointCount(curve); ++i)
        lut.addPoint(pointX(curve, i) * 100.0, pointY(curve, i) * 100.0);
    return lut;
}

Kirr_Spline1 Kirr_ColorCurve::spline(int curve) const
{
    Kirr_Spline1 s;
    for (int i = 0; i < pointCount(curve); ++i)
        s.addPoint(pointX(curve, i), pointY(curve, i));
    s.solve(true);
    return s;
}

bool Kirr_ColorCurve::load(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || file.size() > kMaxFileSize || !file.open(QIODevice::ReadOnly))
        return false;
    QSettings::SettingsMap map;
    if (!Kirr_readXmlSettings(file, map))
        return false;

    Kirr_ColorCurve read;
    int version = kFileVersion;
    if (map.contains(kVersionKey) && (!read_int(map, kVersionKey, &version) || version != kFileVersion))
        return false;
    const auto type = map.constFind(kTypeKey);
    if (type == map.constEnd() || type.value().type() != QVariant::String ||
        !read.setCurveType(type.value().toString().trimmed()))
        return false;
    int count = 0;
    if (!read_int(map, kCurvesKey + QStringLiteral("/size"), &count) || count != read.curveCount())
        return false;
    for (int c = 0; c < count; ++c) {
        Curve &curve = read.m_curves[static_cast<size_t>(c)];
        if (!read_number(map, curve_key(c, "XMin"), 0.0, &curve.xMin) ||
            !read_number(map, curve_key(c, "XMax"), 1.0, &curve.xMax) ||
            !read_number(map, curve_key(c, "YMin"), 0.0, &curve.yMin) ||
            !read_number(map, curve_key(c, "YMax"), 1.0, &curve.yMax))
            return false;
        int points = 0;
        const QString sizeKey = curve_key(c, "Points") + QStringLiteral("/size");
        if (map.contains(sizeKey) && !read_int(map, sizeKey, &points))
            return false;
        if (points < 0 || points > kMaxPoints)
            return false;
        for (int p = 0; p < points; ++p) {
            const QString xKey = point_key(c, p, "X"), yKey = point_key(c, p, "Y");
            double x = 0.0, y = 0.0;
            if (!map.contains(xKey) || !map.contains(yKey) || !read_number(map, xKey, 0.0, &x) ||
                !read_number(map, yKey, 0.0, &y))
                return false;
            set_point(curve.x, curve.y, x, y);
        }
    }
    *this = read;
    return true;
}

bool Kirr_ColorCurve::save(const QString &path) const
{
    QSettings::SettingsMap map;
    map.insert(kVersionKey, QString::number(kFileVersion));
    map.insert(kTypeKey, m_type);
    map.insert(kCurvesKey + QStringLiteral("/size"), QString::number(curveCount()));
    for (int c = 0; c < curveCount(); ++c) {
        const Curve &curve = m_curves[static_cast<size_t>(c)];
        map.insert(curve_key(c, "XMin"), number_text(curve.xMin));
        map.insert(curve_key(c, "XMax"), number_text(curve.xMax));
        map.insert(curve_key(c, "YMin"), number_text(curve.yMin));
        map.insert(curve_key(c, "YMax"), number_text(curve.yMax));
        map.insert(curve_key(c, "Points") + QStringLiteral("/size"),
                   QString::number(curve.x.size()));
        for (size_t p = 0; p < curve.x.size(); ++p) {
            map.insert(point_key(c, static_cast<int>(p), "X"), number_text(curve.x[p]));
            map.insert(point_key(c, static_cast<int>(p), "Y"), number_text(curve.y[p]));
        }
    }
    // Lay the document out in memory first, then replace the file in one step.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!Kirr_writeXmlSettings(buffer, map))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(buffer.data()) != buffer.data().size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
