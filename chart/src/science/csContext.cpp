#include "chart/csContext.h"

#include "CieBuiltinTables.h"

#include "engine/colour_maths.h"

#include <cmath>

namespace {

struct TabulatedWhite {
    int illuminant;
    double x2, z2;    // observer 0
    double x10, z10;  // observer 1
};

const TabulatedWhite kWhites[] = {
    {csContext::D50, 96.422, 82.521, 96.72, 81.427},
    {csContext::A, 109.85, 35.585, 111.144, 35.2},
    {csContext::D65, 95.047, 108.883, 94.811, 107.304},
    {csContext::F2, 99.186, 67.393, 103.279, 69.027},
    {csContext::F7, 95.041, 108.747, 95.792, 107.686},
    {csContext::F11, 100.962, 64.35, 103.863, 65.607},
    {csContext::D55, 95.682, 92.149, 95.799, 90.926},
    {csContext::D75, 94.972, 122.638, 94.416, 120.641},
    {csContext::C, 98.074, 118.232, 97.285, 116.145},
};

std::unique_ptr<SpectrumArray> copyOf(const std::unique_ptr<SpectrumArray>& p)
{
    return p ? std::make_unique<SpectrumArray>(*p) : nullptr;
}

}  // namespace

csContext::csContext()
{
    loadObserver();
    setIlluminant(D50);
}

csContext::csContext(Illuminant illuminant, Observer observer)
{
    setObserver(observer);
    if (!m_observerFunctions[0])
        loadObserver();
    setIlluminant(illuminant);
}

csContext::csContext(const csContext& other) { *this = other; }

csContext& csContext::operator=(const csContext& other)
{
    if (this == &other)
        return *this;
    m_observer = other.m_observer;
    m_illuminant = other.m_illuminant;
    m_start = other.m_start;
    m_end = other.m_end;
    m_step = other.m_step;
    for (int i = 0; i < 3; ++i) {
        m_observerFunctions[i] = copyOf(other.m_observerFunctions[i]);
        m_weights[i] = copyOf(other.m_weights[i]);
    }
    m_sourceIlluminant = copyOf(other.m_sourceIlluminant);
    m_illuminantSpectrum = copyOf(other.m_illuminantSpectrum);
    for (int i = 0; i < 3; ++i)
        m_white[i] = other.m_white[i];
    return *this;
}

csContext::~csContext() = default;

const csContext* csContext::defaultContext()
{
    static const csContext* const context = new csContext;
    return context;
}

bool csContext::observerAvailable(Observer observer) { return observer != ObserverThird; }

bool csContext::setObserver(Observer observer)
{
    if (!observerAvailable(observer))
        return false;
    m_observer = observer;
    loadObserver();
    updateWeights();
    return true;
}

void csContext::loadObserver()
{
    SpectrumArray functions[3];
    if (!cie_builtin::observer(m_observer == CIE1964_10 ? 1 : 0, functions)) {
        for (auto& f : m_observerFunctions)
            f.reset();
        return;
    }
    for (int i = 0; i < 3; ++i) {
        functions[i].resample(count(), m_start, m_step);
        m_observerFunctions[i] = std::make_unique<SpectrumArray>(functions[i]);
    }
}

// Brings the stored source illuminant to the context range.
void csContext::setSourceIlluminant(const SpectrumArray& source)
{
    m_sourceIlluminant = std::make_unique<SpectrumArray>(source);
    m_illuminantSpectrum =
        std::make_unique<SpectrumArray>(source.resampled(count(), m_start, m_step));
}

// Loads the spectrum of the stored illuminant value; false when the value has
// no table of its own (the present spectrum is then kept).
bool csContext::loadIlluminant()
{
    if (m_illuminant == D55 || m_illuminant == D75) {
        setSourceIlluminant(cie_builtin::daylight(m_illuminant == D55 ? 5503.0596 : 7504.1724));
        return true;
    }
    SpectrumArray table;
    if (!cie_builtin::illuminant(m_illuminant, &table))
        return false;
    setSourceIlluminant(table);
    return true;
}

void csContext::setIlluminant(Illuminant illuminant)
{
    m_illuminant = illuminant;
    if (illuminant == D55 || illuminant == D75) {
        setDaylightCct(illuminant == D55 ? 5503.0596f : 7504.1724f);
        m_illuminant = illuminant;
    } else if (!loadIlluminant()) {
        if (m_sourceIlluminant)
            setSourceIlluminant(SpectrumArray(*m_sourceIlluminant));
        else {
            SpectrumArray d50;
            cie_builtin::illuminant(D50, &d50);
            setSourceIlluminant(d50);
        }
    }
    updateWeights();
}

void csContext::setIlluminantSpectrum(const SpectrumArray& spectrum)
{
    setSourceIlluminant(spectrum);
    updateWeights();
}

void csContext::setCustomIlluminant(const SpectrumArray& spectrum)
{
    m_illuminant = Custom;
    setIlluminantSpectrum(spectrum);
}

bool csContext::setDaylightCct(float kelvin)
{
    if (!std::isfinite(kelvin) || !(kelvin > 0.0f))
        return false;
    m_illuminant = Custom;
    setSourceIlluminant(cie_builtin::daylight(kelvin));
    updateWeights();
    return true;
}

