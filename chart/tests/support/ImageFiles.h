#pragma once
// Writers of image files for the loader's tests and its benchmark.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

struct TiffSpec {
    int width = 4;
    int height = 3;
    int samples = 3;
    int bits = 8;
    int sampleFormat = 1;   // 1 unsigned, 2 signed, 3 IEEE float
    int photometric = 2;    // RGB
    int rowsPerStrip = 1;
    int planar = 1;
    int extraSamples = 0;   // associated alpha channels at the end
    QByteArray icc;
    bool transfer = false;  // three linear TransferFunction tables
    QString make;
    QString model;
    // Sample value (as a double: integers, or floats) of channel c at (x, y).
    std::function<double(int x, int y, int c)> value = [](int x, int y, int c) {
        return double((x * 7 + y * 13 + c * 29) % 200);
    };
};

bool writeTiff(const QString& path, const TiffSpec& spec);

// A DNG: a 16-bit RGGB mosaic of the given channel values (cfa) or a
// three-sample linear image (linear); white level 65535, black 0.
bool writeDng(const QString& path, int width, int height, const std::uint16_t rgb[3], bool linear,
              const char* make = "Testmaker", const char* model = "Testmaker TM-1");
// The same with channel c of pixel (x, y) given by value (a mosaic takes
// the channel of its pattern at each pixel), and the TIFF orientation the
// picture is to be shown in (1: as stored).
bool writeDng(const QString& path, int width, int height,
              const std::function<std::uint16_t(int x, int y, int c)>& value, bool linear,
              const char* make = "Testmaker", const char* model = "Testmaker TM-1",
              int orientation = 1);

// A small ICC profile with a tag table of the given tags (signature, data).
QByteArray makeIcc(const std::vector<std::pair<std::uint32_t, QByteArray>>& tags);

// Inserts segments after the SOI of a JPEG stream.
QByteArray insertJpegSegments(const QByteArray& jpeg, const std::vector<QByteArray>& segments);
QByteArray jpegSegment(std::uint8_t marker, const QByteArray& body);
