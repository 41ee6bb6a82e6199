// Scans the bytes as a JPEG stream for its EXIF and ICC segments, then reads
// the joined ICC profile's tag table; the bytes are also taken as a bare EXIF
// TIFF structure.
#include "chart/ImageMetadata.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    JpegMetadata meta;
    readJpegMetadata(data, size, meta);
    if (!meta.icc.isEmpty()) {
        const auto* icc = reinterpret_cast<const std::uint8_t*>(meta.icc.constData());
        const std::size_t length = std::size_t(meta.icc.size());
        iccIsOwnProfile(icc, length);
        iccTargetText(icc, length);
    }
    JpegMetadata exif;
    parseExifTiff(data, size, exif);
    return 0;
}
