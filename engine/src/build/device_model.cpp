#include "device_model.h"

#include "engine/colour_maths.h"

#include <Eigen/Dense>
#include <nlopt.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vp_build {

namespace {

constexpr double kCurveLower[CURVE_PARAMS] = {0.25, -3.0, -3.0, -3.0};
constexpr double kCurveUpper[CURVE_PARAMS] = {4.0, 3.0, 3.0, 3.0};

double clamp_nonneg(double v)
{
    return v > 0.0 ? v : 0.0;
}

double de(const double xyz_model[3], const double lab_ref[3], int formula)
{
    double lab[3];
    cm_xyz_to_lab(xyz_model, cm_d50_white, lab);
    return cm_delta_e(lab_ref, lab, formula == 3 ? CM_DE_CIEDE2000 : formula);
}

}  // namespace

double channel_curve::apply(double x) const
{
    if (!(x > 0.0))
        return 0.0;
    const double d = x - 1.0;
    const double e = p[1] * d + p[2] * d * d + p[3] * d * d * d;
    return std::pow(x, p[0]) * std::exp(std::max(-50.0, std::min(50.0, e)));
}

double channel_curve::inverse(double u, double xmax) const
{
    if (!(u > 0.0))
        return 0.0;
    double lo = 0.0, hi = xmax;
    if (apply(hi) <= u)
        return hi;
    for (int i = 0; i < 60; ++i) {
        const double mid = 0.5 * (lo + hi);
        (apply(mid) < u ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

bool channel_curve::is_identity() const
{
    return p[0] == 1.0 && p[1] == 0.0 && p[2] == 0.0 && p[3] == 0.0;
}

bool channel_curve::is_monotone() const
{
    double prev = 0.0;
    for (int i = 1; i <= 300; ++i) {
        const double u = apply(i / 200.0);
        if (!(u > prev) || !std::isfinite(u))
            return false;
        prev = u;
    }
    return true;
}

int term_count(int degree)
{
    return degree <= 1 ? 3 : degree == 2 ? 6 : 13;
}

int root_poly_terms(const double uin[3], int degree, double phi[MAX_TERMS])
{
    const double r = clamp_nonneg(uin[0]), g = clamp_nonneg(uin[1]), b = clamp_nonneg(uin[2]);
    phi[0] = r;
    phi[1] = g;
    phi[2] = b;
    if (degree <= 1)
        return 3;
    phi[3] = std::sqrt(r * g);
    phi[4] = std::sqrt(g * b);
    phi[5] = std::sqrt(r * b);
    if (degree == 2)
        return 6;
    phi[6] = std::cbrt(r * g * g);
    phi[7] = std::cbrt(r * b * b);
    phi[8] = std::cbrt(g * b * b);
    phi[9] = std::cbrt(g * r * r);
    phi[10] = std::cbrt(b * r * r);
    phi[11] = std::cbrt(b * g * g);
    phi[12] = std::cbrt(r * g * b);
    return 13;
}

void device_model::apply_linear(const double u[3], double xyz[3]) const
{
    double phi[MAX_TERMS];
    const int n = root_poly_terms(u, degree, phi);
    for (int j = 0; j < 3; ++j) {
        double s = 0.0;
        for (int t = 0; t < n; ++t)
            s += coef[j][t] * phi[t];
        xyz[j] = s;
    }
}

void device_model::apply(const double x[3], double xyz[3]) const
{
    const double u[3] = {curve[0].apply(x[0]), curve[1].apply(x[1]), curve[2].apply(x[2])};
    apply_linear(u, xyz);
}

void device_model::linear_part(double lin[3][3]) const
{
    for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k)
            lin[j][k] = coef[j][k];
}

void delta_metric(const double xyz[3], int formula, double g[3][3])
{
    // Jacobian of Lab by XYZ, by central differences.
    double lab0[3];
    cm_xyz_to_lab(xyz, cm_d50_white, lab0);
    double jac[3][3];
    for (int k = 0; k < 3; ++k) {
        const double h = 1e-5 + 1e-4 * std::fabs(xyz[k]);
        double p[3] = {xyz[0], xyz[1], xyz[2]}, m[3] = {xyz[0], xyz[1], xyz[2]};
        p[k] += h;
        m[k] -= h;
        double lp[3], lm[3];
        cm_xyz_to_lab(p, cm_d50_white, lp);
        cm_xyz_to_lab(m, cm_d50_white, lm);
        for (int i = 0; i < 3; ++i)
            jac[i][k] = (lp[i] - lm[i]) / (2 * h);
    }
    // Quadratic form of the formula in Lab: H with dE^2 ~ dLab^T H dLab.
    double hl[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    if (formula != 0) {
        const int f = formula == 3 ? CM_DE_CIEDE2000 : formula;
        const double step = 0.2;
        auto e2 = [&](const double d[3]) {
            const double lab1[3] = {lab0[0] + d[0], lab0[1] + d[1], lab0[2] + d[2]};
            const double v = cm_delta_e(lab0, lab1, f);
            return v * v;
        };
        double diag[3];
        for (int i = 0; i < 3; ++i) {
            double d[3] = {0, 0, 0};
            d[i] = step;
            double dm[3] = {0, 0, 0};
            dm[i] = -step;
            diag[i] = 0.5 * (e2(d) + e2(dm)) / (step * step);
        }
        for (int i = 0; i < 3; ++i)
            for (int k = 0; k < 3; ++k) {
                if (i == k) {
                    hl[i][k] = diag[i];
                    continue;
                }
                double d[3] = {0, 0, 0};
                d[i] = step;
                d[k] = step;
                double dm[3] = {0, 0, 0};
                dm[i] = -step;
                dm[k] = -step;
                const double both = 0.5 * (e2(d) + e2(dm)) / (step * step);
                hl[i][k] = 0.5 * (both - diag[i] - diag[k]);
            }
        // Keep the form positive definite (CIEDE2000 is not smooth at grey).
        Eigen::Matrix3d h;
        for (int i = 0; i < 3; ++i)
            for (int k = 0; k < 3; ++k)
                h(i, k) = 0.5 * (hl[i][k] + hl[k][i]);
        Eigen::SelfAdjointEigenSolver<Eigen::Matrix3d> es(h);
        Eigen::Vector3d ev = es.eigenvalues().cwiseMax(0.05);
        h = es.eigenvectors() * ev.asDiagonal() * es.eigenvectors().transpose();
        for (int i = 0; i < 3; ++i)
            for (int k = 0; k < 3; ++k)
                hl[i][k] = h(i, k);
    }
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) {
            double s = 0.0;
            for (int i = 0; i < 3; ++i)
                for (int k = 0; k < 3; ++k)
                    s += jac[i][a] * hl[i][k] * jac[k][b];
            g[a][b] = s;
        }
}

void prepare_metrics(std::vector<fit_patch> &patches, int formula)
{
    for (fit_patch &p : patches) {
        delta_metric(p.xyz, formula, p.metric);
        cm_xyz_to_lab(p.xyz, cm_d50_white, p.lab);
    }
}

double solve_coefficients(device_model &model, const std::vector<fit_patch> &patches,
                          double ridge, bool *ok, const double *white, const double *white_xyz)
{
    const int nt = term_count(model.degree);
    const int n = 3 * nt;
    Eigen::MatrixXd N = Eigen::MatrixXd::Zero(n, n);
    Eigen::VectorXd rhs = Eigen::VectorXd::Zero(n);
    double phi[MAX_TERMS];
    auto add = [&](const double u[3], const double y[3], const double g[3][3], double w) {
        root_poly_terms(u, model.degree, phi);
        for (int j = 0; j < 3; ++j) {
            double gy = 0.0;
            for (int k = 0; k < 3; ++k)
                gy += g[j][k] * y[k];
            for (int t = 0; t < nt; ++t) {
                rhs(j * nt + t) += w * phi[t] * gy;
                for (int k = 0; k < 3; ++k) {
                    const double wg = w * g[j][k];
                    for (int s = 0; s < nt; ++s)
                        N(j * nt + t, k * nt + s) += wg * phi[t] * phi[s];
                }
            }
        }
    };
    double total_weight = 0.0;
    for (const fit_patch &p : patches) {
        if (!(p.weight > 0.0))
            continue;
        const double u[3] = {model.curve[0].apply(p.x[0]), model.curve[1].apply(p.x[1]),
                             model.curve[2].apply(p.x[2])};
        add(u, p.xyz, p.metric, p.weight);
        total_weight += p.weight;
    }
    if (white && white_xyz) {
        // The white is held by a weight far above the data's.
        double g[3][3];
        delta_metric(white_xyz, 0, g);
        const double u[3] = {model.curve[0].apply(white[0]), model.curve[1].apply(white[1]),
                             model.curve[2].apply(white[2])};
        add(u, white_xyz, g, 1e4 * std::max(1.0, total_weight));
    }
    const double scale = N.trace() / n;
    for (int j = 0; j < 3; ++j)
        for (int t = 3; t < nt; ++t)
            N(j * nt + t, j * nt + t) += ridge * scale;
    // A whisper of regularisation keeps degenerate sets solvable.
    N.diagonal().array() += 1e-12 * scale;
    Eigen::LDLT<Eigen::MatrixXd> ldlt(N);
    Eigen::VectorXd a = ldlt.solve(rhs);
    const bool good = ldlt.info() == Eigen::Success && a.allFinite();
    if (ok)
        *ok = good;
    if (!good)
        return HUGE_VAL;
    std::memset(model.coef, 0, sizeof model.coef);
    for (int j = 0; j < 3; ++j)
        for (int t = 0; t < nt; ++t)
            model.coef[j][t] = a(j * nt + t);
    double sum = 0.0;
    for (const fit_patch &p : patches) {
        if (!(p.weight > 0.0))
            continue;
        double xyz[3];
        model.apply(p.x, xyz);
        const double d[3] = {xyz[0] - p.xyz[0], xyz[1] - p.xyz[1], xyz[2] - p.xyz[2]};
        double q = 0.0;
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                q += d[j] * p.metric[j][k] * d[k];
        sum += p.weight * q;
    }
    return sum;
}

namespace {

struct curve_problem {
    device_model *model;
    const std::vector<fit_patch> *patches;
    const fit_settings *settings;
    const fit_control *control;
    int evaluations;
    bool aborted;
    double best;
};

void unpack(const double *v, const fit_settings &s, device_model &m)
{
    const int per = s.curve_shape ? CURVE_PARAMS : 1;
    for (int c = 0; c < 3; ++c)
        for (int k = 0; k < per; ++k)
            m.curve[c].p[k] = v[c * per + k];
}

double curve_objective(unsigned n, const double *v, double *, void *data)
{
    auto *pr = static_cast<curve_problem *>(data);
    ++pr->evaluations;
    if (pr->control->abort && (pr->evaluations & 15) == 0 &&
        pr->control->abort(pr->control->user)) {
        pr->aborted = true;
        return HUGE_VAL;
    }
    if (pr->control->progress && (pr->evaluations & 31) == 0)
        pr->control->progress(pr->control->user,
                              std::min(1.0, double(pr->evaluations) /
                                                pr->settings->max_evaluations));
    (void)n;
    device_model m = *pr->model;
    unpack(v, *pr->settings, m);
    for (const channel_curve &c : m.curve)
        if (!c.is_monotone())
            return 1e30;
    bool ok = false;
    const double r = solve_coefficients(m, *pr->patches, pr->settings->ridge, &ok,
                                        pr->settings->white, pr->settings->white_xyz);
    if (!ok)
        return 1e30;
    if (pr->settings->mean_formula < 0)
        return r;
    double sum = 0.0;
    for (const fit_patch &p : *pr->patches) {
        if (!(p.weight > 0.0))
            continue;
        double xyz[3];
        m.apply(p.x, xyz);
        sum += p.weight * de(xyz, p.lab, pr->settings->mean_formula);
    }
    return sum;
}

}  // namespace

fit_outcome fit_curves(device_model &model, const std::vector<fit_patch> &patches,
                       const fit_settings &settings, const fit_control &control)
{
    bool ok = false;
    if (!settings.fit_curves) {
        solve_coefficients(model, patches, settings.ridge, &ok, settings.white,
                           settings.white_xyz);
        return ok ? FIT_OK : FIT_FAILED;
    }
    const int per = settings.curve_shape ? CURVE_PARAMS : 1;
    const unsigned n = unsigned(3 * per);
    std::vector<double> v(n), lo(n), hi(n), step(n);
    for (int c = 0; c < 3; ++c)
        for (int k = 0; k < per; ++k) {
            const int i = c * per + k;
            lo[i] = kCurveLower[k];
            hi[i] = kCurveUpper[k];
            v[i] = std::min(hi[i], std::max(lo[i], model.curve[c].p[k]));
            step[i] = k == 0 ? 0.1 : 0.05;
        }
    curve_problem pr{&model, &patches, &settings, &control, 0, false, 0.0};
    nlopt_opt opt = nlopt_create(NLOPT_LN_BOBYQA, n);
    if (!opt)
        return FIT_FAILED;
    nlopt_set_lower_bounds(opt, lo.data());
    nlopt_set_upper_bounds(opt, hi.data());
    nlopt_set_initial_step(opt, step.data());
    nlopt_set_min_objective(opt, curve_objective, &pr);
    nlopt_set_xtol_rel(opt, 1e-7);
    nlopt_set_ftol_rel(opt, 1e-10);
    nlopt_set_maxeval(opt, settings.max_evaluations);
    double f = 0.0;
    nlopt_optimize(opt, v.data(), &f);
    nlopt_destroy(opt);
    if (pr.aborted)
        return FIT_ABORTED;
    device_model trial = model;
    unpack(v.data(), settings, trial);
    for (const channel_curve &c : trial.curve)
        if (!c.is_monotone())
            return FIT_FAILED;
    solve_coefficients(trial, patches, settings.ridge, &ok, settings.white, settings.white_xyz);
    if (!ok)
        return FIT_FAILED;
    model = trial;
    return FIT_OK;
}

double cv_error(const device_model &model, const std::vector<fit_patch> &patches, double ridge,
                int formula)
{
    constexpr int folds = 5;
    double sum = 0.0;
    int count = 0;
    for (int f = 0; f < folds; ++f) {
        std::vector<fit_patch> train = patches;
        for (size_t i = 0; i < train.size(); ++i)
            if (int(i % folds) == f)
                train[i].weight = 0.0;
        device_model m = model;
        bool ok = false;
        solve_coefficients(m, train, ridge, &ok);
        if (!ok)
            return HUGE_VAL;
        for (size_t i = 0; i < patches.size(); ++i) {
            if (int(i % folds) != f || !(patches[i].weight > 0.0))
                continue;
            double xyz[3];
            m.apply(patches[i].x, xyz);
            sum += de(xyz, patches[i].lab, formula);
            ++count;
        }
    }
    return count ? sum / count : HUGE_VAL;
}

fit_outcome select_degree(device_model &model, const std::vector<fit_patch> &patches,
                          int max_degree, int formula, const fit_control &control,
                          double *chosen_ridge)
{
    static const double ridges[] = {0.0, 1e-7, 1e-6, 1e-5, 1e-4, 1e-3, 1e-2, 3e-2, 1e-1, 3e-1};
    struct candidate {
        int degree;
        double ridge;
        double error;
    };
    std::vector<candidate> cands;
    int used = 0;
    for (const fit_patch &p : patches)
        used += p.weight > 0.0;
    const int top = used >= 40 ? std::min(3, max_degree) : used >= 20 ? std::min(2, max_degree) : 1;
    const int total = 1 + (top - 1) * int(sizeof ridges / sizeof ridges[0]);
    int done = 0;
    for (int d = 1; d <= top; ++d) {
        const int nr = d == 1 ? 1 : int(sizeof ridges / sizeof ridges[0]);
        for (int ri = 0; ri < nr; ++ri) {
            if (control.abort && control.abort(control.user))
                return FIT_ABORTED;
            const double ridge = d == 1 ? 0.0 : ridges[ri];
            device_model m = model;
            m.degree = d;
            cands.push_back({d, ridge, cv_error(m, patches, ridge, formula)});
            ++done;
            if (control.progress)
                control.progress(control.user, double(done) / total);
        }
    }
    double best = HUGE_VAL;
    for (const candidate &c : cands)
        best = std::min(best, c.error);
    // Among the candidates within 0.5 % of the best, the simplest: the lowest
    // degree, then the strongest ridge.
    candidate pick = cands.front();
    bool found = false;
    for (const candidate &c : cands) {
        if (!(c.error <= best * 1.005))
            continue;
        if (!found || c.degree < pick.degree ||
            (c.degree == pick.degree && c.ridge > pick.ridge)) {
            pick = c;
            found = true;
        }
    }
    model.degree = pick.degree;
    bool ok = false;
    solve_coefficients(model, patches, pick.ridge, &ok);
    if (chosen_ridge)
        *chosen_ridge = pick.ridge;
    return ok ? FIT_OK : FIT_FAILED;
}

void reweight_towards_mean(device_model &model, std::vector<fit_patch> &patches, double ridge,
                           int formula, int iterations, const double *white,
                           const double *white_xyz)
{
    std::vector<double> base(patches.size());
    for (size_t i = 0; i < patches.size(); ++i)
        base[i] = patches[i].weight;
    for (int it = 0; it < iterations; ++it) {
        double mean = 0.0;
        int n = 0;
        std::vector<double> e(patches.size(), 0.0);
        for (size_t i = 0; i < patches.size(); ++i) {
            if (!(base[i] > 0.0))
                continue;
            double xyz[3];
            model.apply(patches[i].x, xyz);
            e[i] = de(xyz, patches[i].lab, formula);
            mean += e[i];
            ++n;
        }
        if (n == 0)
            break;
        mean /= n;
        const double floor = std::max(0.05, 0.25 * mean);
        for (size_t i = 0; i < patches.size(); ++i)
            if (base[i] > 0.0)
                patches[i].weight = base[i] / std::max(floor, e[i]);
        device_model trial = model;
        bool ok = false;
        solve_coefficients(trial, patches, ridge, &ok, white, white_xyz);
        if (ok)
            model = trial;
    }
    for (size_t i = 0; i < patches.size(); ++i)
        patches[i].weight = base[i];
}

double percentile90(std::vector<double> v)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    const double pos = 0.9 * double(v.size() - 1);
    const size_t k = size_t(pos);
    if (k + 1 >= v.size())
        return v.back();
    return v[k] + (pos - double(k)) * (v[k + 1] - v[k]);
}

fit_errors model_errors(const device_model &model, const std::vector<fit_patch> &patches,
                        int formula)
{
    fit_errors r;
    std::vector<double> e;
    for (const fit_patch &p : patches) {
        if (!(p.weight > 0.0))
            continue;
        double xyz[3];
        model.apply(p.x, xyz);
        e.push_back(de(xyz, p.lab, formula));
    }
    if (e.empty())
        return r;
    double sq = 0.0;
    for (double v : e) {
        r.mean += v;
        sq += v * v;
        r.max = std::max(r.max, v);
    }
    r.mean /= double(e.size());
    r.rms = std::sqrt(sq / double(e.size()));
    r.p90 = percentile90(e);
    return r;
}

void bradford_matrix(const double from[3], const double to[3], double m[3][3])
{
    Eigen::Matrix3d b;
    b << 0.8951, 0.2664, -0.1614, -0.7502, 1.7135, 0.0367, 0.0389, -0.0685, 1.0296;
    const Eigen::Vector3d rf = b * Eigen::Vector3d(from[0], from[1], from[2]);
    const Eigen::Vector3d rt = b * Eigen::Vector3d(to[0], to[1], to[2]);
    Eigen::Vector3d ratio;
    for (int i = 0; i < 3; ++i)
        ratio(i) = std::fabs(rf(i)) > 1e-12 ? rt(i) / rf(i) : 1.0;
    const Eigen::Matrix3d r = b.inverse() * ratio.asDiagonal() * b;
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 3; ++k)
            m[i][k] = r(i, k);
}

}  // namespace vp_build
