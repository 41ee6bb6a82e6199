// The engine's record of one body of measurements (device values of a chart,
// its reference colours, spectra) and the operations on it.
//
// A set is a plain record: zero it or call patch_set_init before use, release
// it with patch_set_free. A set belongs to one computation on one thread.
#pragma once

#include "engine/engine_result.h"
#include "platform/big_endian.h"

#include <cstddef>
#include <cstdint>

// Four-character ICC signature, first character in the most significant byte.
constexpr uint32_t engine_sig(const char (&s)[5]) { return platform::signature(s); }

constexpr uint32_t SIG_BLANK = engine_sig("    ");
constexpr uint32_t SIG_RGB = engine_sig("RGB ");
constexpr uint32_t SIG_CMYK = engine_sig("CMYK");
constexpr uint32_t SIG_CMY = engine_sig("CMY ");
constexpr uint32_t SIG_LAB = engine_sig("Lab ");
constexpr uint32_t SIG_XYZ = engine_sig("XYZ ");
constexpr uint32_t SIG_LCH = engine_sig("LCh ");
// "2CLR" ... "8CLR" for 2 <= n <= 8; SIG_BLANK otherwise.
uint32_t engine_clr_sig(int n);

constexpr int ENGINE_MAX_CHANNELS = 8;
constexpr int ENGINE_SPECTRUM_MAX = 120;
constexpr int ENGINE_NAME_LEN = 32;       // patch name field, NUL included
constexpr int ENGINE_CONTROL_LEN = 12;    // control text field, NUL included
constexpr int ENGINE_CHANNEL_NAME_LEN = 64;
constexpr int ENGINE_GAMUT_ROWS = 21;
constexpr int ENGINE_GAMUT_COLS = 51;
constexpr int ENGINE_GAMUT_CELLS = ENGINE_GAMUT_ROWS * ENGINE_GAMUT_COLS;  // 1071
constexpr int32_t ENGINE_MAX_PATCHES = 3754342;

// A sampled spectrum: values[i] at start_nm + i * step_nm, i <= (end - start) / step.
// start_nm -1 means absent.
struct engine_spectrum {
    int32_t start_nm;
    int32_t end_nm;
    int32_t step_nm;
    double values[ENGINE_SPECTRUM_MAX];
};

// Number of samples the spectrum holds (0 when absent or malformed), at most
// ENGINE_SPECTRUM_MAX.
int engine_spectrum_count(const engine_spectrum &s);

struct patch_record {
    char name[ENGINE_NAME_LEN];        // SAMPLE_LOC, SAMPLE_ID or SAMPLE_NAME text
    char control[ENGINE_CONTROL_LEN];  // "N", "I" (ignored), "LC", ...
    int32_t sample_id;                 // 0-based after reading; -1 unset
    int32_t reserved[8];               // -1
    float device[ENGINE_MAX_CHANNELS]; // RGB 0-255, CMYK/CMY percent; -1 absent
    float xyz[3];                      // -1 unset
    float lab[3];                      // L -1, a and b -999 unset
    float lch[3];                      // L -1, C and H -999 unset
    float delta_e;                     // CIEDE2000 written in the DE2000 column
    engine_spectrum spectrum;          // start_nm -1 when absent
};

struct patch_set {
    int32_t count;
    int32_t reserved;
    uint32_t data_space;       // device space, or the PCS of colorimetric-only data
    int16_t channels;          // device channels read
    uint32_t pcs;              // SIG_LAB, SIG_XYZ, SIG_LCH or SIG_BLANK
    int16_t pcs_channels;      // 3 when pcs is not blank, else 0
    uint8_t spectral;          // patches carry spectra
    patch_record *patches;     // count records, owned
    float *gamut_table;        // ENGINE_GAMUT_CELLS floats, owned; null until built
    double builder_data[32];   // travels with the set; the builders' to use
    float builder_values[7];   // travels with the set; -1.0 after init
    int16_t extra_columns;     // KEYWORD columns other than SAMPLE_LOC and CONTROL
    char channel_names[ENGINE_MAX_CHANNELS][ENGINE_CHANNEL_NAME_LEN];
};

// A record with the values a freshly read row starts from.
void patch_record_clear(patch_record *p);

engine_result patch_set_init(patch_set *set);
void patch_set_free(patch_set *set);
// Allocates count records (each cleared); count is 0 until it succeeds. -108.
engine_result patch_set_alloc(patch_set *set, int32_t count);
// New array of count records holding the first min(old, new) patches; in a
// spectral set added patches take patch 0's spectrum range. -108.
engine_result patch_set_resize(patch_set *set, int32_t count);
// Deep copy into dst (whose arrays are released first). -108.
engine_result patch_set_copy(const patch_set *src, patch_set *dst);

engine_result patch_set_get_lab(const patch_set *set, int32_t index, double lab[3]);
engine_result patch_set_get_xyz(const patch_set *set, int32_t index, double xyz[3]);
engine_result patch_set_set_lab(patch_set *set, int32_t index, const double lab[3]);
engine_result patch_set_set_rgb(patch_set *set, int32_t index, const double rgb[3]);

engine_result patch_set_build_gamut_table(patch_set *set);
// How far (0..1) an RGB (0-255) lies above the lightness the gamut table
// holds for its hue and saturation. -1 when no table was built.
engine_result patch_set_gamut_excess(const patch_set *set, const double rgb[3], double *excess);

// XYZ and Lab of every patch from its spectrum (D50, 2-degree observer).
engine_result patch_set_spectra_to_xyz(patch_set *set);
// XYZ and Lab of every patch from its spectrum under an illuminant
// (observer 1: CIE 1964 10-degree, else CIE 1931 2-degree).
engine_result patch_set_reilluminate(patch_set *set, const engine_spectrum *illuminant,
                                     int observer);
engine_result patch_set_remove_ignored(patch_set *set);
int32_t patch_set_count_lc(const patch_set *set);

// Removes measured patches whose names ("A1", "B12") do not match the
// reference patch at the same index. -32767 when they cannot be matched.
engine_result align_patch_sets(patch_set *measured, const patch_set *reference);
