#include <chart/Patch.h>
#include "ChartLogging.h"

#include <chart/CIEColor.h>
#include <chart/SpectrumArray.h>
#include <chart/csContext.h>

#include <QDebug>

#include <vector>

Patch::Patch() = default;
Patch::~Patch() = default;

void Patch::setName(const QString& name) { m_name = name; }
void Patch::setControl(const QString& control) { m_control = control; }
void Patch::setType(int type) { m_type = type; }
void Patch::setPrimary(int primary) { m_primary = primary; }

void Patch::setReferenceLab(double L, double a, double b)
{
    m_reference = std::make_unique<CIEColor>(CIEColor::SpaceLab, float(L), float(a), float(b));
}

void Patch::setReferenceXYZ(double X, double Y, double Z)
{
    m_reference = std::make_unique<CIEColor>(CIEColor::SpaceXYZ, float(X), float(Y), float(Z));
}

void Patch::setReferenceSpectrum(const double* values, int count, int start, int step,
                                 const csContext* context)
{
    m_reference = std::make_unique<CIEColor>(values, count, start, step, context);
}

void Patch::setColorContext(const csContext* context)
{
    if (!m_reference)
        return;
    const csContext* wanted = context ? context : csContext::defaultContext();
    if (m_reference->context() != wanted)
        m_reference->setContext(wanted);
}

void Patch::scaleSpectrum(double factor)
{
    if (!m_reference || !m_reference->hasSpectrum())
        return;
    const SpectrumArray* spectrum = m_reference->spectrum();
    std::vector<double> values(spectrum->count());
    for (unsigned i = 0; i < spectrum->count(); ++i)
        values[i] = double(spectrum->value(i)) * factor;
    m_reference = std::make_unique<CIEColor>(values.data(), int(values.size()),
                                             int(spectrum->start()), int(spectrum->step()),
                                             m_reference->context());
}

void Patch::setValueCount(unsigned n)
{
    if (n > m_valueCount) {
        m_value1.assign(n, 0.0);
        m_value2.assign(n, 0.0);
        m_value3.assign(n, 0.0);
    }
    m_valueCount = n;
}

void Patch::setValueAt(std::vector<double>& set, unsigned count, int i, double v)
{
    if (i >= 0 && unsigned(i) < count && unsigned(i) < set.size())
        set[std::size_t(i)] = v;
}

double Patch::valueAt(const std::vector<double>& set, unsigned count, int i)
{
    if (i >= 0 && unsigned(i) < count && unsigned(i) < set.size())
        return set[std::size_t(i)];
    return 0.0;
}

void Patch::setValue1(int i, double v) { setValueAt(m_value1, m_valueCount, i, v); }
void Patch::setValue2(int i, double v) { setValueAt(m_value2, m_valueCount, i, v); }
void Patch::setValue3(int i, double v) { setValueAt(m_value3, m_valueCount, i, v); }
void Patch::setDeviation1(double d) { m_deviation1 = d; }
void Patch::setDeviation2(double d) { m_deviation2 = d; }
void Patch::setDeviation3(double d) { m_deviation3 = d; }

void Patch::setRgbCount(int n)
{
    m_rgb.assign(std::size_t(n > 0 ? n : 0), 0);
}

void Patch::setRgb(int i, int v)
{
    if (i >= 0 && std::size_t(i) < m_rgb.size())
        m_rgb[std::size_t(i)] = static_cast<unsigned char>(v);
}

QString Patch::name() const { return m_name; }
QString Patch::control() const { return m_control; }
int Patch::type() const { return m_type; }
int Patch::primary() const { return m_primary; }

double Patch::referenceLab(int i) const
{
    if (!m_reference)
        return 0.0;
    switch (i) {
    case 0: return m_reference->L();
    case 1: return m_reference->a();
    case 2: return m_reference->b();
    default: return 0.0;
    }
}

double Patch::referenceXYZ(int i) const
{
    if (!m_reference)
        return 0.0;
    switch (i) {
    case 0: return m_reference->X();
    case 1: return m_reference->Y();
    case 2: return m_reference->Z();
    default: return 0.0;
    }
}

const SpectrumArray* Patch::referenceSpectrum() const
{
    return m_reference ? m_reference->spectrum() : nullptr;
}

unsigned Patch::valueCount() const { return m_valueCount; }

int Patch::rgb(int i) const
{
    if (i >= 0 && std::size_t(i) < m_rgb.size())
        return m_rgb[std::size_t(i)];
    return 0;
}

double Patch::value1(int i) const { return valueAt(m_value1, m_valueCount, i); }
double Patch::value2(int i) const { return valueAt(m_value2, m_valueCount, i); }
double Patch::value3(int i) const { return valueAt(m_value3, m_valueCount, i); }
double Patch::deviation1() const { return m_deviation1; }
double Patch::deviation2() const { return m_deviation2; }
double Patch::deviation3() const { return m_deviation3; }

bool Patch::hasSpectrum() const
{
    return m_reference && m_reference->hasSpectrum();
}

int Patch::spectrumStart() const
{
    return m_reference ? m_reference->spectrumStart() : 0;
}

int Patch::spectrumEnd() const
{
    if (!m_reference)
        return 0;
    if (!m_reference->hasSpectrum())
        return -1;
    return (m_reference->spectrumCount() - 1) * m_reference->spectrumStep()
           + m_reference->spectrumStart();
}

int Patch::spectrumStep() const
{
    return m_reference ? m_reference->spectrumStep() : 0;
}

void Patch::debug() const
{
    qCDebug(lcTarget, "patch _name=%s, _type=%d, _primary=%d", m_name.toLatin1().constData(),
            m_type, m_primary);
}

void Patch::resampleReferenceSpectrum(int count, int start, int step)
{
    if (!hasSpectrum() || count <= 0 || start < 0 || step <= 0)
        return;
    SpectrumArray resampled(*m_reference->spectrum());
    resampled.resample(unsigned(count), unsigned(start), unsigned(step));
    m_reference->setSpectrum(&resampled);
}

const CIEColor* Patch::reference() const
{
    return m_reference.get();
}
