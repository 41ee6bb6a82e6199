// Data preparation: the opening stages of both builders (preferences,
// matching and pairing the sets, the Lab set), leaving out what cannot be
// fitted, the white and black search and the normalisation of both sides.
#include "stages.h"

#include "engine/colour_maths.h"
#include "engine/engine_context.h"
#include "engine/entries.h"

#include <cmath>
#include <cstring>

namespace vp_build {

namespace {

constexpr uint32_t kSigSpec = engine_sig("Spec");
constexpr uint32_t kSigSpnm = engine_sig("Spnm");

}  // namespace

void report_percent(const progress_callbacks *cb, double percent)
{
    if (!cb || !cb->progress)
        return;
    const double p = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    cb->progress(cb->context, cb->start + int(std::lround(cb->span * p / 100.0)), cb->total);
}

bool abort_requested(const progress_callbacks *cb)
{
    return cb && cb->abort && cb->abort(cb->context) != 0;
}

engine_result merge_device_values(const patch_set *measured, patch_set *reference)
{
    if (!measured || !reference)
        return ENGINE_ERR_EMPTY;
    if (measured->count != reference->count)
        return ENGINE_ERR_SETS_MISMATCH;
    for (int32_t i = 0; i < reference->count; ++i) {
        patch_record &r = reference->patches[i];
        const patch_record &m = measured->patches[i];
        std::memcpy(r.device, m.device, sizeof r.device);
        std::memcpy(r.control, m.control, sizeof r.control);
        r.control[ENGINE_CONTROL_LEN - 1] = '\0';
    }
    if (measured->channels > 0) {
        // A colorimetric-only reference holds its colour space as its data
        // space; it becomes the PCS once the device space takes its place.
        if (reference->pcs == SIG_BLANK || reference->pcs == 0) {
            reference->pcs = reference->data_space;
            reference->pcs_channels = 3;
        }
        reference->channels = measured->channels;
        reference->data_space = measured->data_space;
        std::memcpy(reference->channel_names, measured->channel_names,
                    sizeof reference->channel_names);
    }
    return ENGINE_OK;
}

engine_result build_lab_patch_set(const patch_set *measured, const patch_set *reference,
                                  patch_set *out)
{
    (void)measured;
    if (!reference || !out || reference->count <= 0)
        return ENGINE_ERR_EMPTY;
    engine_result r = patch_set_copy(reference, out);
    if (r != ENGINE_OK)
        return r;
    bool incomplete = false;
    for (int32_t i = 0; i < out->count; ++i) {
        patch_record &p = out->patches[i];
        double lab[3], xyz[3];
        if (patch_set_get_lab(reference, i, lab) == ENGINE_OK && lab[0] >= 0.0 &&
            std::isfinite(lab[1]) && lab[1] > -500.0 && std::isfinite(lab[2]) &&
            lab[2] > -500.0) {
            cm_lab_to_xyz(lab, cm_d50_white, xyz);
        } else if (patch_set_get_xyz(reference, i, xyz) == ENGINE_OK && xyz[1] >= 0.0 &&
                   xyz[0] >= 0.0 && xyz[2] >= 0.0) {
            const double y1[3] = {xyz[0] / 100.0, xyz[1] / 100.0, xyz[2] / 100.0};
            cm_xyz_to_lab(y1, cm_d50_white, lab);
            xyz[0] = y1[0];
            xyz[1] = y1[1];
            xyz[2] = y1[2];
        } else {
            // No colour: the patch stays blank.
            p.lab[0] = -1.0f;
            p.lab[1] = p.lab[2] = -999.0f;
            p.xyz[0] = p.xyz[1] = p.xyz[2] = -1.0f;
            incomplete = true;
            continue;
        }
        for (int k = 0; k < 3; ++k) {
            p.lab[k] = float(lab[k]);
            p.xyz[k] = float(xyz[k] * 100.0);
        }
    }
    out->pcs = SIG_LAB;
    out->pcs_channels = 3;
    return incomplete ? LAB_SET_INCOMPLETE : engine_result(ENGINE_OK);
}

scan_prefs choose_scan_prefs(engine_context *ctx, const scan_prefs *given)
{
    scan_prefs prefs{};
    if (given)
        prefs = *given;
    else if (ctx)
        prefs = *engine_context_scan_prefs(ctx);
    else
        set_default_scan_prefs(&prefs);
    return prefs;
}

engine_result match_patch_sets(patch_set *measured, const patch_set *reference)
{
    if (measured->count > reference->count) {
        patch_set_remove_ignored(measured);
        if (measured->count > reference->count)
            return align_patch_sets(measured, reference);
    }
    return ENGINE_OK;
}

engine_result pair_patch_sets(patch_set *measured, patch_set *reference, spectra_rule rule,
                              patch_set *paired)
{
    engine_result r = merge_device_values(measured, reference);
    if (r != ENGINE_OK)
        return r;
    if (paired && (r = patch_set_copy(reference, paired)) != ENGINE_OK)
        return r;
    patch_set_remove_ignored(measured);
    patch_set_remove_ignored(reference);
    const bool spectra_space =
        reference->data_space == kSigSpec || reference->data_space == kSigSpnm;
    if (spectra_space || (rule == spectra_rule::any_spectral && reference->spectral))
        return patch_set_spectra_to_xyz(reference);
    return ENGINE_OK;
}

engine_result start_lab_set(const patch_set *measured, const patch_set *reference,
                            patch_set *lab, const progress_callbacks *cb)
{
    const engine_result r = build_lab_patch_set(measured, reference, lab);
    if (r != ENGINE_OK && r != LAB_SET_INCOMPLETE)
        return r;
    report_percent(cb, 0);
    return abort_requested(cb) ? ENGINE_ABORTED : engine_result(ENGINE_OK);
}

namespace {

// A device white level of 0..1.5 is a fraction of full scale (the expert
// white override stores value / 255); above, a value on the 0-255 scale.
double white_level(float w)
{
    if (!(w > 0.0f))
        return 255.0;
    return w <= 1.5f ? 255.0 * w : double(w);
}

engine_result prepare(const patch_set *measured, const patch_set *reference, scan_prefs *prefs,
                      prepared_data *out, bool scale_adaptation)
{
    (void)measured;
    if (!reference || !out || !prefs)
        return ENGINE_ERR_EMPTY;
    *out = prepared_data();
    const patch_set &set = *reference;
    double level[3];
    for (int c = 0; c < 3; ++c)
        level[c] = white_level(prefs->device_white[c]);

    // Candidates: device values present and within range, colour present,
    // not ignored.
    std::vector<int> usable;
    for (int32_t i = 0; i < set.count; ++i) {
        const patch_record &p = set.patches[i];
        if (p.control[0] == 'I')
            continue;
        bool ok = p.lab[0] >= 0.0f && p.xyz[1] >= 0.0f && std::isfinite(p.xyz[0]) &&
                  std::isfinite(p.xyz[1]) && std::isfinite(p.xyz[2]);
        for (int c = 0; c < 3 && ok; ++c)
            ok = std::isfinite(p.device[c]) && p.device[c] >= 0.0f &&
                 p.device[c] < 0.999 * level[c];
        if (ok)
            usable.push_back(i);
    }
    if (usable.empty()) {
        for (int k = 0; k < 3; ++k)
            prefs->leading[k] = float(cm_d50_white[k] * 100.0);
        return ENGINE_ERR_EMPTY;
    }
    for (int i : usable) {
        const patch_record &p = set.patches[i];
        if (out->white_index < 0 || p.xyz[1] > set.patches[out->white_index].xyz[1])
            out->white_index = i;
        if (out->black_index < 0 || p.xyz[1] < set.patches[out->black_index].xyz[1])
            out->black_index = i;
    }
    const patch_record &w = set.patches[out->white_index];
    for (int k = 0; k < 3; ++k) {
        out->white_xyz[k] = w.xyz[k] / 100.0;
        out->white_device[k] = w.device[k] / 255.0;
    }
    if (!(out->white_xyz[1] > 1e-6)) {
        for (int k = 0; k < 3; ++k)
            out->white_xyz[k] = cm_d50_white[k];
    }
    for (int k = 0; k < 3; ++k)
        prefs->leading[k] = float(out->white_xyz[k] * 100.0);

    if (scale_adaptation) {
        std::memset(out->adapt, 0, sizeof out->adapt);
        for (int k = 0; k < 3; ++k)
            out->adapt[k][k] = cm_d50_white[k] / out->white_xyz[k];
    } else {
        cm_bradford_matrix(out->white_xyz, cm_d50_white, out->adapt);
    }

    const double grey_weight = prefs->gray_option ? 1.0 + prefs->gray_option : 1.0;
    for (int i : usable) {
        const patch_record &p = set.patches[i];
        fit_patch f;
        const double xyz[3] = {p.xyz[0] / 100.0, p.xyz[1] / 100.0, p.xyz[2] / 100.0};
        for (int j = 0; j < 3; ++j) {
            f.xyz[j] = 0.0;
            for (int k = 0; k < 3; ++k)
                f.xyz[j] += out->adapt[j][k] * xyz[k];
            f.x[j] = p.device[j] / 255.0;
        }
        cm_xyz_to_lab(f.xyz, cm_d50_white, f.lab);
        f.low_chroma = std::strncmp(p.control, "LC", 2) == 0;
        const double chroma = std::hypot(f.lab[1], f.lab[2]);
        f.weight = chroma < 5.0 ? grey_weight : 1.0;
        out->patches.push_back(f);
        out->index.push_back(i);
    }
    return ENGINE_OK;
}

}  // namespace

engine_result prepare_patch_sets(const patch_set *measured, const patch_set *reference,
                                 scan_prefs *prefs, prepared_data *out)
{
    return prepare(measured, reference, prefs, out, false);
}

engine_result prepare_patch_sets_alt(const patch_set *measured, const patch_set *reference,
                                     scan_prefs *prefs, prepared_data *out)
{
    return prepare(measured, reference, prefs, out, true);
}

}  // namespace vp_build
