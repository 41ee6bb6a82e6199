// The engine's two entries, the run driver and the two dispatchers.
#include "engine/entries.h"

#include "engine/builders.h"
#include "engine/cgats.h"
#include "engine/colour_maths.h"
#include "engine/profile_output.h"
#include "engine/profile_tables.h"
#include "io/file_bytes.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace {

const char kCopyright[] =
    "Copyright (c) Vandrelith. All rights reserved. Made by Vandrelith pelto 2.0.0.";
static_assert(sizeof kCopyright == 79, "the copyright line is 78 characters");

constexpr uint32_t kQuickCreator = engine_sig("????");

// Frees both sets on every way out of a scope.
struct set_pair {
    patch_set a;
    patch_set b;
    set_pair()
    {
        patch_set_init(&a);
        patch_set_init(&b);
    }
    ~set_pair()
    {
        patch_set_free(&a);
        patch_set_free(&b);
    }
    set_pair(const set_pair &) = delete;
    set_pair &operator=(const set_pair &) = delete;
};

struct tables_guard {
    profile_tables t {};
    ~tables_guard() { profile_tables_free(&t); }
};

int job_progress(engine_context *ctx, int done, int total)
{
    return ctx && ctx->job_progress ? ctx->job_progress(done, total) : 0;
}

int job_abort(engine_context *ctx)
{
    return ctx && ctx->job_abort ? ctx->job_abort() : 0;
}

build_camera_profile_fn camera_builder(const engine_context *ctx)
{
    return ctx->seams.build_camera ? ctx->seams.build_camera : build_camera_profile;
}

build_spectral_profile_fn spectral_builder(const engine_context *ctx)
{
    return ctx->seams.build_spectral ? ctx->seams.build_spectral : build_spectral_profile;
}

write_icc_fn icc_writer_fn(const engine_context *ctx)
{
    return ctx->seams.write_icc ? ctx->seams.write_icc : write_icc_profile;
}

write_icc_fn template_writer_fn(const engine_context *ctx)
{
    return ctx->seams.write_icc_template ? ctx->seams.write_icc_template
                                         : write_icc_template_profile;
}

void set_job_prefs(scan_prefs *p, uint8_t gray_switch, uint8_t gray_option)
{
    p->reference_white = 100.0f;
    for (float &w : p->device_white)
        w = 255.0f;
    p->poly_quality = 5;
    p->scale = 1.0f;
    p->map_white_maintain_hue = 1;
    p->map_in_XYZ = 1;
    p->iterate_on_gamma = 1;
    p->iterate_on_gamma_basic = 1;
    p->merge_transform_with_alt = 1;
    p->maintain_original_gray = gray_switch;
    p->gray_option = gray_option;
    p->option_f = 1;
    p->option_g = 1;
}

void set_quick_prefs(scan_prefs *p, bool quick)
{
    for (float &w : p->device_white)
        w = 1.0f;
    p->poly_quality = quick ? 1 : 5;
    p->scale = 1.0f;
    p->map_white_maintain_hue = 1;
    p->iterate_on_gamma_basic = 1;
    p->merge_transform_with_alt = quick ? 0 : 1;
    p->option_i = 1;
}

void apply_overrides(const expert_overrides &o, scan_prefs *p, profile_options *opt)
{
    opt->device_flag1 = o.device_flag1;
    opt->device_flag2 = o.device_flag2;
    opt->override_option = o.override_option;
    p->gray_option = o.gray_option;
    p->maintain_original_gray = o.maintain_original_gray;
    p->option_g = o.option_g;
    p->option_h = o.option_h;
    p->option_e = o.option_e;
    p->map_relative = o.map_relative;
    p->iterate_on_gamma_basic = o.iterate_on_gamma_basic;
    p->iterate_on_gamma = o.iterate_on_gamma;
    p->merge_transform_with_alt = o.merge_transform_with_alt;
    if (o.lightness_given)
        p->reference_white = static_cast<float>(o.lightness);
    if (o.white_given) {
        p->white_override = 1;
        for (float &w : p->device_white)
            w = static_cast<float>(o.white / 255.0);
    }
    switch (o.type) {
    case 0:
        p->poly_quality = 1;
        p->option_f = 0;
        break;
    case 1:
        p->poly_quality = 1;
        break;
    case 2:
        p->poly_quality = 5;
        break;
    case 3:
        p->poly_quality = o.custom_order;
        break;
    case 4:
        p->map_in_XYZ = 1;
        opt->type4_flag = 1;
        break;
    case 5:
        opt->builder_writes = 1;
        break;
    default:
        break;
    }
}

