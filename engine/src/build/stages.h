// The stages of the two profile builders: data preparation, the device
// model and its tables, and the staged fits.
#pragma once

#include "device_model.h"

#include "engine/builder_stages.h"
#include "engine/colour_maths.h"
#include "engine/dcp_writer.h"
#include "engine/engine_result.h"
#include "engine/icc_writer.h"
#include "engine/patch_set.h"
#include "engine/profile_tables.h"
#include "engine/records.h"

#include <string>
#include <vector>

namespace vp_build {

// ---- progress and abort -------------------------------------------------

// Reports percent (0..100) of the callbacks' span.
void report_percent(const progress_callbacks *cb, double percent);
bool abort_requested(const progress_callbacks *cb);

// ---- the opening stages of both builders ---------------------------------

// The preferences of one run, a copy, so that neither the caller's record nor
// the context's defaults carry this run's changes into the next: the given
// ones, else the context's (defaults and the ScanPrefs file), else the
// defaults.
scan_prefs choose_scan_prefs(engine_context *ctx, const scan_prefs *given);

// A measured set larger than the reference loses its ignored patches and,
// when it is still larger, is aligned to the reference.
engine_result match_patch_sets(patch_set *measured, const patch_set *reference);

// Which paired references get their XYZ computed from their spectra (under
// D50, 2-degree observer). The two builders differ here on purpose.
enum class spectra_rule {
    // Only a reference whose data space names spectra ('Spec', 'Spnm'): the
    // camera road. A reference that merely carries spectra keeps the colours
    // it was read with or that re-illumination gave it; recomputing them
    // under D50 would undo the job's illuminant.
    spectral_data_space,
    // Also any reference that carries spectra: the spectral road.
    any_spectral,
};

// merge_device_values (measured, reference), then ignored patches leave both
// sets and the reference's spectra become XYZ as the rule says. paired, when
// given, receives a copy of the merged reference before ignored patches
// leave.
engine_result pair_patch_sets(patch_set *measured, patch_set *reference, spectra_rule rule,
                              patch_set *paired);

// build_lab_patch_set into lab (an incomplete set goes on), then progress 0;
// ENGINE_ABORTED when the abort function asks to stop.
engine_result start_lab_set(const patch_set *measured, const patch_set *reference,
                            patch_set *lab, const progress_callbacks *cb);

// ---- data preparation ---------------------------------------------------

// Result of build_lab_patch_set when some patches carry no colour (they are
// left blank and excluded later); not a failure.
constexpr engine_result LAB_SET_INCOMPLETE = -2;

// The reference takes each patch's device values and control text from the
// measured set, and its device space and channel count. -32767 when the
// counts differ.
engine_result merge_device_values(const patch_set *measured, patch_set *reference);

// out becomes a copy of the reference with the L*a*b* and XYZ of every patch
// filled from what the set holds. LAB_SET_INCOMPLETE when some patch has
// none; -32761 for an empty set; -108.
engine_result build_lab_patch_set(const patch_set *measured, const patch_set *reference,
                                  patch_set *out);

// The prepared training data of one build.
struct prepared_data {
    std::vector<fit_patch> patches;  // usable patches, in set order
    std::vector<int> index;          // their indexes in the reference set
    int white_index = -1;            // into the reference set
    int black_index = -1;
    double white_xyz[3] = {cm_d50_white[0], cm_d50_white[1], cm_d50_white[2]};  // chart white (Y <= 1)
    double white_device[3] = {1, 1, 1};           // its device values (0..1)
    double adapt[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};  // chart white -> D50
};

// Blank patches (no device values or no colour), ignored patches ('I') and
// clipped patches (a channel at the device white level) are left out; the
// white (largest reference Y, the first on a tie) and the black (smallest Y)
// are found; device values are taken on 0..1 of the 0-255 scale; the
// reference XYZ is taken on the Y = 1 scale and adapted so that the chart
// white becomes the D50 white (Bradford; the alternative preparation scales
// X, Y and Z instead). The media white (the chart white's XYZ on the 100
// scale, D50 when none is found) goes into the first three floats of prefs.
// With the grey option, near-neutral patches weigh more.
engine_result prepare_patch_sets(const patch_set *measured, const patch_set *reference,
                                 scan_prefs *prefs, prepared_data *out);
engine_result prepare_patch_sets_alt(const patch_set *measured, const patch_set *reference,
                                     scan_prefs *prefs, prepared_data *out);

// ---- the model and the tables --------------------------------------------

struct poly_model {
    int order = 1;
    int channels = 3;
    device_model model;
    bool fitted = false;
};

engine_result poly_model_init(poly_model *m, int order, int channels);

// Per-channel gammas (the curve's exponent alone, a matrix after it) by a
// least-squares fit over the prepared patches under the formula. The DCP
// variant keeps a raw camera linear: it returns 1.0 unless the data are
// plainly not linear.
engine_result estimate_channel_gammas(const prepared_data *data, float gamma[4], int formula);
engine_result estimate_channel_gammas_dcp(const prepared_data *data, float gamma[4],
                                          int formula);

// Fits the polynomial model (its order as the largest root-polynomial degree)
// behind power curves of the given gammas and fills the tables' colorants.
engine_result build_device_to_pcs_table(poly_model *m, const prepared_data *data,
                                        const float gamma[4], profile_tables *tables,
                                        fit_statistics *stats);

// ---- the fits --------------------------------------------------------------

// Fit flag bits.
enum : int {
    FIT_MATRIX = 0x1,            // the 3 x 3 matrix (always solved)
    FIT_GAMMA = 0x8,             // the curves' exponents
    FIT_LINEAR_RAW = 0x10,       // raw data: curves held linear (the DCP road)
    FIT_CURVE_SHAPE = 0x40,      // the curves' shape terms
    FIT_NONLINEAR = 0x100,       // root-polynomial terms, degree and ridge cross-validated
    FIT_QUICK = 0x200,           // a short fit: exponents alone, few evaluations
    FIT_GAMMA_READBACK = 0x400,  // the gamma values take the fitted exponents
    FIT_WHITE = 0x800,           // the camera white is held to the D50 white exactly
    FIT_FORWARD = 0x2000,        // the DCP forward matrix is computed
    FIT_MEAN = 0x8000,           // reweighted towards the mean colour difference
};

// Fit modes of the last pass.
enum : int {
    FIT_MODE_PLAIN = 0,
    FIT_MODE_FINAL = 2,       // reweighted towards the mean colour difference
    FIT_MODE_FINAL_LC = 3,    // the same with the "LC" patches weighing double
};

struct fit_start {
    double matrix[3][3];
    double gamma[3];
};

struct camera_fit {
    const progress_callbacks *callbacks = nullptr;
    device_model model;
    double ridge = 0.0;
    int flags = 0;
    int formula = 0;
    // >= 0: the formula the profile is judged by, in which the degree and
    // the ridge are cross-validated whatever the pass's own formula.
    int judged_formula = -1;
    int passes = 0;
    int evaluations = 0;
    int max_degree = 3;
    bool dcp = false;
    std::vector<fit_patch> patches;
    double white_device[3] = {1, 1, 1};
    fit_errors errors;
    double forward[3][3] = {};
    float statistics[7] = {};
    transfer_samples transfer = {0, 0, nullptr};  // applied before the model
};

engine_result fit_model_init(camera_fit *fit, const progress_callbacks *callbacks,
                             const prepared_data *data, bool dcp, int max_degree);
void fit_model_start(camera_fit *fit, const fit_start &start);

// One pass over the groups of flags, minimising the colour difference of the
// formula; progress runs from percent from to percent to of the callbacks.
// ENGINE_ABORTED when the abort function asks to stop.
engine_result fit_model_powell(camera_fit *fit, int flags, int formula, int mode,
                               double from, double to);

// Transfer curves applied before the profile: the fitted model then describes
// the data after them, and the A2B0 takes the raw device values.
engine_result fit_model_set_transfer(camera_fit *fit, const transfer_samples *transfer);

// Applies a transfer table (any length of 2 or more, values 0-65535) to a
// device value on 0-255; out-of-range values are clamped.
double apply_transfer(const uint16_t *table, int entries, double v);

// The fitted model into the tables: colorants (the matrix columns), TRCs
// (the curves, 256 entries), the private matrix.
void fit_model_to_tables(const camera_fit *fit, profile_tables *tables);

// The A2B0 CLUT from the fitted model: an 'mAB ' with an 'XYZ ' PCS, or an
// 'mft2'/'mAB ' with a 'Lab ' PCS. The grid is the table's own.
engine_result correct_lut_xyz(const camera_fit *fit, mab_table *table);
engine_result correct_lut_lab(const camera_fit *fit, profile_tables *tables);

// DNG matrices and tone curve of a fit.
void fit_model_dcp(const camera_fit *fit, dcp_model *out, double color_matrix[3][3],
                   double forward_matrix[3][3]);

// ---- the camera builder's helpers ------------------------------------------

// The camera-model renaming before UniqueCameraModel (on a copy): an empty or
// missing model becomes "Fujifilm X-T1", then the renaming rows in order.
std::string rename_camera_model(const char *model);

// Header fields of an input profile: device attributes from the options,
// input class, and the media white the preparation left in prefs.leading.
void set_input_header(profile_tables *tables, const profile_options &options,
                      const scan_prefs &prefs);

// Description from an output path: the text after the last separator, less
// its last four characters when it contains ".icc".
std::string profile_description(const char *output_path);

// ---- the camera builder's road -------------------------------------------

// What one camera build carries from stage to stage: the call, what the entry
// decides, and what the stages make. Owns its patch sets.
struct camera_build {
    // The call: the caller's tables, working sets and records, which the
    // stages change.
    engine_context *ctx = nullptr;
    profile_tables *tables = nullptr;
    patch_set *reference = nullptr;
    patch_set *measured = nullptr;
    const char *output_path = nullptr;
    float *gamma = nullptr;                         // four values
    profile_options *options = nullptr;
    fit_statistics *stats = nullptr;                // may be null
    const progress_callbacks *callbacks = nullptr;  // may be null
    unsigned char **buffer = nullptr;               // with size: the profile goes to memory
    uint32_t *size = nullptr;

