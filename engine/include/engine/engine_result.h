// Result codes of the profile engine. Every engine operation returns one;
// nothing throws and nothing is printed on a failure path.
#pragma once

#include <cstdint>

typedef int16_t engine_result;

enum : int16_t {
    ENGINE_OK = 0,
    ENGINE_ERR_FILE = -1,                // file cannot be opened, read or written; bad input
    ENGINE_ERR_NO_MEMORY = -108,         // out of memory (or a size that cannot be allocated)
    ENGINE_ERR_SETS_MISMATCH = -32767,   // two patch sets do not match
    ENGINE_ERR_NO_LAB_OR_XYZ = -32766,   // the set holds neither Lab nor XYZ
    ENGINE_ERR_WRONG_KIND = -32765,      // wrong kind of data
    ENGINE_ERR_INDEX = -32764,           // patch index out of range
    ENGINE_ERR_EMPTY = -32761,           // empty set or operation not applicable
    ENGINE_ERR_TOO_MANY_SAMPLES = -32756,  // too many spectral samples to write
    ENGINE_ERR_DCP_CREATE = 1001,        // DNG camera profile file cannot be created
    ENGINE_ERR_DCP_WRITE = 1002,         // DNG camera profile file cannot be written
};
