// The staged fit of the camera model and what is made from it: the ICC
// tables and the DNG matrices.
#include "stages.h"

#include "engine/colour_maths.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace vp_build {

namespace {

struct pass_control {
    const progress_callbacks *cb;
    double from, to;
    double part_from, part_to;  // the share of [from, to] of the current step
};

bool control_abort(void *user)
{
    return abort_requested(static_cast<pass_control *>(user)->cb);
}

void control_progress(void *user, double fraction)
{
    auto *c = static_cast<pass_control *>(user);
    const double f = c->part_from + (c->part_to - c->part_from) * fraction;
    report_percent(c->cb, c->from + (c->to - c->from) * f);
}

void fill_statistics(camera_fit *fit)
{
    fit->errors = model_errors(fit->model, fit->patches, fit->formula);
    int n = 0;
    for (const fit_patch &p : fit->patches)
        n += p.weight > 0.0;
    fit->statistics[0] = float(fit->errors.mean);
    fit->statistics[1] = float(fit->errors.max);
    fit->statistics[2] = float(fit->errors.p90);
    fit->statistics[3] = float(fit->errors.rms);
    fit->statistics[4] = float(n);
    fit->statistics[5] = float(fit->passes);
    fit->statistics[6] = float(fit->evaluations);
}

bool has_curves(const device_model &m)
{
    for (const channel_curve &c : m.curve)
        if (!c.is_identity())
            return true;
    return false;
}

fit_settings refit_settings(const camera_fit &fit)
{
    fit_settings s;
    s.degree = fit.model.degree;
    s.ridge = fit.ridge;
    s.max_evaluations = 800;
    return s;
}

// The curves fitted again from the model's; false when aborted. A failed
// fit keeps the model as it was.
bool refit_curves(camera_fit *fit, const fit_settings &s, const fit_control &control)
{
    device_model trial = fit->model;
    const fit_outcome c = fit_curves(trial, fit->patches, s, control, &fit->evaluations);
    if (c == FIT_ABORTED)
        return false;
    if (c == FIT_OK)
        fit->model = trial;
    return true;
}

}  // namespace

engine_result fit_model_init(camera_fit *fit, const progress_callbacks *callbacks,
                             const prepared_data *data, bool dcp, int max_degree)
{
    if (!fit || !data)
        return ENGINE_ERR_NO_MEMORY;
    *fit = camera_fit();
    fit->callbacks = callbacks;
    fit->dcp = dcp;
    fit->max_degree = std::max(1, std::min(3, max_degree));
    fit->patches = data->patches;
    for (int k = 0; k < 3; ++k)
        fit->white_device[k] = data->white_device[k];
    if (fit->patches.empty())
        return ENGINE_ERR_EMPTY;
    return ENGINE_OK;
}

void fit_model_start(camera_fit *fit, const fit_start &start)
{
    fit->model.degree = 1;
    std::memset(fit->model.coef, 0, sizeof fit->model.coef);
    for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k)
            fit->model.coef[j][k] = start.matrix[j][k];
    for (int c = 0; c < 3; ++c) {
        fit->model.curve[c] = channel_curve();
        fit->model.curve[c].p[0] = start.gamma[c] > 0.0 ? start.gamma[c] : 1.0;
    }
}

