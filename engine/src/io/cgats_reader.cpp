#include "engine/cgats.h"

#include "engine/cgats_lex.h"
#include "engine/colour_maths.h"
#include "io/file_bytes.h"
#include "io/spectrum_ops.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

using namespace cgats_lex;

namespace {

constexpr size_t kMaxFields = 120;
// Spectral columns beyond kMaxFields are taken up to this many fields in all;
// their spectrum is then sampled at a coarser step (spectral_range).
constexpr size_t kMaxSpectralFields = 4096;
constexpr size_t kMaxKeywords = 119;
constexpr size_t kTokenChars = 100;
constexpr size_t kNameChars = 255;
const double (&kD50)[3] = cm_icc_d50_white_100;

enum field_kind {
    F_IGNORE,
    F_NAME,
    F_CONTROL,
    F_ID,
    F_SPECTRAL,
    F_SPECTRAL_NM,
    F_SPECTRAL_PCT,
    F_DEVICE,
    F_XYZ,
    F_XYY,
    F_LAB,
    F_LCH,
    F_SPECTRUM_NEXT,
    F_EXTRA,
};

struct field_info {
    field_kind kind = F_IGNORE;
    int index = 0;          // channel, component or wavelength
    bool declared = false;  // extra column named by a KEYWORD line
};

struct header {
    std::vector<std::string> fields;
    bool format_seen = false;
    bool format_open = false;  // BEGIN_DATA_FORMAT without END_DATA_FORMAT
    int format_line = 0;
    std::vector<std::string> keywords{"SAMPLE_NAME"};
    bool spectrum_mode = false;
    double spectrum_start = 0, spectrum_end = 0, spectrum_inc = 0;
    bool data_seen = false;
    std::vector<text_span> rows;
    std::vector<int> row_lines;
};

// Where and why: the report's message and line, once.
void refuse(cgats_report *report, const char *name, int line, const char *format, ...)
    __attribute__((format(printf, 4, 5)));

void refuse(cgats_report *report, const char *name, int line, const char *format, ...)
{
    if (!report || report->message[0])
        return;
    char reason[384];
    va_list args;
    va_start(args, format);
    std::vsnprintf(reason, sizeof reason, format, args);
    va_end(args);
    const char *sep = name && name[0] ? ": " : "";
    if (line > 0)
        std::snprintf(report->message, sizeof report->message, "%s%sline %d: %s",
                      name ? name : "", sep, line, reason);
    else
        std::snprintf(report->message, sizeof report->message, "%s%s%s", name ? name : "",
                      sep, reason);
    report->line = line;
}

// The number at the start of the text; false when there is none or it is
// not a finite value a float can hold.
bool parse_number(const std::string &text, double *out)
{
    const char *s = text.c_str();
    char *end = nullptr;
    errno = 0;
    const double v = std::strtod(s, &end);
    if (end == s || !std::isfinite(v) || std::fabs(v) > 1e30)
        return false;
    *out = v;
    return true;
}

bool parse_int(const std::string &text, long *out)
{
    const char *s = text.c_str();
    char *end = nullptr;
    errno = 0;
    const long v = std::strtol(s, &end, 10);
    if (end == s || *end != '\0' || errno == ERANGE || v < INT32_MIN || v > INT32_MAX)
        return false;
    *out = v;
    return true;
}

constexpr long kMaxNm = 100000;

// Wavelength of a spectral field name ("R_380", "SPECTRAL_NM_380", "NM_380",
// "SPECTRAL_380", "nm380", and "SPEC_380" of illuminant files); false for
// other names. spec tells a SPEC_ name, whose number may be in thousandths of
// a nanometre (up to kMaxNm x 1000).
bool spectral_wavelength(const std::string &name, long *nm, bool *spec)
{
    static const char *const prefixes[] = {"R_", "SPECTRAL_NM_", "NM_", "SPECTRAL_", "nm",
                                           "SPEC_"};
    for (const char *prefix : prefixes) {
        const size_t n = std::strlen(prefix);
        if (name.compare(0, n, prefix) != 0)
            continue;
        const char *s = name.c_str() + n;
        if (*s < '0' || *s > '9')
            return false;
        *spec = std::strcmp(prefix, "SPEC_") == 0;
        char *end = nullptr;
        const long v = std::strtol(s, &end, 10);
        if (v <= 0 || v > (*spec ? kMaxNm * 1000 : kMaxNm))
            return false;
        *nm = v;
        return true;
    }
    return false;
}

// Wavelength of each field, 0 for the fields that are not spectral. SPEC_
// columns all from 100000 up and multiples of 1000 (SPEC_380000) give their
// wavelengths in thousandths of a nanometre.
std::vector<int> field_wavelengths(const std::vector<std::string> &fields)
{
    std::vector<long> nm(fields.size(), 0);
    bool any = false, all_thousandths = true;
    for (size_t i = 0; i < fields.size(); ++i) {
        bool spec = false;
        if (!spectral_wavelength(fields[i], &nm[i], &spec))
            continue;
        any = true;
        if (!spec || nm[i] < 100000 || nm[i] % 1000 != 0)
            all_thousandths = false;
    }
    const bool thousandths = any && all_thousandths;
    std::vector<int> out(fields.size(), 0);
    for (size_t i = 0; i < fields.size(); ++i) {
        const long v = thousandths ? nm[i] / 1000 : nm[i];
        if (v > 0 && v <= kMaxNm)
            out[i] = static_cast<int>(v);
    }
    return out;
}

void read_header(const char *data, size_t size, header *h)
{
    line_cursor lines(data, size);
    text_span line;
    bool in_data = false;
    while (lines.next(&line)) {
        if (in_data) {
            if (starts_with(line, "END_DATA") && !starts_with(line, "END_DATA_FORMAT")) {
                in_data = false;
            } else if (line.p[0] != '#') {
                h->rows.push_back(line);
                h->row_lines.push_back(lines.line_number());
            }
            continue;
        }
        if (starts_with(line, "BEGIN_DATA_FORMAT")) {
            h->fields.clear();
            h->format_seen = true;
            h->format_open = true;
            h->format_line = lines.line_number();
            text_span rest{line.p + 17, line.n - 17};
            bool done = false;
            for (;;) {
                token_cursor tokens(rest);
                text_span tok;
                while (tokens.next(&tok)) {
                    if (span_equals(tok, "END_DATA_FORMAT")) {
                        done = true;
                        h->format_open = false;
                        break;
                    }
                    h->fields.push_back(span_text(tok, kNameChars));
                }
                if (done || !lines.next(&rest))
                    break;
            }
            continue;
        }
        if (starts_with(line, "BEGIN_SPECTRUM")) {
            h->spectrum_mode = true;
            continue;
        }
        if (h->spectrum_mode) {
            if (starts_with(line, "SPECTRUM_START"))
                h->spectrum_start = std::atof(keyword_value(line, 14, 64).c_str());
            else if (starts_with(line, "SPECTRUM_END"))
                h->spectrum_end = std::atof(keyword_value(line, 12, 64).c_str());
            else if (starts_with(line, "SPECTRUM_INC"))
                h->spectrum_inc = std::atof(keyword_value(line, 12, 64).c_str());
        }
        if (starts_with(line, "SAMPLE_ID") && !h->format_seen) {
            h->fields.clear();
            token_cursor tokens(line);
            text_span tok;
            while (tokens.next(&tok))
                h->fields.push_back(span_text(tok, kNameChars));
            continue;
        }
        if (starts_with(line, "KEYWORD")) {
            std::string value = keyword_value(line, 7, kNameChars);
            if (value.empty())
                continue;
            if (h->keywords.size() < kMaxKeywords)
                h->keywords.push_back(value);
            else
                h->keywords.back() = value;
            continue;
        }
        if (starts_with(line, "BEGIN_DATA")) {
            in_data = true;
            h->data_seen = true;
        }
    }
}

struct layout {
    std::vector<field_info> info;
    int device_fields = 0;    // fields of the named device columns
    int family_channels = 0;  // channels of the named device columns
    int channels = 0;
    int extras_declared = 0;
    uint32_t device_space = SIG_BLANK;
    int highest_clr = 0;
    uint32_t pcs_found = SIG_BLANK;
    int spectral_fields = 0;
    int min_nm = 0, max_nm = 0;
    bool sampled = false;  // the spectral grid is sampled every k-th wavelength
    char names[ENGINE_MAX_CHANNELS][ENGINE_CHANNEL_NAME_LEN] = {};
};

void set_name(layout *l, int ch, const char *name)
{
    if (ch < 0 || ch >= ENGINE_MAX_CHANNELS)
        return;
    std::strncpy(l->names[ch], name, ENGINE_CHANNEL_NAME_LEN - 1);
    l->names[ch][ENGINE_CHANNEL_NAME_LEN - 1] = '\0';
}

void device_field(layout *l, field_info *f, int ch, uint32_t space, const char *name)
{
    f->kind = F_DEVICE;
    f->index = ch;
    ++l->device_fields;
    l->device_space = space;
    if (ch + 1 > l->family_channels)
        l->family_channels = ch + 1;
    set_name(l, ch, name);
}

bool match_any(const std::string &name, const char *const *names, int n, int *k)
{
    for (int i = 0; i < n; ++i) {
        if (names_match(name, names[i])) {
            *k = i;
            return true;
        }
    }
    return false;
}

void classify(const header &h, layout *l)
{
    const size_t n = h.fields.size();
    l->info.assign(n, field_info());
    static const char *const rgb[3] = {"RGB_R", "RGB_G", "RGB_B"};
    static const char *const cmyk[4] = {"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K"};
    static const char *const cmy[3] = {"CMY_C", "CMY_M", "CMY_Y"};
    static const char *const xyz[3] = {"XYZ_X", "XYZ_Y", "XYZ_Z"};
    static const char *const xyy[3] = {"xyY_x", "xyY_y", "xyY_Y"};
    static const char *const lab[3] = {"LAB_L", "LAB_A", "LAB_B"};
    static const char *const lch[3] = {"LCH_L", "LCH_C", "LCH_H"};
    static const char *const clr[8] = {"CLR_1", "CLR_2", "CLR_3", "CLR_4",
                                       "CLR_5", "CLR_6", "CLR_7", "CLR_8"};
    static const char *const mch[5] = {"MCH4", "MCH5", "MCH6", "MCH7", "MCH8"};
    static const char *const clr_names[8] = {"CLR1", "CLR2", "CLR3", "CLR4",
                                             "CLR5", "CLR6", "CLR7", "CLR8"};
    const std::vector<int> wavelengths = field_wavelengths(h.fields);
    for (size_t i = 0; i < n; ++i) {
        const std::string &name = h.fields[i];
        field_info &f = l->info[i];
        bool declared = false;
        bool done = false;
        for (const std::string &kw : h.keywords) {
            if (!names_match(name, kw.c_str()))
                continue;
            if (kw.compare(0, 6, "SAMPLE") == 0 || kw.compare(0, 6, "Sample") == 0) {
                f.kind = F_NAME;
                done = true;
            } else if (names_match(kw, "CONTROL")) {
                f.kind = F_CONTROL;
                done = true;
            } else {
                declared = true;
            }
            break;
        }
        if (done)
            continue;
        const bool next_loc = i + 1 < n && names_match(h.fields[i + 1], "SAMPLE_LOC");
        const bool prev_id = i > 0 && names_match(h.fields[i - 1], "SAMPLE_ID");
        int k = 0;
        const int nm = wavelengths[i];
        if (names_match(name, "SAMPLE_ID") && next_loc) {
            f.kind = F_ID;
        } else if (names_match(name, "SAMPLE_LOC") && prev_id) {
            f.kind = F_NAME;
        } else if (names_match(name, "SAMPLE_ID")) {
            f.kind = F_NAME;
        } else if (nm > 0) {
            f.kind = F_SPECTRAL;
            f.index = nm;
            if (l->spectral_fields == 0 || nm < l->min_nm)
                l->min_nm = nm;
            if (l->spectral_fields == 0 || nm > l->max_nm)
                l->max_nm = nm;
            ++l->spectral_fields;
        } else if (names_match(name, "SPECTRAL_NM")) {
            f.kind = F_SPECTRAL_NM;
        } else if (names_match(name, "SPECTRAL_PCT")) {
            f.kind = F_SPECTRAL_PCT;
        } else if (match_any(name, rgb, 3, &k)) {
            device_field(l, &f, k, SIG_RGB, rgb[k]);
        } else if (match_any(name, cmyk, 4, &k)) {
            device_field(l, &f, k, SIG_CMYK, cmyk[k]);
        } else {
            int ch = -1;
            for (int j = 0; j < 8 && ch < 0; ++j)
                if (name.size() > 1 && name.compare(1, std::string::npos, clr[j]) == 0)
                    ch = j;
            for (int j = 0; j < 5 && ch < 0; ++j)
                if (name == mch[j])
                    ch = j + 3;
            if (ch >= 0) {
                device_field(l, &f, ch, ch >= 1 ? engine_clr_sig(ch + 1) : l->device_space,
                             clr_names[ch]);
                if (ch + 1 > l->highest_clr)
                    l->highest_clr = ch + 1;
            } else if (match_any(name, cmy, 3, &k)) {
                device_field(l, &f, k, SIG_CMY, cmy[k]);
            } else if (match_any(name, xyz, 3, &k)) {
                f.kind = F_XYZ;
                f.index = k;
                l->pcs_found = SIG_XYZ;
            } else if (match_any(name, xyy, 3, &k)) {
                f.kind = F_XYY;
                f.index = k;
                l->pcs_found = SIG_XYZ;
            } else if (match_any(name, lab, 3, &k)) {
                f.kind = F_LAB;
                f.index = k;
                l->pcs_found = SIG_LAB;
            } else if (match_any(name, lch, 3, &k)) {
                f.kind = F_LCH;
                f.index = k;
                l->pcs_found = SIG_LCH;
            } else if (name == "C" || name == "M" || name == "Y") {
                k = name == "C" ? 0 : (name == "M" ? 1 : 2);
                device_field(l, &f, k, SIG_CMY, cmy[k]);
            } else if (name == "K") {
                device_field(l, &f, 3, SIG_CMYK, cmyk[3]);
                for (int j = 0; j < 3; ++j)
                    set_name(l, j, cmyk[j]);
            } else if (h.spectrum_mode) {
                f.kind = F_SPECTRUM_NEXT;
            } else {
                f.kind = F_EXTRA;
                f.declared = declared;
            }
        }
    }
    // Extra columns follow the named device channels: undeclared ones first,
    // then those named by KEYWORD lines, so that the declared ones are the last
    // channels. Columns beyond the last channel are dropped.
    int ch = l->family_channels;
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < n; ++i) {
            field_info &f = l->info[i];
            if (f.kind != F_EXTRA || f.declared != (pass == 1))
                continue;
            if (ch >= ENGINE_MAX_CHANNELS) {
                f.kind = F_IGNORE;
                continue;
            }
            f.index = ch;
            set_name(l, ch, h.fields[i].c_str());
            if (f.declared)
                ++l->extras_declared;
            ++ch;
        }
    }
    l->channels = ch;
    if (l->spectral_fields > 1) {
        int step = (l->max_nm - l->min_nm) / (l->spectral_fields - 1);
        if (step <= 0)
            step = 1;
        l->sampled = (l->max_nm - l->min_nm) / step + 1 > ENGINE_SPECTRUM_MAX;
    }
}

