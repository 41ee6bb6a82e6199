// The engine's writer of a patch set as a CGATS "Reference File".
#include "engine/cgats.h"

#include "engine/profile_output.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kMaxWrittenSamples = 119;

void put(std::string *s, const char *fmt, ...) __attribute__((format(printf, 2, 3)));

void put(std::string *s, const char *fmt, ...)
{
    char buf[512];
    va_list ap;
    va_start(ap, fmt);
    const int n = std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    if (n < 0)
        return;
    if (size_t(n) < sizeof buf) {
        s->append(buf, size_t(n));
        return;
    }
    std::string big(size_t(n) + 1, '\0');
    va_start(ap, fmt);
    std::vsnprintf(&big[0], big.size(), fmt, ap);
    va_end(ap);
    s->append(big.data(), size_t(n));
}

// A text field of a row: quoted when it holds a separator, so that it reads
// back as one token.
void put_text(std::string *s, const char *text, size_t max)
{
    const size_t n = strnlen(text, max);
    const std::string t(text, n);
    if (t.find_first_of(" \t,") != std::string::npos) {
        s->push_back('"');
        for (char c : t)
            if (c != '"')
                s->push_back(c);
        s->append("\"\t");
    } else {
        s->append(t);
        s->push_back('\t');
    }
}

int first_extra_channel(const patch_set *set)
{
    const int first = set->channels - set->extra_columns;
    return first < 0 ? 0 : first;
}

// First device channel (0-based) of the MCH columns.
int first_mch_channel(uint32_t mask)
{
    return (mask & (CGATS_RGB | CGATS_CMY)) ? 3 : 4;
}

struct spectral_columns {
    int count = 0;
    int start = 0;
    int step = 1;
};

bool spectral_layout(const patch_set *set, spectral_columns *cols)
{
    const engine_spectrum &s = set->patches[0].spectrum;
    if (s.end_nm <= 0 || s.start_nm < 0 || s.end_nm < s.start_nm)
        return true;
    cols->step = s.step_nm < 1 ? 1 : s.step_nm;
    cols->start = s.start_nm;
    const long long n = (static_cast<long long>(s.end_nm) - s.start_nm) / cols->step + 1;
    if (n > kMaxWrittenSamples)
        return false;
    cols->count = static_cast<int>(n);
    return true;
}

void write_format(std::string *s, const patch_set *set, uint32_t mask,
                  const spectral_columns &spec)
{
    s->append("\nBEGIN_DATA_FORMAT\n");
    if (mask & CGATS_SAMPLE_ID)
        s->append("SAMPLE_ID\t");
    if (mask & CGATS_SAMPLE_LOC)
        s->append("SAMPLE_LOC\t");
    if (mask & CGATS_CONTROL)
        s->append("CONTROL\t");
    if (mask & CGATS_CMYK)
        s->append("CMYK_C\tCMYK_M\tCMYK_Y\tCMYK_K\t");
    if (mask & CGATS_CMY)
        s->append("CMY_C\tCMY_M\tCMY_Y\t");
    if (mask & CGATS_RGB)
        s->append("RGB_R\tRGB_G\tRGB_B\t");
    if (mask & CGATS_MCH) {
        for (int ch = first_mch_channel(mask); ch < set->channels && ch < ENGINE_MAX_CHANNELS;
             ++ch)
            put(s, "MCH%d\t", ch - 3);
    }
    if (mask & CGATS_DE2000)
        s->append("DE2000\t");
    if (mask & CGATS_EXTRA) {
        for (int ch = first_extra_channel(set); ch < set->channels && ch < ENGINE_MAX_CHANNELS;
             ++ch)
            put(s, "%.63s\t", set->channel_names[ch]);
    }
    if (mask & CGATS_SPECTRAL) {
        for (int i = 0; i < spec.count; ++i)
            put(s, "R_%d\t", spec.start + i * spec.step);
    }
    if (mask & CGATS_XYZ)
        s->append("XYZ_X\tXYZ_Y\tXYZ_Z\t");
    if (mask & CGATS_LAB)
        s->append("LAB_L\tLAB_A\tLAB_B\t");
    if (mask & CGATS_LCH)
        s->append("LCH_L\tLCH_C\tLCH_H\t");
    s->append("\nEND_DATA_FORMAT\n\n");
}

