#include "SuiteRunner.h"

#include <chart/Config.h>
#include <chart/RawImage.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>
#include <memory>

class RawImageTest : public QObject {
    Q_OBJECT
private slots:
    void allocation_data();
    void allocation();
    void refusedSizes_data();
    void refusedSizes();
    void samplesAcrossTypes();
    void channelMinMaxAndNormalize();
    void normalizeRefusesBlackImage();
    void cloneAndCopyAreDeep();
    void cloneRefusesForeignImage();
    void configFolders();
    void patchGridFilePathMakesFolder();
};

void RawImageTest::allocation_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("sampleType");
    QTest::addColumn<int>("stride");
    QTest::addRow("8-bit rgb, padded row") << 5 << 3 << 8 << int(RawImageIF::Samples8) << 16;
    QTest::addRow("16-bit rgb") << 5 << 3 << 16 << int(RawImageIF::Samples16) << 32;
    QTest::addRow("float grey") << 3 << 1 << 32 << int(RawImageIF::SamplesFloat) << 12;
}

void RawImageTest::allocation()
{
    QFETCH(int, width);
    QFETCH(int, channels);
    QFETCH(int, bits);
    QFETCH(int, sampleType);
    QFETCH(int, stride);
    RawImage image(width, 4, channels, bits, "Make", "Model", "Soft", 100, 80);
    QVERIFY(!image.isNull());
    QCOMPARE(image.width(), width);
    QCOMPARE(image.height(), 4);
    QCOMPARE(image.channels(), channels);
    QCOMPARE(image.bitsPerSample(), bits);
    QCOMPARE(image.bytesPerSample(), bits / 8);
    QCOMPARE(image.sampleType(), sampleType);
    QCOMPARE(int(image.stride()), stride);
    QCOMPARE(image.make(), QString("Make"));
    QCOMPARE(image.model(), QString("Model"));
    QCOMPARE(image.software(), QString("Soft"));
    QCOMPARE(image.fullWidth(), 100);
    QCOMPARE(image.fullHeight(), 80);
    // Only the row accessor of the stored type answers, and rows are stride apart.
    QCOMPARE(image.rowData8(0) != nullptr, bits == 8);
    QCOMPARE(image.rowData16(0) != nullptr, bits == 16);
    QCOMPARE(image.rowDataFloat(0) != nullptr, bits == 32);
    QCOMPARE(image.rowBytes(1) - image.rowBytes(0), std::ptrdiff_t(stride));
    QVERIFY(image.rowBytes(4) == nullptr);
    QVERIFY(image.rowBytes(-1) == nullptr);

    std::unique_ptr<RawImageIF> created(createRawImage(width, 4, channels, bits));
    QVERIFY(created);
    QCOMPARE(created->sampleType(), sampleType);
    QCOMPARE(created->fullWidth(), 0);
    QVERIFY(created->make().isEmpty());
}

void RawImageTest::refusedSizes_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("bits");
    QTest::addRow("zero width") << 0 << 4 << 3 << 16;
    QTest::addRow("negative height") << 4 << -1 << 3 << 16;
    QTest::addRow("no channels") << 4 << 4 << 0 << 16;
    QTest::addRow("12 bits") << 4 << 4 << 3 << 12;
    QTest::addRow("beyond memory") << std::numeric_limits<int>::max()
                                   << std::numeric_limits<int>::max() << 4096 << 32;
}

void RawImageTest::refusedSizes()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, channels);
    QFETCH(int, bits);
    RawImage image;
    QVERIFY(!image.allocate(width, height, channels, bits));
    QVERIFY(image.isNull());
    QCOMPARE(image.sampleType(), int(RawImageIF::NoSamples));
    QCOMPARE(image.width(), 0);
    QVERIFY(createRawImage(width, height, channels, bits) == nullptr);
}

void RawImageTest::samplesAcrossTypes()
{
    RawImage img8(2, 2, 3, 8);
    img8.rowData8(1)[3 + 2] = 200;  // pixel (1,1), channel 2
    QCOMPARE(int(img8.sample8(1, 1, 2)), 200);
    QCOMPARE(int(img8.sample16(1, 1, 2)), 200 * 257);

    RawImage img16(2, 2, 3, 16);
    img16.rowData16(0)[1] = 0x1234;
    QCOMPARE(int(img16.sample16(0, 0, 1)), 0x1234);
    QCOMPARE(int(img16.sample8(0, 0, 1)), (0x1234 + 128) / 257);

    RawImage imgF(2, 1, 1, 32);
    imgF.rowDataFloat(0)[0] = 0.5f;
    imgF.rowDataFloat(0)[1] = 1.5f;
    QCOMPARE(int(imgF.sample16(0, 0, 0)), 32768);
    QCOMPARE(int(imgF.sample16(1, 0, 0)), 65535);
    QCOMPARE(imgF.sampleValue(1, 0, 0), 1.5);

    // Out of range reads give 0 rather than touching memory.
    QCOMPARE(int(img16.sample16(2, 0, 0)), 0);
    QCOMPARE(int(img16.sample16(0, 0, 3)), 0);
    QCOMPARE(int(img16.sample16(-1, 0, 0)), 0);
}

