#include "TiffOpen.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>

namespace {

constexpr tmsize_t kMaxSingleAllocation = tmsize_t(1) << 30;

int quietHandler(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;  // handled: nothing reaches the process-wide handlers
}

TIFFOpenOptions* quietOptions()
{
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options)
        return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, quietHandler, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, quietHandler, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxSingleAllocation);
    return options;
}

struct MemoryFile {
    const std::uint8_t* data;
    toff_t size;
    toff_t pos;
};

tmsize_t memRead(thandle_t h, void* buf, tmsize_t n)
{
    auto* f = static_cast<MemoryFile*>(h);
    if (n <= 0 || f->pos >= f->size)
        return 0;
    const toff_t count = std::min<toff_t>(toff_t(n), f->size - f->pos);
    std::memcpy(buf, f->data + f->pos, count);
    f->pos += count;
    return tmsize_t(count);
}

tmsize_t memWrite(thandle_t, void*, tmsize_t) { return -1; }

toff_t memSeek(thandle_t h, toff_t off, int whence)
{
    auto* f = static_cast<MemoryFile*>(h);
    toff_t base = 0;
    if (whence == SEEK_CUR)
        base = f->pos;
    else if (whence == SEEK_END)
        base = f->size;
    else if (whence != SEEK_SET)
        return toff_t(-1);
    if (off > ~toff_t(0) - base)
        return toff_t(-1);
    f->pos = base + off;
    return f->pos;
}

int memClose(thandle_t h)
{
    delete static_cast<MemoryFile*>(h);
    return 0;
}

toff_t memSize(thandle_t h) { return static_cast<MemoryFile*>(h)->size; }

int memMap(thandle_t, void**, toff_t*) { return 0; }
void memUnmap(thandle_t, void*, toff_t) {}

}  // namespace

TIFF* openTiffForReading(const QString& path)
{
    TIFFOpenOptions* options = quietOptions();
    if (!options)
        return nullptr;
    TIFF* tiff = TIFFOpenExt(path.toUtf8().constData(), "r", options);
    TIFFOpenOptionsFree(options);
    return tiff;
}

TIFF* openTiffFromMemory(const std::uint8_t* data, std::size_t size)
{
    TIFFOpenOptions* options = quietOptions();
    if (!options)
        return nullptr;
    auto* file = new MemoryFile{data, toff_t(size), 0};
    TIFF* tiff = TIFFClientOpenExt("memory", "rm", file, memRead, memWrite, memSeek, memClose,
                                   memSize, memMap, memUnmap, options);
    TIFFOpenOptionsFree(options);
    if (!tiff)
        delete file;  // a failed open does not call the close procedure
    return tiff;
}
