#include "ImageFiles.h"
#include "SuiteRunner.h"

#include <chart/Image.h>
#include <chart/ImageMetadata.h>
#include <chart/RawDecoder.h>
#include <chart/RawImage.h>
#include <chart/pq_LoadImageWorker.h>
#include <engine/colour_maths.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <cmath>

Q_DECLARE_METATYPE(TiffSpec)

namespace {

QByteArray be32(std::uint32_t v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char(v >> (24 - 8 * i));
    return b;
}

constexpr std::uint32_t sig(const char* s)
{
    return std::uint32_t(std::uint8_t(s[0])) << 24 | std::uint32_t(std::uint8_t(s[1])) << 16
           | std::uint32_t(std::uint8_t(s[2])) << 8 | std::uint8_t(s[3]);
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// An EXIF block (big-endian) with Make, Model and an Exif IFD holding
// ExposureTime 1/125 and FNumber 8/1.
QByteArray exifBlock()
{
    QByteArray t = "MM";
    t += QByteArray("\x00\x2A", 2) + be32(8);
    auto entry = [](std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t value) {
        QByteArray e;
        e.append(char(tag >> 8)).append(char(tag & 0xFF)).append(char(type >> 8)).append(char(type & 0xFF));
        return e + be32(count) + be32(value);
    };
    // IFD0 at 8: 3 entries -> 2 + 36 + 4 = 42 bytes; strings from 50.
    const QByteArray make("Testmaker  \0", 12);
    const QByteArray model("Testmaker TM-1   \0", 18);
    const std::uint32_t makeAt = 50, modelAt = makeAt + 12, exifAt = modelAt + 18;
    QByteArray ifd0 = QByteArray("\x00\x03", 2) + entry(271, 2, 12, makeAt) + entry(272, 2, 18, modelAt)
                      + entry(34665, 4, 1, exifAt) + be32(0);
    t += ifd0;
    t += QByteArray(int(makeAt) - t.size(), '\0');
    t += make + model;
    // Exif IFD: 2 entries, rationals after it.
    const std::uint32_t ratAt = exifAt + 2 + 24 + 4;
    t += QByteArray("\x00\x02", 2) + entry(33434, 5, 1, ratAt) + entry(33437, 5, 1, ratAt + 8) + be32(0);
    t += be32(1) + be32(125) + be32(8) + be32(1);
    return QByteArray("Exif\0\0", 6) + t;
}

QByteArray iccChunk(int seq, int total, const QByteArray& part)
{
    QByteArray b("ICC_PROFILE\0", 12);
    b.append(char(seq)).append(char(total));
    return b + part;
}

QByteArray qtJpeg(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(qRgb(200, 100, 50));
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPEG", 95);
    return bytes;
}

}  // namespace

class ImageTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void tiffKinds_data();
    void tiffKinds();
    void tiffRefused_data();
    void tiffRefused();
    void tiffShrink_data();
    void tiffShrink();
    void tiffIccAndTransfer();
    void routingAndShortFiles();
    void jpegMetadata();
    void jpegHostileSegments_data();
    void jpegHostileSegments();
    void iccTableBounds();
    void dngDecodes_data();
    void dngDecodes();
    void shrunkMosaicKeepsPatchColours_data();
    void shrunkMosaicKeepsPatchColours();
    void rawDecodeStopsWhenAsked_data();
    void rawDecodeStopsWhenAsked();
    void rawFailureIsNotSuccess();
    void flatRawStretchAndLinearize();
    void stretchedPreviewFollowsStretch();
    void copyAndSwap();
    void workerProgressAndSwap();
    void workerCancelLeavesTarget();
    void workerSyntheticChart();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void ImageTest::tiffKinds_data()
{
    QTest::addColumn<TiffSpec>("spec");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("sampleType");
    // Expected stored value of channel 1 and of the last channel at (2, 1).
    QTest::addColumn<double>("c1");
    QTest::addColumn<double>("last");

    TiffSpec s;
    const double v1 = s.value(2, 1, 1);
    QTest::addRow("8-bit rgb, one row per strip") << s << 1 << 3 << 1 << v1 << s.value(2, 1, 2);
    TiffSpec strips = s;
    strips.rowsPerStrip = 2;
    QTest::addRow("8-bit rgb, two rows per strip") << strips << 1 << 3 << 1 << v1 << s.value(2, 1, 2);
    TiffSpec s16 = s;
    s16.bits = 16;
    s16.value = [](int x, int y, int c) { return double(1000 * x + 100 * y + c * 7 + 30000); };
    QTest::addRow("16-bit rgb") << s16 << 1 << 3 << 2 << s16.value(2, 1, 1) << s16.value(2, 1, 2);
    TiffSpec f = s;
    f.bits = 32;
    f.sampleFormat = 3;
    f.value = [](int x, int y, int c) { return 0.125 * x + 0.01 * y + 0.5 * c; };
    QTest::addRow("32-bit float") << f << 4 << 3 << 3 << f.value(2, 1, 1) << f.value(2, 1, 2);
    TiffSpec rgba = s;
    rgba.samples = 4;
    rgba.extraSamples = 1;
    QTest::addRow("rgba keeps three") << rgba << 1 << 3 << 1 << rgba.value(2, 1, 1) << rgba.value(2, 1, 2);
    TiffSpec sep = s16;
    sep.samples = 5;
    sep.photometric = 5;
    QTest::addRow("five-channel separated inverts the fifth")
        << sep << 2 << 5 << 2 << sep.value(2, 1, 1) << double(0xFFFF - int(sep.value(2, 1, 4)));
    TiffSpec sep8 = s;
    sep8.samples = 5;
    sep8.photometric = 5;
    QTest::addRow("8-bit separated") << sep8 << 2 << 5 << 1 << sep8.value(2, 1, 1)
                                     << double(255 - int(sep8.value(2, 1, 4)));
    TiffSpec lab = s;
    lab.photometric = 8;
    lab.value = [](int, int, int c) { return c == 0 ? 200.0 : c == 1 ? 0xF6 /* -10 */ : 20.0; };
    QTest::addRow("cielab a/b to icc encoding") << lab << 3 << 3 << 1 << double(128 - 10) << double(148);
    TiffSpec grey = s;
    grey.samples = 1;
    grey.photometric = 1;
    QTest::addRow("grey is another photometric") << grey << 5 << 1 << 1 << 0.0 << grey.value(2, 1, 0);
}

void ImageTest::tiffKinds()
{
    QFETCH(TiffSpec, spec);
    QFETCH(int, type);
    QFETCH(int, channels);
    QFETCH(int, sampleType);
    QFETCH(double, c1);
    QFETCH(double, last);
    const QString file = path("kind.tif");
    QVERIFY(writeTiff(file, spec));
    Image image;
    QCOMPARE(int(image.loadImage(file, false)), 2);
    const RawImage& raw = image.rawImage();
    QCOMPARE(image.rawImageType(), type);
    QCOMPARE(raw.channels(), channels);
    QCOMPARE(raw.sampleType(), sampleType);
    QCOMPARE(raw.width(), spec.width);
    QCOMPARE(raw.height(), spec.height);
    // Floats are stored as floats: compare within their precision.
    if (channels > 1)
        QVERIFY(std::abs(raw.sampleValue(2, 1, 1) - c1) < 1e-6);
    QVERIFY(std::abs(raw.sampleValue(2, 1, channels - 1) - last) < 1e-6);
    QVERIFY(!image.isRaw());
}

void ImageTest::tiffRefused_data()
{
    QTest::addColumn<TiffSpec>("spec");
    TiffSpec s;
    TiffSpec twelve = s;
    twelve.bits = 12;
    QTest::addRow("12-bit packed") << twelve;
    TiffSpec one = s;
    one.bits = 1;
    one.samples = 1;
    one.photometric = 1;
    QTest::addRow("1-bit") << one;
    TiffSpec int32 = s;
    int32.bits = 32;
    QTest::addRow("32-bit integer") << int32;
    TiffSpec planar = s;
    planar.planar = 2;
    QTest::addRow("separate planes") << planar;
    TiffSpec signedRgb = s;
    signedRgb.sampleFormat = 2;
    QTest::addRow("signed rgb") << signedRgb;
}

void ImageTest::tiffRefused()
{
    QFETCH(TiffSpec, spec);
    const QString file = path("refused.tif");
    QVERIFY(writeTiff(file, spec));
    Image image;
    QCOMPARE(int(image.loadImage(file, false)), 1);
    QVERIFY(image.rawImage().isNull());
}

void ImageTest::tiffShrink_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("storedWidth");
    QTest::addColumn<int>("storedHeight");
    QTest::addRow("4000 x 3000 halves") << 4000 << 3000 << 2000 << 1500;
    QTest::addRow("3000 x 2000 stays") << 3000 << 2000 << 3000 << 2000;
    QTest::addRow("2001 x 10 stays") << 2001 << 10 << 2001 << 10;
    QTest::addRow("6001 x 5 by three") << 6001 << 5 << 2000 << 1;
}

