// The colour-difference thresholds the patch ratings use, read at paint time.
// The program installs a source over its persistent settings; without one the
// settings' defaults apply.
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

// An empty function restores the defaults.
void pq_setRatingThresholdSource(std::function<pq_ratingThresholds()> source);
pq_ratingThresholds pq_currentRatingThresholds();
