#include "cms_tests.h"
#include "SuiteRunner.h"

#include "colour/Kirr_ColorImageIF.h"
#include "colour/Kirr_ColorProfileIF.h"
#include "colour/Kirr_colorLibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTest>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

using ProfilePtr = std::unique_ptr<Kirr_ColorProfileIF>;

class LibraryTest : public QObject
{
    Q_OBJECT
private slots:
    void channelCount_data()
    {
        QTest::addColumn<QString>("sig");
        QTest::addColumn<int>("channels");
        QTest::addColumn<bool>("nChannel");
        QTest::addColumn<bool>("known");
        const struct {
            const char *sig;
            int channels;
            bool n, known;
        } rows[] = {
            {"GRAY", 1, false, true}, {"RGB ", 3, false, true}, {"Lab ", 3, false, true},
            {"XYZ ", 3, false, true}, {"CMY ", 3, false, true}, {"CMYK", 4, false, true},
            {"2CLR", 0, false, false}, {"3CLR", 0, false, true}, {"4CLR", 0, false, true},
            {"5CLR", 5, true, true}, {"9CLR", 9, true, true}, {"ACLR", 10, true, true},
            {"FCLR", 15, true, true}, {"GCLR", 0, false, false}, {"MCH4", 0, false, false},
            {"MCH5", 5, true, true}, {"MCH8", 8, true, true}, {"MCH9", 0, false, false},
            {"HSV ", 0, false, true}, {"YCbr", 0, false, true}, {"abcd", 0, false, false},
        };
        for (const auto &r : rows)
            QTest::addRow("%s", r.sig) << QString::fromLatin1(r.sig) << r.channels << r.n << r.known;
    }
    void channelCount()
    {
        QFETCH(QString, sig);
        QFETCH(int, channels);
        QFETCH(bool, nChannel);
        QFETCH(bool, known);
        const QByteArray b = sig.toLatin1();
        const quint32 s = (quint32(quint8(b[0])) << 24) | (quint32(quint8(b[1])) << 16)
            | (quint32(quint8(b[2])) << 8) | quint32(quint8(b[3]));
        QCOMPARE(Kirr_channelCount(s), channels);
        QCOMPARE(Kirr_isNChannelColorSpace(s), nChannel);
        QCOMPARE(Kirr_normalizeColorSpace(s), known ? s : Kirr_blankSignature);
    }

    void rounding_data()
    {
        QTest::addColumn<double>("in");
        QTest::addColumn<double>("out");
        QTest::newRow("2.5") << 2.5 << 3.0;
        QTest::newRow("-2.5") << -2.5 << -3.0;
        QTest::newRow("0") << 0.0 << 0.0;
        QTest::newRow("2.49") << 2.49 << 2.0;
    }
    void rounding()
    {
        QFETCH(double, in);
        QFETCH(double, out);
        QCOMPARE(Kirr_round(in), out);
    }

    void lab16_data()
    {
        QTest::addColumn<double>("L");
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");
        QTest::addColumn<int>("wL");
        QTest::addColumn<int>("wa");
        QTest::addColumn<int>("wb");
        QTest::newRow("white") << 100.0 << 0.0 << 0.0 << 65535 << 32768 << 32768;
        QTest::newRow("black") << 0.0 << -128.0 << 128.0 << 0 << 0 << 65535;
        QTest::newRow("clamped") << 120.0 << -200.0 << 300.0 << 65535 << 0 << 65535;
        QTest::newRow("mid") << 50.0 << 64.0 << -64.0 << 32768 << 49152 << 16384;
    }
    void lab16()
    {
        QFETCH(double, L);
        QFETCH(double, a);
        QFETCH(double, b);
        const double lab[3] = {L, a, b};
        quint16 w[3];
        Kirr_encodeLab16(lab, &w[0], &w[1], &w[2]);
        QTEST(int(w[0]), "wL");
        QTEST(int(w[1]), "wa");
        QTEST(int(w[2]), "wb");
        // Null outputs are skipped.
        quint16 only = 7;
        Kirr_encodeLab16(lab, nullptr, &only, nullptr);
        QCOMPARE(only, w[1]);
        // In range, decoding gives the value back within half a word.
        if (L <= 100 && a >= -128 && b <= 127.99) {
            double back[3];
            Kirr_decodeLab16(w[0], w[1], w[2], back);
            QVERIFY(qAbs(back[0] - L) < 0.001 && qAbs(back[1] - a) < 0.002
                    && qAbs(back[2] - b) < 0.002);
        }
    }

    void imageStrides()
    {
        std::unique_ptr<Kirr_ColorImageIF> im(
            Kirr_createColorImage(5, 2, Kirr_sig("RGB "), 12, 3, 1, true));
        QVERIFY(im);
        QCOMPARE(im->bytesPerChannel(), 2);
        QCOMPARE(im->channelStride(), qint64(-2));
        QCOMPARE(im->pixelStride(), qint64(8));
        QCOMPARE(im->rowStride(), qint64(40));
        // Channel 0 is the last in memory.
        im->setSample(0, 0, 0, 0x1234);
        QCOMPARE(im->sample(0, 0, 0), 0x1234);
        QVERIFY(!Kirr_createColorImage(0, 2, Kirr_sig("RGB "), 8, 3, 0, false));
        QVERIFY(!Kirr_createColorImageView(nullptr, 2, 2, Kirr_sig("RGB "), 8, 3, 0, false));
    }

