// Explicit big-endian and little-endian stores and loads, independent of the
// host's byte order. Each takes the address of the first byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace platform {

// A four-character signature (ICC tag, type and colour-space names), first
// character in the most significant byte, as the big-endian files store it.
constexpr uint32_t signature(const char (&s)[5])
{
    return (uint32_t(uint8_t(s[0])) << 24) | (uint32_t(uint8_t(s[1])) << 16) |
           (uint32_t(uint8_t(s[2])) << 8) | uint32_t(uint8_t(s[3]));
}

inline void store_be16(uint8_t *p, uint16_t v)
{
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}

inline void store_be32(uint8_t *p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

inline void store_be64(uint8_t *p, uint64_t v)
{
    store_be32(p, uint32_t(v >> 32));
    store_be32(p + 4, uint32_t(v));
}

// IEEE single precision, most significant byte first.
inline void store_be_float(uint8_t *p, float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    store_be32(p, bits);
}

inline uint16_t load_be16(const uint8_t *p)
{
    return uint16_t((unsigned(p[0]) << 8) | p[1]);
}

inline uint32_t load_be32(const uint8_t *p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

inline void store_le16(uint8_t *p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

inline void store_le32(uint8_t *p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

inline void store_le_float(uint8_t *p, float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    store_le32(p, bits);
}

inline uint16_t load_le16(const uint8_t *p)
{
    return uint16_t(p[0] | (unsigned(p[1]) << 8));
}

inline uint32_t load_le32(const uint8_t *p)
{
    return p[0] | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Rewrites count elements of element_size bytes (2 or 4) held in the host's
// order as big-endian, in place. False for any other element size.
bool swap_array_to_big_endian(void *data, size_t count, size_t element_size);

}  // namespace platform
