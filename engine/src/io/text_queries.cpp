// Small queries on text files: the comment line of a CGATS file, a text
// search, and the value after a key, on the CGATS lexer's lines and search.
#include "engine/cgats.h"

#include "engine/cgats_lex.h"
#include "io/file_bytes.h"

#include <algorithm>
#include <cstring>

using namespace cgats_lex;

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
        const raw_line line = next_raw_line(p, end);
        if (starts_with(line.text, "BEGIN_COMMENT")) {
            if (line.next >= end)
                return ENGINE_ERR_FILE;
            // The next line with its line end.
            const char *stop = next_raw_line(line.next, end).next;
            const size_t n = std::min(size_t(stop - line.next), out_size - 1);
            std::memcpy(out, line.next, n);
            out[n] = '\0';
            return ENGINE_OK;
        }
        p = line.next;
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
    return find_text(bytes.data, bytes.size, text, std::strlen(text)) != nullptr;
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
    const char *at = find_text(bytes.data, bytes.size, key, key_n);
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
        if (c == '\t' || is_line_end(c) || (quoted && c == '\''))
            break;
        out[n] = c;
        ++n;
    }
    return ENGINE_OK;
}
