// Correlated colour temperature of an illuminant code.
#pragma once

// Kelvin for the illuminant codes 1 (D50) 5000, 2 (A) 3000, 3 (D65) 6500,
// 17 (D55) 5500 and 18 (D75) 7500; 0 for any other code.
int Kirr_illuminantTemperature(int illuminant);
