#include "engine/cgats.h"
#include "engine/engine_context.h"
#include "engine/entries.h"
#include "engine/icc_writer.h"
#include "engine/profile_tables.h"
#include "io_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

// What the substitute builders and writers saw.
struct seam_log {
    int camera_calls = 0;
    int spectral_calls = 0;
    int icc_calls = 0;
    int template_calls = 0;
    scan_prefs prefs {};
    profile_options options {};
    progress_callbacks callbacks {};
    int measured_count = 0;
    uint32_t measured_space = 0;
    int16_t measured_channels = 0;
    std::string output_path;
    std::string copyright;
    uint32_t written_creator = 0;
    bool buffer_given = false;
    engine_result result = ENGINE_OK;
    bool write_file = true;       // the camera builder writes its output
    bool fill_buffer = true;      // the camera builder fills the memory buffer
    int progress_answer = -1;     // what the caller's progress function answered
};

seam_log *log_of(engine_context *ctx) { return static_cast<seam_log *>(ctx->seams.user); }

void note(seam_log *log, patch_set *measured, scan_prefs *prefs, profile_options *options,
          progress_callbacks *callbacks)
{
    if (prefs)
        log->prefs = *prefs;
    log->options = *options;
    if (callbacks)
        log->callbacks = *callbacks;
    log->measured_count = measured->count;
    log->measured_space = measured->data_space;
    log->measured_channels = measured->channels;
    log->copyright = options->copyright ? options->copyright : "";
    if (callbacks)
        log->progress_answer = engine_report_progress(callbacks, 50, 100);
}

engine_result fake_camera(engine_context *ctx, profile_tables *, patch_set *, patch_set *measured,
                          const char *output_path, float *, scan_prefs *prefs,
                          profile_options *options, fit_statistics *stats,
                          progress_callbacks *callbacks, unsigned char **buffer, uint32_t *size)
{
    seam_log *log = log_of(ctx);
    ++log->camera_calls;
    note(log, measured, prefs, options, callbacks);
    log->output_path = output_path ? output_path : "";
    log->buffer_given = buffer && size;
    if (log->result != ENGINE_OK)
        return log->result;
    if (stats) {
        stats->values[0] = 1.5f;
        stats->values[1] = 2.5f;
    }
    if (buffer && size) {
        if (log->fill_buffer) {
            *buffer = static_cast<unsigned char *>(std::malloc(16));
            std::memset(*buffer, 0, 16);
            *size = 16;
        }
    } else if (log->write_file && output_path) {
        std::ofstream(output_path) << "profile";
    }
    return ENGINE_OK;
}

// Fills the tables as a builder would: an RGB input profile with a 16-bit
// lookup table.
engine_result fill_tables(engine_context *ctx, profile_tables *tables)
{
    tables->colour_space = SIG_RGB;
    tables->pcs = SIG_LAB;
    tables->a2b0_lut.type = ICC_TYPE_LUT16;
    tables->a2b0_lut.grid_points = 9;
    icc_writer w {};
    const engine_result r = icc_writer_init(&w, ctx, tables);
    tables->a2b0_lut.present = 1;
    tables->media_white[0] = 0.9642f;
    tables->media_white[1] = 1.0f;
    tables->media_white[2] = 0.8249f;
    return r;
}

engine_result fake_spectral(engine_context *ctx, profile_tables *tables, patch_set *,
                            patch_set *measured, float *, scan_prefs *prefs,
                            profile_options *options, fit_statistics *stats,
                            progress_callbacks *callbacks)
{
    seam_log *log = log_of(ctx);
    ++log->spectral_calls;
    note(log, measured, prefs, options, callbacks);
    if (log->result != ENGINE_OK)
        return log->result;
    if (stats)
        stats->values[0] = stats->values[1] = 0.75f;
    return fill_tables(ctx, tables);
}

engine_result fake_icc(engine_context *ctx, profile_tables *, const char *path, uint32_t creator,
                       const char *, const float *, unsigned char **, uint32_t *)
{
    ++log_of(ctx)->icc_calls;
    log_of(ctx)->written_creator = creator;
    log_of(ctx)->output_path = path ? path : "";
    return ENGINE_OK;
}

engine_result fake_template(engine_context *ctx, profile_tables *, const char *path,
                            uint32_t creator, const char *, const float *, unsigned char **,
                            uint32_t *)
{
    ++log_of(ctx)->template_calls;
    log_of(ctx)->written_creator = creator;
    log_of(ctx)->output_path = path ? path : "";
    return ENGINE_OK;
}

