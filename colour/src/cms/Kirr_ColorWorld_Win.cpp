#include "colour/Kirr_ColorWorld_Win.h"

#include "colour/Kirr_ColorImage.h"
#include "colour/Kirr_ColorProfile_Win.h"
#include "colour/Kirr_colorLibrary.h"
#include "engine/colour_maths.h"
#include "platform/cms.h"

#include <cstring>
#include <vector>

namespace cms = platform::cms;

namespace {

constexpr quint32 kRGB = 0x52474220u;
constexpr quint32 kXYZ = 0x58595a20u;
constexpr quint32 kLab = 0x4c616220u;
constexpr quint32 kCMYK = 0x434d594bu;

quint16 word(double v)
{
    const double r = Kirr_round(v);
    if (!(r > 0))
        return 0;
    return r >= 65535.0 ? 65535 : quint16(r);
}

void encode(const double *in, cms::ColourType type, cms::Word4 *out)
{
    out->w[3] = 0;
    switch (type) {
    case cms::ColourType::lab:
        Kirr_encodeLab16(in, &out->w[0], &out->w[1], &out->w[2]);
        break;
    case cms::ColourType::xyz:
        for (int c = 0; c < 3; ++c)
            out->w[c] = word(in[c] * 327.68);
        break;
    case cms::ColourType::cmyk:
        for (int c = 0; c < 4; ++c)
            out->w[c] = word(in[c] * 65535.0);
        break;
    default:
        for (int c = 0; c < 3; ++c)
            out->w[c] = word(in[c] * 65535.0);
        break;
    }
}

void decode(const cms::Word4 &in, cms::ColourType type, double *out)
{
    switch (type) {
    case cms::ColourType::lab:
        Kirr_decodeLab16(in.w[0], in.w[1], in.w[2], out);
        break;
    case cms::ColourType::xyz:
        for (int c = 0; c < 3; ++c)
            out[c] = in.w[c] / 327.68;
        break;
    default:
        for (int c = 0; c < 3; ++c)
            out[c] = in.w[c] / 65535.0;
        break;
    }
}

int inputChannels(cms::ColourType type) { return type == cms::ColourType::cmyk ? 4 : 3; }

// Rows whose colour channels lie next to each other in natural or reversed
// order, with extra channels in the rest of each pixel, go to the transform
// as they are; 16-bit Lab rows only when dense and in natural order.
bool directLayout(const Kirr_ColorImageIF &image, cms::BitmapFormat format, cms::Layout *layout)
{
    const qint64 bytes = image.bytesPerChannel();
    const qint64 cs = image.channelStride();
    const qint64 ps = image.pixelStride();
    // 16-bit Lab goes as it is when dense and in natural order.
    const bool dense_lab = format == cms::BitmapFormat::lab16 && cs == bytes && ps == 3 * bytes;
    if ((!cms::is_direct(format) && !dense_lab) || (cs != bytes && cs != -bytes)
        || ps % bytes != 0)
        return false;
    const qint64 extra = ps / bytes - image.channels();
    if (extra < 0 || extra > 7 || image.channels() != cms::bitmap_channels(format))
        return false;
    layout->format = format;
    layout->reversed = cs < 0;
    layout->extra = int(extra);
    return true;
}

const uchar *lowestChannel(const Kirr_ColorImageIF &image, int row)
{
    const uchar *p = image.rowData(row);
    if (p && image.channelStride() < 0)
        p += qint64(image.channels() - 1) * image.channelStride();
    return p;
}

uchar *lowestChannel(Kirr_ColorImageIF &image, int row)
{
    return const_cast<uchar *>(lowestChannel(static_cast<const Kirr_ColorImageIF &>(image), row));
}

bool reversedFormat(int f)
{
    return f == int(cms::BitmapFormat::rgb8) || f == int(cms::BitmapFormat::rgb16)
        || f == int(cms::BitmapFormat::cmyk8);
}

}  // namespace

Kirr_ColorWorld_Win::Kirr_ColorWorld_Win(const Kirr_ColorProfile_Win *source,
                                         const Kirr_ColorProfile_Win *destination, int intent)
{
    if (!source || !destination || !source->handle() || !destination->handle())
        return;
    const int mapped = (intent == 1 || intent == 2 || intent == 3) ? intent : 0;
    m_transform = cms::Transform::create({source->handle(), destination->handle()}, mapped);
}

Kirr_ColorWorld_Win::~Kirr_ColorWorld_Win() = default;