void write_row(std::string *s, const patch_set *set, int32_t i, uint32_t mask,
               const spectral_columns &spec)
{
    const patch_record &p = set->patches[i];
    if (mask & CGATS_SAMPLE_ID)
        put(s, "%04d\t", p.sample_id);
    if (mask & CGATS_SAMPLE_LOC) {
        if (p.name[0])
            put_text(s, p.name, sizeof p.name);
        else
            put(s, "%d\t", i + 1);
    }
    if (mask & CGATS_CONTROL) {
        if (p.control[0])
            put_text(s, p.control, sizeof p.control);
        else
            s->append("N\t");
    }
    if (mask & CGATS_CMYK)
        for (int k = 0; k < 4; ++k)
            put(s, "%5.2f\t", double(p.device[k]));
    if (mask & CGATS_CMY)
        for (int k = 0; k < 3; ++k)
            put(s, "%5.2f\t", double(p.device[k]));
    if (mask & CGATS_RGB)
        for (int k = 0; k < 3; ++k)
            put(s, "%5.2f\t", double(p.device[k]));
    if (mask & CGATS_MCH)
        for (int ch = first_mch_channel(mask); ch < set->channels && ch < ENGINE_MAX_CHANNELS;
             ++ch)
            put(s, "%5.2f\t", double(p.device[ch]));
    if (mask & CGATS_DE2000)
        put(s, "%5.2f\t", double(p.delta_e));
    if (mask & CGATS_EXTRA)
        for (int ch = first_extra_channel(set); ch < set->channels && ch < ENGINE_MAX_CHANNELS;
             ++ch)
            put(s, "%5.2f\t", double(p.device[ch]));
    if (mask & CGATS_SPECTRAL) {
        // Each row gives its own samples in order; a shorter spectrum is
        // padded so that every row has the header's columns.
        const int own = engine_spectrum_count(p.spectrum);
        for (int k = 0; k < spec.count; ++k)
            put(s, "%7.4f\t", k < own ? p.spectrum.values[k] : 0.0);
    }
    if (mask & CGATS_XYZ)
        for (int k = 0; k < 3; ++k)
            put(s, "%6.3f\t", double(p.xyz[k]));
    if (mask & CGATS_LAB)
        for (int k = 0; k < 3; ++k)
            put(s, "%6.3f\t", double(p.lab[k]));
    if (mask & CGATS_LCH)
        for (int k = 0; k < 3; ++k)
            put(s, "%6.3f\t", double(p.lch[k]));
    s->push_back('\n');
}

bool skipped(const patch_record &p, uint32_t mask)
{
    return (mask & CGATS_SKIP_IGNORED) && p.control[0] == 'I';
}

}  // namespace

engine_result write_cgats_file(const patch_set *set, const char *path, uint32_t mask,
                               int comment_number, const char *extra_line)
{
    if (!set || set->count <= 0 || !set->patches)
        return ENGINE_ERR_EMPTY;
    if (!path || !path[0])
        return ENGINE_ERR_FILE;
    spectral_columns spec;
    if ((mask & CGATS_SPECTRAL) && !spectral_layout(set, &spec))
        return ENGINE_ERR_TOO_MANY_SAMPLES;

    int32_t rows = 0;
    for (int32_t i = 0; i < set->count; ++i)
        if (!skipped(set->patches[i], mask))
            ++rows;

    std::string s;
    s.append("Reference File\n\nKEYWORD\tCONTROL\nKEYWORD\tSAMPLE_LOC\n");
    if (mask & CGATS_EXTRA)
        for (int ch = first_extra_channel(set); ch < set->channels && ch < ENGINE_MAX_CHANNELS;
             ++ch)
            put(&s, "KEYWORD\t%.63s\n", set->channel_names[ch]);
    s.append("\n");
    put(&s, "PATCHES %d\n\n", rows);
    if (comment_number >= 1)
        put(&s, "\nBEGIN_COMMENT\n%d\nEND_COMMENT\n", comment_number);
    if (extra_line)
        put(&s, "\n%s\n", extra_line);
    write_format(&s, set, mask, spec);
    s.append("BEGIN_DATA\n");
    for (int32_t i = 0; i < set->count; ++i)
        if (!skipped(set->patches[i], mask))
            write_row(&s, set, i, mask, spec);
    s.append("END_DATA\n");

    profile_output out;
    if (open_profile_output(&out, nullptr, path, false) != ENGINE_OK)
        return ENGINE_ERR_FILE;
    if (std::fwrite(s.data(), 1, s.size(), out.file) != s.size()) {
        discard_profile_output(&out);
        return ENGINE_ERR_FILE;
    }
    return commit_profile_output(&out) == ENGINE_OK ? ENGINE_OK : ENGINE_ERR_FILE;
}