engine_result fit_model_powell(camera_fit *fit, int flags, int formula, int mode, double from,
                               double to)
{
    if (!fit || fit->patches.empty())
        return ENGINE_ERR_EMPTY;
    if (abort_requested(fit->callbacks))
        return ENGINE_ABORTED;
    fit->flags |= flags;
    fit->formula = (formula >= 0 && formula <= 3) ? formula : 0;
    ++fit->passes;
    prepare_metrics(fit->patches, fit->formula);

    pass_control pc{fit->callbacks, from, to, 0.0, 1.0};
    fit_control control;
    control.abort = control_abort;
    control.progress = control_progress;
    control.user = &pc;

    const bool hold_white = (flags & FIT_WHITE) != 0;
    const double *white = hold_white ? fit->white_device : nullptr;
    const double *white_xyz = hold_white ? cm_d50_white : nullptr;
    const bool linear = fit->dcp || (flags & FIT_LINEAR_RAW);
    const bool curves = !linear && (flags & (FIT_GAMMA | FIT_CURVE_SHAPE | FIT_QUICK));
    // A short fit is the profile's only pass: whatever its own formula, it
    // settles the model in the formula the profile is judged by.
    const bool short_only = (flags & FIT_QUICK) && fit->judged_formula >= 0;
    const int settle_formula = short_only ? fit->judged_formula : fit->formula;
    if (linear)
        for (channel_curve &c : fit->model.curve)
            c = channel_curve();

    // The curves, at the current degree. They are kept only when they beat
    // linear curves on cross-validation: a raw camera stays exactly linear.
    if (curves) {
        pc.part_from = 0.0;
        pc.part_to = (flags & FIT_NONLINEAR) ? 0.4 : 0.9;
        fit_settings s;
        s.degree = fit->model.degree;
        s.ridge = fit->ridge;
        s.curve_shape = (flags & FIT_CURVE_SHAPE) && !(flags & FIT_QUICK);
        s.max_evaluations = (flags & FIT_QUICK) ? 300 : 1500;
        s.white = white;
        s.white_xyz = white_xyz;
        device_model trial = fit->model;
        const fit_outcome o = fit_curves(trial, fit->patches, s, control, &fit->evaluations);
        if (o == FIT_ABORTED)
            return ENGINE_ABORTED;
        if (o == FIT_OK) {
            device_model lin = fit->model;
            for (channel_curve &c : lin.curve)
                c = channel_curve();
            const double e_lin = cv_error(lin, fit->patches, fit->ridge, settle_formula);
            const double e_fit = cv_error(trial, fit->patches, fit->ridge, settle_formula);
            fit->model = (e_fit < 0.9 * e_lin) ? trial : lin;
        }
    }
    bool ok = false;
    solve_coefficients(fit->model, fit->patches, fit->ridge, &ok, white, white_xyz);
    if (!ok)
        return ENGINE_ERR_WRONG_KIND;

    // The non-linear terms: degree and ridge by cross-validation, then the
    // curves again under the chosen model.
    if ((flags & FIT_NONLINEAR) && !fit->dcp && fit->max_degree > 1) {
        pc.part_from = 0.4;
        pc.part_to = 0.6;
        const int judged = fit->judged_formula >= 0 ? fit->judged_formula : fit->formula;
        const fit_outcome o = select_degree(fit->model, fit->patches, fit->max_degree, judged,
                                            control, &fit->ridge);
        if (o == FIT_ABORTED)
            return ENGINE_ABORTED;
        if (has_curves(fit->model) && fit->model.degree > 1) {
            pc.part_from = 0.6;
            pc.part_to = 0.95;
            fit_settings s = refit_settings(*fit);
            s.curve_shape = (flags & FIT_CURVE_SHAPE) != 0;
            if (!refit_curves(fit, s, control))
                return ENGINE_ABORTED;
        }
    }

    if (mode >= FIT_MODE_FINAL || (flags & FIT_MEAN)) {
        // Curves that earlier passes kept are polished on the mean colour
        // difference the final fit is judged by.
        if (has_curves(fit->model) && !linear && !(flags & FIT_QUICK)) {
            pc.part_from = 0.0;
            pc.part_to = 0.8;
            fit_settings s = refit_settings(*fit);
            s.white = white;
            s.white_xyz = white_xyz;
            s.mean_formula = fit->formula;
            if (!refit_curves(fit, s, control))
                return ENGINE_ABORTED;
        }
        std::vector<double> saved;
        if (mode == FIT_MODE_FINAL_LC)
            for (fit_patch &p : fit->patches) {
                saved.push_back(p.weight);
                if (p.low_chroma)
                    p.weight *= 2.0;
            }
        reweight_towards_mean(fit->model, fit->patches, fit->ridge, fit->formula, 4, white,
                              white_xyz);
        if (!saved.empty())
            for (size_t i = 0; i < saved.size(); ++i)
                fit->patches[i].weight = saved[i];
    } else if (short_only) {
        // The coefficients on that formula's quadratic form, reweighted
        // towards its mean as a full fit's last pass does; CIE76 alone leaves
        // the matrix of a raw camera visibly behind one fitted that way.
        prepare_metrics(fit->patches, settle_formula);
        solve_coefficients(fit->model, fit->patches, fit->ridge, &ok, white, white_xyz);
        if (ok)
            reweight_towards_mean(fit->model, fit->patches, fit->ridge, settle_formula, 4, white,
                                  white_xyz);
        prepare_metrics(fit->patches, fit->formula);
    } else {
        solve_coefficients(fit->model, fit->patches, fit->ridge, &ok, white, white_xyz);
    }
    if (flags & FIT_FORWARD) {
        double cm[3][3];
        dcp_model unused;
        fit_model_dcp(fit, &unused, cm, fit->forward);
    }
    fill_statistics(fit);
    report_percent(fit->callbacks, to);
    if (abort_requested(fit->callbacks))
        return ENGINE_ABORTED;
    return ENGINE_OK;
}