bool csContext::setRange(unsigned start, unsigned end, unsigned step)
{
    if (step == 0 || end < start || (end - start) / step + 1 > MaxRangeCount)
        return false;
    // The range ends on a sample.
    end = start + (end - start) / step * step;
    if (start == m_start && end == m_end && step == m_step)
        return true;
    m_start = start;
    m_end = end;
    m_step = step;
    loadObserver();
    if (!loadIlluminant() && m_sourceIlluminant)
        setSourceIlluminant(SpectrumArray(*m_sourceIlluminant));
    updateWeights();
    return true;
}

bool csContext::coverRange(unsigned start, unsigned end, unsigned step)
{
    if (m_start <= start && m_end >= end && m_step <= step)
        return true;
    return setRange(start, end, step);
}

void csContext::updateWeights()
{
    for (auto& w : m_weights)
        w.reset();
    m_white[0] = m_white[1] = m_white[2] = 1.0;
    if (!m_illuminantSpectrum || !m_observerFunctions[0] || !m_observerFunctions[1] ||
        !m_observerFunctions[2])
        return;
    const SpectrumArray& s = *m_illuminantSpectrum;
    const double sx = s.dot(*m_observerFunctions[0]);
    const double sy = s.dot(*m_observerFunctions[1]);
    const double sz = s.dot(*m_observerFunctions[2]);
    // An illuminant without energy under the observer gives no weights.
    if (!(sx > 0.0) || !(sy > 0.0) || !(sz > 0.0) || !std::isfinite(sx + sy + sz))
        return;
    const double ky = 100.0 / sy;
    double kx = ky;
    double kz = ky;
    for (const TabulatedWhite& t : kWhites) {
        if (t.illuminant == m_illuminant && m_observer != ObserverThird) {
            const bool ten = m_observer == CIE1964_10;
            kx = (ten ? t.x10 : t.x2) / sx;
            kz = (ten ? t.z10 : t.z2) / sz;
        }
    }
    const double k[3] = {kx, ky, kz};
    for (int i = 0; i < 3; ++i) {
        SpectrumArray w = SpectrumArray::product(s, *m_observerFunctions[i]);
        w.scale(static_cast<float>(k[i]));
        SpectrumArray ones(nullptr, w.count(), w.start(), w.step());
        for (unsigned j = 0; j < ones.count(); ++j)
            ones.setValue(j, 1.0f);
        m_white[i] = w.dot(ones);
        m_weights[i] = std::make_unique<SpectrumArray>(std::move(w));
    }
}

void csContext::white(double* x, double* y, double* z) const
{
    if (x)
        *x = m_white[0];
    if (y)
        *y = m_white[1];
    if (z)
        *z = m_white[2];
}

const SpectrumArray* csContext::observerFunction(int i) const
{
    return i >= 0 && i < 3 ? m_observerFunctions[i].get() : nullptr;
}

const SpectrumArray* csContext::weight(int i) const
{
    return i >= 0 && i < 3 ? m_weights[i].get() : nullptr;
}

void csContext::xyzToLab(float X, float Y, float Z, float* L, float* a, float* b) const
{
    // Ratios to the white, rounded to float, against a unit white.
    const double ratio[3] = {static_cast<float>(X / m_white[0]), static_cast<float>(Y / m_white[1]),
                             static_cast<float>(Z / m_white[2])};
    const double unit[3] = {1.0, 1.0, 1.0};
    double lab[3];
    cm_xyz_to_lab(ratio, unit, lab);
    *L = static_cast<float>(lab[0]);
    *a = static_cast<float>(lab[1]);
    *b = static_cast<float>(lab[2]);
}

void csContext::xyzToLab(const float xyz[3], float lab[3]) const
{
    xyzToLab(xyz[0], xyz[1], xyz[2], &lab[0], &lab[1], &lab[2]);
}

void csContext::labToXyz(float L, float a, float b, float* X, float* Y, float* Z) const
{
    const double lab[3] = {L, a, b};
    double xyz[3];
    cm_lab_to_xyz(lab, m_white, xyz);
    *X = static_cast<float>(xyz[0]);
    *Y = static_cast<float>(xyz[1]);
    *Z = static_cast<float>(xyz[2]);
}

void csContext::labToXyz(const float lab[3], float xyz[3]) const
{
    labToXyz(lab[0], lab[1], lab[2], &xyz[0], &xyz[1], &xyz[2]);
}

void csContext::spectrumToXyz(const SpectrumArray& spectrum, float* X, float* Y, float* Z) const
{
    float* out[3] = {X, Y, Z};
    for (int i = 0; i < 3; ++i) {
        if (out[i])
            *out[i] = m_weights[i] ? spectrum.dot(*m_weights[i]) : 0.0f;
    }
}

void csContext::spectrumToXyzObserver(const SpectrumArray& spectrum, float* X, float* Y,
                                      float* Z) const
{
    float* out[3] = {X, Y, Z};
    for (int i = 0; i < 3; ++i) {
        if (out[i])
            *out[i] = m_observerFunctions[i] ? spectrum.dot(*m_observerFunctions[i]) : 0.0f;
    }
}

void applyMatrix3x3(const float m[9], const float in[3], float out[3])
{
    const float x = in[0], y = in[1], z = in[2];
    for (int r = 0; r < 3; ++r)
        out[r] = m[3 * r] * x + m[3 * r + 1] * y + m[3 * r + 2] * z;
}
