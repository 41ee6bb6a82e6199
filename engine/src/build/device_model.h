// The camera and scanner device model: a smooth monotone transfer curve per
// channel followed by a root-polynomial map to XYZ.
//
//   u_c = v_c^gamma_c * exp(a1_c (v_c - 1) + a2_c (v_c - 1)^2)     (v on 0..1)
//   XYZ = A * phi(u)
//
// phi holds the root-polynomial terms of u up to a degree d: d 1 gives the
// three channels (a plain matrix), d 2 adds sqrt(u_i u_j), d 3 adds the cube
// roots of the third-order products. Every term is homogeneous of degree one,
// so the map follows exposure: doubling the light doubles XYZ, and a camera
// that is an exact 3 x 3 matrix is reproduced exactly at every degree.
//
// Fitting minimises the sum over the patches of the second-order expansion of
// the chosen colour difference (delta_metric) around the reference colour:
// the coefficients A by a weighted linear least-squares solve, the curve
// parameters around it by a derivative-free minimiser, the degree and the
// ridge weight of the non-linear terms by cross-validation on the training
// patches.
#pragma once

#include <vector>

namespace vp_build {

constexpr int MAX_TERMS = 13;

struct channel_curve {
    double gamma = 1.0;
    double a1 = 0.0;
    double a2 = 0.0;
    double apply(double v) const;
    // Inverse on u >= 0 (bisection on the monotone curve); v in 0..vmax.
    double inverse(double u, double vmax = 1.5) const;
    bool is_identity() const { return gamma == 1.0 && a1 == 0.0 && a2 == 0.0; }
};

int term_count(int degree);
// phi(u) for u >= 0 (negative channels are taken as 0); returns term_count(degree).
int root_poly_terms(const double u[3], int degree, double phi[MAX_TERMS]);

struct device_model {
    int degree = 1;
    channel_curve curve[3];
    double coef[3][MAX_TERMS] = {};  // XYZ row j, term t

    // XYZ (Y = 1 for the D50 white) of device values v (0..1).
    void apply(const double v[3], double xyz[3]) const;
    // The linear part: XYZ = lin * u.
    void linear_part(double lin[3][3]) const;
};

// One training patch: device values on 0..1, target XYZ (Y = 1) and the
// quadratic form of the colour difference at that colour (XYZ units).
struct fit_patch {
    double v[3];
    double xyz[3];
    double metric[3][3];
    double weight = 1.0;
};

// Colour-difference formulas as cm_delta_e numbers them (0 CIE76, 1 CIE94,
// 2 CIEDE2000), 3 CIEDE2000 with lightness weight 1 is taken as 2.
// The quadratic form G with dE^2 ~ d^T G d for a small XYZ change d at xyz.
void delta_metric(const double xyz[3], int formula, double g[3][3]);

// Fills metric[][] of every patch.
void prepare_metrics(std::vector<fit_patch> &patches, int formula);

struct fit_control {
    // Polled between evaluations; true stops the fit.
    bool (*abort)(void *user) = nullptr;
    // Fraction 0..1 of this fit done.
    void (*progress)(void *user, double fraction) = nullptr;
    void *user = nullptr;
};

enum fit_outcome { FIT_OK = 0, FIT_ABORTED = 1, FIT_FAILED = 2 };

// Linear solve of the coefficients for fixed curves. ridge weights the
// non-linear terms (relative to the data's own scale). Returns the weighted
// residual sum. Patches with a null weight are left out.
double solve_coefficients(device_model &model, const std::vector<fit_patch> &patches,
                          double ridge, bool *ok);

struct fit_settings {
    int degree_min = 1;
    int degree_max = 3;
    bool fit_curves = true;     // false: the curves stay as given
    bool curve_shape = true;    // a1, a2 free (else gamma alone)
    int max_evaluations = 3000;
};

// Fits curves, degree and ridge (see above). model's curves are the start.
fit_outcome fit_device_model(device_model &model, const std::vector<fit_patch> &patches,
                             const fit_settings &settings, const fit_control &control,
                             double *chosen_ridge = nullptr);

// Mean, maximum and 90th percentile of cm_delta_e(formula) over the patches.
struct fit_errors {
    double mean = 0, max = 0, p90 = 0, rms = 0;
};
fit_errors model_errors(const device_model &model, const std::vector<fit_patch> &patches,
                        int formula);

// Per-channel gamma from the near-neutral patches (log-log slope of Y against
// the channel value); 1.0 when there are too few.
void estimate_gammas(const std::vector<fit_patch> &patches, double gamma[3]);

// Bradford adaptation matrix taking white_from to white_to.
void bradford_matrix(const double white_from[3], const double white_to[3], double m[3][3]);

}  // namespace vp_build