    void qimageView()
    {
        QImage img(2, 1, QImage::Format_RGB32);
        img.setPixel(0, 0, qRgb(10, 20, 30));
        std::unique_ptr<Kirr_ColorImageIF> v(Kirr_createColorImageFromQImage(img, Kirr_sig("RGB ")));
        QVERIFY(v);
        QCOMPARE(v->sample(0, 0, 0), 10);
        QCOMPARE(v->sample(0, 0, 1), 20);
        QCOMPARE(v->sample(0, 0, 2), 30);
        v->setSample(1, 0, 0, 200);
        QCOMPARE(qRed(img.pixel(1, 0)), 200);
        QImage gray(2, 2, QImage::Format_Grayscale8);
        QVERIFY(!Kirr_createColorImageFromQImage(gray, Kirr_sig("RGB ")));
    }

    void applyCurves()
    {
        std::unique_ptr<Kirr_ColorImageIF> im(
            Kirr_createColorImage(1, 1, Kirr_sig("RGB "), 16, 3, 0, false));
        im->setSample(0, 0, 0, 40000);
        im->setSample(0, 0, 1, 65535);
        im->setSample(0, 0, 2, 16384);
        const double factors[3] = {2.0, 0.5, 1.0};
        QVERIFY(im->applyCurves(factors, nullptr, nullptr, 2.0, 1.0));
        QCOMPARE(im->sample(0, 0, 0), 65535);                                  // clamped at 1
        QCOMPARE(im->sample(0, 0, 1), int(std::floor(std::sqrt(0.5) * 65535 + 0.5)));
        QCOMPARE(im->sample(0, 0, 2), int(std::floor(std::sqrt(16384 / 65535.0) * 65535 + 0.5)));
        std::unique_ptr<Kirr_ColorImageIF> odd(
            Kirr_createColorImage(1, 1, Kirr_sig("RGB "), 12, 3, 0, false));
        QVERIFY(!odd->applyCurves(nullptr, nullptr, nullptr, 1.0, 1.0));
    }

    void copyImageDepths()
    {
        std::unique_ptr<Kirr_ColorImageIF> a(
            Kirr_createColorImage(2, 1, Kirr_sig("RGB "), 8, 3, 1, true));
        std::unique_ptr<Kirr_ColorImageIF> b(
            Kirr_createColorImage(2, 1, Kirr_sig("RGB "), 16, 3, 0, false));
        std::unique_ptr<Kirr_ColorImageIF> c(
            Kirr_createColorImage(2, 1, Kirr_sig("RGB "), 8, 3, 0, false));
        a->setSample(1, 0, 2, 255);
        a->setSample(1, 0, 0, 1);
        QVERIFY(b->copyImage(*a));
        QCOMPARE(b->sample(1, 0, 2), 65535);
        QCOMPARE(b->sample(1, 0, 0), 257);
        QVERIFY(c->copyImage(*b));
        QCOMPARE(c->sample(1, 0, 2), 255);
        QCOMPARE(c->sample(1, 0, 0), 1);
        std::unique_ptr<Kirr_ColorImageIF> small(
            Kirr_createColorImage(1, 1, Kirr_sig("RGB "), 8, 3, 0, false));
        QVERIFY(!small->copyImage(*a));
    }

    void factoryRouting()
    {
        // Exactly "IIRC" and a big-endian camera profile both go the ICC way.
        QVERIFY(!ProfilePtr(Kirr_profileFromData(QByteArray("IIRC"))));
        QByteArray mm("MMCR\0\0\0\x08\0\0", 10);
        QVERIFY(!ProfilePtr(Kirr_profileFromData(mm)));
        // An upper-case ".DCP" is opened as ICC, which the file is not.
        const QString dir = QDir::tempPath() + QStringLiteral("/cms-routing");
        QDir().mkpath(dir);
        const QString dcp = QStringLiteral("/usr/share/rawtherapee/dcpprofiles/Canon EOS 20D.dcp");
        const QString upper = dir + QStringLiteral("/camera.DCP");
        QFile::remove(upper);
        QVERIFY(QFile::copy(dcp, upper));
        QVERIFY(!ProfilePtr(Kirr_profileFromFile(upper)));
        ProfilePtr lower(Kirr_profileFromFile(dcp));
        QVERIFY(lower && lower->isDCP());
        ProfilePtr fromBytes(Kirr_profileFromData(readFileBytes(dcp)));
        QVERIFY(fromBytes && fromBytes->isDCP());
        ProfilePtr copy(Kirr_copyProfile(fromBytes.get()));
        QVERIFY(copy && copy->isDCP());
        QCOMPARE(copy->description(), fromBytes->description());
        QDir(dir).removeRecursively();
    }

