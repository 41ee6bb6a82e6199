// Lattices of patch candidates: a projective map from integer lattice
// indices (patch centres) to working-image positions, grown from a seed.
#pragma once

#include "finder/patch_blobs.h"

#include <vector>

namespace finder {

// 3 x 3 projective map, row-major, applied to (i, j, 1).
struct homography {
    double h[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    // False when the point maps to infinity.
    bool map(double i, double j, double *x, double *y) const;
    bool inverse(homography *out) const;
    // Local scale: sqrt of the Jacobian determinant at (i, j), image pixels per
    // lattice step; 0 when degenerate.
    double scale_at(double i, double j) const;
};

struct correspondence {
    double i, j;  // lattice index
    double x, y;  // image position
};

// Least-squares fits (normalised DLT for the projective map). False when the
// points are too few or degenerate.
bool fit_homography(const std::vector<correspondence> &points, homography *out);
bool fit_affine(const std::vector<correspondence> &points, homography *out);

// Buckets of blobs for neighbourhood queries.
class blob_index {
public:
    blob_index(const std::vector<blob> &blobs, int width, int height, double cell);
    // Blob nearest to (x, y) within radius, or -1.
    int nearest(double x, double y, double radius) const;
    // All blobs within radius of (x, y).
    void within(double x, double y, double radius, std::vector<int> &out) const;

private:
    const std::vector<blob> &blobs_;
    double cell_;
    int columns_, rows_;
    std::vector<std::vector<int>> buckets_;
};

struct seed {
    int blob;             // lattice origin
    double ux, uy;        // image step of index i
    double vx, vy;        // image step of index j
    int support;          // blobs found on the 5 x 5 lattice around the origin
};

// Seeds from every blob's neighbourhood, best support first, at most `limit`.
void find_seeds(const std::vector<blob> &blobs, const blob_index &index, int limit,
                std::vector<seed> &out);

struct lattice_point {
    int i, j;
    int blob;
    double residual;  // lattice units
};

struct lattice {
    homography to_image;
    std::vector<lattice_point> points;
    double mean_residual = 0;
};

// Grows a lattice from a seed over all blobs; the indices stay within
// +-reach of the origin. False when it never holds enough points for a
// projective fit.
bool grow_lattice(const std::vector<blob> &blobs, const seed &s, int reach, lattice *out);

// Refits `to_image` to the points with their current indices.
bool refit(const std::vector<blob> &blobs, lattice *l);

}  // namespace finder
