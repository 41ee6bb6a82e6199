#pragma once
// What driven runs compare the screen with: the grid's corners against the
// drawn chart's, and the written profiles' colours against the reference.

#include "ChartShot.h"
#include "DriverCharts.h"
#include "Driver.h"

#include <QPointF>
#include <QString>

#include <lcms2.h>

#include <array>
#include <vector>

class CppImageWidget;
class PatchGridIF;

// The patches of a reference file (DriverCharts); fails unless it holds count.
std::vector<ReferencePatch> requireReferencePatches(Driver& d, const QString& path, int columns, int rows);

// The image item's patch grid; fails without one.
PatchGridIF* patchGrid(Driver& d, CppImageWidget* item);
// The grid's four corners, each within tolerance of one of the expected ones.
void requireGridAt(Driver& d, PatchGridIF* grid, const std::array<QPointF, 4>& expected, double tolerance,
                   const QString& when);
// The chart's corners as the item shows the image (its rotation applied).
std::array<QPointF, 4> shownCorners(CppImageWidget* item, const ChartShot& shot);
double diagonal(const ChartShot& shot);

// The Lab values through the ICC profile at absolute colorimetric intent (the
// quality measurement's), one per patch of the shot in row order.
std::vector<cmsCIELab> labsThroughProfile(Driver& d, const QString& path, const ChartShot& shot);
// The same for given device values (16-bit scale).
std::vector<cmsCIELab> labsThroughProfile(Driver& d, const QString& path,
                                          const std::vector<std::array<double, 3>>& devices);
// The percentile as the quality figures take it: the value at rank n * p,
// halfway to the one below when the rank falls between two.
double percentile(std::vector<double> values, double p);
// The colour difference the label names (ΔE76, ΔE94, else CIEDE2000).
double deltaE(const QString& label, const cmsCIELab& a, const cmsCIELab& b);

// The figures the quality-control page shows ("deltaStatistics"): 10 %, mean and 90 %.
std::array<double, 3> shownFigures(Driver& d);
// A figure shown with one decimal against an evaluation's own value.
bool sameShown(double shown, double own);
// The quality-control page's figures (in the colour difference of
// "deltaLabel") against those of the measured Lab values, one per patch of
// the shots in row order, shot after shot, and the shots' references; prints
// both under what and returns the figures shown.
QString requireQualityFigures(Driver& d, const std::vector<cmsCIELab>& measured,
                              const std::vector<const ChartShot*>& shots, const QString& what);
// The same with the shots' own device values through the profile. Over
// several targets' shots, the figures of all their patches together.
QString requireQualityFigures(Driver& d, const QString& profilePath, const ChartShot& shot);
QString requireQualityFigures(Driver& d, const QString& profilePath, const std::vector<const ChartShot*>& shots);

using Matrix3 = std::array<double, 9>;
// The white of a DNG light-source code in XYZ (Y = 1); D50 when unknown.
std::array<double, 3> lightSourceWhite(int code);
std::array<double, 3> times(const Matrix3& m, const std::array<double, 3>& v);
Matrix3 inverse(const Matrix3& m);
// Bradford adaptation of XYZ from one white to another.
std::array<double, 3> adapt(const std::array<double, 3>& xyz, const std::array<double, 3>& from,
                            const std::array<double, 3>& to);
// The DCP's colour matrix 1 or 2 applied to the patches' camera values: XYZ
// under that calibration's light through the inverse matrix, adapted to D50,
// the exposure matched on the white patch ("GBW"); returns the CIEDE2000
// differences against the reference.
std::vector<double> differencesThroughDcp(Driver& d, const QString& path, const ChartShot& shot, int matrix = 1);
