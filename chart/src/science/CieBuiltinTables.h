#pragma once
// The built-in observer, illuminant and daylight spectra of csContext, taken
// from the engine's CIE tables (engine/cie_tables.h) at their published
// sampling.

#include "chart/SpectrumArray.h"

namespace cie_builtin {

// The three functions of observer 0 (1931, 2 degree) or 1 (1964, 10 degree),
// 360-830 nm at 1 nm. False for any other observer.
bool observer(int observer, SpectrumArray out[3]);

// The table of a csContext illuminant code: 1 D50 (300-830/5 nm), 2 A, 3 D65
// (300-830/1 nm), 4-15 F1-F12, 21-35 FL3.1-FL3.15, 36-40 HP1-HP5 (380-780/5 nm),
// 16 E (1.0 at 300 and 900 nm), 17 D55, 18 D75 (tabulated), 19 B, 20 C.
// False for any other code.
bool illuminant(int code, SpectrumArray* out);

// Name of the CIE table of a csContext illuminant code, or null.
const char* illuminantTableName(int code);

// CIE daylight S0 + M1 S1 + M2 S2 of a correlated colour temperature (kelvin,
// used as given), 300-830 nm at 5 nm.
SpectrumArray daylight(double kelvin);

}  // namespace cie_builtin
