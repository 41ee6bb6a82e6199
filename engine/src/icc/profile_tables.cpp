#include "engine/profile_tables.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// grid^inputs x outputs, or 0 when it passes max.
uint64_t clut_count(int grid, int inputs, int outputs, uint64_t max)
{
    uint64_t n = uint64_t(outputs);
    for (int i = 0; i < inputs; ++i) {
        n *= uint64_t(grid);
        if (n > max)
            return 0;
    }
    return n;
}

uint16_t *ramp(int entries, bool eight_bit)
{
    uint16_t *t = static_cast<uint16_t *>(std::calloc(size_t(entries), sizeof(uint16_t)));
    if (!t)
        return nullptr;
    for (int j = 0; j < entries; ++j) {
        if (eight_bit)
            t[j] = uint16_t(j * 255 / (entries - 1));
        else if (entries == 256)
            t[j] = uint16_t(j * 257);
        else
            t[j] = uint16_t((uint64_t(j) * 65535u) / uint64_t(entries - 1));
    }
    return t;
}

// Largest CLUT a table may be given: more than any work block could hold.
constexpr uint64_t kMaxClutEntries = 1u << 24;

}  // namespace

int icc_colour_space_channels(uint32_t cs)
{
    switch (cs) {
    case engine_sig("GRAY"):
        return 1;
    case engine_sig("RGB "):
    case engine_sig("CMY "):
    case engine_sig("Lab "):
    case engine_sig("XYZ "):
    case engine_sig("3CLR"):
        return 3;
    case engine_sig("CMYK"):
    case engine_sig("4CLR"):
        return 4;
    default:
        break;
    }
    for (int n = 2; n <= 8; ++n)
        if (cs == engine_clr_sig(n))
            return n;
    return 0;
}

uint32_t icc_effective_pcs(uint32_t pcs)
{
    return pcs == SIG_XYZ ? SIG_XYZ : SIG_LAB;
}

void lut_table_free(lut_table *t)
{
    if (!t)
        return;
    for (int i = 0; i < ICC_MAX_CHANNELS; ++i) {
        std::free(t->input_tables[i]);
        std::free(t->output_tables[i]);
    }
    std::free(t->clut);
    std::memset(t, 0, sizeof *t);
}

void mab_table_free(mab_table *t)
{
    if (!t)
        return;
    for (int i = 0; i < ICC_MAX_CHANNELS; ++i) {
        std::free(t->a_curves[i]);
        std::free(t->b_curves[i]);
        std::free(t->m_curves[i]);
    }
    std::free(t->clut);
    std::memset(t, 0, sizeof *t);
}

engine_result lut_table_alloc(lut_table *t, uint32_t type, int inputs, int outputs,
                              int grid_points, int input_entries, int output_entries)
{
    lut_table_free(t);
    const bool eight = type == ICC_TYPE_LUT8;
    if ((!eight && type != ICC_TYPE_LUT16) || inputs < 1 || inputs > ICC_MAX_CHANNELS ||
        outputs < 1 || outputs > ICC_MAX_CHANNELS || grid_points < 2 || grid_points > 255)
        return ENGINE_ERR_WRONG_KIND;
    if (eight ? (input_entries != 256 || output_entries != 256)
              : (input_entries < 2 || input_entries > 4096 || output_entries < 2 ||
                 output_entries > 4096))
        return ENGINE_ERR_WRONG_KIND;
    const uint64_t n = clut_count(grid_points, inputs, outputs, kMaxClutEntries);
    if (n == 0)
        return ENGINE_ERR_WRONG_KIND;
    t->type = type;
    t->inputs = uint8_t(inputs);
    t->outputs = uint8_t(outputs);
    t->grid_points = uint8_t(grid_points);
    t->input_entries = uint16_t(input_entries);
    t->output_entries = uint16_t(output_entries);
    t->clut_entries = uint32_t(n);
    t->clut = static_cast<uint16_t *>(std::calloc(size_t(n), sizeof(uint16_t)));
    bool ok = t->clut != nullptr;
    for (int i = 0; ok && i < inputs; ++i)
        ok = (t->input_tables[i] = ramp(input_entries, eight)) != nullptr;
    for (int i = 0; ok && i < outputs; ++i)
        ok = (t->output_tables[i] = ramp(output_entries, eight)) != nullptr;
    if (!ok) {
        lut_table_free(t);
        return ENGINE_ERR_NO_MEMORY;
    }
    t->present = 1;
    return ENGINE_OK;
}

