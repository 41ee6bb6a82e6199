// An image over a pixel buffer: size, colour space, bits per channel, colour
// channels and three strides in bytes (row, pixel and channel; the channel
// stride is negative for reversed channel order, the first channel then being
// the last in memory). Samples of 9 to 16 bits are 16-bit words in native
// byte order.
#pragma once

#include <QtGlobal>

class Kirr_BezierLut;
class Kirr_Spline1;

class Kirr_ColorImageIF
{
public:
    virtual ~Kirr_ColorImageIF() = default;

    virtual bool isValid() const = 0;
    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual quint32 colorSpace() const = 0;
    virtual int bitsPerChannel() const = 0;
    // 1 for up to 8 bits, 2 for 9 to 16 bits.
    virtual int bytesPerChannel() const = 0;
    // Colour channels (extra channels are not counted).
    virtual int channels() const = 0;
    virtual qint64 rowStride() const = 0;
    virtual qint64 pixelStride() const = 0;
    virtual qint64 channelStride() const = 0;

    // Address of the first channel of the first pixel of a row; null outside.
    virtual uchar *rowData(int row) = 0;
    virtual const uchar *rowData(int row) const = 0;
    // Address of the first channel of a pixel; null outside.
    virtual uchar *pixelData(int x, int y) = 0;
    virtual const uchar *pixelData(int x, int y) const = 0;
    // Sample of channel c of pixel (x, y) as stored (0 outside).
    virtual int sample(int x, int y, int c) const = 0;
    virtual void setSample(int x, int y, int c, int value) = 0;

    // Copies the other image's pixels into this one, converting depth (8 <->
    // 16 bits: v * 257 and (v + 128) / 257) and layout. Both need the same
    // size and channel count.
    virtual bool copyImage(const Kirr_ColorImageIF &source) = 0;
    // The same for one row of each image.
    virtual bool copyRow(int row, const Kirr_ColorImageIF &source, int sourceRow) = 0;

    // In place, per sample: v = sample / maximum; times the channel's factor
    // when factors (one per channel) are given, clamped to at most 1; then
    // the lookup table, else the spline, else v^(1/gamma) when gamma > 0 and
    // not 1; then times gain; stored as round(v * maximum) clamped to the
    // range. False when the depth is neither 8 nor 16 bits.
    virtual bool applyCurves(const double *factors, const Kirr_BezierLut *lut,
                             const Kirr_Spline1 *spline, double gamma, double gain) = 0;
};
