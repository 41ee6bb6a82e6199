#include "io/file_bytes.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

file_bytes::~file_bytes()
{
    std::free(data);
}

std::string engine_file_path(const char *path)
{
    std::string s(path ? path : "");
    for (char &c : s)
        if (c == '\\')
            c = '/';
    return s;
}

engine_result read_file_bytes(const char *path, size_t max_bytes, file_bytes *out,
                              const char **why)
{
    const char *unused = nullptr;
    const char *&reason = why ? *why : unused;
    if (!path || !out) {
        reason = "no file name";
        return ENGINE_ERR_FILE;
    }
    std::FILE *f = std::fopen(engine_file_path(path).c_str(), "rb");
    if (!f) {
        reason = errno == ENOENT ? "no such file" : "cannot be opened";
        return ENGINE_ERR_FILE;
    }
    struct stat st;
    if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        std::fclose(f);
        reason = "is not a file";
        return ENGINE_ERR_FILE;
    }
    if (static_cast<unsigned long long>(st.st_size) > max_bytes) {
        std::fclose(f);
        reason = "is longer than the reader takes";
        return ENGINE_ERR_FILE;
    }
    const size_t size = static_cast<size_t>(st.st_size);
    char *data = static_cast<char *>(std::malloc(size + 1));
    if (!data) {
        std::fclose(f);
        reason = "no memory for the file";
        return ENGINE_ERR_NO_MEMORY;
    }
    const size_t got = size ? std::fread(data, 1, size, f) : 0;
    // A file that shrank while being read is read as far as it goes; one that
    // grew is read up to the size it had.
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        std::free(data);
        reason = "cannot be read";
        return ENGINE_ERR_FILE;
    }
    data[got] = '\0';
    std::free(out->data);
    out->data = data;
    out->size = got;
    return ENGINE_OK;
}
