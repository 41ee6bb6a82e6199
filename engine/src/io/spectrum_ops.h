// Spectral helpers of the measurement sets: integration of a patch's
// spectrum, illuminant whites, 20 nm to 10 nm resampling.
#pragma once

#include "engine/colour_maths.h"
#include "engine/patch_set.h"

// The spectrum as the colour maths takes it (count 0 when malformed).
cm_spectrum to_cm_spectrum(const engine_spectrum &s);

// XYZ of the patch's spectrum (on the spectrum's own scale: samples of 100
// give Y = 100) under the illuminant (null: CIE D50) and observer
// (1: 10-degree), and its Lab against white (Y = 100). False when the
// spectrum cannot be integrated; the patch is then unchanged.
bool spectrum_to_patch_colour(patch_record *p, const engine_spectrum *illuminant, int observer,
                              const double white[3]);

// White (Y = 100) of the illuminant over the range and step of a spectrum.
bool illuminant_white_over(const engine_spectrum &illuminant, const engine_spectrum &range,
                           int observer, double white[3]);

// A 20 nm spectrum brought to 10 nm (four-point midpoints, at most
// ENGINE_SPECTRUM_MAX samples). False when the step is not 20.
bool resample_20_to_10(engine_spectrum *s);