    void folders()
    {
        const QString folder = Kirr_systemColorFolder();
        QCOMPARE(folder, QString::fromUtf8(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/icc/"));
        QCOMPARE(Kirr_sRGBProfilePath(), folder + QStringLiteral("sRGB Color Space Profile.icm"));
        for (int kind : {0, 2, 6})
            QCOMPARE(Kirr_makerProfileFolder(kind), folder);
        const QString camera = folder + QStringLiteral("Vandrelith Profiles/Camera Profiles/");
        QVERIFY(QDir().mkpath(camera));
        QCOMPARE(Kirr_makerProfileFolder(2), camera);
        QCOMPARE(Kirr_makerProfileFolder(3), folder);
        QDir(folder + QStringLiteral("Vandrelith Profiles")).removeRecursively();
    }

    void standardProfiles()
    {
        QVERIFY(Kirr_ensureStandardProfiles());
        const QString folder = Kirr_systemColorFolder();
        QVERIFY(QFileInfo::exists(Kirr_sRGBProfilePath()));
        ProfilePtr xyz(Kirr_genericXYZProfile());
        ProfilePtr lab(Kirr_genericLabProfile());
        QVERIFY(xyz && lab);
        QCOMPARE(xyz->colorSpace(), Kirr_sig("XYZ "));
        QCOMPARE(lab->colorSpace(), Kirr_sig("Lab "));
        QCOMPARE(lab->description(), QStringLiteral("Generic Lab Profile"));
        // A missing one is made again.
        QVERIFY(QFile::remove(folder + QStringLiteral("Generic XYZ Profile.icc")));
        QVERIFY(ProfilePtr(Kirr_genericXYZProfile()));
    }

    void scannerListing()
    {
        const QString folder = Kirr_systemColorFolder() + QStringLiteral("scanners/deeper/");
        QVERIFY(QDir().mkpath(folder));
        // Two scanner profiles with one description, and one display profile.
        QByteArray srgb = readFileBytes(systemSRGBPath());
        QVERIFY(!srgb.isEmpty());
        QByteArray scanner = srgb;
        std::memcpy(scanner.data() + 12, "scnr", 4);
        for (const char *name : {"b-first.icc", "a-second.icm"}) {
            QFile f(folder + QString::fromLatin1(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(scanner);
        }
        QFile other(folder + QStringLiteral("display.icc"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write(srgb);
        other.close();
        const auto mine = [&](const QSet<quint32> &spaces) {
            QStringList paths;
            for (const auto &entry : Kirr_listScannerProfiles(spaces))
                if (entry.second.startsWith(folder))
                    paths << QFileInfo(entry.second).fileName();
            return paths;
        };
        // Same names: the one found later comes first.
        QCOMPARE(mine({}), (QStringList{"b-first.icc", "a-second.icm"}));
        QCOMPARE(mine({Kirr_sig("RGB ")}), (QStringList{"b-first.icc", "a-second.icm"}));
        QCOMPARE(mine({Kirr_sig("CMYK")}), QStringList());
        QDir(Kirr_systemColorFolder() + QStringLiteral("scanners")).removeRecursively();
    }

    void cameraListing()
    {
        const QString folder = Kirr_cameraProfileFolder();
        QVERIFY(folder.endsWith(QLatin1String("/Adobe/CameraRaw/CameraProfiles/")));
        QVERIFY(Kirr_listCameraProfiles().isEmpty());
        QVERIFY(QDir().mkpath(folder));
        const QString src = QStringLiteral("/usr/share/rawtherapee/dcpprofiles/Canon EOS 20D.dcp");
        QVERIFY(QFile::copy(src, folder + QStringLiteral("Canon EOS 20D.dcp")));
        QFile(folder + QStringLiteral("notes.txt")).open(QIODevice::WriteOnly);
        const QMap<QString, QString> list = Kirr_listCameraProfiles();
        QCOMPARE(list.keys(), QStringList{QStringLiteral("Canon EOS 20D")});
        QCOMPARE(list.first(), folder + QStringLiteral("Canon EOS 20D.dcp"));
        QDir(folder).removeRecursively();
    }

    void displayProfileSource()
    {
        Kirr_setDisplayProfileSource([] { return Kirr_DisplayProfileSource(); });
        QVERIFY(!ProfilePtr(Kirr_displayProfile()));
        Kirr_setDisplayProfileSource(
            [] { return Kirr_DisplayProfileSource{QString(), readFileBytes(systemSRGBPath())}; });
        ProfilePtr fromBytes(Kirr_displayProfile());
        QVERIFY(fromBytes && fromBytes->path().isEmpty());
        Kirr_setDisplayProfileSource(
            [] { return Kirr_DisplayProfileSource{QStringLiteral("/nonexistent.icc"), {}}; });
        QVERIFY(!ProfilePtr(Kirr_displayProfile()));
        Kirr_setDisplayProfileSource(
            [] { return Kirr_DisplayProfileSource{systemSRGBPath(), {}}; });
        ProfilePtr fromFile(Kirr_displayProfile());
        QVERIFY(fromFile);
        QCOMPARE(fromFile->path(), systemSRGBPath());
        Kirr_setDisplayProfileSource({});
    }
};

}  // namespace

VP_TEST_SUITE(LibraryTest);

#include "library_test.moc"
