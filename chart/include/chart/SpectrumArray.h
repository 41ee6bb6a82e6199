#pragma once
// A sampled spectrum: count float values, sample i at start + i * step nm.

#include <vector>

class SpectrumArray {
public:
    // Copies count values (zero-filled when values is null). A count of 0
    // becomes 1, a step of 0 becomes 1.
    SpectrumArray(const float* values, unsigned count, unsigned start, unsigned step);
    // One zero sample at 380 nm.
    SpectrumArray();

    unsigned count() const { return static_cast<unsigned>(m_values.size()); }
    unsigned start() const { return m_start; }
    unsigned step() const { return m_step; }
    // Wavelength of the last sample.
    unsigned end() const { return m_start + (count() - 1) * m_step; }
    const float* values() const { return m_values.data(); }
    float* values() { return m_values.data(); }
    // values[i], or 0 outside 0 .. count - 1.
    float value(unsigned i) const { return i < count() ? m_values[i] : 0.0f; }
    void setValue(unsigned i, float v);
    // Same count, start and step.
    bool sameGrid(const SpectrumArray& other) const;

    // Every value times k, in place.
    void scale(float k);
    // other times k.
    static SpectrumArray scaled(float k, const SpectrumArray& other);

    // A copy on the given grid: 0 at and below 300 nm, a ramp from 300 nm to the
    // first sample, the last value beyond the last sample; linear between
    // samples, with a four-point value at the midpoints.
    SpectrumArray resampled(unsigned count, unsigned start, unsigned step) const;
    // This spectrum brought to the given grid in place (nothing when the grid is
    // unchanged): cubic interpolation to an equal or finer step, a triangular
    // band-pass average to a coarser one; the end values continue outside.
    void resample(unsigned count, unsigned start, unsigned step);

    // Sum of products; spectra on different grids are compared on a common grid
    // (smallest start, smallest step, largest end).
    float dot(const SpectrumArray& other) const;
    // Element-wise, in place; on different grids both are first brought to the
    // common grid.
    void add(const SpectrumArray& other);
    void multiply(const SpectrumArray& other);
    static SpectrumArray sum(const SpectrumArray& a, const SpectrumArray& b);
    static SpectrumArray product(const SpectrumArray& a, const SpectrumArray& b);

private:
    float midpoint(unsigned k) const;
    void commonGrid(const SpectrumArray& other, unsigned* count, unsigned* start,
                    unsigned* step) const;

    std::vector<float> m_values;
    unsigned m_start;
    unsigned m_step;
};
