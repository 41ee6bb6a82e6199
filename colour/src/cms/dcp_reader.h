// Reader of DNG camera-profile files: one TIFF-style directory of
// camera-profile tags, in either byte order ("IIRC" or "MMCR").
#pragma once

#include "engine/dng_tags.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <array>
#include <cstdint>
#include <map>

namespace dcp {

struct Entry {
    uint16_t type = 0;
    uint32_t count = 0;
    uint32_t offset = 0;  // of the value bytes within the file
    uint32_t length = 0;  // value bytes
};

struct Table {
    int hue = 0, sat = 0, val = 0;
    QVector<float> data;  // val-major, then hue, then sat; 3 floats each
};

struct Profile {
    bool bigEndian = false;
    std::map<uint16_t, Entry> entries;
    QString uniqueCameraModel;
    QString profileName;
    QString copyright;
    bool hasMatrix2 = false;
    std::array<double, 9> colorMatrix1{}, colorMatrix2{};
    bool hasForward = false;
    std::array<double, 9> forwardMatrix1{}, forwardMatrix2{};
    int illuminant1 = 0, illuminant2 = 0;
    Table hueSat1, hueSat2, look;
    int hueSatEncoding = 0, lookEncoding = 0;
    QVector<float> toneCurve;
    double baselineExposureOffset = 0.0;
    int defaultBlackRender = 0;
};

// The camera-profile tags by name (dcp::ColorMatrix1, ...).
using namespace dng;

// Parses the bytes; on failure returns false with the reason.
bool parse(const QByteArray &bytes, Profile *out, QString *error);

}  // namespace dcp
