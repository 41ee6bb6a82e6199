#include "chart/SpectrumArray.h"

#include <algorithm>

namespace {

long long floorDiv(long long a, long long b)
{
    long long q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

}  // namespace

SpectrumArray::SpectrumArray(const float* values, unsigned count, unsigned start, unsigned step)
    : m_values(count == 0 ? 1 : count, 0.0f), m_start(start), m_step(step == 0 ? 1 : step)
{
    if (values)
        std::copy(values, values + count, m_values.begin());
}

SpectrumArray::SpectrumArray() : m_values(1, 0.0f), m_start(380), m_step(10) {}

void SpectrumArray::setValue(unsigned i, float v)
{
    if (i < count())
        m_values[i] = v;
}

bool SpectrumArray::sameGrid(const SpectrumArray& other) const
{
    return count() == other.count() && m_start == other.m_start && m_step == other.m_step;
}

void SpectrumArray::scale(float k)
{
    for (float& v : m_values)
        v *= k;
}

SpectrumArray SpectrumArray::scaled(float k, const SpectrumArray& other)
{
    SpectrumArray out(other);
    out.scale(k);
    return out;
}

// Four-point value halfway between samples k and k + 1; missing neighbours
// take the nearer end sample.
float SpectrumArray::midpoint(unsigned k) const
{
    const unsigned n = count();
    const float v0 = m_values[k];
    const float v1 = m_values[std::min(k + 1, n - 1)];
    const float vm = m_values[k == 0 ? 0 : k - 1];
    const float v2 = m_values[std::min(k + 2, n - 1)];
    return (v0 + v1) / 2.0f + (v0 + v1 - vm - v2) / 16.0f;
}

SpectrumArray SpectrumArray::resampled(unsigned n, unsigned start, unsigned step) const
{
    SpectrumArray out(nullptr, n, start, step);
    const unsigned last = count() - 1;
    for (unsigned i = 0; i < out.count(); ++i) {
        const unsigned long long w = static_cast<unsigned long long>(out.m_start) +
                                     static_cast<unsigned long long>(i) * out.m_step;
        float v;
        if (w <= 300) {
            v = 0.0f;
        } else if (w < m_start) {
            v = m_values[0] * static_cast<float>(w - 300) / static_cast<float>(m_start - 300);
        } else {
            const unsigned long long k = (w - m_start) / m_step;
            const unsigned long long r = (w - m_start) % m_step;
            if (k >= last)
                v = m_values[last];
            else if (r == 0)
                v = m_values[k];
            else if (2 * r == m_step)
                v = midpoint(static_cast<unsigned>(k));
            else {
                const float f = static_cast<float>(r) / static_cast<float>(m_step);
                v = m_values[k] + f * (m_values[k + 1] - m_values[k]);
            }
        }
        out.m_values[i] = v;
    }
    return out;
}

void SpectrumArray::resample(unsigned n, unsigned start, unsigned step)
{
    if (n == 0)
        n = 1;
    if (step == 0)
        step = 1;
    if (n == count() && start == m_start && step == m_step)
        return;
    const long long last = static_cast<long long>(count()) - 1;
    const long long srcStart = m_start;
    const long long srcStep = m_step;
    auto at = [this, last](long long j) { return m_values[std::clamp(j, 0LL, last)]; };
    std::vector<float> out(n);
    if (step <= m_step) {
        for (unsigned i = 0; i < n; ++i) {
            const long long w = static_cast<long long>(start) + static_cast<long long>(i) * step;
            const long long d = w - srcStart;
            if (d <= 0) {
                out[i] = m_values[0];
                continue;
            }
            const long long k = d / srcStep;
            const long long r = d % srcStep;
            if (k >= last) {
                out[i] = m_values[last];
            } else if (r == 0) {
                out[i] = m_values[k];
            } else if (2 * r == srcStep) {
                out[i] = midpoint(static_cast<unsigned>(k));
            } else {
                // Lagrange cubic through k - 1, k, k + 1, k + 2.
                const double t = static_cast<double>(r) / static_cast<double>(srcStep);
                const double pm = at(k - 1);
                const double p0 = m_values[k];
                const double p1 = m_values[k + 1];
                const double p2 = k + 2 > last ? m_values[k + 1] : m_values[k + 2];
                const double v = -t * (t - 1) * (t - 2) / 6.0 * pm +
                                 (t + 1) * (t - 1) * (t - 2) / 2.0 * p0 -
                                 (t + 1) * t * (t - 2) / 2.0 * p1 +
                                 (t + 1) * t * (t - 1) / 6.0 * p2;
                out[i] = static_cast<float>(v);
            }
        }
    } else {
        // Triangular band-pass: samples strictly inside (w - step, w + step).
        const long long half = step;
        for (unsigned i = 0; i < n; ++i) {
            const long long w = static_cast<long long>(start) + static_cast<long long>(i) * step;
            const long long jMin = floorDiv(w - half - srcStart, srcStep) + 1;
            const long long jMax = -floorDiv(-(w + half - srcStart), srcStep) - 1;
            double sum = 0.0;
            double weights = 0.0;
            for (long long j = jMin; j <= jMax; ++j) {
                const long long lambda = srcStart + j * srcStep;
                const long long dist = lambda > w ? lambda - w : w - lambda;
                const double weight = static_cast<double>(half - dist) / static_cast<double>(half);
                if (weight <= 0.0)
                    continue;
                sum += weight * at(j);
                weights += weight;
            }
            out[i] = weights > 0.0 ? static_cast<float>(sum / weights) : at(jMin);
        }
    }
    m_values.swap(out);
    m_start = start;
    m_step = step;
}

void SpectrumArray::commonGrid(const SpectrumArray& other, unsigned* n, unsigned* start,
                               unsigned* step) const
{
    *start = std::min(m_start, other.m_start);
    *step = std::min(m_step, other.m_step);
    const unsigned end = std::max(this->end(), other.end());
    *n = (end - *start) / *step + 1;
}

float SpectrumArray::dot(const SpectrumArray& other) const
{
    if (sameGrid(other)) {
        float s = 0.0f;
        for (unsigned i = 0; i < count(); ++i)
            s += m_values[i] * other.m_values[i];
        return s;
    }
    unsigned n, start, step;
    commonGrid(other, &n, &start, &step);
    return resampled(n, start, step).dot(other.resampled(n, start, step));
}

void SpectrumArray::add(const SpectrumArray& other)
{
    if (!sameGrid(other)) {
        unsigned n, start, step;
        commonGrid(other, &n, &start, &step);
        resample(n, start, step);
        SpectrumArray copy(other);
        copy.resample(n, start, step);
        add(copy);
        return;
    }
    for (unsigned i = 0; i < count(); ++i)
        m_values[i] += other.m_values[i];
}

void SpectrumArray::multiply(const SpectrumArray& other)
{
    if (!sameGrid(other)) {
        unsigned n, start, step;
        commonGrid(other, &n, &start, &step);
        resample(n, start, step);
        SpectrumArray copy(other);
        copy.resample(n, start, step);
        multiply(copy);
        return;
    }
    for (unsigned i = 0; i < count(); ++i)
        m_values[i] *= other.m_values[i];
}

SpectrumArray SpectrumArray::sum(const SpectrumArray& a, const SpectrumArray& b)
{
    SpectrumArray out(a);
    out.add(b);
    return out;
}

SpectrumArray SpectrumArray::product(const SpectrumArray& a, const SpectrumArray& b)
{
    SpectrumArray out(a);
    out.multiply(b);
    return out;
}
