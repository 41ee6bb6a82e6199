// The DNG camera profile (".dcp") writer: a little-endian TIFF-style file
// ("IIRC") with one directory of DNG camera-profile tags.
#pragma once

#include "engine/engine_result.h"

#include <cstdint>

struct engine_context;

// Filled by the camera builder once per run.
struct dcp_options {
    uint8_t matrix_and_tables;         // 1 unless matrix-only: write ProfileToneCurve
    uint8_t reserved0;
    float scale;                       // 1.0
    uint8_t dual_illuminant;           // 1 on the two-illuminant road
    int32_t calibration_illuminant1;   // DNG light source: 17, or 23 after re-illumination
    int32_t calibration_illuminant2;   // 21
    uint8_t mode0;                     // calculation mode 0: DefaultBlackRender 1
    uint8_t reserved1;
    float baseline_exposure_offset;    // written when above 0
    uint8_t reserved2;
};

// What the writer takes from one fitted camera model.
struct dcp_model {
    float colour_matrix[9];  // XYZ to camera RGB, row by row (a ColorMatrix tag)
    float tone_curve[256];   // the curve at x = j / 255
};

constexpr int DCP_TONE_CURVE_POINTS = 256;

// The ProfileToneCurve of a model: 256 (x, y) pairs with x = j / 255, y the
// model's curve clamped to 0..1, the first y 0 and the last 1.
// 0; ENGINE_ERR_WRONG_KIND when a curve value is not finite.
engine_result make_tone_curve(const dcp_model *model, float pairs[2 * DCP_TONE_CURVE_POINTS]);

// Where a DCP for output_path goes and the ProfileName it carries. A path
// that contains "dcp" is used as given; any other goes into the camera-profile
// folder under its base name with a final ".xxx" replaced by ".dcp". The
// name is the base name without a final ".xxx" (the whole base name when
// that would leave nothing). False when there is no camera-profile folder.
bool dcp_output_location(const char *output_path, char *path_out, unsigned path_capacity,
                         char *name_out, unsigned name_capacity);

// Writes the profile. creator and copyright are not used. second is the
// model fitted under the second calibration illuminant, given only on the
// two-illuminant road (dual_illuminant set): ColorMatrix1 then comes from
// main (paired with calibration_illuminant1) and ColorMatrix2 from second.
// Results: 0; ENGINE_ERR_DCP_CREATE (1001) the file cannot be created;
// ENGINE_ERR_NO_MEMORY; make_tone_curve's result; ENGINE_ERR_DCP_WRITE
// (1002) the file cannot be written whole; ENGINE_ERR_WRONG_KIND for a
// missing model, camera model text or options, or a matrix value beyond
// what the file can hold. A failed write leaves no partial file and an
// existing profile of that name as it was.
engine_result write_dcp_profile(engine_context *ctx, const char *output_path,
                                const char *camera_model, uint32_t creator,
                                const char *copyright, const dcp_model *main,
                                const dcp_model *second, const dcp_options *options);
