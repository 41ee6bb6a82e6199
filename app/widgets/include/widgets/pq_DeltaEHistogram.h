// An ordered histogram of colour differences with their counts.
#pragma once

#include <map>

class pq_DeltaEHistogram
{
public:
    void add(double value, int count);
    void merge(const pq_DeltaEHistogram &other);
    void clear();
    bool isEmpty() const;
    // Sum of key times count over the sum of counts; 0 without counts.
    double mean() const;
    // The key where the running count reaches N * p (p clamped to 0..1), the
    // mean of it and the key before when the count passes N * p; 0 without
    // counts.
    double percentile(double p) const;
    double median() const;
    int totalCount() const;
    const std::map<double, int> &entries() const { return m_entries; }

private:
    std::map<double, int> m_entries;
};
