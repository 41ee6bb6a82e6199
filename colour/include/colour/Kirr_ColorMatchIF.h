// Conversion of colour values and images from a source profile to a
// destination profile with a rendering intent. Value conversions need
// non-null arrays, a positive count and the source and destination colour
// spaces the operation names; otherwise they answer false at once.
#pragma once

#include <QString>
#include <QtGlobal>

class QImage;
class Kirr_ColorImageIF;
class Kirr_ColorProfileIF;

class Kirr_ColorMatchIF
{
public:
    virtual ~Kirr_ColorMatchIF() = default;

    virtual bool labToRgb(const double *lab, double *rgb, int count) = 0;
    virtual bool cmykToLab(const double *cmyk, double *lab, int count) = 0;
    virtual bool rgbToLab(const double *rgb, double *lab, int count) = 0;
    virtual bool xyzToRgb(const double *xyz, double *rgb, int count) = 0;
    virtual bool rgbToXyz(const double *rgb, double *xyz, int count) = 0;
    virtual bool rgbToRgb(const double *rgbIn, double *rgbOut, int count) = 0;
    virtual bool rgbToRgbInPlace(double *rgb, int count) = 0;
    // Images of the same size whose colour spaces are the match's. Balance
    // factors (three doubles, or null) multiply the source channels first.
    // With a DNG camera profile as source the image goes through 16-bit XYZ;
    // without factors the profile's own neutral is the white.
    virtual bool transformImage(const Kirr_ColorImageIF &source, Kirr_ColorImageIF &destination,
                                const double *white = nullptr) = 0;
    // 32-bit QImages (B, G, R, A bytes) read and written as 8-bit RGB; the
    // two may be the same image.
    virtual bool transformQImage(const QImage &source, QImage &destination) = 0;

    // A profile that cannot be copied or opened leaves the match unchanged.
    virtual void setSourceProfile(const Kirr_ColorProfileIF &profile) = 0;
    virtual void setSourceProfile(const QString &path) = 0;
    virtual void setDestinationProfile(const Kirr_ColorProfileIF &profile) = 0;
    virtual void setDestinationProfile(const QString &path) = 0;
    virtual void setIntent(int intent) = 0;
    virtual double sourceTemperature() const = 0;
    virtual void setSourceTemperature(double kelvin) = 0;
    // The shot's exposure in stops for a DNG camera-profile source (its
    // conversion to XYZ scales by it); other sources ignore it.
    virtual void setSourceExposure(double stops) = 0;
    virtual bool readSourceXYZTag(quint32 tag, double xyz[3]) const = 0;
    virtual bool writeSourceXYZTag(quint32 tag, const double xyz[3]) = 0;
    virtual bool readDestinationXYZTag(quint32 tag, double xyz[3]) const = 0;
    virtual bool writeDestinationXYZTag(quint32 tag, const double xyz[3]) = 0;
};
