#include "TestSuites.h"

#include <chart/Patch.h>
#include <chart/PatchGrid.h>
#include <chart/RawImage.h>
#include <chart/Target.h>

#include <engine/cgats.h>
#include <engine/entries.h>
#include <engine/records.h>
#include <engine/patch_set.h>
#include <platform/big_endian.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

const char kColorCheckerReference[] = "/usr/share/color/argyll/ref/ColorChecker.cie";

QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A target of columns x rows plain patches without reference.
Target plainTarget(unsigned columns, unsigned rows)
{
    const unsigned count = columns * rows;
    QString ref = "IS12642\nNUMBER_OF_FIELDS 4\nBEGIN_DATA_FORMAT\nSAMPLE_ID LAB_L LAB_A LAB_B\n"
                  "END_DATA_FORMAT\nNUMBER_OF_SETS " + QString::number(count) + "\nBEGIN_DATA\n";
    QString def = "IS12642\nNUMBER_OF_FIELDS 1\nBEGIN_DATA_FORMAT\nSAMPLE_ID\nEND_DATA_FORMAT\n"
                  "NUMBER_OF_SETS " + QString::number(count) + "\nBEGIN_DATA\n";
    for (unsigned i = 0; i < count; ++i) {
        ref += QString("S%1 50 0 0\n").arg(i);
        def += QString("S%1\n").arg(i);
    }
    ref += "END_DATA\n";
    def += "END_DATA\n";
    Target target;
    target.setColumns(columns);
    target.setRows(rows);
    target.loadReferenceFromISO12642(ref, TargetIF::ReadCounting);
    target.loadDefFromISO12642(def);
    target.loadReferenceFromISO12642(ref, TargetIF::ReadValues);
    return target;
}

// Fills the rectangle with one colour.
void fill(RawImage& image, QRect rect, const std::vector<double>& colour)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            for (int c = 0; c < image.channels(); ++c) {
                const double v = colour[std::size_t(c)];
                switch (image.bitsPerSample()) {
                case 8: image.rowData8(y)[x * image.channels() + c] = std::uint8_t(v); break;
                case 16: image.rowData16(y)[x * image.channels() + c] = std::uint16_t(v); break;
                default: image.rowDataFloat(y)[x * image.channels() + c] = float(v); break;
                }
            }
        }
    }
}

// A one-cell grid laid over the whole quad (l, t) - (r, b).
PatchGrid cellGrid(QSize image, QRect cell)
{
    PatchGrid grid;
    grid.setImageSize(image);
    grid.setGridSize(1, 1);
    grid.setCorners(cell.topLeft(), QPoint(cell.right(), cell.top()),
                    QPoint(cell.left(), cell.bottom()), cell.bottomRight());
    grid.setSampleArea(0, 0, 1.0);
    return grid;
}

} // namespace

class MeasureTest : public QObject {
    Q_OBJECT
private slots:
    void uniformCell_data();
    void uniformCell();
    void cellWithoutPixels_data();
    void cellWithoutPixels();
    void setsTwoAndThree();
    void mainRoad();
};

void MeasureTest::uniformCell_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<double>("stored");
    QTest::addColumn<double>("mean");
    QTest::addRow("8-bit white") << 8 << 255.0 << 65535.0;
    QTest::addRow("16-bit odd level") << 16 << 40001.0 << 40001.0;
    QTest::addRow("16-bit level whose square sum rounds") << 16 << 65521.0 << 65521.0;
    QTest::addRow("float half") << 32 << 0.5 << 32768.0;
}

void MeasureTest::uniformCell()
{
    QFETCH(int, bits);
    QFETCH(double, stored);
    QFETCH(double, mean);
    RawImage image(300, 300, 3, bits);
    fill(image, QRect(0, 0, 300, 300), {stored, stored, stored});
    Target target = plainTarget(1, 1);
    PatchGrid grid = cellGrid(QSize(300, 300), QRect(QPoint(3, 3), QPoint(297, 297)));
    grid.measurePatch(0, 0, &target, &image, false);
    const PatchIF* p = target.patch(0, 0);
    QCOMPARE(p->valueCount(), 3u);
    for (int c = 0; c < 3; ++c)
        QCOMPARE(p->value1(c), mean);
    // A flat cell has no deviation; rounding must not turn it into NaN.
    QCOMPARE(p->deviation1(), 0.0);
}

