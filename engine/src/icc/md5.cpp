#include "icc_tags.h"

#include <openssl/evp.h>

namespace icc {

bool md5_digest(const uint8_t *data, size_t n, uint8_t digest[16])
{
    unsigned int length = 0;
    return EVP_Digest(data, n, digest, &length, EVP_md5(), nullptr) == 1 && length == 16;
}

}  // namespace icc
