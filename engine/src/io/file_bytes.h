// Whole-file reads for the engine's text readers.
#pragma once

#include "engine/engine_result.h"

#include <cstddef>
#include <string>

struct file_bytes {
    char *data = nullptr;  // size bytes and a NUL; malloc'd
    size_t size = 0;
    file_bytes() = default;
    file_bytes(const file_bytes &) = delete;
    file_bytes &operator=(const file_bytes &) = delete;
    ~file_bytes();
};

// The path as the file system takes it: a backslash separates folders like '/'.
std::string engine_file_path(const char *path);

// Reads the file whole. 0; -1 when it cannot be opened or read or is longer
// than max_bytes; -108 when there is no memory for it. On failure *why (when
// given) names the reason in words.
engine_result read_file_bytes(const char *path, size_t max_bytes, file_bytes *out,
                              const char **why = nullptr);
