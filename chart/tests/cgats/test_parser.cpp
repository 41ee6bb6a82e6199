// The CGATS parser and the program's own file extensions: keywords, columns,
// data, every error, and bounds on counts read from the file.

#include "ParseRun.h"
#include "SuiteRunner.h"

#include <QTest>

#include <memory>

namespace {

const QByteArray kHeader =
    "IS12642\nORIGINATOR \"test\"\nDESCRIPTOR \"chart\"\nCREATED \"today\"\n";

QByteArray withHeader(const QByteArray& body) { return kHeader + body; }

}  // namespace

class ParserTests : public QObject {
    Q_OBJECT

private slots:
    void plainFile()
    {
        auto run = parseText<ISO12642_Parser>(withHeader(
            "NUMBER_OF_FIELDS 4\nBEGIN_DATA_FORMAT\nSAMPLE_ID LAB_L LAB_A LAB_B\n"
            "END_DATA_FORMAT\nNUMBER_OF_SETS 2\nBEGIN_DATA\nA01 37.99 13.56 14.06\n"
            "\"A 02\" 65,71 -18 17.81\nEND_DATA\n"));
        const ISO12642_Parser& p = run->parser;
        QCOMPARE(run->result, 0);
        QCOMPARE(p.errorText(), QString());
        QCOMPARE(p.numberOfFields(), 4);
        QCOMPARE(p.numberOfSets(), 2);
        QCOMPARE(p.keywordValue(QStringLiteral("ORIGINATOR")), QStringLiteral("test"));
        QVERIFY(p.keywordValue(QStringLiteral("MATERIAL")).isNull());
        QCOMPARE(p.columnNames(),
                 QStringList({"SAMPLE_ID", "LAB_L", "LAB_A", "LAB_B"}));
        QCOMPARE(p.value(0, QStringLiteral("LAB_B")), QStringLiteral("14.06"));
        QCOMPARE(p.value(1, QStringLiteral("SAMPLE_ID")), QStringLiteral("A 02"));
        QCOMPARE(p.value(1, QStringLiteral("LAB_L")), QStringLiteral("65.71"));
        QCOMPARE(p.value(1, QStringLiteral("LAB_A")), QStringLiteral("-18"));
        QCOMPARE(p.columnIndex(QStringLiteral("XYZ_X")), -1);
        QVERIFY(p.value(2, QStringLiteral("LAB_L")).isNull());
        QVERIFY(p.valueAt(0, 4).isNull());
        QVERIFY(p.valueAt(-1, 0).isNull());
    }

    void repeatedKeywordConcatenates()
    {
        auto run = parseText(withHeader("MATERIAL \"a\"\nMATERIAL \"b\"\nBEGIN_DATA_FORMAT\n"
                                        "SAMPLE_ID\nEND_DATA_FORMAT\nBEGIN_DATA\n1\nEND_DATA\n"));
        QCOMPARE(run->result, 0);
        QCOMPARE(run->parser.keywordValue(QStringLiteral("MATERIAL")), QStringLiteral("ab"));
    }

    // Without NUMBER_OF_SETS (and NUMBER_OF_FIELDS) the counts come from the
    // data; rows are grown as values arrive.
    void countsFromData()
    {
        QByteArray data;
        for (int i = 0; i < 250; ++i)
            data += QByteArray::number(i) + " x\n";
        auto run = parseText(withHeader("BEGIN_DATA_FORMAT\nSAMPLE_ID STRING\nEND_DATA_FORMAT\n"
                                        "BEGIN_DATA\n" + data + "END_DATA\n"));
        QCOMPARE(run->result, 0);
        QCOMPARE(run->parser.numberOfFields(), 2);
        QCOMPARE(run->parser.numberOfSets(), 250);
        QCOMPARE(run->parser.value(249, QStringLiteral("SAMPLE_ID")), QStringLiteral("249"));
        QVERIFY(run->parser.value(250, QStringLiteral("SAMPLE_ID")).isNull());
    }

