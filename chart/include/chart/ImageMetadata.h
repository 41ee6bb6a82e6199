#pragma once
// Bounded parsers of the metadata an image file carries: JPEG markers with
// their EXIF (APP1) and ICC (APP2) segments, EXIF TIFF structures, and the
// tag table of an ICC profile. Every offset and length read from the data is
// checked against the data's size; nothing is read outside it.

#include <chart/Image.h>

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

struct JpegMetadata {
    QString make;
    QString model;
    ExifExposure exposure{};
    // The ICC profile joined from its APP2 chunks; empty unless every chunk
    // from 1 to the announced count was found exactly once.
    QByteArray icc;
};

// Scans the markers of a JPEG stream up to SOS or EOI. False when the data
// does not start with SOI or a segment runs past the end; what was read
// before stays in out.
bool readJpegMetadata(const std::uint8_t* data, std::size_t size, JpegMetadata& out);
bool readJpegMetadataFile(const QString& path, JpegMetadata& out);

// An EXIF TIFF structure ("II" or "MM", 42, IFD0): Make and Model of IFD0
// (ASCII) and, through tag 34665, the exposure values of the Exif IFD.
bool parseExifTiff(const std::uint8_t* data, std::size_t size, JpegMetadata& out);
// The Exif IFD at offset: ExposureTime, FNumber, ShutterSpeedValue,
// ApertureValue and FocalLength when their count is 1.
bool parseExifIfd(const std::uint8_t* data, std::size_t size, std::size_t offset,
                  bool bigEndian, ExifExposure& out);

// Finds a tag in an ICC profile's tag table (count at byte 128, 12-byte
// entries from byte 132). False when absent or when its data lies outside.
bool iccFindTag(const std::uint8_t* data, std::size_t size, std::uint32_t signature,
                std::size_t* offset, std::size_t* length);
// True when the 'cprt' tag's data contains "Vandrelith" (ASCII or UTF-16) and
// a 'P1MX' tag is present.
bool iccIsOwnProfile(const std::uint8_t* data, std::size_t size);
// The text of the profile's 'targ' tag (textType: 'text', 4 reserved bytes,
// then the text, cut at its first NUL); empty when absent or malformed.
QByteArray iccTargetText(const std::uint8_t* data, std::size_t size);