void ImageTest::tiffShrink()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, storedWidth);
    QFETCH(int, storedHeight);
    TiffSpec s;
    s.width = width;
    s.height = height;
    s.samples = 1;
    s.photometric = 1;
    s.rowsPerStrip = 64;
    s.value = [](int x, int y, int) { return double((x + y) & 0xFF); };
    const QString file = path("big.tif");
    QVERIFY(writeTiff(file, s));
    Image image;
    QCOMPARE(int(image.loadImage(file, false)), 2);
    const RawImage& raw = image.rawImage();
    QCOMPARE(raw.width(), storedWidth);
    QCOMPARE(raw.height(), storedHeight);
    QCOMPARE(raw.fullWidth(), width);
    QCOMPARE(raw.fullHeight(), height);
    const int f = width / storedWidth;
    const int x = storedWidth - 1, y = storedHeight - 1;
    QCOMPARE(raw.sampleValue(x, y, 0), double((x * f + y * f) & 0xFF));
}

void ImageTest::tiffIccAndTransfer()
{
    struct Case {
        const char* name;
        QByteArray copyright;
        bool p1mx;
        bool own;
    };
    QByteArray utf16;
    for (char c : QByteArray("(c) Vandrelith"))
        utf16.append('\0').append(c);
    const Case cases[] = {
        {"ascii maker and private tag", QByteArray("text\0\0\0\0(c) Vandrelith 2026", 27), true, true},
        {"utf-16 maker and private tag", QByteArray("mluc", 4) + QByteArray(12, '\0') + utf16, true, true},
        {"maker without private tag", QByteArray("text\0\0\0\0(c) Vandrelith", 22), false, false},
        {"private tag, other maker", QByteArray("text\0\0\0\0(c) Somebody", 20), true, false},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<std::uint32_t, QByteArray>> tags = {{sig("cprt"), c.copyright}};
        if (c.p1mx)
            tags.push_back({sig("P1MX"), QByteArray(8, 'x')});
        TiffSpec s;
        s.icc = makeIcc(tags);
        s.transfer = true;
        s.make = "Scanmaker   ";
        s.model = "Scanmaker  S 9  ";
        const QString file = path("icc.TIF");
        QVERIFY(writeTiff(file, s));
        Image image;
        QCOMPARE(int(image.loadImage(file, false)), 2);
        QCOMPARE(image.iccLength(), s.icc.size());
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(image.iccBytes()), image.iccLength()), s.icc);
        QVERIFY2(image.hasOwnProfile() == c.own, c.name);
        QCOMPARE(image.transferFunction().channelCount(), 3);
        QCOMPARE(image.transferFunction().length(), 256);
        QCOMPARE(image.transferFunction().curve(2)[255], quint16(65535));
        QCOMPARE(image.make(), QString("Scanmaker"));
        QCOMPARE(image.model(), QString("S 9"));
    }
}

