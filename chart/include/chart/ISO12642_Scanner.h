#pragma once
// Tokeniser for CGATS / ISO 12642 text. The base class holds the state machine
// (nextToken); a subclass supplies the bytes and the token buffer.

#include <QByteArray>

class QIODevice;

class ISO12642_Scanner {
public:
    // Codes returned by nextToken().
    enum TokenE {
        TokEnd = 0,             // end of text
        TokIdentifier = 1,      // identifier that is not a reserved word
        TokString = 2,          // quoted string (text without the quotes)
        TokInteger = 3,         // integer, also a lone "-"
        TokFloat = 4,           // float, decimal point stored as '.'
        TokIS12642 = 5,
        TokNumberOfFields = 6,
        TokBeginDataFormat = 7,
        TokEndDataFormat = 8,
        TokNumberOfSets = 9,
        TokBeginData = 10,
        TokEndData = 11,
        TokKeyword = 12
    };

    // Returned by getChar() at the end of the source.
    static constexpr int EndOfSource = 0xFF;

    ISO12642_Scanner() = default;
    ISO12642_Scanner(const ISO12642_Scanner&) = delete;
    ISO12642_Scanner& operator=(const ISO12642_Scanner&) = delete;

    // Next byte of the source (0..255), EndOfSource at the end.
    virtual int getChar() = 0;
    virtual void appendChar(char c) = 0;
    virtual void clearToken() = 0;
    // The current token's bytes, zero-terminated.
    virtual const char* tokenText() = 0;
    virtual ~ISO12642_Scanner();

    // Reads the next token and returns its code (TokenE).
    int nextToken();
    // Line counter: 1 at the start, advanced by every CR, LF, CR LF or LF CR read.
    int lineNumber() const { return m_line; }
    // Line on which the token last returned by nextToken() began.
    int tokenLine() const { return m_tokenLine; }

private:
    enum BreakE { BreakNone, BreakCR, BreakLF };
    int readChar();

    int m_putBack = -1;
    BreakE m_lastBreak = BreakNone;
    int m_line = 1;
    int m_tokenLine = 1;
};

// Scanner over an open QIODevice (a QFile, or a QBuffer for text in memory).
// The device is not owned and must stay open while the scanner is used. The end
// of the source (or a 0xFF byte) is delivered once as '\n', so the last token
// is always ended.
class ISO12642_QFile_Scanner : public ISO12642_Scanner {
public:
    explicit ISO12642_QFile_Scanner(QIODevice* device);
    ~ISO12642_QFile_Scanner() override;

    int getChar() override;
    void appendChar(char c) override;
    void clearToken() override;
    const char* tokenText() override;

private:
    QIODevice* m_device;
    QByteArray m_token;
    bool m_endNewlineDelivered = false;
};
