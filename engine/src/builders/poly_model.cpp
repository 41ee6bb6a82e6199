// The polynomial device model that starts the fits, and the gamma stages.
#include "stages.h"

#include <algorithm>
#include <cmath>

namespace vp_build {

engine_result poly_model_init(poly_model *m, int order, int channels)
{
    if (!m)
        return ENGINE_ERR_NO_MEMORY;
    *m = poly_model();
    m->order = std::max(1, order);
    m->channels = channels;
    m->model.degree = 1;
    return channels == 3 ? ENGINE_OK : ENGINE_ERR_WRONG_KIND;
}

namespace {

engine_result fit_gammas(const prepared_data *data, float gamma[4], int formula)
{
    if (!data || data->patches.empty())
        return ENGINE_ERR_EMPTY;
    std::vector<fit_patch> patches = data->patches;
    prepare_metrics(patches, formula);
    device_model m;
    for (int c = 0; c < 3; ++c)
        m.curve[c].p[0] = gamma[c] > 0.0f ? gamma[c] : 1.0;
    fit_settings s;
    s.curve_shape = false;
    s.max_evaluations = 400;
    if (fit_curves(m, patches, s, fit_control()) != FIT_OK)
        return ENGINE_OK;  // the gammas stay as they were
    for (int c = 0; c < 3; ++c)
        gamma[c] = float(m.curve[c].p[0]);
    return ENGINE_OK;
}

}  // namespace

engine_result estimate_channel_gammas(const prepared_data *data, float gamma[4], int formula)
{
    return fit_gammas(data, gamma, formula);
}

engine_result estimate_channel_gammas_dcp(const prepared_data *data, float gamma[4],
                                          int formula)
{
    float g[4] = {1.0f, 1.0f, 1.0f, gamma[3]};
    engine_result r = fit_gammas(data, g, formula);
    if (r != ENGINE_OK)
        return r;
    // A raw camera is linear: small departures are noise, not a curve.
    for (int c = 0; c < 3; ++c)
        gamma[c] = std::fabs(g[c] - 1.0f) < 0.15f ? 1.0f : g[c];
    return ENGINE_OK;
}

engine_result build_device_to_pcs_table(poly_model *m, const prepared_data *data,
                                        const float gamma[4], profile_tables *tables,
                                        fit_statistics *stats)
{
    if (!m || !data || data->patches.empty())
        return ENGINE_ERR_EMPTY;
    std::vector<fit_patch> patches = data->patches;
    prepare_metrics(patches, 0);
    m->model.degree = 1;
    for (int c = 0; c < 3; ++c) {
        m->model.curve[c] = channel_curve();
        m->model.curve[c].p[0] = gamma[c] > 0.0f ? gamma[c] : 1.0;
    }
    bool ok = false;
    solve_coefficients(m->model, patches, 0.0, &ok);
    if (!ok)
        return ENGINE_ERR_WRONG_KIND;
    m->fitted = true;
    if (tables) {
        float *colorant[3] = {tables->red, tables->green, tables->blue};
        for (int k = 0; k < 3; ++k)
            for (int j = 0; j < 3; ++j)
                colorant[k][j] = float(m->model.coef[j][k]);
    }
    if (stats) {
        const fit_errors e = model_errors(m->model, patches, 0);
        stats->values[0] = float(e.mean);
        stats->values[1] = float(e.max);
    }
    return ENGINE_OK;
}

}  // namespace vp_build