void ImageTest::routingAndShortFiles()
{
    QVERIFY(writeBytes(path("nine.tif"), QByteArray(9, 'I')));
    QVERIFY(writeBytes(path("ten.png"), QByteArray("II*\0garbag", 10)));
    QVERIFY(writeBytes(path("shot.CR2"), QByteArray(100, 'x')));
    QVERIFY(writeBytes(path("noext"), QByteArray(100, 'x')));
    struct Case {
        const char* file;
        int result;
    } cases[] = {{"nine.tif", 0}, {"missing.png", 0}, {"ten.png", 1}, {"shot.CR2", 1}, {"noext", 1}};
    for (const Case& c : cases) {
        Image image;
        QVERIFY2(int(image.loadImage(path(c.file), false)) == c.result, c.file);
    }
    // An 8-bit indexed image is refused by depth.
    QImage indexed(8, 8, QImage::Format_Indexed8);
    indexed.setColorCount(2);
    indexed.fill(0);
    QVERIFY(indexed.save(path("indexed.bmp")));
    Image image;
    QCOMPARE(int(image.loadImage(path("indexed.bmp"), false)), 1);
    // A PNG is read as 8-bit RGB.
    QImage rgb(5, 4, QImage::Format_RGB32);
    rgb.fill(qRgb(10, 20, 30));
    QVERIFY(rgb.save(path("plain.png")));
    QCOMPARE(int(image.loadImage(path("plain.png"), false)), 2);
    QCOMPARE(image.rawImage().sampleValue(4, 3, 2), 30.0);
}

