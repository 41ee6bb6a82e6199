#include "platform/work_buffer.h"

#include "platform/big_endian.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace platform {

work_buffer::~work_buffer()
{
    release();
}

work_buffer::work_buffer(work_buffer &&other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      overflowed_(std::exchange(other.overflowed_, false))
{
}

work_buffer &work_buffer::operator=(work_buffer &&other) noexcept
{
    if (this != &other) {
        release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        overflowed_ = std::exchange(other.overflowed_, false);
    }
    return *this;
}

bool work_buffer::allocate(size_t size)
{
    release();
    if (size == 0)
        return true;
    data_ = static_cast<uint8_t *>(std::calloc(size, 1));
    if (!data_)
        return false;
    size_ = size;
    return true;
}

void work_buffer::release()
{
    std::free(data_);
    data_ = nullptr;
    size_ = 0;
    overflowed_ = false;
}

bool work_buffer::fits(size_t offset, size_t n)
{
    if (offset <= size_ && n <= size_ - offset)
        return true;
    overflowed_ = true;
    return false;
}

bool work_buffer::put_bytes(size_t offset, const void *src, size_t n)
{
    if (!fits(offset, n))
        return false;
    if (n)
        std::memcpy(data_ + offset, src, n);
    return true;
}

bool work_buffer::put_u8(size_t offset, uint8_t v)
{
    if (!fits(offset, 1))
        return false;
    data_[offset] = v;
    return true;
}

bool work_buffer::put_be16(size_t offset, uint16_t v)
{
    if (!fits(offset, 2))
        return false;
    store_be16(data_ + offset, v);
    return true;
}

bool work_buffer::put_be32(size_t offset, uint32_t v)
{
    if (!fits(offset, 4))
        return false;
    store_be32(data_ + offset, v);
    return true;
}

bool work_buffer::put_be64(size_t offset, uint64_t v)
{
    if (!fits(offset, 8))
        return false;
    store_be64(data_ + offset, v);
    return true;
}

bool work_buffer::put_be_float(size_t offset, float v)
{
    if (!fits(offset, 4))
        return false;
    store_be_float(data_ + offset, v);
    return true;
}

bool work_buffer::put_le16(size_t offset, uint16_t v)
{
    if (!fits(offset, 2))
        return false;
    store_le16(data_ + offset, v);
    return true;
}

bool work_buffer::put_le32(size_t offset, uint32_t v)
{
    if (!fits(offset, 4))
        return false;
    store_le32(data_ + offset, v);
    return true;
}

bool work_buffer::put_le_float(size_t offset, float v)
{
    if (!fits(offset, 4))
        return false;
    store_le_float(data_ + offset, v);
    return true;
}

}  // namespace platform
