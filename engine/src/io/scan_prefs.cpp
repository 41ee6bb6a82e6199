// Engine preferences: the defaults and the ScanPrefs text file.
#include "engine/entries.h"

#include "io/file_bytes.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The file is ignored from this size on.
constexpr size_t kMaxPrefsBytes = 256000;

bool is_separator(char c) { return c == ',' || c == '\t' || c == ' '; }

// Splits the text at CR, LF or CR LF; empty lines are skipped.
class pref_lines {
public:
    pref_lines(const char *p, size_t n) : p_(p), end_(p + n) {}
    bool next(std::string *line)
    {
        while (p_ < end_ && (*p_ == '\r' || *p_ == '\n'))
            ++p_;
        if (p_ >= end_)
            return false;
        const char *start = p_;
        while (p_ < end_ && *p_ != '\r' && *p_ != '\n')
            ++p_;
        line->assign(start, size_t(p_ - start));
        return true;
    }

private:
    const char *p_;
    const char *end_;
};

enum pref_kind { SWITCH, ORDER, TEXT };

struct pref_key {
    const char *name;
    pref_kind kind;
    size_t offset;
};

// Matched by substring in this order; the first match wins, so the longer
// names come before the names they contain.
const pref_key kKeys[] = {
    {"map_relative", SWITCH, offsetof(scan_prefs, map_relative)},
    {"map_absolute", SWITCH, offsetof(scan_prefs, map_absolute)},
    {"map_white_maintain_hue", SWITCH, offsetof(scan_prefs, map_white_maintain_hue)},
    {"map_black_to_zero", SWITCH, offsetof(scan_prefs, map_black_to_zero)},
    {"map_black_maintain_hue", SWITCH, offsetof(scan_prefs, map_black_maintain_hue)},
    {"map_in_XYZ", SWITCH, offsetof(scan_prefs, map_in_XYZ)},
    {"map_in_LAB", SWITCH, offsetof(scan_prefs, map_in_LAB)},
    {"iterate_on_gamma_basic", SWITCH, offsetof(scan_prefs, iterate_on_gamma_basic)},
    {"iterate_on_gamma", SWITCH, offsetof(scan_prefs, iterate_on_gamma)},
    {"add_points_out_of_gamut", SWITCH, offsetof(scan_prefs, add_points_out_of_gamut)},
    {"merge_transform_with_alt", SWITCH, offsetof(scan_prefs, merge_transform_with_alt)},
    {"poly_quality", ORDER, offsetof(scan_prefs, poly_quality)},
    {"maintain_original_gray", SWITCH, offsetof(scan_prefs, maintain_original_gray)},
    {"added_point_file", TEXT, offsetof(scan_prefs, added_point_file)},
};

void apply_line(scan_prefs *prefs, const std::string &line)
{
    size_t i = 0;
    while (i < line.size() && !is_separator(line[i]))
        ++i;
    const std::string key = line.substr(0, i);
    while (i < line.size() && is_separator(line[i]))
        ++i;
    size_t j = i;
    while (j < line.size() && !is_separator(line[j]))
        ++j;
    const std::string value = line.substr(i, j - i);
    if (key.empty())
        return;
    for (const pref_key &k : kKeys) {
        if (key.find(k.name) == std::string::npos)
            continue;
        char *field = reinterpret_cast<char *>(prefs) + k.offset;
        const double number = std::strtod(value.c_str(), nullptr);
        switch (k.kind) {
        case SWITCH:
            *reinterpret_cast<uint8_t *>(field) = number != 0.0 ? 1 : 0;
            break;
        case ORDER: {
            const double v = std::floor(number + 0.5);
            if (std::isfinite(v) && v >= -2147483647.0 && v <= 2147483647.0) {
                const int32_t order = static_cast<int32_t>(v);
                std::memcpy(field, &order, sizeof order);
            }
            break;
        }
        case TEXT: {
            const size_t n = std::min(value.size(), sizeof prefs->added_point_file - 1);
            std::memcpy(field, value.data(), n);
            field[n] = '\0';
            break;
        }
        }
        return;
    }
}

}  // namespace

void set_default_scan_prefs(scan_prefs *prefs)
{
    if (!prefs)
        return;
    std::memset(prefs, 0, sizeof(*prefs));
    prefs->reference_white = 98.0f;
    for (float &w : prefs->device_white)
        w = 255.0f;
    prefs->poly_quality = 5;
    prefs->scale = 1.0f;
    prefs->map_white_maintain_hue = 1;
    prefs->map_in_XYZ = 1;
    prefs->iterate_on_gamma = 1;
    prefs->iterate_on_gamma_basic = 1;
    prefs->merge_transform_with_alt = 1;
    prefs->option_f = 1;
    prefs->option_g = 1;
}

void parse_scan_prefs(scan_prefs *prefs, const char *text, size_t size)
{
    if (!prefs || !text)
        return;
    pref_lines lines(text, size);
    std::string line;
    bool in_data = false;
    while (lines.next(&line)) {
        if (line.compare(0, 8, "END_DATA") == 0) {
            if (in_data)
                break;
            continue;
        }
        if (!in_data) {
            if (line.compare(0, 10, "BEGIN_DATA") == 0)
                in_data = true;
            continue;
        }
        if (line[0] == '#')
            continue;
        apply_line(prefs, line);
    }
}

void read_scan_prefs(scan_prefs *prefs, const char *path)
{
    if (!prefs || !path)
        return;
    file_bytes bytes;
    if (read_file_bytes(path, kMaxPrefsBytes - 1, &bytes) != ENGINE_OK)
        return;
    parse_scan_prefs(prefs, bytes.data, bytes.size);
}
