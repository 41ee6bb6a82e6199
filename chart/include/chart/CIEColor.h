#pragma once
// A colour in XYZ (context white Y = 100), Lab or spectral form, converted with
// its csContext (not owned; it must outlive the colour; null: the default one).

#include "chart/SpectrumArray.h"

#include <memory>

class csContext;

class CIEColor {
public:
    enum ColorSpace : int { SpaceXYZ = 0, SpaceLab = 1, SpaceSpectral = 2 };

    // Black (XYZ 0, Lab 0) in XYZ form.
    explicit CIEColor(const csContext* context = nullptr);
    // XYZ (v = X, Y, Z) or Lab (v = L, a, b); the other form is derived. Any other
    // colour space logs "CIEColor: unsupported colorspace!" and leaves a black
    // colour with valid() false; use create() to get none instead.
    CIEColor(ColorSpace space, float v0, float v1, float v2, const csContext* context = nullptr);
    // A spectral colour: the values (as floats) become its spectrum; XYZ and Lab
    // are computed. A null values or count <= 0 gives a one-sample zero spectrum;
    // a negative start becomes 0, a step <= 0 becomes 1.
    CIEColor(const double* values, int count, int start, int step,
             const csContext* context = nullptr);
    CIEColor(const CIEColor& other);
    CIEColor& operator=(const CIEColor& other);
    ~CIEColor();

    // The colour, or null for a colour space other than XYZ and Lab.
    static std::unique_ptr<CIEColor> create(ColorSpace space, float v0, float v1, float v2,
                                            const csContext* context = nullptr);

    bool valid() const { return m_valid; }
    float L() const { return m_L; }
    float a() const { return m_a; }
    float b() const { return m_b; }
    float X() const { return m_X; }
    float Y() const { return m_Y; }
    float Z() const { return m_Z; }
    ColorSpace colorSpace() const { return m_colorSpace; }
    const csContext* context() const { return m_context; }
    // Rebinds the colour (null: the default context) and recomputes it.
    void setContext(const csContext* context);

    // Factors multiplied into X, Y, Z before Lab is derived from a spectrum.
    void setScale(float sx, float sy, float sz);
    float scaleX() const { return m_scaleX; }
    float scaleY() const { return m_scaleY; }
    float scaleZ() const { return m_scaleZ; }
    // Integrate against the bare observer functions instead of the weights.
    void setObserverOnly(bool on);
    bool observerOnly() const { return m_observerOnly; }

    // From the spectrum: X, Y, Z (unscaled) and Lab of the scaled XYZ. Nothing
    // without a spectrum.
    void recompute();
    // Replaces the spectrum by a copy (nothing when it is the colour's own),
    // makes the colour spectral and recomputes it. Null is ignored.
    void setSpectrum(const SpectrumArray* spectrum);
    const SpectrumArray* spectrum() const { return m_spectrum.get(); }
    bool hasSpectrum() const { return m_spectrum != nullptr; }
    // Start, step and count of the spectrum; -1 without one.
    int spectrumStart() const;
    int spectrumStep() const;
    int spectrumCount() const;
    // values[i], the last value beyond the count, 0 without a spectrum.
    float spectrumValue(unsigned i) const;

private:
    void convertFrom(ColorSpace space, float v0, float v1, float v2);

    float m_L = 0, m_a = 0, m_b = 0;
    float m_X = 0, m_Y = 0, m_Z = 0;
    float m_scaleX = 1, m_scaleY = 1, m_scaleZ = 1;
    bool m_observerOnly = false;
    bool m_valid = true;
    ColorSpace m_colorSpace = SpaceXYZ;
    const csContext* m_context;
    std::unique_ptr<SpectrumArray> m_spectrum;
};
