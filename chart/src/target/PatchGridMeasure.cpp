// Measurement of one grid cell: mean and deviation of the pixels inside the
// cell's measure quad.

#include <chart/PatchGrid.h>

#include <chart/Patch.h>
#include <chart/RawImage.h>
#include <chart/Target.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

struct PatchGrid::Statistics {
    std::vector<double> mean;       // per channel, 16-bit scale; NaN without pixels
    std::vector<double> deviation;  // per channel; NaN without pixels
};

PatchGrid::Statistics PatchGrid::sampleStatistics(const RawImageIF* image) const
{
    Statistics stats;
    const int channels = image->channels();
    const int width = image->width();
    const int height = image->height();
    const bool eightBit = image->bytesPerSample() == 1;
    std::vector<double> sum(static_cast<std::size_t>(channels), 0.0);
    std::vector<double> sumSq(static_cast<std::size_t>(channels), 0.0);
    long long count = 0;

    int yMin = m_measureQuad[0].y();
    int yMax = yMin;
    for (const QPoint& p : m_measureQuad) {
        yMin = std::min(yMin, p.y());
        yMax = std::max(yMax, p.y());
    }
    const int step = std::max(1, m_samplingStep);

    for (int y = yMin; y < yMax; ++y) {
        int xMin = 9999999;
        int xMax = -9999999;
        for (int k = 0; k < 4; ++k) {
            const QPoint& a = m_measureQuad[k];
            const QPoint& b = m_measureQuad[(k + 1) % 4];
            if (a.y() != b.y()) {
                const double t = double(y - a.y()) / double(b.y() - a.y());
                if (t >= 0.0 && t <= 1.0) {
                    const int x = a.x() + int(std::floor(t * (b.x() - a.x()) + 0.5));
                    xMin = std::min(xMin, x);
                    xMax = std::max(xMax, x);
                }
            } else if (a.y() == y) {
                xMin = std::min({xMin, a.x(), b.x()});
                xMax = std::max({xMax, a.x(), b.x()});
            }
        }
        if (y <= 0 || y >= height)
            continue;  // row 0 is never sampled
        for (int x = xMin; x <= xMax; x += step) {
            if (x <= 0 || x >= width)
                continue;  // column 0 is never sampled
            for (int c = 0; c < channels; ++c) {
                const double v = eightBit ? double(image->sample8(x, y, c)) * 257.0
                                          : double(image->sample16(x, y, c));
                sum[std::size_t(c)] += v;
                sumSq[std::size_t(c)] += v * v;
            }
            ++count;
        }
    }

    stats.mean.resize(std::size_t(channels));
    stats.deviation.resize(std::size_t(channels));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (std::size_t c = 0; c < std::size_t(channels); ++c) {
        if (count == 0) {
            stats.mean[c] = nan;
            stats.deviation[c] = nan;
            continue;
        }
        const double mean = sum[c] / double(count);
        // Rounding can leave the difference slightly below zero for a flat cell.
        const double variance = std::max(0.0, sumSq[c] / double(count) - mean * mean);
        stats.mean[c] = mean;
        stats.deviation[c] = std::sqrt(variance);
    }
    return stats;
}

void PatchGrid::measurePatch(int column, int row, TargetIF* target, const RawImageIF* image,
                             bool toSet2)
{
    if (!image || image->sampleType() == RawImageIF::NoSamples || image->channels() < 1)
        return;
    const Statistics stats = sampleStatistics(image);
    PatchIF* patch = target ? target->patch(unsigned(std::max(0, column)), unsigned(std::max(0, row)))
                            : nullptr;
    if (!patch || column < 0 || row < 0)
        return;
    const int channels = image->channels();
    patch->setValueCount(unsigned(channels));
    double deviationSum = 0.0;
    for (int c = 0; c < channels; ++c) {
        deviationSum += stats.deviation[std::size_t(c)];
        if (toSet2)
            patch->setValue2(c, stats.mean[std::size_t(c)]);
        else
            patch->setValue1(c, stats.mean[std::size_t(c)]);
    }
    if (toSet2)
        patch->setDeviation2(deviationSum / channels);
    else
        patch->setDeviation1(deviationSum / channels);
}

void PatchGrid::measurePatchSet3(int column, int row, TargetIF* target, const RawImageIF* image)
{
    PatchIF* patch = (target && column >= 0 && row >= 0)
                         ? target->patch(unsigned(column), unsigned(row))
                         : nullptr;
    if (!image || image->sampleType() == RawImageIF::NoSamples || image->channels() < 1) {
        if (patch) {
            for (unsigned c = 0; c < patch->valueCount(); ++c)
                patch->setValue3(int(c), 0.0);
            patch->setDeviation3(0.0);
        }
        return;
    }
    const Statistics stats = sampleStatistics(image);
    if (!patch)
        return;
    const int channels = image->channels();
    double deviationSum = 0.0;
    for (int c = 0; c < channels; ++c) {
        deviationSum += stats.deviation[std::size_t(c)];
        patch->setValue3(c, stats.mean[std::size_t(c)]);  // ignored beyond valueCount
    }
    patch->setDeviation3(deviationSum / channels);
}
