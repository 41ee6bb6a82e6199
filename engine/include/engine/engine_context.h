// The state of one engine computation. Each entry call makes its own context
// and passes it down, so two computations may run at once on two threads.
// Nothing in the engine is process-wide.
#pragma once

#include "engine/builders.h"
#include "engine/engine_result.h"
#include "engine/records.h"

#include <cstdint>

struct profile_tables;

// The dispatcher's two ICC write paths (entries.h), as the seam holds them.
typedef engine_result (*write_icc_fn)(engine_context *ctx, profile_tables *tables,
                                      const char *path, uint32_t creator,
                                      const char *copyright, const float gamma[4],
                                      unsigned char **buffer, uint32_t *size);

// Replacements for the builders and writers; a null member means the
// engine's own. Tests substitute them to watch the dispatcher.
struct engine_seams {
    build_camera_profile_fn build_camera;
    build_spectral_profile_fn build_spectral;
    write_icc_fn write_icc;
    write_icc_fn write_icc_template;
    void *user;  // for the substitutes
};

struct engine_context {
    engine_seams seams;

    // Preferences used when a builder is handed none: the defaults, then the
    // ScanPrefs file (scan_prefs_path, or "ScanPrefs" in the current folder).
    const char *scan_prefs_path;
    bool scan_prefs_loaded;
    scan_prefs prefs;

    // The job entry's caller callbacks.
    int (*job_progress)(int done, int total);
    int (*job_abort)();

    // The quick entry's caller callbacks.
    void *quick_context;
    int (*quick_progress)(void *context, int done, int total);
    int (*quick_abort)();

    // Where the computation's notes go (one line of text each, no newline);
    // null: nowhere. The engine itself never prints.
    void (*notice)(void *user, const char *text);
    void *notice_user;

    // ICC writer: error of the last work-block allocation (0 or -108).
    engine_result alloc_error;
    // ICC writer: the colour folder, built on first use (empty until then).
    char colour_folder[1024];

    // Why the last refused input was refused, in words, with the file and the
    // line ("ref.cie: line 12: reason"); empty when nothing was refused. The
    // result codes stay as they are; this only says more.
    char last_error[512];
};

// Zero-fills the context: no seams, preferences not loaded, no callbacks.
void engine_context_init(engine_context *ctx);

// Sets (or with null, clears) the context's last_error text, cut to fit.
void engine_context_set_error(engine_context *ctx, const char *text);

// Hands a note to the context's notice callback, if there is one.
void engine_context_notice(engine_context *ctx, const char *text);

// The context's preferences, loaded on first use: set_default_scan_prefs,
// then read_scan_prefs from the ScanPrefs file.
scan_prefs *engine_context_scan_prefs(engine_context *ctx);
