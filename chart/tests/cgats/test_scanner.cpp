// Tokens and line counting of the CGATS scanner.

#include "chart/ISO12642_Scanner.h"
#include "SuiteRunner.h"

#include <QBuffer>
#include <QTest>

#include <memory>

namespace {

using S = ISO12642_Scanner;

// "code:text" for every token up to the end, joined by "|".
QString tokens(const QByteArray& text)
{
    QByteArray bytes = text;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    ISO12642_QFile_Scanner scanner(&buffer);
    QStringList out;
    for (int guard = 0; guard < 1000; ++guard) {
        const int code = scanner.nextToken();
        if (code == S::TokEnd)
            break;
        out << QStringLiteral("%1:%2").arg(code).arg(QString::fromLatin1(scanner.tokenText()));
    }
    return out.join(QLatin1Char('|'));
}

}  // namespace

class ScannerTests : public QObject {
    Q_OBJECT

private slots:
    void tokenSequence_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("expected");
        QTest::addRow("last token without line break") << QByteArray("NUMBER_OF_SETS 5")
                                                       << QStringLiteral("9:NUMBER_OF_SETS|3:5");
        QTest::addRow("comma as decimal point") << QByteArray("12,5 3.25")
                                                << QStringLiteral("4:12.5|4:3.25");
        QTest::addRow("digits then letters") << QByteArray("12AB") << QStringLiteral("1:12AB");
        QTest::addRow("lone minus") << QByteArray("- -7 -x") << QStringLiteral("3:-|3:-7|1:-x");
        QTest::addRow("quoted string keeps blanks and breaks")
            << QByteArray("\"a b\nc\" X") << QStringLiteral("2:a b\nc|1:X");
        QTest::addRow("comment to end of line") << QByteArray("A # B C\nD")
                                                << QStringLiteral("1:A|1:D");
        QTest::addRow("reserved words are case-sensitive")
            << QByteArray("BEGIN_DATA begin_data END_DATA_FORMAT KEYWORD IS12642")
            << QStringLiteral("10:BEGIN_DATA|1:begin_data|8:END_DATA_FORMAT|12:KEYWORD|5:IS12642");
        QTest::addRow("foreign characters dropped from a name")
            << QByteArray("IT8.7/2 x") << QStringLiteral("1:IT872|1:x");
        QTest::addRow("identifier characters") << QByteArray("$a%b-c:d_e")
                                               << QStringLiteral("1:$a%b-c:d_e");
        QTest::addRow("high bytes are no letters") << QByteArray("\xC3\xA9x 1\xC3\xA9")
                                                   << QStringLiteral("1:x|3:1");
        QTest::addRow("0xFF ends the text") << QByteArray("AB\xFF" "CD")
                                            << QStringLiteral("1:AB");
        QTest::addRow("unterminated string ends with the text") << QByteArray("\"abc")
                                                                << QString();
        QTest::addRow("empty text") << QByteArray() << QString();
    }
    void tokenSequence()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, expected);
        QCOMPARE(tokens(text), expected);
    }

    void lineBreaks_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("line");
        QTest::addRow("LF") << QByteArray("a\nb") << 2;
        QTest::addRow("CR") << QByteArray("a\rb") << 2;
        QTest::addRow("CR LF") << QByteArray("a\r\nb") << 2;
        QTest::addRow("LF CR") << QByteArray("a\n\rb") << 2;
        QTest::addRow("LF LF") << QByteArray("a\n\nb") << 3;
        QTest::addRow("CR CR") << QByteArray("a\r\rb") << 3;
        QTest::addRow("CR LF CR LF") << QByteArray("a\r\n\r\nb") << 3;
        QTest::addRow("break inside a comment") << QByteArray("#x\r\nb") << 2;
    }
    // The line of the token "b" and the counter after it.
    void lineBreaks()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, line);
        QByteArray bytes = text;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        ISO12642_QFile_Scanner scanner(&buffer);
        int code = 0;
        do {
            code = scanner.nextToken();
        } while (code != S::TokEnd && QByteArray(scanner.tokenText()) != "b");
        QCOMPARE(QByteArray(scanner.tokenText()), QByteArray("b"));
        QCOMPARE(scanner.tokenLine(), line);
    }

    // The end of the source is delivered once as a line break, then 0xFF.
    void endOfSource()
    {
        QByteArray bytes("x");
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        ISO12642_QFile_Scanner scanner(&buffer);
        QCOMPARE(scanner.getChar(), int('x'));
        QCOMPARE(scanner.getChar(), int('\n'));
        QCOMPARE(scanner.getChar(), int(S::EndOfSource));
        QCOMPARE(scanner.getChar(), int(S::EndOfSource));
        QCOMPARE(scanner.nextToken(), int(S::TokEnd));
    }
};

VP_TEST_SUITE(ScannerTests);

#include "test_scanner.moc"