struct seamed_context {
    engine_context ctx;
    seam_log log;
    explicit seamed_context(bool fake_writers = true)
    {
        engine_context_init(&ctx);
        ctx.seams.build_camera = fake_camera;
        ctx.seams.build_spectral = fake_spectral;
        if (fake_writers) {
            ctx.seams.write_icc = fake_icc;
            ctx.seams.write_icc_template = fake_template;
        }
        ctx.seams.user = &log;
    }
};

std::string rgb_file(int patches, const char *space_fields = "RGB_R RGB_G RGB_B")
{
    std::string s = "BEGIN_DATA_FORMAT\nSAMPLE_ID SAMPLE_LOC ";
    s += space_fields;
    s += "\nEND_DATA_FORMAT\nBEGIN_DATA\n";
    for (int i = 0; i < patches; ++i)
        s += std::to_string(i + 1) + " A" + std::to_string(i + 1) + " 10 20 30 40\n";
    return s + "END_DATA\n";
}

std::string lab_file(int patches)
{
    std::string s = "BEGIN_DATA_FORMAT\nSAMPLE_ID SAMPLE_LOC LAB_L LAB_A LAB_B\n"
                    "END_DATA_FORMAT\nBEGIN_DATA\n";
    for (int i = 0; i < patches; ++i)
        s += std::to_string(i + 1) + " A" + std::to_string(i + 1) + " 50 1 2\n";
    return s + "END_DATA\n";
}

int progress_seen = 0;
int caller_progress(int done, int total)
{
    progress_seen = done * 1000 + total;
    return 7;
}
int caller_abort() { return 1; }

struct job_args {
    std::string reference, measured, output;
    uint8_t flag1 = 0, flag2 = 0, gray_switch = 0, gray_option = 0, pcs_xyz = 0, make_dcp = 0,
            identity = 0;
    int formula = 0;
    const spectrum_samples *illuminant = nullptr;
    const expert_overrides *overrides = nullptr;
    const transfer_samples *transfer = nullptr;
    const calculation_settings *settings = nullptr;
};

int run_job(seamed_context &s, const job_args &a)
{
    static const target_offsets block {};
    return create_profile_for_job_in(
        &s.ctx, a.reference.c_str(), a.measured.c_str(), a.output.c_str(), a.flag1, a.flag2,
        a.gray_switch, a.gray_option, a.pcs_xyz, a.make_dcp, a.identity, a.formula, "Model X",
        a.illuminant, a.overrides, a.transfer, caller_progress, caller_abort, &block, a.settings,
        "/tmp/");
}

class JobEntry : public ::testing::Test {
protected:
    void SetUp() override
    {
        args.reference = dir.write("ref.cie", lab_file(24));
        args.measured = dir.write("meas.pix", rgb_file(24));
        args.output = dir.file("out.icc");
    }
    scratch_dir dir;
    job_args args;
};

TEST_F(JobEntry, FillsTheRecordsAndRunsTheCameraBuilder)
{
    seamed_context s;
    args.flag1 = 1;
    args.gray_option = 3;
    const uint16_t curve[2] = {0, 65535};
    const uint16_t *curves[1] = {curve};
    const transfer_samples transfer {1, 2, curves};
    args.transfer = &transfer;
    ASSERT_EQ(run_job(s, args), 0);
    const seam_log &log = s.log;
    EXPECT_EQ(log.camera_calls, 1);
    EXPECT_EQ(log.spectral_calls, 0);
    EXPECT_EQ(log.output_path, args.output);
    EXPECT_FALSE(log.buffer_given);
    EXPECT_EQ(log.measured_count, 24);
    // scan_prefs: the job column.
    EXPECT_FLOAT_EQ(log.prefs.reference_white, 100.0f);
    EXPECT_FLOAT_EQ(log.prefs.device_white[2], 255.0f);
    EXPECT_EQ(log.prefs.poly_quality, 5);
    EXPECT_FLOAT_EQ(log.prefs.scale, 1.0f);
    EXPECT_EQ(log.prefs.map_white_maintain_hue, 1);
    EXPECT_EQ(log.prefs.map_in_XYZ, 1);
    EXPECT_EQ(log.prefs.iterate_on_gamma, 1);
    EXPECT_EQ(log.prefs.iterate_on_gamma_basic, 1);
    EXPECT_EQ(log.prefs.merge_transform_with_alt, 1);
    EXPECT_EQ(log.prefs.gray_option, 3);
    EXPECT_EQ(log.prefs.option_f, 1);
    EXPECT_EQ(log.prefs.option_g, 1);
    EXPECT_EQ(log.prefs.option_i, 0);
    // profile_options.
    EXPECT_EQ(log.options.device_flag1, 1);
    EXPECT_EQ(log.options.builder_writes, 1);
    EXPECT_EQ(log.options.pcs, SIG_LAB);
    EXPECT_EQ(log.options.creator, engine_sig("Kirr"));
    EXPECT_STREQ(log.options.camera_model, "Model X");
    EXPECT_STREQ(log.options.temp_folder, "/tmp/");
    EXPECT_EQ(log.options.transfer.count, 1);
    EXPECT_EQ(log.options.transfer.entries, 2);
    EXPECT_EQ(log.options.calculation_mode, 0);
    EXPECT_EQ(log.copyright.size(), 78u);
    EXPECT_NE(log.copyright.find("Vandrelith"), std::string::npos);
    EXPECT_NE(log.copyright.find("pelto"), std::string::npos);
    // progress_callbacks reach the caller's functions.
    EXPECT_EQ(log.callbacks.start, 0);
    EXPECT_EQ(log.callbacks.span, 100);
    EXPECT_EQ(log.callbacks.total, 100);
    EXPECT_EQ(log.progress_answer, 7);
    EXPECT_EQ(progress_seen, 50 * 1000 + 100);
    EXPECT_TRUE(engine_abort_requested(&log.callbacks));
}