double apply_transfer(const uint16_t *table, int entries, double v)
{
    if (!table || entries < 2)
        return v;
    const double x = std::isfinite(v) ? std::min(255.0, std::max(0.0, v)) : 0.0;
    const double pos = x * (entries - 1) / 255.0;
    const int i = std::min(entries - 2, int(pos));
    const double f = pos - i;
    return ((1.0 - f) * table[i] + f * table[i + 1]) / 257.0;
}


namespace {

double through_transfer(const transfer_samples &t, int channel, double x)
{
    if (t.count <= 0 || t.entries < 2 || !t.curves)
        return x;
    const uint16_t *table = t.curves[t.count >= 3 ? channel : 0];
    return apply_transfer(table, t.entries, x * 255.0) / 255.0;
}

// The linear channel value the profile's input x (0..1) stands for.
double linear_of_input(const camera_fit *fit, int c, double x)
{
    return fit->model.curve[c].apply(through_transfer(fit->transfer, c, x));
}

uint16_t to16(double v)
{
    if (!(v > 0.0))
        return 0;
    if (v >= 1.0)
        return 65535;
    return uint16_t(std::lround(v * 65535.0));
}

// CIE lightness on 0..1 and its inverse: the grid coordinate of the Lab
// tables, in which L*a*b* is close to linear.
double lightness01(double y)
{
    if (y <= 0.0)
        return 0.0;
    return y > 216.0 / 24389.0 ? 1.16 * std::cbrt(y) - 0.16 : y * 24389.0 / 2700.0;
}

double inverse_lightness01(double t)
{
    if (t <= 0.0)
        return 0.0;
    if (t > 0.08) {
        const double f = (t + 0.16) / 1.16;
        return f * f * f;
    }
    return t * 2700.0 / 24389.0;
}

constexpr int kCurveEntries = 4096;

// The grid of a device-to-PCS table: even in the linear channel values, or
// in their CIE lightness.
struct table_grid {
    bool lightness;

    double coordinate(double u) const { return lightness ? lightness01(u) : u; }

    // The linear channel value at each of the g nodes.
    std::vector<double> nodes(int g) const
    {
        std::vector<double> v(static_cast<size_t>(g));
        for (int i = 0; i < g; ++i) {
            const double t = i / double(g - 1);
            v[size_t(i)] = lightness ? inverse_lightness01(t) : t;
        }
        return v;
    }

    // The input curves: each channel's device value to its grid coordinate.
    void fill_curves(const camera_fit *fit, uint16_t *const curves[]) const
    {
        for (int c = 0; c < 3; ++c)
            for (int j = 0; j < kCurveEntries; ++j)
                curves[c][j] =
                    to16(coordinate(linear_of_input(fit, c, j / double(kCurveEntries - 1))));
    }
};

}  // namespace

engine_result fit_model_set_transfer(camera_fit *fit, const transfer_samples *transfer)
{
    if (!fit)
        return ENGINE_ERR_EMPTY;
    if (!transfer || transfer->count <= 0 || transfer->entries < 2 || !transfer->curves) {
        fit->transfer = transfer_samples{0, 0, nullptr};
        return ENGINE_OK;
    }
    const int n = transfer->count >= 3 ? 3 : 1;
    for (int i = 0; i < n; ++i)
        if (!transfer->curves[i])
            return ENGINE_ERR_WRONG_KIND;
    fit->transfer = *transfer;
    return ENGINE_OK;
}

