#include "engine/patch_set.h"

#include "engine/colour_maths.h"
#include "io/spectrum_ops.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

bool valid_index(const patch_set *set, int32_t index)
{
    return set && set->patches && index >= 0 && index < set->count;
}

patch_record *new_records(int32_t count)
{
    if (count < 0 || count > ENGINE_MAX_PATCHES)
        return nullptr;
    const size_t n = count > 0 ? size_t(count) : 1;
    auto *p = static_cast<patch_record *>(std::malloc(n * sizeof(patch_record)));
    if (!p)
        return nullptr;
    for (size_t i = 0; i < n; ++i)
        patch_record_clear(&p[i]);
    return p;
}

}  // namespace

uint32_t engine_clr_sig(int n)
{
    if (n < 2 || n > 8)
        return SIG_BLANK;
    const char name[5] = {char('0' + n), 'C', 'L', 'R', '\0'};
    return platform::signature(name);
}

int engine_spectrum_count(const engine_spectrum &s)
{
    if (s.start_nm < 0 || s.step_nm <= 0 || s.end_nm < s.start_nm)
        return 0;
    const long long n = (static_cast<long long>(s.end_nm) - s.start_nm) / s.step_nm + 1;
    return n > ENGINE_SPECTRUM_MAX ? ENGINE_SPECTRUM_MAX : static_cast<int>(n);
}

void patch_record_clear(patch_record *p)
{
    std::memset(p, 0, sizeof(*p));
    p->sample_id = -1;
    for (int32_t &r : p->reserved)
        r = -1;
    for (float &d : p->device)
        d = -1.0f;
    for (float &v : p->xyz)
        v = -1.0f;
    p->lab[0] = -1.0f;
    p->lab[1] = p->lab[2] = -999.0f;
    p->lch[0] = -1.0f;
    p->lch[1] = p->lch[2] = -999.0f;
    p->spectrum.start_nm = -1;
    p->spectrum.end_nm = -1;
    p->spectrum.step_nm = 0;
}

engine_result patch_set_init(patch_set *set)
{
    if (!set)
        return ENGINE_ERR_EMPTY;
    std::memset(set, 0, sizeof(*set));
    set->data_space = SIG_BLANK;
    set->pcs = SIG_BLANK;
    for (float &v : set->builder_values)
        v = -1.0f;
    return ENGINE_OK;
}

void patch_set_free(patch_set *set)
{
    if (!set)
        return;
    std::free(set->patches);
    std::free(set->gamut_table);
    set->patches = nullptr;
    set->gamut_table = nullptr;
    set->count = 0;
}

engine_result patch_set_alloc(patch_set *set, int32_t count)
{
    if (!set)
        return ENGINE_ERR_EMPTY;
    set->count = 0;
    patch_record *p = new_records(count);
    if (!p)
        return ENGINE_ERR_NO_MEMORY;
    std::free(set->patches);
    set->patches = p;
    set->count = count;
    return ENGINE_OK;
}

engine_result patch_set_resize(patch_set *set, int32_t count)
{
    if (!set)
        return ENGINE_ERR_EMPTY;
    patch_record *p = new_records(count);
    if (!p)
        return ENGINE_ERR_NO_MEMORY;
    const int32_t old = set->patches ? set->count : 0;
    const int32_t keep = old < count ? old : count;
    if (keep > 0)
        std::memcpy(p, set->patches, size_t(keep) * sizeof(patch_record));
    if (set->spectral && old > 0) {
        const engine_spectrum &s0 = set->patches[0].spectrum;
        for (int32_t i = keep; i < count; ++i) {
            p[i].spectrum.start_nm = s0.start_nm;
            p[i].spectrum.end_nm = s0.end_nm;
            p[i].spectrum.step_nm = s0.step_nm;
        }
    }
    std::free(set->patches);
    set->patches = p;
    set->count = count;
    return ENGINE_OK;
}

engine_result patch_set_copy(const patch_set *src, patch_set *dst)
{
    if (!src || !dst || src == dst)
        return ENGINE_ERR_EMPTY;
    const int32_t count = src->patches ? src->count : 0;
    patch_record *p = new_records(count);
    if (!p)
        return ENGINE_ERR_NO_MEMORY;
    if (count > 0)
        std::memcpy(p, src->patches, size_t(count) * sizeof(patch_record));
    patch_set_free(dst);
    std::memcpy(dst, src, sizeof(*dst));
    dst->patches = p;
    dst->count = count;
    dst->gamut_table = nullptr;
    if (src->gamut_table) {
        const engine_result r = patch_set_build_gamut_table(dst);
        if (r != ENGINE_OK) {
            patch_set_free(dst);
            return r;
        }
    }
    return ENGINE_OK;
}

engine_result patch_set_get_lab(const patch_set *set, int32_t index, double lab[3])
{
    if (!valid_index(set, index))
        return ENGINE_ERR_INDEX;
    const patch_record &p = set->patches[index];
    if (set->spectral || set->data_space == SIG_LAB ||
        (set->pcs == SIG_LAB && set->data_space != SIG_XYZ)) {
        for (int k = 0; k < 3; ++k)
            lab[k] = p.lab[k];
        return ENGINE_OK;
    }
    if (set->data_space == SIG_XYZ || set->pcs == SIG_XYZ) {
        const double xyz[3] = {p.xyz[0], p.xyz[1], p.xyz[2]};
        cm_xyz_to_lab(xyz, cm_icc_d50_white_100, lab);
        return ENGINE_OK;
    }
    return ENGINE_ERR_NO_LAB_OR_XYZ;
}