void copy_text(char *dst, size_t cap, const std::string &src)
{
    const size_t n = std::min(src.size(), cap - 1);
    std::memcpy(dst, src.data(), n);
    dst[n] = '\0';
}

struct row_state {
    bool has_spectrum = false;
    int next_sample = 0;
    int nm_values = 0;
    double nm_first = 0, nm_second = 0, nm_last = 0;
    double xyy[3] = {0, 0, 0};
    bool xyy_set[2] = {false, false};
};

// Range of the spectra named by the format's spectral fields. A grid of more
// samples than the record holds is sampled every k-th wavelength, k being 5,
// 10, 20, ... (as the job entry samples an illuminant spectrum).
void spectral_range(const layout &l, engine_spectrum *s)
{
    s->start_nm = l.min_nm;
    int step = l.spectral_fields > 1 ? (l.max_nm - l.min_nm) / (l.spectral_fields - 1) : 1;
    if (step <= 0)
        step = 1;
    const long long count = (static_cast<long long>(l.max_nm) - l.min_nm) / step + 1;
    long long k = 1;
    while ((count - 1) / k + 1 > ENGINE_SPECTRUM_MAX)
        k = k < 5 ? 5 : k * 2;
    step = static_cast<int>(step * k);
    s->step_nm = step;
    const long long last = l.min_nm + static_cast<long long>(ENGINE_SPECTRUM_MAX - 1) * step;
    s->end_nm = l.max_nm > last ? static_cast<int32_t>(last) : l.max_nm;
}

