#include <cstddef>
#include "CieBuiltinTables.h"

#include "engine/cie_tables.h"

#include <vector>

namespace cie_builtin {
namespace {

// Every stride-th value of an engine table from its first sample.
SpectrumArray fromTable(const cie_table& t, int stride)
{
    std::vector<float> values;
    for (int i = 0; i < t.count; i += stride)
        values.push_back(static_cast<float>(t.values[i]));
    return SpectrumArray(values.data(), static_cast<unsigned>(values.size()),
                         static_cast<unsigned>(t.first_nm),
                         static_cast<unsigned>(t.step_nm * stride));
}

}  // namespace

bool observer(int observer, SpectrumArray out[3])
{
    static const char* const names[2][3] = {{"CIE1931_X", "CIE1931_Y", "CIE1931_Z"},
                                            {"CIE1964_X", "CIE1964_Y", "CIE1964_Z"}};
    if (observer != 0 && observer != 1)
        return false;
    for (int i = 0; i < 3; ++i) {
        const cie_table* t = cie_find_table(names[observer][i]);
        if (!t)
            return false;
        out[i] = fromTable(*t, 1);
    }
    return true;
}

const char* illuminantTableName(int code)
{
    static const char* const fl[12] = {"F1", "F2", "F3", "F4", "F5", "F6",
                                       "F7", "F8", "F9", "F10", "F11", "F12"};
    static const char* const fl3[15] = {"FL3.1", "FL3.2", "FL3.3", "FL3.4", "FL3.5",
                                        "FL3.6", "FL3.7", "FL3.8", "FL3.9", "FL3.10",
                                        "FL3.11", "FL3.12", "FL3.13", "FL3.14", "FL3.15"};
    static const char* const hp[5] = {"HP1", "HP2", "HP3", "HP4", "HP5"};
    switch (code) {
    case 1: return "D50";
    case 2: return "A";
    case 3: return "D65";
    case 16: return "E";
    case 17: return "D55";
    case 18: return "D75";
    case 19: return "B";
    case 20: return "C";
    default: break;
    }
    if (code >= 4 && code <= 15)
        return fl[code - 4];
    if (code >= 21 && code <= 35)
        return fl3[code - 21];
    if (code >= 36 && code <= 40)
        return hp[code - 36];
    return nullptr;
}

bool illuminant(int code, SpectrumArray* out)
{
    if (code == 16) {
        const float flat[2] = {1.0f, 1.0f};
        *out = SpectrumArray(flat, 2, 300, 600);
        return true;
    }
    const char* name = illuminantTableName(code);
    const cie_table* t = name ? cie_find_table(name) : nullptr;
    if (!t)
        return false;
    // D50 is kept at 5 nm (its 1 nm table sampled every fifth value).
    *out = fromTable(*t, code == 1 && t->step_nm == 1 ? 5 : 1);
    return true;
}

SpectrumArray daylight(double kelvin)
{
    const double t = kelvin;
    const double t2 = t * t;
    const double t3 = t2 * t;
    const double xd = t < 7000.0
                          ? -4.6070e9 / t3 + 2.9678e6 / t2 + 0.09911e3 / t + 0.244063
                          : -2.0064e9 / t3 + 1.9018e6 / t2 + 0.24748e3 / t + 0.237040;
    const double yd = -3.0 * xd * xd + 2.870 * xd - 0.275;
    const double m = 0.0241 + 0.2562 * xd - 0.7341 * yd;
    const double m1 = (-1.3515 - 1.7703 * xd + 5.9114 * yd) / m;
    const double m2 = (0.0300 - 31.4424 * xd + 30.0717 * yd) / m;
    const cie_table* s0 = cie_find_table("S0");
    const cie_table* s1 = cie_find_table("S1");
    const cie_table* s2 = cie_find_table("S2");
    if (!s0 || !s1 || !s2)
        return SpectrumArray(nullptr, 107, 300, 5);
    std::vector<float> values(static_cast<std::size_t>(s0->count));
    for (int i = 0; i < s0->count; ++i)
        values[static_cast<std::size_t>(i)] =
            static_cast<float>(s0->values[i] + m1 * s1->values[i] + m2 * s2->values[i]);
    return SpectrumArray(values.data(), static_cast<unsigned>(values.size()),
                         static_cast<unsigned>(s0->first_nm), static_cast<unsigned>(s0->step_nm));
}

}  // namespace cie_builtin
