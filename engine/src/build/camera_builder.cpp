// The camera builder: from a measured and a reference patch set to a written
// ICC profile or DNG camera profile.
#include "stages.h"

#include "engine/builders.h"
#include "engine/cgats.h"
#include "engine/cie_tables.h"
#include "engine/colour_maths.h"
#include "engine/engine_context.h"
#include "engine/entries.h"
#include "engine/icc_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

using namespace vp_build;

void vp_build::set_input_header(profile_tables *tables, const profile_options &options,
                                const scan_prefs &prefs)
{
    tables->device_attributes = 0;
    if (options.device_flag1)
        tables->device_attributes |= ICC_ATTR_TRANSPARENCY;
    if (options.device_flag2)
        tables->device_attributes |= ICC_ATTR_NEGATIVE;
    tables->device_class = ICC_CLASS_INPUT;
    for (int k = 0; k < 3; ++k)
        tables->media_white[k] = prefs.leading[k] / 100.0f;
}

namespace {

constexpr uint32_t kSigSpec = engine_sig("Spec");
constexpr uint32_t kSigSpnm = engine_sig("Spnm");
constexpr int kLightA = 17;
constexpr int kLightD65 = 21;
constexpr int kLightD50 = 23;

// Owns the sets and tables of one build so that every road out releases them.
struct build_state {
    patch_set spare{};
    patch_set lab{};
    patch_set pair[4]{};  // dual road: measured 1, reference 1, measured 2, reference 2
    bool dual = false;
    build_state()
    {
        patch_set_init(&spare);
        patch_set_init(&lab);
        for (patch_set &s : pair)
            patch_set_init(&s);
    }
    ~build_state()
    {
        patch_set_free(&spare);
        patch_set_free(&lab);
        for (patch_set &s : pair)
            patch_set_free(&s);
    }
};

// The engine's built-in spectrum of a DNG light source.
bool builtin_illuminant(int light, engine_spectrum *out)
{
    const char *name = light == kLightA ? "A" : light == kLightD65 ? "D65"
                                              : light == kLightD50 ? "D50" : nullptr;
    const cie_table *t = name ? cie_find_table(name) : nullptr;
    if (!t || t->count <= 0)
        return false;
    // At most ENGINE_SPECTRUM_MAX samples: thin the published steps as needed.
    int k = 1;
    while ((t->count - 1) / k + 1 > ENGINE_SPECTRUM_MAX)
        ++k;
    const int m = (t->count - 1) / k + 1;
    out->start_nm = t->first_nm;
    out->step_nm = t->step_nm * k;
    out->end_nm = t->first_nm + (m - 1) * out->step_nm;
    for (int i = 0; i < m; ++i)
        out->values[i] = t->values[i * k];
    return true;
}

// A set holding patches first .. first + n - 1 of src.
engine_result take_patches(const patch_set *src, int first, int n, bool device_only,
                           patch_set *dst)
{
    engine_result r = patch_set_copy(src, dst);
    if (r != ENGINE_OK)
        return r;
    for (int i = 0; i < n; ++i) {
        if (device_only) {
            patch_record &p = dst->patches[i];
            patch_record_clear(&p);
            const patch_record &s = src->patches[first + i];
            std::memcpy(p.name, s.name, sizeof p.name);
            std::memcpy(p.control, s.control, sizeof p.control);
            p.sample_id = s.sample_id;
            for (int c = 0; c < 3; ++c)
                p.device[c] = s.device[c];
        } else {
            dst->patches[i] = src->patches[first + i];
        }
    }
    return patch_set_resize(dst, n);
}

void apply_transfer_to_set(patch_set *set, const transfer_samples &t)
{
    for (int32_t i = 0; i < set->count; ++i)
        for (int c = 0; c < 3; ++c) {
            float &v = set->patches[i].device[c];
            if (v < 0.0f && v != -1.0f)
                v = 0.0f;
            if (v == -1.0f)
                continue;  // absent
            const uint16_t *table = t.curves[t.count >= 3 ? c : 0];
            v = float(apply_transfer(table, t.entries, v));
        }
}

bool transfer_usable(const transfer_samples &t)
{
    if (t.count != 1 && t.count != 3)
        return false;
    if (t.entries < 2 || !t.curves)
        return false;
    for (int i = 0; i < t.count; ++i)
        if (!t.curves[i])
            return false;
    return true;
}

engine_result prepare_data(const patch_set *measured, const patch_set *lab, scan_prefs *prefs,
                           bool alt, prepared_data *data)
{
    return alt ? prepare_patch_sets_alt(measured, lab, prefs, data)
               : prepare_patch_sets(measured, lab, prefs, data);
}

// The fit maps camera values to reference XYZ adapted from the chart white to
// D50; a ColorMatrix maps XYZ as seen under its calibration light to camera.
// Folding the adaptation back in keeps each light's white apart, which a DNG
// reader needs to tell the two matrices' lights from the camera neutral.
void undo_white_adaptation(const prepared_data &data, dcp_model *model)
{
    double cm[3][3];
    for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k) {
            cm[j][k] = 0.0;
            for (int i = 0; i < 3; ++i)
                cm[j][k] += double(model->colour_matrix[j * 3 + i]) * data.adapt[i][k];
        }
    // Scaled as DNG readers normalise: the largest camera channel of D50 is 1.
    double top = 0.0;
    for (int j = 0; j < 3; ++j) {
        double v = 0.0;
        for (int k = 0; k < 3; ++k)
            v += cm[j][k] * cm_d50_white[k];
        top = std::max(top, v);
    }
    for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k)
            model->colour_matrix[j * 3 + k] = float(top > 1e-12 ? cm[j][k] / top : cm[j][k]);
}

