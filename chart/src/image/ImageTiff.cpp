#include <chart/Image.h>
#include <chart/ImageMetadata.h>

#include "ChartLogging.h"

#include <tiffio.h>

#include <QDebug>

#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr int kMaxChannels = 32;
constexpr std::uint64_t kMaxStripBytes = std::uint64_t(1) << 30;

enum class SampleKind { UInt8, UInt16, Float32 };

// Sample layouts read exactly: 8 and 16-bit integers and 32-bit IEEE floats.
// CIELab stores signed a/b in integer samples, so a signed format is taken
// there too.
bool sampleKindOf(int bits, int format, int photometric, SampleKind& kind)
{
    const bool lab = photometric == PHOTOMETRIC_CIELAB;
    if ((bits == 8 || bits == 16)
        && (format == SAMPLEFORMAT_UINT || (lab && format == SAMPLEFORMAT_INT))) {
        kind = bits == 8 ? SampleKind::UInt8 : SampleKind::UInt16;
        return true;
    }
    if (bits == 32 && format == SAMPLEFORMAT_IEEEFP) {
        kind = SampleKind::Float32;
        return true;
    }
    return false;
}

const char* photometricName(int photometric)
{
    switch (photometric) {
    case PHOTOMETRIC_RGB: return "RGB";
    case PHOTOMETRIC_SEPARATED: return "Separated";
    case PHOTOMETRIC_CIELAB:
    case PHOTOMETRIC_ICCLAB: return "LAB";
    default: return nullptr;
    }
}

// Signed CIELab a/b to the ICC encoding (a/b offset by half the range).
void labRowToIcc(std::uint8_t* row, int width, int channels, SampleKind kind)
{
    if (channels < 3)
        return;
    if (kind == SampleKind::UInt8) {
        for (int x = 0; x < width; ++x) {
            row[x * channels + 1] ^= 0x80;
            row[x * channels + 2] ^= 0x80;
        }
    } else if (kind == SampleKind::UInt16) {
        auto* p = reinterpret_cast<std::uint16_t*>(row);
        for (int x = 0; x < width; ++x) {
            p[x * channels + 1] ^= 0x8000;
            p[x * channels + 2] ^= 0x8000;
        }
    }
}

}  // namespace