engine_result patch_set_get_xyz(const patch_set *set, int32_t index, double xyz[3])
{
    if (!valid_index(set, index))
        return ENGINE_ERR_INDEX;
    const patch_record &p = set->patches[index];
    if (set->spectral || set->data_space == SIG_XYZ ||
        (set->pcs == SIG_XYZ && set->data_space != SIG_LAB)) {
        for (int k = 0; k < 3; ++k)
            xyz[k] = p.xyz[k];
        return ENGINE_OK;
    }
    if (set->data_space == SIG_LAB || set->pcs == SIG_LAB) {
        const double lab[3] = {p.lab[0], p.lab[1], p.lab[2]};
        cm_lab_to_xyz(lab, cm_icc_d50_white_100, xyz);
        return ENGINE_OK;
    }
    return ENGINE_ERR_NO_LAB_OR_XYZ;
}

engine_result patch_set_set_lab(patch_set *set, int32_t index, const double lab[3])
{
    if (!valid_index(set, index))
        return ENGINE_ERR_INDEX;
    const bool colorimetric = set->spectral || set->data_space == SIG_LAB ||
                              set->data_space == SIG_XYZ || set->pcs == SIG_LAB ||
                              set->pcs == SIG_XYZ;
    if (!colorimetric)
        return ENGINE_ERR_NO_LAB_OR_XYZ;
    patch_record &p = set->patches[index];
    double xyz[3];
    cm_lab_to_xyz(lab, cm_icc_d50_white_100, xyz);
    for (int k = 0; k < 3; ++k) {
        p.lab[k] = static_cast<float>(lab[k]);
        p.xyz[k] = static_cast<float>(xyz[k]);
    }
    return ENGINE_OK;
}

engine_result patch_set_set_rgb(patch_set *set, int32_t index, const double rgb[3])
{
    if (!valid_index(set, index))
        return ENGINE_ERR_INDEX;
    patch_record &p = set->patches[index];
    for (int k = 0; k < 3; ++k)
        p.device[k] = static_cast<float>(rgb[k]);
    p.device[3] = -1.0f;
    return ENGINE_OK;
}

engine_result patch_set_spectra_to_xyz(patch_set *set)
{
    if (!set || set->count <= 0 || !set->patches || !set->spectral)
        return ENGINE_ERR_EMPTY;
    for (int32_t i = 0; i < set->count; ++i) {
        const engine_spectrum &s = set->patches[i].spectrum;
        if (s.start_nm < 0)
            continue;
        if (s.step_nm != 10 && s.step_nm != 5)
            return ENGINE_ERR_WRONG_KIND;
    }
    for (int32_t i = 0; i < set->count; ++i) {
        patch_record &p = set->patches[i];
        if (p.spectrum.start_nm < 0)
            continue;
        spectrum_to_patch_colour(&p, nullptr, 0, cm_icc_d50_white_100);
    }
    if (set->pcs == SIG_BLANK)
        set->data_space = SIG_XYZ;
    else
        set->pcs = SIG_XYZ;
    return ENGINE_OK;
}

engine_result patch_set_reilluminate(patch_set *set, const engine_spectrum *illuminant,
                                     int observer)
{
    if (!set || set->count <= 0 || !set->patches || !set->spectral)
        return ENGINE_ERR_EMPTY;
    if (!illuminant || engine_spectrum_count(*illuminant) <= 0)
        return ENGINE_ERR_WRONG_KIND;
    for (int32_t i = 0; i < set->count; ++i) {
        patch_record &p = set->patches[i];
        if (p.spectrum.start_nm < 0 || engine_spectrum_count(p.spectrum) <= 0)
            continue;
        double white[3];
        if (!illuminant_white_over(*illuminant, p.spectrum, observer, white))
            return ENGINE_ERR_WRONG_KIND;
        spectrum_to_patch_colour(&p, illuminant, observer, white);
    }
    if (set->pcs == SIG_BLANK)
        set->data_space = SIG_XYZ;
    else
        set->pcs = SIG_XYZ;
    return ENGINE_OK;
}

engine_result patch_set_remove_ignored(patch_set *set)
{
    if (!set || set->count <= 0 || !set->patches)
        return ENGINE_ERR_EMPTY;
    int32_t kept = 0;
    for (int32_t i = 0; i < set->count; ++i) {
        if (set->patches[i].control[0] == 'I')
            continue;
        if (kept != i)
            set->patches[kept] = set->patches[i];
        ++kept;
    }
    set->count = kept;
    return ENGINE_OK;
}

int32_t patch_set_count_lc(const patch_set *set)
{
    if (!set || !set->patches)
        return 0;
    int32_t n = 0;
    for (int32_t i = 0; i < set->count; ++i)
        if (std::strncmp(set->patches[i].control, "LC", 2) == 0)
            ++n;
    return n;
}

namespace {

// "A12" -> ('A', 12): the first character and the number after it.
bool same_location(const char *a, const char *b)
{
    if (a[0] != b[0])
        return false;
    if (a[0] == '\0')
        return true;
    return std::atol(a + 1) == std::atol(b + 1);
}

}  // namespace

engine_result align_patch_sets(patch_set *measured, const patch_set *reference)
{
    if (!measured || !reference || (!measured->patches && measured->count > 0) ||
        (!reference->patches && reference->count > 0))
        return ENGINE_ERR_SETS_MISMATCH;
    for (int32_t i = 0; i < reference->count; ++i) {
        for (;;) {
            if (i >= measured->count)
                return ENGINE_ERR_SETS_MISMATCH;
            if (same_location(measured->patches[i].name, reference->patches[i].name))
                break;
            std::memmove(&measured->patches[i], &measured->patches[i + 1],
                         size_t(measured->count - i - 1) * sizeof(patch_record));
            --measured->count;
        }
    }
    if (measured->count < reference->count)
        return ENGINE_ERR_SETS_MISMATCH;
    measured->count = reference->count;
    return ENGINE_OK;
}
