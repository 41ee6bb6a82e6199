#include "stages.h"

#include "engine/cgats.h"

#include <Eigen/Dense>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace vp_build;

TEST(CameraModelName, RenamingTable)
{
    struct row {
        const char *in;
        const char *out;
    };
    const row rows[] = {
        {"", "Fujifilm X-T1"},
        {"Hasselblad H5D-60 back", "Hasselblad 60-14-Coated5"},
        {"Hasselblad H4D-50", "Hasselblad 50-Coated"},
        {"Sinar eShutter_ Sinarback eXact", "Sinarback eXact"},
        {"Canon EOS REBEL T5i", "Canon EOS 700D"},
        {"NIKON CORPORATION NIKON D850", "NIKON D850"},
        {"Leaf Aptus-II 7", "Leaf AFi-II 7"},
        {"Sony ILCE-7RM3", "Sony ILCE-7RM3"},
    };
    for (const row &r : rows)
        EXPECT_EQ(rename_camera_model(r.in), r.out) << r.in;
    EXPECT_EQ(rename_camera_model(nullptr), "Fujifilm X-T1");
    // A name far longer than any replacement is handled on a copy.
    const std::string longer(500, 'x');
    EXPECT_EQ(rename_camera_model(longer.c_str()), longer);
}

TEST(ProfileDescription, FromOutputPath)
{
    EXPECT_EQ(profile_description("C:\\Profiles\\Studio.icc"), "Studio");
    EXPECT_EQ(profile_description("/home/u/a.icc.bak"), "a.icc");
    EXPECT_EQ(profile_description("plain"), "plain");
    EXPECT_EQ(profile_description("dir/cam.dcp"), "cam.dcp");
}

TEST(TransferTable, ClampsAndInterpolatesAnyLength)
{
    const uint16_t two[2] = {0, 65535};
    EXPECT_DOUBLE_EQ(apply_transfer(two, 2, -1.0), 0.0);
    EXPECT_DOUBLE_EQ(apply_transfer(two, 2, 300.0), 65535.0 / 257.0);
    EXPECT_NEAR(apply_transfer(two, 2, 127.5), 127.5, 1e-9);
    std::vector<uint16_t> big(65536);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = uint16_t(65535 - i);
    EXPECT_NEAR(apply_transfer(big.data(), 65536, 0.0), 255.0, 1e-9);
    EXPECT_NEAR(apply_transfer(big.data(), 65536, 255.0), 0.0, 1e-9);
    EXPECT_NEAR(apply_transfer(big.data(), 65536, 1000.0), 0.0, 1e-9);
}

namespace {

// A levels^3 chart of a camera that is a fixed matrix after the given curves,
// its colour-difference forms prepared.
std::vector<fit_patch> curved_matrix_chart(const device_model &curves, int levels, double first,
                                           double step)
{
    const double m[3][3] = {{0.45, 0.35, 0.15}, {0.22, 0.70, 0.08}, {0.02, 0.12, 0.68}};
    std::vector<fit_patch> patches;
    for (int r = 0; r < levels; ++r)
        for (int g = 0; g < levels; ++g)
            for (int b = 0; b < levels; ++b) {
                fit_patch p;
                const int level[3] = {r, g, b};
                double u[3];
                for (int c = 0; c < 3; ++c) {
                    p.x[c] = first + step * level[c];
                    u[c] = curves.curve[c].apply(p.x[c]);
                }
                for (int j = 0; j < 3; ++j)
                    p.xyz[j] = m[j][0] * u[0] + m[j][1] * u[1] + m[j][2] * u[2];
                patches.push_back(p);
            }
    prepare_metrics(patches, 2);
    return patches;
}

}  // namespace

TEST(DeviceModel, ExactMatrixCameraIsReproducedAtEveryDegree)
{
    // A camera that is an exact matrix: every degree recovers it.
    const std::vector<fit_patch> patches = curved_matrix_chart(device_model(), 6, 0.02, 0.18);
    for (int degree = 1; degree <= 3; ++degree) {
        device_model model;
        model.degree = degree;
        bool ok = false;
        solve_coefficients(model, patches, 1e-3, &ok);
        ASSERT_TRUE(ok);
        EXPECT_LT(model_errors(model, patches, 2).max, 1e-3) << "degree " << degree;
    }
}

