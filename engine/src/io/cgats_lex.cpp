#include "engine/cgats_lex.h"

#include <algorithm>
#include <cstring>

namespace cgats_lex {

namespace {

bool is_separator(char c) { return c == ' ' || c == '\t' || c == ','; }

struct reserved {
    const char *text;
    int code;
};

const reserved kReserved[] = {
    {"IS12642", TOK_IS12642},
    {"NUMBER_OF_FIELDS", TOK_NUMBER_OF_FIELDS},
    {"BEGIN_DATA_FORMAT", TOK_BEGIN_DATA_FORMAT},
    {"END_DATA_FORMAT", TOK_END_DATA_FORMAT},
    {"NUMBER_OF_SETS", TOK_NUMBER_OF_SETS},
    {"BEGIN_DATA", TOK_BEGIN_DATA},
    {"END_DATA", TOK_END_DATA},
    {"KEYWORD", TOK_KEYWORD},
};

}  // namespace

int reserved_word(const char *text, size_t n)
{
    for (const reserved &w : kReserved) {
        if (std::strlen(w.text) == n && std::memcmp(w.text, text, n) == 0)
            return w.code;
    }
    return TOK_IDENTIFIER;
}

// Next byte: the put-back one first (already counted), else one from the
// source, which passes the line counter.
int token_scanner::read(token_source &src)
{
    if (put_back_ >= 0) {
        const int c = put_back_;
        put_back_ = -1;
        return c;
    }
    const int c = src.get();
    lines_.feed(c);
    return c;
}

int token_scanner::next(token_source &src)
{
    enum state_e { start, string, comment, minus, integer, real, identifier };
    src.clear();
    state_e state = start;
    for (;;) {
        const int c = read(src);
        if (c == token_source::end_of_source || c < 0)
            return TOK_END;
        // Bytes 0x80 and above are neither letters nor digits and are never put back.
        const bool high = c >= 0x80;
        switch (state) {
        case start:
            token_line_ = lines_.line();
            if (is_blank(c) || is_line_end(c) || high) {
                break;
            } else if (c == '"') {
                state = string;
            } else if (c == '#') {
                state = comment;
            } else if (is_digit(c)) {
                src.append(static_cast<char>(c));
                state = integer;
            } else if (c == '-') {
                src.append(static_cast<char>(c));
                state = minus;
            } else if (is_ident_char(c)) {
                src.append(static_cast<char>(c));
                state = identifier;
            }
            break;
        case string:
            if (c == '"')
                return TOK_STRING;
            src.append(static_cast<char>(c));
            break;
        case comment:
            if (is_line_end(c)) {
                src.clear();
                state = start;
            }
            break;
        case minus:
        case integer:
        case real:
            if (state == integer && (c == '.' || c == ',')) {
                src.append('.');
                state = real;
            } else if (is_digit(c)) {
                src.append(static_cast<char>(c));
                if (state == minus)
                    state = integer;
            } else if (is_ident_char(c)) {
                src.append(static_cast<char>(c));
                state = identifier;
            } else {
                if (!high)
                    put_back_ = c;
                return state == real ? TOK_FLOAT : TOK_INTEGER;
            }
            break;
        case identifier:
            if (is_blank(c) || is_line_end(c) || c == '#') {
                put_back_ = c;
                const char *text = src.text();
                return reserved_word(text, std::strlen(text));
            }
            if (is_ident_char(c))
                src.append(static_cast<char>(c));
            // any other byte is dropped from the name
            break;
        }
    }
}

bool line_cursor::next(text_span *line)
{
    while (p_ < end_ && (is_line_end(*p_) || is_blank(*p_)))
        lines_.feed(static_cast<unsigned char>(*p_++));
    if (p_ >= end_)
        return false;
    const char *start = p_;
    while (p_ < end_ && !is_line_end(*p_))
        ++p_;
    lines_.feed(' ');  // the line's text ends any pair of line-end bytes
    line->p = start;
    line->n = size_t(p_ - start);
    number_ = lines_.line();
    return true;
}

raw_line next_raw_line(const char *p, const char *end)
{
    raw_line out;
    const char *eol = p;
    while (eol < end && !is_line_end(*eol))
        ++eol;
    out.text = {p, size_t(eol - p)};
    const char *n = eol;
    if (n < end) {
        const char first = *n++;
        if (n < end && is_line_end(*n) && *n != first)
            ++n;
    }
    out.next = n;
    return out;
}

bool token_cursor::next(text_span *token)
{
    while (p_ < end_ && is_separator(*p_))
        ++p_;
    if (p_ >= end_)
        return false;
    if (*p_ == '"') {
        const char *start = ++p_;
        while (p_ < end_ && *p_ != '"')
            ++p_;
        token->p = start;
        token->n = size_t(p_ - start);
        if (p_ < end_)
            ++p_;
        return true;
    }
    const char *start = p_;
    while (p_ < end_ && !is_separator(*p_))
        ++p_;
    token->p = start;
    token->n = size_t(p_ - start);
    return true;
}

bool starts_with(text_span s, const char *prefix)
{
    const size_t n = std::strlen(prefix);
    return s.n >= n && std::memcmp(s.p, prefix, n) == 0;
}

bool span_equals(text_span s, const char *text)
{
    const size_t n = std::strlen(text);
    return s.n == n && std::memcmp(s.p, text, n) == 0;
}

std::string span_text(text_span s, size_t max)
{
    return std::string(s.p, std::min(s.n, max));
}

const char *find_text(const char *data, size_t size, const char *needle, size_t needle_size)
{
    if (needle_size == 0)
        return data;
    if (!data || needle_size > size)
        return nullptr;
    const char *last = data + (size - needle_size);
    for (const char *p = data; p <= last; ++p) {
        p = static_cast<const char *>(std::memchr(p, needle[0], size_t(last - p) + 1));
        if (!p)
            return nullptr;
        if (std::memcmp(p, needle, needle_size) == 0)
            return p;
    }
    return nullptr;
}

std::string keyword_value(text_span line, size_t keyword_length, size_t max)
{
    if (keyword_length > line.n)
        return std::string();
    const char *p = line.p + keyword_length;
    const char *end = line.p + line.n;
    while (p < end && is_blank(*p))
        ++p;
    const char *start = p;
    if (p < end && *p == '"') {
        start = ++p;
        while (p < end && *p != '"')
            ++p;
    } else {
        while (p < end && !is_blank(*p))
            ++p;
    }
    const char *stop = p;
    while (stop > start && is_blank(stop[-1]))
        --stop;
    return std::string(start, std::min(size_t(stop - start), max));
}

bool names_match(const std::string &a, const char *b)
{
    const size_t na = std::min<size_t>(std::strlen(a.c_str()), 255);
    const size_t nb = std::min<size_t>(std::strlen(b), 255);
    if (na == 0 || nb == 0)
        return false;
    if (na == 1 || nb == 1)
        return na == nb && a[0] == b[0];
    return std::strncmp(a.c_str(), b, std::min(na, nb)) == 0;
}

}  // namespace cgats_lex
