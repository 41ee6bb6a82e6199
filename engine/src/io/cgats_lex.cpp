#include "io/cgats_lex.h"

#include <algorithm>
#include <cstring>

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_separator(char c) { return c == ' ' || c == '\t' || c == ','; }
bool is_line_end(char c) { return c == '\r' || c == '\n'; }

}  // namespace

bool line_cursor::next(text_span *line)
{
    for (;;) {
        while (p_ < end_ && (is_line_end(*p_) || is_blank(*p_)))
            ++p_;
        if (p_ >= end_)
            return false;
        const char *start = p_;
        while (p_ < end_ && !is_line_end(*p_))
            ++p_;
        line->p = start;
        line->n = size_t(p_ - start);
        return true;
    }
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
