// Shared pieces of the patch-grid widget's measuring and painting.
#pragma once

#include "widgets/pq_ImagePatchGridWidget.h"

#include <QtGlobal>

#include <memory>

class Kirr_BezierLut;
class Kirr_Spline1;
class Kirr_ColorImageIF;

// How a target's measured values become device pixels.
struct pq_ImagePatchGridWidget::DeviceFormat
{
    quint32 colorSpace = 0;
    int bits = 16;
    int channels = 3;
    double factors[16] = {};
    double scale = 1.0;
    const Kirr_BezierLut *lut = nullptr;
    const Kirr_Spline1 *spline = nullptr;
};

// Colour space of a target from its first patch's value count.
quint32 pq_deviceColourSpace(unsigned valueCount);
// One-pixel colour images, made once per pass.
std::unique_ptr<Kirr_ColorImageIF> pq_onePixel(quint32 colorSpace, int bits, int channels);
// Lab of a 16-bit Lab pixel.
void pq_decodeLab16Pixel(const Kirr_ColorImageIF &pixel, double lab[3]);
// Rounded to one decimal, half away from zero.
double pq_roundToTenth(double v);
