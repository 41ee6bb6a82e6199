// The tag numbers of DNG camera profiles (.dcp files: one TIFF-style
// directory of camera-profile tags, DNG 1.6) and the TIFF 6.0
// field types, shared by the engine's DCP writer and the colour library's
// DCP reader.
#pragma once

#include <cstdint>

namespace dng {

enum Tag : uint16_t {
    UniqueCameraModel = 50708,
    ColorMatrix1 = 50721,
    ColorMatrix2 = 50722,
    CalibrationIlluminant1 = 50778,
    CalibrationIlluminant2 = 50779,
    ProfileName = 50936,
    ProfileHueSatMapDims = 50937,
    ProfileHueSatMapData1 = 50938,
    ProfileHueSatMapData2 = 50939,
    ProfileToneCurve = 50940,
    ProfileCopyright = 50942,
    ForwardMatrix1 = 50964,
    ForwardMatrix2 = 50965,
    ProfileLookTableDims = 50981,
    ProfileLookTableData = 50982,
    ProfileHueSatMapEncoding = 51107,
    ProfileLookTableEncoding = 51108,
    BaselineExposureOffset = 51109,
    DefaultBlackRender = 51110,
};

// TIFF field types (TIFF 6.0, section 2; 13 is the IFD type of TIFF
// Technical Note 1).
enum FieldType : uint16_t {
    TiffByte = 1,
    TiffAscii = 2,
    TiffShort = 3,
    TiffLong = 4,
    TiffRational = 5,
    TiffSByte = 6,
    TiffUndefined = 7,
    TiffSShort = 8,
    TiffSLong = 9,
    TiffSRational = 10,
    TiffFloat = 11,
    TiffDouble = 12,
    TiffIfd = 13,
};

}  // namespace dng
