#include "engine/cie_tables.h"

#include <cmath>

double cie_table_value(const cie_table &t, double nm)
{
    if (t.count <= 0 || t.step_nm <= 0)
        return 0.0;
    const double pos = (nm - t.first_nm) / t.step_nm;
    if (pos < 0.0 || pos > t.count - 1)
        return 0.0;
    const int i = static_cast<int>(std::floor(pos));
    if (i >= t.count - 1)
        return t.values[t.count - 1];
    const double f = pos - i;
    return t.values[i] + f * (t.values[i + 1] - t.values[i]);
}
