// The profile engine's entry points, run driver and dispatchers.
// Paths are NUL-terminated UTF-8 byte texts; a path may separate its folders
// with '/' or '\'.
#pragma once

#include "engine/engine_context.h"
#include "engine/engine_result.h"
#include "engine/patch_set.h"
#include "engine/records.h"

#include <cstddef>
#include <cstdint>

struct profile_tables;

// Builds an ICC profile or a DNG camera profile file from a reference data
// file and a measured device data file. Returns the engine_result
// sign-extended: 0 only when the profile was written.
int create_profile_for_job(const char *reference_path, const char *measured_path,
                           const char *output_path, uint8_t device_flag1, uint8_t device_flag2,
                           uint8_t gray_switch, uint8_t gray_option, uint8_t pcs_xyz,
                           uint8_t make_dcp, uint8_t identity_tables, int delta_e_formula,
                           const char *camera_model, const spectrum_samples *illuminant,
                           const expert_overrides *overrides, const transfer_samples *transfer,
                           int (*progress)(int done, int total), int (*abort)(),
                           const target_offsets *job_block, const calculation_settings *settings,
                           const char *temp_folder);
// The same in a caller's context (initialised with engine_context_init).
int create_profile_for_job_in(engine_context *ctx, const char *reference_path,
                              const char *measured_path, const char *output_path,
                              uint8_t device_flag1, uint8_t device_flag2, uint8_t gray_switch,
                              uint8_t gray_option, uint8_t pcs_xyz, uint8_t make_dcp,
                              uint8_t identity_tables, int delta_e_formula,
                              const char *camera_model, const spectrum_samples *illuminant,
                              const expert_overrides *overrides,
                              const transfer_samples *transfer,
                              int (*progress)(int done, int total), int (*abort)(),
                              const target_offsets *job_block,
                              const calculation_settings *settings, const char *temp_folder);

// Builds a small ICC profile in memory from n patches of device RGB (0-255)
// and reference XYZ. On 0 *buffer holds the profile (malloc'd; the caller
// frees it with free) and *size its length.
engine_result create_quick_profile(unsigned char **buffer, uint32_t *size, const char *name,
                                   const char *copyright, uint32_t count, const uint8_t *skip,
                                   const char *names, const double *rgb, const double *xyz,
                                   int ignored, uint8_t quick, float *first_statistic,
                                   float *second_statistic, void *callback_context,
                                   int (*progress)(void *context, int done, int total),
                                   int (*abort)());
engine_result create_quick_profile_in(engine_context *ctx, unsigned char **buffer,
                                      uint32_t *size, const char *name, const char *copyright,
                                      uint32_t count, const uint8_t *skip, const char *names,
                                      const double *rgb, const double *xyz, int ignored,
                                      uint8_t quick, float *first_statistic,
                                      float *second_statistic, void *callback_context,
                                      int (*progress)(void *context, int done, int total),
                                      int (*abort)());

// The progress and abort functions the quick entry installs: they call the
// context's stored callbacks; without one, 0 (go on).
int quick_profile_progress(engine_context *ctx, int done, int total);
int quick_profile_abort(engine_context *ctx);

engine_result run_profile_job(engine_context *ctx, const profile_job *job);

engine_result create_profile_from_cgats_files(engine_context *ctx, const char *measured_path,
                                              const char *reference_path,
                                              const char *output_path, uint32_t creator,
                                              const char *copyright, scan_prefs *prefs,
                                              profile_options *options, fit_statistics *stats,
                                              progress_callbacks *callbacks);

// The file dispatcher.
engine_result build_and_write_profile(engine_context *ctx, const patch_set *reference,
                                      const patch_set *measured, const char *output_path,
                                      uint32_t creator, const char *copyright,
                                      scan_prefs *prefs, profile_options *options,
                                      fit_statistics *stats, progress_callbacks *callbacks);

// The in-memory dispatcher.
engine_result build_profile_to_memory(engine_context *ctx, const patch_set *measured,
                                      unsigned char **buffer, uint32_t *size, const char *name,
                                      const char *copyright, scan_prefs *prefs,
                                      profile_options *options, fit_statistics *stats,
                                      progress_callbacks *callbacks,
                                      const patch_set *reference);

// The two ICC write paths over the tables a builder filled: to path, or to a
// newly allocated buffer (released with free) when buffer and size are given.
// write_icc_profile is the general path, write_icc_template_profile the fixed
// version 2 template.
engine_result write_icc_profile(engine_context *ctx, profile_tables *tables, const char *path,
                                uint32_t creator, const char *copyright, const float gamma[4],
                                unsigned char **buffer, uint32_t *size);
engine_result write_icc_template_profile(engine_context *ctx, profile_tables *tables,
                                         const char *path, uint32_t creator,
                                         const char *copyright, const float gamma[4],
                                         unsigned char **buffer, uint32_t *size);

// Engine preferences: the defaults, and the ScanPrefs text (a missing, unreadable
// or too large file leaves prefs as they are).
void set_default_scan_prefs(scan_prefs *prefs);
void read_scan_prefs(scan_prefs *prefs, const char *path);
void parse_scan_prefs(scan_prefs *prefs, const char *text, size_t size);

// Subsamples an illuminant into the options' spectrum record (at most 120 values).
void subsample_illuminant(const spectrum_samples *source, engine_spectrum *out);

// The size of the buffers the memory road allocates.
constexpr uint32_t ENGINE_QUICK_BUFFER_BYTES = 200000;
constexpr uint32_t ENGINE_CAMERA_BUFFER_BYTES = 600000;