bool Kirr_ColorWorld_Win::isValid() const { return m_transform != nullptr; }

int Kirr_ColorWorld_Win::bitmapFormat(quint32 cs, int bytesPerChannel)
{
    using F = cms::BitmapFormat;
    F f = F::none;
    if (bytesPerChannel == 1) {
        switch (cs) {
        case kRGB: f = F::rgb8; break;
        case kXYZ: f = F::xyz8; break;
        case kLab: f = F::lab8; break;
        case kCMYK: f = F::cmyk8; break;
        default:
            if (cs == Kirr_sig("5CLR") || cs == Kirr_sig("MCH5"))
                f = F::ch5;
            else if (cs == Kirr_sig("6CLR") || cs == Kirr_sig("MCH6"))
                f = F::ch6;
            else if (cs == Kirr_sig("7CLR") || cs == Kirr_sig("MCH7"))
                f = F::ch7;
            else if (cs == Kirr_sig("8CLR") || cs == Kirr_sig("MCH8"))
                f = F::ch8;
            break;
        }
    } else if (bytesPerChannel == 2) {
        switch (cs) {
        case kRGB: f = F::rgb16; break;
        case kXYZ: f = F::xyz16; break;
        case kLab: f = F::lab16; break;
        default: break;
        }
    }
    return int(f);
}

bool Kirr_ColorWorld_Win::translate(const double *in, int inType, double *out, int outType,
                                    int count)
{
    if (!m_transform || !in || !out || count <= 0)
        return false;
    const auto it = cms::ColourType(inType);
    const auto ot = cms::ColourType(outType);
    const int nin = inputChannels(it);
    const std::size_t n = static_cast<std::size_t>(count);
    std::vector<cms::Word4> a(n), b(n);
    for (int i = 0; i < count; ++i)
        encode(in + qint64(i) * nin, it, &a[std::size_t(i)]);
    if (!m_transform->translate_colours(a.data(), a.size(), it, b.data(), ot))
        return false;
    for (int i = 0; i < count; ++i)
        decode(b[std::size_t(i)], ot, out + qint64(i) * 3);
    return true;
}

bool Kirr_ColorWorld_Win::labToRgb(const double *lab, double *rgb, int count)
{
    return translate(lab, int(cms::ColourType::lab), rgb, int(cms::ColourType::rgb), count);
}

bool Kirr_ColorWorld_Win::cmykToLab(const double *cmyk, double *lab, int count)
{
    return translate(cmyk, int(cms::ColourType::cmyk), lab, int(cms::ColourType::lab), count);
}

bool Kirr_ColorWorld_Win::rgbToLab(const double *rgb, double *lab, int count)
{
    return translate(rgb, int(cms::ColourType::rgb), lab, int(cms::ColourType::lab), count);
}

bool Kirr_ColorWorld_Win::xyzToRgb(const double *xyz, double *rgb, int count)
{
    return translate(xyz, int(cms::ColourType::xyz), rgb, int(cms::ColourType::rgb), count);
}

bool Kirr_ColorWorld_Win::rgbToXyz(const double *rgb, double *xyz, int count)
{
    return translate(rgb, int(cms::ColourType::rgb), xyz, int(cms::ColourType::xyz), count);
}

bool Kirr_ColorWorld_Win::rgbToRgb(const double *rgbIn, double *rgbOut, int count)
{
    return translate(rgbIn, int(cms::ColourType::rgb), rgbOut, int(cms::ColourType::rgb), count);
}

bool Kirr_ColorWorld_Win::rgbToRgbInPlace(double *rgb, int count)
{
    return rgbToRgb(rgb, rgb, count);
}