bool Image::loadTiffImage(TIFF* tiff, int maxSize)
{
    if (!tiff)
        return false;
    std::uint32_t width = 0, height = 0;
    std::uint16_t bits = 0, samples = 0, format = SAMPLEFORMAT_UINT, compression = 0,
                  photometric = 0, planar = PLANARCONFIG_CONTIG;
    if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height)
        || !TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric))
        return false;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    if (planar != PLANARCONFIG_CONTIG) {
        qCDebug(lcImage) << "Image::loadTiffImage: Planes: not contiguous, bad.";
        return false;
    }
    SampleKind kind;
    if (width < 1 || height < 1 || width > 0x7FFFFFFF || height > 0x7FFFFFFF || samples < 1
        || samples > kMaxChannels || TIFFIsTiled(tiff) || !sampleKindOf(bits, format, photometric, kind))
        return false;

    std::uint32_t rowsPerStrip = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    if (rowsPerStrip < 1 || rowsPerStrip > height)
        rowsPerStrip = height;
    const std::uint32_t stripCount = TIFFNumberOfStrips(tiff);
    const std::uint32_t longer = std::max(width, height);
    const int f = (maxSize > 0 && std::uint32_t(maxSize) < longer) ? int(longer / std::uint32_t(maxSize)) : 1;
    const int outWidth = int(width) / f, outHeight = int(height) / f;
    const std::uint64_t rowBytes = (std::uint64_t(samples) * bits * width + 7) / 8;
    const std::uint64_t stripBytes = rowBytes * rowsPerStrip;
    const std::uint64_t stripsNeeded = (std::uint64_t(height) + rowsPerStrip - 1) / rowsPerStrip;

    if (m_verbose) {
        qCDebug(lcImage, "TIFF: Image is %ld x %ld pixels", long(width), long(height));
        qCDebug(lcImage, "TIFF: sfm=%d (format), spp=%d (channels), bps=%d (bytes per sample)",
                format, samples, bits / 8);
        if (const char* name = photometricName(photometric))
            qCDebug(lcImage, "TIFF: Photometric interpretation: %s", name);
        else
            qCDebug(lcImage, "TIFF: Photometric interpretation: unknown (%d)", photometric);
        qCDebug(lcImage, "TIFF: Planes: contiguous, ok");
        qCDebug(lcImage, "TIFF: Image has %ld strips with %ld rows per strip", long(stripCount),
                long(rowsPerStrip));
        qCDebug(lcImage, "TIFF: A row has %d bytes, therefore StripSize is %ld", int(rowBytes),
                long(stripBytes));
    }
    if (stripCount < stripsNeeded || stripBytes > kMaxStripBytes
        || std::uint64_t(TIFFStripSize64(tiff)) != stripBytes)
        return false;

    std::unique_ptr<std::uint8_t[]> strip(new (std::nothrow) std::uint8_t[stripBytes]);
    if (!strip) {
        qCDebug(lcImage, "allocation of strip memory failed (%lld bytes)",
                static_cast<long long>(stripBytes));
        return false;
    }

    // Channels kept: every channel of a separated image with more than four
    // (those after the fourth inverted), the first three of an RGB image with
    // more, otherwise all.
    int channels = samples;
    int invertFrom = samples;
    if (photometric == PHOTOMETRIC_SEPARATED && samples > 4)
        invertFrom = 4;
    else if (photometric == PHOTOMETRIC_RGB && samples > 3)
        channels = 3;
    const bool wholeRows = f == 1 && channels == samples && invertFrom == samples;
    const int outBits = kind == SampleKind::UInt8 ? 8 : kind == SampleKind::UInt16 ? 16 : 32;

    std::uint32_t row = 0;
    int stored = 0;
    bool allocated = false;
    for (std::uint32_t s = 0; s < stripCount && row < height; ++s) {
        const std::uint32_t rowsHere = std::min(rowsPerStrip, height - row);
        const tmsize_t got = TIFFReadEncodedStrip(tiff, s, strip.get(), tmsize_t(stripBytes));
        if (got < 0 || std::uint64_t(got) < rowBytes * rowsHere)
            return false;
        // Allocated only once the first strip decoded, so that a file that
        // promises a large image but holds nothing costs nothing.
        if (!allocated) {
            if (!m_rawImage.allocate(outWidth, outHeight, channels, outBits, QString(), QString(),
                                     QString(), int(width), int(height)))
                return false;
            allocated = true;
        }
        for (std::uint32_t r = 0; r < rowsHere; ++r, ++row) {
            if (!(f == 1 || (row % std::uint32_t(f) == 0 && stored < outHeight)))
                continue;
            const std::uint8_t* src = strip.get() + std::uint64_t(r) * rowBytes;
            std::uint8_t* dst = m_rawImage.rowBytes(stored);
            if (wholeRows) {
                std::memcpy(dst, src, std::size_t(rowBytes));
            } else {
                for (int x = 0; x < outWidth; ++x) {
                    const std::uint64_t px = std::uint64_t(x) * f * samples;
                    for (int c = 0; c < channels; ++c) {
                        const std::uint64_t i = px + c;
                        const std::uint64_t o = std::uint64_t(x) * channels + c;
                        if (kind == SampleKind::UInt8) {
                            const std::uint8_t v = src[i];
                            dst[o] = c >= invertFrom ? std::uint8_t(255 - v) : v;
                        } else if (kind == SampleKind::UInt16) {
                            std::uint16_t v;
                            std::memcpy(&v, src + i * 2, 2);
                            v = c >= invertFrom ? std::uint16_t(~v) : v;
                            std::memcpy(dst + o * 2, &v, 2);
                        } else {
                            std::memcpy(dst + o * 4, src + i * 4, 4);
                        }
                    }
                }
            }
            if (photometric == PHOTOMETRIC_CIELAB)
                labRowToIcc(dst, outWidth, channels, kind);
            ++stored;
        }
        reportProgress(m_decodeEnd * double(s + 1) / double(stripsNeeded));
        if (aborted()) {
            m_rawImage.clear();
            return false;
        }
    }
    if (!allocated || row < height) {
        m_rawImage.clear();
        return false;
    }

    std::uint32_t iccSize = 0;
    void* icc = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &iccSize, &icc) && icc && iccSize > 0
        && iccSize <= 0x7FFFFFFF) {
        setIcc(static_cast<const std::uint8_t*>(icc), int(iccSize));
        m_ownProfile = iccIsOwnProfile(m_icc, std::size_t(m_iccLength));
    }
    const std::uint16_t* tables[3] = {nullptr, nullptr, nullptr};
    m_transfer.clear();
    if (bits <= 16 && TIFFGetField(tiff, TIFFTAG_TRANSFERFUNCTION, &tables[0], &tables[1], &tables[2])
        && tables[0] && tables[1] && tables[2])
        m_transfer = TransferFunction(1 << bits, tables[0], tables[1], tables[2]);
    const char* text = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_MAKE, &text) && text)
        m_make = QString::fromLatin1(text);
    text = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_MODEL, &text) && text)
        m_model = QString::fromLatin1(text);
    m_rawImage.setMake(m_make);
    m_rawImage.setModel(m_model);

    if (kind == SampleKind::Float32)
        _rawImageType = TypeFloat;
    else if (photometric == PHOTOMETRIC_RGB)
        _rawImageType = TypeRGB;
    else if (photometric == PHOTOMETRIC_SEPARATED)
        _rawImageType = TypeSeparated;
    else if (photometric == PHOTOMETRIC_CIELAB || photometric == PHOTOMETRIC_ICCLAB)
        _rawImageType = TypeLab;
    else
        _rawImageType = TypeOther;
    return true;
}
