// A DNG camera profile (".dcp"): a TIFF-style file with the magic "IIRC"
// (little-endian; "MMCR" big-endian files are read from paths too) and one
// directory of camera-profile tags. It reads the colour and forward matrices
// of both calibrations, the calibration illuminants, the names, the hue/sat
// map and the look table, blends the calibrations for a colour temperature,
// and turns camera RGB images into 16-bit XYZ (D50, 1.0 = 32768).
#pragma once

#include "colour/Kirr_ColorProfile.h"

#include <QVector>
#include <array>

class Kirr_ColorImageIF;

class Kirr_ColorProfileDCP : public Kirr_ColorProfile
{
public:
    using Matrix = std::array<double, 9>;  // row-major 3 x 3

    // A three-dimensional table of (hue shift in degrees, saturation scale,
    // value scale) triples, indexed [value][hue][saturation].
    struct HueSatMap
    {
        int hueDivisions = 0;
        int satDivisions = 0;
        int valueDivisions = 0;
        QVector<float> data;  // hue * sat * value * 3 floats
        bool isEmpty() const { return data.isEmpty(); }
    };

    // Not valid.
    Kirr_ColorProfileDCP();
    explicit Kirr_ColorProfileDCP(const QByteArray &bytes);
    explicit Kirr_ColorProfileDCP(const QString &path);
    // A copy of another DNG camera profile; not valid for any other kind.
    explicit Kirr_ColorProfileDCP(const Kirr_ColorProfileIF &other);
    ~Kirr_ColorProfileDCP() override;

    bool isDCP() const override { return true; }
    int calibrationIlluminant1() const override;
    int calibrationIlluminant2() const override;
    // The temperature last set; before that, or after a value <= 0, the
    // temperature of the second calibration (the first when there is one).
    double temperature() const override;
    void setTemperature(double kelvin) override;

    bool isValid() const override;
    // 'RGB ', 'XYZ ' and 'scnr' for a valid profile, else four blanks.
    quint32 colorSpace() const override;
    quint32 connectionSpace() const override;
    quint32 deviceClass() const override;
    // The ProfileName, else the UniqueCameraModel.
    QString description() const override;
    QByteArray data() const override;
    QString path() const override;
    bool saveAs(const QString &path) const override;
    // A DNG camera profile has no ICC tags: these answer false.
    bool readXYZTag(quint32 tag, double &X, double &Y, double &Z) const override;
    bool writeXYZTag(quint32 tag, double X, double Y, double Z) override;
    // Reads the raw value bytes of a directory entry by its TIFF tag number
    // (in the file's byte order), with the size rules of the interface.
    bool readTag(quint32 tag, quint32 &size, void *buffer) const override;
    bool writeTag(quint32 tag, quint32 size, const void *bytes) override;

    // Why the profile is not valid (empty when it is).
    QString openError() const;

    QString profileName() const;
    QString uniqueCameraModel() const;
    QString copyright() const;
    bool hasColorMatrix2() const;
    // XYZ to camera RGB of each calibration.
    Matrix colorMatrix1() const;
    Matrix colorMatrix2() const;
    // White-balanced camera RGB to XYZ (D50) of each calibration; false when
    // the profile has none.
    bool hasForwardMatrix() const;
    Matrix forwardMatrix1() const;
    Matrix forwardMatrix2() const;
    HueSatMap hueSatMap1() const;
    HueSatMap hueSatMap2() const;
    HueSatMap lookTable() const;
    // 0 linear, 1 sRGB-encoded value axis.
    int hueSatMapEncoding() const;
    int lookTableEncoding() const;
    // (x, y) pairs, empty when absent.
    QVector<float> toneCurve() const;
    double baselineExposureOffset() const;
    int defaultBlackRender() const;

    // Temperature in kelvin of a DNG light-source code; 0 for an unknown one.
    static double lightSourceTemperature(int code);
    // Weight of the first calibration for a temperature (1: first only).
    double calibrationWeight(double kelvin) const;
    // The matrices blended for the profile's temperature.
    Matrix blendedColorMatrix() const;
    Matrix blendedForwardMatrix() const;
    // Whether the hue/sat map is applied by the transforms (default: yes,
    // when the profile has one). The look table and the tone curve are a
    // rendering look and are never applied.
    void setApplyHueSatMap(bool apply);
    bool appliesHueSatMap() const;
    // The shot's baseline exposure in stops (0 until set; not finite: 0).
    // The transforms scale their XYZ by 2 to the power of it plus the
    // profile's BaselineExposureOffset, as a DNG reader exposes a raw image.
    void setExposure(double stops);
    double exposure() const;

    // Linear camera RGB (any scale) to XYZ D50 with Y = 1 for a camera value
    // equal to the white. With a null white the neutral of the blended
    // calibration at full scale (1.0) is the white. False when the white has
    // a channel <= 0 or the matrices cannot be inverted.
    bool cameraToXYZ(const double camera[3], const double *white, double xyz[3]) const;
    // Turns a 3-channel camera RGB image into an XYZ image of the same size
    // (16 bits: 1.0 = 32768; the destination's colour space must be 'XYZ ').
    // Source samples are divided by the depth's maximum first.
    bool transformImage(const Kirr_ColorImageIF &source, Kirr_ColorImageIF &xyz,
                        const double *white) const;

private:
    struct Data;
    Data *d;
};
