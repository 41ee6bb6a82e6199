// Small queries on text files: the comment line of a CGATS file, a text
// search, and the value after a key.
#include "engine/cgats.h"

#include "io/file_bytes.h"

#include <algorithm>
#include <cstring>

namespace {

bool line_starts_with(const char *p, const char *end, const char *prefix)
{
    const size_t n = std::strlen(prefix);
    return size_t(end - p) >= n && std::memcmp(p, prefix, n) == 0;
}

// The end of the line at p (before CR or LF) and the start of the next one
// (after LF, CR or CR LF).
const char *line_end(const char *p, const char *end, const char **next)
{
    const char *eol = p;
    while (eol < end && *eol != '\r' && *eol != '\n')
        ++eol;
    const char *n = eol;
    if (n < end && *n == '\r')
        ++n;
    if (n < end && *n == '\n')
        ++n;
    *next = n;
    return eol;
}

const char *find_bytes(const char *hay, size_t hay_n, const char *needle, size_t needle_n)
{
    if (needle_n == 0)
        return hay;
    if (needle_n > hay_n)
        return nullptr;
    const char *last = hay + (hay_n - needle_n);
    for (const char *p = hay; p <= last; ++p) {
        p = static_cast<const char *>(std::memchr(p, needle[0], size_t(last - p) + 1));
        if (!p)
            return nullptr;
        if (std::memcmp(p, needle, needle_n) == 0)
            return p;
    }
    return nullptr;
}

}  // namespace

engine_result read_cgats_comment(const char *path, char *out, size_t out_size)
{
    if (!out || out_size == 0)
        return ENGINE_ERR_FILE;
    file_bytes bytes;
    const engine_result r = read_file_bytes(path, CGATS_MAX_FILE_BYTES, &bytes);
    if (r == ENGINE_ERR_NO_MEMORY)
        return r;
    if (r != ENGINE_OK)
        return ENGINE_OK;
    const char *p = bytes.data;
    const char *end = bytes.data + bytes.size;
    while (p < end) {
        const char *next = nullptr;
        const char *eol = line_end(p, end, &next);
        if (line_starts_with(p, eol, "BEGIN_COMMENT")) {
            if (next >= end)
                return ENGINE_ERR_FILE;
            const char *stop = nullptr;
            line_end(next, end, &stop);
            const size_t n = std::min(size_t(stop - next), out_size - 1);
            std::memcpy(out, next, n);
            out[n] = '\0';
            return ENGINE_OK;
        }
        p = next;
    }
    return ENGINE_ERR_FILE;
}

bool file_contains_text(const char *path, const char *text)
{
    if (!text)
        return false;
    file_bytes bytes;
    if (read_file_bytes(path, CGATS_MAX_FILE_BYTES, &bytes) != ENGINE_OK)
        return false;
    return find_bytes(bytes.data, bytes.size, text, std::strlen(text)) != nullptr;
}

engine_result read_text_value(const char *path, const char *key, char *out, size_t out_size)
{
    if (!key || !key[0] || !out || out_size == 0)
        return ENGINE_ERR_FILE;
    file_bytes bytes;
    const engine_result r = read_file_bytes(path, CGATS_MAX_FILE_BYTES, &bytes);
    if (r == ENGINE_ERR_NO_MEMORY)
        return r;
    if (r != ENGINE_OK)
        return ENGINE_OK;
    const size_t key_n = std::strlen(key);
    const char *at = find_bytes(bytes.data, bytes.size, key, key_n);
    if (!at)
        return ENGINE_ERR_FILE;
    const char *p = at + key_n;
    const char *end = bytes.data + bytes.size;
    const bool quoted = p < end && *p == '\'';
    if (quoted)
        ++p;
    // A value ends at a tab or a line end (a CR too, so CR LF files read
    // like LF files); a quoted one also at its closing quote.
    size_t n = 0;
    while (p + n < end && n < out_size - 1) {
        const char c = p[n];
        if (c == '\t' || c == '\n' || c == '\r' || (quoted && c == '\''))
            break;
        out[n] = c;
        ++n;
    }
    return ENGINE_OK;
}
