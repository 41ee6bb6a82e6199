#include "widgets/pq_DeltaEHistogram.h"

#include <algorithm>
#include <cmath>

void pq_DeltaEHistogram::add(double value, int count)
{
    if (!std::isfinite(value))
        return;
    m_entries[value] += count;
}

void pq_DeltaEHistogram::merge(const pq_DeltaEHistogram &other)
{
    for (const auto &entry : other.m_entries)
        add(entry.first, entry.second);
}

void pq_DeltaEHistogram::clear() { m_entries.clear(); }

bool pq_DeltaEHistogram::isEmpty() const { return m_entries.empty(); }

int pq_DeltaEHistogram::totalCount() const
{
    int n = 0;
    for (const auto &entry : m_entries)
        n += entry.second;
    return n;
}

double pq_DeltaEHistogram::mean() const
{
    double sum = 0;
    double n = 0;
    for (const auto &entry : m_entries) {
        sum += entry.first * entry.second;
        n += entry.second;
    }
    return n == 0 ? 0.0 : sum / n;
}

double pq_DeltaEHistogram::percentile(double p) const
{
    const int n = totalCount();
    if (n <= 0)
        return 0.0;
    p = std::min(1.0, std::max(0.0, p));
    const double t = n * p;
    double c = 0;
    bool first = true;
    double previous = 0;
    for (const auto &entry : m_entries) {
        c += entry.second;
        if (c == t)
            return entry.first;
        if (c > t)
            return first ? entry.first : (entry.first + previous) / 2;
        first = false;
        previous = entry.first;
    }
    return 0.0;
}

double pq_DeltaEHistogram::median() const { return percentile(0.5); }
