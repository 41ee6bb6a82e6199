// The fitted camera model that the camera builder hands to the DNG camera
// profile writer, and what the writer reads from it.
#pragma once

#include "engine/engine_result.h"

// A fitted camera model: per-channel transfer curves followed by a 3 x 3
// matrix. Device values are taken on 0..1 (the device white level is 1).
//
// curve c: u = scale * ((v + offset0) / (1 + offset0))^gamma, blended towards
// v^gamma2 by offset1 (0: none); a raw camera's curves are linear (gamma 1,
// offsets 0, scale 1).
struct fit_model_curve {
    double scale;
    double offset0;
    double offset1;
    double gamma;
    double gamma2;
};

struct fit_model {
    int channels;                   // 3
    fit_model_curve curve[3];
    // Linear camera values (after the curves) to XYZ relative to D50 (Y = 1):
    // the camera's white (1, 1, 1 after the curves' scale) maps to the chart
    // white adapted to D50.
    double camera_to_xyz[3][3];
    // DNG ColorMatrix: XYZ to camera native, the inverse of camera_to_xyz,
    // scaled so that the largest component of ColorMatrix * D50 white is 1.
    double color_matrix[3][3];
    // DNG ForwardMatrix: white-balanced camera to XYZ D50; maps (1, 1, 1) to
    // the ICC D50 white (cm_icc_d50_white).
    double forward_matrix[3][3];
    // The camera's neutral (the chart white in camera values, largest 1).
    double neutral[3];
    // Statistics of the last pass: mean, maximum, 90th percentile, rms of the
    // colour difference over the fitted patches, patch count, passes,
    // evaluations.
    float statistics[7];
};

// 256 points of the model's tone curve at x = j / 255 (the mean of the
// channels' curves, scaled to end at 1), first 0 and last 1. 0, or -32761
// for a model without channels.
engine_result fit_model_tone_curve(const fit_model *model, float y[256]);

// Result of a build that the caller's abort function stopped; no output is
// written.
constexpr engine_result ENGINE_ABORTED = -128;