    // Decided on entry.
    scan_prefs prefs{};  // this run's copy
    bool dcp = false;    // a DNG camera profile rather than an ICC profile
    bool matrix_only = false;
    dcp_options dcp_opts{};

    // Made by the stages.
    patch_set spare{};  // the merged reference before ignored patches leave: CamData.CIE
    patch_set lab{};    // the reference with the L*a*b* and XYZ of every patch
    bool dual = false;  // the dual-illuminant road: the second light's pair below
    patch_set second_measured{};
    patch_set second_reference{};
    prepared_data data;
    fit_start start{};  // the first fit's start, from the polynomial model
    camera_fit fit;
    icc_writer writer{};

    camera_build();
    ~camera_build();
    camera_build(const camera_build &) = delete;
    camera_build &operator=(const camera_build &) = delete;

    // The DCP fit flags and gamma stage: make-DCP or the override option.
    bool dcp_like() const;
    // The job's colour-difference formula (0 to 3; any other value gives 0).
    int formula() const;
    bool to_memory() const { return buffer && size; }
};

// The stages in the order the builder runs them; each returns the result that
// ends the build when nonzero. The preferences are chosen before the first
// (choose_scan_prefs), which adjusts them.

// The calculation mode as the camera builder treats it (the profile kind, the
// PCS, the XYZ and Lab mapping preferences) and the DNG options' defaults.
void apply_calculation_mode(camera_build &b);
// A spectral reference re-illuminated with the job's illuminant spectrum.
engine_result reilluminate_reference(camera_build &b);
// The dual-illuminant road: one chart measured under illuminant A and D65,
// split into two pairs, the first of which replaces the working sets.
engine_result split_dual_illuminant(camera_build &b);
// match_patch_sets, pair_patch_sets (keeping the spare copy), start_lab_set.
engine_result match_sets(camera_build &b);
engine_result pair_sets(camera_build &b);
engine_result make_lab_set(camera_build &b);
// The job's transfer curves applied to the device values of every set.
engine_result apply_transfer_curves(camera_build &b);
// How the white is mapped on the ICC road: hue kept in mode 0, not in mode 1.
engine_result choose_white_mapping(camera_build &b);
// The training data (the alternative preparation with the settings flag).
engine_result prepare_training_data(camera_build &b);
// The header fields and the description.
engine_result fill_profile_header(camera_build &b);
// The A2B0 layout: an 'mAB ' table for an XYZ PCS, an 'mft2' for Lab.
engine_result lay_out_tables(camera_build &b);
// The gamma stage and the polynomial model, the start of the fits.
engine_result fit_polynomial_model(camera_build &b);
// The staged Powell fits: the first pass, and unless quick three more.
engine_result run_first_fit(camera_build &b);
engine_result run_further_fits(camera_build &b);
// The ICC writer over the tables, and CamData.CIE embedded in it as 'targ'.
engine_result open_icc_writer(camera_build &b);
engine_result embed_characterisation(camera_build &b);
// The fitted parameters into the tables, the statistics and gammas out.
engine_result fitted_model_into_tables(camera_build &b);
// The ICC profile (to the file or memory) or the DNG camera profile.
engine_result write_icc_output(camera_build &b);
engine_result write_dcp_output(camera_build &b);

// The fit mode of the last pass: the "LC" patches weigh double when the
// merged reference holds the 140 patches of a chart with at least 4 of them.
int final_pass_mode(const patch_set &merged_reference);

}  // namespace vp_build
