// Illuminant spectra read from CGATS files: results, messages, and the white
// points of real illuminant files.

#include "Close.h"
#include "SuiteRunner.h"

#include "chart/Illuminant.h"
#include "chart/csContext.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

namespace {

const QString kFixtures = QStringLiteral(CHART_SCIENCE_FIXTURES);

SpectrumArray toSpectrum(const Illuminant& illuminant)
{
    std::vector<float> values;
    for (int nm = illuminant.start(), i = 0; nm <= illuminant.end(); nm += illuminant.step(), ++i)
        values.push_back(static_cast<float>(illuminant.value(i)));
    return SpectrumArray(values.data(), static_cast<unsigned>(values.size()),
                         static_cast<unsigned>(illuminant.start()),
                         static_cast<unsigned>(illuminant.step()));
}

}  // namespace

class IlluminantTests : public QObject {
    Q_OBJECT

private slots:
    void meanOfSets()
    {
        std::unique_ptr<IlluminantIF> ill(illuminantNew());
        int start = -1, end = -1, step = -1;
        ill->range(&start, &end, &step);
        QCOMPARE(start, 0);
        QCOMPARE(end, 0);
        QCOMPARE(step, 0);
        QCOMPARE(ill->value(0), 0.0);
        QString message;
        QCOMPARE(ill->loadFromFile(kFixtures + "/illuminant_380_730_10.cie", message),
                 IlluminantIF::LoadOk);
        QCOMPARE(message, QStringLiteral("380-730/10 nm"));
        ill->range(&start, &end, &step);
        QCOMPARE(start, 380);
        QCOMPARE(end, 730);
        QCOMPARE(step, 10);
        // Set s holds nm / 10 + s for s = 0, 1, 2.
        VP_COMPARE_CLOSE(ill->value(0), 39.0, 1e-9);
        VP_COMPARE_CLOSE(ill->value(35), 74.0, 1e-9);
        QCOMPARE(ill->value(36), 0.0);
        QCOMPARE(ill->value(-1), 0.0);
        ill->setName(QStringLiteral("fixture"));
        QCOMPARE(ill->name(), QStringLiteral("fixture"));
    }

    // Each failure gives its result and message and keeps the loaded values.
    void failures_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("message");
        const QByteArray head = "IS12642\nORIGINATOR \"o\"\nDESCRIPTOR \"d\"\nCREATED \"c\"\n";
        QTest::addRow("missing column") << QByteArray() << int(IlluminantIF::LoadFieldsMissing)
                                        << QStringLiteral(" R_500");
        QTest::addRow("parse error") << QByteArray("garbage") << int(IlluminantIF::LoadParseError)
                                     << QStringLiteral("DATA is missing");
        QTest::addRow("no data sets")
            << head + "BEGIN_DATA_FORMAT\nR_380 R_390\nEND_DATA_FORMAT\nBEGIN_DATA\nEND_DATA\n"
            << int(IlluminantIF::LoadNoDataSets) << QString();
        QTest::addRow("no spectral field")
            << head + "BEGIN_DATA_FORMAT\nSAMPLE_ID LAB_L\nEND_DATA_FORMAT\nBEGIN_DATA\n1 2\nEND_DATA\n"
            << int(IlluminantIF::LoadNoSpectralFields) << QString();
        QTest::addRow("value no number")
            << head + "BEGIN_DATA_FORMAT\nR_380 R_390\nEND_DATA_FORMAT\nBEGIN_DATA\n1 x\nEND_DATA\n"
            << int(IlluminantIF::LoadParseError) << QStringLiteral("illegal value 'x' of R_390");
        QTest::addRow("0xFF bytes") << QByteArray(64, '\xFF') << int(IlluminantIF::LoadParseError)
                                    << QStringLiteral("DATA is missing");
    }
    void failures()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, result);
        QFETCH(QString, message);
        Illuminant ill;
        QString m;
        QCOMPARE(ill.loadFromFile(kFixtures + "/illuminant_380_730_10.cie", m), IlluminantIF::LoadOk);
        m.clear();
        if (text.isEmpty()) {
            QCOMPARE(int(ill.loadFromFile(kFixtures + "/illuminant_without_500.cie", m)), result);
        } else {
            QTemporaryDir dir;
            QFile file(dir.filePath(QStringLiteral("in.sp")));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
            file.close();
            QCOMPARE(int(ill.loadFromFile(file.fileName(), m)), result);
        }
        QVERIFY2(message.isEmpty() ? m.isEmpty() : m.contains(message), qPrintable(m));
        QCOMPARE(ill.start(), 380);
        QCOMPARE(ill.end(), 730);
        VP_COMPARE_CLOSE(ill.value(12), 51.0, 1e-9);
    }

    void cannotOpen()
    {
        Illuminant ill;
        QString m;
        QCOMPARE(ill.loadFromFile(kFixtures + "/no such file.sp", m), IlluminantIF::LoadCannotOpen);
        QCOMPARE(ill.start(), 0);
    }

    // Real illuminant files (SPEC_ columns, in nm or thousandths of a nm)
    // integrate to the white the CIE publishes (2 degree, 380-780 nm; within
    // 0.1, as the observer reaches 5 nm by the band-pass average).
    void realFileWhites_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("range");
        QTest::addColumn<double>("X");
        QTest::addColumn<double>("Z");
        QTest::addColumn<double>("tolerance");
        const QString argyll = QStringLiteral("/usr/share/color/argyll/ref/");
        const QString colord = QStringLiteral("/usr/share/colord/illuminant/");
        QTest::addRow("argyll D50") << argyll + "D50_1.0.sp" << "300-830/5 nm" << 96.422 << 82.521 << 0.1;
        QTest::addRow("argyll F1") << argyll + "F1.sp" << "380-780/5 nm" << 92.834 << 103.665 << 0.1;
        QTest::addRow("argyll C") << argyll + "CIE_C.sp" << "320-780/5 nm" << 98.074 << 118.232 << 0.1;
        QTest::addRow("colord A") << colord + "CIE-A.sp" << "300-830/1 nm" << 109.85 << 35.585 << 0.1;
        QTest::addRow("colord C") << colord + "CIE-C.sp" << "" << 98.074 << 118.232 << 0.1;
        QTest::addRow("colord D65") << colord + "CIE-D65.sp" << "" << 95.047 << 108.883 << 0.1;
        // colord's D50 is not the CIE table (up to 0.09 off per sample).
        QTest::addRow("colord D50") << colord + "CIE-D50.sp" << "" << 96.422 << 82.521 << 0.15;
        QTest::addRow("colord F2") << colord + "CIE-F2.sp" << "" << 99.186 << 67.393 << 0.1;
    }
    void realFileWhites()
    {
        QFETCH(QString, path);
        QFETCH(QString, range);
        QFETCH(double, X);
        QFETCH(double, Z);
        QFETCH(double, tolerance);
        Illuminant ill;
        QString message;
        QCOMPARE(ill.loadFromFile(path, message), IlluminantIF::LoadOk);
        if (!range.isEmpty())
            QCOMPARE(message, range);
        csContext c;
        QVERIFY(c.setRange(380, 780, 5));
        c.setCustomIlluminant(toSpectrum(ill));
        VP_COMPARE_CLOSE(c.whiteY(), 100.0, 1e-3);
        VP_COMPARE_CLOSE(c.whiteX(), X, tolerance);
        VP_COMPARE_CLOSE(c.whiteZ(), Z, tolerance);
    }
};

VP_TEST_SUITE(IlluminantTests);

#include "test_illuminant.moc"
