#include "chart/ISO12642_Scanner.h"

#include <QFile>
#include <QIODevice>

namespace {

// The scanner's virtual byte source and token buffer, as the token machine
// reads them.
class ScannerSource final : public cgats_lex::token_source {
public:
    explicit ScannerSource(ISO12642_Scanner& scanner) : m_scanner(scanner) {}
    int get() override { return m_scanner.getChar(); }
    void append(char c) override { m_scanner.appendChar(c); }
    void clear() override { m_scanner.clearToken(); }
    const char* text() override { return m_scanner.tokenText(); }

private:
    ISO12642_Scanner& m_scanner;
};

}  // namespace

ISO12642_Scanner::~ISO12642_Scanner() = default;

int ISO12642_Scanner::nextToken()
{
    ScannerSource source(*this);
    return m_machine.next(source);
}

ISO12642_QFile_Scanner::ISO12642_QFile_Scanner(QIODevice* device) : m_device(device)
{
    if (const auto* file = qobject_cast<const QFile*>(device))
        setSourceName(file->fileName());
}

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
