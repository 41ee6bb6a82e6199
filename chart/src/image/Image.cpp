#include <chart/Image.h>
#include <chart/ImageMetadata.h>
#include <chart/RawDecoder.h>

#include "ChartLogging.h"
#include "TiffOpen.h"

#include <tiffio.h>

#include <QByteArray>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace {

constexpr int kMaxLoadSize = 2000;
const char kRawOptions[] = "-v -T -4 -o 0 -r 1 1 1 1";
const char kListedExtensions[] = "bmp jpg jpeg png tif tiff";
// Camera raw formats of the decoder's library, by their usual extensions.
const char kCameraRawExtensions[] =
    "3fr ari arw bay cap cr2 cr3 crw dcr dcs dng drf eip erf fff gpr iiq k25 kdc mdc mef mos mrw nef nrw "
    "orf pef ptx pxn raf raw rw2 rwl sr2 srf srw x3f";

void decoderProgress(void* image, double fraction)
{
    Image::imageProgressHook(static_cast<Image*>(image), fraction);
}

bool decoderAbort(void* image)
{
    return Image::imageAbortHook(static_cast<Image*>(image));
}

// table[v] = the stretched byte of the 16-bit sample v: (v - black) x scale,
// clamped to 0..1, raised to gamma, scaled to 0..255. The byte rises with v,
// so each byte's first sample is searched for, and the power is taken only
// there.
void fillStretchTable(int black, double scale, double gamma, std::uint8_t* table)
{
    auto stretched = [&](int v) {
        const double t = std::clamp((v - black) * scale, 0.0, 1.0);
        return int(std::lround(std::pow(t, gamma) * 255.0));
    };
    int from = 0;
    for (int byte = stretched(0); from < 65536; ++byte) {
        // The first sample above from whose byte is beyond this one.
        int lo = from, hi = 65536;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (stretched(mid) > byte)
                hi = mid;
            else
                lo = mid + 1;
        }
        std::fill(table + from, table + lo, std::uint8_t(byte));
        from = lo;
    }
}

}  // namespace

Image::Image() = default;

Image::Image(const Image& other) : Image()
{
    Image copy;
    copy.m_verbose = other.m_verbose;
    copy.m_preview = other.m_preview;
    copy.m_stretchedPreview = other.m_stretchedPreview;
    copy.m_stretch = other.m_stretch;
    copy.m_rawImage = other.m_rawImage;
    copy.m_make = other.m_make;
    copy.m_model = other.m_model;
    copy.m_software = other.m_software;
    copy.m_raw = other.m_raw;
    copy.setIcc(other.m_icc, other.m_iccLength);
    copy.m_ownProfile = other.m_ownProfile;
    copy.m_transfer = other.m_transfer;
    copy.m_exif = other.m_exif;
    copy.m_decodeEnd = other.m_decodeEnd;
    copy.m_previewEnd = other.m_previewEnd;
    copy._rawImageType = other._rawImageType;
    swap(copy);
}

Image& Image::operator=(Image other)
{
    swap(other);
    return *this;
}

Image::~Image()
{
    delete[] m_icc;
}

void Image::swap(Image& other)
{
    using std::swap;
    swap(m_verbose, other.m_verbose);
    swap(m_preview, other.m_preview);
    swap(m_stretchedPreview, other.m_stretchedPreview);
    swap(m_stretch, other.m_stretch);
    swap(m_rawImage, other.m_rawImage);
    swap(m_make, other.m_make);
    swap(m_model, other.m_model);
    swap(m_software, other.m_software);
    swap(m_raw, other.m_raw);
    swap(m_iccLength, other.m_iccLength);
    swap(m_icc, other.m_icc);
    swap(m_ownProfile, other.m_ownProfile);
    // TransferFunction has no cheap swap; three copies of at most 3 x 64 K.
    TransferFunction transfer(m_transfer);
    m_transfer = other.m_transfer;
    other.m_transfer = transfer;
    swap(m_exif, other.m_exif);
    swap(m_decodeEnd, other.m_decodeEnd);
    swap(m_previewEnd, other.m_previewEnd);
    swap(_rawImageType, other._rawImageType);
}

void Image::setLoadHooks(ProgressFunction progress, AbortFunction abort, void* userData)
{
    m_progress = progress;
    m_abort = abort;
    m_userData = userData;
}

void Image::imageProgressHook(Image* image, double fraction)
{
    if (image && image->m_progress)
        image->m_progress(image->m_userData, fraction);
}

bool Image::imageAbortHook(Image* image)
{
    if (image && image->m_abort)
        return image->m_abort(image->m_userData);
    return false;
}