TEST_F(JobEntry, ArgumentTable)
{
    struct arg_case {
        const char *label;
        uint8_t gray_switch, pcs_xyz, make_dcp;
        int formula;
        uint32_t pcs;
        int expect_formula;
        uint8_t maintain_gray;
    };
    const arg_case cases[] = {
        {"lab", 0, 0, 0, 0, SIG_LAB, 0, 0},
        {"xyz", 0, 1, 0, 1, SIG_XYZ, 1, 0},
        {"dcp_forces_xyz", 0, 0, 1, 3, SIG_XYZ, 3, 0},
        {"negative_formula", 0, 0, 0, -1, SIG_LAB, 2, 0},
        {"gray_switch", 1, 0, 0, 2, SIG_LAB, 2, 1},
    };
    for (const arg_case &c : cases) {
        SCOPED_TRACE(c.label);
        seamed_context s;
        args.gray_switch = c.gray_switch;
        args.pcs_xyz = c.pcs_xyz;
        args.make_dcp = c.make_dcp;
        args.formula = c.formula;
        ASSERT_EQ(run_job(s, args), 0);
        EXPECT_EQ(s.log.options.pcs, c.pcs);
        EXPECT_EQ(s.log.options.make_dcp, c.make_dcp);
        EXPECT_EQ(s.log.options.delta_e_formula, c.expect_formula);
        EXPECT_EQ(s.log.prefs.maintain_original_gray, c.maintain_gray);
        EXPECT_EQ(s.log.prefs.map_in_XYZ, 1);
    }
}

TEST_F(JobEntry, ExpertOverrides)
{
    struct override_case {
        int type;
        int poly_quality;
        uint8_t option_f;
        uint8_t type4_flag;
    };
    const override_case cases[] = {
        {0, 1, 0, 0}, {1, 1, 1, 0}, {2, 5, 1, 0}, {3, 9, 1, 0}, {4, 5, 1, 1}, {5, 5, 1, 0},
        {6, 5, 1, 0},
    };
    for (const override_case &c : cases) {
        SCOPED_TRACE(c.type);
        seamed_context s;
        expert_overrides o {};
        o.enable = 1;
        o.device_flag2 = 1;
        o.type = c.type;
        o.custom_order = 9;
        o.map_relative = 1;
        o.iterate_on_gamma = 0;
        o.merge_transform_with_alt = 0;
        o.override_option = 1;
        o.lightness_given = 1;
        o.lightness = 98;
        o.white_given = 1;
        o.white = 248;
        args.overrides = &o;
        ASSERT_EQ(run_job(s, args), 0);
        EXPECT_EQ(s.log.prefs.poly_quality, c.poly_quality);
        EXPECT_EQ(s.log.prefs.option_f, c.option_f);
        EXPECT_EQ(s.log.options.type4_flag, c.type4_flag);
        EXPECT_EQ(s.log.options.device_flag2, 1);
        EXPECT_EQ(s.log.options.override_option, 1);
        EXPECT_EQ(s.log.prefs.map_relative, 1);
        EXPECT_EQ(s.log.prefs.iterate_on_gamma, 0);
        EXPECT_EQ(s.log.prefs.merge_transform_with_alt, 0);
        EXPECT_FLOAT_EQ(s.log.prefs.reference_white, 98.0f);
        EXPECT_EQ(s.log.prefs.white_override, 1);
        EXPECT_NEAR(s.log.prefs.device_white[0], 248.0 / 255.0, 1e-6);
    }
    // Not enabled: nothing changes.
    seamed_context s;
    expert_overrides off {};
    off.type = 0;
    args.overrides = &off;
    ASSERT_EQ(run_job(s, args), 0);
    EXPECT_EQ(s.log.prefs.poly_quality, 5);
}

