#pragma once
// Chart shots and target templates for driven runs: the widgets' chart-shot
// fixture repainted with a reference file's colours, so that a run knows
// every corner and every patch's device value, and the template description
// that the program's target list reads.

#include "ChartShot.h"

#include <QString>

#include <array>
#include <vector>

struct ReferencePatch {
    QString name;
    std::array<double, 3> lab;
};

// The patches of a CGATS reference file (Lab, or XYZ read as Lab) in the
// file's order, read by the engine's reader; empty when it cannot be read.
std::vector<ReferencePatch> readReferencePatches(const QString& path);

// A CGATS reference of columns x rows patches as reflectance spectra (380 to
// 730 nm, ISO 12642 names A01...), the last row a grey ramp, white first.
QString spectralReference(int columns, int rows);
// The reference colours (Lab, D50) of a Lab or XYZ reference file, or of a
// spectral one as a job reads it.
std::vector<ReferencePatch> referencePatchesOf(const QString& path, int columns, int rows);

// A rows x columns target definition in row order: the last row is the grey
// ramp, white first ("GBW"), black last ("BK").
QString chartDefinition(int columns, int rows, const std::vector<ReferencePatch>& patches);

// A chart shot of cells of 40 pixels with margins of 40: one the finder
// places at once.
ChartShotSpec roomySpec();

// The fixture's shot with every cell painted in the camera's response
// (chartShotCamera) to the reference colour of its patch; the shot's names,
// labs, devices, definition and reference follow the reference. The spec's
// columns x rows must match the patch count; the chart stays upright. The
// tint scales the camera's channels: a shot under another light.
ChartShot referenceChartShot(ChartShotSpec spec, const std::vector<ReferencePatch>& patches,
                             const std::array<double, 3>& tint = {1.0, 1.0, 1.0});

// Writes the description file of a columns x rows template on the reference
// file into templatesFolder/Targets/name.xml, with a picture of the chart
// (name.png beside it) drawn from the reference colours.
bool writeTargetTemplate(const QString& templatesFolder, const QString& name, int columns, int rows,
                         const QString& referencePath);
