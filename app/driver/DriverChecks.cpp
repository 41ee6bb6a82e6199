#include "DriverChecks.h"

#include "chart/PatchGrid.h"
#include "colour/Kirr_ColorProfileDCP.h"
#include "colour/Kirr_colorLibrary.h"
#include "items/CppImageWidget.h"
#include "jobs/pq_Job.h"
#include "widgets/pq_ImagePatchGridWidget.h"

#include <QFile>
#include <QRegularExpression>
#include <QTransform>

#include <lcms2.h>

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <memory>

namespace {

QString number(double v) { return QString::number(v, 'f', 2); }

}  // namespace

std::vector<ReferencePatch> requireReferencePatches(Driver& d, const QString& path, int columns, int rows)
{
    std::vector<ReferencePatch> patches = referencePatchesOf(path, columns, rows);
    d.require(int(patches.size()) == columns * rows,
              QStringLiteral("%1 does not hold %2 patches").arg(path).arg(columns * rows));
    return patches;
}

PatchGridIF* patchGrid(Driver& d, CppImageWidget* item)
{
    PatchGridIF* grid = item->job() ? item->job()->currentPatchGrid() : nullptr;
    d.require(grid != nullptr, QStringLiteral("the image item's job has no patch grid"));
    return grid;
}

void requireGridAt(Driver& d, PatchGridIF* grid, const std::array<QPointF, 4>& expected, double tolerance,
                   const QString& when)
{
    const int corners[4] = {0, 2, 6, 4};
    for (const QPointF& want : expected) {
        double best = 1e300;
        QPoint nearest;
        for (int i : corners) {
            const QPoint p = grid->controlPoint(i);
            const double distance = std::hypot(p.x() - want.x(), p.y() - want.y());
            if (distance < best) {
                best = distance;
                nearest = p;
            }
        }
        d.require(best <= tolerance, QStringLiteral("%1: no grid corner near the chart's corner at %2,%3 "
                                                    "(nearest %4,%5, %6 px off, %7 allowed)")
                                         .arg(when, number(want.x()), number(want.y()))
                                         .arg(nearest.x()).arg(nearest.y())
                                         .arg(number(best), number(tolerance)));
    }
}

std::array<QPointF, 4> shownCorners(CppImageWidget* item, const ChartShot& shot)
{
    const QTransform toShown = item->engine()->displayTransform(false);
    std::array<QPointF, 4> corners;
    for (int i = 0; i < 4; ++i)
        corners[std::size_t(i)] = toShown.map(shot.corners[i]);
    return corners;
}

double diagonal(const ChartShot& shot) { return std::hypot(shot.image.width(), shot.image.height()); }

std::vector<cmsCIELab> labsThroughProfile(Driver& d, const QString& path,
                                          const std::vector<std::array<double, 3>>& devices)
{
    cmsHPROFILE profile = cmsOpenProfileFromFile(QFile::encodeName(path).constData(), "r");
    d.require(profile != nullptr, QStringLiteral("Little CMS cannot open %1").arg(path));
    const bool usable = cmsGetColorSpace(profile) == cmsSigRgbData && cmsGetDeviceClass(profile) == cmsSigInputClass;
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM transform = usable ? cmsCreateTransform(profile, TYPE_RGB_16, lab, TYPE_Lab_DBL,
                                                          INTENT_ABSOLUTE_COLORIMETRIC, 0)
                                     : nullptr;
    cmsCloseProfile(lab);
    cmsCloseProfile(profile);
    d.require(transform != nullptr, QStringLiteral("%1 is no RGB input profile Little CMS can use").arg(path));
    std::vector<cmsCIELab> labs;
    for (const std::array<double, 3>& device : devices) {
        const cmsUInt16Number in[3] = {cmsUInt16Number(device[0]), cmsUInt16Number(device[1]),
                                       cmsUInt16Number(device[2])};
        cmsCIELab out;
        cmsDoTransform(transform, in, &out, 1);
        labs.push_back(out);
    }
    cmsDeleteTransform(transform);
    return labs;
}