bool Kirr_ColorWorld_Win::convertRow(const uchar *sourceRow, int sourceFormat,
                                     uchar *destinationRow, int destinationFormat, int width)
{
    using F = cms::BitmapFormat;
    if (sourceFormat != int(F::xyz16))
        return m_transform->translate_row(sourceRow, F(sourceFormat), destinationRow,
                                          F(destinationFormat), std::size_t(width));
    // 16-bit XYZ rows: words with 1.0 = 32768.
    std::vector<cms::Word4> xyz(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x) {
        std::memcpy(xyz[std::size_t(x)].w, sourceRow + qint64(x) * 6, 6);
        xyz[std::size_t(x)].w[3] = 0;
    }
    if (destinationFormat == int(F::lab16)) {
        for (int x = 0; x < width; ++x) {
            const cms::Word4 &w = xyz[std::size_t(x)];
            const double v[3] = {w.w[0] / 32768.0, w.w[1] / 32768.0, w.w[2] / 32768.0};
            double lab[3];
            cm_xyz_to_lab(v, cm_icc_d50_white, lab);  // the PCS white of these XYZ values
            quint16 out[3];
            Kirr_encodeLab16(lab, &out[0], &out[1], &out[2]);
            std::memcpy(destinationRow + qint64(x) * 6, out, 6);
        }
        return true;
    }
    if (destinationFormat != int(F::rgb8) && destinationFormat != int(F::rgb16))
        return false;
    std::vector<cms::Word4> rgb(static_cast<std::size_t>(width));
    if (!m_transform->translate_colours(xyz.data(), xyz.size(), cms::ColourType::xyz, rgb.data(),
                                        cms::ColourType::rgb))
        return false;
    for (int x = 0; x < width; ++x) {
        const cms::Word4 &w = rgb[std::size_t(x)];
        for (int c = 0; c < 3; ++c) {
            // Rows of these formats hold B, G, R.
            if (destinationFormat == int(F::rgb8)) {
                const int v = w.w[c] > 65152 ? 255 : (w.w[c] + 127) >> 8;
                destinationRow[qint64(x) * 3 + (2 - c)] = uchar(v);
            } else {
                std::memcpy(destinationRow + qint64(x) * 6 + (2 - c) * 2, &w.w[c], 2);
            }
        }
    }
    return true;
}

bool Kirr_ColorWorld_Win::transformImage(const Kirr_ColorImageIF &source,
                                         Kirr_ColorImageIF &destination)
{
    if (!m_transform || !source.isValid() || !destination.isValid()
        || source.width() != destination.width() || source.height() != destination.height())
        return false;
    const int sf = bitmapFormat(source.colorSpace(), source.bytesPerChannel());
    const int df = bitmapFormat(destination.colorSpace(), destination.bytesPerChannel());
    if (!sf || !df)
        return false;
    const int width = source.width();
    const int height = source.height();

    // Fast road: the images' own rows go to the transform.
    cms::Layout sl, dl;
    if (sf != int(cms::BitmapFormat::xyz16) && directLayout(source, cms::BitmapFormat(sf), &sl)
        && directLayout(destination, cms::BitmapFormat(df), &dl)) {
        // In one call where the rows lie at even strides, so that the
        // transform may share them out.
        const qint64 ss = source.rowStride(), ds = destination.rowStride();
        if (ss > 0 && ds > 0)
            return m_transform->translate_bitmap(lowestChannel(source, 0), sl, std::size_t(width),
                                                 std::size_t(height), std::size_t(ss),
                                                 lowestChannel(destination, 0), dl,
                                                 std::size_t(ds));
        for (int y = 0; y < height; ++y) {
            if (!m_transform->translate_bitmap(lowestChannel(source, y), sl, std::size_t(width),
                                               1, 0, lowestChannel(destination, y), dl, 0))
                return false;
        }
        return true;
    }

    // Through dense rows in the formats' own layouts.
    const int sb = source.bytesPerChannel(), db = destination.bytesPerChannel();
    const int sc = source.channels(), dc = destination.channels();
    std::vector<uchar> srcRow(std::size_t(width) * std::size_t(sc) * std::size_t(sb));
    std::vector<uchar> dstRow(std::size_t(width) * std::size_t(dc) * std::size_t(db));
    const bool sRev = reversedFormat(sf), dRev = reversedFormat(df);
    Kirr_ColorImage srcView(width, 1, source.colorSpace(), source.bitsPerChannel(), sc,
                            qint64(width) * sc * sb, qint64(sc) * sb, sRev ? -sb : sb,
                            srcRow.data() + (sRev ? (sc - 1) * sb : 0));
    Kirr_ColorImage dstView(width, 1, destination.colorSpace(), destination.bitsPerChannel(), dc,
                            qint64(width) * dc * db, qint64(dc) * db, dRev ? -db : db,
                            dstRow.data() + (dRev ? (dc - 1) * db : 0));
    if (!srcView.isValid() || !dstView.isValid())
        return false;
    for (int y = 0; y < height; ++y) {
        if (!srcView.copyRow(0, source, y)
            || !convertRow(srcRow.data(), sf, dstRow.data(), df, width)
            || !destination.copyRow(y, dstView, 0))
            return false;
    }
    return true;
}
