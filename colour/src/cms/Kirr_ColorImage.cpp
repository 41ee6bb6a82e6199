#include "colour/Kirr_ColorImage.h"

#include "colour/Kirr_BezierLut.h"
#include "colour/Kirr_Spline1.h"

#include <QVector>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace {

int readSample(const uchar *p, int bytes)
{
    if (bytes == 1)
        return *p;
    quint16 w;
    std::memcpy(&w, p, 2);
    return w;
}

void writeSample(uchar *p, int bytes, int v)
{
    if (bytes == 1) {
        *p = uchar(v < 0 ? 0 : v > 255 ? 255 : v);
        return;
    }
    const quint16 w = quint16(v < 0 ? 0 : v > 65535 ? 65535 : v);
    std::memcpy(p, &w, 2);
}

int convertDepth(int v, int fromBytes, int toBytes)
{
    if (fromBytes == toBytes)
        return v;
    return toBytes == 2 ? v * 257 : (v + 128) / 257;
}

}  // namespace

Kirr_ColorImage::Kirr_ColorImage(int width, int height, quint32 colorSpace, int bitsPerChannel,
                                 int channels, qint64 rowStride, qint64 pixelStride,
                                 qint64 channelStride, uchar *data)
{
    if (width <= 0 || height <= 0 || bitsPerChannel <= 0 || bitsPerChannel > 16 || channels <= 0)
        return;
    const int bytes = (bitsPerChannel + 7) / 8;
    if (std::llabs(channelStride) < bytes || pixelStride < qint64(channels) * bytes
        || std::llabs(rowStride) < qint64(width) * pixelStride)
        return;
    m_width = width;
    m_height = height;
    m_colorSpace = colorSpace;
    m_bits = bitsPerChannel;
    m_bytesPerChannel = bytes;
    m_channels = channels;
    m_rowStride = rowStride;
    m_pixelStride = pixelStride;
    m_channelStride = channelStride;
    if (data) {
        m_data = data;
        return;
    }
    // An owned buffer is dense and top-down.
    if (rowStride < 0 || std::llabs(channelStride) != bytes) {
        m_width = 0;
        return;
    }
    const qint64 total = rowStride * height;
    if (total <= 0 || quint64(total) > quint64(std::numeric_limits<qint64>::max() / 2)) {
        m_width = 0;
        return;
    }
    m_owned = new (std::nothrow) uchar[std::size_t(total)]();
    if (!m_owned) {
        m_width = 0;
        return;
    }
    m_data = channelStride < 0 ? m_owned + (channels - 1) * bytes : m_owned;
}

Kirr_ColorImage::~Kirr_ColorImage() { delete[] m_owned; }

bool Kirr_ColorImage::isValid() const { return m_data && m_width > 0 && m_height > 0; }

uchar *Kirr_ColorImage::rowData(int row)
{
    if (!isValid() || row < 0 || row >= m_height)
        return nullptr;
    return m_data + qint64(row) * m_rowStride;
}

const uchar *Kirr_ColorImage::rowData(int row) const
{
    return const_cast<Kirr_ColorImage *>(this)->rowData(row);
}

uchar *Kirr_ColorImage::pixelData(int x, int y)
{
    uchar *row = rowData(y);
    if (!row || x < 0 || x >= m_width)
        return nullptr;
    return row + qint64(x) * m_pixelStride;
}

const uchar *Kirr_ColorImage::pixelData(int x, int y) const
{
    return const_cast<Kirr_ColorImage *>(this)->pixelData(x, y);
}

int Kirr_ColorImage::sample(int x, int y, int c) const
{
    const uchar *p = pixelData(x, y);
    if (!p || c < 0 || c >= m_channels)
        return 0;
    return readSample(p + qint64(c) * m_channelStride, m_bytesPerChannel);
}

void Kirr_ColorImage::setSample(int x, int y, int c, int value)
{
    uchar *p = pixelData(x, y);
    if (!p || c < 0 || c >= m_channels)
        return;
    writeSample(p + qint64(c) * m_channelStride, m_bytesPerChannel, value);
}

bool Kirr_ColorImage::copyRow(int row, const Kirr_ColorImageIF &source, int sourceRow)
{
    uchar *d = rowData(row);
    const uchar *s = source.rowData(sourceRow);
    if (!d || !s || source.width() != m_width || source.channels() != m_channels)
        return false;
    const int sb = source.bytesPerChannel();
    const int db = m_bytesPerChannel;
    const qint64 sps = source.pixelStride(), scs = source.channelStride();
    // Same dense layout: one block copy.
    if (sb == db && scs == m_channelStride && sps == m_pixelStride
        && m_pixelStride == qint64(m_channels) * db) {
        const qint64 low = m_channelStride < 0 ? qint64(m_channels - 1) * m_channelStride : 0;
        std::memmove(d + low, s + low, std::size_t(m_pixelStride * m_width));
        return true;
    }
    for (int x = 0; x < m_width; ++x) {
        const uchar *sp = s + qint64(x) * sps;
        uchar *dp = d + qint64(x) * m_pixelStride;
        for (int c = 0; c < m_channels; ++c) {
            const int v = readSample(sp + qint64(c) * scs, sb);
            writeSample(dp + qint64(c) * m_channelStride, db, convertDepth(v, sb, db));
        }
    }
    return true;
}

bool Kirr_ColorImage::copyImage(const Kirr_ColorImageIF &source)
{
    if (!isValid() || !source.isValid() || source.width() != m_width
        || source.height() != m_height || source.channels() != m_channels)
        return false;
    for (int y = 0; y < m_height; ++y)
        if (!copyRow(y, source, y))
            return false;
    return true;
}

bool Kirr_ColorImage::applyCurves(const double *factors, const Kirr_BezierLut *lut,
                                  const Kirr_Spline1 *spline, double gamma, double gain)
{
    if (!isValid() || (m_bits != 8 && m_bits != 16))
        return false;
    const int maximum = m_bits == 8 ? 255 : 65535;
    Kirr_BezierLut built;
    if (lut && !lut->isEmpty() && !lut->isBuilt()) {
        built = *lut;
        built.build();
        lut = &built;
    }
    const bool useLut = lut && !lut->isEmpty();
    const bool useSpline = !useLut && spline && !spline->isEmpty();
    const bool useGamma = !useLut && !useSpline && gamma > 0 && gamma != 1.0;
    // One table per channel over every sample value.
    QVector<QVector<int>> tables(m_channels);
    for (int c = 0; c < m_channels; ++c) {
        QVector<int> &t = tables[c];
        t.resize(maximum + 1);
        for (int s = 0; s <= maximum; ++s) {
            double v = double(s) / maximum;
            if (factors) {
                v *= factors[c];
                if (v > 1.0)
                    v = 1.0;
            }
            if (useLut)
                v = lut->evaluate(v);
            else if (useSpline)
                v = spline->evaluate(v, 1.0);
            else if (useGamma)
                v = v > 0 ? std::pow(v, 1.0 / gamma) : 0.0;
            v *= gain;
            const double r = std::floor(v * maximum + 0.5);
            t[s] = !(r > 0) ? 0 : r > maximum ? maximum : int(r);
        }
    }
    for (int y = 0; y < m_height; ++y) {
        uchar *row = rowData(y);
        for (int x = 0; x < m_width; ++x) {
            uchar *p = row + qint64(x) * m_pixelStride;
            for (int c = 0; c < m_channels; ++c) {
                uchar *q = p + qint64(c) * m_channelStride;
                writeSample(q, m_bytesPerChannel, tables[c][readSample(q, m_bytesPerChannel)]);
            }
        }
    }
    return true;
}