TEST_F(JobEntry, MeasuredFileIsAlwaysRgb)
{
    seamed_context s;
    args.measured = dir.write("cmyk.pix", rgb_file(24, "CMYK_C CMYK_M CMYK_Y CMYK_K"));
    ASSERT_EQ(run_job(s, args), 0);
    EXPECT_EQ(s.log.measured_space, SIG_RGB);
    EXPECT_EQ(s.log.measured_channels, 3);
}

TEST_F(JobEntry, SpectralModeNeedsHundredFortyPatches)
{
    struct mode_case {
        int patches;
        int camera_calls, spectral_calls, template_calls;
        int mode_seen;
        uint32_t pcs;
    };
    const mode_case cases[] = {
        {139, 1, 0, 0, 7, SIG_XYZ},
        {140, 0, 1, 1, 3, SIG_LAB},
    };
    for (const mode_case &c : cases) {
        SCOPED_TRACE(c.patches);
        seamed_context s;
        args.measured = dir.write("m.pix", rgb_file(c.patches));
        args.reference = dir.write("r.cie", lab_file(c.patches));
        args.pcs_xyz = 1;
        calculation_settings settings {};
        settings.calculation_mode = 3;
        settings.word1 = 1;
        args.settings = &settings;
        ASSERT_EQ(run_job(s, args), 0);
        EXPECT_EQ(s.log.camera_calls, c.camera_calls);
        EXPECT_EQ(s.log.spectral_calls, c.spectral_calls);
        EXPECT_EQ(s.log.template_calls, c.template_calls);
        EXPECT_EQ(s.log.icc_calls, 0);
        EXPECT_EQ(s.log.options.calculation_mode, c.mode_seen);
        EXPECT_EQ(s.log.options.pcs, c.pcs);
        EXPECT_EQ(s.log.options.settings_word1, 1);
        if (c.template_calls) {
            EXPECT_EQ(s.log.output_path, args.output);
            EXPECT_EQ(s.log.written_creator, engine_sig("Kirr"));
            EXPECT_EQ(s.log.options.builder_writes, 0);
        }
    }
}

TEST_F(JobEntry, SpectralRoadWritesARealTemplateProfile)
{
    seamed_context s(false);
    args.measured = dir.write("m.pix", rgb_file(140));
    args.reference = dir.write("r.cie", lab_file(140));
    calculation_settings settings {};
    settings.calculation_mode = 3;
    args.settings = &settings;
    ASSERT_EQ(run_job(s, args), 0);
    const std::string icc = read_all(args.output);
    ASSERT_GT(icc.size(), 128u);
    EXPECT_EQ(icc.substr(36, 4), "acsp");
    EXPECT_EQ(icc[8], 2);  // version 2
}

TEST_F(JobEntry, FailuresAreNeverSuccess)
{
    {
        seamed_context s;
        job_args a = args;
        a.measured = dir.file("missing.pix");
        EXPECT_EQ(run_job(s, a), ENGINE_ERR_FILE);
        EXPECT_EQ(s.log.camera_calls, 0);
        EXPECT_EQ(std::string(s.ctx.last_error), a.measured + ": no such file");
    }
    {
        seamed_context s;
        job_args a = args;
        a.reference = dir.write("bad.cie", "no data here");
        EXPECT_EQ(run_job(s, a), ENGINE_ERR_FILE);
        EXPECT_EQ(std::string(s.ctx.last_error),
                  a.reference + ": no BEGIN_DATA line: no data to read");
    }
    {
        seamed_context s;
        s.log.result = -32765;
        EXPECT_EQ(run_job(s, args), -32765);  // sign-extended
        EXPECT_STREQ(s.ctx.last_error, "");  // both files were read
    }
    {
        seamed_context s;
        s.log.result = 1001;
        EXPECT_EQ(run_job(s, args), 1001);
    }
    {
        // A builder that claims to have written the profile but left nothing.
        seamed_context s;
        s.log.write_file = false;
        EXPECT_EQ(run_job(s, args), ENGINE_ERR_FILE);
    }
}

