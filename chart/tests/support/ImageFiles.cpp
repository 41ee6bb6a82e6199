#include "ImageFiles.h"

#include <tiffio.h>

#include <cstring>
#include <vector>

bool writeTiff(const QString& path, const TiffSpec& s)
{
    TIFF* t = TIFFOpen(path.toUtf8().constData(), "w");
    if (!t)
        return false;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, std::uint32_t(s.width));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, std::uint32_t(s.height));
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, std::uint16_t(s.samples));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, std::uint16_t(s.bits));
    TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, std::uint16_t(s.sampleFormat));
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, std::uint16_t(s.photometric));
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, std::uint16_t(s.planar));
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, std::uint32_t(s.rowsPerStrip));
    TIFFSetField(t, TIFFTAG_COMPRESSION, std::uint16_t(COMPRESSION_NONE));
    if (s.photometric == PHOTOMETRIC_SEPARATED)
        TIFFSetField(t, TIFFTAG_INKSET, std::uint16_t(INKSET_MULTIINK));
    if (s.extraSamples > 0) {
        std::vector<std::uint16_t> kinds(std::size_t(s.extraSamples), EXTRASAMPLE_ASSOCALPHA);
        TIFFSetField(t, TIFFTAG_EXTRASAMPLES, std::uint16_t(s.extraSamples), kinds.data());
    }
    if (!s.icc.isEmpty())
        TIFFSetField(t, TIFFTAG_ICCPROFILE, std::uint32_t(s.icc.size()), s.icc.constData());
    std::vector<std::uint16_t> curve;
    if (s.transfer) {
        curve.resize(std::size_t(1) << s.bits);
        for (std::size_t i = 0; i < curve.size(); ++i)
            curve[i] = std::uint16_t(i * 65535 / (curve.size() - 1));
        TIFFSetField(t, TIFFTAG_TRANSFERFUNCTION, curve.data(), curve.data(), curve.data());
    }
    if (!s.make.isEmpty())
        TIFFSetField(t, TIFFTAG_MAKE, s.make.toLatin1().constData());
    if (!s.model.isEmpty())
        TIFFSetField(t, TIFFTAG_MODEL, s.model.toLatin1().constData());

    const int bytes = s.bits / 8 > 0 ? s.bits / 8 : 1;
    const std::size_t rowBytes = (std::size_t(s.width) * s.samples * s.bits + 7) / 8;
    std::vector<std::uint8_t> row(rowBytes);
    bool ok = true;
    for (int y = 0; y < s.height && ok; ++y) {
        if (s.bits >= 8) {
            for (int x = 0; x < s.width; ++x)
                for (int c = 0; c < s.samples; ++c) {
                    const double v = s.value(x, y, c);
                    std::uint8_t* p = row.data() + (std::size_t(x) * s.samples + c) * bytes;
                    if (s.sampleFormat == 3) {
                        const float f = float(v);
                        std::memcpy(p, &f, 4);
                    } else if (bytes == 1) {
                        *p = std::uint8_t(int(v));
                    } else if (bytes == 2) {
                        const std::uint16_t u = std::uint16_t(int(v));
                        std::memcpy(p, &u, 2);
                    } else {
                        const std::uint32_t u = std::uint32_t(v);
                        std::memcpy(p, &u, 4);
                    }
                }
        }
        ok = TIFFWriteScanline(t, row.data(), std::uint32_t(y), 0) == 1;
    }
    TIFFClose(t);
    return ok;
}

bool writeDng(const QString& path, int width, int height, const std::uint16_t rgb[3], bool linear,
              const char* make, const char* model)
{
    const std::uint16_t value[3] = {rgb[0], rgb[1], rgb[2]};
    return writeDng(path, width, height, [&value](int, int, int c) { return value[c]; }, linear,
                    make, model);
}