void Image::setIcc(const std::uint8_t* bytes, int length)
{
    delete[] m_icc;
    m_icc = nullptr;
    m_iccLength = 0;
    if (!bytes || length <= 0)
        return;
    m_icc = new (std::nothrow) std::uint8_t[std::size_t(length)];
    if (!m_icc)
        return;
    std::memcpy(m_icc, bytes, std::size_t(length));
    m_iccLength = length;
}

void Image::reset()
{
    m_make.clear();
    m_model.clear();
    m_software.clear();
    setIcc(nullptr, 0);
    m_ownProfile = false;
    m_transfer.clear();
    m_exif = ExifExposure{};
    _rawImageType = TypeNone;
    m_rawImage.clear();
    m_raw = false;
    m_preview = QPixmap();
    m_stretchedPreview = QPixmap();
    m_stretch = ImageStretch();
}

void Image::tidyTexts()
{
    auto chopBlanks = [](QString& s) {
        int n = s.size();
        while (n > 0 && s.at(n - 1) == QLatin1Char(' '))
            --n;
        s.truncate(n);
    };
    chopBlanks(m_make);
    chopBlanks(m_model);
    if (!m_make.isEmpty() && m_model.startsWith(m_make, Qt::CaseSensitive)) {
        int i = m_make.size();
        while (i < m_model.size() && m_model.at(i) == QLatin1Char(' '))
            ++i;
        m_model = m_model.mid(i);
    }
}

bool Image::loadRawFile(const QString& path)
{
    QStringList words = QStringLiteral("dcraw").split(' ');
    words += QString::fromLatin1(kRawOptions).split(' ');
    words += shortPathName(path);
    std::vector<QByteArray> copies;
    copies.reserve(std::size_t(words.size()));
    for (const QString& w : words)
        copies.push_back(w.toUtf8());
    std::vector<const char*> argv;
    for (const QByteArray& c : copies)
        argv.push_back(c.constData());
    argv.push_back(nullptr);

    RawDecoderHooks hooks;
    hooks.progress = decoderProgress;
    hooks.abort = decoderAbort;
    hooks.context = this;
    hooks.endFraction = m_decodeEnd;
    const RawDecoderResult result =
        rawDecoderMain(int(copies.size()), argv.data(), &m_rawImage, kMaxLoadSize, hooks);
    m_raw = true;
    // Only a decode that succeeded counts, however much of the buffer exists.
    if (result != RAW_DECODE_OK || m_rawImage.sampleType() == RawImageIF::NoSamples)
        return false;
    _rawImageType = TypeRGB;
    m_make = m_rawImage.make();
    m_model = m_rawImage.model();
    m_software = m_rawImage.software();
    return true;
}

bool Image::loadOtherImage(const QString& path)
{
    QImage image;
    if (!image.load(path)) {
        qCDebug(lcImage, "Image::loadImage(): image not loaded!");
        return false;
    }
    if (image.depth() != 32) {
        qCDebug(lcImage, "Image::loadImage(): wrong image depth!");
        return false;
    }
    const int w = image.width(), h = image.height();
    if (!m_rawImage.allocate(w, h, 3, 8))
        return false;
    _rawImageType = TypeRGB;
    for (int y = 0; y < h; ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* out = m_rawImage.rowData8(y);
        for (int x = 0; x < w; ++x) {
            out[3 * x] = std::uint8_t(qRed(in[x]));
            out[3 * x + 1] = std::uint8_t(qGreen(in[x]));
            out[3 * x + 2] = std::uint8_t(qBlue(in[x]));
        }
        reportProgress(m_decodeEnd * double(y + 1) / h);
        if (aborted()) {
            m_rawImage.clear();
            return false;
        }
    }
    return true;
}

QStringList Image::imageExtensions()
{
    return QString::fromLatin1(kListedExtensions).split(QLatin1Char(' '));
}

QStringList Image::cameraRawExtensions()
{
    return QString::fromLatin1(kCameraRawExtensions).split(QLatin1Char(' '));
}

Image::imageLoadingE Image::loadImage(const QString& path, bool normalise)
{
    reset();
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : path.mid(dot + 1).toLower();
    const QStringList listed = imageExtensions();

    bool loaded = false;
    if (!listed.contains(extension)) {
        loaded = loadRawFile(path);
    } else {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return imageNotOpened;
        const QByteArray head = file.read(10);
        file.close();
        if (head.size() < 10)
            return imageNotOpened;
        if (head.startsWith("II") || head.startsWith("MM")) {
            if (TIFF* tiff = openTiffForReading(path)) {
                loaded = loadTiffImage(tiff, kMaxLoadSize);
                TIFFClose(tiff);
            }
            if (loaded && normalise)
                m_rawImage.normalize();
        } else if (head.mid(6, 4) == "JFIF" || head.mid(6, 4) == "Exif") {
            loaded = loadOtherImage(path);
            JpegMetadata meta;
            // What the markers hold up to a damaged segment is kept.
            if (loaded) {
                readJpegMetadataFile(path, meta);
                setIcc(reinterpret_cast<const std::uint8_t*>(meta.icc.constData()), meta.icc.size());
                m_exif = meta.exposure;
                m_make = meta.make;
                m_model = meta.model;
            }
        } else {
            loaded = loadOtherImage(path);
        }
    }
    if (!loaded) {
        reset();
        return imageNotLoaded;
    }
    tidyTexts();
    return imageLoaded;
}