TEST(JobEntryDefault, WithoutSeamsNoProfileMeansNoSuccess)
{
    // Whatever builder the engine holds, the job entry reports success only
    // with a profile on disk.
    scratch_dir dir;
    const std::string out = dir.file("real.icc");
    const int r = create_profile_for_job(
        dir.write("r.cie", lab_file(24)).c_str(), dir.write("m.pix", rgb_file(24)).c_str(),
        out.c_str(), 0, 0, 0, 0, 0, 0, 0, 2, "", nullptr, nullptr, nullptr, nullptr, nullptr,
        nullptr, nullptr, dir.path().c_str());
    EXPECT_EQ(r == 0, file_exists(out)) << r;
}

TEST(Dispatcher, PolyQualityOneUsesTheGeneralWritePath)
{
    seamed_context s;
    owned_set ref, meas;
    ASSERT_EQ(patch_set_alloc(ref.get(), 150), ENGINE_OK);
    ASSERT_EQ(patch_set_alloc(meas.get(), 150), ENGINE_OK);
    scan_prefs prefs {};
    prefs.poly_quality = 1;
    profile_options options {};
    options.calculation_mode = 3;
    fit_statistics stats {};
    ASSERT_EQ(build_and_write_profile(&s.ctx, ref.get(), meas.get(), "/tmp/x.icc",
                                      engine_sig("Kirr"), "c", &prefs, &options, &stats,
                                      nullptr),
              ENGINE_OK);
    EXPECT_EQ(s.log.icc_calls, 1);
    EXPECT_EQ(s.log.template_calls, 0);
}

TEST(Illuminant, Subsampling)
{
    struct sub_case {
        uint32_t n;
        int step;
        int count;
    };
    const sub_case cases[] = {{1, 1, 1}, {120, 1, 120}, {121, 5, 25}, {401, 5, 81},
                              {1201, 20, 61}};
    for (const sub_case &c : cases) {
        SCOPED_TRACE(c.n);
        std::vector<float> v(c.n);
        for (uint32_t i = 0; i < c.n; ++i)
            v[i] = float(i);
        const spectrum_samples src {v.data(), c.n, 300, 1};
        engine_spectrum out {};
        subsample_illuminant(&src, &out);
        EXPECT_EQ(out.start_nm, 300);
        EXPECT_EQ(out.step_nm, c.step);
        EXPECT_EQ(out.end_nm, 300 + (c.count - 1) * c.step);
        ASSERT_EQ(engine_spectrum_count(out), c.count);
        EXPECT_DOUBLE_EQ(out.values[c.count - 1], double((c.count - 1) * c.step));
    }
    engine_spectrum untouched {};
    const spectrum_samples empty {nullptr, 0, 300, 1};
    subsample_illuminant(&empty, &untouched);
    EXPECT_EQ(engine_spectrum_count(untouched), 0);
}

TEST_F(JobEntry, IlluminantGoesIntoTheOptions)
{
    seamed_context s;
    std::vector<float> v(401, 1.0f);
    const spectrum_samples src {v.data(), 401, 380, 1};
    args.illuminant = &src;
    ASSERT_EQ(run_job(s, args), 0);
    EXPECT_EQ(s.log.options.illuminant.step_nm, 5);
    EXPECT_EQ(engine_spectrum_count(s.log.options.illuminant), 81);
}

// Quick profile.
const double kRgb[4 * 3] = {255, 255, 255, 128, 64, 32, 10, 200, 30, 0, 0, 0};
const double kXyz[4 * 3] = {96.42, 100, 82.49, 20, 15, 5, 30, 50, 20, 0.5, 0.5, 0.5};

TEST(QuickProfile, QuickFlagRunsSpectralBuilderAndWritesToMemory)
{
    seamed_context s(false);
    unsigned char *buffer = reinterpret_cast<unsigned char *>(1);
    uint32_t size = 0;
    float first = -1, second = -1;
    ASSERT_EQ(create_quick_profile_in(&s.ctx, &buffer, &size, "", "notice", 4, nullptr, nullptr,
                                      kRgb, kXyz, 0, 1, &first, &second, nullptr, nullptr,
                                      nullptr),
              ENGINE_OK);
    ASSERT_NE(buffer, nullptr);
    ASSERT_GT(size, 128u);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer) + 36, 4), "acsp");
    EXPECT_EQ((uint32_t(buffer[0]) << 24 | uint32_t(buffer[1]) << 16 |
               uint32_t(buffer[2]) << 8 | buffer[3]),
              size);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer) + 80, 4), "????");  // creator
    std::free(buffer);
    EXPECT_EQ(s.log.spectral_calls, 1);
    EXPECT_EQ(s.log.prefs.poly_quality, 1);
    EXPECT_EQ(s.log.prefs.merge_transform_with_alt, 0);
    EXPECT_FLOAT_EQ(s.log.prefs.device_white[0], 1.0f);
    EXPECT_FLOAT_EQ(s.log.prefs.reference_white, 0.0f);
    EXPECT_EQ(s.log.prefs.map_in_XYZ, 0);
    EXPECT_EQ(s.log.prefs.option_i, 1);
    EXPECT_EQ(s.log.options.pcs, SIG_XYZ);
    EXPECT_EQ(s.log.options.delta_e_formula, 2);
    EXPECT_EQ(s.log.callbacks.span, 10000);
    EXPECT_FLOAT_EQ(first, 0.75f);
    EXPECT_FLOAT_EQ(second, 0.75f);
}

