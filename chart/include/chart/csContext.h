#pragma once
// Colorimetric context: observer, illuminant, wavelength range, the weighting
// functions (illuminant x observer function x normalising factor) and the
// white; XYZ (white Y = 100) <-> Lab against that white. No chromatic
// adaptation is done anywhere.

#include "chart/SpectrumArray.h"

#include <memory>

class csContext {
public:
    // Fixed underlying type: values read from settings may lie outside the list.
    enum Observer : int { CIE1931_2 = 0, CIE1964_10 = 1, ObserverThird = 2 };
    enum Illuminant : int {
        Custom = 0, D50 = 1, A = 2, D65 = 3,
        F1 = 4, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12 = 15,
        E = 16, D55 = 17, D75 = 18, B = 19, C = 20,
        FL3_1 = 21, FL3_2, FL3_3, FL3_4, FL3_5, FL3_6, FL3_7, FL3_8, FL3_9, FL3_10, FL3_11,
        FL3_12, FL3_13, FL3_14, FL3_15 = 35,
        HP1 = 36, HP2, HP3, HP4, HP5 = 40
    };
    // Largest sample count of a context range.
    static constexpr unsigned MaxRangeCount = 100001;

    // 2-degree observer, D50, 380-730 nm in 10 nm steps.
    csContext();
    // The same range with the given illuminant and observer.
    csContext(Illuminant illuminant, Observer observer);
    csContext(const csContext& other);
    csContext& operator=(const csContext& other);
    ~csContext();

    // The process-wide default context (D50, 2 degree, 380-730/10 nm), created on
    // first use and never destroyed. Colours given no context use it.
    static const csContext* defaultContext();

    // Only observers 0 and 1 have tables; any other value but 2 selects the
    // 1931 observer. The third observer set is not available: false, nothing
    // changes.
    bool setObserver(Observer observer);
    static bool observerAvailable(Observer observer);
    // 1-16 and 19-40 load that CIE table; 17 D55 and 18 D75 the CIE daylight
    // spectrum of 5503.0596 K and 7504.1724 K; any other value (0 included)
    // keeps the present spectrum.
    void setIlluminant(Illuminant illuminant);
    // Replaces the illuminant spectrum (resampled to the range) and keeps the
    // illuminant value.
    void setIlluminantSpectrum(const SpectrumArray& spectrum);
    // The same with the illuminant value Custom.
    void setCustomIlluminant(const SpectrumArray& spectrum);
    // CIE daylight of a correlated colour temperature (used as given); illuminant
    // value Custom. False (nothing changes) unless kelvin is finite and > 0.
    bool setDaylightCct(float kelvin);
    // Range in nm, both ends included. Nothing when unchanged; false (nothing
    // changes) for step 0, end < start or more than MaxRangeCount samples. The
    // observer and the illuminant are brought to the new range.
    bool setRange(unsigned start, unsigned end, unsigned step);
    // setRange unless the present range already covers the request (start <=
    // requested start, end >= requested end, step <= requested step).
    bool coverRange(unsigned start, unsigned end, unsigned step);

    Observer observer() const { return m_observer; }
    Illuminant illuminant() const { return m_illuminant; }
    unsigned start() const { return m_start; }
    unsigned end() const { return m_end; }
    unsigned step() const { return m_step; }
    unsigned count() const { return (m_end - m_start) / m_step + 1; }
    double whiteX() const { return m_white[0]; }
    double whiteY() const { return m_white[1]; }
    double whiteZ() const { return m_white[2]; }
    void white(double* x, double* y, double* z) const;
    // The illuminant spectrum on the context range, or null.
    const SpectrumArray* illuminantSpectrum() const { return m_illuminantSpectrum.get(); }
    // Observer function i (0 x-bar, 1 y-bar, 2 z-bar) on the range, or null.
    const SpectrumArray* observerFunction(int i) const;
    // Weighting function i (0 Wx, 1 Wy, 2 Wz), or null.
    const SpectrumArray* weight(int i) const;

    void xyzToLab(float X, float Y, float Z, float* L, float* a, float* b) const;
    void xyzToLab(const float xyz[3], float lab[3]) const;
    void labToXyz(float L, float a, float b, float* X, float* Y, float* Z) const;
    void labToXyz(const float lab[3], float xyz[3]) const;
    // Dot products with Wx, Wy, Wz (0 without weights).
    void spectrumToXyz(const SpectrumArray& spectrum, float* X, float* Y, float* Z) const;
    // Dot products with the bare observer functions (0 without them).
    void spectrumToXyzObserver(const SpectrumArray& spectrum, float* X, float* Y,
                               float* Z) const;

private:
    void loadObserver();
    bool loadIlluminant();
    void setSourceIlluminant(const SpectrumArray& source);
    void updateWeights();

    Observer m_observer = CIE1931_2;
    Illuminant m_illuminant = D50;
    unsigned m_start = 380;
    unsigned m_end = 730;
    unsigned m_step = 10;
    std::unique_ptr<SpectrumArray> m_observerFunctions[3];
    // The illuminant as given (its own grid) and on the context range.
    std::unique_ptr<SpectrumArray> m_sourceIlluminant;
    std::unique_ptr<SpectrumArray> m_illuminantSpectrum;
    std::unique_ptr<SpectrumArray> m_weights[3];
    double m_white[3] = {1.0, 1.0, 1.0};
};

// out = m x in, m row-major.
void applyMatrix3x3(const float m[9], const float in[3], float out[3]);