bool header_range(const header &h, engine_spectrum *s)
{
    const double start = std::floor(h.spectrum_start + 0.5);
    const double end = std::floor(h.spectrum_end + 0.5);
    const double inc = std::floor(h.spectrum_inc + 0.5);
    if (!(inc >= 1.0) || !(start >= 0.0) || !(end >= start) || end > 100000.0)
        return false;
    s->start_nm = static_cast<int32_t>(start);
    s->step_nm = static_cast<int32_t>(inc);
    const double last = start + (ENGINE_SPECTRUM_MAX - 1) * inc;
    s->end_nm = static_cast<int32_t>(end > last ? last : end);
    return true;
}

void put_sample(patch_record *p, int index, double v, row_state *rs, bool *percent)
{
    if (index < 0 || index >= engine_spectrum_count(p->spectrum))
        return;
    p->spectrum.values[index] = v;
    rs->has_spectrum = true;
    if (v > 2.0)
        *percent = true;
}

struct read_state {
    bool percent = false;
    bool id_zero = false;
    bool all_ids = true;
    int short_rows = 0, first_short_line = 0;
    int device_gaps = 0, first_gap_line = 0;
};

void read_row(const header &h, const layout &l, text_span line, int line_number, int32_t row,
              patch_record *p, read_state *st)
{
    patch_record_clear(p);
    row_state rs;
    if (l.spectral_fields > 0)
        spectral_range(l, &p->spectrum);
    else if (h.spectrum_mode && !header_range(h, &p->spectrum))
        p->spectrum.start_nm = -1;
    bool id_set = false;
    token_cursor tokens(line);
    text_span tok;
    const size_t n = l.info.size();
    size_t values = 0;
    int device_numbers = 0;
    for (size_t i = 0; tokens.next(&tok); ++i) {
        values = i + 1;
        field_kind kind;
        int index = 0;
        if (i < n) {
            kind = l.info[i].kind;
            index = l.info[i].index;
        } else if (h.spectrum_mode) {
            kind = F_SPECTRUM_NEXT;
        } else {
            break;
        }
        const std::string text = span_text(tok, kTokenChars);
        double v = 0.0;
        const bool numeric = parse_number(text, &v);
        switch (kind) {
        case F_NAME:
            copy_text(p->name, sizeof p->name, text);
            break;
        case F_CONTROL:
            copy_text(p->control, sizeof p->control, text);
            break;
        case F_ID: {
            long id = 0;
            if (parse_int(text, &id)) {
                p->sample_id = static_cast<int32_t>(id);
                id_set = true;
                if (id == 0)
                    st->id_zero = true;
            }
            break;
        }
        case F_SPECTRAL:
            if (numeric && p->spectrum.step_nm > 0 &&
                (!l.sampled || (index - p->spectrum.start_nm) % p->spectrum.step_nm == 0))
                put_sample(p, (index - p->spectrum.start_nm) / p->spectrum.step_nm, v, &rs,
                           &st->percent);
            break;
        case F_SPECTRAL_NM:
            if (numeric) {
                if (rs.nm_values == 0)
                    rs.nm_first = v;
                else if (rs.nm_values == 1)
                    rs.nm_second = v;
                rs.nm_last = v;
                ++rs.nm_values;
            }
            break;
        case F_SPECTRAL_PCT:
        case F_SPECTRUM_NEXT:
            if (numeric) {
                if (kind == F_SPECTRAL_PCT && p->spectrum.start_nm < 0) {
                    // Range from the row's SPECTRAL_NM values, settled at the row's end.
                    if (rs.next_sample < ENGINE_SPECTRUM_MAX)
                        p->spectrum.values[rs.next_sample] = v;
                    rs.has_spectrum = true;
                    if (v > 2.0)
                        st->percent = true;
                } else {
                    put_sample(p, rs.next_sample, v, &rs, &st->percent);
                }
                ++rs.next_sample;
            }
            break;
        case F_DEVICE:
        case F_EXTRA:
            if (numeric && index >= 0 && index < ENGINE_MAX_CHANNELS)
                p->device[index] = static_cast<float>(v);
            if (numeric && kind == F_DEVICE)
                ++device_numbers;
            break;
        case F_XYZ:
            if (numeric)
                p->xyz[index] = static_cast<float>(v);
            break;
        case F_XYY:
            if (numeric) {
                rs.xyy[index] = v;
                if (index < 2) {
                    rs.xyy_set[index] = true;
                } else if (rs.xyy_set[0] && rs.xyy_set[1]) {
                    double xyz[3];
                    cm_xyy_to_xyz(rs.xyy, xyz);
                    for (int k = 0; k < 3; ++k)
                        p->xyz[k] = std::isfinite(xyz[k]) && std::fabs(xyz[k]) < 1e30
                                        ? static_cast<float>(xyz[k])
                                        : 0.0f;
                }
            }
            break;
        case F_LAB:
            if (numeric)
                p->lab[index] = static_cast<float>(v);
            break;
        case F_LCH:
            if (numeric)
                p->lch[index] = static_cast<float>(v);
            break;
        case F_IGNORE:
            break;
        }
    }
    if (values < n) {
        if (st->short_rows++ == 0)
            st->first_short_line = line_number;
    }
    if (device_numbers < l.device_fields) {
        if (st->device_gaps == 0)
            st->first_gap_line = line_number;
        st->device_gaps += l.device_fields - device_numbers;
    }
    if (rs.nm_values > 0 && p->spectrum.start_nm < 0) {
        // SPECTRAL_NM / SPECTRAL_PCT pairs: first wavelength, second - first as step.
        const double step = rs.nm_values > 1 ? rs.nm_second - rs.nm_first : 1.0;
        if (rs.has_spectrum && rs.nm_first >= 0 && rs.nm_first <= 100000 && step >= 1 &&
            step <= 100000 && rs.nm_last >= rs.nm_first && rs.nm_last <= 100000) {
            p->spectrum.start_nm = static_cast<int32_t>(rs.nm_first);
            p->spectrum.step_nm = static_cast<int32_t>(step);
            const double last = rs.nm_first + (ENGINE_SPECTRUM_MAX - 1) * step;
            p->spectrum.end_nm = static_cast<int32_t>(rs.nm_last > last ? last : rs.nm_last);
        } else {
            rs.has_spectrum = false;
        }
    }
    if (rs.has_spectrum && engine_spectrum_count(p->spectrum) > 0) {
        const int count = engine_spectrum_count(p->spectrum);
        for (int k = count; k < ENGINE_SPECTRUM_MAX; ++k)
            p->spectrum.values[k] = 0.0;
        spectrum_to_patch_colour(p, nullptr, 0, kD50);
    } else {
        p->spectrum.start_nm = -1;
        p->spectrum.end_nm = -1;
        p->spectrum.step_nm = 0;
        std::memset(p->spectrum.values, 0, sizeof p->spectrum.values);
        rs.has_spectrum = false;
    }
    if (!id_set) {
        p->sample_id = row;
        st->all_ids = false;
    }
}

