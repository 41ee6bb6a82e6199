// The 24-patch ColorChecker as a 6 x 4 target: its definition text and the
// reference file installed with the system's colour data.
#pragma once

#include <QString>

// Path of the installed reference file (rows A to D, six patches each).
extern const char* const kColorCheckerReference;

// CGATS target definition: SAMPLE_ID A01..D06 with their CONTROL codes (the
// last row the grey ramp, "GBW" first, "BK" last).
QString colorCheckerDefinition();

// The reference file's text; empty when it is not installed.
QString colorCheckerReferenceText();
