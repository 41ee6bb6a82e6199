// The CGATS normaliser: what it repairs, checked through the parser that
// reads its output.

#include "ParseRun.h"
#include "SuiteRunner.h"

#include <QTest>

#include <memory>

class NormaliserTests : public QObject {
    Q_OBJECT

private slots:
    void fieldSynonyms_data()
    {
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QString>("field");
        QTest::addRow("SampleID") << QByteArray("SampleID") << QStringLiteral("SAMPLE_ID");
        QTest::addRow("Sample_ID") << QByteArray("Sample_ID") << QStringLiteral("SAMPLE_ID");
        QTest::addRow("sampleid") << QByteArray("sampleid") << QStringLiteral("SAMPLE_ID");
        QTest::addRow("Lab_L") << QByteArray("Lab_L") << QStringLiteral("LAB_L");
        QTest::addRow("Lab_b") << QByteArray("Lab_b") << QStringLiteral("LAB_B");
        QTest::addRow("xyz_y") << QByteArray("xyz_y") << QStringLiteral("XYZ_Y");
        QTest::addRow("Yxy_x") << QByteArray("Yxy_x") << QStringLiteral("XYY_X");
        QTest::addRow("Yxy_y") << QByteArray("Yxy_y") << QStringLiteral("XYY_Y");
        QTest::addRow("Yxy_Y") << QByteArray("Yxy_Y") << QStringLiteral("XYY_PY");
        QTest::addRow("SPEC_") << QByteArray("SPEC_380") << QStringLiteral("SPECTRAL_380");
        QTest::addRow("nm") << QByteArray("nm380") << QStringLiteral("SPECTRAL_380");
        QTest::addRow("NM_ with decimals") << QByteArray("NM_380.0") << QStringLiteral("SPECTRAL_380");
        QTest::addRow("thousandths of a nm") << QByteArray("SPEC_380000")
                                             << QStringLiteral("SPECTRAL_380");
        QTest::addRow("R_ kept") << QByteArray("R_380") << QStringLiteral("R_380");
        QTest::addRow("unknown kept") << QByteArray("MY_COLUMN") << QStringLiteral("MY_COLUMN");
    }
    void fieldSynonyms()
    {
        QFETCH(QByteArray, written);
        QFETCH(QString, field);
        auto run = parseText(
            "IS12642\nORIGINATOR \"o\"\nDESCRIPTOR \"d\"\nCREATED \"c\"\nNUMBER_OF_FIELDS 2\n"
            "BEGIN_DATA_FORMAT\nSTRING " + written + "\nEND_DATA_FORMAT\nNUMBER_OF_SETS 1\n"
            "BEGIN_DATA\ns 42\nEND_DATA\n",
            true);
        QCOMPARE(run->result, 0);
        QCOMPARE(run->parser.columnNames(), QStringList({"STRING", field}));
        QCOMPARE(run->parser.value(0, field), QStringLiteral("42"));
    }