void ImageTest::jpegMetadata()
{
    const QByteArray icc = makeIcc({{sig("desc"), QByteArray(300, 'd')}});
    const int half = icc.size() / 2;
    const QByteArray jpeg = insertJpegSegments(
        qtJpeg(16, 8), {jpegSegment(0xE1, exifBlock()), jpegSegment(0xE2, iccChunk(2, 2, icc.mid(half))),
                        jpegSegment(0xE2, iccChunk(1, 2, icc.left(half)))});
    QVERIFY(writeBytes(path("shot.jpg"), jpeg));
    Image image;
    QCOMPARE(int(image.loadImage(path("shot.jpg"), false)), 2);
    QCOMPARE(image.make(), QString("Testmaker"));
    QCOMPARE(image.model(), QString("TM-1"));
    QCOMPARE(image.exifExposure().exposureTime[0], 1u);
    QCOMPARE(image.exifExposure().exposureTime[1], 125u);
    QCOMPARE(image.exifExposure().fNumber[0], 8u);
    QCOMPARE(image.iccLength(), icc.size());
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(image.iccBytes()), image.iccLength()), icc);
    QCOMPARE(image.rawImage().channels(), 3);
}

void ImageTest::jpegHostileSegments_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("hasIcc");
    const QByteArray soi("\xFF\xD8", 2), eoi("\xFF\xD9", 2);
    const QByteArray chunk = jpegSegment(0xE2, iccChunk(1, 1, "abcd"));
    QTest::addRow("one chunk") << soi + chunk + eoi << true << true;
    QTest::addRow("missing chunk") << soi + jpegSegment(0xE2, iccChunk(1, 2, "ab")) + eoi << true << false;
    QTest::addRow("repeated chunk") << soi + chunk + chunk + eoi << true << false;
    QTest::addRow("chunk zero of zero") << soi + jpegSegment(0xE2, iccChunk(0, 0, "ab")) + eoi << true << false;
    QTest::addRow("length past the end") << soi + QByteArray("\xFF\xE1\x40\x00Exif", 8) << false << false;
    QTest::addRow("length below two") << soi + QByteArray("\xFF\xE1\x00\x01", 4) + eoi << false << false;
    QTest::addRow("cut in the length") << soi + QByteArray("\xFF\xE1\x00", 3) << false << false;
    QTest::addRow("not a jpeg") << QByteArray("\xFF\xD9", 2) << false << false;
    QByteArray lying = exifBlock();
    lying[6 + 4 + 3] = char(0xF0);  // IFD0 offset far outside
    QTest::addRow("exif offset outside") << soi + jpegSegment(0xE1, lying) + eoi << true << false;
    QByteArray longCount = exifBlock();
    longCount[6 + 8 + 2 + 4 + 3] = char(0xFF);  // Make count 255 from inside the block
    QTest::addRow("exif count outside") << soi + jpegSegment(0xE1, longCount) + eoi << true << false;
}

void ImageTest::jpegHostileSegments()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, ok);
    QFETCH(bool, hasIcc);
    JpegMetadata meta;
    // Exact-size copy so that ASan sees any read past the end.
    std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
    QCOMPARE(readJpegMetadata(data.data(), data.size(), meta), ok);
    QCOMPARE(!meta.icc.isEmpty(), hasIcc);
}

void ImageTest::iccTableBounds()
{
    QByteArray good = makeIcc({{sig("targ"), QByteArray("text\0\0\0\0CGATS.17\0junk", 22)}});
    std::vector<std::uint8_t> data(good.begin(), good.end());
    QCOMPARE(iccTargetText(data.data(), data.size()), QByteArray("CGATS.17"));
    // A count that runs past the end, and a tag whose data lies outside.
    QByteArray badCount = good;
    badCount[131] = char(0x7F);
    QByteArray badOffset = good;
    badOffset[132 + 4] = char(0x7F);
    for (const QByteArray& b : {badCount, badOffset, good.left(131)}) {
        std::vector<std::uint8_t> d(b.begin(), b.end());
        QVERIFY(iccTargetText(d.data(), d.size()).isEmpty());
        QVERIFY(!iccIsOwnProfile(d.data(), d.size()));
    }
}

void ImageTest::dngDecodes_data()
{
    QTest::addColumn<bool>("linear");
    QTest::addRow("cfa mosaic") << false;
    QTest::addRow("linear dng") << true;
}