std::vector<cmsCIELab> labsThroughProfile(Driver& d, const QString& path, const ChartShot& shot)
{
    std::vector<std::array<double, 3>> devices;
    for (int row = 0; row < shot.spec.rows; ++row)
        for (int column = 0; column < shot.spec.columns; ++column)
            devices.push_back(shot.deviceAt(column, row));
    return labsThroughProfile(d, path, devices);
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const double rank = values.size() * p;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (double(i + 1) == rank)
            return values[i];
        if (double(i + 1) > rank)
            return i == 0 ? values[i] : (values[i] + values[i - 1]) / 2;
    }
    return values.empty() ? 0.0 : values.back();
}

double deltaE(const QString& label, const cmsCIELab& a, const cmsCIELab& b)
{
    if (label.contains(QLatin1String("76")))
        return cmsDeltaE(&a, &b);
    if (label.contains(QLatin1String("94")))
        return cmsCIE94DeltaE(&a, &b);
    return cmsCIE2000DeltaE(&a, &b, 1, 1, 1);
}

std::array<double, 3> lightSourceWhite(int code)
{
    auto fromXy = [](double x, double y) { return std::array<double, 3>{x / y, 1.0, (1 - x - y) / y}; };
    switch (code) {
    case 17: return fromXy(0.44757, 0.40745);  // A
    case 20: return fromXy(0.33242, 0.34743);  // D55
    case 21: return fromXy(0.31271, 0.32902);  // D65
    case 22: return fromXy(0.29902, 0.31485);  // D75
    default: return fromXy(0.34567, 0.35850);  // D50
    }
}

std::array<double, 3> times(const Matrix3& m, const std::array<double, 3>& v)
{
    return {m[0] * v[0] + m[1] * v[1] + m[2] * v[2], m[3] * v[0] + m[4] * v[1] + m[5] * v[2],
            m[6] * v[0] + m[7] * v[1] + m[8] * v[2]};
}

Matrix3 inverse(const Matrix3& m)
{
    const double det = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6])
                       + m[2] * (m[3] * m[7] - m[4] * m[6]);
    return {(m[4] * m[8] - m[5] * m[7]) / det, (m[2] * m[7] - m[1] * m[8]) / det, (m[1] * m[5] - m[2] * m[4]) / det,
            (m[5] * m[6] - m[3] * m[8]) / det, (m[0] * m[8] - m[2] * m[6]) / det, (m[2] * m[3] - m[0] * m[5]) / det,
            (m[3] * m[7] - m[4] * m[6]) / det, (m[1] * m[6] - m[0] * m[7]) / det, (m[0] * m[4] - m[1] * m[3]) / det};
}

std::array<double, 3> adapt(const std::array<double, 3>& xyz, const std::array<double, 3>& from,
                            const std::array<double, 3>& to)
{
    const Matrix3 bradford = {0.8951, 0.2664, -0.1614, -0.7502, 1.7135, 0.0367, 0.0389, -0.0685, 1.0296};
    const std::array<double, 3> a = times(bradford, from);
    const std::array<double, 3> b = times(bradford, to);
    std::array<double, 3> cone = times(bradford, xyz);
    for (int i = 0; i < 3; ++i)
        cone[std::size_t(i)] *= b[std::size_t(i)] / a[std::size_t(i)];
    return times(inverse(bradford), cone);
}

