#include "finder/target_text.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace finder {
namespace {

bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == ',' || c == '\0';
}

// Splits one line into fields.
void split_fields(const char *p, const char *end, std::vector<std::string> &fields)
{
    fields.clear();
    while (p < end) {
        while (p < end && is_blank(*p))
            ++p;
        if (p >= end)
            break;
        std::string field;
        if (*p == '"') {
            ++p;
            while (p < end && *p != '"')
                field.push_back(*p++);
            if (p < end)
                ++p;
        } else {
            while (p < end && !is_blank(*p))
                field.push_back(*p++);
        }
        fields.push_back(field);
    }
}

bool parse_number(const std::string &s, double *value)
{
    if (s.empty())
        return false;
    errno = 0;
    char *stop = nullptr;
    const double v = std::strtod(s.c_str(), &stop);
    if (stop != s.c_str() + s.size() || errno == ERANGE || !std::isfinite(v))
        return false;
    *value = v;
    return true;
}

}  // namespace

bool read_rgb_rows(const char *text, size_t length, std::vector<std::array<double, 3>> &out)
{
    out.clear();
    if (!text)
        return false;
    enum class State { header, format, data, done } state = State::header;
    std::vector<std::string> format;
    std::vector<std::string> fields;
    int column[3] = {-1, -1, -1};
    static const char *const names[3] = {"RGB_R", "RGB_G", "RGB_B"};

    const char *p = text;
    const char *const end = text + length;
    while (p < end && state != State::done) {
        const char *eol = p;
        while (eol < end && *eol != '\n' && *eol != '\r')
            ++eol;
        split_fields(p, eol, fields);
        p = eol;
        while (p < end && (*p == '\n' || *p == '\r'))
            ++p;
        if (fields.empty() || fields[0][0] == '#')
            continue;

        size_t first = 0;
        if (state == State::header) {
            if (fields[0] == "BEGIN_DATA_FORMAT") {
                format.clear();
                state = State::format;
                first = 1;
            } else if (fields[0] == "BEGIN_DATA") {
                state = State::data;
                continue;
            }
        }

        switch (state) {
        case State::header:
            break;
        case State::format:
            for (size_t i = first; i < fields.size(); ++i) {
                if (fields[i] == "END_DATA_FORMAT") {
                    state = State::header;
                    break;
                }
                format.push_back(fields[i]);
            }
            break;
        case State::data:
            if (fields[0] == "END_DATA") {
                state = State::done;
                break;
            }
            if (column[0] < 0) {
                for (int k = 0; k < 3; ++k)
                    for (size_t i = 0; i < format.size(); ++i)
                        if (format[i] == names[k]) {
                            column[k] = int(i);
                            break;
                        }
                if (column[0] < 0 || column[1] < 0 || column[2] < 0) {
                    out.clear();
                    return false;
                }
            }
            {
                std::array<double, 3> rgb{};
                for (int k = 0; k < 3; ++k)
                    if (size_t(column[k]) >= fields.size() ||
                        !parse_number(fields[size_t(column[k])], &rgb[size_t(k)])) {
                        out.clear();
                        return false;
                    }
                out.push_back(rgb);
            }
            break;
        case State::done:
            break;
        }
    }
    return !out.empty();
}

}  // namespace finder