void ImageTest::dngDecodes()
{
    QFETCH(bool, linear);
    const std::uint16_t rgb[3] = {1000, 20000, 40000};
    const QString file = path(linear ? "linear.dng" : "mosaic.dng");
    QVERIFY(writeDng(file, 64, 48, rgb, linear));
    Image image;
    QCOMPARE(int(image.loadImage(file, false)), 2);
    const RawImage& raw = image.rawImage();
    QVERIFY(image.isRaw());
    QCOMPARE(image.rawImageType(), 1);
    QCOMPARE(raw.sampleType(), 2);
    QCOMPARE(raw.width(), 64);
    QCOMPARE(raw.height(), 48);
    QCOMPARE(image.make(), QString("Testmaker"));
    QCOMPARE(image.model(), QString("TM-1"));
    for (int c = 0; c < 3; ++c)
        QCOMPARE(raw.sample16(32, 24, c), rgb[c]);
}

void ImageTest::shrunkMosaicKeepsPatchColours_data()
{
    QTest::addColumn<int>("maxSize");
    QTest::addColumn<int>("orientation");
    QTest::addRow("shrunk by 2") << 300 << 1;
    QTest::addRow("shrunk by 3") << 194 << 1;
    QTest::addRow("shrunk by 5") << 116 << 1;
    QTest::addRow("shrunk by 2, turned half round") << 300 << 3;
    QTest::addRow("shrunk by 3, turned a quarter clockwise") << 194 << 6;
    QTest::addRow("shrunk by 2, turned a quarter anticlockwise") << 300 << 8;
}