// Refuses more than kMaxFields fields, unless the excess are spectral
// columns (up to kMaxSpectralFields in all); true when refused.
bool refuse_fields(const header &h, const char *name, cgats_report *report)
{
    const size_t n = h.fields.size();
    if (n <= kMaxFields)
        return false;
    if (n > kMaxSpectralFields) {
        refuse(report, name, h.format_line, "%zu fields where the reader takes at most %zu", n,
               kMaxSpectralFields);
        return true;
    }
    size_t other = 0;
    for (int nm : field_wavelengths(h.fields))
        other += nm > 0 ? 0 : 1;
    if (other <= kMaxFields)
        return false;
    refuse(report, name, h.format_line,
           "%zu fields besides spectral ones where the reader takes at most %zu", other,
           kMaxFields);
    return true;
}

engine_result parse(const char *data, size_t size, const char *name, patch_set *set,
                    cgats_report *report)
{
    header h;
    read_header(data, size, &h);
    if (!h.data_seen) {
        if (size == 0)
            refuse(report, name, 0, "the text is empty");
        else if (h.format_open)
            refuse(report, name, h.format_line,
                   "BEGIN_DATA_FORMAT without END_DATA_FORMAT");
        else
            refuse(report, name, 0, "no BEGIN_DATA line: no data to read");
        return ENGINE_ERR_FILE;
    }
    if (refuse_fields(h, name, report))
        return ENGINE_ERR_FILE;
    if (h.rows.size() > size_t(ENGINE_MAX_PATCHES)) {
        refuse(report, name, h.row_lines[size_t(ENGINE_MAX_PATCHES)],
               "more than %d data lines", int(ENGINE_MAX_PATCHES));
        return ENGINE_ERR_NO_MEMORY;
    }
    layout l;
    classify(h, &l);

    patch_set_free(set);
    patch_set_init(set);
    const int32_t count = static_cast<int32_t>(h.rows.size());
    const engine_result r = patch_set_alloc(set, count);
    if (r != ENGINE_OK) {
        refuse(report, name, 0, "no memory for %d patches", int(count));
        return r;
    }
    read_state st;
    bool spectral = false;
    for (int32_t i = 0; i < count; ++i) {
        read_row(h, l, h.rows[size_t(i)], h.row_lines[size_t(i)], i, &set->patches[i], &st);
        if (set->patches[i].spectrum.start_nm >= 0)
            spectral = true;
    }
    set->spectral = spectral ? 1 : 0;

    uint32_t pcs = spectral ? SIG_LAB : l.pcs_found;
    if (l.family_channels == 0) {
        set->data_space = pcs;
        set->pcs = SIG_BLANK;
    } else {
        set->data_space = l.device_space;
        set->pcs = pcs;
    }
    set->channels = static_cast<int16_t>(l.channels);
    set->pcs_channels = set->pcs != SIG_BLANK ? 3 : 0;
    set->extra_columns = static_cast<int16_t>(l.extras_declared);
    std::memcpy(set->channel_names, l.names, sizeof set->channel_names);

    if (spectral) {
        for (int32_t i = 0; i < count; ++i) {
            patch_record &p = set->patches[i];
            if (p.spectrum.start_nm < 0)
                continue;
            if (!st.percent) {
                for (float &v : p.xyz)
                    v *= 100.0f;
                for (double &v : p.spectrum.values)
                    v *= 100.0;
            }
            const double xyz[3] = {p.xyz[0], p.xyz[1], p.xyz[2]};
            double lab[3];
            cm_xyz_to_lab(xyz, kD50, lab);
            for (int k = 0; k < 3; ++k)
                p.lab[k] = static_cast<float>(lab[k]);
            if (resample_20_to_10(&p.spectrum))
                spectrum_to_patch_colour(&p, nullptr, 0, kD50);
        }
    } else if (l.pcs_found == SIG_XYZ && count > 0) {
        int32_t brightest = 0;
        for (int32_t i = 1; i < count; ++i)
            if (set->patches[i].xyz[1] > set->patches[brightest].xyz[1])
                brightest = i;
        double white[3] = {kD50[0], kD50[1], kD50[2]};
        const patch_record &w = set->patches[brightest];
        if (w.xyz[1] > 100.0f && w.xyz[0] > 0.0f && w.xyz[2] > 0.0f) {
            for (int k = 0; k < 3; ++k)
                white[k] = w.xyz[k];
        }
        for (int32_t i = 0; i < count; ++i) {
            patch_record &p = set->patches[i];
            const double xyz[3] = {p.xyz[0], p.xyz[1], p.xyz[2]};
            double lab[3];
            cm_xyz_to_lab(xyz, white, lab);
            for (int k = 0; k < 3; ++k)
                p.lab[k] = std::isfinite(lab[k]) ? static_cast<float>(lab[k]) : 0.0f;
        }
    } else if (l.pcs_found == SIG_LAB) {
        for (int32_t i = 0; i < count; ++i) {
            patch_record &p = set->patches[i];
            const double lab[3] = {p.lab[0], p.lab[1], p.lab[2]};
            double xyz[3];
            cm_lab_to_xyz(lab, kD50, xyz);
            for (int k = 0; k < 3; ++k)
                p.xyz[k] = std::isfinite(xyz[k]) && std::fabs(xyz[k]) < 1e30
                               ? static_cast<float>(xyz[k])
                               : 0.0f;
        }
    }
    if (!st.id_zero && st.all_ids) {
        for (int32_t i = 0; i < count; ++i)
            if (set->patches[i].sample_id > INT32_MIN)
                --set->patches[i].sample_id;
    }
    if (l.highest_clr >= 2 && l.highest_clr <= 8)
        set->data_space = engine_clr_sig(l.highest_clr);
    if (report) {
        report->short_rows = st.short_rows;
        report->first_short_line = st.first_short_line;
        report->device_gaps = st.device_gaps;
        report->first_gap_line = st.first_gap_line;
    }
    return ENGINE_OK;
}