std::vector<double> differencesThroughDcp(Driver& d, const QString& path, const ChartShot& shot, int matrix)
{
    std::unique_ptr<Kirr_ColorProfileIF> opened(Kirr_profileFromFile(path));
    auto* dcp = dynamic_cast<Kirr_ColorProfileDCP*>(opened.get());
    d.require(dcp != nullptr, QStringLiteral("%1 does not open as a DNG camera profile").arg(path));
    const Matrix3 toXyz = inverse(matrix == 2 ? dcp->colorMatrix2() : dcp->colorMatrix1());
    const std::array<double, 3> light =
        lightSourceWhite(matrix == 2 ? dcp->calibrationIlluminant2() : dcp->calibrationIlluminant1());
    const std::array<double, 3> d50 = lightSourceWhite(23);
    std::vector<std::array<double, 3>> xyz;
    for (const std::array<double, 3>& device : shot.devices)
        xyz.push_back(adapt(times(toXyz, {device[0] / 65535.0, device[1] / 65535.0, device[2] / 65535.0}), light, d50));
    std::size_t whiteAt = 0;
    for (std::size_t i = 0; i < shot.controls.size(); ++i)
        if (shot.controls[i] == QLatin1String("GBW"))
            whiteAt = i;
    cmsCIELab whiteLab{shot.labs[whiteAt][0], shot.labs[whiteAt][1], shot.labs[whiteAt][2]};
    cmsCIEXYZ whiteXyz;
    cmsLab2XYZ(cmsD50_XYZ(), &whiteXyz, &whiteLab);
    const double exposure = xyz[whiteAt][1] > 0 ? whiteXyz.Y / xyz[whiteAt][1] : 1.0;
    std::vector<double> differences;
    for (std::size_t i = 0; i < xyz.size(); ++i) {
        const cmsCIEXYZ v{xyz[i][0] * exposure, xyz[i][1] * exposure, xyz[i][2] * exposure};
        cmsCIELab measured;
        cmsXYZ2Lab(cmsD50_XYZ(), &measured, &v);
        const cmsCIELab reference{shot.labs[i][0], shot.labs[i][1], shot.labs[i][2]};
        differences.push_back(cmsCIE2000DeltaE(&measured, &reference, 1, 1, 1));
    }
    return differences;
}


std::array<double, 3> shownFigures(Driver& d)
{
    const QString shown = d.text(QStringLiteral("deltaStatistics"));
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("10%/mean/90% ΔE: ([0-9.]+) / ([0-9.]+) / ([0-9.]+)")).match(shown);
    d.require(match.hasMatch(), QStringLiteral("the quality figures read \"%1\"").arg(shown));
    return {match.captured(1).toDouble(), match.captured(2).toDouble(), match.captured(3).toDouble()};
}

bool sameShown(double shown, double own) { return std::fabs(shown - own) <= 0.051 + 0.05; }

QString requireQualityFigures(Driver& d, const std::vector<cmsCIELab>& measured,
                              const std::vector<const ChartShot*>& shots, const QString& what)
{
    const QString label = d.text(QStringLiteral("deltaLabel"));
    std::vector<double> differences;
    for (const ChartShot* shot : shots)
        for (const std::array<double, 3>& lab : shot->labs) {
            d.require(differences.size() < measured.size(),
                      QStringLiteral("%1: %2 measured values for more patches").arg(what).arg(measured.size()));
            const cmsCIELab reference{lab[0], lab[1], lab[2]};
            differences.push_back(deltaE(label, measured[differences.size()], reference));
        }
    d.require(differences.size() == measured.size(),
              QStringLiteral("%1: %2 measured values for %3 patches").arg(what).arg(measured.size()).arg(differences.size()));
    const double own[3] = {percentile(differences, 0.1), percentile(differences, 0.5),
                           percentile(differences, 0.9)};
    const std::array<double, 3> figures = shownFigures(d);
    const QString shown = d.text(QStringLiteral("deltaStatistics")).simplified();
    fprintf(stdout, "%s %s: page %s, evaluated %s / %s / %s\n", qPrintable(what), qPrintable(label), qPrintable(shown),
            qPrintable(number(own[0])), qPrintable(number(own[1])), qPrintable(number(own[2])));
    for (int i = 0; i < 3; ++i)
        d.require(sameShown(figures[std::size_t(i)], own[i]),
                  QStringLiteral("%1: the page shows \"%2\" (%3); evaluated %4 / %5 / %6")
                      .arg(what, shown, label, number(own[0]), number(own[1]), number(own[2])));
    return shown;
}

QString requireQualityFigures(Driver& d, const QString& profilePath, const ChartShot& shot)
{
    return requireQualityFigures(d, profilePath, std::vector<const ChartShot*>{&shot});
}

QString requireQualityFigures(Driver& d, const QString& profilePath, const std::vector<const ChartShot*>& shots)
{
    std::vector<cmsCIELab> measured;
    for (const ChartShot* shot : shots) {
        const std::vector<cmsCIELab> labs = labsThroughProfile(d, profilePath, *shot);
        measured.insert(measured.end(), labs.begin(), labs.end());
    }
    return requireQualityFigures(d, measured, shots, QStringLiteral("quality through Little CMS"));
}