// A mosaic decoded for a picture shrunk by 2 or more is not demosaiced. The
// mean of every patch in the stored picture stays within 0.05 delta E 2000
// of the full decode sampled at the same pixels, darks and saturated
// colours included, under light that falls off towards the corners (so that
// a shifted sample would show) and a little noise (so that the two greens of
// a block differ); the picture keeps its size, and a picture to be shown
// turned is stored turned.
void ImageTest::shrunkMosaicKeepsPatchColours()
{
    QFETCH(int, maxSize);
    QFETCH(int, orientation);
    const int columns = 6, rows = 4, cell = 96;
    const int width = columns * cell + 6, height = rows * cell + 6;
    static const std::uint16_t colours[rows * columns][3] = {
        {900, 700, 500},      {30000, 18000, 12000}, {8000, 12000, 26000}, {9000, 14000, 5000},
        {15000, 14000, 30000}, {12000, 32000, 28000}, {40000, 16000, 3000},  {5000, 8000, 30000},
        {32000, 7000, 9000},   {6000, 3000, 10000},  {26000, 36000, 6000},  {45000, 28000, 2500},
        {2000, 4000, 22000},   {5000, 20000, 6000},  {24000, 2500, 3000},   {52000, 44000, 3000},
        {30000, 6000, 20000},  {2000, 16000, 26000}, {60000, 60000, 58000}, {36000, 36000, 35000},
        {18000, 18000, 17500}, {8000, 8000, 7800},   {2500, 2500, 2400},    {300, 300, 290}};
    auto value = [&](int x, int y, int c) {
        const int col = std::min(columns - 1, x / cell), row = std::min(rows - 1, y / cell);
        std::uint32_t h = std::uint32_t(x) * 73856093u ^ std::uint32_t(y) * 19349663u;
        h = (h ^ (h >> 13)) * 0x5bd1e995u;
        const int noise = int(h % 9u) - 4;
        const double dx = x - width / 2.0, dy = y - height / 2.0;
        const double light =
            1.0 - 0.3 * (dx * dx + dy * dy) / (width * width / 4.0 + height * height / 4.0);
        return std::uint16_t(
            std::clamp(int(std::lround(colours[row * columns + col][c] * light)) + noise, 0, 65535));
    };
    const QString file = path(QStringLiteral("chart%1-%2.dng").arg(maxSize).arg(orientation));
    QVERIFY(writeDng(file, width, height, value, false, "Testmaker", "Testmaker TM-1", orientation));
    const QByteArray name = file.toLocal8Bit();
    const char* args[] = {"dcraw", "-4", "-o", "0", "-r", "1", "1", "1", "1", name.constData()};
    RawImage stored, full;
    QCOMPARE(rawDecoderMain(10, args, &stored, maxSize), RAW_DECODE_OK);
    QCOMPARE(rawDecoderMain(10, args, &full, 0), RAW_DECODE_OK);
    const bool turned = orientation >= 5;
    const int shownWidth = turned ? height : width, shownHeight = turned ? width : height;
    const int f = std::max(width, height) / maxSize;
    QCOMPARE(stored.width(), shownWidth / f);
    QCOMPARE(stored.height(), shownHeight / f);
    QCOMPARE(stored.fullWidth(), shownWidth);
    QCOMPARE(stored.fullHeight(), shownHeight);
    QCOMPARE(full.width(), shownWidth);
    QCOMPARE(stored.channels(), 3);
    // The full decode is the mosaic's picture turned as asked: at each
    // patch's centre as shown, the value of the pixel it was turned from.
    auto shotPixel = [&](int x, int y) {
        switch (orientation) {
        case 3: return QPoint(width - 1 - x, height - 1 - y);
        case 6: return QPoint(y, height - 1 - x);
        case 8: return QPoint(width - 1 - y, x);
        default: return QPoint(x, y);
        }
    };
    for (int y = cell / 2 + 3; y < shownHeight; y += cell)
        for (int x = cell / 2 + 3; x < shownWidth; x += cell)
            for (int c = 0; c < 3; ++c) {
                const QPoint from = shotPixel(x, y);
                const int want = value(from.x(), from.y(), c);
                QVERIFY2(std::abs(full.sample16(x, y, c) - want) <= 16 + want / 100,
                         qPrintable(QStringLiteral("shown %1,%2 channel %3: %4, shot %5")
                                        .arg(x).arg(y).arg(c).arg(full.sample16(x, y, c)).arg(want)));
            }
    // The patches as shown: the 6-pixel margin may now lie before them,
    // which the middle half of each patch leaves room for.
    const int shownColumns = turned ? rows : columns, shownRows = turned ? columns : rows;
    double worst = 0;
    for (int row = 0; row < shownRows; ++row)
        for (int col = 0; col < shownColumns; ++col) {
            // The middle half of the patch, in stored pixels.
            const int x0 = (col * cell + cell / 4) / f, x1 = (col * cell + 3 * cell / 4) / f;
            const int y0 = (row * cell + cell / 4) / f, y1 = (row * cell + 3 * cell / 4) / f;
            double a[3] = {0, 0, 0}, b[3] = {0, 0, 0};
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x)
                    for (int c = 0; c < 3; ++c) {
                        a[c] += stored.sample16(x, y, c);
                        b[c] += full.sample16(x * f, y * f, c);
                    }
            const double n = double((x1 - x0) * (y1 - y0));
            double labA[3], labB[3];
            for (int c = 0; c < 3; ++c) {
                a[c] /= n * 65535.0;
                b[c] /= n * 65535.0;
            }
            cm_xyz_to_lab(a, cm_d50_white, labA);
            cm_xyz_to_lab(b, cm_d50_white, labB);
            worst = std::max(worst, cm_delta_e2000(labA, labB));
        }
    QVERIFY2(worst < 0.05, qPrintable(QStringLiteral("worst patch: delta E 2000 %1").arg(worst)));
}

void ImageTest::rawDecodeStopsWhenAsked_data()
{
    QTest::addColumn<double>("stopAt");
    QTest::addColumn<int>("maxSize");
    QTest::addRow("reading the raw data") << 0.0 << 300;
    QTest::addRow("writing the shrunk picture") << 0.93 << 300;
    QTest::addRow("writing the full picture") << 0.93 << 0;
}

// An abort asked for at any stage ends the decode as cancelled, with no
// picture left in the sink.
void ImageTest::rawDecodeStopsWhenAsked()
{
    QFETCH(double, stopAt);
    QFETCH(int, maxSize);
    const std::uint16_t rgb[3] = {100, 200, 300};
    QVERIFY(writeDng(path("stop.dng"), 1200, 800, rgb, false));
    // The abort function is polled from another thread too.
    struct Stop {
        double at = 0;
        std::atomic<double> reached{-1};
    } stop;
    stop.at = stopAt;
    RawDecoderHooks hooks;
    hooks.context = &stop;
    hooks.progress = [](void* context, double fraction) {
        auto* s = static_cast<Stop*>(context);
        s->reached = std::max(s->reached.load(), fraction);
    };
    hooks.abort = [](void* context) {
        const auto* s = static_cast<const Stop*>(context);
        return s->reached.load() >= s->at;
    };
    const QByteArray name = path("stop.dng").toLocal8Bit();
    const char* args[] = {"dcraw", "-4", "-o", "0", "-r", "1", "1", "1", "1", name.constData()};
    RawImage sink;
    QCOMPARE(rawDecoderMain(10, args, &sink, maxSize, hooks), RAW_DECODE_CANCELLED);
    QVERIFY(sink.isNull());
    QVERIFY(stop.reached >= stopAt);
}

