#pragma once
// One patch of a colour chart: its identity from the target definition, its
// reference colour (Lab, XYZ or spectral) and up to three sets of measured values
// on the 16-bit scale (0..65535), each with one deviation.

#include <QString>

#include <memory>
#include <vector>

class CIEColor;
class csContext;
class SpectrumArray;

class PatchIF {
public:
    // Values of type().
    enum TypeE { TypeColour = 0, TypeIgnored = 1, TypeGrey = 2, TypeLightness = 3, TypeReflection = 4 };

    virtual ~PatchIF() = default;

    virtual void setName(const QString& name) = 0;
    virtual void setControl(const QString& control) = 0;
    virtual void setType(int type) = 0;
    virtual void setPrimary(int primary) = 0;
    // Replace the reference by a new colour bound to the default context.
    virtual void setReferenceLab(double L, double a, double b) = 0;
    virtual void setReferenceXYZ(double X, double Y, double Z) = 0;
    // Replace the reference by a spectral colour (start and step in nm) bound to
    // context, or to the default context when null.
    virtual void setReferenceSpectrum(const double* values, int count, int start, int step,
                                      const csContext* context) = 0;
    // Rebind the reference to context (null: the default one) and recompute it.
    virtual void setColorContext(const csContext* context) = 0;
    // Replace a spectral reference by one with every value times factor.
    virtual void scaleSpectrum(double factor) = 0;
    // Grows the three value arrays (zero-filled) when n exceeds the count; a
    // smaller n keeps the arrays and their values.
    virtual void setValueCount(unsigned n) = 0;
    virtual void setValue1(int i, double v) = 0;
    virtual void setDeviation1(double d) = 0;
    virtual void setValue2(int i, double v) = 0;
    virtual void setDeviation2(double d) = 0;
    virtual void setValue3(int i, double v) = 0;
    virtual void setDeviation3(double d) = 0;
    // New zero-filled array of n display bytes.
    virtual void setRgbCount(int n) = 0;
    virtual void setRgb(int i, int v) = 0;

    virtual QString name() const = 0;
    virtual QString control() const = 0;
    virtual int type() const = 0;
    virtual int primary() const = 0;
    // Component i of the reference; 0 without reference or for i outside 0..2.
    virtual double referenceLab(int i) const = 0;
    virtual double referenceXYZ(int i) const = 0;
    // The reference's spectrum, or null.
    virtual const SpectrumArray* referenceSpectrum() const = 0;
    virtual unsigned valueCount() const = 0;
    virtual int rgb(int i) const = 0;
    virtual double value1(int i) const = 0;
    virtual double deviation1() const = 0;
    virtual double value2(int i) const = 0;
    virtual double deviation2() const = 0;
    virtual double value3(int i) const = 0;
    virtual double deviation3() const = 0;
    virtual bool hasSpectrum() const = 0;
    // Start nm of the reference (0 without reference).
    virtual int spectrumStart() const = 0;
    // Last nm of the spectrum; -1 when the reference has no spectrum, 0 without
    // reference.
    virtual int spectrumEnd() const = 0;
    virtual int spectrumStep() const = 0;
    virtual void debug() const = 0;
};

class Patch : public PatchIF {
public:
    Patch();
    ~Patch() override;
    Patch(const Patch&) = delete;
    Patch& operator=(const Patch&) = delete;

    void setName(const QString& name) override;
    void setControl(const QString& control) override;
    void setType(int type) override;
    void setPrimary(int primary) override;
    void setReferenceLab(double L, double a, double b) override;
    void setReferenceXYZ(double X, double Y, double Z) override;
    void setReferenceSpectrum(const double* values, int count, int start, int step,
                              const csContext* context) override;
    void setColorContext(const csContext* context) override;
    void scaleSpectrum(double factor) override;
    void setValueCount(unsigned n) override;
    void setValue1(int i, double v) override;
    void setDeviation1(double d) override;
    void setValue2(int i, double v) override;
    void setDeviation2(double d) override;
    void setValue3(int i, double v) override;
    void setDeviation3(double d) override;
    void setRgbCount(int n) override;
    void setRgb(int i, int v) override;

    QString name() const override;
    QString control() const override;
    int type() const override;
    int primary() const override;
    double referenceLab(int i) const override;
    double referenceXYZ(int i) const override;
    const SpectrumArray* referenceSpectrum() const override;
    unsigned valueCount() const override;
    int rgb(int i) const override;
    double value1(int i) const override;
    double deviation1() const override;
    double value2(int i) const override;
    double deviation2() const override;
    double value3(int i) const override;
    double deviation3() const override;
    bool hasSpectrum() const override;
    int spectrumStart() const override;
    int spectrumEnd() const override;
    int spectrumStep() const override;
    void debug() const override;

    // Resamples a spectral reference in place to count values from start in
    // steps of step nm and recomputes its XYZ and Lab.
    void resampleReferenceSpectrum(int count, int start, int step);
    // The reference colour, or null.
    const CIEColor* reference() const;

private:
    static double valueAt(const std::vector<double>& set, unsigned count, int i);
    static void setValueAt(std::vector<double>& set, unsigned count, int i, double v);

    QString m_name;
    QString m_control;
    int m_type = 0;
    int m_primary = 0;
    std::vector<unsigned char> m_rgb;
    std::unique_ptr<CIEColor> m_reference;
    unsigned m_valueCount = 0;
    std::vector<double> m_value1;
    double m_deviation1 = 0;
    std::vector<double> m_value2;
    double m_deviation2 = 0;
    std::vector<double> m_value3;
    double m_deviation3 = 0;
};
