// The spectral builder: fills the profile tables from a spectral (or
// colorimetric) reference; its dispatcher writes the profile.
#include "stages.h"

#include "engine/builders.h"
#include "engine/colour_maths.h"

#include <cmath>
#include <cstdio>
#include <cstring>

using namespace vp_build;

namespace {

struct sets {
    patch_set lab{};
    sets() { patch_set_init(&lab); }
    ~sets() { patch_set_free(&lab); }
};

}  // namespace

engine_result build_spectral_profile(engine_context *ctx, profile_tables *tables,
                                     patch_set *reference, patch_set *measured, float gamma[4],
                                     scan_prefs *given_prefs, profile_options *options,
                                     fit_statistics *stats, progress_callbacks *cb)
{
    if (!tables || !reference || !measured || !options || !gamma)
        return ENGINE_ERR_EMPTY;
    if (reference->count <= 0 || measured->count <= 0)
        return ENGINE_ERR_EMPTY;
    scan_prefs prefs = choose_scan_prefs(ctx, given_prefs);
    engine_result r;
    if ((r = match_patch_sets(measured, reference)) != ENGINE_OK ||
        (r = pair_patch_sets(measured, reference, spectra_rule::any_spectral, nullptr)) !=
            ENGINE_OK)
        return r;
    sets st;
    if ((r = start_lab_set(measured, reference, &st.lab, cb)) != ENGINE_OK)
        return r;
    prepared_data data;
    if ((r = prepare_patch_sets(measured, &st.lab, &prefs, &data)) != ENGINE_OK)
        return r;

    tables->colour_space = measured->data_space;
    set_input_header(tables, *options, prefs);
    if (tables->colour_space != SIG_RGB && tables->colour_space != SIG_LAB)
        return ENGINE_ERR_WRONG_KIND;
    tables->pcs = prefs.poly_quality == 1 ? SIG_XYZ : SIG_LAB;

    poly_model order1;
    if ((r = poly_model_init(&order1, 1, 3)) != ENGINE_OK)
        return r;
    if (prefs.iterate_on_gamma_basic &&
        (r = estimate_channel_gammas(&data, gamma, options->delta_e_formula)) != ENGINE_OK)
        return r;
    if ((r = build_device_to_pcs_table(&order1, &data, gamma, tables, stats)) != ENGINE_OK)
        return r;

    camera_fit fit;
    const int degree = prefs.poly_quality <= 1 ? 1 : prefs.poly_quality == 2 ? 2 : 3;
    if ((r = fit_model_init(&fit, cb, &data, false, degree)) != ENGINE_OK)
        return r;
    fit_start s{};
    for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k)
            s.matrix[j][k] = order1.model.coef[j][k];
    for (int c = 0; c < 3; ++c)
        s.gamma[c] = gamma[c];
    fit_model_start(&fit, s);
    const int formula = (options->delta_e_formula >= 0 && options->delta_e_formula <= 3)
                            ? options->delta_e_formula
                            : 0;
    if ((r = fit_model_powell(&fit, 73, 0, FIT_MODE_PLAIN, 0, 40)) != ENGINE_OK)
        return r;
    if (degree > 1 && (r = fit_model_powell(&fit, 1353, formula, FIT_MODE_FINAL, 40, 90)) !=
                          ENGINE_OK)
        return r;

    fit_model_to_tables(&fit, tables);
    if (stats)
        for (int k = 0; k < 7; ++k)
            stats->values[k] = fit.statistics[k];

    // The dispatcher writes the A2B0 of the tables: an 'mft2' of 33 points.
    tables->a2b0_lut.grid_points = 33;
    if (tables->pcs == SIG_LAB) {
        r = correct_lut_lab(&fit, tables);
    } else {
        // An 'mft2' with an XYZ PCS: the Lab fill with the XYZ encoding.
        lut_table &lut = tables->a2b0_lut;
        r = lut_table_alloc(&lut, ICC_TYPE_LUT16, 3, 3, 33, 256, 256);
        if (r == ENGINE_OK) {
            for (int c = 0; c < 3; ++c)
                for (int j = 0; j < 256; ++j)
                    lut.input_tables[c][j] = uint16_t(
                        std::lround(std::min(1.0, fit.model.curve[c].apply(j / 255.0)) * 65535));
            size_t n = 0;
            const int g = 33;
            for (int i = 0; i < g; ++i)
                for (int j = 0; j < g; ++j)
                    for (int k = 0; k < g; ++k) {
                        const double u[3] = {i / 32.0, j / 32.0, k / 32.0};
                        double xyz[3];
                        fit.model.apply_linear(u, xyz);
                        for (double v : xyz) {
                            const double e = v * 32768.0 / 65535.0;
                            lut.clut[n++] = uint16_t(
                                std::lround(std::max(0.0, std::min(1.0, e)) * 65535.0));
                        }
                    }
            lut.present = 1;
        }
    }
    if (r != ENGINE_OK) {
        lut_table_free(&tables->a2b0_lut);
        return r;
    }
    report_percent(cb, 100);
    return ENGINE_OK;
}