void fit_model_to_tables(const camera_fit *fit, profile_tables *tables)
{
    double lin[3][3];
    fit->model.linear_part(lin);
    float *colorant[3] = {tables->red, tables->green, tables->blue};
    for (int k = 0; k < 3; ++k)
        for (int j = 0; j < 3; ++j)
            colorant[k][j] = float(lin[j][k]);
    for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k)
            tables->private_matrix[j * 3 + k] = float(lin[j][k]);
    for (int c = 0; c < 3; ++c) {
        uint16_t *e = static_cast<uint16_t *>(std::malloc(256 * sizeof(uint16_t)));
        if (!e)
            continue;  // the one-entry curve the writer set stays
        for (int j = 0; j < 256; ++j)
            e[j] = to16(linear_of_input(fit, c, j / 255.0));
        std::free(tables->trc[c].entries);
        tables->trc[c].entries = e;
        tables->trc[c].count = 256;
    }
}

engine_result correct_lut_xyz(const camera_fit *fit, mab_table *table)
{
    if (!fit || !table)
        return ENGINE_ERR_EMPTY;
    const int g = table->grid_points >= 2 ? table->grid_points : 33;
    engine_result r = mab_table_alloc(table, 3, 3, g, kCurveEntries, 256);
    if (r != ENGINE_OK)
        return r;
    // A matrix model is linear in the channels, so a grid even in them holds
    // it exactly. The root terms of a higher degree bend most near black: a
    // grid spaced in lightness, as the Lab tables are, keeps the dark colours
    // of a raw camera out of a single first cell.
    const table_grid grid{fit->model.degree > 1};
    grid.fill_curves(fit, table->a_curves);
    const std::vector<double> node = grid.nodes(g);
    // PCS XYZ on 0..1 of its 16-bit encoding: X / (65535 / 32768).
    const double enc = 32768.0 / 65535.0;
    if (fit->model.degree == 1) {
        // A matrix goes into the table's matrix (s15Fixed16, exact to 1e-5
        // of each coefficient) behind an identity grid, whose black node is
        // exact. XYZ stored in the grid would carry the grid's 16-bit steps
        // over the whole XYZ range into every colour, black included: a
        // shift of a few hundredths of a* and b* in the deep shadows.
        size_t q = 0;
        for (int i = 0; i < g; ++i)
            for (int j = 0; j < g; ++j)
                for (int k = 0; k < g; ++k) {
                    table->clut[q++] = to16(node[size_t(i)]);
                    table->clut[q++] = to16(node[size_t(j)]);
                    table->clut[q++] = to16(node[size_t(k)]);
                }
        std::memset(table->matrix, 0, sizeof table->matrix);
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                table->matrix[j * 3 + k] = float(fit->model.coef[j][k] * enc);
        return ENGINE_OK;
    }
    // XYZ at every node, then a range that holds them: the CLUT keeps the
    // values a linear camera needs beyond the PCS (negative X or Z of a
    // saturated corner), and the matrix maps them back.
    std::vector<double> xyz(size_t(g) * g * g * 3);
    double lo = 0.0, hi = 1.0;
    size_t n = 0;
    for (int i = 0; i < g; ++i)
        for (int j = 0; j < g; ++j)
            for (int k = 0; k < g; ++k) {
                const double u[3] = {node[size_t(i)], node[size_t(j)], node[size_t(k)]};
                fit->model.apply_linear(u, &xyz[n]);
                for (int m = 0; m < 3; ++m) {
                    xyz[n + m] = std::max(-2.0, std::min(4.0, xyz[n + m]));
                    lo = std::min(lo, xyz[n + m]);
                    hi = std::max(hi, xyz[n + m]);
                }
                n += 3;
            }
    lo = std::floor(lo * 64.0) / 64.0;
    hi = std::ceil(hi * 64.0) / 64.0;
    const double range = hi - lo;
    for (size_t m = 0; m < xyz.size(); ++m)
        table->clut[m] = to16((xyz[m] - lo) / range);
    std::memset(table->matrix, 0, sizeof table->matrix);
    for (int m = 0; m < 3; ++m) {
        table->matrix[m * 4] = float(range * enc);
        table->matrix[9 + m] = float(lo * enc);
    }
    return ENGINE_OK;
}

