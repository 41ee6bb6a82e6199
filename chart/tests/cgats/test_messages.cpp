// Where and why both CGATS readers refuse a text: the bad inputs of the
// readers' tests, each with the located message of the chart parser and of
// the engine's reader (which reads some of them whole).

#include "ParseRun.h"

#include <engine/cgats.h>

#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QByteArray kHeader =
    "IS12642\nORIGINATOR \"test\"\nDESCRIPTOR \"chart\"\nCREATED \"today\"\n";
const QByteArray kFormat = "BEGIN_DATA_FORMAT\nSAMPLE_ID LAB_L\nEND_DATA_FORMAT\n";

QByteArray manyFields(int n)
{
    QByteArray f;
    for (int i = 0; i < n; ++i)
        f += "F" + QByteArray::number(i) + " ";
    return "BEGIN_DATA_FORMAT\n" + f + "\nEND_DATA_FORMAT\nBEGIN_DATA\n1\nEND_DATA\n";
}

// What the engine's reader says of the text; empty when it reads it.
QString engineMessage(const QByteArray& text, const char* name)
{
    patch_set set;
    patch_set_init(&set);
    cgats_report report;
    const engine_result r =
        read_cgats_bytes_report(text.constData(), size_t(text.size()), name, &set, &report);
    patch_set_free(&set);
    return r == ENGINE_OK ? QString() : QString::fromUtf8(report.message);
}

}  // namespace

class MessageTests : public QObject {
    Q_OBJECT

private slots:
    void refusals_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("parser");  // one of the parser's messages
        QTest::addColumn<QString>("engine");  // the engine reader's, empty when it reads the text

