#include "cms_tests.h"
#include "SuiteRunner.h"

#include "colour/Kirr_ColorImageIF.h"
#include "colour/Kirr_ColorMatch.h"
#include "colour/Kirr_ColorProfileIF.h"
#include "colour/Kirr_ColorWorldIF.h"
#include "colour/Kirr_colorLibrary.h"

#include "engine/cgats.h"
#include "engine/colour_maths.h"
#include "engine/entries.h"
#include "engine/patch_set.h"

#include "platform/cms.h"

#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <lcms2.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using ProfilePtr = std::unique_ptr<Kirr_ColorProfileIF>;
using MatchPtr = std::unique_ptr<Kirr_ColorMatch>;
using ImagePtr = std::unique_ptr<Kirr_ColorImageIF>;

const QString kAdobe = QStringLiteral("/usr/share/color/icc/colord/AdobeRGB1998.icc");
const QString kDcp = QStringLiteral("/usr/share/rawtherapee/dcpprofiles/Canon EOS 20D.dcp");
const QString kLinearSet = QStringLiteral(VP_BENCH_DATA "/CMP-DT4/linraw-low");

MatchPtr match(const Kirr_ColorProfileIF *a, const Kirr_ColorProfileIF *b, int intent = 1)
{
    return MatchPtr(static_cast<Kirr_ColorMatch *>(Kirr_createColorMatch(a, b, intent)));
}

class MatchTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(Kirr_ensureStandardProfiles());
        srgb.reset(Kirr_profileFromFile(systemSRGBPath()));
        lab.reset(Kirr_genericLabProfile());
        xyz.reset(Kirr_genericXYZProfile());
        adobe.reset(Kirr_profileFromFile(kAdobe));
        QVERIFY(srgb && lab && xyz && adobe);
    }

    void knownValues()
    {
        MatchPtr toLab = match(srgb.get(), lab.get());
        const double white[3] = {1, 1, 1};
        double out[3];
        QVERIFY(toLab->rgbToLab(white, out, 1));
        QVERIFY(qAbs(out[0] - 100) < 0.01 && qAbs(out[1]) < 0.01 && qAbs(out[2]) < 0.01);
        QVERIFY(!toLab->labToRgb(out, out, 1));  // wrong direction
        QVERIFY(!toLab->rgbToLab(white, out, 0));
        QVERIFY(!toLab->rgbToLab(nullptr, out, 1));
        MatchPtr toXyz = match(srgb.get(), xyz.get());
        QVERIFY(toXyz->rgbToXyz(white, out, 1));
        QVERIFY(qAbs(out[0] - 96.42) < 0.05 && qAbs(out[1] - 100) < 0.05
                && qAbs(out[2] - 82.49) < 0.05);
        MatchPtr back = match(lab.get(), srgb.get());
        const double l100[3] = {100, 0, 0};
        QVERIFY(back->labToRgb(l100, out, 1));
        QVERIFY(qAbs(out[0] - 1) < 0.001 && qAbs(out[1] - 1) < 0.001 && qAbs(out[2] - 1) < 0.001);
    }

    // Values agree with Little CMS through the same two profiles.
    void againstLittleCms()
    {
        const QByteArray a = readFileBytes(systemSRGBPath());
        cmsHPROFILE hs = cmsOpenProfileFromMem(a.constData(), cmsUInt32Number(a.size()));
        cmsHPROFILE hl = cmsCreateLab4Profile(cmsD50_xyY());
        cmsHTRANSFORM xf = cmsCreateTransform(hs, TYPE_RGB_DBL, hl, TYPE_Lab_DBL,
                                              INTENT_RELATIVE_COLORIMETRIC, 0);
        QVERIFY(xf);
        const double rgb[] = {0.2, 0.4, 0.6, 1, 0, 0, 0, 1, 0, 0.5, 0.5, 0.5, 0.9, 0.1, 0.7};
        double ours[15], theirs[15];
        MatchPtr m = match(srgb.get(), lab.get());
        QVERIFY(m->rgbToLab(rgb, ours, 5));
        cmsDoTransform(xf, rgb, theirs, 5);
        for (int i = 0; i < 15; ++i)
            QVERIFY2(qAbs(ours[i] - theirs[i]) < 0.05, qPrintable(QString::number(i)));
        cmsDeleteTransform(xf);
        cmsCloseProfile(hs);
        cmsCloseProfile(hl);
    }

    void encodingLimits()
    {
        MatchPtr m = match(srgb.get(), srgb.get());
        const double in[6] = {1.2, -0.1, 0.5, 1.0, 0.0, 0.5};
        double out[6];
        QVERIFY(m->rgbToRgb(in, out, 2));
        for (int c = 0; c < 3; ++c)
            QVERIFY(qAbs(out[c] - out[3 + c]) < 1e-4);  // 1.2 -> 65535, -0.1 -> 0
        double inPlace[3] = {0.25, 0.5, 0.75};
        QVERIFY(m->rgbToRgbInPlace(inPlace, 1));
        QVERIFY(qAbs(inPlace[0] - 0.25) < 0.002 && qAbs(inPlace[2] - 0.75) < 0.002);
    }

    void worldLifecycle()
    {
        MatchPtr m = match(srgb.get(), lab.get());
        ImagePtr a(Kirr_createColorImage(2, 2, Kirr_sig("RGB "), 8, 3, 0, true));
        ImagePtr b(Kirr_createColorImage(3, 2, Kirr_sig("Lab "), 16, 3, 0, false));
        QVERIFY(!m->transformImage(*a, *b));
        QCOMPARE(m->worldsBuilt(), 0);  // no world for images of different size
        const double rgb[3] = {0.5, 0.5, 0.5};
        double out[3];
        QVERIFY(m->rgbToLab(rgb, out, 1));
        QVERIFY(m->rgbToLab(rgb, out, 1));
        QCOMPARE(m->worldsBuilt(), 1);
        m->setIntent(0);
        QCOMPARE(m->worldsBuilt(), 1);
        QVERIFY(m->rgbToLab(rgb, out, 1));
        QCOMPARE(m->worldsBuilt(), 2);
        double w[3];
        QVERIFY(m->readSourceXYZTag(Kirr_sig("wtpt"), w));
        QVERIFY(m->rgbToLab(rgb, out, 1));
        QCOMPARE(m->worldsBuilt(), 2);  // reads keep the world
        // A path that does not open keeps the old source.
        m->setSourceProfile(QStringLiteral("/nonexistent/profile.icc"));
        QCOMPARE(m->sourceColorSpace(), Kirr_sig("RGB "));
        QVERIFY(m->rgbToLab(rgb, out, 1));
        QCOMPARE(m->worldsBuilt(), 2);
        m->setDestinationProfile(kAdobe);
        QVERIFY(!m->rgbToLab(rgb, out, 1));
        QVERIFY(m->rgbToRgb(rgb, out, 1));
        // A null profile gives a match that converts nothing.
        MatchPtr empty = match(nullptr, lab.get());
        QVERIFY(empty);
        QCOMPARE(empty->sourceColorSpace(), Kirr_blankSignature);
        QVERIFY(!empty->rgbToLab(rgb, out, 1));
    }

    // 16-bit rows agree with Little CMS over the same pixels.
    void image16AgainstLittleCms()
    {
        const int w = 64, h = 3;
        ImagePtr src(Kirr_createColorImage(w, h, Kirr_sig("RGB "), 16, 3, 0, false));
        ImagePtr dst(Kirr_createColorImage(w, h, Kirr_sig("RGB "), 16, 3, 0, false));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 3; ++c)
                    src->setSample(x, y, c, (x * 1021 + y * 7919 + c * 30011) % 65536);
        MatchPtr m = match(srgb.get(), adobe.get());
        QVERIFY(m->transformImage(*src, *dst));
        const QByteArray a = readFileBytes(systemSRGBPath()), b = readFileBytes(kAdobe);
        cmsHPROFILE ha = cmsOpenProfileFromMem(a.constData(), cmsUInt32Number(a.size()));
        cmsHPROFILE hb = cmsOpenProfileFromMem(b.constData(), cmsUInt32Number(b.size()));
        cmsHPROFILE chain[2] = {ha, hb};
        cmsHTRANSFORM xf = static_cast<cmsHTRANSFORM>(platform::cms::make_lcms_transform(
            nullptr, chain, 2, TYPE_RGB_16, TYPE_RGB_16, INTENT_RELATIVE_COLORIMETRIC));
        std::vector<quint16> row(w * 3);
        for (int y = 0; y < h; ++y) {
            cmsDoTransform(xf, src->rowData(y), row.data(), w);
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 3; ++c)
                    QCOMPARE(dst->sample(x, y, c), int(row[std::size_t(x * 3 + c)]));
        }
        cmsDeleteTransform(xf);
        cmsCloseProfile(ha);
        cmsCloseProfile(hb);
    }

    // Rows that need a copy (a layout the transform cannot take) give the
    // same pixels as rows it reads directly.
    void imageLayouts()
    {
        const int w = 5;
        ImagePtr dense(Kirr_createColorImage(w, 1, Kirr_sig("RGB "), 8, 3, 0, true));
        ImagePtr gappy(Kirr_createColorImage(w, 1, Kirr_sig("RGB "), 8, 3, 2, false));
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                dense->setSample(x, 0, c, 40 * x + 20 * c);
                gappy->setSample(x, 0, c, 40 * x + 20 * c);
            }
        ImagePtr out1(Kirr_createColorImage(w, 1, Kirr_sig("Lab "), 16, 3, 0, false));
        ImagePtr out2(Kirr_createColorImage(w, 1, Kirr_sig("Lab "), 16, 3, 0, false));
        MatchPtr m = match(srgb.get(), lab.get());
        QVERIFY(m->transformImage(*dense, *out1));
        QVERIFY(m->transformImage(*gappy, *out2));
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                QCOMPARE(out1->sample(x, 0, c), out2->sample(x, 0, c));
        // White in 16-bit Lab words.
        dense->setSample(0, 0, 0, 255);
        dense->setSample(0, 0, 1, 255);
        dense->setSample(0, 0, 2, 255);
        QVERIFY(m->transformImage(*dense, *out1));
        QVERIFY(qAbs(out1->sample(0, 0, 0) - 65535) <= 2);
        QVERIFY(qAbs(out1->sample(0, 0, 1) - 32768) <= 40);
        QVERIFY(qAbs(out1->sample(0, 0, 2) - 32768) <= 40);
    }

    void qimageInPlace()
    {
        QImage img(4, 2, QImage::Format_RGB32);
        img.fill(qRgb(100, 150, 200));
        MatchPtr m = match(srgb.get(), srgb.get());
        QVERIFY(m->transformQImage(img, img));
        const QRgb p = img.pixel(3, 1);
        QVERIFY(qAbs(qRed(p) - 100) <= 1 && qAbs(qGreen(p) - 150) <= 1 && qAbs(qBlue(p) - 200) <= 1);
        QImage other(4, 2, QImage::Format_RGB32);
        MatchPtr toAdobe = match(srgb.get(), adobe.get());
        QVERIFY(toAdobe->transformQImage(img, other));
        QVERIFY(qRed(other.pixel(0, 0)) != 100 || qBlue(other.pixel(0, 0)) != 200);
        QCOMPARE(img.pixel(0, 0), p);  // the source is only read
        QImage small(2, 2, QImage::Format_RGB32);
        QVERIFY(!toAdobe->transformQImage(img, small));
    }

    // 16-bit XYZ rows: to 8-bit RGB with the word's rounding (65153 and
    // above give 255), and to 16-bit Lab without the transform.
    void xyzRows()
    {
        std::unique_ptr<Kirr_ColorWorldIF> world(Kirr_createColorWorld(xyz.get(), srgb.get(), 1));
        QVERIFY(world);
        ImagePtr src(Kirr_createColorImage(2, 1, Kirr_sig("XYZ "), 16, 3, 0, false));
        const int d50[3] = {31595, 32768, 27040};
        for (int c = 0; c < 3; ++c) {
            src->setSample(0, 0, c, d50[c] * 103 / 100);  // a little above white
            src->setSample(1, 0, c, d50[c] / 2);
        }
        ImagePtr rgb8(Kirr_createColorImage(2, 1, Kirr_sig("RGB "), 8, 3, 0, true));
        QVERIFY(world->transformImage(*src, *rgb8));
        for (int c = 0; c < 3; ++c)
            QCOMPARE(rgb8->sample(0, 0, c), 255);
        ImagePtr rgb16(Kirr_createColorImage(2, 1, Kirr_sig("RGB "), 16, 3, 0, true));
        QVERIFY(world->transformImage(*src, *rgb16));
        for (int c = 0; c < 3; ++c) {
            const int w16 = rgb16->sample(1, 0, c);
            const int expected = w16 > 65152 ? 255 : (w16 + 127) >> 8;
            QCOMPARE(rgb8->sample(1, 0, c), expected);
        }
        ImagePtr lab16(Kirr_createColorImage(2, 1, Kirr_sig("Lab "), 16, 3, 0, false));
        QVERIFY(world->transformImage(*src, *lab16));
        QCOMPARE(lab16->sample(0, 0, 0), 65535);  // L above 100 is clamped
        // Half the white: L of Y 0.5 with the CIE formula, a and b neutral.
        const double l = 116.0 * std::cbrt(0.5) - 16.0;
        QVERIFY(qAbs(lab16->sample(1, 0, 0) - l / 100.0 * 65535.0) <= 3);
        QVERIFY(qAbs(lab16->sample(1, 0, 1) - 32768) <= 8);
        QVERIFY(qAbs(lab16->sample(1, 0, 2) - 32768) <= 8);
        ImagePtr cmyk(Kirr_createColorImage(2, 1, Kirr_sig("CMYK"), 8, 4, 0, true));
        QVERIFY(!world->transformImage(*src, *cmyk));
        QVERIFY(!Kirr_createColorWorld(xyz.get(), nullptr, 0));
    }

    // A camera profile as source goes through 16-bit XYZ.
    void cameraProfileSource()
    {
        ProfilePtr dcp(Kirr_profileFromFile(kDcp));
        QVERIFY(dcp);
        MatchPtr m = match(dcp.get(), srgb.get(), 1);
        QCOMPARE(m->sourceColorSpace(), Kirr_sig("RGB "));
        QVERIFY(m->sourceTemperature() > 0);
        m->setSourceTemperature(5000);
        QCOMPARE(m->sourceTemperature(), 5000.0);
        ImagePtr cam(Kirr_createColorImage(1, 1, Kirr_sig("RGB "), 16, 3, 0, false));
        cam->setSample(0, 0, 0, 20000);
        cam->setSample(0, 0, 1, 30000);
        cam->setSample(0, 0, 2, 15000);
        ImagePtr out(Kirr_createColorImage(1, 1, Kirr_sig("RGB "), 8, 3, 0, true));
        // Balance factors that make the camera value neutral give a grey.
        const double balance[3] = {1.5, 1.0, 2.0};
        QVERIFY(m->transformImage(*cam, *out, balance));
        const int r = out->sample(0, 0, 0), g = out->sample(0, 0, 1), b = out->sample(0, 0, 2);
        QVERIFY2(qAbs(r - g) <= 3 && qAbs(g - b) <= 3,
                 qPrintable(QStringLiteral("%1 %2 %3").arg(r).arg(g).arg(b)));
        QVERIFY(g > 100);
        double xyzTag[3];
        QVERIFY(!m->readSourceXYZTag(Kirr_sig("wtpt"), xyzTag));
        const double rgb[3] = {0.5, 0.5, 0.5};
        double lab[3];
        QVERIFY(!m->rgbToXyz(rgb, lab, 1));  // camera values are not XYZ
        QImage img(2, 2, QImage::Format_RGB32);
        img.fill(qRgb(120, 120, 120));
        QVERIFY(m->transformQImage(img, img));
    }

    // Profiles of a linear camera (its shadows lie in the first percent of
    // the 16-bit range) through the 16-bit image road agree on all 570
    // patches of the chart (built from its training half) with Little CMS's
    // unoptimised double-precision transform of the same 16-bit values. An
    // even grid over the camera values, as Little CMS precalculates by
    // default, is off by up to 20 delta E in the darks; any grid in front of
    // the XYZ table smooths the steps of its 16-bit XYZ words (0.26 off).
    // The table with an XYZ connection space takes the exact road.
    void linearCameraImage_data()
    {
        QTest::addColumn<bool>("matrixType");
        QTest::addColumn<int>("pcsXyz");
        QTest::addColumn<double>("tolerance");
        QTest::newRow("LUT, Lab PCS") << false << 0 << 0.1;
        QTest::newRow("LUT, XYZ PCS") << false << 1 << 0.02;
        QTest::newRow("matrix") << true << 1 << 0.1;
    }
    void linearCameraImage()
    {
        QFETCH(bool, matrixType);
        QFETCH(int, pcsXyz);
        QFETCH(double, tolerance);
        QTemporaryDir dir;
        const QString icc = !matrixType && pcsXyz ? xyzTableProfile()
                                                  : linearCameraProfile(dir, matrixType, pcsXyz);
        QVERIFY(!icc.isEmpty());
        patch_set device{};
        patch_set_init(&device);
        QCOMPARE(int(read_cgats_file(qPrintable(kLinearSet + QStringLiteral("/all.pix")), &device)),
                 0);
        const int n = device.count;
        QCOMPARE(n, 570);
        ImagePtr src(Kirr_createColorImage(n, 1, Kirr_sig("RGB "), 16, 3, 0, false));
        for (int i = 0; i < n; ++i)
            for (int c = 0; c < 3; ++c)
                src->setSample(i, 0, c,
                               int(std::lround(device.patches[i].device[c] / 255.0 * 65535.0)));
        patch_set_free(&device);
        checkAgainstDoubleTransform(icc, *src, tolerance);
    }

    // The exact road over a cube of 16-bit ramps on each channel: every word
    // up to 15, then steps of a fifth more up to the top of the range.
    void exactRoadOverRampCube()
    {
        const QString icc = xyzTableProfile();
        QVERIFY(!icc.isEmpty());
        std::vector<int> levels;
        for (int v = 0; v < 65535; v = v < 16 ? v + 1 : v + v / 5)
            levels.push_back(v);
        levels.push_back(65535);
        const int m = int(levels.size());
        ImagePtr src(Kirr_createColorImage(m * m, m, Kirr_sig("RGB "), 16, 3, 0, false));
        for (int r = 0; r < m; ++r)
            for (int g = 0; g < m; ++g)
                for (int b = 0; b < m; ++b) {
                    src->setSample(r * m + g, b, 0, levels[std::size_t(r)]);
                    src->setSample(r * m + g, b, 1, levels[std::size_t(g)]);
                    src->setSample(r * m + g, b, 2, levels[std::size_t(b)]);
                }
        checkAgainstDoubleTransform(icc, *src, 0.02);
    }

    // The exact road to every output it takes gives the words of Little
    // CMS's stage-by-stage transform (within one for rounding): 16-bit XYZ,
    // 16-bit and 8-bit RGB of a display, reversed with an extra channel as
    // in a QImage, and a chain of three profiles.
    void exactRoadOutputs_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("reversed");
        QTest::addColumn<int>("extra");
        QTest::newRow("XYZ 16") << "xyz" << 16 << false << 0;
        QTest::newRow("sRGB 16") << "srgb" << 16 << false << 0;
        QTest::newRow("sRGB 8, QImage layout") << "srgb" << 8 << true << 1;
        QTest::newRow("AdobeRGB 16") << "adobe" << 16 << false << 0;
    }
    void exactRoadOutputs()
    {
        QFETCH(QString, destination);
        QFETCH(int, bits);
        QFETCH(bool, reversed);
        QFETCH(int, extra);
        const QString icc = xyzTableProfile();
        QVERIFY(!icc.isEmpty());
        ProfilePtr camera(Kirr_profileFromFile(icc));
        QVERIFY(camera);
        const Kirr_ColorProfileIF *to = destination == QLatin1String("xyz") ? xyz.get()
            : destination == QLatin1String("srgb")                     ? srgb.get()
                                                                        : adobe.get();
        const quint32 space = destination == QLatin1String("xyz") ? Kirr_sig("XYZ ")
                                                                  : Kirr_sig("RGB ");
        const int w = 4096;
        ImagePtr src(Kirr_createColorImage(w, 2, Kirr_sig("RGB "), 16, 3, 0, false));
        std::vector<quint16> in(std::size_t(w) * 6);
        std::uint32_t state = 12345;
        for (int i = 0; i < 2 * w; ++i)
            for (int c = 0; c < 3; ++c) {
                state = state * 1664525u + 1013904223u;
                // Half the pixels in the darkest 1/256 of the range.
                const int v = (i & 1) ? int(state >> 16) : int(state >> 24);
                src->setSample(i % w, i / w, c, v);
                in[std::size_t(i) * 3 + std::size_t(c)] = quint16(v);
            }
        ImagePtr dst(Kirr_createColorImage(w, 2, space, bits, 3, extra, reversed));
        std::unique_ptr<Kirr_ColorWorldIF> world(Kirr_createColorWorld(camera.get(), to, 1));
        QVERIFY(world && world->transformImage(*src, *dst));

        const QByteArray cameraBytes = readFileBytes(icc);
        cmsHPROFILE hc =
            cmsOpenProfileFromMem(cameraBytes.constData(), cmsUInt32Number(cameraBytes.size()));
        const QByteArray toBytes = destination == QLatin1String("xyz") ? QByteArray()
            : readFileBytes(destination == QLatin1String("srgb") ? systemSRGBPath() : kAdobe);
        cmsHPROFILE ht = toBytes.isEmpty()
            ? cmsCreateXYZProfile()
            : cmsOpenProfileFromMem(toBytes.constData(), cmsUInt32Number(toBytes.size()));
        cmsHPROFILE chain[2] = {hc, ht};
        const cmsUInt32Number format = destination == QLatin1String("xyz") ? TYPE_XYZ_16
            : bits == 8                                                    ? TYPE_RGB_8
                                                                           : TYPE_RGB_16;
        cmsHTRANSFORM xf = static_cast<cmsHTRANSFORM>(platform::cms::make_lcms_transform(
            nullptr, chain, 2, TYPE_RGB_16, format, INTENT_RELATIVE_COLORIMETRIC));
        QVERIFY(xf);
        std::vector<quint16> out16(std::size_t(w) * 6);
        std::vector<quint8> out8(std::size_t(w) * 6);
        if (bits == 8)
            cmsDoTransform(xf, in.data(), out8.data(), cmsUInt32Number(2 * w));
        else
            cmsDoTransform(xf, in.data(), out16.data(), cmsUInt32Number(2 * w));
        int worst = 0;
        for (int i = 0; i < 2 * w; ++i)
            for (int c = 0; c < 3; ++c) {
                const std::size_t k = std::size_t(i) * 3 + std::size_t(c);
                const int want = bits == 8 ? int(out8[k]) : int(out16[k]);
                worst = std::max(worst, std::abs(dst->sample(i % w, i / w, c) - want));
            }
        cmsDeleteTransform(xf);
        cmsCloseProfile(hc);
        cmsCloseProfile(ht);
        QVERIFY2(worst <= 1, qPrintable(QStringLiteral("largest difference %1").arg(worst)));
    }

