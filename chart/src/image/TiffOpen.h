#pragma once
// Opening TIFF files for reading with libtiff's messages kept quiet and its
// single allocations bounded.

#include <QString>

#include <cstddef>
#include <cstdint>

typedef struct tiff TIFF;

TIFF* openTiffForReading(const QString& path);
// Reads from memory; the bytes must outlive the handle.
TIFF* openTiffFromMemory(const std::uint8_t* data, std::size_t size);