void RawImageTest::channelMinMaxAndNormalize()
{
    RawImage image(2, 1, 2, 16);
    std::uint16_t* row = image.rowData16(0);
    row[0] = 100;  row[1] = 1000;   // pixel 0
    row[2] = 300;  row[3] = 32767;  // pixel 1
    double lo = -1, hi = -1;
    QVERIFY(image.channelMinMax(0, lo, hi));
    QCOMPARE(lo, 100.0);
    QCOMPARE(hi, 300.0);
    QVERIFY(image.channelMinMax(1, lo, hi));
    QCOMPARE(hi, 32767.0);
    QVERIFY(!image.channelMinMax(2, lo, hi));

    // One factor for all channels: the greatest sample reaches full scale and the
    // ratios between channels stay.
    QVERIFY(image.normalize());
    QCOMPARE(int(row[3]), 65535);
    QCOMPARE(int(row[1]), int(std::floor(1000.0 * 65535.0 / 32767.0 + 0.5)));
    QCOMPARE(int(row[0]), int(std::floor(100.0 * 65535.0 / 32767.0 + 0.5)));

    RawImage floats(1, 1, 3, 32);
    floats.rowDataFloat(0)[0] = 0.25f;
    floats.rowDataFloat(0)[1] = std::numeric_limits<float>::quiet_NaN();
    floats.rowDataFloat(0)[2] = 0.5f;
    QVERIFY(floats.normalize());
    QCOMPARE(floats.rowDataFloat(0)[2], 1.0f);
    QCOMPARE(floats.rowDataFloat(0)[0], 0.5f);
}

void RawImageTest::normalizeRefusesBlackImage()
{
    RawImage black(3, 3, 3, 8);
    QVERIFY(!black.normalize());
    QCOMPARE(int(black.sample8(1, 1, 1)), 0);
    RawImage empty;
    QVERIFY(!empty.normalize());
}

void RawImageTest::cloneAndCopyAreDeep()
{
    RawImage image(3, 2, 3, 16, "M", "X", "S", 30, 20);
    image.rowData16(1)[4] = 777;
    std::unique_ptr<RawImageIF> clone(cloneRawImage(&image));
    QVERIFY(clone);
    image.rowData16(1)[4] = 1;
    QCOMPARE(int(clone->sample16(1, 1, 1)), 777);
    QCOMPARE(clone->model(), QString("X"));
    QCOMPARE(clone->fullHeight(), 20);

    RawImage copy = image;
    copy.rowData16(0)[0] = 9;
    QCOMPARE(int(image.rowData16(0)[0]), 0);
    RawImage moved = std::move(copy);
    QVERIFY(copy.isNull());
    QCOMPARE(int(moved.rowData16(0)[0]), 9);
}

namespace {
class NotARawImage : public RawImageIF {
public:
    int width() const override { return 0; }
    int height() const override { return 0; }
    int channels() const override { return 0; }
    int bitsPerSample() const override { return 0; }
    int bytesPerSample() const override { return 0; }
    int sampleType() const override { return 0; }
    std::size_t stride() const override { return 0; }
    bool isNull() const override { return true; }
    int fullWidth() const override { return 0; }
    int fullHeight() const override { return 0; }
    QString make() const override { return {}; }
    QString model() const override { return {}; }
    QString software() const override { return {}; }
    const std::uint8_t* rowData8(int) const override { return nullptr; }
    std::uint8_t* rowData8(int) override { return nullptr; }
    const std::uint16_t* rowData16(int) const override { return nullptr; }
    std::uint16_t* rowData16(int) override { return nullptr; }
    const float* rowDataFloat(int) const override { return nullptr; }
    float* rowDataFloat(int) override { return nullptr; }
    const std::uint8_t* rowBytes(int) const override { return nullptr; }
    std::uint8_t* rowBytes(int) override { return nullptr; }
    std::uint8_t sample8(int, int, int) const override { return 0; }
    std::uint16_t sample16(int, int, int) const override { return 0; }
    double sampleValue(int, int, int) const override { return 0; }
    bool channelMinMax(int, double&, double&) const override { return false; }
    bool normalize() override { return false; }
};
} // namespace

void RawImageTest::cloneRefusesForeignImage()
{
    NotARawImage other;
    QVERIFY(cloneRawImage(&other) == nullptr);
    QVERIFY(cloneRawImage(nullptr) == nullptr);
}

void RawImageTest::configFolders()
{
    Config config;
    QCOMPARE(config.tmpPath(), QDir::tempPath() + "/tmppelto");
    config.init("/t", "/d");
    QCOMPARE(config.tmpPath(), QString("/t/tmppelto"));
    QCOMPARE(config.referencesPath(), QString("/d/References"));
    QCOMPARE(config.illuminantsPath(), QString("/d/Illuminants"));
    QVERIFY(!QFileInfo::exists("/t/tmppelto"));
    QCOMPARE(ConfigIF::instance(), ConfigIF::instance());
}

void RawImageTest::patchGridFilePathMakesFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ConfigIF* config = ConfigIF::instance();
    const QString oldTmp = config->tmpPath();
    config->init(dir.path(), dir.path());
    QString out;
    QVERIFY(patchGridFilePath("/photos/chart.shot.CR2", out));
    QCOMPARE(out, dir.path() + "/tmppelto/chart.shot.rst");
    QVERIFY(QFileInfo(dir.path() + "/tmppelto").isDir());

    // A temporary folder that cannot be made gives an empty path.
    QFile blocker(dir.path() + "/file");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    config->init(dir.path() + "/file", dir.path());
    QVERIFY(!patchGridFilePath("/photos/chart.CR2", out));
    QVERIFY(out.isEmpty());
    config->init(QFileInfo(oldTmp).path(), QString());
}

VP_TEST_SUITE(RawImageTest);
#include "test_rawimage.moc"
