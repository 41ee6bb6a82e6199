// The colour-difference thresholds the patch ratings use, read at paint time
// from the persistent settings, or from a source installed in their place.
#pragma once

#include <functional>

struct pq_ratingThresholds
{
    double colorDeltaEThresholdLower = 5.0;
    double colorDeltaEThresholdUpper = 10.0;
    double neutralDeltaEThreshold = 2.828;
    double neutralLightThreshold = 2.0;
    double neutralChromaThreshold = 2.0;
    double overallDeltaEThreshold = 3.0;
};

// An empty function restores the settings as the source.
void pq_setRatingThresholdSource(std::function<pq_ratingThresholds()> source);
pq_ratingThresholds pq_currentRatingThresholds();