struct capture_sets {
    static std::vector<patch_record> device;
    static std::vector<patch_record> reference;
    static std::string name;
    static engine_result builder(engine_context *ctx, profile_tables *t, patch_set *ref,
                                 patch_set *meas, const char *path, float *g, scan_prefs *p,
                                 profile_options *o, fit_statistics *st, progress_callbacks *cb,
                                 unsigned char **buffer, uint32_t *size)
    {
        device.assign(meas->patches, meas->patches + meas->count);
        reference.assign(ref->patches, ref->patches + ref->count);
        name = path ? path : "";
        return fake_camera(ctx, t, ref, meas, path, g, p, o, st, cb, buffer, size);
    }
};
std::vector<patch_record> capture_sets::device;
std::vector<patch_record> capture_sets::reference;
std::string capture_sets::name;

TEST(QuickProfile, SetsFromTheArrays)
{
    seamed_context s;
    s.ctx.seams.build_camera = capture_sets::builder;
    const uint8_t skip[4] = {0, 1, 0, 0};
    const char names[4 * 3] = {'N', 0, 0, 'I', 0, 0, 'L', 'C', 0, 'N', 'X', 'Y'};
    unsigned char *buffer = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(create_quick_profile_in(&s.ctx, &buffer, &size, "", "c", 4, skip, names, kRgb,
                                      kXyz, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr),
              ENGINE_OK);
    std::free(buffer);
    EXPECT_EQ(capture_sets::name, "RezuvadAruzProfile.icc");
    ASSERT_EQ(capture_sets::device.size(), 4u);
    EXPECT_EQ(s.log.prefs.poly_quality, 5);
    EXPECT_TRUE(s.log.buffer_given);
    const patch_record &d0 = capture_sets::device[0];
    const patch_record &r0 = capture_sets::reference[0];
    EXPECT_STREQ(d0.name, "0");
    EXPECT_EQ(d0.sample_id, 0);
    EXPECT_FLOAT_EQ(d0.device[0], 255.0f);
    EXPECT_FLOAT_EQ(r0.xyz[1], 100.0f);
    EXPECT_NEAR(r0.lab[0], 100.0, 1e-3);
    EXPECT_NEAR(r0.lab[1], 0.0, 1e-3);
    // A skipped patch stays blank.
    const patch_record &r1 = capture_sets::reference[1];
    EXPECT_STREQ(r1.name, "1");
    EXPECT_FLOAT_EQ(r1.xyz[0], -1.0f);
    EXPECT_FLOAT_EQ(r1.lab[1], -999.0f);
    EXPECT_FLOAT_EQ(capture_sets::device[1].device[0], -1.0f);
    EXPECT_STREQ(capture_sets::device[2].control, "LC");
    EXPECT_STREQ(capture_sets::device[3].control, "NXY");
    EXPECT_FLOAT_EQ(capture_sets::device[2].device[1], 200.0f);
}

TEST(QuickProfile, DefaultNames)
{
    for (uint8_t quick : {0, 1}) {
        seamed_context s;
        s.ctx.seams.build_camera = capture_sets::builder;
        s.ctx.seams.build_spectral = [](engine_context *ctx, profile_tables *t, patch_set *,
                                        patch_set *, float *, scan_prefs *, profile_options *,
                                        fit_statistics *, progress_callbacks *) {
            log_of(ctx)->output_path = t->description;
            return engine_result(ENGINE_OK);
        };
        s.ctx.seams.write_icc = [](engine_context *, profile_tables *, const char *, uint32_t,
                                   const char *, const float *, unsigned char **b,
                                   uint32_t *n) {
            *b = static_cast<unsigned char *>(std::malloc(4));
            *n = 4;
            return engine_result(ENGINE_OK);
        };
        unsigned char *buffer = nullptr;
        uint32_t size = 0;
        ASSERT_EQ(create_quick_profile_in(&s.ctx, &buffer, &size, "", "c", 4, nullptr, nullptr,
                                          kRgb, kXyz, 0, quick, nullptr, nullptr, nullptr,
                                          nullptr, nullptr),
                  ENGINE_OK);
        std::free(buffer);
        if (quick)
            EXPECT_EQ(s.log.output_path, "QuickProfile v4.icc");
        else
            EXPECT_EQ(capture_sets::name, "RezuvadAruzProfile.icc");
    }
}

