#pragma once
// A chart photograph loaded from disk: the decoded samples (RawImage), two
// preview pixmaps, the camera texts, the embedded ICC profile, the EXIF
// exposure values and a TIFF transfer function.
//
// Camera raw files go through the in-process raw decoder, TIFF through
// libtiff, JPEG, BMP and PNG through QImage. Progress and cancel reach the
// loader through the functions set with setLoadHooks; they belong to the Image object and are neither copied
// nor swapped.

#include <chart/RawImage.h>
#include <chart/TransferFunction.h>

#include <QPixmap>
#include <QString>
#include <QStringList>

#include <cstdint>

typedef struct tiff TIFF;

// Five EXIF rationals (numerator, denominator), all zero when absent.
struct ExifExposure {
    std::uint32_t exposureTime[2];
    std::uint32_t fNumber[2];
    std::uint32_t shutterSpeedValue[2];
    std::uint32_t apertureValue[2];
    std::uint32_t focalLength[2];
};
static_assert(sizeof(ExifExposure) == 40, "five 32-bit rationals");

// Black/white stretch of a 16-bit raw preview, also used to take normalised
// preview values back to linear ones.
struct ImageStretch {
    bool set = false;
    std::int32_t black[3] = {0, 0, 0};
    std::int32_t white[3] = {0xFFFF, 0xFFFF, 0xFFFF};
    double scale[3] = {1.0, 1.0, 1.0};
    double gamma = 1.0;
};

class Image {
public:
    enum imageLoadingE {
        // Listed extension (bmp, jpg, jpeg, png, tif, tiff) that cannot be opened
        // or holds fewer than 10 bytes.
        imageNotOpened = 0,
        // Decoder, reader or format failed, or the load was cancelled.
        imageNotLoaded = 1,
        imageLoaded = 2,
    };
    // Values of rawImageType().
    enum RawImageType { TypeNone = 0, TypeRGB = 1, TypeSeparated = 2, TypeLab = 3, TypeFloat = 4,
                        TypeOther = 5 };

    using ProgressFunction = void (*)(void* userData, double fraction);
    using AbortFunction = bool (*)(void* userData);

    Image();
    Image(const Image& other);
    Image& operator=(Image other);
    ~Image();

    // Exchanges every content field; the progress and abort functions stay.
    void swap(Image& other);

    // Loads the file; with normalise a TIFF is stretched over all its channels
    // together (RawImageIF::normalize). A file whose extension is not one of
    // imageExtensions goes to the camera raw decoder.
    imageLoadingE loadImage(const QString& path, bool normalise);
    // Extensions (lower case, without the dot) that loadImage reads as TIFF,
    // JPEG, PNG or BMP.
    static QStringList imageExtensions();
    // The usual extensions of the camera raw files the decoder reads, lower
    // case, without the dot: what a file browser offers as raw shots.
    static QStringList cameraRawExtensions();
    // Reads an open TIFF into this image, shrunk by a whole factor so that the
    // longer side is at most maxSize (0: no shrinking). Does not close tiff.
    bool loadTiffImage(TIFF* tiff, int maxSize);
    // Reads a file through QImage (32-bit images only) as 8-bit RGB.
    bool loadOtherImage(const QString& path);

    // Builds the 8-bit preview and, for 16-bit raw results, the stretched one.
    void createPixmapFromRawImage();
    // Maps count (at most 3) normalised preview values back to linear values
    // through the stretch record: pow(max(0, v * 65535 - black) * scale, gamma).
    // False without a stretch record, for null values, count outside 1..3 or an
    // image with fewer channels.
    bool linearize(double* values, int count) const;

    void setVerbose(bool verbose) { m_verbose = verbose; }
    // Progress and abort functions of the next loads, with their user data.
    void setLoadHooks(ProgressFunction progress, AbortFunction abort, void* userData);
    // Share of the progress range that decoding reports up to, and the end of
    // the range used while the previews are built (both 1.0 by default).
    void setDecodeEndFraction(double fraction) { m_decodeEnd = fraction; }
    void setPreviewEndFraction(double fraction) { m_previewEnd = fraction; }
    double decodeEndFraction() const { return m_decodeEnd; }
    double previewEndFraction() const { return m_previewEnd; }

    const QPixmap& preview() const { return m_preview; }
    const QPixmap& stretchedPreview() const { return m_stretchedPreview; }
    const ImageStretch& stretch() const { return m_stretch; }
    const RawImage& rawImage() const { return m_rawImage; }
    RawImage& rawImage() { return m_rawImage; }
    QString make() const { return m_make; }
    QString model() const { return m_model; }
    QString software() const { return m_software; }
    bool isRaw() const { return m_raw; }
    int iccLength() const { return m_iccLength; }
    const std::uint8_t* iccBytes() const { return m_icc; }
    bool hasOwnProfile() const { return m_ownProfile; }
    const TransferFunction& transferFunction() const { return m_transfer; }
    const ExifExposure& exifExposure() const { return m_exif; }
    int rawImageType() const { return _rawImageType; }

    // The decoder's progress and abort entries: each calls the image's stored
    // function with its user data when both the image and the function are
    // set; the abort entry answers false otherwise.
    static void imageProgressHook(Image* image, double fraction);
    static bool imageAbortHook(Image* image);

private:
    void reset();
    void setIcc(const std::uint8_t* bytes, int length);
    void tidyTexts();
    void reportProgress(double fraction) { imageProgressHook(this, fraction); }
    bool aborted() { return imageAbortHook(this); }
    bool loadRawFile(const QString& path);

    bool m_verbose = false;
    QPixmap m_preview;
    QPixmap m_stretchedPreview;
    ImageStretch m_stretch;
    RawImage m_rawImage;
    QString m_make;
    QString m_model;
    QString m_software;
    bool m_raw = false;
    int m_iccLength = 0;
    std::uint8_t* m_icc = nullptr;
    bool m_ownProfile = false;
    TransferFunction m_transfer;
    ExifExposure m_exif{};
    double m_decodeEnd = 1.0;
    double m_previewEnd = 1.0;
    int _rawImageType = TypeNone;
    AbortFunction m_abort = nullptr;
    ProgressFunction m_progress = nullptr;
    void* m_userData = nullptr;
};

// The short form of an existing path for the raw decoder. Linux has no short
// names: the path itself when it exists, else empty.
QString shortPathName(const QString& path);
