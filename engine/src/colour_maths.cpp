#include "engine/colour_maths.h"

#include "engine/cie_tables.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEpsilon = 216.0 / 24389.0;  // (6/29)^3
constexpr double kKappa = 24389.0 / 27.0;     // (29/3)^3

double lab_f(double t)
{
    return t > kEpsilon ? std::cbrt(t) : (kKappa * t + 16.0) / 116.0;
}

double lab_f_inv(double f)
{
    const double f3 = f * f * f;
    return f3 > kEpsilon ? f3 : (116.0 * f - 16.0) / kKappa;
}

double deg(double rad) { return rad * 180.0 / kPi; }
double rad(double deg) { return deg * kPi / 180.0; }

double hue_deg(double b, double a)
{
    if (a == 0.0 && b == 0.0)
        return 0.0;
    double h = deg(std::atan2(b, a));
    if (h < 0.0)
        h += 360.0;
    return h >= 360.0 ? h - 360.0 : h;
}

const cie_table *observer_table(cm_observer observer, int axis)
{
    static const char *const names[2][3] = {{"CIE1931_X", "CIE1931_Y", "CIE1931_Z"},
                                            {"CIE1964_X", "CIE1964_Y", "CIE1964_Z"}};
    return cie_find_table(names[observer == CM_OBSERVER_10DEG ? 1 : 0][axis]);
}

// Sums S(l) * R(l) * cmf(l) at l = first, first + step, ... last.
bool integrate(const cm_spectrum *reflectance, const cm_spectrum *illuminant, cm_observer observer,
               double first_nm, double last_nm, double step_nm, double xyz[3])
{
    if (!(step_nm > 0.0) || !(last_nm >= first_nm))
        return false;
    const cie_table *cmf[3] = {observer_table(observer, 0), observer_table(observer, 1),
                               observer_table(observer, 2)};
    const int n = static_cast<int>(std::floor((last_nm - first_nm) / step_nm + 1e-9)) + 1;
    double sum[3] = {0, 0, 0};
    double norm = 0.0;
    for (int i = 0; i < n; ++i) {
        const double nm = first_nm + i * step_nm;
        const double s = illuminant ? cm_spectrum_value(*illuminant, nm) : 1.0;
        const double r = reflectance ? reflectance->values[i] : 1.0;
        const double ybar = cie_table_value(*cmf[1], nm);
        norm += s * ybar;
        for (int k = 0; k < 3; ++k)
            sum[k] += s * r * cie_table_value(*cmf[k], nm);
    }
    if (!(norm > 0.0))
        return false;
    for (int k = 0; k < 3; ++k)
        xyz[k] = sum[k] / norm;
    return true;
}

}  // namespace

void cm_xyz_to_lab(const double xyz[3], const double white[3], double lab[3])
{
    const double fx = lab_f(xyz[0] / white[0]);
    const double fy = lab_f(xyz[1] / white[1]);
    const double fz = lab_f(xyz[2] / white[2]);
    lab[0] = 116.0 * fy - 16.0;
    lab[1] = 500.0 * (fx - fy);
    lab[2] = 200.0 * (fy - fz);
}

void cm_lab_to_xyz(const double lab[3], const double white[3], double xyz[3])
{
    const double fy = (lab[0] + 16.0) / 116.0;
    const double fx = fy + lab[1] / 500.0;
    const double fz = fy - lab[2] / 200.0;
    xyz[0] = white[0] * lab_f_inv(fx);
    xyz[1] = white[1] * (lab[0] > kKappa * kEpsilon ? fy * fy * fy : lab[0] / kKappa);
    xyz[2] = white[2] * lab_f_inv(fz);
}

void cm_lab_to_lch(const double lab[3], double lch[3])
{
    const double a = lab[1], b = lab[2];
    lch[0] = lab[0];
    lch[1] = std::hypot(a, b);
    lch[2] = hue_deg(b, a);
}

void cm_lch_to_lab(const double lch[3], double lab[3])
{
    const double h = rad(lch[2]);
    lab[0] = lch[0];
    lab[1] = lch[1] * std::cos(h);
    lab[2] = lch[1] * std::sin(h);
}

void cm_xyz_to_xyy(const double xyz[3], const double white[3], double xyy[3])
{
    double sum = xyz[0] + xyz[1] + xyz[2];
    if (sum == 0.0) {
        const double ws = white[0] + white[1] + white[2];
        xyy[0] = ws != 0.0 ? white[0] / ws : 0.0;
        xyy[1] = ws != 0.0 ? white[1] / ws : 0.0;
        xyy[2] = 0.0;
        return;
    }
    xyy[0] = xyz[0] / sum;
    xyy[1] = xyz[1] / sum;
    xyy[2] = xyz[1];
}

