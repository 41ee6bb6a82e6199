// The tokeniser of CGATS text, shared by the engine's reader and the chart
// subsystem's ISO 12642 scanner: line counting, character classes, reserved
// words, the ISO 12642 token machine, and the engine's line and field cursors.
//
// Both readers count lines alike and know the same reserved words. They split
// a line differently, as their formats ask:
// - the engine's reader (line_cursor, token_cursor) takes a field as the bytes
//   between commas, tabs and blanks, a quoted field ends with its line, and
//   only a line that opens with '#' inside the data is a comment;
// - the ISO 12642 machine (token_scanner) reads a comma after digits as a
//   decimal point, lets a quoted string run over line ends, starts a comment
//   at any '#' outside a string, and drops from an identifier the bytes that
//   cannot be part of one.
#pragma once

#include <cstddef>
#include <string>

namespace cgats_lex {

// Line breaks: CR, LF, CR LF and LF CR each end one line. Lines count from 1.
class line_counter {
public:
    // Passes one byte; true when it ended a line.
    bool feed(int c)
    {
        if (c == '\r' || c == '\n') {
            const brk kind = c == '\r' ? brk::cr : brk::lf;
            if (last_ != brk::none && last_ != kind) {
                last_ = brk::none;  // second half of CR LF or LF CR
                return false;
            }
            ++line_;
            last_ = kind;
            return true;
        }
        last_ = brk::none;
        return false;
    }
    int line() const { return line_; }

private:
    enum class brk { none, cr, lf };
    int line_ = 1;
    brk last_ = brk::none;
};

inline bool is_line_end(int c) { return c == '\r' || c == '\n'; }
inline bool is_blank(int c) { return c == ' ' || c == '\t'; }
inline bool is_digit(int c) { return c >= '0' && c <= '9'; }
inline bool is_letter(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
// Bytes an ISO 12642 identifier is made of.
inline bool is_ident_char(int c)
{
    return is_letter(c) || is_digit(c) || c == '$' || c == '%' || c == '-' || c == ':' ||
           c == '_';
}

// Token codes of the ISO 12642 machine.
enum token_code {
    TOK_END = 0,           // end of text
    TOK_IDENTIFIER = 1,    // identifier that is not a reserved word
    TOK_STRING = 2,        // quoted string (text without the quotes)
    TOK_INTEGER = 3,       // integer, also a lone "-"
    TOK_FLOAT = 4,         // float, decimal point stored as '.'
    TOK_IS12642 = 5,
    TOK_NUMBER_OF_FIELDS = 6,
    TOK_BEGIN_DATA_FORMAT = 7,
    TOK_END_DATA_FORMAT = 8,
    TOK_NUMBER_OF_SETS = 9,
    TOK_BEGIN_DATA = 10,
    TOK_END_DATA = 11,
    TOK_KEYWORD = 12,
};

// The reserved word's code for the whole text (case-sensitive), else
// TOK_IDENTIFIER.
int reserved_word(const char *text, size_t n);

// Byte source and token buffer of the token machine.
class token_source {
public:
    // Returned by get() at the end of the source.
    static constexpr int end_of_source = 0xFF;
    virtual int get() = 0;
    virtual void append(char c) = 0;
    virtual void clear() = 0;
    // The current token's bytes, zero-terminated.
    virtual const char *text() = 0;

protected:
    ~token_source() = default;
};

// The ISO 12642 token machine: the put-back byte, the line counter and the
// line on which the last token began.
class token_scanner {
public:
    // Reads the next token from src and returns its code (token_code).
    int next(token_source &src);
    int line() const { return lines_.line(); }
    int token_line() const { return token_line_; }

private:
    int read(token_source &src);

    int put_back_ = -1;
    line_counter lines_;
    int token_line_ = 1;
};

// ---- The engine reader's cursors ----

struct text_span {
    const char *p = nullptr;
    size_t n = 0;
};

// Splits text into lines at CR and LF (any combination). Each line comes
// without its end and without the blanks and tabs that open it; empty lines
// are skipped. line_number() is the line of the last line returned.
class line_cursor {
public:
    line_cursor(const char *data, size_t size) : p_(data), end_(data + size) {}
    bool next(text_span *line);
    int line_number() const { return number_; }

private:
    const char *p_;
    const char *end_;
    line_counter lines_;
    int number_ = 0;
};

// One raw line: its text up to CR or LF, and where the next one starts (after
// CR, LF, CR LF or LF CR). Empty lines are lines too.
struct raw_line {
    text_span text;
    const char *next = nullptr;
};
raw_line next_raw_line(const char *p, const char *end);

// Tokens of a line, separated by commas, tabs and blanks; a token opening
// with a double quote runs to the closing quote (the quotes are dropped).
class token_cursor {
public:
    explicit token_cursor(text_span line) : p_(line.p), end_(line.p + line.n) {}
    bool next(text_span *token);
    text_span rest() const { return {p_, size_t(end_ - p_)}; }

private:
    const char *p_;
    const char *end_;
};

bool starts_with(text_span s, const char *prefix);
bool span_equals(text_span s, const char *text);
// The token as a text of at most max characters.
std::string span_text(text_span s, size_t max);

// The first occurrence of needle in the bytes; null when there is none.
const char *find_text(const char *data, size_t size, const char *needle, size_t needle_size);

// The value of a keyword line after its keyword: blanks skipped, then a
// double-quoted text up to the closing quote, or the text up to the line end
// or the next blank; trailing blanks dropped.
std::string keyword_value(text_span line, size_t keyword_length, size_t max);

// Column and keyword names match when one is a prefix of the other (each
// taken as at most 255 characters). A one-letter or empty name matches only
// itself.
bool names_match(const std::string &a, const char *b);

}  // namespace cgats_lex
