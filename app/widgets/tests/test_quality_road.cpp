// The quality figures against an independent evaluation of the same profile
// on the same patch values: Little CMS for ICC profiles (matrix and LUT,
// versions 2 and 4), and for DNG camera profiles the DNG colour road worked
// out here from the profile's tags (white balance to the camera neutral of
// the light, the calibrations blended by inverse temperature, the exposure
// that meets the chart's white).
#include "WidgetTests.h"

#include "DngRoad.h"
#include "ShotScene.h"

#include "colour/Kirr_ColorProfileIF.h"
#include "colour/Kirr_colorDifference.h"
#include "colour/Kirr_colorLibrary.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <lcms2.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using dngroad::Matrix3;
using dngroad::Vector3;

// An RGB input profile of sRGB primaries on D50 with a gamma; a LUT profile
// (Lab connection space) sampled from it when lut is set.
QByteArray iccProfile(double version, bool lut, double gamma)
{
    const cmsCIExyY white = {0.3457, 0.3585, 1.0};
    const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1.0}, {0.30, 0.60, 1.0}, {0.15, 0.06, 1.0}};
    cmsToneCurve *curve = cmsBuildGamma(nullptr, gamma);
    cmsToneCurve *curves[3] = {curve, curve, curve};
    cmsHPROFILE matrix = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsHPROFILE out = matrix;
    if (lut) {
        cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
        cmsHTRANSFORM t = cmsCreateTransform(matrix, TYPE_RGB_16, lab, TYPE_Lab_16, INTENT_RELATIVE_COLORIMETRIC, 0);
        out = cmsCreateProfilePlaceholder(nullptr);
        cmsSetColorSpace(out, cmsSigRgbData);
        cmsSetPCS(out, cmsSigLabData);
        cmsPipeline *pipe = cmsPipelineAlloc(nullptr, 3, 3);
        cmsStage *clut = cmsStageAllocCLut16bit(nullptr, 17, 3, 3, nullptr);
        cmsStageSampleCLut16bit(clut,
                                [](const cmsUInt16Number in[], cmsUInt16Number outValues[], void *user) -> cmsInt32Number {
                                    cmsDoTransform(static_cast<cmsHTRANSFORM>(user), in, outValues, 1);
                                    return TRUE;
                                },
                                t, 0);
        // The A curves, the table and the B curves of a lutAtoBType.
        cmsToneCurve *identity = cmsBuildGamma(nullptr, 1.0);
        cmsToneCurve *identities[3] = {identity, identity, identity};
        cmsPipelineInsertStage(pipe, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, identities));
        cmsPipelineInsertStage(pipe, cmsAT_END, clut);
        cmsPipelineInsertStage(pipe, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, identities));
        cmsFreeToneCurve(identity);
        cmsWriteTag(out, cmsSigAToB0Tag, pipe);
        cmsWriteTag(out, cmsSigMediaWhitePointTag, cmsD50_XYZ());
        cmsPipelineFree(pipe);
        cmsDeleteTransform(t);
        cmsCloseProfile(lab);
    }
    cmsSetDeviceClass(out, cmsSigInputClass);
    cmsSetProfileVersion(out, version);
    cmsMLU *text = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(text, "en", "US", "Quality road");
    cmsWriteTag(out, cmsSigProfileDescriptionTag, text);
    cmsMLUfree(text);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(out, nullptr, &size);
    QByteArray bytes(int(size), '\0');
    cmsSaveProfileToMem(out, bytes.data(), &size);
    if (out != matrix)
        cmsCloseProfile(out);
    cmsCloseProfile(matrix);
    cmsFreeToneCurve(curve);
    return bytes;
}

std::vector<Vector3> throughIcc(const QByteArray &icc, const std::vector<Vector3> &device16)
{
    cmsHPROFILE in = cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size()));
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM t = cmsCreateTransform(in, TYPE_RGB_16, lab, TYPE_Lab_DBL, INTENT_ABSOLUTE_COLORIMETRIC, 0);
    std::vector<Vector3> labs;
    for (const Vector3 &d : device16) {
        const cmsUInt16Number px[3] = {cmsUInt16Number(d[0]), cmsUInt16Number(d[1]), cmsUInt16Number(d[2])};
        cmsCIELab out{};
        if (t)
            cmsDoTransform(t, px, &out, 1);
        labs.push_back({out.L, out.a, out.b});
    }
    if (t)
        cmsDeleteTransform(t);
    cmsCloseProfile(lab);
    cmsCloseProfile(in);
    return labs;
}

// The camera of the chart shots with its matrix a little off, so that the
// figures spread.
Matrix3 shotCamera(double skew)
{
    Matrix3 c = chartShotCameraMatrix();
    c[1] += skew;
    c[5] -= skew;
    return c;
}

