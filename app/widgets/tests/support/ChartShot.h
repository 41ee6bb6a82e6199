// A photograph-like shot of a colour target drawn from its reference data:
// every patch through a known camera-like transform into linear device values,
// on a dark chart body with margins, optionally rotated, in perspective and
// noisy, the patches in the stored or the "TLR" order. The shot knows where
// every corner and patch lies and which device value each patch holds.
#pragma once

#include "chart/RawImage.h"

#include <QByteArray>
#include <QPixmap>
#include <QPointF>
#include <QString>

#include <array>
#include <functional>
#include <vector>

struct ChartShotSpec
{
    int columns = 6;
    int rows = 4;
    int bits = 16;            // 8 or 16 bits per sample
    int cell = 24;            // cell size in pixels
    int margin = 16;          // background around the chart body
    int body = 6;             // dark body around the patch grid
    double rotation = 0;      // degrees, about the image centre
    double perspective = 0;   // fraction by which the bottom edge is wider
    double noise = 0;         // standard deviation on the 16-bit scale
    bool tlrOrder = false;    // cell (c, r) shows reference set r + rows * c
    double encoding = 1.0;    // device values stored as linear^(1 / encoding)
    unsigned seed = 1;
};

struct ChartShot
{
    ChartShotSpec spec;
    QString definition;       // CGATS target definition (SAMPLE_ID, CONTROL)
    QString reference;        // CGATS reference data (SAMPLE_ID, LAB_L/A/B)
    // Per reference set: name, control code, reference Lab and the linear
    // device value (16-bit scale) the camera gives it.
    std::vector<QString> names;
    std::vector<QString> controls;
    std::vector<std::array<double, 3>> labs;
    std::vector<std::array<double, 3>> devices;
    RawImage image;
    QPixmap pixmap;           // the shot in 8 bits for display
    // Grid corners (top-left, top-right, bottom-left, bottom-right) in pixels.
    QPointF corners[4];

    // The reference set drawn in cell (column, row).
    int setAt(int column, int row) const;
    // The device value drawn in cell (column, row) on the 16-bit scale (for an
    // 8-bit shot, the stored 8-bit value times 257).
    std::array<double, 3> deviceAt(int column, int row) const;
    // Image position of the centre of cell (column, row).
    QPointF cellCentre(int column, int row) const;
    QPointF gridPoint(double u, double v) const;
    // A TIFF of the shot, with an embedded profile when icc is not empty.
    bool writeTiff(const QString &path, const QByteArray &icc = QByteArray()) const;
    // The shot as a raw converter exports it: every linear value (0..1)
    // through the tone curve, 16 bits, with the camera's make and model and an
    // identity transfer function.
    bool writeDevelopedTiff(const QString &path, const std::function<double(double)> &tone,
                            const char *make = "Testmaker", const char *model = "Testmaker TM-1") const;
    // A small DNG: an RGGB mosaic of the shot's linear values on the 16-bit
    // scale, white level 65535, black 0, an identity colour matrix.
    bool writeDng(const QString &path, const char *make = "Testmaker",
                  const char *model = "Testmaker TM-1") const;
};

// The camera's linear response to a colour: XYZ (D50) through a fixed matrix
// with channel gains, on the 16-bit scale.
std::array<double, 3> chartShotCamera(const std::array<double, 3> &lab);
// That camera's XYZ (D50) to linear camera RGB matrix, gains included
// (row-major), before clipping.
std::array<double, 9> chartShotCameraMatrix();

// A target of columns x rows patches: colours spread over lightness and hue,
// the last row a grey ramp ("GBW" first, then "GB").
ChartShot makeChartShot(const ChartShotSpec &spec);