TEST(DeviceModel, SolveMatchesStackedLeastSquares)
{
    // A camera no root polynomial holds exactly, uneven weights and the
    // CIEDE2000 forms: the solve must find the minimum that an independent
    // stacked least-squares solve finds for the same weighted sum.
    std::vector<fit_patch> patches;
    for (int i = 0; i < 90; ++i) {
        fit_patch p;
        for (int c = 0; c < 3; ++c)
            p.x[c] = 0.03 + 0.95 * std::fmod(0.37 * (i + 1) * (c + 2) + 0.13 * c, 1.0);
        const double r = p.x[0], g = p.x[1], b = p.x[2];
        p.xyz[0] = 0.43 * r + 0.36 * g + 0.14 * b + 0.05 * r * g;
        p.xyz[1] = 0.22 * r + 0.72 * g + 0.06 * b - 0.03 * g * b;
        p.xyz[2] = 0.01 * r + 0.11 * g + 0.71 * b + 0.04 * r * b * b;
        p.weight = i % 7 == 0 ? 0.0 : 0.5 + (i % 5) * 0.25;
        patches.push_back(p);
    }
    prepare_metrics(patches, 2);
    for (int degree = 1; degree <= 3; ++degree) {
        SCOPED_TRACE(degree);
        device_model model;
        model.degree = degree;
        model.curve[1].p[0] = 1.3;
        bool ok = false;
        const double residual = solve_coefficients(model, patches, 0.0, &ok);
        ASSERT_TRUE(ok);

        const int nt = term_count(degree);
        std::vector<const fit_patch *> used;
        for (const fit_patch &p : patches)
            if (p.weight > 0.0)
                used.push_back(&p);
        Eigen::MatrixXd design = Eigen::MatrixXd::Zero(3 * Eigen::Index(used.size()), 3 * nt);
        Eigen::VectorXd target(design.rows());
        Eigen::MatrixXd terms(Eigen::Index(used.size()), nt);
        for (size_t i = 0; i < used.size(); ++i) {
            const fit_patch &p = *used[i];
            Eigen::Matrix3d g;
            for (int j = 0; j < 3; ++j)
                for (int k = 0; k < 3; ++k)
                    g(j, k) = 0.5 * (p.metric[j][k] + p.metric[k][j]);
            const Eigen::Matrix3d lt = Eigen::LLT<Eigen::Matrix3d>(g).matrixU();
            const double u[3] = {model.curve[0].apply(p.x[0]), model.curve[1].apply(p.x[1]),
                                 model.curve[2].apply(p.x[2])};
            double phi[MAX_TERMS];
            root_poly_terms(u, degree, phi);
            for (int t = 0; t < nt; ++t)
                terms(Eigen::Index(i), t) = phi[t];
            const double sw = std::sqrt(p.weight);
            for (int row = 0; row < 3; ++row) {
                const Eigen::Index at = 3 * Eigen::Index(i) + row;
                target(at) = sw * lt.row(row).dot(Eigen::Vector3d(p.xyz[0], p.xyz[1], p.xyz[2]));
                for (int j = 0; j < 3; ++j)
                    for (int t = 0; t < nt; ++t)
                        design(at, j * nt + t) = sw * lt(row, j) * phi[t];
            }
        }
        const Eigen::VectorXd a = design.colPivHouseholderQr().solve(target);
        EXPECT_NEAR(residual, (design * a - target).squaredNorm(), 1e-9 * (1.0 + residual));
        // The terms of degree 3 are nearly collinear: the fitted colours are
        // what is unique, not the coefficients, and normal equations hold
        // them to a few 1e-6 (a thousandth of a colour difference).
        for (size_t i = 0; i < used.size(); ++i) {
            double xyz[3];
            model.apply(used[i]->x, xyz);
            for (int j = 0; j < 3; ++j)
                EXPECT_NEAR(xyz[j], terms.row(Eigen::Index(i)).dot(a.segment(j * nt, nt)), 1e-5)
                    << "patch " << i << " row " << j;
        }
    }
}

