// The two profile builders. Called only by the dispatchers (entries.h) with
// working copies of the two sets, which they may change.
#pragma once

#include "engine/engine_result.h"
#include "engine/patch_set.h"
#include "engine/records.h"

#include <cstdint>

struct engine_context;
struct profile_tables;

// The engine's main road: prepares the data, fits the device model, writes
// CamData.CIE and writes the ICC profile (to output_path, or to memory when
// both buffer and size are given) or the DNG camera profile itself.
// prefs null: the context's preferences (defaults and the ScanPrefs file).
engine_result build_camera_profile(engine_context *ctx, profile_tables *tables,
                                   patch_set *reference, patch_set *measured,
                                   const char *output_path, float gamma[4], scan_prefs *prefs,
                                   profile_options *options, fit_statistics *stats,
                                   progress_callbacks *callbacks, unsigned char **buffer,
                                   uint32_t *size);

// The spectral road: fills the tables; never writes the profile.
engine_result build_spectral_profile(engine_context *ctx, profile_tables *tables,
                                     patch_set *reference, patch_set *measured, float gamma[4],
                                     scan_prefs *prefs, profile_options *options,
                                     fit_statistics *stats, progress_callbacks *callbacks);

typedef engine_result (*build_camera_profile_fn)(engine_context *, profile_tables *,
                                                 patch_set *, patch_set *, const char *,
                                                 float *, scan_prefs *, profile_options *,
                                                 fit_statistics *, progress_callbacks *,
                                                 unsigned char **, uint32_t *);
typedef engine_result (*build_spectral_profile_fn)(engine_context *, profile_tables *,
                                                   patch_set *, patch_set *, float *,
                                                   scan_prefs *, profile_options *,
                                                   fit_statistics *, progress_callbacks *);
