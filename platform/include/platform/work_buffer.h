// An owned, zero-filled block of bytes with bounds-checked writes: the work
// block a file is assembled in before it is written in one piece.
//
// Every write names its offset; a write that would pass the end stores
// nothing and marks the buffer overflowed, so a caller checks once at the end
// instead of after every store.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

class work_buffer {
public:
    work_buffer() = default;
    ~work_buffer();
    work_buffer(const work_buffer &) = delete;
    work_buffer &operator=(const work_buffer &) = delete;
    work_buffer(work_buffer &&other) noexcept;
    work_buffer &operator=(work_buffer &&other) noexcept;

    // Replaces the block by a zero-filled one of size bytes (size 0 frees it).
    // False when the memory cannot be had: the buffer is then empty.
    bool allocate(size_t size);
    void release();

    uint8_t *data() { return data_; }
    const uint8_t *data() const { return data_; }
    size_t size() const { return size_; }
    bool overflowed() const { return overflowed_; }

    // True when n bytes fit at offset; otherwise marks the overflow.
    bool fits(size_t offset, size_t n);

    bool put_bytes(size_t offset, const void *src, size_t n);
    bool put_u8(size_t offset, uint8_t v);
    bool put_be16(size_t offset, uint16_t v);
    bool put_be32(size_t offset, uint32_t v);
    bool put_be64(size_t offset, uint64_t v);
    bool put_be_float(size_t offset, float v);
    bool put_le16(size_t offset, uint16_t v);
    bool put_le32(size_t offset, uint32_t v);
    bool put_le_float(size_t offset, float v);

private:
    uint8_t *data_ = nullptr;
    size_t size_ = 0;
    bool overflowed_ = false;
};

}  // namespace platform