TEST(DeviceModel, CurveThatFallsBeyondTheDeviceRangeIsKept)
{
    // A scanner curve with a shoulder: it rises over the device range 0..1
    // and would fall beyond it, where no device value goes. Started at that
    // curve, the fit must keep it, not take it for a broken one.
    device_model truth;
    for (channel_curve &c : truth.curve) {
        c.p[0] = 2.2;
        c.p[3] = -2.5;
    }
    ASSERT_TRUE(truth.curve[0].is_monotone());
    const std::vector<fit_patch> patches = curved_matrix_chart(truth, 5, 0.08, 0.23);
    device_model model = truth;
    ASSERT_EQ(fit_curves(model, patches, fit_settings(), fit_control()), FIT_OK);
    EXPECT_LT(model_errors(model, patches, 2).max, 0.01);
}

TEST(DeviceModel, CurveFitCountsTheEvaluationsItMade)
{
    // A gamma camera fitted from a wrong gamma converges well inside its
    // budget; the count is what the minimiser used, added to the caller's.
    device_model truth;
    for (channel_curve &c : truth.curve)
        c.p[0] = 2.2;
    const std::vector<fit_patch> patches = curved_matrix_chart(truth, 5, 0.08, 0.23);
    device_model model;
    for (channel_curve &c : model.curve)
        c.p[0] = 1.8;
    fit_settings s;
    s.curve_shape = false;
    s.max_evaluations = 1500;
    int evaluations = 7;
    ASSERT_EQ(fit_curves(model, patches, s, fit_control(), &evaluations), FIT_OK);
    EXPECT_NEAR(model.curve[1].p[0], 2.2, 1e-4);
    EXPECT_GT(evaluations, 7 + 3);
    EXPECT_LT(evaluations, 7 + s.max_evaluations);

    s.fit_curves = false;
    const int before = evaluations;
    ASSERT_EQ(fit_curves(model, patches, s, fit_control(), &evaluations), FIT_OK);
    EXPECT_EQ(evaluations, before);
}

namespace {

// A camera build over the given options with every mapping preference set,
// so that a stage that clears one shows it.
struct mode_build {
    profile_options options{};
    camera_build b;
    explicit mode_build(uint8_t make_dcp, int mode, int32_t transfer_count)
    {
        options.make_dcp = make_dcp;
        options.calculation_mode = mode;
        options.pcs = SIG_XYZ;
        options.transfer.count = transfer_count;
        b.options = &options;
        b.prefs.map_in_XYZ = 1;
        b.prefs.map_in_LAB = 1;
    }
};

}  // namespace

TEST(CameraRoad, CalculationModeTable)
{
    struct row {
        uint8_t make_dcp;
        int mode;
        int32_t transfer_count;
        int mode_after;
        uint32_t pcs_after;
        bool matrix_only;
        bool maps_cleared;
    };
    const row rows[] = {
        {1, 1, 0, 1, SIG_XYZ, true, true},   {1, 4, 0, 4, SIG_XYZ, true, true},
        {1, 2, 0, 2, SIG_XYZ, false, true},  {1, 7, 0, 7, SIG_XYZ, false, true},
        {1, 5, 0, 5, SIG_XYZ, false, true},  {1, 0, 0, 0, SIG_XYZ, false, true},
        {1, 2, 3, 2, SIG_XYZ, false, true},  {0, 1, 0, 1, SIG_XYZ, false, false},
        {0, 4, 0, 4, SIG_XYZ, false, false}, {0, 2, 0, 1, SIG_LAB, false, false},
        {0, 7, 0, 1, SIG_LAB, false, false}, {0, 8, 0, 1, SIG_LAB, false, false},
        {0, 5, 0, 0, SIG_XYZ, false, false}, {0, 6, 0, 0, SIG_XYZ, false, false},
        {0, 3, 0, 3, SIG_XYZ, false, false}, {0, 0, 1, 1, SIG_LAB, false, false},
        {0, 5, 3, 1, SIG_LAB, false, false},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(testing::Message() << "make_dcp " << int(r.make_dcp) << " mode " << r.mode
                                        << " transfer curves " << r.transfer_count);
        mode_build m(r.make_dcp, r.mode, r.transfer_count);
        apply_calculation_mode(m.b);
        EXPECT_EQ(m.b.dcp, r.make_dcp != 0);
        EXPECT_EQ(m.options.calculation_mode, r.mode_after);
        EXPECT_EQ(m.options.pcs, r.pcs_after);
        EXPECT_EQ(m.b.matrix_only, r.matrix_only);
        EXPECT_EQ(m.b.dcp_opts.matrix_and_tables, r.matrix_only ? 0 : 1);
        EXPECT_EQ(m.b.dcp_opts.mode0, r.mode_after == 0 ? 1 : 0);
        EXPECT_EQ(m.b.prefs.map_in_XYZ, r.maps_cleared ? 0 : 1);
        EXPECT_EQ(m.b.prefs.map_in_LAB, r.maps_cleared ? 0 : 1);
    }
}

