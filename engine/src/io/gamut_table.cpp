#include "engine/colour_maths.h"
#include "engine/patch_set.h"

#include <cmath>
#include <cstdlib>

namespace {

long round_half_away(double v)
{
    return static_cast<long>(v < 0.0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5));
}

unsigned short to16(double v)
{
    if (!(v > 0.0))
        return 0;
    if (v >= 65535.0)
        return 65535;
    return static_cast<unsigned short>(std::floor(v + 0.5));
}

// Hue, lightness and saturation on 0-100 and the table cell of a 16-bit RGB.
void cell_of(unsigned short r, unsigned short g, unsigned short b, double *l, long *cell)
{
    double h, ll, s;
    cm_rgb16_to_hls(r, g, b, &h, &ll, &s);
    const double h100 = h / 360.0 * 100.0;
    *l = ll * 100.0;
    *cell = round_half_away(h100 * 0.5) + ENGINE_GAMUT_COLS * round_half_away(s * 100.0 * 0.2);
}

}  // namespace

engine_result patch_set_build_gamut_table(patch_set *set)
{
    if (!set || set->count <= 0 || !set->patches)
        return ENGINE_ERR_EMPTY;
    const bool rgb = set->data_space == SIG_RGB;
    const bool cmyk = set->data_space == SIG_CMYK;
    if (!rgb && !cmyk)
        return ENGINE_ERR_WRONG_KIND;
    float *table = set->gamut_table;
    if (!table) {
        table = static_cast<float *>(std::malloc(sizeof(float) * ENGINE_GAMUT_CELLS));
        if (!table)
            return ENGINE_ERR_NO_MEMORY;
    }
    for (int i = 0; i < ENGINE_GAMUT_CELLS; ++i)
        table[i] = -1.0f;
    for (int32_t i = 0; i < set->count; ++i) {
        const float *d = set->patches[i].device;
        unsigned short c[3];
        if (rgb) {
            for (int k = 0; k < 3; ++k)
                c[k] = to16(double(d[k]) * 257.0);
        } else {
            for (int k = 0; k < 3; ++k)
                c[k] = to16((100.0 - d[k]) * (100.0 - d[3]) / 100.0 * 65535.0 / 100.0);
        }
        double l;
        long cell;
        cell_of(c[0], c[1], c[2], &l, &cell);
        if (cell >= 0 && cell < ENGINE_GAMUT_CELLS)
            table[cell] = static_cast<float>(round_half_away(l));
    }
    for (int row = 0; row < ENGINE_GAMUT_ROWS; ++row) {
        float *r = table + row * ENGINE_GAMUT_COLS;
        int prev = -1;
        for (int col = 0; col < ENGINE_GAMUT_COLS; ++col) {
            if (r[col] == -1.0f)
                continue;
            if (prev >= 0 && col - prev > 1) {
                for (int k = prev + 1; k < col; ++k) {
                    const double t = double(k - prev) / double(col - prev);
                    r[k] = static_cast<float>(r[prev] + t * (r[col] - r[prev]));
                }
            }
            prev = col;
        }
    }
    set->gamut_table = table;
    return ENGINE_OK;
}

engine_result patch_set_gamut_excess(const patch_set *set, const double rgb[3], double *excess)
{
    if (excess)
        *excess = 0.0;
    if (!set || !set->gamut_table || !rgb || !excess)
        return ENGINE_ERR_FILE;
    double l;
    long cell;
    cell_of(to16(rgb[0] * 257.0), to16(rgb[1] * 257.0), to16(rgb[2] * 257.0), &l, &cell);
    if (cell < 0 || cell >= ENGINE_GAMUT_CELLS)
        return ENGINE_OK;
    const double m = set->gamut_table[cell];
    *excess = m >= l ? 0.0 : (l - m) / 100.0;
    return ENGINE_OK;
}
