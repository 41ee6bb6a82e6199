// Parses the bytes as CGATS text, as given and after normalisation, and reads
// every value back; the engine's reader reads the same bytes, so the shared
// tokeniser is reached through both readers.
#include "chart/CgatsNormaliser.h"
#include "chart/ISO12642_Scanner.h"
#include "chart/VandrelithFile_Parser.h"

#include <engine/cgats.h>

#include <QBuffer>
#include <QByteArray>
#include <QtGlobal>

#include <climits>
#include <cstddef>
#include <cstdint>

namespace {

void quietMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

// The program's own parser runs the base parser's code for plain CGATS and
// adds its own blocks, so it stands for both.
void parseText(const QByteArray& text)
{
    QByteArray copy = text;
    QBuffer buffer(&copy);
    if (!buffer.open(QIODevice::ReadOnly))
        return;
    ISO12642_QFile_Scanner scanner(&buffer);
    VandrelithFile_Parser parser(&scanner);
    if (parser.parse() != 0) {
        parser.errorText();
        return;
    }
    const QStringList columns = parser.columnNames();
    const int sets = parser.numberOfSets();
    for (int s = 0; s < sets; ++s)
        for (int c = 0; c < columns.size(); ++c)
            parser.valueAt(s, c);
    // Out-of-range reads answer null rather than touching memory.
    if (!parser.valueAt(-1, 0).isNull() || !parser.valueAt(0, -1).isNull()
        || !parser.valueAt(INT_MAX, 0).isNull() || !parser.valueAt(0, INT_MAX).isNull())
        __builtin_trap();
    parser.keywordValue(QStringLiteral("CREATED"));
    for (int colour = VandrelithFile_Parser::LinCyan; colour <= VandrelithFile_Parser::LinBlack; ++colour)
        if (parser.hasLinearization(colour))
            for (int i = 0; i < VandrelithFile_Parser::LinearizationValues; ++i)
                parser.linearization(colour, i);
    parser.relativePatchPositions();
    parser.lastErrorMessage();
}

void readWithEngine(const QByteArray& text)
{
    patch_set set;
    patch_set_init(&set);
    cgats_report report;
    if (read_cgats_bytes_report(text.constData(), size_t(text.size()), "fuzz", &set, &report)
            != ENGINE_OK
        && report.message[0] == '\0')
        __builtin_trap();  // every refusal says why
    patch_set_free(&set);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qInstallMessageHandler(quietMessages);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray raw(reinterpret_cast<const char*>(data), int(size));
    parseText(raw);
    readWithEngine(raw);
    parseText(normaliseCgats(raw));
    return 0;
}