TEST(CameraRoad, LastPassWeighsLowChromaPatchesOnlyOnTheFullChart)
{
    struct row {
        int32_t count;
        int lc_patches;
        int mode;
    };
    const row rows[] = {{140, 4, FIT_MODE_FINAL_LC},
                        {140, 9, FIT_MODE_FINAL_LC},
                        {140, 3, FIT_MODE_FINAL},
                        {141, 4, FIT_MODE_FINAL},
                        {139, 4, FIT_MODE_FINAL}};
    for (const row &r : rows) {
        patch_set set;
        patch_set_init(&set);
        ASSERT_EQ(patch_set_alloc(&set, r.count), ENGINE_OK);
        for (int i = 0; i < r.count; ++i)
            std::snprintf(set.patches[i].control, sizeof set.patches[i].control, "%s",
                          i % 11 == 5 && i / 11 < r.lc_patches ? "LC" : "N");
        ASSERT_EQ(patch_set_count_lc(&set), r.lc_patches);
        EXPECT_EQ(final_pass_mode(set), r.mode) << r.count << " patches, " << r.lc_patches
                                                << " LC";
        patch_set_free(&set);
    }
}

namespace {

// Three reflectance spectra (380..730 nm by 10) and their camera values.
std::string spectral_reference_text()
{
    std::string text = "IS12642\nNUMBER_OF_FIELDS\t38\nBEGIN_DATA_FORMAT\nSAMPLE_ID\tCONTROL";
    for (int nm = 380; nm <= 730; nm += 10)
        text += "\tSPECTRAL_NM_" + std::to_string(nm);
    text += "\nEND_DATA_FORMAT\nNUMBER_OF_SETS\t3\nBEGIN_DATA\n";
    for (int p = 0; p < 3; ++p) {
        text += std::to_string(p) + "\tN";
        for (int i = 0; i < 36; ++i) {
            const double ramp = p == 0 ? 0.9 : p == 1 ? 0.1 + 0.02 * i : 0.8 - 0.02 * i;
            text += "\t" + std::to_string(100.0 * ramp);
        }
        text += "\n";
    }
    return text + "END_DATA\n";
}

const char kCameraValues[] =
    "IS12642\nNUMBER_OF_FIELDS\t5\nBEGIN_DATA_FORMAT\nSAMPLE_ID\tCONTROL\tRGB_R\tRGB_G\tRGB_B\n"
    "END_DATA_FORMAT\nNUMBER_OF_SETS\t3\nBEGIN_DATA\n"
    "0\tN\t230\t230\t230\n1\tN\t150\t90\t40\n2\tN\t40\t100\t160\nEND_DATA\n";

}  // namespace

// The job's illuminant is applied once, before pairing; the pairing that
// follows must keep those colours rather than recompute the spectra under
// D50, as the spectral road does.
TEST(CameraRoad, JobIlluminantColoursSurvivePairing)
{
    const std::string reference_text = spectral_reference_text();
    patch_set reference, measured;
    patch_set_init(&reference);
    patch_set_init(&measured);
    ASSERT_EQ(read_cgats_bytes(reference_text.data(), reference_text.size(), &reference),
              ENGINE_OK);
    ASSERT_EQ(read_cgats_bytes(kCameraValues, sizeof kCameraValues - 1, &measured), ENGINE_OK);
    ASSERT_TRUE(reference.spectral);

    profile_options options{};
    options.illuminant.start_nm = 380;
    options.illuminant.step_nm = 10;
    options.illuminant.end_nm = 730;
    for (int i = 0; i < 36; ++i)
        options.illuminant.values[i] = 20.0 + 5.0 * i;  // rising towards the red, as tungsten
    camera_build b;
    b.options = &options;
    b.reference = &reference;
    b.measured = &measured;
    apply_calculation_mode(b);

    double read_lab[3];
    ASSERT_EQ(patch_set_get_lab(&reference, 1, read_lab), ENGINE_OK);
    ASSERT_EQ(reilluminate_reference(b), ENGINE_OK);
    std::vector<double> lit;
    for (int i = 0; i < 3; ++i) {
        double lab[3];
        ASSERT_EQ(patch_set_get_lab(&reference, i, lab), ENGINE_OK);
        lit.insert(lit.end(), lab, lab + 3);
    }
    ASSERT_GT(std::fabs(read_lab[1] - lit[4]) + std::fabs(read_lab[2] - lit[5]), 1.0)
        << "the job's illuminant changes the colours";

    ASSERT_EQ(match_sets(b), ENGINE_OK);
    ASSERT_EQ(pair_sets(b), ENGINE_OK);
    ASSERT_EQ(make_lab_set(b), ENGINE_OK);
    ASSERT_EQ(b.lab.count, 3);
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(b.lab.patches[i].lab[k], lit[3 * i + k], 1e-3) << i << "," << k;

    patch_set_free(&reference);
    patch_set_free(&measured);
}

