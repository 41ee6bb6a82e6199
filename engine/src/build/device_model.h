// The camera and scanner device model: a smooth monotone transfer curve per
// channel followed by a root-polynomial map to XYZ.
//
//   u_c = x_c^g_c * exp(a1_c (x_c - 1) + a2_c (x_c - 1)^2 + a3_c (x_c - 1)^3)
//   XYZ = A * phi(u)                                               (x on 0..1)
//
// phi holds the root-polynomial terms of u up to a degree d: d 1 gives the
// three channels (a plain matrix), d 2 adds sqrt(u_i u_j), d 3 adds the cube
// roots of the third-order products. Every term is homogeneous of degree one,
// so the map follows exposure: doubling the light doubles XYZ, and a camera
// that is an exact 3 x 3 matrix is reproduced exactly at every degree.
//
// Fitting minimises the sum over the patches of the second-order expansion of
// the chosen colour difference around the reference colour (delta_metric):
// the coefficients A by a weighted linear least-squares solve, the curve
// parameters around it by a deterministic derivative-free minimiser (BOBYQA),
// the degree and the ridge weight of the non-linear terms by cross-validation
// on the training patches.
#pragma once

#include <vector>

namespace vp_build {

constexpr int MAX_TERMS = 13;
constexpr int CURVE_PARAMS = 4;  // g, a1, a2, a3

struct channel_curve {
    double p[CURVE_PARAMS] = {1.0, 0.0, 0.0, 0.0};
    double apply(double x) const;
    bool is_identity() const;
    // Strictly rising on (0, 1], the device range the tables sample.
    bool is_monotone() const;
};

int term_count(int degree);
// phi(u) (negative channels are taken as 0); returns term_count(degree).
int root_poly_terms(const double u[3], int degree, double phi[MAX_TERMS]);

struct device_model {
    int degree = 1;
    channel_curve curve[3];
    double coef[3][MAX_TERMS] = {};  // XYZ row j, term t

    // XYZ (Y = 1 for the D50 white) of device values x (0..1).
    void apply(const double x[3], double xyz[3]) const;
    // XYZ of linear channel values u (after the curves).
    void apply_linear(const double u[3], double xyz[3]) const;
    // The matrix part (the first three terms).
    void linear_part(double lin[3][3]) const;
};

// One training patch: device values on 0..1, target XYZ (Y = 1), the
// quadratic form of the colour difference at that colour (XYZ units) and a
// weight (0 leaves the patch out).
struct fit_patch {
    double x[3];
    double xyz[3];
    double lab[3];
    double metric[3][3];
    double weight = 1.0;
    bool low_chroma = false;
};

// Colour-difference formulas as cm_delta_e numbers them (0 CIE76, 1 CIE94,
// 2 CIEDE2000; 3, CIEDE2000 with the lightness weight 1, is the same here).
// G with dE^2 ~ d^T G d for a small XYZ change d at xyz.
void delta_metric(const double xyz[3], int formula, double g[3][3]);
void prepare_metrics(std::vector<fit_patch> &patches, int formula);

struct fit_control {
    // Polled between evaluations; true stops the fit.
    bool (*abort)(void *user) = nullptr;
    // Fraction 0..1 of this fit done.
    void (*progress)(void *user, double fraction) = nullptr;
    void *user = nullptr;
};

enum fit_outcome { FIT_OK = 0, FIT_ABORTED = 1, FIT_FAILED = 2 };

// Linear solve of the coefficients for the model's curves and degree. ridge
// weights the non-linear terms (relative to the data's own scale). white,
// when given, is a camera value whose image is held to white_xyz exactly.
// Returns the weighted residual sum; *ok false when the system is singular.
double solve_coefficients(device_model &model, const std::vector<fit_patch> &patches,
                          double ridge, bool *ok, const double *white = nullptr,
                          const double *white_xyz = nullptr);

struct fit_settings {
    int degree = 1;
    double ridge = 0.0;
    bool fit_curves = true;   // false: the curves stay as given
    bool curve_shape = true;  // a1..a3 free (else the gamma alone)
    int max_evaluations = 1500;
    const double *white = nullptr;      // see solve_coefficients
    const double *white_xyz = nullptr;
    // >= 0: the curves minimise the mean colour difference of this formula
    // (the coefficients still solved on the quadratic form); else the sum
    // of the quadratic forms.
    int mean_formula = -1;
};

// Fits the curves (from the model's curves) with the coefficients solved
// inside, at the settings' degree and ridge. evaluations, when given, is
// increased by the objective evaluations the minimiser made.
fit_outcome fit_curves(device_model &model, const std::vector<fit_patch> &patches,
                       const fit_settings &settings, const fit_control &control,
                       int *evaluations = nullptr);

// Mean colour difference over a 5-fold cross-validation, with the model's
// curves and degree held.
double cv_error(const device_model &model, const std::vector<fit_patch> &patches, double ridge,
                int formula);

// Cross-validated choice of degree (1..max_degree) and ridge for fixed
// curves; the model is solved with the choice on all patches.
fit_outcome select_degree(device_model &model, const std::vector<fit_patch> &patches,
                          int max_degree, int formula, const fit_control &control,
                          double *chosen_ridge);

// Re-weights the patches towards the mean (not the mean square) colour
// difference and solves again; iterations of the reweighted solve.
void reweight_towards_mean(device_model &model, std::vector<fit_patch> &patches, double ridge,
                           int formula, int iterations, const double *white = nullptr,
                           const double *white_xyz = nullptr);

// Mean, maximum, 90th percentile and rms of cm_delta_e(formula).
struct fit_errors {
    double mean = 0, max = 0, p90 = 0, rms = 0;
};
fit_errors model_errors(const device_model &model, const std::vector<fit_patch> &patches,
                        int formula);

// 90th percentile by linear interpolation between order statistics.
double percentile90(std::vector<double> values);

}  // namespace vp_build
