// Serialisers of the ICC tag types the writer emits, over a byte_sink that
// either measures (no buffer) or stores into a bounds-checked work buffer.
// Each serialiser writes at a position and returns the tag's size.
#pragma once

#include "engine/profile_tables.h"
#include "platform/work_buffer.h"

#include <cstddef>
#include <cstdint>

namespace icc {

class byte_sink {
public:
    explicit byte_sink(platform::work_buffer *buffer) : buffer_(buffer) {}
    bool measuring() const { return buffer_ == nullptr; }
    bool overflowed() const { return buffer_ && buffer_->overflowed(); }

    void u8(size_t at, uint8_t v)
    {
        if (buffer_)
            buffer_->put_u8(at, v);
    }
    void u16(size_t at, uint16_t v)
    {
        if (buffer_)
            buffer_->put_be16(at, v);
    }
    void u32(size_t at, uint32_t v)
    {
        if (buffer_)
            buffer_->put_be32(at, v);
    }
    void u64(size_t at, uint64_t v)
    {
        if (buffer_)
            buffer_->put_be64(at, v);
    }
    void f32(size_t at, float v)
    {
        if (buffer_)
            buffer_->put_be_float(at, v);
    }
    void bytes(size_t at, const void *src, size_t n)
    {
        if (buffer_)
            buffer_->put_bytes(at, src, n);
    }
    void s15(size_t at, double v);

private:
    platform::work_buffer *buffer_;
};

constexpr size_t pad4(size_t n)
{
    return (n + 3) & ~size_t(3);
}

// value x 65536 rounded half away from zero, saturated to 32 bits.
int32_t s15fixed16(double value);

// A tag's size as its type defines it and as it lies in the profile.
struct tag_size {
    size_t exact;
    size_t padded;
};

// Header fields the writer varies; everything else is fixed.
struct header_fields {
    uint32_t version;        // 0x04000000 or 0x02000000
    uint32_t device_class;
    uint32_t colour_space;
    uint32_t pcs;
    uint32_t creator;
    uint64_t attributes;
};

// The 128-byte header with size 0 and a zero profile ID; date and time from
// the local clock.
void put_header(byte_sink &s, const header_fields &h);

tag_size put_desc(byte_sink &s, size_t at, const char *text, size_t n);
tag_size put_mluc(byte_sink &s, size_t at, const char *text, size_t n);
tag_size put_text(byte_sink &s, size_t at, const char *text, size_t n);
tag_size put_xyz(byte_sink &s, size_t at, const float xyz[3]);
// A 'curv': one entry is a gamma in thousandths, more are samples.
tag_size put_curv(byte_sink &s, size_t at, const uint16_t *entries, size_t count);
tag_size put_mmod(byte_sink &s, size_t at, const uint32_t device[4]);
tag_size put_private_matrix(byte_sink &s, size_t at, const float matrix[9]);
// The lut_table header alone (48 bytes for 'mft1', 52 for 'mft2').
size_t lut_header_size(const lut_table &t);
size_t put_lut_header(byte_sink &s, size_t at, const lut_table &t);
tag_size put_lut(byte_sink &s, size_t at, const lut_table &t);
tag_size put_mab(byte_sink &s, size_t at, const mab_table &t);

// Checks that a table is complete and consistent with a device of channels
// channels; these are the only tables the serialisers are handed.
bool lut_is_valid(const lut_table &t, int channels);
bool mab_is_valid(const mab_table &t, int channels);
bool curve_is_valid(const icc_curve &c);
bool floats_are_finite(const float *v, size_t n);

// RFC 1321 digest of n bytes; false when the library cannot compute it.
bool md5_digest(const uint8_t *data, size_t n, uint8_t digest[16]);

}  // namespace icc