TEST(QuickProfile, Failures)
{
    unsigned char *buffer = nullptr;
    uint32_t size = 0;
    struct fail_case {
        const char *label;
        uint32_t count;
        const double *rgb;
        const double *xyz;
    };
    const fail_case cases[] = {
        {"no_patches", 0, kRgb, kXyz},
        {"no_rgb", 4, nullptr, kXyz},
        {"no_xyz", 4, kRgb, nullptr},
    };
    for (const fail_case &c : cases) {
        seamed_context s;
        EXPECT_EQ(create_quick_profile_in(&s.ctx, &buffer, &size, "Q", "c", c.count, nullptr,
                                          nullptr, c.rgb, c.xyz, 0, 1, nullptr, nullptr,
                                          nullptr, nullptr, nullptr),
                  ENGINE_ERR_FILE)
            << c.label;
        EXPECT_EQ(buffer, nullptr);
        EXPECT_EQ(s.log.spectral_calls + s.log.camera_calls, 0);
    }
    // A builder that returns 0 without a buffer: not a success.
    seamed_context s;
    s.log.fill_buffer = false;
    EXPECT_EQ(create_quick_profile_in(&s.ctx, &buffer, &size, "Q", "c", 4, nullptr, nullptr,
                                      kRgb, kXyz, 0, 0, nullptr, nullptr, nullptr, nullptr,
                                      nullptr),
              ENGINE_ERR_FILE);
    EXPECT_EQ(buffer, nullptr);
    // A failing builder's code passes through.
    seamed_context f;
    f.log.result = -108;
    float second = -1;
    EXPECT_EQ(create_quick_profile_in(&f.ctx, &buffer, &size, "Q", "c", 4, nullptr, nullptr,
                                      kRgb, kXyz, 0, 1, nullptr, &second, nullptr, nullptr,
                                      nullptr),
              -108);
    EXPECT_LT(second, 0.0f);
}

// A linear camera over 24 patches, the blue channel of the first `clipped`
// of them at the white level: the fit may leave those out, but not most of
// the chart.
TEST(QuickProfile, FitOverTooFewPatchesFails)
{
    const double m[3][3] = {{0.4361, 0.3851, 0.1431}, {0.2225, 0.7169, 0.0606},
                            {0.0139, 0.0971, 0.7141}};
    struct clip_case {
        int clipped;
        bool fits;
    };
    for (const clip_case c : {clip_case{0, true}, clip_case{12, true}, clip_case{13, false},
                              clip_case{23, false}}) {
        const int n = 24;
        std::vector<double> rgb(n * 3), xyz(n * 3);
        for (int i = 0; i < n; ++i) {
            const double d[3] = {20.0 + (i * 37) % 200, 20.0 + (i * 71) % 200,
                                 20.0 + (i * 113) % 200};
            for (int j = 0; j < 3; ++j) {
                rgb[size_t(i * 3 + j)] = d[j];
                xyz[size_t(i * 3 + j)] =
                    100.0 * (m[j][0] * d[0] + m[j][1] * d[1] + m[j][2] * d[2]) / 255.0;
            }
            if (i < c.clipped)
                rgb[size_t(i * 3 + 2)] = 255.0;
        }
        unsigned char *buffer = nullptr;
        uint32_t size = 0;
        float first = -2, second = -2;
        const engine_result r =
            create_quick_profile(&buffer, &size, "Q", "c", n, nullptr, nullptr, rgb.data(),
                                 xyz.data(), 0, 1, &first, &second, nullptr, nullptr, nullptr);
        if (c.fits) {
            EXPECT_EQ(r, ENGINE_OK) << c.clipped;
            EXPECT_NE(buffer, nullptr) << c.clipped;
            EXPECT_GE(first, 0.0f) << c.clipped;
            EXPECT_LT(first, 1.0f) << c.clipped;
        } else {
            EXPECT_EQ(r, ENGINE_ERR_EMPTY) << c.clipped;
            EXPECT_EQ(buffer, nullptr) << c.clipped;
            EXPECT_EQ(size, 0u) << c.clipped;
            EXPECT_LT(first, 0.0f) << c.clipped;
            EXPECT_LT(second, 0.0f) << c.clipped;
        }
        std::free(buffer);
    }
}