void MeasureTest::cellWithoutPixels_data()
{
    QTest::addColumn<QRect>("cell");
    QTest::addRow("outside the image") << QRect(QPoint(200, 200), QPoint(260, 260));
    QTest::addRow("row 0 only") << QRect(QPoint(10, 0), QPoint(40, 1));
    QTest::addRow("column 0 only") << QRect(QPoint(0, 10), QPoint(0, 40));
}

void MeasureTest::cellWithoutPixels()
{
    QFETCH(QRect, cell);
    RawImage image(100, 100, 3, 16);
    fill(image, QRect(0, 0, 100, 100), {1000, 1000, 1000});
    Target target = plainTarget(1, 1);
    PatchGrid grid = cellGrid(QSize(100, 100), cell);
    grid.measurePatch(0, 0, &target, &image, false);
    QVERIFY(std::isnan(target.patch(0, 0)->value1(0)));
    QVERIFY(std::isnan(target.patch(0, 0)->deviation1()));
}

void MeasureTest::setsTwoAndThree()
{
    RawImage image(60, 60, 4, 16);
    // Two halves of different level: the deviation is their half difference.
    fill(image, QRect(0, 0, 60, 30), {1000, 2000, 3000, 4000});
    fill(image, QRect(0, 30, 60, 30), {3000, 2000, 3000, 4000});
    Target target = plainTarget(1, 1);
    PatchIF* p = target.patch(0, 0);
    PatchGrid grid = cellGrid(QSize(60, 60), QRect(QPoint(10, 10), QPoint(50, 50)));

    grid.measurePatch(0, 0, &target, &image, true);
    QCOMPARE(p->valueCount(), 4u);
    QCOMPARE(p->value1(0), 0.0);
    QCOMPARE(p->value2(0), 2000.0);
    QCOMPARE(p->value2(3), 4000.0);
    QCOMPARE(p->deviation2(), 1000.0 / 4);  // mean of the channel deviations

    p->setValueCount(2);
    grid.measurePatchSet3(0, 0, &target, &image);
    QCOMPARE(p->value3(1), 2000.0);
    QCOMPARE(p->value3(3), 0.0);  // beyond the value count
    grid.measurePatchSet3(0, 0, &target, nullptr);
    QCOMPARE(p->value3(0), 0.0);
    QCOMPARE(p->value3(1), 0.0);
    QCOMPARE(p->deviation3(), 0.0);

    // Another cell than the target has, or no target: nothing happens.
    grid.measurePatch(3, 3, &target, &image, false);
    grid.measurePatch(0, 0, nullptr, &image, false);
    QCOMPARE(p->value1(0), 0.0);
}

