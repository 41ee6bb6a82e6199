#include "chart/CIEColor.h"
#include "ChartLogging.h"

#include "chart/csContext.h"

#include <QDebug>

#include <vector>

namespace {

const csContext* orDefault(const csContext* context)
{
    return context ? context : csContext::defaultContext();
}

}  // namespace

CIEColor::CIEColor(const csContext* context) : m_context(orDefault(context)) {}

CIEColor::CIEColor(ColorSpace space, float v0, float v1, float v2, const csContext* context)
    : m_context(orDefault(context))
{
    convertFrom(space, v0, v1, v2);
}

CIEColor::CIEColor(const double* values, int count, int start, int step, const csContext* context)
    : m_colorSpace(SpaceSpectral), m_context(orDefault(context))
{
    const unsigned n = values && count > 0 ? static_cast<unsigned>(count) : 1u;
    std::vector<float> floats(n, 0.0f);
    if (values && count > 0) {
        for (unsigned i = 0; i < n; ++i)
            floats[i] = static_cast<float>(values[i]);
    }
    m_spectrum = std::make_unique<SpectrumArray>(floats.data(), n,
                                                 static_cast<unsigned>(start < 0 ? 0 : start),
                                                 static_cast<unsigned>(step <= 0 ? 1 : step));
    recompute();
}

CIEColor::CIEColor(const CIEColor& other) : m_context(other.m_context) { *this = other; }

CIEColor& CIEColor::operator=(const CIEColor& other)
{
    if (this == &other)
        return *this;
    m_L = other.m_L;
    m_a = other.m_a;
    m_b = other.m_b;
    m_X = other.m_X;
    m_Y = other.m_Y;
    m_Z = other.m_Z;
    m_scaleX = other.m_scaleX;
    m_scaleY = other.m_scaleY;
    m_scaleZ = other.m_scaleZ;
    m_observerOnly = other.m_observerOnly;
    m_valid = other.m_valid;
    m_colorSpace = other.m_colorSpace;
    m_context = other.m_context;
    m_spectrum = other.m_spectrum ? std::make_unique<SpectrumArray>(*other.m_spectrum) : nullptr;
    return *this;
}

CIEColor::~CIEColor() = default;

std::unique_ptr<CIEColor> CIEColor::create(ColorSpace space, float v0, float v1, float v2,
                                           const csContext* context)
{
    auto colour = std::make_unique<CIEColor>(space, v0, v1, v2, context);
    if (!colour->valid())
        return nullptr;
    return colour;
}

void CIEColor::convertFrom(ColorSpace space, float v0, float v1, float v2)
{
    m_colorSpace = space;
    if (space == SpaceXYZ) {
        m_X = v0;
        m_Y = v1;
        m_Z = v2;
        m_context->xyzToLab(m_X, m_Y, m_Z, &m_L, &m_a, &m_b);
    } else if (space == SpaceLab) {
        m_L = v0;
        m_a = v1;
        m_b = v2;
        m_context->labToXyz(m_L, m_a, m_b, &m_X, &m_Y, &m_Z);
    } else {
        qCDebug(lcScience, "CIEColor: unsupported colorspace %d", int(space));
        m_valid = false;
        m_colorSpace = SpaceXYZ;
    }
}

void CIEColor::setContext(const csContext* context)
{
    m_context = orDefault(context);
    recompute();
}

void CIEColor::setScale(float sx, float sy, float sz)
{
    m_scaleX = sx;
    m_scaleY = sy;
    m_scaleZ = sz;
}

void CIEColor::setObserverOnly(bool on) { m_observerOnly = on; }

void CIEColor::recompute()
{
    if (!m_spectrum)
        return;
    if (m_observerOnly)
        m_context->spectrumToXyzObserver(*m_spectrum, &m_X, &m_Y, &m_Z);
    else
        m_context->spectrumToXyz(*m_spectrum, &m_X, &m_Y, &m_Z);
    m_context->xyzToLab(m_scaleX * m_X, m_scaleY * m_Y, m_scaleZ * m_Z, &m_L, &m_a, &m_b);
}

void CIEColor::setSpectrum(const SpectrumArray* spectrum)
{
    if (!spectrum || spectrum == m_spectrum.get())
        return;
    m_spectrum = std::make_unique<SpectrumArray>(*spectrum);
    m_colorSpace = SpaceSpectral;
    m_valid = true;
    recompute();
}

int CIEColor::spectrumStart() const
{
    return m_spectrum ? static_cast<int>(m_spectrum->start()) : -1;
}

int CIEColor::spectrumStep() const
{
    return m_spectrum ? static_cast<int>(m_spectrum->step()) : -1;
}

int CIEColor::spectrumCount() const
{
    return m_spectrum ? static_cast<int>(m_spectrum->count()) : -1;
}

float CIEColor::spectrumValue(unsigned i) const
{
    if (!m_spectrum)
        return 0.0f;
    const unsigned n = m_spectrum->count();
    return m_spectrum->values()[i < n ? i : n - 1];
}
