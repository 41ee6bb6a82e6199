#pragma once
// Tokeniser for CGATS / ISO 12642 text. The base class runs the engine's
// ISO 12642 token machine (engine/cgats_lex.h, shared with the engine's CGATS
// reader) in nextToken; a subclass supplies the bytes and the token buffer.

#include <engine/cgats_lex.h>

#include <QByteArray>
#include <QString>

class QIODevice;

class ISO12642_Scanner {
public:
    // Codes returned by nextToken().
    enum TokenE {
        TokEnd = cgats_lex::TOK_END,              // end of text
        TokIdentifier = cgats_lex::TOK_IDENTIFIER,  // identifier that is not a reserved word
        TokString = cgats_lex::TOK_STRING,        // quoted string (text without the quotes)
        TokInteger = cgats_lex::TOK_INTEGER,      // integer, also a lone "-"
        TokFloat = cgats_lex::TOK_FLOAT,          // float, decimal point stored as '.'
        TokIS12642 = cgats_lex::TOK_IS12642,
        TokNumberOfFields = cgats_lex::TOK_NUMBER_OF_FIELDS,
        TokBeginDataFormat = cgats_lex::TOK_BEGIN_DATA_FORMAT,
        TokEndDataFormat = cgats_lex::TOK_END_DATA_FORMAT,
        TokNumberOfSets = cgats_lex::TOK_NUMBER_OF_SETS,
        TokBeginData = cgats_lex::TOK_BEGIN_DATA,
        TokEndData = cgats_lex::TOK_END_DATA,
        TokKeyword = cgats_lex::TOK_KEYWORD
    };

    // Returned by getChar() at the end of the source.
    static constexpr int EndOfSource = cgats_lex::token_source::end_of_source;

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
    int lineNumber() const { return m_machine.line(); }
    // Line on which the token last returned by nextToken() began.
    int tokenLine() const { return m_machine.token_line(); }
    // Name of the source for messages (the file name of a QFile); may be empty.
    QString sourceName() const { return m_sourceName; }
    void setSourceName(const QString& name) { m_sourceName = name; }

private:
    // The put-back byte, the line counter and the kind of the last line break.
    cgats_lex::token_scanner m_machine;
    QString m_sourceName;
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