bool writeDng(const QString& path, int width, int height,
              const std::function<std::uint16_t(int x, int y, int c)>& value, bool linear,
              const char* make, const char* model, int orientation)
{
    TIFF* t = TIFFOpen(path.toUtf8().constData(), "w");
    if (!t)
        return false;
    const int samples = linear ? 3 : 1;
    static const std::uint8_t version[4] = {1, 4, 0, 0};
    TIFFSetField(t, TIFFTAG_SUBFILETYPE, std::uint32_t(0));
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, std::uint32_t(width));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, std::uint32_t(height));
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, std::uint16_t(samples));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, std::uint16_t(16));
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, std::uint16_t(linear ? std::uint16_t(34892) : std::uint16_t(32803)));
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, std::uint16_t(PLANARCONFIG_CONTIG));
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, std::uint32_t(16));
    TIFFSetField(t, TIFFTAG_COMPRESSION, std::uint16_t(COMPRESSION_NONE));
    TIFFSetField(t, TIFFTAG_MAKE, make);
    TIFFSetField(t, TIFFTAG_MODEL, model);
    TIFFSetField(t, TIFFTAG_DNGVERSION, version);
    TIFFSetField(t, TIFFTAG_DNGBACKWARDVERSION, version);
    TIFFSetField(t, TIFFTAG_UNIQUECAMERAMODEL, model);
    if (orientation != 1)
        TIFFSetField(t, TIFFTAG_ORIENTATION, std::uint16_t(orientation));
    if (!linear) {
        static const std::uint16_t dim[2] = {2, 2};
        static const std::uint8_t pattern[4] = {0, 1, 1, 2};
        TIFFSetField(t, TIFFTAG_CFAREPEATPATTERNDIM, dim);
        TIFFSetField(t, TIFFTAG_CFAPATTERN, 4, pattern);
    }
    const std::uint32_t white = 65535;
    TIFFSetField(t, TIFFTAG_WHITELEVEL, 1, &white);
    const float black = 0.0f;
    TIFFSetField(t, TIFFTAG_BLACKLEVEL, 1, &black);
    static const float matrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    TIFFSetField(t, TIFFTAG_COLORMATRIX1, 9, matrix);
    TIFFSetField(t, TIFFTAG_CALIBRATIONILLUMINANT1, std::uint16_t(21));
    static const float neutral[3] = {1, 1, 1};
    TIFFSetField(t, TIFFTAG_ASSHOTNEUTRAL, 3, neutral);

    std::vector<std::uint16_t> row(std::size_t(width) * samples);
    bool ok = true;
    for (int y = 0; y < height && ok; ++y) {
        for (int x = 0; x < width; ++x) {
            if (linear) {
                for (int c = 0; c < 3; ++c)
                    row[std::size_t(x) * 3 + c] = value(x, y, c);
            } else {
                const int c = (y & 1) == 0 ? ((x & 1) == 0 ? 0 : 1) : ((x & 1) == 0 ? 1 : 2);
                row[std::size_t(x)] = value(x, y, c);
            }
        }
        ok = TIFFWriteScanline(t, row.data(), std::uint32_t(y), 0) == 1;
    }
    TIFFClose(t);
    return ok;
}

namespace {
void put32(QByteArray& b, int at, std::uint32_t v)
{
    b[at] = char(v >> 24);
    b[at + 1] = char(v >> 16);
    b[at + 2] = char(v >> 8);
    b[at + 3] = char(v);
}
}  // namespace

QByteArray makeIcc(const std::vector<std::pair<std::uint32_t, QByteArray>>& tags)
{
    QByteArray b(int(132 + 12 * tags.size()), '\0');
    put32(b, 128, std::uint32_t(tags.size()));
    for (std::size_t i = 0; i < tags.size(); ++i) {
        while (b.size() % 4)
            b.append('\0');
        put32(b, int(132 + 12 * i), tags[i].first);
        put32(b, int(132 + 12 * i + 4), std::uint32_t(b.size()));
        put32(b, int(132 + 12 * i + 8), std::uint32_t(tags[i].second.size()));
        b.append(tags[i].second);
    }
    put32(b, 0, std::uint32_t(b.size()));
    return b;
}

QByteArray jpegSegment(std::uint8_t marker, const QByteArray& body)
{
    QByteArray s;
    s.append(char(0xFF));
    s.append(char(marker));
    const int length = body.size() + 2;
    s.append(char(length >> 8));
    s.append(char(length & 0xFF));
    return s + body;
}

QByteArray insertJpegSegments(const QByteArray& jpeg, const std::vector<QByteArray>& segments)
{
    QByteArray out = jpeg.left(2);
    for (const QByteArray& s : segments)
        out += s;
    return out + jpeg.mid(2);
}