void copy_settings(const calculation_settings &s, profile_options *opt)
{
    opt->settings_word0 = s.word0;
    opt->settings_word1 = s.word1;
    opt->calculation_mode = s.calculation_mode;
    opt->settings_word3 = s.word3;
    opt->settings_word4 = s.word4;
    opt->settings_value = s.value;
    opt->settings_flag = static_cast<uint8_t>(s.flag);
}

bool file_exists(const char *path)
{
    struct stat st;
    return ::stat(engine_file_path(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A builder that says it wrote the file must have left one where a path
// with a folder points.
engine_result check_written(const char *output_path)
{
    if (path_has_folder(output_path) && !file_exists(output_path))
        return ENGINE_ERR_FILE;
    return ENGINE_OK;
}

}  // namespace

void subsample_illuminant(const spectrum_samples *source, engine_spectrum *out)
{
    if (!out)
        return;
    if (!source || !source->values || source->count == 0)
        return;
    const long long n = source->count;
    long long k = 1;
    while ((n - 1) / k + 1 > ENGINE_SPECTRUM_MAX)
        k = k < 5 ? 5 : k * 2;
    const long long m = (n - 1) / k + 1;
    const long long step = static_cast<long long>(source->step_nm) * k;
    const long long start = source->start_nm;
    const long long end = start + (m - 1) * step;
    if (end > INT32_MAX)
        return;
    out->start_nm = static_cast<int32_t>(start);
    out->step_nm = static_cast<int32_t>(step);
    out->end_nm = static_cast<int32_t>(end);
    for (long long i = 0; i < ENGINE_SPECTRUM_MAX; ++i) {
        if (i >= m)
            out->values[i] = 0.0;
        else
            out->values[i] = i * k < n ? source->values[i * k] : source->values[n - 1];
    }
}

int create_profile_for_job_in(engine_context *ctx, const char *reference_path,
                              const char *measured_path, const char *output_path,
                              uint8_t device_flag1, uint8_t device_flag2, uint8_t gray_switch,
                              uint8_t gray_option, uint8_t pcs_xyz, uint8_t make_dcp,
                              uint8_t identity_tables, int delta_e_formula,
                              const char *camera_model, const spectrum_samples *illuminant,
                              const expert_overrides *overrides,
                              const transfer_samples *transfer,
                              int (*progress)(int done, int total), int (*abort)(),
                              const target_offsets *job_block,
                              const calculation_settings *settings, const char *temp_folder)
{
    if (!ctx)
        return ENGINE_ERR_FILE;
    scan_prefs prefs;
    profile_options options;
    fit_statistics stats;
    progress_callbacks callbacks;
    std::memset(&prefs, 0, sizeof prefs);
    std::memset(&options, 0, sizeof options);
    std::memset(&stats, 0, sizeof stats);
    std::memset(&callbacks, 0, sizeof callbacks);
    char copyright[sizeof kCopyright];
    std::memcpy(copyright, kCopyright, sizeof kCopyright);

    const profile_job job {measured_path, reference_path, 0,       output_path, ENGINE_CREATOR,
                           copyright,     &prefs,         &options, &stats,     &callbacks};

    if (transfer)
        options.transfer = *transfer;
    options.job_block = job_block;
    if (settings)
        copy_settings(*settings, &options);

    ctx->job_progress = progress;
    ctx->job_abort = abort;
    callbacks.progress = job_progress;
    callbacks.abort = job_abort;
    callbacks.start = 0;
    callbacks.span = 100;
    callbacks.total = 100;
    callbacks.context = ctx;
    set_job_prefs(&prefs, gray_switch, gray_option);

    options.device_flag1 = device_flag1;
    options.device_flag2 = device_flag2;
    options.pcs = pcs_xyz ? SIG_XYZ : SIG_LAB;
    if (make_dcp)
        options.pcs = SIG_XYZ;
    options.make_dcp = make_dcp;
    options.builder_writes = 1;
    options.identity_tables = identity_tables;
    options.camera_model = camera_model;
    options.temp_folder = temp_folder;
    subsample_illuminant(illuminant, &options.illuminant);
    if (gray_switch)
        prefs.map_in_XYZ = 1;
    if (overrides && overrides->enable)
        apply_overrides(*overrides, &prefs, &options);
    options.delta_e_formula = delta_e_formula >= 0 ? delta_e_formula : 2;

    return run_profile_job(ctx, &job);
}

int create_profile_for_job(const char *reference_path, const char *measured_path,
                           const char *output_path, uint8_t device_flag1, uint8_t device_flag2,
                           uint8_t gray_switch, uint8_t gray_option, uint8_t pcs_xyz,
                           uint8_t make_dcp, uint8_t identity_tables, int delta_e_formula,
                           const char *camera_model, const spectrum_samples *illuminant,
                           const expert_overrides *overrides, const transfer_samples *transfer,
                           int (*progress)(int done, int total), int (*abort)(),
                           const target_offsets *job_block, const calculation_settings *settings,
                           const char *temp_folder)
{
    engine_context ctx;
    engine_context_init(&ctx);
    return create_profile_for_job_in(&ctx, reference_path, measured_path, output_path,
                                     device_flag1, device_flag2, gray_switch, gray_option,
                                     pcs_xyz, make_dcp, identity_tables, delta_e_formula,
                                     camera_model, illuminant, overrides, transfer, progress,
                                     abort, job_block, settings, temp_folder);
}

engine_result run_profile_job(engine_context *ctx, const profile_job *job)
{
    if (!job)
        return ENGINE_ERR_FILE;
    return create_profile_from_cgats_files(ctx, job->measured_path, job->reference_path,
                                           job->output_path, job->creator, job->copyright,
                                           job->prefs, job->options, job->stats,
                                           job->callbacks);
}

engine_result create_profile_from_cgats_files(engine_context *ctx, const char *measured_path,
                                              const char *reference_path,
                                              const char *output_path, uint32_t creator,
                                              const char *copyright, scan_prefs *prefs,
                                              profile_options *options, fit_statistics *stats,
                                              progress_callbacks *callbacks)
{
    if (!ctx || !options || !measured_path || !reference_path || !output_path)
        return ENGINE_ERR_FILE;
    set_pair sets;
    patch_set &measured = sets.a;
    patch_set &reference = sets.b;
    cgats_report report;
    engine_context_set_error(ctx, nullptr);
    engine_result r = read_cgats_file_report(measured_path, &measured, &report);
    if (r != ENGINE_OK) {
        engine_context_set_error(ctx, report.message);
        return r;
    }
    // The measured file holds camera RGB whatever it declares.
    measured.data_space = SIG_RGB;
    measured.channels = 3;
    r = read_cgats_file_report(reference_path, &reference, &report);
    if (r != ENGINE_OK) {
        engine_context_set_error(ctx, report.message);
        return r;
    }
    return build_and_write_profile(ctx, &reference, &measured, output_path, creator, copyright,
                                   prefs, options, stats, callbacks);
}

engine_result build_and_write_profile(engine_context *ctx, const patch_set *reference,
                                      const patch_set *measured, const char *output_path,
                                      uint32_t creator, const char *copyright,
                                      scan_prefs *prefs, profile_options *options,
                                      fit_statistics *stats, progress_callbacks *callbacks)
{
    if (!ctx || !reference || !measured || !options || !output_path || !output_path[0])
        return ENGINE_ERR_FILE;
    set_pair copies;
    if (patch_set_copy(reference, &copies.a) != ENGINE_OK ||
        patch_set_copy(measured, &copies.b) != ENGINE_OK)
        return ENGINE_ERR_FILE;
    tables_guard tables;
    float gamma[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    options->creator = creator;
    options->copyright = copyright;

    engine_result r;
    if (options->calculation_mode == ENGINE_SPECTRAL_MODE &&
        measured->count >= ENGINE_SPECTRAL_MIN_PATCHES) {
        options->builder_writes = 0;
        options->pcs = SIG_LAB;
        r = spectral_builder(ctx)(ctx, &tables.t, &copies.a, &copies.b, gamma, prefs, options,
                                  stats, callbacks);
    } else {
        if (options->calculation_mode == ENGINE_SPECTRAL_MODE)
            options->calculation_mode = 7;
        r = camera_builder(ctx)(ctx, &tables.t, &copies.a, &copies.b, output_path, gamma, prefs,
                                options, stats, callbacks, nullptr, nullptr);
    }
    if (r != ENGINE_OK)
        return r;
    if (options->builder_writes)
        return check_written(output_path);
    const scan_prefs *used = prefs ? prefs : engine_context_scan_prefs(ctx);
    const write_icc_fn write =
        used->poly_quality == 1 ? icc_writer_fn(ctx) : template_writer_fn(ctx);
    return write(ctx, &tables.t, output_path, creator, copyright, gamma, nullptr, nullptr);
}

engine_result build_profile_to_memory(engine_context *ctx, const patch_set *measured,
                                      unsigned char **buffer, uint32_t *size, const char *name,
                                      const char *copyright, scan_prefs *prefs,
                                      profile_options *options, fit_statistics *stats,
                                      progress_callbacks *callbacks, const patch_set *reference)
{
    if (buffer)
        *buffer = nullptr;
    if (size)
        *size = 0;
    if (!ctx || !measured || !reference || !buffer || !size || !options)
        return ENGINE_ERR_FILE;
    set_pair copies;
    if (patch_set_copy(reference, &copies.a) != ENGINE_OK ||
        patch_set_copy(measured, &copies.b) != ENGINE_OK)
        return ENGINE_ERR_FILE;
    tables_guard tables;
    if (name)
        std::snprintf(tables.t.description, sizeof tables.t.description, "%s", name);
    float gamma[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const scan_prefs *used = prefs ? prefs : engine_context_scan_prefs(ctx);

    engine_result r;
    if (used->poly_quality == 1) {
        r = spectral_builder(ctx)(ctx, &tables.t, &copies.a, &copies.b, gamma, prefs, options,
                                  stats, callbacks);
        if (r == ENGINE_OK) {
            if (!tables.t.description[0] && name)
                std::snprintf(tables.t.description, sizeof tables.t.description, "%s", name);
            r = icc_writer_fn(ctx)(ctx, &tables.t, nullptr, kQuickCreator, copyright, gamma,
                                   buffer, size);
        }
    } else {
        r = camera_builder(ctx)(ctx, &tables.t, &copies.a, &copies.b, name, gamma, prefs,
                                options, stats, callbacks, buffer, size);
    }
    if (r != ENGINE_OK && *buffer) {
        std::free(*buffer);
        *buffer = nullptr;
        *size = 0;
    }
    return r;
}

namespace {

// The patches handed to a quick profile for fitting: not skipped, not marked
// to be ignored.
int given_patches(int32_t n, const uint8_t *skip, const char *names)
{
    int given = 0;
    for (int32_t i = 0; i < n; ++i)
        if (!(skip && skip[i]) && !(names && names[size_t(i) * 3] == 'I'))
            ++given;
    return given;
}

}  // namespace

int quick_profile_progress(engine_context *ctx, int done, int total)
{
    return ctx && ctx->quick_progress ? ctx->quick_progress(ctx->quick_context, done, total) : 0;
}

int quick_profile_abort(engine_context *ctx)
{
    return ctx && ctx->quick_abort ? ctx->quick_abort() : 0;
}

engine_result create_quick_profile_in(engine_context *ctx, unsigned char **buffer,
                                      uint32_t *size, const char *name, const char *copyright,
                                      uint32_t count, const uint8_t *skip, const char *names,
                                      const double *rgb, const double *xyz, int ignored,
                                      uint8_t quick, float *first_statistic,
                                      float *second_statistic, void *callback_context,
                                      int (*progress)(void *context, int done, int total),
                                      int (*abort)())
{
    (void)ignored;
    if (buffer)
        *buffer = nullptr;
    if (size)
        *size = 0;
    if (!ctx || !buffer || !size || count == 0 || !rgb || !xyz ||
        count > uint32_t(ENGINE_MAX_PATCHES))
        return ENGINE_ERR_FILE;
    ctx->quick_context = callback_context;
    ctx->quick_progress = progress;
    ctx->quick_abort = abort;

    const char *profile_name = name && name[0] ? name
                               : quick         ? "QuickProfile v4.icc"
                                               : "RezuvadAruzProfile.icc";
    set_pair sets;
    patch_set &device = sets.a;
    patch_set &reference = sets.b;
    const int32_t n = static_cast<int32_t>(count);
    if (patch_set_alloc(&device, n) != ENGINE_OK || patch_set_alloc(&reference, n) != ENGINE_OK)
        return ENGINE_ERR_FILE;
    device.data_space = SIG_RGB;
    device.channels = 3;
    std::snprintf(device.channel_names[0], ENGINE_CHANNEL_NAME_LEN, "RGB_R");
    std::snprintf(device.channel_names[1], ENGINE_CHANNEL_NAME_LEN, "RGB_G");
    std::snprintf(device.channel_names[2], ENGINE_CHANNEL_NAME_LEN, "RGB_B");
    reference.data_space = SIG_LAB;
    reference.channels = 3;
    for (int32_t i = 0; i < n; ++i) {
        patch_record *pd = &device.patches[i];
        patch_record *pr = &reference.patches[i];
        for (patch_record *p : {pd, pr}) {
            std::snprintf(p->name, sizeof p->name, "%d", i);
            p->sample_id = i;
        }
        if (skip && skip[i])
            continue;
        for (patch_record *p : {pd, pr}) {
            if (names) {
                std::memcpy(p->control, names + size_t(i) * 3, 3);
                p->control[3] = '\0';
            } else {
                std::memcpy(p->control, "N", 2);
            }
        }
        const double *d = rgb + size_t(i) * 3;
        const double *x = xyz + size_t(i) * 3;
        double lab[3];
        cm_xyz_to_lab(x, cm_icc_d50_white_100, lab);
        for (int k = 0; k < 3; ++k) {
            pd->device[k] = static_cast<float>(d[k]);
            pr->device[k] = static_cast<float>(d[k]);
            pr->xyz[k] = static_cast<float>(x[k]);
            pr->lab[k] = static_cast<float>(lab[k]);
        }
    }

    scan_prefs prefs;
    profile_options options;
    fit_statistics stats;
    progress_callbacks callbacks;
    std::memset(&prefs, 0, sizeof prefs);
    std::memset(&options, 0, sizeof options);
    std::memset(&callbacks, 0, sizeof callbacks);
    for (float &v : stats.values)
        v = -1.0f;
    set_quick_prefs(&prefs, quick != 0);
    options.copyright = copyright;
    options.pcs = SIG_XYZ;
    options.delta_e_formula = 2;
    options.builder_writes = 1;
    callbacks.progress = quick_profile_progress;
    callbacks.abort = quick_profile_abort;
    callbacks.start = 0;
    callbacks.span = 10000;
    callbacks.total = 10000;
    callbacks.context = ctx;

    engine_result r = build_profile_to_memory(ctx, &device, buffer, size, profile_name,
                                              copyright, &prefs, &options, &stats, &callbacks,
                                              &reference);
    // Success means a profile in the caller's hands.
    if (r == ENGINE_OK && (!*buffer || *size == 0)) {
        std::free(*buffer);
        *buffer = nullptr;
        *size = 0;
        r = ENGINE_ERR_FILE;
    }
    // The builder fits only the patches it can use (device values below the
    // white level, say). A fit that had to leave out most of the patches it
    // was given describes too few of them to judge the chart by: a grid on
    // the wrong patches clips most of them, and the few left fit closely.
    if (r == ENGINE_OK && stats.values[4] >= 0.0f &&
        2.0f * stats.values[4] < float(given_patches(n, skip, names))) {
        std::free(*buffer);
        *buffer = nullptr;
        *size = 0;
        for (float &v : stats.values)
            v = -1.0f;
        r = ENGINE_ERR_EMPTY;
    }
    if (first_statistic)
        *first_statistic = stats.values[0];
    if (second_statistic)
        *second_statistic = stats.values[1];
    return r;
}

engine_result create_quick_profile(unsigned char **buffer, uint32_t *size, const char *name,
                                   const char *copyright, uint32_t count, const uint8_t *skip,
                                   const char *names, const double *rgb, const double *xyz,
                                   int ignored, uint8_t quick, float *first_statistic,
                                   float *second_statistic, void *callback_context,
                                   int (*progress)(void *context, int done, int total),
                                   int (*abort)())
{
    engine_context ctx;
    engine_context_init(&ctx);
    return create_quick_profile_in(&ctx, buffer, size, name, copyright, count, skip, names, rgb,
                                   xyz, ignored, quick, first_statistic, second_statistic,
                                   callback_context, progress, abort);
}
