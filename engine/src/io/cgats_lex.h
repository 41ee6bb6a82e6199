// Lines, tokens and name comparison of the engine's CGATS reader.
#pragma once

#include <cstddef>
#include <string>

struct text_span {
    const char *p = nullptr;
    size_t n = 0;
};

// Splits text into lines at CR and LF (any combination). Each line comes
// without its end and without the blanks and tabs that open it; empty lines
// are skipped.
class line_cursor {
public:
    line_cursor(const char *data, size_t size) : p_(data), end_(data + size) {}
    bool next(text_span *line);

private:
    const char *p_;
    const char *end_;
};

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

// The value of a keyword line after its keyword: blanks skipped, then a
// double-quoted text up to the closing quote, or the text up to the line end
// or the next blank; trailing blanks dropped.
std::string keyword_value(text_span line, size_t keyword_length, size_t max);

// Column and keyword names match when one is a prefix of the other (each
// taken as at most 255 characters). A one-letter or empty name matches only
// itself.
bool names_match(const std::string &a, const char *b);
