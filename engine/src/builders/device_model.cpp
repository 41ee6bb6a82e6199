#include "device_model.h"

#include "engine/colour_maths.h"

#include <Eigen/Dense>
#include <nlopt.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

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

// The logarithm of the curve at x, from log x and x - 1.
double log_curve(const double p[CURVE_PARAMS], double log_x, double d)
{
    const double e = p[1] * d + p[2] * d * d + p[3] * d * d * d;
    return p[0] * log_x + std::max(-50.0, std::min(50.0, e));
}

// The curve at x from log x and x - 1: the device values are fixed while a fit
// moves the curves, so their logarithms are taken once.
double curve_from_log(const double p[CURVE_PARAMS], double log_x, double d)
{
    return std::exp(log_curve(p, log_x, d));
}

constexpr int kMonotoneSteps = 200;
constexpr double kMonotoneStep = 1.0 / kMonotoneSteps;

}  // namespace

double channel_curve::apply(double x) const
{
    if (!(x > 0.0))
        return 0.0;
    return curve_from_log(p, std::log(x), x - 1.0);
}

bool channel_curve::is_identity() const
{
    return p[0] == 1.0 && p[1] == 0.0 && p[2] == 0.0 && p[3] == 0.0;
}

bool channel_curve::is_monotone() const
{
    static const std::vector<double> logs = [] {
        std::vector<double> v(kMonotoneSteps);
        for (int i = 0; i < kMonotoneSteps; ++i)
            v[size_t(i)] = std::log((i + 1) * kMonotoneStep);
        return v;
    }();
    // The exponential is increasing: the curve rises where its logarithm does
    // (which spares an exponential per step of every fit evaluation).
    double prev = -std::numeric_limits<double>::infinity();
    for (int i = 0; i < kMonotoneSteps; ++i) {
        const double u = log_curve(p, logs[size_t(i)], (i + 1) * kMonotoneStep - 1.0);
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
    // Products of the channels' own roots: sqrt(r g) = sqrt(r) sqrt(g), and
    // no product underflows before its root is taken.
    const double sr = std::sqrt(r), sg = std::sqrt(g), sb = std::sqrt(b);
    phi[3] = sr * sg;
    phi[4] = sg * sb;
    phi[5] = sr * sb;
    if (degree == 2)
        return 6;
    const double cr = std::cbrt(r), cg = std::cbrt(g), cb = std::cbrt(b);
    phi[6] = cr * cg * cg;
    phi[7] = cr * cb * cb;
    phi[8] = cg * cb * cb;
    phi[9] = cg * cr * cr;
    phi[10] = cb * cr * cr;
    phi[11] = cb * cg * cg;
    phi[12] = cr * cg * cb;
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

namespace {

// The six distinct entries of a symmetric 3 x 3 form, and their places.
constexpr int kPairs = 6;
constexpr int kPairRow[kPairs] = {0, 0, 0, 1, 1, 2};
constexpr int kPairCol[kPairs] = {0, 1, 2, 1, 2, 2};

// The solve proper, from the linear channel values u (three per patch in
// the patches' order; those of unweighted patches are not read). The
// normal equations are assembled block by block: block (j, k) is
// Phi^T diag(w g_jk) Phi over the patches' terms Phi. xyz, when given,
// receives the fitted XYZ of every weighted patch.
double solve_linear(device_model &model, const std::vector<fit_patch> &patches, const double *u,
                    double ridge, bool *ok, const double *white_u, const double *white_xyz,
                    std::vector<double> *xyz)
{
    const int nt = term_count(model.degree);
    const int n = 3 * nt;
    std::vector<size_t> used;
    used.reserve(patches.size());
    for (size_t i = 0; i < patches.size(); ++i)
        if (patches[i].weight > 0.0)
            used.push_back(i);
    const bool hold = white_u && white_xyz;
    const Eigen::Index data_rows = Eigen::Index(used.size());
    const Eigen::Index rows = data_rows + (hold ? 1 : 0);
    Eigen::MatrixXd phi(rows, nt), y(rows, 3), wg(rows, kPairs);
    double term[MAX_TERMS];
    auto put = [&](Eigen::Index r, const double uu[3], const double yy[3], const double g[3][3],
                   double w) {
        root_poly_terms(uu, model.degree, term);
        for (int t = 0; t < nt; ++t)
            phi(r, t) = term[t];
        for (int j = 0; j < 3; ++j)
            y(r, j) = yy[j];
        for (int q = 0; q < kPairs; ++q) {
            const int j = kPairRow[q], k = kPairCol[q];
            wg(r, q) = w * 0.5 * (g[j][k] + g[k][j]);
        }
    };
    double total_weight = 0.0;
    for (Eigen::Index r = 0; r < data_rows; ++r) {
        const fit_patch &p = patches[used[size_t(r)]];
        put(r, &u[3 * used[size_t(r)]], p.xyz, p.metric, p.weight);
        total_weight += p.weight;
    }
    if (hold) {
        // The white is held by a weight far above the data's.
        double g[3][3];
        delta_metric(white_xyz, 0, g);
        put(data_rows, white_u, white_xyz, g, 1e4 * std::max(1.0, total_weight));
    }

    // Each block is symmetric: the distinct products phi_t phi_s (t <= s) of
    // every patch, weighted by the six entries of its form in one product.
    const int np = nt * (nt + 1) / 2;
    Eigen::MatrixXd products(rows, np);
    for (Eigen::Index r = 0; r < rows; ++r)
        for (int t = 0, c = 0; t < nt; ++t)
            for (int s2 = t; s2 < nt; ++s2, ++c)
                products(r, c) = phi(r, t) * phi(r, s2);
    const Eigen::MatrixXd sums = wg.transpose() * products;  // kPairs x np
    Eigen::MatrixXd N(n, n);
    for (int q = 0; q < kPairs; ++q) {
        const int j = kPairRow[q], k = kPairCol[q];
        for (int t = 0, c = 0; t < nt; ++t)
            for (int s2 = t; s2 < nt; ++s2, ++c) {
                const double v = sums(q, c);
                N(j * nt + t, k * nt + s2) = N(j * nt + s2, k * nt + t) = v;
                N(k * nt + t, j * nt + s2) = N(k * nt + s2, j * nt + t) = v;
            }
    }
    Eigen::MatrixXd gy = Eigen::MatrixXd::Zero(rows, 3);  // w G y, row by row
    for (int q = 0; q < kPairs; ++q) {
        const int j = kPairRow[q], k = kPairCol[q];
        gy.col(j) += wg.col(q).cwiseProduct(y.col(k));
        if (j != k)
            gy.col(k) += wg.col(q).cwiseProduct(y.col(j));
    }
    Eigen::VectorXd rhs(n);
    for (int j = 0; j < 3; ++j)
        rhs.segment(j * nt, nt).noalias() = phi.transpose() * gy.col(j);

    const double scale = N.trace() / n;
    for (int j = 0; j < 3; ++j)
        for (int t = 3; t < nt; ++t)
            N(j * nt + t, j * nt + t) += ridge * scale;
    // A whisper of regularisation keeps degenerate sets solvable.
    N.diagonal().array() += 1e-12 * scale;
    Eigen::LDLT<Eigen::MatrixXd> ldlt(N);
    const Eigen::VectorXd a = ldlt.solve(rhs);
    const bool good = ldlt.info() == Eigen::Success && a.allFinite();
    if (ok)
        *ok = good;
    if (!good)
        return HUGE_VAL;
    std::memset(model.coef, 0, sizeof model.coef);
    Eigen::MatrixXd coef(nt, 3);
    for (int j = 0; j < 3; ++j)
        for (int t = 0; t < nt; ++t)
            model.coef[j][t] = coef(t, j) = a(j * nt + t);

    const Eigen::MatrixXd fitted = phi.topRows(data_rows) * coef;
    const Eigen::MatrixXd d = fitted - y.topRows(data_rows);
    double sum = 0.0;
    for (Eigen::Index r = 0; r < data_rows; ++r) {
        double s = 0.0;
        for (int q = 0; q < kPairs; ++q) {
            const int j = kPairRow[q], k = kPairCol[q];
            s += (j == k ? 1.0 : 2.0) * wg(r, q) * d(r, j) * d(r, k);
        }
        sum += s;
    }
    if (xyz) {
        xyz->assign(3 * patches.size(), 0.0);
        for (Eigen::Index r = 0; r < data_rows; ++r)
            for (int j = 0; j < 3; ++j)
                (*xyz)[3 * used[size_t(r)] + size_t(j)] = fitted(r, j);
    }
    return sum;
}

// The linear channel values of the weighted patches under the model's curves.
std::vector<double> linear_values(const device_model &model, const std::vector<fit_patch> &patches)
{
    std::vector<double> u(3 * patches.size(), 0.0);
    for (size_t i = 0; i < patches.size(); ++i)
        if (patches[i].weight > 0.0)
            for (int c = 0; c < 3; ++c)
                u[3 * i + size_t(c)] = model.curve[c].apply(patches[i].x[c]);
    return u;
}

}  // namespace

double solve_coefficients(device_model &model, const std::vector<fit_patch> &patches,
                          double ridge, bool *ok, const double *white, const double *white_xyz)
{
    const std::vector<double> u = linear_values(model, patches);
    double white_u[3];
    if (white)
        for (int c = 0; c < 3; ++c)
            white_u[c] = model.curve[c].apply(white[c]);
    return solve_linear(model, patches, u.data(), ridge, ok, white ? white_u : nullptr, white_xyz,
                        nullptr);
}

namespace {

struct curve_problem {
    device_model *model = nullptr;
    const std::vector<fit_patch> *patches = nullptr;
    const fit_settings *settings = nullptr;
    const fit_control *control = nullptr;
    int evaluations = 0;
    bool aborted = false;
    // log x and x - 1 of every weighted patch's channels (log 0 stands for
    // x <= 0), and the buffers of one evaluation.
    std::vector<double> log_x, minus_one, u, xyz;
};

void unpack(const double *v, const fit_settings &s, device_model &m)
{
    const int per = s.curve_shape ? CURVE_PARAMS : 1;
    for (int c = 0; c < 3; ++c)
        for (int k = 0; k < per; ++k)
            m.curve[c].p[k] = v[c * per + k];
}

void prepare_inputs(curve_problem &pr)
{
    const std::vector<fit_patch> &patches = *pr.patches;
    pr.log_x.assign(3 * patches.size(), 0.0);
    pr.minus_one.assign(3 * patches.size(), 0.0);
    pr.u.assign(3 * patches.size(), 0.0);
    for (size_t i = 0; i < patches.size(); ++i)
        for (int c = 0; c < 3; ++c) {
            const double x = patches[i].x[c];
            const size_t k = 3 * i + size_t(c);
            pr.log_x[k] = x > 0.0 ? std::log(x) : 0.0;
            pr.minus_one[k] = x > 0.0 ? x - 1.0 : 0.0;
        }
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
    const std::vector<fit_patch> &patches = *pr->patches;
    for (size_t i = 0; i < patches.size(); ++i) {
        if (!(patches[i].weight > 0.0))
            continue;
        for (int c = 0; c < 3; ++c) {
            const size_t k = 3 * i + size_t(c);
            pr->u[k] = patches[i].x[c] > 0.0
                           ? curve_from_log(m.curve[c].p, pr->log_x[k], pr->minus_one[k])
                           : 0.0;
        }
    }
    const fit_settings &s = *pr->settings;
    double white_u[3];
    if (s.white)
        for (int c = 0; c < 3; ++c)
            white_u[c] = m.curve[c].apply(s.white[c]);
    const bool mean = s.mean_formula >= 0;
    bool ok = false;
    const double r = solve_linear(m, patches, pr->u.data(), s.ridge, &ok,
                                  s.white ? white_u : nullptr, s.white_xyz,
                                  mean ? &pr->xyz : nullptr);
    if (!ok)
        return 1e30;
    if (!mean)
        return r;
    double sum = 0.0;
    for (size_t i = 0; i < patches.size(); ++i)
        if (patches[i].weight > 0.0)
            sum += patches[i].weight * de(&pr->xyz[3 * i], patches[i].lab, s.mean_formula);
    return sum;
}

}  // namespace

fit_outcome fit_curves(device_model &model, const std::vector<fit_patch> &patches,
                       const fit_settings &settings, const fit_control &control,
                       int *evaluations)
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
    curve_problem pr;
    pr.model = &model;
    pr.patches = &patches;
    pr.settings = &settings;
    pr.control = &control;
    prepare_inputs(pr);
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
    if (evaluations)
        *evaluations += pr.evaluations;
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
    const std::vector<double> u = linear_values(model, patches);
    double sum = 0.0;
    int count = 0;
    for (int f = 0; f < folds; ++f) {
        std::vector<fit_patch> train = patches;
        for (size_t i = 0; i < train.size(); ++i)
            if (int(i % folds) == f)
                train[i].weight = 0.0;
        device_model m = model;
        bool ok = false;
        solve_linear(m, train, u.data(), ridge, &ok, nullptr, nullptr, nullptr);
        if (!ok)
            return HUGE_VAL;
        for (size_t i = 0; i < patches.size(); ++i) {
            if (int(i % folds) != f || !(patches[i].weight > 0.0))
                continue;
            double xyz[3];
            m.apply_linear(&u[3 * i], xyz);
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

}  // namespace vp_build