engine_result mab_table_alloc(mab_table *t, int inputs, int outputs, int grid_points,
                              int a_curve_entries, int bm_curve_entries)
{
    mab_table_free(t);
    if (inputs < 1 || inputs > ICC_MAX_CHANNELS || outputs < 1 || outputs > ICC_MAX_CHANNELS ||
        grid_points < 2 || grid_points > 255 || a_curve_entries < 2 ||
        a_curve_entries > 65535 || bm_curve_entries < 2 || bm_curve_entries > 65535)
        return ENGINE_ERR_WRONG_KIND;
    const uint64_t n = clut_count(grid_points, inputs, outputs, kMaxClutEntries);
    if (n == 0)
        return ENGINE_ERR_WRONG_KIND;
    t->inputs = uint8_t(inputs);
    t->outputs = uint8_t(outputs);
    t->grid_points = uint8_t(grid_points);
    t->a_curve_entries = uint16_t(a_curve_entries);
    t->bm_curve_entries = uint16_t(bm_curve_entries);
    t->clut_entries = uint32_t(n);
    t->clut = static_cast<uint16_t *>(std::calloc(size_t(n), sizeof(uint16_t)));
    bool ok = t->clut != nullptr;
    for (int i = 0; ok && i < inputs; ++i)
        ok = (t->a_curves[i] = ramp(a_curve_entries, false)) != nullptr;
    for (int i = 0; ok && i < outputs; ++i)
        ok = (t->b_curves[i] = ramp(bm_curve_entries, false)) != nullptr &&
             (t->m_curves[i] = ramp(bm_curve_entries, false)) != nullptr;
    if (!ok) {
        mab_table_free(t);
        return ENGINE_ERR_NO_MEMORY;
    }
    // Identity matrix, no offsets.
    t->matrix[0] = t->matrix[4] = t->matrix[8] = 1.0f;
    t->present = 1;
    return ENGINE_OK;
}

engine_result lut_table_copy(lut_table *dst, const lut_table *src)
{
    if (dst == src)
        return ENGINE_OK;
    engine_result r = lut_table_alloc(dst, src->type, src->inputs, src->outputs,
                                      src->grid_points, src->input_entries,
                                      src->output_entries);
    if (r != ENGINE_OK)
        return r;
    if (src->clut && src->clut_entries == dst->clut_entries)
        std::memcpy(dst->clut, src->clut, size_t(dst->clut_entries) * sizeof(uint16_t));
    for (int i = 0; i < dst->inputs; ++i)
        if (src->input_tables[i])
            std::memcpy(dst->input_tables[i], src->input_tables[i],
                        size_t(dst->input_entries) * sizeof(uint16_t));
    for (int i = 0; i < dst->outputs; ++i)
        if (src->output_tables[i])
            std::memcpy(dst->output_tables[i], src->output_tables[i],
                        size_t(dst->output_entries) * sizeof(uint16_t));
    dst->present = src->present;
    return ENGINE_OK;
}

void profile_tables_free(profile_tables *t)
{
    if (!t)
        return;
    lut_table_free(&t->a2b0_lut);
    lut_table_free(&t->a2b1_lut);
    mab_table_free(&t->a2b0_mab);
    mab_table_free(&t->a2b1_mab);
    for (auto &c : t->trc)
        std::free(c.entries);
    std::free(t->targ_text);
    std::memset(t, 0, sizeof *t);
}

void encode_lab16_words(const double lab[3], bool version2, uint16_t out[3])
{
    const double l_scale = version2 ? 652.80 : 655.35;
    const double ab_scale = version2 ? 256.0 : 257.0;
    const double v[3] = {lab[0] * l_scale, (lab[1] + 128.0) * ab_scale,
                         (lab[2] + 128.0) * ab_scale};
    for (int k = 0; k < 3; ++k)
        out[k] = uint16_t(std::lround(std::min(65535.0, std::max(0.0, v[k]))));
}