void ImageTest::rawFailureIsNotSuccess()
{
    // A file that claims to be TIFF but holds no raw data: the decoder fails,
    // and the load must not succeed.
    QVERIFY(writeBytes(path("fake.nef"), QByteArray("II*\0\x08\0\0\0", 8) + QByteArray(64, '\0')));
    Image image;
    QCOMPARE(int(image.loadImage(path("fake.nef"), false)), 1);
    QVERIFY(image.rawImage().isNull());
    const char* args[] = {"dcraw", "-v", "-x", "file"};
    RawImage sink;
    QCOMPARE(rawDecoderMain(4, args, &sink, 0), RAW_DECODE_BAD_ARGUMENTS);
    const char* noLinear[] = {"dcraw", "-o", "0", "file"};
    QCOMPARE(rawDecoderMain(4, noLinear, &sink, 0), RAW_DECODE_BAD_ARGUMENTS);
}

void ImageTest::flatRawStretchAndLinearize()
{
    const std::uint16_t flat[3] = {5000, 5000, 5000};
    QVERIFY(writeDng(path("flat.dng"), 32, 32, flat, true));
    Image image;
    double none[1] = {0.5};
    QVERIFY(!image.linearize(none, 1));
    QCOMPARE(int(image.loadImage(path("flat.dng"), false)), 2);
    image.createPixmapFromRawImage();
    QVERIFY(image.stretch().set);
    for (int c = 0; c < 3; ++c)
        QVERIFY(std::isfinite(image.stretch().scale[c]));
    QVERIFY(!image.stretchedPreview().isNull());
    // Below black the base is negative: clamped, never NaN.
    double v[3] = {0.0, 5000.0 / 65535.0, 1.0};
    QVERIFY(image.linearize(v, 3));
    QCOMPARE(v[0], 0.0);
    QCOMPARE(v[1], 0.0);
    QVERIFY(std::isfinite(v[2]) && v[2] > 0);
    double four[4] = {};
    QVERIFY(!image.linearize(four, 4));
    QVERIFY(!image.linearize(nullptr, 1));
}

// Each byte of the stretched preview is the sample's (v - black) x scale,
// raised to gamma, in 0..255, channel by channel, over the whole range.
void ImageTest::stretchedPreviewFollowsStretch()
{
    auto ramp = [](int x, int y, int c) { return std::uint16_t(1000 + x * 200 + c * 3000 + y * 7); };
    QVERIFY(writeDng(path("ramp.dng"), 256, 24, ramp, true));
    Image image;
    QCOMPARE(int(image.loadImage(path("ramp.dng"), false)), 2);
    image.createPixmapFromRawImage();
    const ImageStretch& stretch = image.stretch();
    QVERIFY(stretch.set);
    const QImage shown = image.stretchedPreview().toImage();
    const RawImage& raw = image.rawImage();
    QCOMPARE(shown.size(), QSize(raw.width(), raw.height()));
    for (int y = 0; y < raw.height(); ++y)
        for (int x = 0; x < raw.width(); ++x) {
            const QRgb got = shown.pixel(x, y);
            const int bytes[3] = {qRed(got), qGreen(got), qBlue(got)};
            for (int c = 0; c < 3; ++c) {
                const double t =
                    std::clamp((raw.sample16(x, y, c) - stretch.black[c]) * stretch.scale[c], 0.0, 1.0);
                const int want = int(std::lround(std::pow(t, stretch.gamma) * 255.0));
                QVERIFY2(bytes[c] == want, qPrintable(QStringLiteral("%1,%2 channel %3: %4, not %5")
                                                          .arg(x).arg(y).arg(c).arg(bytes[c]).arg(want)));
            }
        }
}

void ImageTest::copyAndSwap()
{
    TiffSpec s;
    s.icc = makeIcc({{sig("desc"), "abc"}});
    QVERIFY(writeTiff(path("copy.tif"), s));
    Image a;
    QCOMPARE(int(a.loadImage(path("copy.tif"), false)), 2);
    a.createPixmapFromRawImage();
    Image b(a);
    QCOMPARE(b.iccLength(), a.iccLength());
    QVERIFY(b.iccBytes() != a.iccBytes());
    QCOMPARE(b.rawImage().sampleValue(1, 1, 1), a.rawImage().sampleValue(1, 1, 1));
    QVERIFY(!b.preview().isNull());
    Image c;
    c = b;
    Image empty;
    c.swap(empty);
    QVERIFY(c.rawImage().isNull());
    QCOMPARE(empty.iccLength(), a.iccLength());
}