void cm_xyy_to_xyz(const double xyy[3], double xyz[3])
{
    if (xyy[1] == 0.0) {
        xyz[0] = xyz[1] = xyz[2] = 0.0;
        return;
    }
    xyz[0] = xyy[0] * xyy[2] / xyy[1];
    xyz[1] = xyy[2];
    xyz[2] = (1.0 - xyy[0] - xyy[1]) * xyy[2] / xyy[1];
}

double cm_spectrum_value(const cm_spectrum &s, double nm)
{
    if (!s.values || s.count <= 0 || !(s.step_nm > 0.0))
        return 0.0;
    const double pos = (nm - s.first_nm) / s.step_nm;
    if (pos < -1e-9 || pos > s.count - 1 + 1e-9)
        return 0.0;
    const int i = std::min(std::max(static_cast<int>(std::floor(pos)), 0), s.count - 1);
    if (i >= s.count - 1)
        return s.values[s.count - 1];
    const double f = pos - i;
    return s.values[i] + f * (s.values[i + 1] - s.values[i]);
}

bool cm_cie_illuminant(const char *name, cm_spectrum *out)
{
    const cie_table *t = cie_find_table(name);
    if (!t || !out)
        return false;
    out->values = t->values;
    out->count = t->count;
    out->first_nm = t->first_nm;
    out->step_nm = t->step_nm;
    return true;
}

bool cm_reflectance_to_xyz(const cm_spectrum &reflectance, const cm_spectrum *illuminant,
                           cm_observer observer, double xyz[3])
{
    if (!reflectance.values || reflectance.count <= 0)
        return false;
    const double last = reflectance.first_nm + (reflectance.count - 1) * reflectance.step_nm;
    return integrate(&reflectance, illuminant, observer, reflectance.first_nm, last,
                     reflectance.count > 1 ? reflectance.step_nm : 1.0, xyz);
}

bool cm_illuminant_white(const cm_spectrum &illuminant, cm_observer observer, double first_nm,
                         double last_nm, double step_nm, double white[3])
{
    return integrate(nullptr, &illuminant, observer, first_nm, last_nm, step_nm, white);
}

void cm_rgb16_to_hls(unsigned short r, unsigned short g, unsigned short b, double *h, double *l,
                     double *s)
{
    const double rf = r / 65535.0, gf = g / 65535.0, bf = b / 65535.0;
    const double mx = std::max({rf, gf, bf});
    const double mn = std::min({rf, gf, bf});
    const double light = (mx + mn) / 2.0;
    const double d = mx - mn;
    double hue = 0.0, sat = 0.0;
    if (d > 0.0) {
        sat = light <= 0.5 ? d / (mx + mn) : d / (2.0 - mx - mn);
        if (mx == rf)
            hue = (gf - bf) / d;
        else if (mx == gf)
            hue = 2.0 + (bf - rf) / d;
        else
            hue = 4.0 + (rf - gf) / d;
        hue *= 60.0;
        if (hue < 0.0)
            hue += 360.0;
    }
    if (h)
        *h = hue;
    if (l)
        *l = light;
    if (s)
        *s = sat;
}

