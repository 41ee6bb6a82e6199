// Colour difference between two Lab colours.
#pragma once

// Formulas: 0 CIE 1976, 1 CIE 1994 (graphic-arts weights), 3 CIEDE2000 with the
// lightness weight kL = 1 (and kC = kH = 1); any other value CIEDE2000 at its
// reference conditions, which are the same weights. lab2 is the reference
// colour (CIE 1994 weights by its chroma). The result is single precision.
//
// Components, written to the outputs that are not null: the lightness, chroma
// and hue differences of lab1 against lab2 (lab1 - lab2), each weighted as in
// the formula. CIE 1976 and CIE 1994 give the hue difference as a magnitude
// (>= 0); CIEDE2000 gives it with the sign of the hue angle difference.
float Kirr_colorDifference(const double lab1[3], const double lab2[3], int formula,
                           float *dL = nullptr, float *dC = nullptr, float *dH = nullptr);