// From a real chart's reference data through a measured synthetic chart image
// to the engine's reading of the file pair.
void MeasureTest::mainRoad()
{
    const QString reference = readText(kColorCheckerReference);
    if (reference.isEmpty())
        QSKIP("argyll-ref is not installed");
    const QString definition = readText(TARGET_FIXTURE_DIR "/ColorChecker_definition.txt");
    QVERIFY(!definition.isEmpty());

    // The whole road logs nothing.
    const MessageCount messages;
    Target target;
    target.setColumns(6);
    target.setRows(4);
    QCOMPARE(int(target.loadReferenceFromISO12642(reference, TargetIF::ReadCounting)), 0);
    QCOMPARE(target.referenceSetCount(), 24u);
    QCOMPARE(int(target.loadDefFromISO12642(definition)), 0);
    QCOMPARE(int(target.loadReferenceFromISO12642(reference, TargetIF::ReadValues)), 0);
    QCOMPARE(target.patch(5, 3)->type(), int(PatchIF::TypeReflection));
    QCOMPARE(target.patch(0, 3)->primary(), 8);

    // The chart: 40-pixel cells from (10, 10), each filled with its display
    // colour on the 16-bit scale, with a 3-pixel black gap around each cell.
    const int cell = 40;
    RawImage image(6 * cell + 20, 4 * cell + 20, 3, 16);
    for (unsigned r = 0; r < 4; ++r) {
        for (unsigned c = 0; c < 6; ++c) {
            const PatchIF* p = target.patch(c, r);
            fill(image, QRect(10 + int(c) * cell + 3, 10 + int(r) * cell + 3, cell - 6, cell - 6),
                 {p->rgb(0) * 257.0, p->rgb(1) * 257.0, p->rgb(2) * 257.0});
        }
    }
    PatchGrid grid;
    grid.setImageSize(QSize(image.width(), image.height()));
    grid.setGridSize(4, 6);
    grid.setCorners(QPoint(10, 10), QPoint(10 + 6 * cell, 10), QPoint(10, 10 + 4 * cell),
                    QPoint(10 + 6 * cell, 10 + 4 * cell));

    // The placement survives its file.
    QTemporaryDir dir;
    const QString placement = dir.filePath("chart.rst");
    QVERIFY(grid.saveToFile(placement, "chart.tif", 0, false));
    PatchGrid restored;
    restored.setImageSize(grid.imageWidth() > 0 ? QSize(grid.imageWidth(), grid.imageHeight())
                                                : QSize());
    restored.setGridSize(4, 6);
    QVERIFY(restored.loadFromFile(placement, "chart.tif", 0, nullptr));

    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 6; ++c) {
            restored.setSampleArea(c, r, 0.5);
            restored.measurePatch(c, r, &target, &image, false);
            const PatchIF* p = target.patch(unsigned(c), unsigned(r));
            QCOMPARE(p->value1(0), p->rgb(0) * 257.0);
            QCOMPARE(p->deviation1(), 0.0);
        }
    }

    const QString cie = dir.filePath("run.cie");
    const QString pix = dir.filePath("run.pix");
    unsigned long counter = 0, refPos = 0, measPos = 0;
    bool badData = true;
    QVERIFY(target.saveForProfile(cie, pix, true, true, counter, refPos, measPos,
                                  csContext::CIE1931_2, csContext::D50, QString(), badData, false,
                                  nullptr, nullptr, 0.0, 0.0, false));
    QVERIFY(!badData);
    QCOMPARE(counter, 24ul);

    struct Sets {
        patch_set measured;
        patch_set referenced;
        Sets() { patch_set_init(&measured); patch_set_init(&referenced); }
        ~Sets() { patch_set_free(&measured); patch_set_free(&referenced); }
    } sets;
    patch_set& measured = sets.measured;
    patch_set& referenced = sets.referenced;
    const int readMeasured = read_cgats_file(QFile::encodeName(pix).constData(), &measured);
    const int readReference = read_cgats_file(QFile::encodeName(cie).constData(), &referenced);
    QCOMPARE(readMeasured, 0);
    QCOMPARE(readReference, 0);
    QCOMPARE(int(measured.count), 24);
    QCOMPARE(int(referenced.count), 24);
    QCOMPARE(measured.data_space, SIG_RGB);
    QCOMPARE(referenced.data_space, SIG_LAB);  // colorimetric-only data
    for (unsigned i = 0; i < 24; ++i) {
        const PatchIF* p = target.patchAt(i);
        const patch_record& m = measured.patches[i];
        const patch_record& ref = referenced.patches[i];
        QCOMPARE(QByteArray(m.control), p->control().toLatin1());
        for (int k = 0; k < 3; ++k) {
            QVERIFY(std::fabs(m.device[k] - p->rgb(k)) < 0.006);
            // Two decimals in the file; the reference went through XYZ and back.
            QVERIFY2(std::fabs(ref.lab[k] - p->referenceLab(k)) < 0.011,
                     qPrintable(QString("patch %1 Lab %2: %3 vs %4")
                                    .arg(i).arg(k).arg(ref.lab[k]).arg(p->referenceLab(k))));
        }
    }
    QVERIFY(std::fabs(referenced.patches[0].lab[0] - 37.99) < 0.011);

    // And on to a written profile from the same pair.
    const QString icc = dir.filePath("run.icc");
    calculation_settings settings{};
    settings.calculation_mode = 1;
    const int built = create_profile_for_job(
        QFile::encodeName(cie).constData(), QFile::encodeName(pix).constData(),
        QFile::encodeName(icc).constData(), 0, 0, 0, 0, 1, 0, 0, 2, "Test Camera", nullptr,
        nullptr, nullptr, nullptr, nullptr, nullptr, &settings,
        QFile::encodeName(dir.path()).constData());
    QCOMPARE(built, 0);
    QFile profile(icc);
    QVERIFY(profile.open(QIODevice::ReadOnly));
    const QByteArray bytes = profile.readAll();
    QVERIFY(bytes.size() > 128);
    QCOMPARE(bytes.mid(36, 4), QByteArray("acsp"));
    const quint32 declared = platform::load_be32(reinterpret_cast<const uint8_t*>(bytes.constData()));
    QCOMPARE(declared, quint32(bytes.size()));
    QCOMPARE(messages.count(), 0);
}

static RegisterSuite<MeasureTest> registerMeasureTest;
#include "test_measure.moc"