void ImageTest::workerProgressAndSwap()
{
    const std::uint16_t rgb[3] = {100, 200, 300};
    QVERIFY(writeDng(path("worker.dng"), 64, 64, rgb, false));
    Image target;
    pq_LoadImageWorker worker(&target, path("worker.dng"), path("tmp"), false, 6, 4);
    QList<double> values;
    connect(&worker, &pq_LoadImageWorker::progress, [&](double f) { values << f; });
    QStringList order;
    connect(&worker, &pq_LoadImageWorker::success, [&](bool ok) { order << (ok ? "success" : "failure"); });
    connect(&worker, &pq_LoadImageWorker::finished, [&] { order << "finished"; });
    worker.loadImage();
    QCOMPARE(order, QStringList({"success", "finished"}));
    QVERIFY(values.size() > 3);
    for (int i = 1; i < values.size(); ++i)
        QVERIFY(values[i] > values[i - 1]);
    QCOMPARE(values.last(), 1.0);
    QCOMPARE(target.rawImage().sample16(10, 10, 2), std::uint16_t(300));
    QVERIFY(!target.preview().isNull());
}

void ImageTest::workerCancelLeavesTarget()
{
    const std::uint16_t rgb[3] = {100, 200, 300};
    QVERIFY(writeDng(path("cancel.dng"), 1200, 800, rgb, false));
    TiffSpec s;
    QVERIFY(writeTiff(path("before.tif"), s));
    Image target;
    QCOMPARE(int(target.loadImage(path("before.tif"), false)), 2);
    pq_LoadImageWorker worker(&target, path("cancel.dng"), path("tmp"), false, 6, 4);
    QElapsedTimer timer;
    qint64 cancelledAt = -1;
    connect(&worker, &pq_LoadImageWorker::progress, [&](double) {
        if (cancelledAt < 0) {
            worker.requestCancel();
            cancelledAt = timer.elapsed();
        }
    });
    QSignalSpy success(&worker, &pq_LoadImageWorker::success);
    timer.start();
    worker.loadImage();
    QVERIFY(cancelledAt >= 0);
    QVERIFY2(timer.elapsed() - cancelledAt < 500, qPrintable(QString::number(timer.elapsed() - cancelledAt)));
    QCOMPARE(success.count(), 1);
    QCOMPARE(success.at(0).at(0).toBool(), false);
    QCOMPARE(target.rawImage().width(), s.width);
    QCOMPARE(target.rawImageType(), 1);
}

void ImageTest::workerSyntheticChart()
{
    const QByteArray text = "CGATS.17\nBEGIN_DATA_FORMAT\nSAMPLE_ID RGB_R RGB_G RGB_B\nEND_DATA_FORMAT\n"
                            "BEGIN_DATA\n1 255 0 0\n2 0 255 0\n3 0 0 255\n4 10 20 30\nEND_DATA\n";
    QVERIFY(writeBytes(path("chart.txt"), text));
    const QByteArray targ = QByteArray("text\0\0\0\0", 8) + text;
    QVERIFY(writeBytes(path("profile.icc"), makeIcc({{sig("targ"), targ}})));
    QVERIFY(writeBytes(path("empty.icc"), makeIcc({{sig("desc"), "x"}})));
    struct Case {
        const char* file;
        bool ok;
    } cases[] = {{"chart.txt", true}, {"profile.icc", true}, {"empty.icc", false}};
    for (const Case& c : cases) {
        Image target;
        pq_LoadImageWorker worker(&target, path(c.file), path("tmp"), false, 2, 2);
        QSignalSpy success(&worker, &pq_LoadImageWorker::success);
        worker.loadImage();
        QCOMPARE(success.count(), 1);
        QVERIFY2(success.at(0).at(0).toBool() == c.ok, c.file);
        QCOMPARE(!target.rawImage().isNull(), c.ok);
    }
}

VP_TEST_SUITE(ImageTest);

int main(int argc, char** argv)
{
    test_support::SuiteOptions options;
    options.gui = true;
    return test_support::runSuites(argc, argv, options);
}

#include "test_image.moc"