        QTest::addRow("empty") << QByteArray() << "run.cie: no data, file empty?"
                               << "run.cie: the text is empty";
        QTest::addRow("only blanks and comments")
            << QByteArray("  \n# x\n\t\n") << "run.cie: no data, file empty?"
            << "run.cie: no BEGIN_DATA line: no data to read";
        QTest::addRow("bad own header")
            << QByteArray("Vandrelith marlo lux Target File\n")
            << "run.cie: line 1: This is not a valid marlo file"
            << "run.cie: no BEGIN_DATA line: no data to read";
        QTest::addRow("keyword with a number")
            << QByteArray("IS12642\nORIGINATOR 12\n")
            << "run.cie: line 2: ORIGINATOR takes a quoted text, not '12'"
            << "run.cie: no BEGIN_DATA line: no data to read";
        QTest::addRow("keyword at the end")
            << QByteArray("IS12642\nORIGINATOR")
            << "run.cie: line 2: ORIGINATOR takes a quoted text, not the end of the text"
            << "run.cie: no BEGIN_DATA line: no data to read";
        QTest::addRow("NUMBER_OF_FIELDS without integer")
            << kHeader + "NUMBER_OF_FIELDS \"2\"\n"
            << "run.cie: line 5: NUMBER_OF_FIELDS takes an integer, not '2'"
            << "run.cie: no BEGIN_DATA line: no data to read";
        QTest::addRow("NUMBER_OF_FIELDS 0")
            << kHeader + "NUMBER_OF_FIELDS 0\n" + kFormat
            << "run.cie: line 6: NUMBER_OF_FIELDS has to be defined before BEGIN_DATA_FORMAT"
            << "run.cie: no BEGIN_DATA line: no data to read";
        QTest::addRow("NUMBER_OF_FIELDS negative")
            << kHeader + "NUMBER_OF_FIELDS -3\n" + kFormat
            << "run.cie: line 5: NUMBER_OF_FIELDS -3 out of range (0 to 65536)"
            << "run.cie: no BEGIN_DATA line: no data to read";
        QTest::addRow("NUMBER_OF_FIELDS differs from the format")
            << kHeader + "NUMBER_OF_FIELDS 3\n" + kFormat
            << "run.cie: line 8: NUMBER_OF_FIELDS 3 differs from the 2 fields of the data format"
            << "run.cie: no BEGIN_DATA line: no data to read";
        QTest::addRow("data before format")
            << kHeader + "BEGIN_DATA\n1 2\nEND_DATA\n"
            << "run.cie: line 5: BEGIN_DATA_FORMAT is needed before BEGIN_DATA" << QString();
        QTest::addRow("NUMBER_OF_SETS 0")
            << kHeader + kFormat + "NUMBER_OF_SETS 0\nBEGIN_DATA\nEND_DATA\n"
            << "run.cie: line 9: NUMBER_OF_SETS has to be defined before BEGIN_DATA"
            << QString();
        QTest::addRow("huge NUMBER_OF_SETS")
            << kHeader + kFormat + "NUMBER_OF_SETS 2000000000\nBEGIN_DATA\n1 2\nEND_DATA\n"
            << "run.cie: line 8: NUMBER_OF_SETS 2000000000 out of range (0 to 4000000)"
            << QString();
        QTest::addRow("more sets than declared")
            << kHeader + kFormat + "NUMBER_OF_SETS 1\nBEGIN_DATA\n1 2\n3 4\nEND_DATA\n"
            << "run.cie: line 11: more data sets than NUMBER_OF_SETS (1)" << QString();
        QTest::addRow("fewer sets than declared")
            << kHeader + kFormat + "NUMBER_OF_SETS 3\nBEGIN_DATA\n1 2\n3 4\nEND_DATA\n"
            << "run.cie: line 12: 2 sets of 2 fields where NUMBER_OF_SETS says 3" << QString();
        QTest::addRow("short line")
            << kHeader + kFormat + "BEGIN_DATA\n1 2\n3\nEND_DATA\n"
            << "run.cie: line 10: 1 values where NUMBER_OF_FIELDS says 2" << QString();
        QTest::addRow("line with more values than fields")
            << kHeader + kFormat + "BEGIN_DATA\n1 2 3\n4 5\nEND_DATA\n"
            << "run.cie: line 9: more values than the 2 fields of NUMBER_OF_FIELDS"
            << QString();
        QTest::addRow("empty data format")
            << kHeader + "BEGIN_DATA_FORMAT\nEND_DATA_FORMAT\nBEGIN_DATA\n1\nEND_DATA\n"
            << "run.cie: line 7: illegal number of data sets: no fields" << QString();
        QTest::addRow("number in the data format")
            << kHeader + "BEGIN_DATA_FORMAT\nSAMPLE_ID 5\nEND_DATA_FORMAT\n"
            << "run.cie: line 6: illegal field name '5' in the data format"
            << "run.cie: no BEGIN_DATA line: no data to read";
        QTest::addRow("truncated in the data format")
            << kHeader + "BEGIN_DATA_FORMAT\nSAMPLE_ID LAB_L"
            << "run.cie: the text ends before END_DATA_FORMAT"
            << "run.cie: line 5: BEGIN_DATA_FORMAT without END_DATA_FORMAT";
        QTest::addRow("truncated in the data")
            << kHeader + kFormat + "BEGIN_DATA\n1 2\n3"
            << "run.cie: the text ends before END_DATA" << QString();
        QTest::addRow("reserved word in the data")
            << kHeader + kFormat + "BEGIN_DATA\n1 BEGIN_DATA\nEND_DATA\n"
            << "run.cie: line 9: illegal value 'BEGIN_DATA' in the data" << QString();
        QTest::addRow("no table")
            << kHeader
            << "run.cie: NUMBER_OF_FIELDS, DATA_FORMAT, NUMBER_OF_SETS, DATA is missing"
            << "run.cie: no BEGIN_DATA line: no data to read";
        QTest::addRow("spectrum block not closed")
            << kHeader + "BEGIN_SPECTRUM\nSPECTRUM_START 380\n"
            << "run.cie: the text ends before END_SPECTRUM"
            << "run.cie: no BEGIN_DATA line: no data to read";
        QTest::addRow("spectrum value twice")
            << kHeader + "BEGIN_SPECTRUM\nSPECTRUM_START 380 SPECTRUM_START 390\n"
            << "run.cie: line 6: SPECTRUM_START is already defined"
            << "run.cie: no BEGIN_DATA line: no data to read";
        QTest::addRow("linearisation value not a number")
            << kHeader + "LINEARIZATION:\nYELLOW: 1 2 3 x 5 6 7 8 9 10\n"
            << "run.cie: line 6: INTERGER or FLOAT value required as linearization value"
            << "run.cie: no BEGIN_DATA line: no data to read";
        QTest::addRow("format without data")
            << QByteArray("CGATS.17\nBEGIN_DATA_FORMAT\nRGB_R\nEND_DATA_FORMAT\n")
            << "run.cie: NUMBER_OF_FIELDS, DATA_FORMAT, NUMBER_OF_SETS, DATA is missing"
            << "run.cie: no BEGIN_DATA line: no data to read";
        QTest::addRow("binary")
            << QByteArray("\x01\x02\x80\x00\x7f\"\x10", 7)
            << "run.cie: NUMBER_OF_FIELDS, DATA_FORMAT, NUMBER_OF_SETS, DATA is missing"
            << "run.cie: no BEGIN_DATA line: no data to read";
        QTest::addRow("too many fields for the engine")
            << kHeader + manyFields(121)
            << "run.cie: line 9: 1 values where NUMBER_OF_FIELDS says 121"
            << "run.cie: line 5: 121 fields besides spectral ones where the reader takes at most 120";
    }
    void refusals()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, parser);
        QFETCH(QString, engine);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("run.cie"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();

        QVERIFY(file.open(QIODevice::ReadOnly));
        ISO12642_QFile_Scanner scanner(&file);
        VandrelithFile_Parser p(&scanner);
        const int result = p.parse();
        // The located messages go with the Part's texts, not instead of them.
        QCOMPARE(p.errorMessages().size(), p.errorText().count(QLatin1Char('\n')));
        const QStringList shown = p.errorMessages().replaceInStrings(dir.path() + "/", QString());
        QVERIFY2(shown.contains(parser), qPrintable(shown.join(QLatin1Char('|'))));
        QCOMPARE(result, -1);

        QCOMPARE(engineMessage(text, "run.cie"), engine);
        patch_set set;
        patch_set_init(&set);
        cgats_report report;
        const engine_result r =
            read_cgats_file_report(QFile::encodeName(path).constData(), &set, &report);
        patch_set_free(&set);
        QCOMPARE(r == ENGINE_OK, engine.isEmpty());
        QCOMPARE(QString::fromUtf8(report.message).replace(dir.path() + "/", QString()), engine);
    }

    void engineFileRefusals()
    {
        patch_set set;
        patch_set_init(&set);
        cgats_report report;
        QCOMPARE(int(read_cgats_file_report("/nonexistent/none.cie", &set, &report)),
                 int(ENGINE_ERR_FILE));
        QCOMPARE(QString::fromUtf8(report.message), QStringLiteral("/nonexistent/none.cie: no such file"));
        QCOMPARE(int(read_cgats_file_report("/tmp", &set, &report)), int(ENGINE_ERR_FILE));
        QCOMPARE(QString::fromUtf8(report.message), QStringLiteral("/tmp: is not a file"));
        patch_set_free(&set);
    }

    // Accepted rows with gaps are told apart from whole ones; the lines count
    // alike whatever ends them.
    void engineGaps_data()
    {
        QTest::addColumn<QByteArray>("lineEnd");
        QTest::addRow("LF") << QByteArray("\n");
        QTest::addRow("CR LF") << QByteArray("\r\n");
        QTest::addRow("CR") << QByteArray("\r");
        QTest::addRow("LF CR") << QByteArray("\n\r");
    }
    void engineGaps()
    {
        QFETCH(QByteArray, lineEnd);
        QByteArray text = "BEGIN_DATA_FORMAT\nSAMPLE_ID RGB_R RGB_G RGB_B\nEND_DATA_FORMAT\n"
                          "BEGIN_DATA\n1 1 2 3\n\n2 4 x 6\n3 7\nEND_DATA\n";
        text.replace("\n", lineEnd);
        patch_set set;
        patch_set_init(&set);
        cgats_report report;
        QCOMPARE(int(read_cgats_bytes_report(text.constData(), size_t(text.size()), nullptr,
                                             &set, &report)),
                 int(ENGINE_OK));
        QCOMPARE(int(set.count), 3);
        patch_set_free(&set);
        QCOMPARE(report.message[0], '\0');
        QCOMPARE(report.short_rows, 1);
        QCOMPARE(report.first_short_line, 8);
        QCOMPARE(report.device_gaps, 3);
        QCOMPARE(report.first_gap_line, 7);
    }
};

std::unique_ptr<QObject> makeMessageTests() { return std::make_unique<MessageTests>(); }

#include "test_messages.moc"
