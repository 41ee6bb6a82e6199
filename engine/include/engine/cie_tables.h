// The published CIE tables: the 1931 2-degree and 1964 10-degree observers,
// the CIE illuminants and the daylight components, as sampled in their
// publications (no interpolation). Relative power values are on the scales
// the CIE publishes them (A, D-series and E are 100 at 560 nm).
#pragma once

struct cie_table {
    const char *name;    // "CIE1931_X" .. "CIE1964_Z", "A", "D50", "F1", "FL3.1", "HP1", "S0" ...
    int first_nm;
    int step_nm;
    int count;
    const double *values;
};

// The table of that name, or null.
const cie_table *cie_find_table(const char *name);
int cie_table_count();
const cie_table *cie_table_at(int i);

// Linear interpolation in a table at a wavelength; 0 outside its range.
double cie_table_value(const cie_table &t, double nm);
