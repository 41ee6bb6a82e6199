// A colour image over owned or borrowed pixel memory.
#pragma once

#include "colour/Kirr_ColorImageIF.h"

class Kirr_ColorImage : public Kirr_ColorImageIF
{
public:
    // Allocates its own zero-filled buffer when data is null (the strides
    // must then describe a dense layout: |channel stride| = bytes per
    // channel, pixel stride >= channels * that, row stride >= width * pixel
    // stride); otherwise a view whose data is the first channel of the first
    // pixel. Not valid when the buffer cannot be allocated or an argument is
    // out of range.
    Kirr_ColorImage(int width, int height, quint32 colorSpace, int bitsPerChannel, int channels,
                    qint64 rowStride, qint64 pixelStride, qint64 channelStride,
                    uchar *data = nullptr);
    ~Kirr_ColorImage() override;

    Kirr_ColorImage(const Kirr_ColorImage &) = delete;
    Kirr_ColorImage &operator=(const Kirr_ColorImage &) = delete;

    bool isValid() const override;
    int width() const override { return m_width; }
    int height() const override { return m_height; }
    quint32 colorSpace() const override { return m_colorSpace; }
    int bitsPerChannel() const override { return m_bits; }
    int bytesPerChannel() const override { return m_bytesPerChannel; }
    int channels() const override { return m_channels; }
    qint64 rowStride() const override { return m_rowStride; }
    qint64 pixelStride() const override { return m_pixelStride; }
    qint64 channelStride() const override { return m_channelStride; }
    bool ownsData() const { return m_owned != nullptr; }

    uchar *rowData(int row) override;
    const uchar *rowData(int row) const override;
    uchar *pixelData(int x, int y) override;
    const uchar *pixelData(int x, int y) const override;
    int sample(int x, int y, int c) const override;
    void setSample(int x, int y, int c, int value) override;

    bool copyImage(const Kirr_ColorImageIF &source) override;
    bool copyRow(int row, const Kirr_ColorImageIF &source, int sourceRow) override;
    bool applyCurves(const double *factors, const Kirr_BezierLut *lut, const Kirr_Spline1 *spline,
                     double gamma, double gain) override;

private:
    int m_width = 0;
    int m_height = 0;
    quint32 m_colorSpace = 0x20202020u;
    int m_bits = 0;
    int m_bytesPerChannel = 0;
    int m_channels = 0;
    qint64 m_rowStride = 0;
    qint64 m_pixelStride = 0;
    qint64 m_channelStride = 0;
    uchar *m_data = nullptr;   // first channel of the first pixel
    uchar *m_owned = nullptr;  // owned buffer, null for a view
};
