// Colour maths shared by the engine and the layers above it: XYZ, Lab, LCh
// and xyY conversions against an explicit white, spectral integration with
// the CIE observers, 16-bit RGB to HLS, and the colour-difference formulas.
// Pure functions, no state.
#pragma once

// The two D50 whites, Y = 1. They differ in the fourth decimal of X and Z;
// never mix them within one computation.
//
// The ICC profile connection space white (ICC.1, the header's PCS
// illuminant: 0.9642, 1, 0.8249): the white of every ICC profile, of Little
// CMS's PCS, and of the engine's fits and DCP matrices.
inline constexpr double cm_icc_d50_white[3] = {0.9642, 1.0, 0.8249};
// The same white on the 0..100 scale of the measurement files.
inline constexpr double cm_icc_d50_white_100[3] = {96.42, 100.0, 82.49};
// D50 integrated from the CIE tables (CIE 15, illuminant D50 and the 1931
// 2-degree observer: 0.96422, 1, 0.82521), the white of the spectral tables.
inline constexpr double cm_cie_d50_white[3] = {0.96422, 1.0, 0.82521};

// The engine's D50: the ICC white.
inline constexpr const double (&cm_d50_white)[3] = cm_icc_d50_white;

void cm_xyz_to_lab(const double xyz[3], const double white[3], double lab[3]);
void cm_lab_to_xyz(const double lab[3], const double white[3], double xyz[3]);
// LCh with the hue in degrees, 0 <= h < 360.
void cm_lab_to_lch(const double lab[3], double lch[3]);
void cm_lch_to_lab(const double lch[3], double lab[3]);
// xyY; a black (X + Y + Z = 0) maps to the chromaticity of the given white.
void cm_xyz_to_xyy(const double xyz[3], const double white[3], double xyy[3]);
void cm_xyy_to_xyz(const double xyy[3], double xyz[3]);

// The Bradford chromatic adaptation taking XYZ seen under white_from to XYZ
// under white_to: m = B^-1 diag(B to / B from) B. A cone response of the
// source white of magnitude 1e-12 or less is left unscaled.
void cm_bradford_matrix(const double white_from[3], const double white_to[3], double m[3][3]);

enum cm_observer { CM_OBSERVER_2DEG = 0, CM_OBSERVER_10DEG = 1 };

// A sampled spectrum: values at first_nm, first_nm + step_nm, ...
struct cm_spectrum {
    const double *values;
    int count;
    double first_nm;
    double step_nm;
};

// Linear interpolation in a spectrum; 0 outside its range.
double cm_spectrum_value(const cm_spectrum &s, double nm);

// The named CIE illuminant ("D50", "A", "D65", ... as in cie_tables.h) as a
// spectrum over its published range; false when there is no such table.
bool cm_cie_illuminant(const char *name, cm_spectrum *out);

// Tristimulus values of a reflectance or transmittance spectrum (1.0 = perfect
// reflector) under an illuminant (null: equal energy) for an observer, summed
// at the spectrum's own wavelengths and normalised so that the perfect
// reflector has Y = 1. False for an empty spectrum, a step <= 0, or when the
// illuminant weights sum to zero over the spectrum's range.
bool cm_reflectance_to_xyz(const cm_spectrum &reflectance, const cm_spectrum *illuminant,
                           cm_observer observer, double xyz[3]);

// White point (Y = 1) of an illuminant over first_nm..last_nm sampled every
// step_nm. False on an empty range or a zero sum.
bool cm_illuminant_white(const cm_spectrum &illuminant, cm_observer observer, double first_nm,
                         double last_nm, double step_nm, double white[3]);

// 16-bit RGB to hue (degrees, 0 <= h < 360; 0 for greys), lightness and
// saturation (both 0..1).
void cm_rgb16_to_hls(unsigned short r, unsigned short g, unsigned short b, double *h, double *l,
                     double *s);

enum cm_de_formula { CM_DE_CIE76 = 0, CM_DE_CIE94 = 1, CM_DE_CIEDE2000 = 2 };

double cm_delta_e76(const double lab1[3], const double lab2[3]);
// CIE 1994, graphic-arts weights (kL = 1, K1 = 0.045, K2 = 0.015), lab1 the reference.
double cm_delta_e94(const double lab1[3], const double lab2[3]);
// CIEDE2000 with the parametric weights kL, kC, kH.
double cm_delta_e2000(const double lab1[3], const double lab2[3], double kl = 1.0,
                      double kc = 1.0, double kh = 1.0);
// Any formula, with the lightness, chroma and hue differences (each weighted
// as in that formula; CIE76 gives the plain dL*, dC*ab, dH*ab) written to the
// outputs that are not null. Unknown formulas use CIEDE2000.
double cm_delta_e(const double lab1[3], const double lab2[3], int formula, double *dl = nullptr,
                  double *dc = nullptr, double *dh = nullptr);