    // Texts the parser alone rejects, with what the normalised text holds.
    void repairs_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("sets");
        QTest::addColumn<QString>("lastValue");  // the last field of the last set
        QTest::addRow("CR LF line ends")
            << QByteArray("CTI3\r\nORIGINATOR \"o\"\r\nNUMBER_OF_FIELDS 2\r\nBEGIN_DATA_FORMAT\r\n"
                          "SAMPLE_ID XYZ_X\r\nEND_DATA_FORMAT\r\nNUMBER_OF_SETS 2\r\nBEGIN_DATA\r\n"
                          "1 2.5\r\n2 3.5\r\nEND_DATA\r\n")
            << 2 << QStringLiteral("3.5");
        QTest::addRow("CR line ends")
            << QByteArray("CTI3\rBEGIN_DATA_FORMAT\rSAMPLE_ID XYZ_X\rEND_DATA_FORMAT\rBEGIN_DATA\r"
                          "1 2.5\rEND_DATA\r")
            << 1 << QStringLiteral("2.5");
        QTest::addRow("no identifier line")
            << QByteArray("ORIGINATOR \"o\"\nBEGIN_DATA_FORMAT\nSAMPLE_ID\nEND_DATA_FORMAT\n"
                          "BEGIN_DATA\n7\nEND_DATA\n")
            << 1 << QStringLiteral("7");
        QTest::addRow("wrong NUMBER_OF_FIELDS")
            << QByteArray("CTI2\nNUMBER_OF_FIELDS 9\nBEGIN_DATA_FORMAT\nSAMPLE_ID XYZ_X\n"
                          "END_DATA_FORMAT\nNUMBER_OF_SETS 1\nBEGIN_DATA\n1 2\nEND_DATA\n")
            << 1 << QStringLiteral("2");
        QTest::addRow("wrong NUMBER_OF_SETS")
            << QByteArray("CTI2\nBEGIN_DATA_FORMAT\nSAMPLE_ID XYZ_X\nEND_DATA_FORMAT\n"
                          "NUMBER_OF_SETS 5\nBEGIN_DATA\n1 2\n2 3\nEND_DATA\n")
            << 2 << QStringLiteral("3");
        QTest::addRow("no data format")
            << QByteArray("CTI2\nBEGIN_DATA\n1 2 3\n4 5 6\nEND_DATA\n") << 2 << QStringLiteral("6");
        QTest::addRow("END_DATA missing")
            << QByteArray("CTI2\nBEGIN_DATA_FORMAT\nSAMPLE_ID\nEND_DATA_FORMAT\nBEGIN_DATA\n1\n2\n")
            << 2 << QStringLiteral("2");
        QTest::addRow("END_DATA_FORMAT missing")
            << QByteArray("CTI2\nBEGIN_DATA_FORMAT\nSAMPLE_ID LAB_L\nBEGIN_DATA\n1 50\nEND_DATA\n")
            << 1 << QStringLiteral("50");
        QTest::addRow("unquoted keyword value")
            << QByteArray("SPECT\nSPECTRAL_START_NM 300.0\nDISPLAY x y\nBEGIN_DATA_FORMAT\n"
                          "SPEC_300\nEND_DATA_FORMAT\nBEGIN_DATA\n.5\nEND_DATA\n")
            << 1 << QStringLiteral("0.5");
        QTest::addRow("byte-order mark and a second table")
            << QByteArray("\xEF\xBB\xBF" "CTI3\nBEGIN_DATA_FORMAT\nSAMPLE_ID\nEND_DATA_FORMAT\n"
                          "BEGIN_DATA\n1\nEND_DATA\nNUMBER_OF_FIELDS 1\nBEGIN_DATA_FORMAT\nXYZ_X\n"
                          "END_DATA_FORMAT\nBEGIN_DATA\n9\n8\nEND_DATA\n")
            << 1 << QStringLiteral("1");
        QTest::addRow("data word with foreign characters")
            << QByteArray("CTI3\nBEGIN_DATA_FORMAT\nSAMPLE_ID STRING\nEND_DATA_FORMAT\n"
                          "BEGIN_DATA\n1 a/b.c\nEND_DATA\n")
            << 1 << QStringLiteral("a/b.c");
    }
    void repairs()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, sets);
        QFETCH(QString, lastValue);
        auto run = parseText(text, true);
        QVERIFY2(run->result == 0, qPrintable(run->parser.errorText() + run->bytes));
        QCOMPARE(run->parser.numberOfSets(), sets);
        const int last = run->parser.columnNames().size() - 1;
        QCOMPARE(run->parser.valueAt(sets - 1, last), lastValue);
    }

    void unknownKeywordsDeclared()
    {
        const QByteArray out = normaliseCgats(QByteArray(
            "CTI3\nTARGET_INSTRUMENT \"i1\"\nKEYWORD \"COLOR_REP\"\nCOLOR_REP \"RGB\"\n"
            "BEGIN_DATA_FORMAT\nSAMPLE_ID\nEND_DATA_FORMAT\nBEGIN_DATA\n1\nEND_DATA\n"));
        QVERIFY(out.contains("KEYWORD \"TARGET_INSTRUMENT\"\nTARGET_INSTRUMENT \"i1\"\n"));
        QCOMPARE(out.count("KEYWORD \"COLOR_REP\""), 1);
        auto run = parseText(out);
        QCOMPARE(run->result, 0);
        QVERIFY2(!run->parser.errorText().contains("illegal keyword"),
                 qPrintable(run->parser.errorText()));
        QCOMPARE(run->parser.keywordValue(QStringLiteral("TARGET_INSTRUMENT")),
                 QStringLiteral("i1"));
        QCOMPARE(run->parser.keywordValue(QStringLiteral("CREATED")), QStringLiteral("unknown"));
    }

    void ownBlocksKept()
    {
        auto run = parseText(
            "Vandrelith marlo lux Reference File\r\nORIGINATOR \"o\"\r\nLINEARIZATION:\r\n"
            "CYAN: 1 2 3 4 5 6 7 8 9 10\r\nBEGIN_SPECTRUM\r\nSPECTRUM_START 380\r\nSPECTRUM_END 390\r\n"
            "SPECTRUM_INC 10\r\nEND_SPECTRUM\r\nRELATIVE_PATCH_POSITIONS_TR_YF \"1 2\"\r\n"
            "BEGIN_DATA_FORMAT\r\nSAMPLE_ID R_380 R_390\r\nEND_DATA_FORMAT\r\nBEGIN_DATA\r\n"
            "A 1 2\r\nEND_DATA\r\n",
            true);
        QVERIFY2(run->result == 0, qPrintable(run->parser.errorText()));
        QCOMPARE(run->parser.linearization(VandrelithFile_Parser::LinCyan, 9), 10.0);
        QCOMPARE(run->parser.spectrumEnd(), 390);
        QCOMPARE(run->parser.relativePatchPositions(), QStringLiteral("1 2"));
        QCOMPARE(run->parser.value(0, QStringLiteral("R_390")), QStringLiteral("2"));
    }

    // An empty data block is reported as no data sets, not as a count error.
    void emptyDataBlock()
    {
        auto run = parseText("CTI3\nBEGIN_DATA_FORMAT\nSAMPLE_ID\nEND_DATA_FORMAT\nBEGIN_DATA\n"
                             "END_DATA\n",
                             true);
        QVERIFY2(run->result == 0, qPrintable(run->parser.errorText() + run->bytes));
        QCOMPARE(run->parser.numberOfSets(), 0);
    }

    // A line with too many values stays wrong, so the parser names its line.
    void extraValuesReported()
    {
        auto run = parseText("CTI3\nBEGIN_DATA_FORMAT\nSAMPLE_ID LAB_L\nEND_DATA_FORMAT\n"
                             "BEGIN_DATA\n1 2\n3 4 5\nEND_DATA\n",
                             true);
        QCOMPARE(run->result, -1);
        QVERIFY2(run->parser.errorText().contains("more values than fields (2) in line"),
                 qPrintable(run->parser.errorText()));
    }

    void stringOverload()
    {
        const QString out = normaliseCgats(QStringLiteral("CTI3\r\nDESCRIPTOR \"\u00e9t\u00e9\"\r\n"));
        QVERIFY(out.contains(QStringLiteral("DESCRIPTOR \"\u00e9t\u00e9\"\n")));
        QVERIFY(!out.contains(QLatin1Char('\r')));
    }

    void stableOnItsOwnOutput_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addRow("spectral") << QByteArray("SPECT\nSPECTRAL_NORM 1\nBEGIN_DATA_FORMAT\nSPEC_300000 "
                                                "SPEC_301000\nEND_DATA_FORMAT\nBEGIN_DATA\n1 2\nEND_DATA\n");
        QTest::addRow("keywords") << QByteArray("ORIGINATOR o\nFOO \"a\"\nKEYWORD BAR\nBAR 2\n");
        QTest::addRow("garbage") << QByteArray("\"x\n#\n12 ab\xff\x01 BEGIN_DATA 1 2");
    }
    void stableOnItsOwnOutput()
    {
        QFETCH(QByteArray, text);
        const QByteArray once = normaliseCgats(text);
        QCOMPARE(normaliseCgats(once), once);
    }
};

VP_TEST_SUITE(NormaliserTests);

#include "test_normaliser.moc"