namespace {

double de76(const double a[3], const double b[3], double *dl, double *dc, double *dh)
{
    const double c1 = std::hypot(a[1], a[2]), c2 = std::hypot(b[1], b[2]);
    const double dL = a[0] - b[0], dC = c1 - c2;
    const double da = a[1] - b[1], db = a[2] - b[2];
    const double e2 = dL * dL + da * da + db * db;
    if (dl)
        *dl = dL;
    if (dc)
        *dc = dC;
    if (dh)
        *dh = std::sqrt(std::max(0.0, da * da + db * db - dC * dC));
    return std::sqrt(e2);
}

double de94(const double ref[3], const double smp[3], double *dl, double *dc, double *dh)
{
    const double c1 = std::hypot(ref[1], ref[2]), c2 = std::hypot(smp[1], smp[2]);
    const double dL = ref[0] - smp[0], dC = c1 - c2;
    const double da = ref[1] - smp[1], db = ref[2] - smp[2];
    const double dH = std::sqrt(std::max(0.0, da * da + db * db - dC * dC));
    const double sl = 1.0, sc = 1.0 + 0.045 * c1, sh = 1.0 + 0.015 * c1;
    const double l = dL / sl, c = dC / sc, h = dH / sh;
    if (dl)
        *dl = l;
    if (dc)
        *dc = c;
    if (dh)
        *dh = h;
    return std::sqrt(l * l + c * c + h * h);
}

double de2000(const double p[3], const double q[3], double kl, double kc, double kh, double *dl,
              double *dc, double *dh)
{
    const double c1 = std::hypot(p[1], p[2]), c2 = std::hypot(q[1], q[2]);
    const double cbar = (c1 + c2) / 2.0;
    const double cbar7 = std::pow(cbar, 7.0);
    const double g = 0.5 * (1.0 - std::sqrt(cbar7 / (cbar7 + std::pow(25.0, 7.0))));
    const double a1 = (1.0 + g) * p[1], a2 = (1.0 + g) * q[1];
    const double c1p = std::hypot(a1, p[2]), c2p = std::hypot(a2, q[2]);
    const double h1p = hue_deg(p[2], a1), h2p = hue_deg(q[2], a2);

    const double dLp = q[0] - p[0];
    const double dCp = c2p - c1p;
    double dhp = 0.0;
    if (c1p * c2p != 0.0) {
        dhp = h2p - h1p;
        if (dhp > 180.0)
            dhp -= 360.0;
        else if (dhp < -180.0)
            dhp += 360.0;
    }
    const double dHp = 2.0 * std::sqrt(c1p * c2p) * std::sin(rad(dhp / 2.0));

    const double lbarp = (p[0] + q[0]) / 2.0;
    const double cbarp = (c1p + c2p) / 2.0;
    double hbarp = h1p + h2p;
    if (c1p * c2p != 0.0) {
        if (std::fabs(h1p - h2p) <= 180.0)
            hbarp /= 2.0;
        else if (h1p + h2p < 360.0)
            hbarp = (hbarp + 360.0) / 2.0;
        else
            hbarp = (hbarp - 360.0) / 2.0;
    }
    const double t = 1.0 - 0.17 * std::cos(rad(hbarp - 30.0)) + 0.24 * std::cos(rad(2.0 * hbarp)) +
                     0.32 * std::cos(rad(3.0 * hbarp + 6.0)) -
                     0.20 * std::cos(rad(4.0 * hbarp - 63.0));
    const double dtheta = 30.0 * std::exp(-std::pow((hbarp - 275.0) / 25.0, 2.0));
    const double cbarp7 = std::pow(cbarp, 7.0);
    const double rc = 2.0 * std::sqrt(cbarp7 / (cbarp7 + std::pow(25.0, 7.0)));
    const double l50 = (lbarp - 50.0) * (lbarp - 50.0);
    const double sl = 1.0 + 0.015 * l50 / std::sqrt(20.0 + l50);
    const double sc = 1.0 + 0.045 * cbarp;
    const double sh = 1.0 + 0.015 * cbarp * t;
    const double rt = -std::sin(rad(2.0 * dtheta)) * rc;

    const double l = dLp / (kl * sl), c = dCp / (kc * sc), h = dHp / (kh * sh);
    if (dl)
        *dl = l;
    if (dc)
        *dc = c;
    if (dh)
        *dh = h;
    return std::sqrt(std::max(0.0, l * l + c * c + h * h + rt * c * h));
}

}  // namespace

double cm_delta_e76(const double lab1[3], const double lab2[3])
{
    return de76(lab1, lab2, nullptr, nullptr, nullptr);
}

double cm_delta_e94(const double lab1[3], const double lab2[3])
{
    return de94(lab1, lab2, nullptr, nullptr, nullptr);
}

double cm_delta_e2000(const double lab1[3], const double lab2[3], double kl, double kc, double kh)
{
    return de2000(lab1, lab2, kl, kc, kh, nullptr, nullptr, nullptr);
}

double cm_delta_e(const double lab1[3], const double lab2[3], int formula, double *dl, double *dc,
                  double *dh)
{
    switch (formula) {
    case CM_DE_CIE76:
        return de76(lab1, lab2, dl, dc, dh);
    case CM_DE_CIE94:
        return de94(lab1, lab2, dl, dc, dh);
    default:
        return de2000(lab1, lab2, 1.0, 1.0, 1.0, dl, dc, dh);
    }
}

void cm_bradford_matrix(const double from[3], const double to[3], double m[3][3])
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
