// CGATS files written by other programs, read where their Debian packages
// install them: every one parses through the normaliser with its values.

#include "ParseRun.h"
#include "SuiteRunner.h"

#include <QDir>
#include <QTest>

#include <memory>

class RealFileTests : public QObject {
    Q_OBJECT

private slots:
    void parses_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("plainParserReads");  // without the normaliser
        QTest::addColumn<int>("sets");
        QTest::addColumn<int>("set");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        const QString argyll = QStringLiteral("/usr/share/color/argyll/ref/");
        const QString icc = QStringLiteral("/usr/share/color/icc/");
        const QString colord = QStringLiteral("/usr/share/colord/");
        QTest::addRow("ColorChecker.cie") << argyll + "ColorChecker.cie" << true << 24 << 0
                                          << "LAB_L" << "37.99";
        // Its NUMBER_OF_FIELDS says 9 for 8 fields.
        QTest::addRow("ColorChecker.ti2") << argyll + "ColorChecker.ti2" << false << 24 << 0
                                          << "XYZ_X" << "11.773";
        QTest::addRow("ColorCheckerSG.ti2") << argyll + "ColorCheckerSG.ti2" << true << 140 << 139
                                            << "SAMPLE_LOC" << "N10";
        QTest::addRow("QPcard_201.cie") << argyll + "QPcard_201.cie" << true << 30 << 29
                                        << "XYZ_Z" << "53.2";
        QTest::addRow("SpyderChecker.cie") << argyll + "SpyderChecker.cie" << true << 48 << 47
                                           << "XYZ_Y" << "9.32";
        QTest::addRow("CMP_Digital_Target-4.cie") << argyll + "CMP_Digital_Target-4.cie" << true
                                                  << 570 << 569 << "XYZ_Z" << "32.608";
        QTest::addRow("D50_1.0.sp") << argyll + "D50_1.0.sp" << true << 1 << 0
                                    << "SPECTRAL_300" << "0.020000";
        QTest::addRow("F1.sp") << argyll + "F1.sp" << true << 1 << 0 << "SPECTRAL_380" << "1.87";
        QTest::addRow("CIE_C.sp") << argyll + "CIE_C.sp" << true << 1 << 0 << "SPECTRAL_320"
                                  << "0.01";
        QTest::addRow("FOGRA39L.ti3") << icc + "FOGRA39L.ti3" << true << 1617 << 1616 << "LAB_B"
                                      << "-42.96";
        QTest::addRow("TR002.ti3") << icc + "TR002.ti3" << true << 928 << 927 << "LAB_L"
                                   << "31.88";
        QTest::addRow("CIE-A.sp") << colord + "illuminant/CIE-A.sp" << true << 1 << 0
                                  << "SPECTRAL_300" << "0.00930483";
        QTest::addRow("CIE-TCS.sp") << colord + "ref/CIE-TCS.sp" << true << 15 << 14
                                    << "SPECTRAL_380" << "0.13";
    }
    void parses()
    {
        QFETCH(QString, path);
        QFETCH(bool, plainParserReads);
        QFETCH(int, sets);
        QFETCH(int, set);
        QFETCH(QString, field);
        QFETCH(QString, value);
        const QByteArray text = readWholeFile(path);
        QVERIFY2(!text.isEmpty(), qPrintable(path + " is not installed"));

        auto plain = parseText<ISO12642_Parser>(text);
        QCOMPARE(plain->result == 0, plainParserReads);
        if (plainParserReads && plain->parser.columnIndex(field) >= 0)
            QCOMPARE(plain->parser.value(set, field), value);

        auto run = parseText(text, true);
        QVERIFY2(run->result == 0, qPrintable(run->parser.errorText()));
        QVERIFY2(!run->parser.errorText().contains(QStringLiteral("illegal keyword")),
                 qPrintable(run->parser.errorText()));
        QCOMPARE(run->parser.numberOfSets(), sets);
        QCOMPARE(run->parser.value(set, field), value);
    }

    // Every illuminant colord ships reads as one spectrum.
    void colordIlluminants()
    {
        const QStringList files =
            QDir(QStringLiteral("/usr/share/colord/illuminant")).entryList({"*.sp"}, QDir::Files);
        QVERIFY(files.size() >= 10);
        for (const QString& name : files) {
            auto run = parseText(readWholeFile("/usr/share/colord/illuminant/" + name), true);
            QVERIFY2(run->result == 0, qPrintable(name + ": " + run->parser.errorText()));
            QCOMPARE(run->parser.numberOfSets(), 1);
        }
    }
};

VP_TEST_SUITE(RealFileTests);

#include "test_realfiles.moc"