bool ends_with_ciex(const char *path)
{
    const size_t n = std::strlen(path);
    if (n <= 5)
        return false;
    const char *ext = path + n - 5;
    static const char want[] = ".CIEX";
    for (int i = 0; i < 5; ++i) {
        char c = ext[i];
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        if (c != want[i])
            return false;
    }
    return true;
}

}  // namespace

void cgats_report_init(cgats_report *report)
{
    if (report)
        std::memset(report, 0, sizeof *report);
}

engine_result read_cgats_bytes_report(const char *data, size_t size, const char *name,
                                      patch_set *set, cgats_report *report)
{
    cgats_report_init(report);
    if (!set || (!data && size > 0)) {
        refuse(report, name, 0, "no text or no set to read into");
        return ENGINE_ERR_FILE;
    }
    try {
        return parse(data ? data : "", size, name, set, report);
    } catch (const std::bad_alloc &) {
        patch_set_free(set);
        cgats_report_init(report);
        refuse(report, name, 0, "out of memory");
        return ENGINE_ERR_NO_MEMORY;
    }
}

engine_result read_cgats_bytes(const char *data, size_t size, patch_set *set)
{
    return read_cgats_bytes_report(data, size, nullptr, set, nullptr);
}

engine_result read_cgats_file_report(const char *path, patch_set *set, cgats_report *report)
{
    cgats_report_init(report);
    if (!path || !set) {
        refuse(report, path, 0, "no file name or no set to read into");
        return ENGINE_ERR_FILE;
    }
    file_bytes bytes;
    const char *why = nullptr;
    const engine_result r = read_file_bytes(path, CGATS_MAX_FILE_BYTES, &bytes, &why);
    if (r != ENGINE_OK) {
        refuse(report, path, 0, "%s", why ? why : "cannot be read");
        return r;
    }
    if (ends_with_ciex(path)) {
        for (size_t i = 0; i < bytes.size; ++i)
            bytes.data[i] = static_cast<char>(~static_cast<unsigned char>(bytes.data[i]));
    }
    return read_cgats_bytes_report(bytes.data, bytes.size, path, set, report);
}

engine_result read_cgats_file(const char *path, patch_set *set)
{
    return read_cgats_file_report(path, set, nullptr);
}
