// The records that carry one engine computation's settings, in their fixed
// field order. Every record is zero-filled by its creator before use.
#pragma once

#include "engine/patch_set.h"

#include <cstdint>

struct engine_context;

// Progress (done of total) and abort polling. The functions get the
// computation's context, so no callback state lives outside the call; a
// nonzero answer of abort means stop.
typedef int (*engine_progress_fn)(engine_context *ctx, int done, int total);
typedef int (*engine_abort_fn)(engine_context *ctx);

struct progress_callbacks {
    engine_progress_fn progress;
    engine_abort_fn abort;
    int start;
    int span;
    int total;
    engine_context *context;  // handed to both functions
};

// Calls the progress function when there is one; 0 otherwise.
int engine_report_progress(const progress_callbacks *cb, int done, int total);
// True when the abort function asks to stop; false without one.
bool engine_abort_requested(const progress_callbacks *cb);

// Seven statistics of the camera builder's Powell fit.
struct fit_statistics {
    float values[7];
};

// Engine preferences.
struct scan_prefs {
    float leading[6];
    float reference_white;   // replaced by the expert lightness override
    float further[2];
    float device_white[3];   // one per channel
    int32_t poly_quality;    // order of the polynomial model
    float scale;
    uint8_t map_relative;
    uint8_t map_absolute;
    uint8_t map_white_maintain_hue;
    uint8_t map_black_to_zero;
    uint8_t map_black_maintain_hue;
    uint8_t map_in_XYZ;
    uint8_t map_in_LAB;
    uint8_t iterate_on_gamma;
    uint8_t iterate_on_gamma_basic;
    uint8_t add_points_out_of_gamut;
    uint8_t merge_transform_with_alt;
    uint8_t option_a;
    uint8_t option_b;
    uint8_t option_c;
    uint8_t maintain_original_gray;
    uint8_t gray_option;
    uint8_t option_d;
    uint8_t option_e;
    uint8_t white_override;  // set when the expert white override is used
    uint8_t option_f;
    uint8_t option_g;
    uint8_t option_h;
    uint8_t option_i;
    char added_point_file[256];
};

// The job's calculation settings: seven 32-bit fields, copied into
// profile_options field by field.
struct calculation_settings {
    int32_t word0;             // camera illuminant index
    int32_t word1;             // observer index (1: 10-degree)
    int32_t calculation_mode;  // 1 by default
    int32_t word3;             // gray weight index
    int32_t word4;
    float value;               // exposure offset
    int32_t flag;              // nonzero: alternative data preparation
};

// Transfer curves: count curves (1 or 3) of entries 16-bit values each.
struct transfer_samples {
    int32_t count;
    int32_t entries;
    const uint16_t *const *curves;  // count pointers
};

// Per-job block: the number of targets and, in rows[1][i], the first sample
// row of target i in the shared measurement files.
struct target_offsets {
    int32_t count;
    int32_t rows[4][64];
};

// Optional expert overrides of the job entry.
struct expert_overrides {
    uint8_t enable;
    uint8_t device_flag1;
    uint8_t device_flag2;
    int32_t type;          // 0-5
    int32_t custom_order;  // polynomial order for type 3
    uint8_t gray_option;
    uint8_t maintain_original_gray;
    uint8_t option_g;
    uint8_t option_h;
    uint8_t override_option;  // profile_options::override_option
    uint8_t option_e;
    uint8_t map_relative;
    uint8_t iterate_on_gamma_basic;
    uint8_t iterate_on_gamma;
    uint8_t merge_transform_with_alt;
    uint8_t lightness_given;
    int32_t lightness;
    uint8_t white_given;
    int32_t white;          // device white as 0-255
};

// An illuminant as the caller samples it: count float values from start_nm
// by step_nm.
struct spectrum_samples {
    const float *values;
    uint32_t count;
    uint32_t start_nm;
    uint32_t step_nm;
};

// Per-run options.
struct profile_options {
    uint8_t device_flag1;        // job entry argument 4
    uint8_t override_option;     // set by the expert overrides
    uint8_t device_flag2;        // job entry argument 5
    uint8_t type4_flag;          // expert overrides type 4
    uint8_t builder_writes;      // 1: the camera builder writes the output itself
    engine_spectrum illuminant;  // start_nm 0 or -1: none
    // copy of calculation_settings
    int32_t settings_word0;
    int32_t settings_word1;
    uint32_t creator;
    const char *copyright;
    uint32_t pcs;                // SIG_LAB or SIG_XYZ
    int32_t calculation_mode;
    int32_t settings_word3;
    int32_t settings_word4;
    uint8_t make_dcp;
    float settings_value;
    uint8_t settings_flag;
    // end of the copy
    uint8_t identity_tables;     // job entry argument 10
    int32_t delta_e_formula;     // 0 CIE76, 1 CIE94, 2 CIEDE2000, 3 CIEDE2000 with kL 1
    const char *camera_model;
    transfer_samples transfer;
    const target_offsets *job_block;  // passed through to the builder
    const char *temp_folder;          // where the camera builder writes CamData.CIE
};

// What the job entry hands to run_profile_job.
struct profile_job {
    const char *measured_path;
    const char *reference_path;
    int32_t reserved;
    const char *output_path;
    uint32_t creator;
    const char *copyright;
    scan_prefs *prefs;
    profile_options *options;
    fit_statistics *stats;
    progress_callbacks *callbacks;
};

constexpr uint32_t ENGINE_CREATOR = engine_sig("Kirr");
constexpr int ENGINE_SPECTRAL_MODE = 3;
constexpr int ENGINE_SPECTRAL_MIN_PATCHES = 140;