private:
    // A profile of the linear camera from the training half of its set: a
    // table (Lab or XYZ connection space) or a matrix; empty on failure.
    static QString linearCameraProfile(const QTemporaryDir &dir, bool matrixType, int pcsXyz)
    {
        if (!QFileInfo::exists(kLinearSet + QStringLiteral("/train.cie")))
            return QString();
        const QString icc = dir.path() + QStringLiteral("/linraw.icc");
        calculation_settings settings{};
        settings.calculation_mode = 1;
        expert_overrides matrix{};
        matrix.enable = 1;
        matrix.type = 1;
        matrix.iterate_on_gamma_basic = 1;
        matrix.iterate_on_gamma = 1;
        matrix.merge_transform_with_alt = 1;
        matrix.option_g = 1;
        const int status = create_profile_for_job(
            qPrintable(kLinearSet + QStringLiteral("/train.cie")),
            qPrintable(kLinearSet + QStringLiteral("/train.pix")), qPrintable(icc), 0, 0, 0, 0,
            uint8_t(pcsXyz), 0, 0, 2, "Test Camera", nullptr, matrixType ? &matrix : nullptr,
            nullptr, nullptr, nullptr, nullptr, &settings, qPrintable(dir.path()));
        return status == 0 ? icc : QString();
    }

    // The linear camera's table profile with an XYZ connection space, made
    // once for the tests that share it.
    QString xyzTableProfile()
    {
        if (m_xyzTable.isEmpty())
            m_xyzTable = linearCameraProfile(m_profileDir, false, 1);
        return m_xyzTable;
    }

    // The 16-bit image through the profile to 16-bit Lab agrees with Little
    // CMS's unoptimised double transform of the same values, held to the
    // range of 16-bit Lab, within the tolerance (delta E 2000, worst pixel).
    void checkAgainstDoubleTransform(const QString &icc, const Kirr_ColorImageIF &src,
                                     double tolerance)
    {
        const int w = src.width(), h = src.height();
        ProfilePtr camera(Kirr_profileFromFile(icc));
        QVERIFY(camera);
        ImagePtr dst(Kirr_createColorImage(w, h, Kirr_sig("Lab "), 16, 3, 0, false));
        std::unique_ptr<Kirr_ColorWorldIF> world(
            Kirr_createColorWorld(camera.get(), lab.get(), 1));
        QVERIFY(world && world->transformImage(src, *dst));

        const QByteArray bytes = readFileBytes(icc);
        cmsHPROFILE hc = cmsOpenProfileFromMem(bytes.constData(), cmsUInt32Number(bytes.size()));
        cmsHPROFILE hl = cmsCreateLab4Profile(nullptr);
        cmsHTRANSFORM xf = cmsCreateTransform(hc, TYPE_RGB_DBL, hl, TYPE_Lab_DBL,
                                              INTENT_RELATIVE_COLORIMETRIC,
                                              cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
        QVERIFY(xf);
        double worst = 0;
        int worstX = -1, worstY = -1;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const double rgb[3] = {src.sample(x, y, 0) / 65535.0, src.sample(x, y, 1) / 65535.0,
                                       src.sample(x, y, 2) / 65535.0};
                cmsCIELab want;
                cmsDoTransform(xf, rgb, &want, 1);
                double got[3];
                Kirr_decodeLab16(quint16(dst->sample(x, y, 0)), quint16(dst->sample(x, y, 1)),
                                 quint16(dst->sample(x, y, 2)), got);
                const double wl[3] = {std::clamp(want.L, 0.0, 100.0),
                                      std::clamp(want.a, -128.0, 127.0),
                                      std::clamp(want.b, -128.0, 127.0)};
                const double d = cm_delta_e2000(wl, got);
                if (d > worst) {
                    worst = d;
                    worstX = x;
                    worstY = y;
                }
            }
        cmsDeleteTransform(xf);
        cmsCloseProfile(hl);
        cmsCloseProfile(hc);
        QVERIFY2(worst < tolerance, qPrintable(QStringLiteral("pixel %1,%2: delta E 2000 %3")
                                                   .arg(worstX)
                                                   .arg(worstY)
                                                   .arg(worst)));
    }

    ProfilePtr srgb, lab, xyz, adobe;
    QTemporaryDir m_profileDir;
    QString m_xyzTable;
};

}  // namespace

VP_TEST_SUITE(MatchTest);

#include "match_test.moc"
