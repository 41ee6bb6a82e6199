#include "platform/big_endian.h"

namespace platform {

bool swap_array_to_big_endian(void *data, size_t count, size_t element_size)
{
    uint8_t *p = static_cast<uint8_t *>(data);
    if (element_size == 2) {
        for (size_t i = 0; i < count; ++i, p += 2) {
            uint16_t v;
            std::memcpy(&v, p, 2);
            store_be16(p, v);
        }
        return true;
    }
    if (element_size == 4) {
        for (size_t i = 0; i < count; ++i, p += 4) {
            uint32_t v;
            std::memcpy(&v, p, 4);
            store_be32(p, v);
        }
        return true;
    }
    return false;
}

}  // namespace platform
