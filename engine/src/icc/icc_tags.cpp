#include "icc_tags.h"

#include "engine/colour_maths.h"

#include <cmath>
#include <cstring>
#include <ctime>
#include <limits>

namespace icc {

namespace {

constexpr uint32_t kSigDesc = engine_sig("desc");
constexpr uint32_t kSigMluc = engine_sig("mluc");
constexpr uint32_t kSigText = engine_sig("text");
constexpr uint32_t kSigXyz = engine_sig("XYZ ");
constexpr uint32_t kSigCurv = engine_sig("curv");
constexpr uint32_t kSigMmod = engine_sig("mmod");
constexpr uint32_t kSigData = engine_sig("data");
constexpr uint32_t kSigMab = engine_sig("mAB ");

uint64_t grid_count(int grid, int inputs, int outputs)
{
    uint64_t n = uint64_t(outputs);
    for (int i = 0; i < inputs; ++i) {
        n *= uint64_t(grid);
        if (n > (uint64_t(1) << 32))
            return 0;
    }
    return n;
}

size_t curv_size(size_t count)
{
    return 12 + 2 * count;
}

}  // namespace

int32_t s15fixed16(double value)
{
    if (!std::isfinite(value))
        return 0;
    const double scaled = value * 65536.0;
    const double r = scaled < 0 ? -std::floor(-scaled + 0.5) : std::floor(scaled + 0.5);
    if (r >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (r <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return int32_t(r);
}

void byte_sink::s15(size_t at, double v)
{
    u32(at, uint32_t(s15fixed16(v)));
}

void put_header(byte_sink &s, const header_fields &h)
{
    s.u32(4, engine_sig("appl"));
    s.u32(8, h.version);
    s.u32(12, h.device_class);
    s.u32(16, h.colour_space);
    s.u32(20, h.pcs);
    std::time_t now = std::time(nullptr);
    std::tm local {};
    if (!localtime_r(&now, &local))
        std::memset(&local, 0, sizeof local);
    s.u16(24, uint16_t(local.tm_year + 1900));
    s.u16(26, uint16_t(local.tm_mon + 1));
    s.u16(28, uint16_t(local.tm_mday));
    s.u16(30, uint16_t(local.tm_hour));
    s.u16(32, uint16_t(local.tm_min));
    s.u16(34, uint16_t(local.tm_sec < 60 ? local.tm_sec : 59));
    s.u32(36, engine_sig("acsp"));
    s.u32(40, engine_sig("APPL"));
    s.u64(56, h.attributes);
    for (int k = 0; k < 3; ++k)
        s.s15(68 + 4 * k, cm_icc_d50_white[k]);
    s.u32(80, h.creator);
}

tag_size put_desc(byte_sink &s, size_t at, const char *text, size_t n)
{
    s.u32(at, kSigDesc);
    s.u32(at + 8, uint32_t(n + 1));
    s.bytes(at + 12, text, n);
    size_t p = at + 12 + n + 1;  // after the NUL
    // Unicode language code and count stay 0, then ScriptCode code 0.
    p += 4 + 4 + 2;
    const size_t script = n < 66 ? n : 66;
    s.u8(p, uint8_t(script + 1));
    s.bytes(p + 1, text, script);
    const size_t exact = n + 91;
    return {exact, pad4(exact)};
}

tag_size put_mluc(byte_sink &s, size_t at, const char *text, size_t n)
{
    s.u32(at, kSigMluc);
    s.u32(at + 8, 1);
    s.u32(at + 12, 12);
    s.u16(at + 16, uint16_t(('e' << 8) | 'n'));
    s.u16(at + 18, uint16_t(('U' << 8) | 'S'));
    s.u32(at + 20, uint32_t(2 * n));
    s.u32(at + 24, 28);
    for (size_t i = 0; i < n; ++i)
        s.u16(at + 28 + 2 * i, uint8_t(text[i]));
    const size_t exact = 28 + 2 * n;
    return {exact, pad4(exact)};
}

tag_size put_text(byte_sink &s, size_t at, const char *text, size_t n)
{
    s.u32(at, kSigText);
    s.bytes(at + 8, text, n);
    const size_t exact = 9 + n;
    return {exact, pad4(exact)};
}

tag_size put_xyz(byte_sink &s, size_t at, const float xyz[3])
{
    s.u32(at, kSigXyz);
    for (int i = 0; i < 3; ++i)
        s.s15(at + 8 + 4 * size_t(i), xyz[i]);
    return {20, 20};
}

tag_size put_curv(byte_sink &s, size_t at, const uint16_t *entries, size_t count)
{
    s.u32(at, kSigCurv);
    s.u32(at + 8, uint32_t(count));
    if (count == 1) {
        const double gamma = entries[0] / 1000.0;
        const double whole = std::floor(gamma);
        const unsigned fraction = unsigned((gamma - whole) * 255.0 + 0.5);
        s.u8(at + 12, uint8_t(whole));
        s.u8(at + 13, uint8_t(fraction > 255 ? 255 : fraction));
    } else {
        for (size_t j = 0; j < count; ++j)
            s.u16(at + 12 + 2 * j, entries[j]);
    }
    const size_t exact = curv_size(count);
    return {exact, pad4(exact)};
}

tag_size put_mmod(byte_sink &s, size_t at, const uint32_t device[4])
{
    s.u32(at, kSigMmod);
    for (int i = 0; i < 4; ++i)
        s.u32(at + 8 + 4 * size_t(i), device[i]);
    return {40, 40};
}

tag_size put_private_matrix(byte_sink &s, size_t at, const float matrix[9])
{
    s.u32(at, kSigData);
    // The program's mark: flag bytes 00 01 00 00.
    s.u8(at + 9, 0x01);
    for (int i = 0; i < 9; ++i)
        s.f32(at + 12 + 4 * size_t(i), matrix[i]);
    return {48, 48};
}

size_t lut_header_size(const lut_table &t)
{
    return t.type == ICC_TYPE_LUT8 ? 48 : 52;
}

size_t put_lut_header(byte_sink &s, size_t at, const lut_table &t)
{
    s.u32(at, t.type);
    s.u8(at + 8, t.inputs);
    s.u8(at + 9, t.outputs);
    s.u8(at + 10, t.grid_points);
    for (int i = 0; i < 3; ++i)
        s.s15(at + 12 + 16 * size_t(i), 1.0);  // the diagonal of the identity
    if (t.type == ICC_TYPE_LUT16) {
        s.u16(at + 48, t.input_entries);
        s.u16(at + 50, t.output_entries);
    }
    return lut_header_size(t);
}

tag_size put_lut(byte_sink &s, size_t at, const lut_table &t)
{
    size_t p = at + put_lut_header(s, at, t);
    const bool eight = t.type == ICC_TYPE_LUT8;
    auto put_values = [&](const uint16_t *v, size_t n) {
        if (!s.measuring()) {
            for (size_t j = 0; j < n; ++j) {
                if (eight)
                    s.u8(p + j, uint8_t(v[j]));
                else
                    s.u16(p + 2 * j, v[j]);
            }
        }
        p += eight ? n : 2 * n;
    };
    for (int i = 0; i < t.inputs; ++i)
        put_values(t.input_tables[i], t.input_entries);
    put_values(t.clut, t.clut_entries);
    for (int i = 0; i < t.outputs; ++i)
        put_values(t.output_tables[i], t.output_entries);
    const size_t exact = p - at;
    return {exact, pad4(exact)};
}

tag_size put_mab(byte_sink &s, size_t at, const mab_table &t)
{
    s.u32(at, kSigMab);
    s.u8(at + 8, t.inputs);
    s.u8(at + 9, t.outputs);
    size_t p = 32;  // offsets are from the start of the tag
    auto put_curves = [&](uint16_t *const *curves, int n, size_t entries) {
        for (int i = 0; i < n; ++i)
            p += put_curv(s, at + p, curves[i], entries).padded;
    };
    s.u32(at + 12, uint32_t(p));
    put_curves(t.b_curves, t.outputs, t.bm_curve_entries);
    s.u32(at + 16, uint32_t(p));
    for (int i = 0; i < 12; ++i)
        s.s15(at + p + 4 * size_t(i), t.matrix[i]);
    p += 48;
    s.u32(at + 20, uint32_t(p));
    put_curves(t.m_curves, t.outputs, t.bm_curve_entries);
    s.u32(at + 24, uint32_t(p));
    for (int i = 0; i < t.inputs; ++i)
        s.u8(at + p + size_t(i), t.grid_points);
    s.u8(at + p + 16, 2);  // precision: 16-bit entries
    p += 20;
    if (!s.measuring())
        for (uint32_t j = 0; j < t.clut_entries; ++j)
            s.u16(at + p + 2 * size_t(j), t.clut[j]);
    p = pad4(p + 2 * size_t(t.clut_entries));
    s.u32(at + 28, uint32_t(p));
    put_curves(t.a_curves, t.inputs, t.a_curve_entries);
    return {p, p};
}

bool floats_are_finite(const float *v, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (!std::isfinite(v[i]))
            return false;
    return true;
}

bool curve_is_valid(const icc_curve &c)
{
    if (c.count == 0 || !c.entries)
        return false;
    return c.count > 1 || c.entries[0] != 0;
}

bool lut_is_valid(const lut_table &t, int channels)
{
    const bool eight = t.type == ICC_TYPE_LUT8;
    if (!eight && t.type != ICC_TYPE_LUT16)
        return false;
    if (channels < 1 || t.inputs != channels || t.outputs != 3 || t.grid_points < 2)
        return false;
    if (eight ? (t.input_entries != 256 || t.output_entries != 256)
              : (t.input_entries < 2 || t.input_entries > 4096 || t.output_entries < 2 ||
                 t.output_entries > 4096))
        return false;
    const uint64_t n = grid_count(t.grid_points, t.inputs, t.outputs);
    if (n == 0 || n != t.clut_entries || !t.clut)
        return false;
    for (int i = 0; i < t.inputs; ++i)
        if (!t.input_tables[i])
            return false;
    for (int i = 0; i < t.outputs; ++i)
        if (!t.output_tables[i])
            return false;
    if (eight) {
        auto within = [](const uint16_t *v, size_t count) {
            for (size_t j = 0; j < count; ++j)
                if (v[j] > 255)
                    return false;
            return true;
        };
        for (int i = 0; i < t.inputs; ++i)
            if (!within(t.input_tables[i], 256))
                return false;
        for (int i = 0; i < t.outputs; ++i)
            if (!within(t.output_tables[i], 256))
                return false;
        if (!within(t.clut, t.clut_entries))
            return false;
    }
    return true;
}

bool mab_is_valid(const mab_table &t, int channels)
{
    if (channels < 1 || channels > 15 || t.inputs != channels || t.outputs != 3 ||
        t.grid_points < 2)
        return false;
    if (t.a_curve_entries < 2 || t.bm_curve_entries < 2)
        return false;
    const uint64_t n = grid_count(t.grid_points, t.inputs, t.outputs);
    if (n == 0 || n != t.clut_entries || !t.clut)
        return false;
    for (int i = 0; i < t.inputs; ++i)
        if (!t.a_curves[i])
            return false;
    for (int i = 0; i < t.outputs; ++i)
        if (!t.b_curves[i] || !t.m_curves[i])
            return false;
    return floats_are_finite(t.matrix, 12);
}

}  // namespace icc
