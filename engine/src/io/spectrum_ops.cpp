#include "io/spectrum_ops.h"

namespace {

cm_observer to_observer(int observer)
{
    return observer == 1 ? CM_OBSERVER_10DEG : CM_OBSERVER_2DEG;
}

}  // namespace

cm_spectrum to_cm_spectrum(const engine_spectrum &s)
{
    cm_spectrum out;
    out.values = s.values;
    out.count = engine_spectrum_count(s);
    out.first_nm = s.start_nm;
    out.step_nm = s.step_nm;
    return out;
}

bool spectrum_to_patch_colour(patch_record *p, const engine_spectrum *illuminant, int observer,
                              const double white[3])
{
    const cm_spectrum r = to_cm_spectrum(p->spectrum);
    if (r.count <= 0)
        return false;
    cm_spectrum illum;
    const cm_spectrum *illum_ptr = nullptr;
    if (illuminant) {
        illum = to_cm_spectrum(*illuminant);
        if (illum.count <= 0)
            return false;
        illum_ptr = &illum;
    } else {
        if (!cm_cie_illuminant("D50", &illum))
            return false;
        illum_ptr = &illum;
    }
    double xyz[3];
    if (!cm_reflectance_to_xyz(r, illum_ptr, to_observer(observer), xyz))
        return false;
    double lab[3];
    cm_xyz_to_lab(xyz, white, lab);
    for (int k = 0; k < 3; ++k) {
        p->xyz[k] = static_cast<float>(xyz[k]);
        p->lab[k] = static_cast<float>(lab[k]);
    }
    return true;
}

bool illuminant_white_over(const engine_spectrum &illuminant, const engine_spectrum &range,
                           int observer, double white[3])
{
    const cm_spectrum illum = to_cm_spectrum(illuminant);
    const int n = engine_spectrum_count(range);
    if (illum.count <= 0 || n <= 0)
        return false;
    const double first = range.start_nm;
    const double last = range.start_nm + double(n - 1) * range.step_nm;
    if (!cm_illuminant_white(illum, to_observer(observer), first, last, range.step_nm, white))
        return false;
    for (int k = 0; k < 3; ++k)
        white[k] *= 100.0;
    return true;
}

bool resample_20_to_10(engine_spectrum *s)
{
    if (s->step_nm != 20)
        return false;
    const int n = engine_spectrum_count(*s);
    if (n <= 0)
        return false;
    double src[ENGINE_SPECTRUM_MAX];
    for (int i = 0; i < n; ++i)
        src[i] = s->values[i];
    int m = 2 * (n - 1) + 1;
    if (m > ENGINE_SPECTRUM_MAX)
        m = ENGINE_SPECTRUM_MAX;
    // Beyond either end the spectrum is continued in a straight line, so a
    // linear stretch stays linear up to its ends.
    auto at = [&](int k) {
        if (n == 1)
            return src[0];
        if (k < 0)
            return 2.0 * src[0] - src[1];
        if (k >= n)
            return 2.0 * src[n - 1] - src[n - 2];
        return src[k];
    };
    for (int j = 0; j < m; ++j) {
        const int k = j / 2;
        if (j % 2 == 0)
            s->values[j] = src[k];
        else
            s->values[j] = (-at(k - 1) + 9.0 * at(k) + 9.0 * at(k + 1) - at(k + 2)) / 16.0;
    }
    for (int j = m; j < ENGINE_SPECTRUM_MAX; ++j)
        s->values[j] = 0.0;
    s->step_nm = 10;
    s->end_nm = s->start_nm + (m - 1) * 10;
    return true;
}
