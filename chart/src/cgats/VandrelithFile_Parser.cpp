#include "chart/VandrelithFile_Parser.h"

#include "chart/ISO12642_Scanner.h"

#include <cstdlib>

namespace {

// Largest number of R_ columns a BEGIN_SPECTRUM block may declare.
constexpr int kMaxSpectrumColumns = 10000;

bool isNumberToken(int token)
{
    return token == ISO12642_Scanner::TokInteger || token == ISO12642_Scanner::TokFloat;
}

}  // namespace

VandrelithFile_Parser::VandrelithFile_Parser(ISO12642_Scanner* scanner) : ISO12642_Parser(scanner)
{
    addFieldName(QStringLiteral("CMY_C"), false);
    addFieldName(QStringLiteral("CMY_M"), false);
    addFieldName(QStringLiteral("CMY_Y"), false);
    for (int nm = 300; nm <= 800; nm += 5)
        addFieldName(QStringLiteral("R_%1").arg(nm), false);
}

VandrelithFile_Parser::~VandrelithFile_Parser() = default;

bool VandrelithFile_Parser::hasLinearization(int colour) const
{
    return colour >= 0 && colour < 4 && m_linearizationGiven[colour];
}

double VandrelithFile_Parser::linearization(int colour, int i) const
{
    if (colour < 0 || colour >= 4 || i < 0 || i >= LinearizationValues)
        return 0.0;
    return m_linearization[colour][i];
}

int VandrelithFile_Parser::handleUnknownKeyword(const QString& name)
{
    if (name == QLatin1String("LINEARIZATION:"))
        return readLinearization();
    if (name == QLatin1String("BEGIN_SPECTRUM"))
        return readSpectrumBlock();
    if (name == QLatin1String("RELATIVE_PATCH_POSITIONS_TR_YF")) {
        if (currentToken() == ISO12642_Scanner::TokString) {
            m_relativePatchPositions = currentText();
            readToken();
        }
        return 0;
    }
    return -1;
}

int VandrelithFile_Parser::readLinearization()
{
    static const char* const colours[4] = {"CYAN:", "MAGENTA:", "YELLOW:", "BLACK:"};
    while (currentToken() == ISO12642_Scanner::TokIdentifier) {
        const QString word = currentText();
        int colour = -1;
        for (int c = 0; c < 4; ++c) {
            if (word == QLatin1String(colours[c]))
                colour = c;
        }
        if (colour < 0)
            break;
        for (int i = 0; i < LinearizationValues; ++i) {
            if (!isNumberToken(readToken())) {
                ParseError(QStringLiteral("INTERGER or FLOAT value required as linearization value"));
                return -1;
            }
            m_linearization[colour][i] = std::atof(currentText().toLatin1().constData());
        }
        m_linearizationGiven[colour] = true;
        readToken();
    }
    return 0;
}

int VandrelithFile_Parser::readSpectrumBlock()
{
    static const char* const names[3] = {"SPECTRUM_START", "SPECTRUM_END", "SPECTRUM_INC"};
    bool given[3] = {false, false, false};
    int values[3] = {0, 0, 0};
    for (;;) {
        if (currentToken() != ISO12642_Scanner::TokIdentifier) {
            if (currentToken() == ISO12642_Scanner::TokEnd)
                reportAt(0, QStringLiteral("END_SPECTRUM is missing"),
                         QStringLiteral("the text ends before END_SPECTRUM"));
            else
                reportAt(currentLine(),
                         QStringLiteral("illegal token '%1' in BEGIN_SPECTRUM (line %2)")
                             .arg(currentText())
                             .arg(currentLine()),
                         QStringLiteral("illegal token '%1' in BEGIN_SPECTRUM")
                             .arg(currentText()));
            return -1;
        }
        const QString word = currentText();
        if (word == QLatin1String("END_SPECTRUM"))
            break;
        int which = -1;
        for (int i = 0; i < 3; ++i) {
            if (word == QLatin1String(names[i]))
                which = i;
        }
        if (which < 0) {
            reportAt(currentLine(),
                     QStringLiteral("illegal keyword '%1' in BEGIN_SPECTRUM (line %2)")
                         .arg(word)
                         .arg(currentLine()),
                     QStringLiteral("illegal keyword '%1' in BEGIN_SPECTRUM").arg(word));
            return -1;
        }
        if (given[which]) {
            ParseError(QStringLiteral("%1 is already defined").arg(word));
            return -1;
        }
        if (readToken() != ISO12642_Scanner::TokInteger) {
            ParseError(QStringLiteral("INTEGER required as parameter of %1").arg(word));
            return -1;
        }
        values[which] = std::atoi(currentText().left(9).toLatin1().constData());
        given[which] = true;
        readToken();
    }
    for (int i = 0; i < 3; ++i) {
        if (!given[i]) {
            ParseError(QStringLiteral("%1 is undefined").arg(QLatin1String(names[i])));
            return -1;
        }
    }
    const int start = values[0];
    const int end = values[1];
    const int inc = values[2];
    if (start < 0 || inc <= 0 || end < start || (end - start) / inc + 1 > kMaxSpectrumColumns) {
        ParseError(QStringLiteral("illegal spectrum range %1-%2/%3").arg(start).arg(end).arg(inc));
        return -1;
    }
    m_spectrumStart = start;
    m_spectrumEnd = end;
    m_spectrumInc = inc;
    const QStringList known = fieldNames();
    for (int nm = start; nm <= end; nm += inc) {
        const QString column = QStringLiteral("R_%1").arg(nm);
        if (!known.contains(column))
            addFieldName(column, true);
    }
    readToken();
    return 0;
}
