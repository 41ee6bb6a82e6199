// The camera builder: from a measured and a reference patch set to a written
// ICC profile or DNG camera profile.
#include "stages.h"

#include "engine/builders.h"
#include "engine/cgats.h"
#include "engine/cie_tables.h"
#include "engine/colour_maths.h"
#include "engine/entries.h"
#include "engine/icc_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

using namespace vp_build;

namespace {

constexpr int kLightA = 17;
constexpr int kLightD65 = 21;
constexpr int kLightD50 = 23;

// A patch set released with its owner.
struct owned_set {
    patch_set set{};
    owned_set() { patch_set_init(&set); }
    ~owned_set() { patch_set_free(&set); }
    owned_set(const owned_set &) = delete;
    owned_set &operator=(const owned_set &) = delete;
};

void free_clut(profile_tables *tables)
{
    lut_table_free(&tables->a2b0_lut);
    mab_table_free(&tables->a2b0_mab);
    lut_table_free(&tables->a2b1_lut);
    mab_table_free(&tables->a2b1_mab);
}

// The road: the mode table, then every stage in turn until one fails.
engine_result run_camera_road(camera_build &b)
{
    apply_calculation_mode(b);
    using stage = engine_result (*)(camera_build &);
    const stage road[] = {
        reilluminate_reference,
        split_dual_illuminant,
        match_sets,
        pair_sets,
        make_lab_set,
        apply_transfer_curves,
        choose_white_mapping,
        prepare_training_data,
        fill_profile_header,
        lay_out_tables,
        fit_polynomial_model,
        run_first_fit,
        run_further_fits,
        open_icc_writer,
        embed_characterisation,
        fitted_model_into_tables,
        b.dcp ? write_dcp_output : write_icc_output,
    };
    for (stage s : road) {
        const engine_result r = s(b);
        if (r != ENGINE_OK)
            return r;
    }
    report_percent(b.callbacks, 100);
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
    camera_build b;
    b.ctx = ctx;
    b.tables = tables;
    b.reference = reference;
    b.measured = measured;
    b.output_path = output_path;
    b.gamma = gamma;
    b.options = options;
    b.stats = stats;
    b.callbacks = callbacks;
    b.buffer = buffer;
    b.size = size;
    b.prefs = choose_scan_prefs(ctx, prefs);
    const engine_result r = run_camera_road(b);
    if (r != ENGINE_OK)
        free_clut(tables);
    return r;
}

// ---- the record ----------------------------------------------------------

vp_build::camera_build::camera_build()
{
    patch_set_init(&spare);
    patch_set_init(&lab);
    patch_set_init(&second_measured);
    patch_set_init(&second_reference);
}

vp_build::camera_build::~camera_build()
{
    patch_set_free(&spare);
    patch_set_free(&lab);
    patch_set_free(&second_measured);
    patch_set_free(&second_reference);
}

bool vp_build::camera_build::dcp_like() const
{
    return dcp || options->override_option;
}

int vp_build::camera_build::formula() const
{
    const int f = options->delta_e_formula;
    return f >= 0 && f <= 3 ? f : 0;
}

// ---- the stages, in order ------------------------------------------------

void vp_build::apply_calculation_mode(camera_build &b)
{
    profile_options &o = *b.options;
    b.dcp = o.make_dcp != 0;
    int mode = o.calculation_mode;
    b.matrix_only = b.dcp && (mode == 1 || mode == 4);
    if (b.dcp) {
        b.prefs.map_in_XYZ = 0;
        b.prefs.map_in_LAB = 0;
    } else {
        if (mode == 2 || mode == 7 || mode == 8) {
            mode = 1;
            o.pcs = SIG_LAB;
        } else if (mode == 5 || mode == 6) {
            mode = 0;
        }
        if (o.transfer.count != 0) {
            mode = 1;
            o.pcs = SIG_LAB;
        }
    }
    o.calculation_mode = mode;

    dcp_options &d = b.dcp_opts;
    d = dcp_options{};
    d.matrix_and_tables = b.matrix_only ? 0 : 1;
    d.scale = 1.0f;
    d.calibration_illuminant1 = kLightA;
    d.calibration_illuminant2 = kLightD65;
    d.mode0 = mode == 0 ? 1 : 0;
    d.baseline_exposure_offset = o.settings_value;
}

// The observer is the calculation settings' second word (1: 10-degree).
static int observer(const camera_build &b)
{
    return b.options->settings_word1;
}

engine_result vp_build::reilluminate_reference(camera_build &b)
{
    if (!b.reference->spectral || b.options->illuminant.start_nm < 1)
        return ENGINE_OK;
    const engine_result r =
        patch_set_reilluminate(b.reference, &b.options->illuminant, observer(b));
    if (r != ENGINE_OK)
        return r;
    b.dcp_opts.calibration_illuminant1 = kLightD50;
    return ENGINE_OK;
}

// The engine's built-in spectrum of a DNG light source.
static bool builtin_illuminant(int light, engine_spectrum *out)
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
static engine_result take_patches(const patch_set *src, int first, int n, bool device_only,
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


engine_result vp_build::split_dual_illuminant(camera_build &b)
{
    const target_offsets *block = b.options->job_block;
    if (!block || block->count != 2 || !b.dcp || b.options->settings_word0 != 1)
        return ENGINE_OK;
    const int n = block->rows[1][1] - block->rows[1][0];
    if (n <= 0 || b.measured->count < 2 * n || b.reference->count < 2 * n)
        return ENGINE_ERR_SETS_MISMATCH;
    // Patches 0 .. n-1 of both sets were shot under the first light, n .. 2n-1
    // under the second; the measured halves take the device values alone.
    owned_set first_measured, first_reference;
    patch_set *halves[2][2] = {{&first_measured.set, &first_reference.set},
                               {&b.second_measured, &b.second_reference}};
    engine_result r = ENGINE_OK;
    for (int half = 0; half < 2 && r == ENGINE_OK; ++half) {
        r = take_patches(b.measured, half * n, n, true, halves[half][0]);
        if (r == ENGINE_OK)
            r = take_patches(b.reference, half * n, n, false, halves[half][1]);
    }
    if (r != ENGINE_OK)
        return r;
    const int lights[2] = {kLightA, kLightD65};
    for (int half = 0; half < 2; ++half) {
        engine_spectrum light{};
        if (!builtin_illuminant(lights[half], &light))
            return ENGINE_ERR_WRONG_KIND;
        patch_set &ref = *halves[half][1];
        r = patch_set_reilluminate(&ref, &light, observer(b));
        if (r != ENGINE_OK)
            return r;
        ref.spectral = 0;
    }
    if ((r = patch_set_copy(&first_measured.set, b.measured)) != ENGINE_OK ||
        (r = patch_set_copy(&first_reference.set, b.reference)) != ENGINE_OK)
        return r;
    b.dual = true;
    b.dcp_opts.dual_illuminant = 1;
    b.dcp_opts.calibration_illuminant1 = kLightA;
    return ENGINE_OK;
}

engine_result vp_build::match_sets(camera_build &b)
{
    return match_patch_sets(b.measured, b.reference);
}

engine_result vp_build::pair_sets(camera_build &b)
{
    return pair_patch_sets(b.measured, b.reference, spectra_rule::spectral_data_space,
                           &b.spare);
}

engine_result vp_build::make_lab_set(camera_build &b)
{
    return start_lab_set(b.measured, b.reference, &b.lab, b.callbacks);
}

static void apply_transfer_to_set(patch_set *set, const transfer_samples &t)
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

static bool transfer_usable(const transfer_samples &t)
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

engine_result vp_build::apply_transfer_curves(camera_build &b)
{
    const transfer_samples &t = b.options->transfer;
    if (t.count == 0)
        return ENGINE_OK;
    if (!transfer_usable(t))
        return ENGINE_ERR_WRONG_KIND;
    engine_context_notice(b.ctx, "Transfer Function from Capture One present, running RGB "
                                 "data through the curves");
    apply_transfer_to_set(b.measured, t);
    apply_transfer_to_set(b.reference, t);
    apply_transfer_to_set(&b.lab, t);
    return ENGINE_OK;
}

engine_result vp_build::choose_white_mapping(camera_build &b)
{
    if (b.dcp)
        return ENGINE_OK;
    const int mode = b.options->calculation_mode;
    if (mode == 0)
        b.prefs.map_white_maintain_hue = 1;
    else if (mode == 1)
        b.prefs.map_white_maintain_hue = 0;
    return ENGINE_OK;
}

static engine_result prepare_data(const patch_set *measured, const patch_set *lab,
                                  scan_prefs *prefs, bool alt, prepared_data *data)
{
    return alt ? prepare_patch_sets_alt(measured, lab, prefs, data)
               : prepare_patch_sets(measured, lab, prefs, data);
}

engine_result vp_build::prepare_training_data(camera_build &b)
{
    return prepare_data(b.measured, &b.lab, &b.prefs, b.options->settings_flag != 0, &b.data);
}

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

engine_result vp_build::fill_profile_header(camera_build &b)
{
    profile_tables *tables = b.tables;
    tables->colour_space = b.measured->data_space;
    set_input_header(tables, *b.options, b.prefs);
    const std::string description = profile_description(b.output_path);
    std::snprintf(tables->description, sizeof tables->description, "%s", description.c_str());
    return ENGINE_OK;
}

engine_result vp_build::lay_out_tables(camera_build &b)
{
    profile_tables *tables = b.tables;
    // The model has three device channels.
    if (tables->colour_space != SIG_RGB && tables->colour_space != SIG_LAB)
        return ENGINE_ERR_WRONG_KIND;
    if (b.options->pcs != SIG_LAB) {
        tables->pcs = SIG_XYZ;
        tables->a2b0_mab.present = 1;
        tables->a2b0_mab.grid_points = 33;
        return ENGINE_OK;
    }
    tables->pcs = SIG_LAB;
    return lut_table_alloc(&tables->a2b0_lut, ICC_TYPE_LUT16, 3, 3, 33, 256, 256);
}

static fit_start start_from(const poly_model &pm, const float gamma[4])
{
    fit_start s{};
    for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k)
            s.matrix[j][k] = pm.model.coef[j][k];
    for (int c = 0; c < 3; ++c)
        s.gamma[c] = gamma[c] > 0.0f ? gamma[c] : 1.0;
    return s;
}

engine_result vp_build::fit_polynomial_model(camera_build &b)
{
    poly_model pm;
    engine_result r;
    if ((r = poly_model_init(&pm, 1, 3)) != ENGINE_OK)
        return r;
    if (b.prefs.iterate_on_gamma_basic) {
        r = b.dcp_like() ? estimate_channel_gammas_dcp(&b.data, b.gamma, b.formula())
                         : estimate_channel_gammas(&b.data, b.gamma, b.formula());
        if (r != ENGINE_OK)
            return r;
    }
    if (b.dcp)
        b.gamma[0] = b.gamma[1] = b.gamma[2] = 1.0f;
    if ((r = build_device_to_pcs_table(&pm, &b.data, b.gamma, b.tables, b.stats)) != ENGINE_OK)
        return r;
    if (abort_requested(b.callbacks))
        return ENGINE_ABORTED;
    b.start = start_from(pm, b.gamma);
    return ENGINE_OK;
}

engine_result vp_build::run_first_fit(camera_build &b)
{
    const int quality = b.prefs.poly_quality;
    const int max_degree = quality <= 1 ? 1 : quality == 2 ? 2 : 3;
    engine_result r;
    if ((r = fit_model_init(&b.fit, b.callbacks, &b.data, b.dcp, max_degree)) != ENGINE_OK)
        return r;
    b.fit.judged_formula = b.formula();
    fit_model_start(&b.fit, b.start);
    int flags = b.dcp_like() ? 2065 : 73;
    if (quality == 1)
        flags = 513;
    if (b.matrix_only)
        flags = FIT_MATRIX;
    if (b.dcp)
        flags |= FIT_WHITE;
    return fit_model_powell(&b.fit, flags, 0, FIT_MODE_PLAIN, 0, 20);
}

int vp_build::final_pass_mode(const patch_set &merged_reference)
{
    const bool lc = merged_reference.count == 140 && patch_set_count_lc(&merged_reference) >= 4;
    return lc ? FIT_MODE_FINAL_LC : FIT_MODE_FINAL;
}

engine_result vp_build::run_further_fits(camera_build &b)
{
    if (b.prefs.poly_quality == 1)
        return ENGINE_OK;  // quick: the first pass alone
    int flags = b.dcp_like() ? 43025 : 1353;
    if (b.matrix_only)
        flags = FIT_MATRIX;
    if (b.dcp)
        flags |= FIT_WHITE;
    engine_result r;
    if ((r = fit_model_powell(&b.fit, flags, 0, FIT_MODE_PLAIN, 20, 50)) != ENGINE_OK)
        return r;
    const int keep = FIT_MATRIX | (flags & (FIT_WHITE | FIT_LINEAR_RAW));
    if ((r = fit_model_powell(&b.fit, keep, b.formula(), FIT_MODE_PLAIN, 50, 75)) != ENGINE_OK)
        return r;
    return fit_model_powell(&b.fit, keep, b.formula(), final_pass_mode(b.spare), 75, 90);
}

engine_result vp_build::open_icc_writer(camera_build &b)
{
    return icc_writer_init_from_tables(&b.writer, b.ctx, b.tables, true);
}

engine_result vp_build::embed_characterisation(camera_build &b)
{
    const profile_options &o = *b.options;
    // Without a folder of the caller's, a private one, so that two builds at
    // once never share the file.
    std::string folder;
    bool private_folder = false;
    if (o.temp_folder && o.temp_folder[0]) {
        folder = o.temp_folder;
    } else {
        const char *tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/pelto-XXXXXX";
        if (mkdtemp(&pattern[0])) {
            folder = pattern;
            private_folder = true;
        }
    }
    if (folder.empty())
        return ENGINE_OK;  // the profile then carries no 'targ'
    const std::string path = folder + "/CamData.CIE";
    const std::string line = std::string("DESCRIPTOR\t\"UniqueCameraModel='") +
                             (o.camera_model ? o.camera_model : "") + "'\"\n";
    if (write_cgats_file(&b.spare, path.c_str(), 0x431, -1, line.c_str()) == ENGINE_OK)
        icc_writer_load_target_data(&b.writer, path.c_str());
    if (private_folder) {
        std::remove(path.c_str());
        rmdir(folder.c_str());
    }
    return ENGINE_OK;
}

engine_result vp_build::fitted_model_into_tables(camera_build &b)
{
    fit_model_to_tables(&b.fit, b.tables);
    if (b.stats)
        for (int k = 0; k < 7; ++k)
            b.stats->values[k] = b.fit.statistics[k];
    if (b.fit.flags & FIT_GAMMA_READBACK)
        for (int c = 0; c < 3; ++c)
            b.gamma[c] = float(b.fit.model.curve[c].p[0]);
    // After the read-back, which fills the private matrix from the fit.
    if (b.options->identity_tables)
        for (int k = 0; k < 9; ++k)
            b.tables->private_matrix[k] = (k % 4 == 0) ? 1.0f : 0.0f;
    return abort_requested(b.callbacks) ? ENGINE_ABORTED : engine_result(ENGINE_OK);
}

engine_result vp_build::write_icc_output(camera_build &b)
{
    const profile_options &o = *b.options;
    profile_tables *tables = b.tables;
    engine_result r;
    if (o.identity_tables && tables->a2b1_mab.present &&
        (r = correct_lut_xyz(&b.fit, &tables->a2b1_mab)) != ENGINE_OK)
        return r;
    if (o.transfer.count != 0 && (r = fit_model_set_transfer(&b.fit, &o.transfer)) != ENGINE_OK)
        return r;
    bool version4 = true;
    if (tables->pcs == SIG_XYZ) {
        r = correct_lut_xyz(&b.fit, &tables->a2b0_mab);
    } else {
        r = correct_lut_lab(&b.fit, tables);
        version4 = false;
    }
    if (r != ENGINE_OK)
        return r;
    report_percent(b.callbacks, 95);
    if (abort_requested(b.callbacks))
        return ENGINE_ABORTED;
    const uint32_t creator = o.creator ? o.creator : ENGINE_CREATOR;
    const bool private_matrix = o.identity_tables != 0;
    if (!b.to_memory())
        return assemble_icc_profile(&b.writer, b.output_path, creator, o.copyright, false,
                                    private_matrix, version4, nullptr, 0, nullptr);
    *b.buffer = nullptr;
    *b.size = 0;
    unsigned char *block = static_cast<unsigned char *>(std::malloc(ENGINE_CAMERA_BUFFER_BYTES));
    if (!block)
        return ENGINE_ERR_NO_MEMORY;
    r = assemble_icc_profile(&b.writer, b.output_path, creator, o.copyright, false,
                             private_matrix, version4, block, ENGINE_CAMERA_BUFFER_BYTES, b.size);
    if (r != ENGINE_OK) {
        std::free(block);
        *b.size = 0;
        return r;
    }
    *b.buffer = block;
    return ENGINE_OK;
}

static fit_start start_from_fit(const camera_fit &f)
{
    fit_start s{};
    for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k)
            s.matrix[j][k] = f.model.coef[j][k];
    for (int c = 0; c < 3; ++c)
        s.gamma[c] = f.model.curve[c].p[0];
    return s;
}