class QualityRoadTest : public QObject
{
    Q_OBJECT

private slots:
    void figuresAreTheProfilesOwn_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<double>("version");
        QTest::addColumn<double>("encoding");
        QTest::addColumn<int>("illuminant2");
        QTest::addColumn<double>("kelvin");
        QTest::addColumn<double>("exposureOffset");
        QTest::newRow("ICC v2 matrix, linear shot") << "matrix" << 2.1 << 1.0 << 0 << 0.0 << 0.0;
        QTest::newRow("ICC v4 matrix, gamma shot") << "matrix" << 4.3 << 2.2 << 0 << 0.0 << 0.0;
        QTest::newRow("ICC v2 LUT, gamma shot") << "lut" << 2.1 << 2.2 << 0 << 0.0 << 0.0;
        QTest::newRow("ICC v4 LUT, linear shot") << "lut" << 4.3 << 1.0 << 0 << 0.0 << 0.0;
        QTest::newRow("DCP one light") << "dcp" << 0.0 << 1.0 << 0 << 5000.0 << 0.0;
        QTest::newRow("DCP one light, exposure offset") << "dcp" << 0.0 << 1.0 << 0 << 5000.0 << 0.5;
        QTest::newRow("DCP two lights") << "dcp" << 0.0 << 1.0 << 21 << 5000.0 << 0.0;
        QTest::newRow("DCP two lights, warm light") << "dcp" << 0.0 << 1.0 << 21 << 3200.0 << 0.0;
    }
    void figuresAreTheProfilesOwn()
    {
        QFETCH(QString, kind);
        QFETCH(double, version);
        QFETCH(double, encoding);
        QFETCH(int, illuminant2);
        QFETCH(double, kelvin);
        QFETCH(double, exposureOffset);
        ChartShotSpec spec;
        spec.encoding = encoding;
        ShotScene scene(spec);
        pq_ImagePatchGridWidget &w = scene.owner.engine;
        scene.job.allLoaded = false;
        w.doMeasurement();

        std::vector<Vector3> device16, reference;
        for (int r = 0; r < spec.rows; ++r)
            for (int c = 0; c < spec.columns; ++c) {
                device16.push_back(scene.shot.deviceAt(c, r));
                reference.push_back(scene.shot.labs[std::size_t(scene.shot.setAt(c, r))]);
            }
        QTemporaryDir folder;
        QString path;
        QByteArray bytes;
        std::vector<Vector3> expected;
        if (kind == QLatin1String("dcp")) {
            dngroad::Tags tags;
            tags.colorMatrix1 = shotCamera(0.03);
            tags.illuminant1 = illuminant2 ? 17 : 23;
            tags.illuminant2 = illuminant2;
            tags.colorMatrix2 = shotCamera(-0.02);
            tags.exposureOffset = exposureOffset;
            bytes = dngroad::profileFile(tags);
            path = folder.filePath("camera.dcp");
            std::vector<Vector3> camera;
            for (const Vector3 &d : device16)
                camera.push_back({d[0] / 65535, d[1] / 65535, d[2] / 65535});
            expected = dngroad::labs(tags, kelvin, camera, reference);
        } else {
            bytes = iccProfile(version, kind == QLatin1String("lut"), encoding);
            path = folder.filePath("scanner.icc");
            expected = throughIcc(bytes, device16);
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        std::unique_ptr<Kirr_ColorProfileIF> profile(Kirr_profileFromFile(path));
        QVERIFY2(profile && profile->isValid(), qPrintable(path));
        w.setImageProfile(profile.get());
        if (kelvin > 0)
            w.setTemperature(kelvin);
        pq_DeltaEHistogram h;
        w.qualityResult(&h, nullptr, nullptr);

        std::vector<double> want;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const double m[3] = {expected[i][0], expected[i][1], expected[i][2]};
            const double ref[3] = {reference[i][0], reference[i][1], reference[i][2]};
            want.push_back(Kirr_colorDifference(m, ref, 2));
        }
        std::sort(want.begin(), want.end());
        const std::vector<double> got = histogramValues(h);
        QCOMPARE(got.size(), want.size());
        for (std::size_t i = 0; i < got.size(); ++i)
            QVERIFY2(std::fabs(got[i] - want[i]) <= 0.05,
                     qPrintable(QStringLiteral("difference %1: %2 on the page, %3 through the profile")
                                    .arg(i).arg(got[i]).arg(want[i])));
        // A profile that is far from perfect, so the check has figures to compare.
        QVERIFY2(want.back() > 0.5, qPrintable(QString::number(want.back())));
    }
};

}  // namespace

QObject *makeQualityRoadTest() { return new QualityRoadTest; }

#include "test_quality_road.moc"