void free_clut(profile_tables *tables)
{
    lut_table_free(&tables->a2b0_lut);
    mab_table_free(&tables->a2b0_mab);
    lut_table_free(&tables->a2b1_lut);
    mab_table_free(&tables->a2b1_mab);
}

fit_start start_from(const poly_model &pm, const float gamma[4])
{
    fit_start s{};
    for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k)
            s.matrix[j][k] = pm.model.coef[j][k];
    for (int c = 0; c < 3; ++c)
        s.gamma[c] = gamma[c] > 0.0f ? gamma[c] : 1.0;
    return s;
}

fit_start start_from_fit(const camera_fit &f)
{
    fit_start s{};
    for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k)
            s.matrix[j][k] = f.model.coef[j][k];
    for (int c = 0; c < 3; ++c)
        s.gamma[c] = f.model.curve[c].p[0];
    return s;
}

engine_result build(engine_context *ctx, profile_tables *tables, patch_set *reference,
                    patch_set *measured, const char *output_path, float gamma[4],
                    const scan_prefs *given_prefs, profile_options *options,
                    fit_statistics *stats, progress_callbacks *cb, unsigned char **buffer,
                    uint32_t *size, build_state &st)
{
    // 1. Mode table and DNG options.
    const bool dcp = options->make_dcp != 0;
    int mode = options->calculation_mode;
    bool matrix_only = false;

    // 2. Preferences: a copy, so that neither the caller's record nor the
    // context's defaults carry this run's changes into the next.
    scan_prefs prefs{};
    if (given_prefs) {
        prefs = *given_prefs;
    } else if (ctx) {
        prefs = *engine_context_scan_prefs(ctx);
    } else {
        set_default_scan_prefs(&prefs);
    }

    if (dcp) {
        if (mode == 1 || mode == 4)
            matrix_only = true;
        prefs.map_in_XYZ = 0;
        prefs.map_in_LAB = 0;
    } else {
        if (mode == 2 || mode == 7 || mode == 8) {
            mode = 1;
            options->pcs = SIG_LAB;
        } else if (mode == 5 || mode == 6) {
            mode = 0;
        }
        if (options->transfer.count != 0) {
            mode = 1;
            options->pcs = SIG_LAB;
        }
    }
    options->calculation_mode = mode;

    dcp_options dopt{};
    dopt.matrix_and_tables = matrix_only ? 0 : 1;
    dopt.scale = 1.0f;
    // The reference is D50 colorimetry unless a road below re-illuminates it.
    dopt.calibration_illuminant1 = kLightD50;
    dopt.calibration_illuminant2 = kLightD65;
    dopt.mode0 = mode == 0 ? 1 : 0;
    dopt.baseline_exposure_offset = options->settings_value;

    // The observer is the calculation settings' second word (1: 10-degree).
    const int observer = options->settings_word1;

    // 3. Re-illumination with the job's illuminant.
    if (reference->spectral && options->illuminant.start_nm >= 1) {
        engine_result r = patch_set_reilluminate(reference, &options->illuminant, observer);
        if (r != ENGINE_OK)
            return r;
        dopt.calibration_illuminant1 = kLightD50;
    }

    // 4. The dual-illuminant road: one chart measured under two lights.
    const target_offsets *block = options->job_block;
    if (block && block->count == 2 && dcp && options->settings_word0 == 1) {
        const int n = block->rows[1][1] - block->rows[1][0];
        if (n <= 0 || measured->count < 2 * n || reference->count < 2 * n)
            return ENGINE_ERR_SETS_MISMATCH;
        engine_result r = ENGINE_OK;
        for (int half = 0; half < 2 && r == ENGINE_OK; ++half) {
            r = take_patches(measured, half * n, n, true, &st.pair[2 * half]);
            if (r == ENGINE_OK)
                r = take_patches(reference, half * n, n, false, &st.pair[2 * half + 1]);
        }
        if (r != ENGINE_OK)
            return r;
        const int lights[2] = {kLightA, kLightD65};
        for (int half = 0; half < 2; ++half) {
            engine_spectrum light{};
            if (!builtin_illuminant(lights[half], &light))
                return ENGINE_ERR_WRONG_KIND;
            patch_set &ref = st.pair[2 * half + 1];
            r = patch_set_reilluminate(&ref, &light, observer);
            if (r != ENGINE_OK)
                return r;
            ref.spectral = 0;
        }
        if ((r = patch_set_copy(&st.pair[0], measured)) != ENGINE_OK ||
            (r = patch_set_copy(&st.pair[1], reference)) != ENGINE_OK)
            return r;
        st.dual = true;
        dopt.dual_illuminant = 1;
        dopt.calibration_illuminant1 = kLightA;
    }

    // 5. Matching the sets.
    if (measured->count > reference->count) {
        patch_set_remove_ignored(measured);
        if (measured->count > reference->count) {
            engine_result r = align_patch_sets(measured, reference);
            if (r != ENGINE_OK)
                return r;
        }
    }

    // 6. Pairing.
    engine_result r = merge_device_values(measured, reference);
    if (r != ENGINE_OK)
        return r;
    if ((r = patch_set_copy(reference, &st.spare)) != ENGINE_OK)
        return r;
    patch_set_remove_ignored(measured);
    patch_set_remove_ignored(reference);
    if (reference->data_space == kSigSpec || reference->data_space == kSigSpnm) {
        if ((r = patch_set_spectra_to_xyz(reference)) != ENGINE_OK)
            return r;
    }

    // 7. The Lab set.
    r = build_lab_patch_set(measured, reference, &st.lab);
    if (r != ENGINE_OK && r != LAB_SET_INCOMPLETE)
        return r;
    report_percent(cb, 0);
    if (abort_requested(cb))
        return ENGINE_ABORTED;

    // 8. Transfer curves.
    const bool transfer = options->transfer.count != 0;
    if (transfer) {
        if (!transfer_usable(options->transfer))
            return ENGINE_ERR_WRONG_KIND;
        std::fputs("Transfer Function from Capture One present, running RGB data through the "
                   "curves\n",
                   stderr);
        apply_transfer_to_set(measured, options->transfer);
        apply_transfer_to_set(reference, options->transfer);
        apply_transfer_to_set(&st.lab, options->transfer);
    }

    // 9.
    if (!dcp) {
        if (mode == 0)
            prefs.map_white_maintain_hue = 1;
        else if (mode == 1)
            prefs.map_white_maintain_hue = 0;
    }

    // 10. Preparation.
    prepared_data data;
    if ((r = prepare_data(measured, &st.lab, &prefs, options->settings_flag != 0, &data)) !=
        ENGINE_OK)
        return r;

    // 11. Profile tables.
    tables->colour_space = measured->data_space;
    set_input_header(tables, *options, prefs);
    const std::string description = profile_description(output_path);
    std::snprintf(tables->description, sizeof tables->description, "%s", description.c_str());

    // 12. Table layout. The model has three device channels.
    if (tables->colour_space != SIG_RGB && tables->colour_space != SIG_LAB)
        return ENGINE_ERR_WRONG_KIND;
    const bool lab_pcs = options->pcs == SIG_LAB;
    if (!lab_pcs) {
        tables->pcs = SIG_XYZ;
        tables->a2b0_mab.present = 1;
        tables->a2b0_mab.grid_points = 33;
    } else {
        tables->pcs = SIG_LAB;
        r = lut_table_alloc(&tables->a2b0_lut, ICC_TYPE_LUT16, 3, 3, 33, 256, 256);
        if (r != ENGINE_OK)
            return r;
    }

    // 13. The starting model.
    poly_model pm;
    if ((r = poly_model_init(&pm, 1, 3)) != ENGINE_OK)
        return r;
    const bool dcp_like = dcp || options->override_option;
    const int formula = (options->delta_e_formula >= 0 && options->delta_e_formula <= 3)
                            ? options->delta_e_formula
                            : 0;
    if (prefs.iterate_on_gamma_basic) {
        r = dcp_like ? estimate_channel_gammas_dcp(&data, gamma, formula)
                     : estimate_channel_gammas(&data, gamma, formula);
        if (r != ENGINE_OK)
            return r;
    }
    if (dcp) {
        gamma[0] = gamma[1] = gamma[2] = 1.0f;
    }
    if ((r = build_device_to_pcs_table(&pm, &data, gamma, tables, stats)) != ENGINE_OK)
        return r;
    if (abort_requested(cb))
        return ENGINE_ABORTED;

    // 14. First fit.
    const bool quick = prefs.poly_quality == 1;
    const int max_degree = prefs.poly_quality <= 1 ? 1 : prefs.poly_quality == 2 ? 2 : 3;
    camera_fit fit;
    if ((r = fit_model_init(&fit, cb, &data, dcp, max_degree)) != ENGINE_OK)
        return r;
    fit.judged_formula = formula;
    fit_model_start(&fit, start_from(pm, gamma));
    int flags = dcp_like ? 2065 : 73;
    if (quick)
        flags = 513;
    if (matrix_only)
        flags = FIT_MATRIX;
    if (dcp)
        flags |= FIT_WHITE;
    if ((r = fit_model_powell(&fit, flags, 0, FIT_MODE_PLAIN, 0, 20)) != ENGINE_OK)
        return r;

    // 15. Further passes.
    if (!quick) {
        int flags2 = dcp_like ? 43025 : 1353;
        if (matrix_only)
            flags2 = FIT_MATRIX;
        if (dcp)
            flags2 |= FIT_WHITE;
        if ((r = fit_model_powell(&fit, flags2, 0, FIT_MODE_PLAIN, 20, 50)) != ENGINE_OK)
            return r;
        const int keep = FIT_MATRIX | (flags2 & (FIT_WHITE | FIT_LINEAR_RAW));
        if ((r = fit_model_powell(&fit, keep, formula, FIT_MODE_PLAIN, 50, 75)) != ENGINE_OK)
            return r;
        const bool lc_mode = st.spare.count == 140 && patch_set_count_lc(&st.spare) >= 4;
        if ((r = fit_model_powell(&fit, keep, formula,
                                  lc_mode ? FIT_MODE_FINAL_LC : FIT_MODE_FINAL, 75, 90)) !=
            ENGINE_OK)
            return r;
    }

    // 16. The writer over the tables.
    icc_writer writer;
    if ((r = icc_writer_init_from_tables(&writer, ctx, tables, true)) != ENGINE_OK)
        return r;

    // 17. CamData.CIE, the characterisation file embedded as 'targ'.
    {
        // Without a folder of the caller's, a private one, so that two
        // builds at once never share the file.
        std::string folder;
        bool private_folder = false;
        if (options->temp_folder && options->temp_folder[0]) {
            folder = options->temp_folder;
        } else {
            const char *tmp = std::getenv("TMPDIR");
            std::string pattern = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/pelto-XXXXXX";
            if (mkdtemp(&pattern[0])) {
                folder = pattern;
                private_folder = true;
            }
        }
        if (!folder.empty()) {
            const std::string path = folder + "/CamData.CIE";
            const std::string line = std::string("DESCRIPTOR\t\"UniqueCameraModel='") +
                                     (options->camera_model ? options->camera_model : "") +
                                     "'\"\n";
            if (write_cgats_file(&st.spare, path.c_str(), 0x431, -1, line.c_str()) == ENGINE_OK)
                icc_writer_load_target_data(&writer, path.c_str());
            if (private_folder) {
                std::remove(path.c_str());
                rmdir(folder.c_str());
            }
        }
    }

    // 19. The fitted parameters into the tables, the statistics out.
    fit_model_to_tables(&fit, tables);
    if (stats)
        for (int k = 0; k < 7; ++k)
            stats->values[k] = fit.statistics[k];
    if (fit.flags & FIT_GAMMA_READBACK)
        for (int c = 0; c < 3; ++c)
            gamma[c] = float(fit.model.curve[c].p[0]);
    // 18. Identity private matrix.
    if (options->identity_tables)
        for (int k = 0; k < 9; ++k)
            tables->private_matrix[k] = (k % 4 == 0) ? 1.0f : 0.0f;
    if (abort_requested(cb))
        return ENGINE_ABORTED;

    if (!dcp) {
        // 20. ICC output.
        if (options->identity_tables && tables->a2b1_mab.present &&
            (r = correct_lut_xyz(&fit, &tables->a2b1_mab)) != ENGINE_OK)
            return r;
        if (transfer && (r = fit_model_set_transfer(&fit, &options->transfer)) != ENGINE_OK)
            return r;
        bool version4 = true;
        if (tables->pcs == SIG_XYZ) {
            r = correct_lut_xyz(&fit, &tables->a2b0_mab);
        } else {
            r = correct_lut_lab(&fit, tables);
            version4 = false;
        }
        if (r != ENGINE_OK)
            return r;
        report_percent(cb, 95);
        if (abort_requested(cb))
            return ENGINE_ABORTED;
        const uint32_t creator = options->creator ? options->creator : ENGINE_CREATOR;
        if (buffer && size) {
            *buffer = nullptr;
            *size = 0;
            unsigned char *block =
                static_cast<unsigned char *>(std::malloc(ENGINE_CAMERA_BUFFER_BYTES));
            if (!block)
                return ENGINE_ERR_NO_MEMORY;
            r = assemble_icc_profile(&writer, output_path, creator, options->copyright, false,
                                     options->identity_tables != 0, version4, block,
                                     ENGINE_CAMERA_BUFFER_BYTES, size);
            if (r != ENGINE_OK) {
                std::free(block);
                *size = 0;
                return r;
            }
            *buffer = block;
        } else {
            r = assemble_icc_profile(&writer, output_path, creator, options->copyright, false,
                                     options->identity_tables != 0, version4, nullptr, 0,
                                     nullptr);
            if (r != ENGINE_OK)
                return r;
        }
    } else {
        // 21. DCP output.
        dcp_model main_model{}, second_model{};
        double cm[3][3], fm[3][3];
        fit_model_dcp(&fit, &main_model, cm, fm);
        if (st.dual)
            undo_white_adaptation(data, &main_model);
        camera_fit fit2;
        if (st.dual) {
            patch_set &m2 = st.pair[2];
            patch_set &r2 = st.pair[3];
            if ((r = patch_set_copy(&r2, &st.spare)) != ENGINE_OK ||
                (r = merge_device_values(&m2, &r2)) != ENGINE_OK)
                return r;
            patch_set_remove_ignored(&m2);
            patch_set_remove_ignored(&r2);
            r = build_lab_patch_set(&m2, &r2, &st.lab);
            if (r != ENGINE_OK && r != LAB_SET_INCOMPLETE)
                return r;
            prepared_data data2;
            if ((r = prepare_data(&m2, &st.lab, &prefs, prefs.map_relative != 0, &data2)) !=
                ENGINE_OK)
                return r;
            if ((r = fit_model_init(&fit2, cb, &data2, true, 1)) != ENGINE_OK)
                return r;
            fit_model_start(&fit2, start_from_fit(fit));
            const int f2 = FIT_MATRIX | FIT_WHITE;
            if ((r = fit_model_powell(&fit2, f2, 0, FIT_MODE_PLAIN, 90, 100)) != ENGINE_OK ||
                (r = fit_model_powell(&fit2, f2, fit.formula, FIT_MODE_PLAIN, 90, 100)) !=
                    ENGINE_OK ||
                (r = fit_model_powell(&fit2, f2, fit.formula, FIT_MODE_FINAL, 90, 100)) !=
                    ENGINE_OK)
                return r;
            fit_model_dcp(&fit2, &second_model, cm, fm);
            undo_white_adaptation(data2, &second_model);
        }
        const std::string model = rename_camera_model(options->camera_model);
        if (abort_requested(cb))
            return ENGINE_ABORTED;
        r = write_dcp_profile(ctx, output_path, model.c_str(), options->creator,
                              options->copyright, &main_model,
                              st.dual ? &second_model : nullptr, &dopt);
        if (r != ENGINE_OK)
            return r;
    }
    // 22.
    report_percent(cb, 100);
    return ENGINE_OK;
}

}  // namespace

engine_result build_camera_profile(engine_context *ctx, profile_tables *tables,
                                   patch_set *reference, patch_set *measured,
                                   const char *output_path, float gamma[4], scan_prefs *prefs,
                                   profile_options *options, fit_statistics *stats,
                                   progress_callbacks *callbacks, unsigned char **buffer,
                                   uint32_t *size)
{
    if (buffer && size) {
        *buffer = nullptr;
        *size = 0;
    }
    if (!tables || !reference || !measured || !options || !gamma)
        return ENGINE_ERR_EMPTY;
    if (reference->count <= 0 || measured->count <= 0 || !reference->patches ||
        !measured->patches)
        return ENGINE_ERR_EMPTY;
    if (!(buffer && size) && !output_path)
        return ENGINE_ERR_FILE;
    build_state st;
    const engine_result r = build(ctx, tables, reference, measured, output_path, gamma, prefs,
                                  options, stats, callbacks, buffer, size, st);
    if (r != ENGINE_OK)
        free_clut(tables);
    return r;
}
