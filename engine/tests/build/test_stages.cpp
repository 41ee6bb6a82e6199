#include "stages.h"

#include <gtest/gtest.h>

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

TEST(DeviceModel, ExactMatrixCameraIsReproducedAtEveryDegree)
{
    // A camera that is an exact matrix: every degree recovers it.
    const double m[3][3] = {{0.45, 0.35, 0.15}, {0.22, 0.70, 0.08}, {0.02, 0.12, 0.68}};
    std::vector<fit_patch> patches;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) {
                fit_patch p;
                p.x[0] = 0.02 + r * 0.18;
                p.x[1] = 0.02 + g * 0.18;
                p.x[2] = 0.02 + b * 0.18;
                for (int j = 0; j < 3; ++j)
                    p.xyz[j] = m[j][0] * p.x[0] + m[j][1] * p.x[1] + m[j][2] * p.x[2];
                patches.push_back(p);
            }
    prepare_metrics(patches, 2);
    for (int degree = 1; degree <= 3; ++degree) {
        device_model model;
        model.degree = degree;
        bool ok = false;
        solve_coefficients(model, patches, 1e-3, &ok);
        ASSERT_TRUE(ok);
        EXPECT_LT(model_errors(model, patches, 2).max, 1e-3) << "degree " << degree;
    }
}