engine_result correct_lut_lab(const camera_fit *fit, profile_tables *tables)
{
    if (!fit || !tables)
        return ENGINE_ERR_EMPTY;
    lut_table &lut = tables->a2b0_lut;
    const int g = lut.grid_points >= 2 ? lut.grid_points : 33;
    engine_result r = lut_table_alloc(&lut, ICC_TYPE_LUT16, 3, 3, g, kCurveEntries, 256);
    if (r != ENGINE_OK)
        return r;
    const table_grid grid{true};
    grid.fill_curves(fit, lut.input_tables);
    const std::vector<double> node = grid.nodes(g);
    size_t n = 0;
    for (int i = 0; i < g; ++i)
        for (int j = 0; j < g; ++j)
            for (int k = 0; k < g; ++k) {
                const double u[3] = {node[size_t(i)], node[size_t(j)], node[size_t(k)]};
                double xyz[3], lab[3];
                fit->model.apply_linear(u, xyz);
                for (double &v : xyz)
                    v = std::max(0.0, v);
                cm_xyz_to_lab(xyz, cm_d50_white, lab);
                encode_lab16_words(lab, true, &lut.clut[n]);
                n += 3;
            }
    lut.present = 1;
    return ENGINE_OK;
}

void fit_model_dcp(const camera_fit *fit, dcp_model *out, double color_matrix[3][3],
                   double forward_matrix[3][3])
{
    double lin[3][3];
    fit->model.linear_part(lin);
    Eigen::Matrix3d m;
    for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k)
            m(j, k) = lin[j][k];
    Eigen::Matrix3d cm = m.fullPivLu().isInvertible() ? Eigen::Matrix3d(m.inverse())
                                                      : Eigen::Matrix3d::Identity();
    // DNG readers take ColorMatrix up to scale; the convention is that the
    // largest camera channel of the D50 white is 1.
    const Eigen::Vector3d d50(cm_d50_white[0], cm_d50_white[1], cm_d50_white[2]);
    const double top = (cm * d50).maxCoeff();
    if (top > 1e-12)
        cm /= top;
    // ForwardMatrix: white-balanced camera to XYZ D50, (1, 1, 1) to D50.
    Eigen::Vector3d neutral = cm * d50;
    Eigen::Matrix3d fm = m * neutral.asDiagonal();
    const Eigen::Vector3d w = fm * Eigen::Vector3d::Ones();
    for (int j = 0; j < 3; ++j)
        if (std::fabs(w(j)) > 1e-12)
            fm.row(j) *= d50(j) / w(j);
    for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k) {
            color_matrix[j][k] = cm(j, k);
            forward_matrix[j][k] = fm(j, k);
            out->colour_matrix[j * 3 + k] = float(cm(j, k));
        }
    // Tone curve: the mean of the channels' curves, scaled to end at 1.
    double end = 0.0;
    for (int c = 0; c < 3; ++c)
        end += fit->model.curve[c].apply(1.0);
    for (int j = 0; j < DCP_TONE_CURVE_POINTS; ++j) {
        double s = 0.0;
        for (int c = 0; c < 3; ++c)
            s += fit->model.curve[c].apply(j / 255.0);
        out->tone_curve[j] = float(end > 0.0 ? s / end : j / 255.0);
    }
}

}  // namespace vp_build

engine_result fit_model_tone_curve(const fit_model *model, float y[256])
{
    if (!model || model->channels <= 0 || !y)
        return ENGINE_ERR_EMPTY;
    double end = 0.0;
    auto curve = [&](int c, double v) {
        const fit_model_curve &k = model->curve[c];
        const double base = std::pow(std::max(0.0, (v + k.offset0) / (1.0 + k.offset0)), k.gamma);
        const double alt = std::pow(std::max(0.0, v), k.gamma2);
        return k.scale * ((1.0 - k.offset1) * base + k.offset1 * alt);
    };
    const int n = std::min(3, model->channels);
    for (int c = 0; c < n; ++c)
        end += curve(c, 1.0);
    for (int j = 0; j < 256; ++j) {
        double s = 0.0;
        for (int c = 0; c < n; ++c)
            s += curve(c, j / 255.0);
        y[j] = float(end > 0.0 ? s / end : j / 255.0);
    }
    y[0] = 0.0f;
    y[255] = 1.0f;
    return ENGINE_OK;
}
