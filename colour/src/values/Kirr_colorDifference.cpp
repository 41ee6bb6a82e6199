#include "colour/Kirr_colorDifference.h"

#include "engine/colour_maths.h"

float Kirr_colorDifference(const double lab1[3], const double lab2[3], int formula, float *dL,
                           float *dC, float *dH)
{
    // The engine's formulas take the reference first. CIEDE2000 then gives its
    // components as lab1 - lab2; CIE 1976 and 1994 give lightness and chroma as
    // reference - sample and the hue difference as a magnitude.
    int engineFormula = CM_DE_CIEDE2000;
    double sign = 1.0;
    if (formula == CM_DE_CIE76 || formula == CM_DE_CIE94) {
        engineFormula = formula;
        sign = -1.0;
    }
    // Formula 3 is CIEDE2000 with kL = 1, the engine's weights for every
    // CIEDE2000 difference.
    double l = 0.0, c = 0.0, h = 0.0;
    const double e = cm_delta_e(lab2, lab1, engineFormula, &l, &c, &h);
    if (dL)
        *dL = static_cast<float>(sign * l);
    if (dC)
        *dC = static_cast<float>(sign * c);
    if (dH)
        *dH = static_cast<float>(h);
    return static_cast<float>(e);
}