    void declaredKeywordAsField()
    {
        auto run = parseText(withHeader("KEYWORD \"MY_FIELD\"\nMY_FIELD \"v\"\nBEGIN_DATA_FORMAT\n"
                                        "SAMPLE_ID MY_FIELD\nEND_DATA_FORMAT\nBEGIN_DATA\n1 2\n"
                                        "END_DATA\n"));
        QCOMPARE(run->result, 0);
        QCOMPARE(run->parser.keywordValue(QStringLiteral("MY_FIELD")), QStringLiteral("v"));
        QCOMPARE(run->parser.declaredNames(), QStringList{"MY_FIELD"});
        QCOMPARE(run->parser.value(0, QStringLiteral("MY_FIELD")), QStringLiteral("2"));
    }

    // Reported without failing the parse.
    void softErrors_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("errors");
        const QByteArray table = "BEGIN_DATA_FORMAT\nSAMPLE_ID\nEND_DATA_FORMAT\nBEGIN_DATA\n1\nEND_DATA\n";
        QTest::addRow("missing header keywords")
            << QByteArray("IS12642\n" + table)
            << QStringLiteral("ORIGINATOR is missing\nDESCRIPTOR is missing\nCREATED is missing\n");
        QTest::addRow("FILE_DESCRIPTOR stands for DESCRIPTOR")
            << QByteArray("IS12642\nORIGINATOR \"o\"\nFILE_DESCRIPTOR \"d\"\nCREATED \"c\"\n" + table)
            << QString();
        QTest::addRow("unknown keyword") << withHeader("FOO \"bar\"\n" + table)
                                         << QStringLiteral("illegal keyword: <FOO>\n");
    }
    void softErrors()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, errors);
        auto run = parseText<ISO12642_Parser>(text);
        QCOMPARE(run->result, 0);
        QCOMPARE(run->parser.errorText(), errors);
    }

    // Each fails with -1 and a message containing the given text.
    void hardErrors_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("message");
        const QByteArray format = "BEGIN_DATA_FORMAT\nSAMPLE_ID LAB_L\nEND_DATA_FORMAT\n";
        QTest::addRow("empty") << QByteArray() << QStringLiteral("no data, file empty?");
        QTest::addRow("only blanks and comments")
            << QByteArray("  \n# x\n\t\n") << QStringLiteral("no data, file empty?");
        QTest::addRow("0xFF bytes") << QByteArray(4096, '\xFF')
                                    << QStringLiteral("no data, file empty?");
        QTest::addRow("bad own header") << QByteArray("Vandrelith marlo lux Target File\n")
                                        << QStringLiteral("This is not a valid marlo file");
        QTest::addRow("own header cut short") << QByteArray("Vandrelith marlo")
                                              << QStringLiteral("This is not a valid marlo file");
        QTest::addRow("keyword with a number")
            << QByteArray("IS12642\nORIGINATOR 12\n")
            << QStringLiteral("illegal keyword value for ORIGINATOR in line");
        QTest::addRow("NUMBER_OF_FIELDS without integer")
            << withHeader("NUMBER_OF_FIELDS \"2\"\n") << QStringLiteral("INTEGER required after NUMBER_OF_FIELDS");
        QTest::addRow("NUMBER_OF_FIELDS 0")
            << withHeader("NUMBER_OF_FIELDS 0\n" + format)
            << QStringLiteral("NUMBER_OF_FIELDS has to be defined before BEGIN_DATA_FORMAT");
        QTest::addRow("NUMBER_OF_FIELDS negative")
            << withHeader("NUMBER_OF_FIELDS -3\n" + format) << QStringLiteral("out of range");
        QTest::addRow("NUMBER_OF_FIELDS differs from the format")
            << withHeader("NUMBER_OF_FIELDS 3\n" + format)
            << QStringLiteral("NUMBER_OF_FIELDS 3 differs from the 2 fields");
        QTest::addRow("data before format")
            << withHeader("BEGIN_DATA\n1 2\nEND_DATA\n")
            << QStringLiteral("BEGIN_DATA_FORMAT is needed before BEGIN_DATA");
        QTest::addRow("NUMBER_OF_SETS 0")
            << withHeader(format + "NUMBER_OF_SETS 0\nBEGIN_DATA\nEND_DATA\n")
            << QStringLiteral("NUMBER_OF_SETS has to be defined before BEGIN_DATA");
        QTest::addRow("huge NUMBER_OF_SETS")
            << withHeader(format + "NUMBER_OF_SETS 2000000000\nBEGIN_DATA\n1 2\nEND_DATA\n")
            << QStringLiteral("NUMBER_OF_SETS 2000000000 out of range");
        QTest::addRow("NUMBER_OF_SETS beyond int")
            << withHeader(format + "NUMBER_OF_SETS 99999999999999999999\nBEGIN_DATA\n1 2\nEND_DATA\n")
            << QStringLiteral("out of range");
        QTest::addRow("sets times fields too large")
            << withHeader("NUMBER_OF_FIELDS 65536\nBEGIN_DATA_FORMAT\n" +
                          QByteArray("SAMPLE_ID ").repeated(65536) +
                          "\nEND_DATA_FORMAT\nNUMBER_OF_SETS 4000000\nBEGIN_DATA\n1\nEND_DATA\n")
            << QStringLiteral("is too large");
        QTest::addRow("more sets than declared")
            << withHeader(format + "NUMBER_OF_SETS 1\nBEGIN_DATA\n1 2\n3 4\nEND_DATA\n")
            << QStringLiteral("more data sets than NUMBER_OF_SETS (1) in line 11");
        QTest::addRow("fewer sets than declared")
            << withHeader(format + "NUMBER_OF_SETS 3\nBEGIN_DATA\n1 2\n3 4\nEND_DATA\n")
            << QStringLiteral("illegal number of data sets");
        QTest::addRow("incomplete last set")
            << withHeader(format + "BEGIN_DATA\n1 2\n3\nEND_DATA\n")
            << QStringLiteral("illegal number of data sets");
        QTest::addRow("line with more values than fields")
            << withHeader(format + "BEGIN_DATA\n1 2 3\n4 5\nEND_DATA\n")
            << QStringLiteral("more values than fields (2) in line 9");
        QTest::addRow("empty data format")
            << withHeader("BEGIN_DATA_FORMAT\nEND_DATA_FORMAT\nBEGIN_DATA\n1\nEND_DATA\n")
            << QStringLiteral("illegal number of data sets");
        QTest::addRow("number in the data format")
            << withHeader("BEGIN_DATA_FORMAT\nSAMPLE_ID 5\nEND_DATA_FORMAT\n")
            << QStringLiteral("illegal field name '5'");
        QTest::addRow("truncated in the data format")
            << withHeader("BEGIN_DATA_FORMAT\nSAMPLE_ID LAB_L")
            << QStringLiteral("END_DATA_FORMAT is missing");
        QTest::addRow("truncated in the data")
            << withHeader(format + "BEGIN_DATA\n1 2\n3")
            << QStringLiteral("END_DATA is missing");
        QTest::addRow("reserved word in the data")
            << withHeader(format + "BEGIN_DATA\n1 BEGIN_DATA\nEND_DATA\n")
            << QStringLiteral("illegal value 'BEGIN_DATA' in the data (line 9)");
        QTest::addRow("no table") << withHeader(QByteArray())
                                  << QStringLiteral("NUMBER_OF_FIELDS, DATA_FORMAT, NUMBER_OF_SETS, DATA is missing");
        QTest::addRow("binary") << QByteArray("\x01\x02\x80\x00\x7f\"\x10", 7)
                                << QStringLiteral("DATA is missing");
    }
    void hardErrors()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, message);
        auto run = parseText(text);
        QCOMPARE(run->result, -1);
        QVERIFY2(run->parser.errorText().contains(message), qPrintable(run->parser.errorText()));
    }

    void ownHeader()
    {
        auto run = parseText(QByteArray("Vandrelith marlo lux Reference File\n") +
                             kHeader.mid(8) +
                             "BEGIN_DATA_FORMAT\nSAMPLE_ID\nEND_DATA_FORMAT\nBEGIN_DATA\n1\nEND_DATA\n");
        QCOMPARE(run->result, 0);
        QCOMPARE(run->parser.keywordValue(QStringLiteral("ORIGINATOR")), QStringLiteral("test"));
    }

    void columnStoreBounds()
    {
        QByteArray none;
        QBuffer buffer(&none);
        buffer.open(QIODevice::ReadOnly);
        ISO12642_QFile_Scanner scanner(&buffer);
        ISO12642_Parser parser(&scanner);
        parser.resizeRows(-1);  // an absent set count allocates nothing
        QVERIFY(!parser.setColumnValue(-1, 0, QStringLiteral("x")));
        QVERIFY(!parser.setColumnValue(0, -1, QStringLiteral("x")));
        QVERIFY(!parser.setColumnValue(0, 0, QStringLiteral("x")));  // no fields yet
        parser.setNumberOfFields(2);
        // Rows made before the field count was known stay empty; later ones
        // get one value per field.
        QVERIFY(!parser.setColumnValue(5, 1, QStringLiteral("x")));
        QVERIFY(parser.setColumnValue(150, 1, QStringLiteral("x")));
        QVERIFY(!parser.setColumnValue(150, 2, QStringLiteral("x")));
        QVERIFY(!parser.setColumnValue(ISO12642_Parser::MaxSets, 0, QStringLiteral("x")));
        QVERIFY(!parser.defineColumn(0, QStringLiteral("NOT_KNOWN")));
        QVERIFY(parser.defineColumn(1, QStringLiteral("LAB_L")));
        QVERIFY(parser.setColumnValueByName(150, QStringLiteral("LAB_L"), QStringLiteral("y")));
        QCOMPARE(parser.value(150, QStringLiteral("LAB_L")), QStringLiteral("y"));
        QVERIFY(!parser.setColumnValueByName(150, QStringLiteral("LAB_A"), QStringLiteral("y")));
        // Only indexes 0 .. size - 1 are listed.
        QVERIFY(parser.defineColumn(7, QStringLiteral("LAB_A")));
        QCOMPARE(parser.columnNames(), QStringList{"LAB_L"});
        QCOMPARE(parser.fieldNames().size(), 35);
        parser.ParseError(QStringLiteral("one"));
        QCOMPARE(parser.errorText(), QStringLiteral("one\n"));
    }

    void linearization()
    {
        auto run = parseText(withHeader(
            "LINEARIZATION:\nCYAN: 0 1 2 3 4 5 6 7 8 9.5\nBLACK: 9 8 7 6 5 4 3 2 1 0,25\n"
            "BEGIN_DATA_FORMAT\nSAMPLE_ID CMY_C R_380\nEND_DATA_FORMAT\nBEGIN_DATA\n1 2 3\nEND_DATA\n"));
        const VandrelithFile_Parser& p = run->parser;
        QCOMPARE(run->result, 0);
        QCOMPARE(p.errorText(), QString());
        QVERIFY(p.hasLinearization(VandrelithFile_Parser::LinCyan));
        QVERIFY(!p.hasLinearization(VandrelithFile_Parser::LinMagenta));
        QVERIFY(p.hasLinearization(VandrelithFile_Parser::LinBlack));
        QCOMPARE(p.linearization(VandrelithFile_Parser::LinCyan, 9), 9.5);
        QCOMPARE(p.linearization(VandrelithFile_Parser::LinBlack, 9), 0.25);
        QCOMPARE(p.linearization(VandrelithFile_Parser::LinBlack, 10), 0.0);
        QCOMPARE(p.linearization(7, 0), 0.0);
        QCOMPARE(p.value(0, QStringLiteral("R_380")), QStringLiteral("3"));
    }

    void spectrumBlock()
    {
        auto run = parseText(withHeader(
            "BEGIN_SPECTRUM\nSPECTRUM_INC 10\nSPECTRUM_START 850\nSPECTRUM_END 870\nEND_SPECTRUM\n"
            "RELATIVE_PATCH_POSITIONS_TR_YF \"0.1 0.2\"\n"
            "BEGIN_DATA_FORMAT\nSAMPLE_ID R_850 R_860 R_870\nEND_DATA_FORMAT\nBEGIN_DATA\n"
            "1 2 3 4\nEND_DATA\n"));
        const VandrelithFile_Parser& p = run->parser;
        QCOMPARE(run->result, 0);
        QCOMPARE(p.errorText(), QString());
        QCOMPARE(p.spectrumStart(), 850);
        QCOMPARE(p.spectrumEnd(), 870);
        QCOMPARE(p.spectrumInc(), 10);
        QCOMPARE(p.declaredNames(), QStringList({"R_850", "R_860", "R_870"}));
        QCOMPARE(p.relativePatchPositions(), QStringLiteral("0.1 0.2"));
        QCOMPARE(p.value(0, QStringLiteral("R_870")), QStringLiteral("4"));
    }

    void ownBlockErrors_data()
    {
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<QString>("message");
        QTest::addRow("linearisation value not a number")
            << QByteArray("LINEARIZATION:\nYELLOW: 1 2 3 x 5 6 7 8 9 10\n")
            << QStringLiteral("INTERGER or FLOAT value required as linearization value");
        QTest::addRow("linearisation row too short")
            << QByteArray("LINEARIZATION:\nMAGENTA: 1 2 3\nBEGIN_DATA_FORMAT\n")
            << QStringLiteral("INTERGER or FLOAT value required as linearization value");
        QTest::addRow("spectrum value twice")
            << QByteArray("BEGIN_SPECTRUM\nSPECTRUM_START 380 SPECTRUM_START 390\n")
            << QStringLiteral("SPECTRUM_START is already defined");
        QTest::addRow("spectrum value not an integer")
            << QByteArray("BEGIN_SPECTRUM\nSPECTRUM_INC 2.5\n")
            << QStringLiteral("INTEGER required as parameter of SPECTRUM_INC");
        QTest::addRow("spectrum start missing")
            << QByteArray("BEGIN_SPECTRUM\nSPECTRUM_END 730 SPECTRUM_INC 10 END_SPECTRUM\n")
            << QStringLiteral("SPECTRUM_START is undefined");
        QTest::addRow("spectrum end missing")
            << QByteArray("BEGIN_SPECTRUM\nSPECTRUM_START 380 SPECTRUM_INC 10 END_SPECTRUM\n")
            << QStringLiteral("SPECTRUM_END is undefined");
        QTest::addRow("spectrum inc missing")
            << QByteArray("BEGIN_SPECTRUM\nSPECTRUM_START 380 SPECTRUM_END 730 END_SPECTRUM\n")
            << QStringLiteral("SPECTRUM_INC is undefined");
        QTest::addRow("spectrum block not closed")
            << QByteArray("BEGIN_SPECTRUM\nSPECTRUM_START 380\n")
            << QStringLiteral("END_SPECTRUM is missing");
        QTest::addRow("spectrum step 0")
            << QByteArray("BEGIN_SPECTRUM\nSPECTRUM_START 380 SPECTRUM_END 730 SPECTRUM_INC 0 END_SPECTRUM\n")
            << QStringLiteral("illegal spectrum range 380-730/0");
        QTest::addRow("spectrum of a million columns")
            << QByteArray("BEGIN_SPECTRUM\nSPECTRUM_START 0 SPECTRUM_END 2000000000 SPECTRUM_INC 1 END_SPECTRUM\n")
            << QStringLiteral("illegal spectrum range");
    }
    void ownBlockErrors()
    {
        QFETCH(QByteArray, block);
        QFETCH(QString, message);
        auto run = parseText(withHeader(block));
        QCOMPARE(run->result, -1);
        QVERIFY2(run->parser.errorText().contains(message), qPrintable(run->parser.errorText()));
    }
};

VP_TEST_SUITE(ParserTests);

#include "test_parser.moc"