namespace {

// The A2B0 'mAB ' table evaluated as a reader does in floating point:
// A curves, CLUT (trilinear; the grid's own values), M curves, matrix, on
// the 0..1 scale of 16-bit entries, then PCS XYZ from its encoding.
void apply_mab(const mab_table &t, const double x[3], double xyz[3])
{
    auto curve = [](const uint16_t *c, int n, double v) {
        const double pos = std::min(1.0, std::max(0.0, v)) * (n - 1);
        const int i = std::min(n - 2, int(pos));
        const double f = pos - i;
        return ((1.0 - f) * c[i] + f * c[i + 1]) / 65535.0;
    };
    const int g = t.grid_points;
    double a[3];
    int cell[3];
    double frac[3];
    for (int c = 0; c < 3; ++c) {
        a[c] = curve(t.a_curves[c], t.a_curve_entries, x[c]) * (g - 1);
        cell[c] = std::min(g - 2, int(a[c]));
        frac[c] = a[c] - cell[c];
    }
    double clut[3] = {};
    for (int corner = 0; corner < 8; ++corner) {
        double w = 1.0;
        size_t index = 0;
        for (int c = 0; c < 3; ++c) {
            const int bit = (corner >> (2 - c)) & 1;
            w *= bit ? frac[c] : 1.0 - frac[c];
            index = index * size_t(g) + size_t(cell[c] + bit);
        }
        for (int m = 0; m < 3; ++m)
            clut[m] += w * t.clut[3 * index + size_t(m)] / 65535.0;
    }
    for (int m = 0; m < 3; ++m)
        clut[m] = curve(t.m_curves[m], t.bm_curve_entries, clut[m]);
    for (int j = 0; j < 3; ++j) {
        double v = t.matrix[9 + j];
        for (int k = 0; k < 3; ++k)
            v += double(t.matrix[3 * j + k]) * clut[k];
        xyz[j] = curve(t.b_curves[j], t.bm_curve_entries, v) * 65535.0 / 32768.0;
    }
}

}  // namespace

// A matrix rendered into the XYZ table holds the darkest colours within the
// precision of 16-bit curves near black, not within the 16-bit steps of the
// whole XYZ range that a saturated corner of the camera reaches.
TEST(XyzTable, HoldsAMatrixDownToBlack)
{
    camera_fit fit;
    fit.model.degree = 1;
    const double m[3][3] = {{1.9, -0.6, 0.3}, {0.5, 0.9, -0.3}, {-0.1, -0.4, 2.2}};
    for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k)
            fit.model.coef[j][k] = m[j][k];
    mab_table table{};
    table.grid_points = 33;
    ASSERT_EQ(correct_lut_xyz(&fit, &table), ENGINE_OK);
    double worst = 0;
    for (double level : {0.0, 0.002, 0.005, 0.01, 0.02}) {
        const double x[3] = {level, 0.8 * level, 0.6 * level};
        double want[3], got[3];
        fit.model.apply(x, want);
        apply_mab(table, x, got);
        for (int j = 0; j < 3; ++j)
            worst = std::max(worst, std::fabs(got[j] - want[j]));
    }
    // A third of the PCS's own 16-bit step (1 / 32768); the grid's steps
    // over the XYZ range of this camera's corners are twice that.
    EXPECT_LT(worst, 1e-5);
    mab_table_free(&table);
}
