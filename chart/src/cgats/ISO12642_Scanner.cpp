#include "chart/ISO12642_Scanner.h"

#include <QIODevice>

#include <cstring>

namespace {

bool isDigit(int c) { return c >= '0' && c <= '9'; }
bool isLetter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isIdentChar(int c)
{
    return isLetter(c) || isDigit(c) || c == '$' || c == '%' || c == '-' || c == ':' || c == '_';
}
bool isSpace(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

struct ReservedWord {
    const char* text;
    int code;
};

const ReservedWord kReserved[] = {
    {"IS12642", ISO12642_Scanner::TokIS12642},
    {"NUMBER_OF_FIELDS", ISO12642_Scanner::TokNumberOfFields},
    {"BEGIN_DATA_FORMAT", ISO12642_Scanner::TokBeginDataFormat},
    {"END_DATA_FORMAT", ISO12642_Scanner::TokEndDataFormat},
    {"NUMBER_OF_SETS", ISO12642_Scanner::TokNumberOfSets},
    {"BEGIN_DATA", ISO12642_Scanner::TokBeginData},
    {"END_DATA", ISO12642_Scanner::TokEndData},
    {"KEYWORD", ISO12642_Scanner::TokKeyword},
};

int identifierCode(const char* text)
{
    for (const ReservedWord& w : kReserved) {
        if (std::strcmp(w.text, text) == 0)
            return w.code;
    }
    return ISO12642_Scanner::TokIdentifier;
}

}  // namespace

ISO12642_Scanner::~ISO12642_Scanner() = default;

// Next character: the put-back one first (already counted), else one from the
// source, which passes the line counter.
int ISO12642_Scanner::readChar()
{
    if (m_putBack >= 0) {
        const int c = m_putBack;
        m_putBack = -1;
        return c;
    }
    const int c = getChar();
    if (c == '\r') {
        if (m_lastBreak == BreakLF) {
            m_lastBreak = BreakNone;  // second half of LF CR
        } else {
            ++m_line;
            m_lastBreak = BreakCR;
        }
    } else if (c == '\n') {
        if (m_lastBreak == BreakCR) {
            m_lastBreak = BreakNone;  // second half of CR LF
        } else {
            ++m_line;
            m_lastBreak = BreakLF;
        }
    } else {
        m_lastBreak = BreakNone;
    }
    return c;
}

int ISO12642_Scanner::nextToken()
{
    enum StateE { Start, String, Comment, Minus, Integer, Float, Identifier };
    clearToken();
    StateE state = Start;
    for (;;) {
        const int c = readChar();
        if (c == EndOfSource || c < 0)
            return TokEnd;
        // Bytes 0x80 and above are neither letters nor digits and are never put back.
        const bool high = c >= 0x80;
        switch (state) {
        case Start:
            m_tokenLine = m_line;
            if (isSpace(c) || high) {
                break;
            } else if (c == '"') {
                state = String;
            } else if (c == '#') {
                state = Comment;
            } else if (isDigit(c)) {
                appendChar(static_cast<char>(c));
                state = Integer;
            } else if (c == '-') {
                appendChar(static_cast<char>(c));
                state = Minus;
            } else if (isIdentChar(c)) {
                appendChar(static_cast<char>(c));
                state = Identifier;
            }
            break;
        case String:
            if (c == '"')
                return TokString;
            appendChar(static_cast<char>(c));
            break;
        case Comment:
            if (c == '\r' || c == '\n') {
                clearToken();
                state = Start;
            }
            break;
        case Minus:
            if (isDigit(c)) {
                appendChar(static_cast<char>(c));
                state = Integer;
            } else if (isIdentChar(c)) {
                appendChar(static_cast<char>(c));
                state = Identifier;
            } else {
                if (!high)
                    m_putBack = c;
                return TokInteger;
            }
            break;
        case Integer:
            if (c == '.' || c == ',') {
                appendChar('.');
                state = Float;
            } else if (isDigit(c)) {
                appendChar(static_cast<char>(c));
            } else if (isIdentChar(c)) {
                appendChar(static_cast<char>(c));
                state = Identifier;
            } else {
                if (!high)
                    m_putBack = c;
                return TokInteger;
            }
            break;
        case Float:
            if (isDigit(c)) {
                appendChar(static_cast<char>(c));
            } else if (isIdentChar(c)) {
                appendChar(static_cast<char>(c));
                state = Identifier;
            } else {
                if (!high)
                    m_putBack = c;
                return TokFloat;
            }
            break;
        case Identifier:
            if (isSpace(c) || c == '#') {
                m_putBack = c;
                return identifierCode(tokenText());
            }
            if (isIdentChar(c))
                appendChar(static_cast<char>(c));
            // any other character is dropped from the name
            break;
        }
    }
}

ISO12642_QFile_Scanner::ISO12642_QFile_Scanner(QIODevice* device) : m_device(device) {}

ISO12642_QFile_Scanner::~ISO12642_QFile_Scanner() = default;

int ISO12642_QFile_Scanner::getChar()
{
    char c = 0;
    if (!m_endNewlineDelivered) {
        if (m_device && m_device->getChar(&c) && static_cast<unsigned char>(c) != 0xFF)
            return static_cast<unsigned char>(c);
        m_endNewlineDelivered = true;
        return '\n';
    }
    return EndOfSource;
}

void ISO12642_QFile_Scanner::appendChar(char c) { m_token.append(c); }

void ISO12642_QFile_Scanner::clearToken() { m_token.clear(); }

const char* ISO12642_QFile_Scanner::tokenText() { return m_token.constData(); }
