// Patch candidates: compact flat regions of the working image.
#pragma once

#include "finder/finder_image.h"

#include <vector>

namespace finder {

struct blob {
    double x = 0, y = 0;     // centroid, working pixels (pixel centres at +0.5)
    double area = 0;         // pixels
    double size = 0;         // sqrt(area)
    double major = 0;        // standard deviations along the principal axes
    double minor = 0;
    double cxx = 0, cyy = 0, cxy = 0;  // second central moments, pixels squared
    double colour[3] = {0, 0, 0};  // mean smoothed colour
};

// Connected regions (4-neighbourhood) of pixels whose gradient is below the
// threshold of their tile that look like a patch: filled, compact and not too
// elongated, between min_area and max_area pixels.
void find_blobs(const work_image &image, const threshold_map &threshold, double min_area,
                double max_area, std::vector<blob> &out);

}  // namespace finder