bool Image::linearize(double* values, int count) const
{
    if (!m_stretch.set || !values || count < 1 || count > 3 || m_rawImage.channels() < count)
        return false;
    for (int i = 0; i < count; ++i) {
        const double base = (values[i] * 65535.0 - m_stretch.black[i]) * m_stretch.scale[i];
        values[i] = std::pow(std::max(0.0, base), m_stretch.gamma);
    }
    return true;
}

void Image::createPixmapFromRawImage()
{
    const int w = m_rawImage.width(), h = m_rawImage.height();
    m_preview = QPixmap();
    m_stretchedPreview = QPixmap();
    if (m_rawImage.isNull())
        return;
    QImage first(w, h, QImage::Format_RGB32);
    if (first.isNull())
        return;
    first.fill(Qt::black);
    const int channels = m_rawImage.channels();
    const bool sixteen = m_rawImage.sampleType() == RawImageIF::Samples16;

    QImage second;
    std::vector<std::uint8_t> lut;  // per channel: 16-bit sample -> stretched byte
    if (m_raw && sixteen) {
        m_stretch = ImageStretch();
        for (int c = 0; c < 3; ++c) {
            double lo = 0, hi = 0;
            m_rawImage.channelMinMax(std::min(c, channels - 1), lo, hi);
            m_stretch.black[c] = std::int32_t(lo);
            m_stretch.white[c] = std::int32_t(hi);
            // A flat channel has no range to stretch: keep the 16-bit scale.
            m_stretch.scale[c] = hi > lo ? 1.0 / (hi - lo) : 1.0 / 65535.0;
        }
        m_stretch.gamma = 0.45454545454545453;
        m_stretch.set = true;
        second = QImage(w, h, QImage::Format_RGB32);
        if (!second.isNull()) {
            second.fill(Qt::black);
            lut.resize(3 * 65536);
            for (int c = 0; c < 3; ++c)
                fillStretchTable(m_stretch.black[c], m_stretch.scale[c], m_stretch.gamma,
                                 lut.data() + std::size_t(c) * 65536);
        }
    }

    const bool drawable = _rawImageType == TypeRGB
                          && (sixteen || m_rawImage.sampleType() == RawImageIF::Samples8);
    if (!drawable)
        qCDebug(lcImage, "wrong _rawImageType!");
    const int ch[3] = {0, std::min(1, channels - 1), std::min(2, channels - 1)};
    for (int y = 0; y < h; ++y) {
        if (drawable) {
            QRgb* out = reinterpret_cast<QRgb*>(first.scanLine(y));
            if (sixteen) {
                const std::uint16_t* in = m_rawImage.rowData16(y);
                QRgb* out2 = lut.empty() ? nullptr : reinterpret_cast<QRgb*>(second.scanLine(y));
                for (int x = 0; x < w; ++x) {
                    const std::uint16_t* p = in + std::size_t(x) * channels;
                    out[x] = qRgb(p[ch[0]] >> 8, p[ch[1]] >> 8, p[ch[2]] >> 8);
                    if (out2)
                        out2[x] = qRgb(lut[p[ch[0]]], lut[65536 + p[ch[1]]], lut[2 * 65536 + p[ch[2]]]);
                }
            } else {
                const std::uint8_t* in = m_rawImage.rowData8(y);
                for (int x = 0; x < w; ++x) {
                    const std::uint8_t* p = in + std::size_t(x) * channels;
                    out[x] = qRgb(p[ch[0]], p[ch[1]], p[ch[2]]);
                }
            }
        }
        reportProgress(m_decodeEnd + double(y + 1) / h * (m_previewEnd - m_decodeEnd));
        aborted();  // polled for the caller's sake; previews are always finished
    }
    m_preview = QPixmap::fromImage(first);
    if (!lut.empty())
        m_stretchedPreview = QPixmap::fromImage(second);
}

QString shortPathName(const QString& path)
{
    return QFileInfo::exists(path) ? path : QString();
}