// The fit maps camera values to reference XYZ adapted from the chart white to
// D50; a ColorMatrix maps XYZ as seen under its calibration light to camera.
// Folding the adaptation back in keeps each light's white apart, which a DNG
// reader needs to tell the two matrices' lights from the camera neutral.
static void undo_white_adaptation(const prepared_data &data, dcp_model *model)
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

// The DCP road's second fit: the second light's pair is merged and prepared
// as the first was, and a matrix fitted from the first fit's vectors.
static engine_result fit_second_light(camera_build &b, dcp_model *model, double cm[3][3],
                                      double fm[3][3])
{
    patch_set &m2 = b.second_measured;
    patch_set &r2 = b.second_reference;
    engine_result r;
    if ((r = patch_set_copy(&r2, &b.spare)) != ENGINE_OK ||
        (r = merge_device_values(&m2, &r2)) != ENGINE_OK)
        return r;
    patch_set_remove_ignored(&m2);
    patch_set_remove_ignored(&r2);
    r = build_lab_patch_set(&m2, &r2, &b.lab);
    if (r != ENGINE_OK && r != LAB_SET_INCOMPLETE)
        return r;
    prepared_data data2;
    if ((r = prepare_data(&m2, &b.lab, &b.prefs, b.prefs.map_relative != 0, &data2)) !=
        ENGINE_OK)
        return r;
    camera_fit fit2;
    if ((r = fit_model_init(&fit2, b.callbacks, &data2, true, 1)) != ENGINE_OK)
        return r;
    fit_model_start(&fit2, start_from_fit(b.fit));
    const int f2 = FIT_MATRIX | FIT_WHITE;
    if ((r = fit_model_powell(&fit2, f2, 0, FIT_MODE_PLAIN, 90, 100)) != ENGINE_OK ||
        (r = fit_model_powell(&fit2, f2, b.fit.formula, FIT_MODE_PLAIN, 90, 100)) !=
            ENGINE_OK ||
        (r = fit_model_powell(&fit2, f2, b.fit.formula, FIT_MODE_FINAL, 90, 100)) != ENGINE_OK)
        return r;
    fit_model_dcp(&fit2, model, cm, fm);
    undo_white_adaptation(data2, model);
    return ENGINE_OK;
}

engine_result vp_build::write_dcp_output(camera_build &b)
{
    dcp_model main_model{}, second_model{};
    double cm[3][3], fm[3][3];
    fit_model_dcp(&b.fit, &main_model, cm, fm);
    engine_result r;
    if (b.dual) {
        undo_white_adaptation(b.data, &main_model);
        if ((r = fit_second_light(b, &second_model, cm, fm)) != ENGINE_OK)
            return r;
    }
    const std::string model = rename_camera_model(b.options->camera_model);
    if (abort_requested(b.callbacks))
        return ENGINE_ABORTED;
    const profile_options &o = *b.options;
    return write_dcp_profile(b.ctx, b.output_path, model.c_str(), o.creator, o.copyright,
                             &main_model, b.dual ? &second_model : nullptr, &b.dcp_opts);
}
