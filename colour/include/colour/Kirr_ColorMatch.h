// The colour match: owns copies of its profiles and builds its colour world
// when a conversion first needs it; every change of a profile, the intent,
// the source temperature or an XYZ tag drops the world.
#pragma once

#include "colour/Kirr_ColorMatchIF.h"

class Kirr_ColorWorldIF;

class Kirr_ColorMatch : public Kirr_ColorMatchIF
{
public:
    // Copies both profiles (either may be null).
    Kirr_ColorMatch(const Kirr_ColorProfileIF *source, const Kirr_ColorProfileIF *destination,
                    int intent);
    ~Kirr_ColorMatch() override;

    Kirr_ColorMatch(const Kirr_ColorMatch &) = delete;
    Kirr_ColorMatch &operator=(const Kirr_ColorMatch &) = delete;

    bool labToRgb(const double *lab, double *rgb, int count) override;
    bool cmykToLab(const double *cmyk, double *lab, int count) override;
    bool rgbToLab(const double *rgb, double *lab, int count) override;
    bool xyzToRgb(const double *xyz, double *rgb, int count) override;
    bool rgbToXyz(const double *rgb, double *xyz, int count) override;
    bool rgbToRgb(const double *rgbIn, double *rgbOut, int count) override;
    bool rgbToRgbInPlace(double *rgb, int count) override;
    bool transformImage(const Kirr_ColorImageIF &source, Kirr_ColorImageIF &destination,
                        const double *white = nullptr) override;
    bool transformQImage(const QImage &source, QImage &destination) override;

    void setSourceProfile(const Kirr_ColorProfileIF &profile) override;
    void setSourceProfile(const QString &path) override;
    void setDestinationProfile(const Kirr_ColorProfileIF &profile) override;
    void setDestinationProfile(const QString &path) override;
    void setIntent(int intent) override;
    double sourceTemperature() const override;
    void setSourceTemperature(double kelvin) override;
    void setSourceExposure(double stops) override;
    bool readSourceXYZTag(quint32 tag, double xyz[3]) const override;
    bool writeSourceXYZTag(quint32 tag, const double xyz[3]) override;
    bool readDestinationXYZTag(quint32 tag, double xyz[3]) const override;
    bool writeDestinationXYZTag(quint32 tag, const double xyz[3]) override;

    quint32 sourceColorSpace() const { return m_sourceSpace; }
    quint32 destinationColorSpace() const { return m_destinationSpace; }
    int intent() const { return m_intent; }
    // How many colour worlds this match has built (each change drops one).
    int worldsBuilt() const { return m_worldsBuilt; }

private:
    bool ensureWorld();
    void dropWorld();
    void replace(Kirr_ColorProfileIF *&slot, quint32 &space, Kirr_ColorProfileIF *profile);
    bool ready(const void *in, const void *out, int count, quint32 from, quint32 to);

    Kirr_ColorWorldIF *m_world = nullptr;
    Kirr_ColorProfileIF *m_source = nullptr;
    Kirr_ColorProfileIF *m_destination = nullptr;
    Kirr_ColorProfileIF *m_xyzBridge = nullptr;
    int m_intent = 0;
    quint32 m_sourceSpace = 0x20202020u;
    quint32 m_destinationSpace = 0x20202020u;
    int m_worldsBuilt = 0;
};