TEST(QuickProfile, CallbacksBelongToTheirOwnComputation)
{
    // Two quick profiles at once, each with its own context and callback
    // context: each sees only its own.
    struct run {
        std::atomic<int> seen {0};
        int id = 0;
    };
    run runs[2];
    runs[0].id = 1;
    runs[1].id = 2;
    auto progress = [](void *c, int, int) {
        run *r = static_cast<run *>(c);
        r->seen += r->id;
        return 0;
    };
    std::vector<std::thread> threads;
    std::atomic<int> failures {0};
    for (run &r : runs) {
        threads.emplace_back([&r, &failures, progress] {
            for (int i = 0; i < 50; ++i) {
                seamed_context s;
                unsigned char *buffer = nullptr;
                uint32_t size = 0;
                if (create_quick_profile_in(&s.ctx, &buffer, &size, "Q", "c", 4, nullptr,
                                            nullptr, kRgb, kXyz, 0, 0, nullptr, nullptr, &r,
                                            progress, nullptr) != ENGINE_OK ||
                    s.log.progress_answer != 0)
                    ++failures;
                std::free(buffer);
            }
        });
    }
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(runs[0].seen.load(), 50 * 1);
    EXPECT_EQ(runs[1].seen.load(), 50 * 2);
}

TEST(QuickProfile, CallbacksWithoutFunctionsGoOn)
{
    engine_context ctx;
    engine_context_init(&ctx);
    EXPECT_EQ(quick_profile_progress(&ctx, 1, 2), 0);
    EXPECT_EQ(quick_profile_abort(&ctx), 0);
    ctx.quick_abort = [] { return 1; };
    EXPECT_EQ(quick_profile_abort(&ctx), 1);
}

// ScanPrefs.
TEST(ScanPrefs, DefaultsAndFile)
{
    scan_prefs p;
    set_default_scan_prefs(&p);
    EXPECT_FLOAT_EQ(p.reference_white, 98.0f);
    EXPECT_FLOAT_EQ(p.device_white[1], 255.0f);
    EXPECT_EQ(p.poly_quality, 5);
    EXPECT_EQ(p.map_in_XYZ, 1);
    EXPECT_EQ(p.option_f, 1);
    EXPECT_EQ(p.option_h, 0);

    const std::string body = "ignored before\nBEGIN_DATA\n# comment map_relative 1\n"
                             "iterate_on_gamma_basic 0\nmap_relative,1\npoly_quality\t3.6\n"
                             "added_point_file extra.txt\nmy_map_in_LAB_x 1\n"
                             "END_DATA\nmap_absolute 1\n";
    for (const char *eol : {"\n", "\r", "\r\n", "\r\r\n"}) {
        std::string text;
        for (char c : body)
            text += c == '\n' ? std::string(eol) : std::string(1, c);
        SCOPED_TRACE(testing::PrintToString(std::string(eol)));
        scan_prefs q;
        set_default_scan_prefs(&q);
        parse_scan_prefs(&q, text.data(), text.size());
        EXPECT_EQ(q.iterate_on_gamma_basic, 0);
        EXPECT_EQ(q.iterate_on_gamma, 1);
        EXPECT_EQ(q.map_relative, 1);
        EXPECT_EQ(q.map_absolute, 0);
        EXPECT_EQ(q.map_in_LAB, 1);
        EXPECT_EQ(q.poly_quality, 4);
        EXPECT_STREQ(q.added_point_file, "extra.txt");
    }
}

TEST(ScanPrefs, FileAndContext)
{
    scratch_dir dir;
    const std::string path = dir.write("ScanPrefs", "BEGIN_DATA\r\npoly_quality 2\r\nEND_DATA\r\n");
    engine_context ctx;
    engine_context_init(&ctx);
    ctx.scan_prefs_path = path.c_str();
    const scan_prefs *p = engine_context_scan_prefs(&ctx);
    EXPECT_EQ(p->poly_quality, 2);
    EXPECT_FLOAT_EQ(p->reference_white, 98.0f);

    // A file of 256,000 bytes or more leaves the defaults.
    std::string big = "BEGIN_DATA\npoly_quality 2\nEND_DATA\n";
    big.resize(256000, ' ');
    scan_prefs q;
    set_default_scan_prefs(&q);
    read_scan_prefs(&q, dir.write("big", big).c_str());
    EXPECT_EQ(q.poly_quality, 5);
    big.resize(255999);
    read_scan_prefs(&q, dir.write("big", big).c_str());
    EXPECT_EQ(q.poly_quality, 2);
    read_scan_prefs(&q, "/nonexistent/ScanPrefs");
    EXPECT_EQ(q.poly_quality, 2);
}

}  // namespace
