// Writing a file so that a reader sees either the old file or the whole new
// one: the bytes go to a temporary file in the target's folder, which is
// flushed to disk and then renamed over the target. A failed or abandoned
// write removes the temporary file and leaves the target as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

class atomic_file {
public:
    atomic_file() = default;
    ~atomic_file();  // discards a write that was not committed
    atomic_file(const atomic_file &) = delete;
    atomic_file &operator=(const atomic_file &) = delete;

    // Creates the temporary file beside path, a hidden name in the same
    // folder, with the permissions of the file it will replace (new files:
    // 0666 less the umask). False when path is empty, ends in '/', names
    // something other than a regular file, or its folder takes no new file.
    bool open(const std::string &path);

    // The temporary file, open for binary writing; null when not open.
    std::FILE *stream() const { return file_; }
    const std::string &path() const { return path_; }
    const std::string &temp_path() const { return temp_; }

    // Flushes the stream and the file to disk, closes it and renames it over
    // the target. False on any failure; the temporary file is then removed.
    bool commit();
    // Closes and removes the temporary file.
    void discard();

private:
    std::FILE *file_ = nullptr;
    std::string path_;
    std::string temp_;
};

// The whole file in one call: size bytes (none when size is 0).
bool write_file_atomically(const std::string &path, const uint8_t *bytes, std::size_t size);

}  // namespace platform
