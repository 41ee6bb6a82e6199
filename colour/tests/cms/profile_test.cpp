#include "cms_tests.h"
#include "SuiteRunner.h"
#include "file_size_limit.h"

#include "colour/Kirr_ColorProfileDCP.h"
#include "colour/Kirr_ColorProfile_Win.h"
#include "colour/Kirr_colorLibrary.h"
#include "engine/colour_maths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <lcms2.h>
#include <memory>

namespace {

using ProfilePtr = std::unique_ptr<Kirr_ColorProfileIF>;

void put32(QByteArray &b, int at, quint32 v)
{
    b[at] = char(v >> 24);
    b[at + 1] = char(v >> 16);
    b[at + 2] = char(v >> 8);
    b[at + 3] = char(v);
}

QByteArray be16Text(const QString &s)
{
    QByteArray out;
    for (QChar c : s) {
        out.append(char(c.unicode() >> 8));
        out.append(char(c.unicode() & 0xff));
    }
    return out;
}

// An 'mluc' element with the given records (language codes are arbitrary).
QByteArray mluc(const QStringList &texts)
{
    QByteArray e("mluc\0\0\0\0", 8);
    e.append(QByteArray(8, '\0'));
    put32(e, 8, quint32(texts.size()));
    put32(e, 12, 12);
    QByteArray strings;
    const int base = 16 + 12 * texts.size();
    for (const QString &t : texts) {
        QByteArray rec("enUS", 4);
        rec.append(QByteArray(8, '\0'));
        const QByteArray s = be16Text(t);
        put32(rec, 4, quint32(s.size()));
        put32(rec, 8, quint32(base + strings.size()));
        e.append(rec);
        strings.append(s);
    }
    e.append(strings);
    return e;
}

// A little-endian DNG camera profile of the given directory entries, their
// values out of line in entry order (or in the entry when 4 bytes or fewer).
struct DcpEntry {
    quint16 tag, type;
    quint32 count;
    QByteArray value;
};

QByteArray le(quint32 v, int bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out.append(char(v >> (8 * i)));
    return out;
}

QByteArray dcpFile(const QVector<DcpEntry> &entries)
{
    QByteArray head("IIRC", 4);
    head += le(8, 4) + le(quint32(entries.size()), 2);
    QByteArray data;
    const int dataAt = 10 + 12 * entries.size() + 4;
    for (const DcpEntry &e : entries) {
        head += le(e.tag, 2) + le(e.type, 2) + le(e.count, 4);
        if (e.value.size() <= 4) {
            head += e.value + QByteArray(4 - e.value.size(), '\0');
        } else {
            head += le(quint32(dataAt + data.size()), 4);
            data += e.value;
        }
    }
    return head + le(0, 4) + data;
}

// ColorMatrix1 of a plausible camera, SRATIONAL over 10000.
DcpEntry colorMatrix1()
{
    const int m[9] = {6000, -1000, -500, -4000, 13000, 1000, -500, 2000, 6000};
    QByteArray v;
    for (int x : m)
        v += le(quint32(x), 4) + le(10000, 4);
    return {50721, 10, 9, v};
}

QString lcmsDescription(const QByteArray &bytes)
{
    cmsContext ctx = cmsCreateContext(nullptr, nullptr);
    cmsHPROFILE h = cmsOpenProfileFromMemTHR(ctx, bytes.constData(), cmsUInt32Number(bytes.size()));
    QString out;
    if (h) {
        wchar_t buf[512] = {};
        cmsGetProfileInfo(h, cmsInfoDescription, "en", "US", buf, 511);
        out = QString::fromWCharArray(buf);
        cmsCloseProfile(h);
    }
    cmsDeleteContext(ctx);
    return out;
}

QStringList realProfiles()
{
    QStringList out;
    for (const char *dir : {"/usr/share/color/icc", "/usr/share/color/icc/colord",
                            "/usr/share/color/argyll/ref", "/usr/share/rawtherapee/iccprofiles/input",
                            "/usr/share/rawtherapee/iccprofiles/output"}) {
        QDir d(QString::fromLatin1(dir));
        for (const QFileInfo &f : d.entryInfoList(
                 {QStringLiteral("*.icc"), QStringLiteral("*.icm"), QStringLiteral("*.ICM")},
                 QDir::Files))
            out << f.absoluteFilePath();
    }
    return out;
}

class ProfileTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { Kirr_setProfilesReadOnly(0); }

    // Every real profile opens; its header and description agree with
    // Little CMS.
    void realIccProfiles()
    {
        const QStringList paths = realProfiles();
        QVERIFY(paths.size() > 30);
        for (const QString &path : paths) {
            const QByteArray bytes = readFileBytes(path);
            ProfilePtr p(Kirr_profileFromFile(path));
            QVERIFY2(p, qPrintable(path));
            cmsHPROFILE h = cmsOpenProfileFromMem(bytes.constData(), cmsUInt32Number(bytes.size()));
            QVERIFY2(h, qPrintable(path));
            QCOMPARE(p->colorSpace(), Kirr_normalizeColorSpace(quint32(cmsGetColorSpace(h))));
            QCOMPARE(p->connectionSpace(), Kirr_normalizeColorSpace(quint32(cmsGetPCS(h))));
            QCOMPARE(p->deviceClass(), Kirr_normalizeProfileClass(quint32(cmsGetDeviceClass(h))));
            cmsCloseProfile(h);
            QCOMPARE(p->description(), lcmsDescription(bytes));
            QCOMPARE(p->data(), bytes);
            QCOMPARE(p->path(), path);
        }
    }

    void realCameraProfiles()
    {
        QDir d(QStringLiteral("/usr/share/rawtherapee/dcpprofiles"));
        const QFileInfoList files = d.entryInfoList({QStringLiteral("*.dcp")}, QDir::Files);
        QVERIFY(files.size() > 100);
        for (const QFileInfo &f : files) {
            ProfilePtr p(Kirr_profileFromFile(f.absoluteFilePath()));
            QVERIFY2(p, qPrintable(f.fileName()));
            QVERIFY(p->isDCP());
            QVERIFY(!p->description().isEmpty());
            auto *dcp = static_cast<Kirr_ColorProfileDCP *>(p.get());
            QVERIFY(dcp->temperature() > 0);
            // The neutral at full scale is the D50 white.
            const Kirr_ColorProfileDCP::Matrix cm = dcp->blendedColorMatrix();
            Q_UNUSED(cm);
            dcp->setApplyHueSatMap(false);
            double xyz[3];
            const double ones[3] = {1, 1, 1};
            QVERIFY(dcp->cameraToXYZ(ones, ones, xyz));
            if (dcp->hasForwardMatrix()) {
                QVERIFY2(qAbs(xyz[0] - 0.9642) < 0.002 && qAbs(xyz[1] - 1.0) < 0.002
                             && qAbs(xyz[2] - 0.8249) < 0.002,
                         qPrintable(f.fileName()));
            } else {
                // Adapted from the calibration white to the ICC white, the
                // white of the PCS these values go to, to the last digit.
                for (int k = 0; k < 3; ++k)
                    QVERIFY2(qAbs(xyz[k] - cm_icc_d50_white[k]) < 1e-9, qPrintable(f.fileName()));
            }
            // The shot's exposure scales the XYZ by its power of two.
            double brighter[3];
            dcp->setExposure(1.0);
            QVERIFY(dcp->cameraToXYZ(ones, ones, brighter));
            for (int k = 0; k < 3; ++k)
                QVERIFY2(qAbs(brighter[k] - 2 * xyz[k]) < 1e-9, qPrintable(f.fileName()));
        }
    }

    void memoryProfile()
    {
        const QByteArray bytes = readFileBytes(systemSRGBPath());
        ProfilePtr p(Kirr_profileFromData(bytes));
        QVERIFY(p);
        QVERIFY(p->path().isEmpty());
        QCOMPARE(p->data(), bytes);
        QCOMPARE(p->colorSpace(), Kirr_sig("RGB "));
        ProfilePtr copy(Kirr_copyProfile(p.get()));
        QVERIFY(copy);
        QCOMPARE(copy->data(), bytes);
    }

    // Damaged profiles are refused, never read out of range.
    void hostile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = readFileBytes(systemSRGBPath());
        QVERIFY(good.size() > 200);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("truncated header") << good.left(100);
        QTest::newRow("truncated tags") << good.left(good.size() / 2);
        QByteArray sig = good;
        sig[36] = 'x';
        QTest::newRow("no acsp") << sig;
        QByteArray count = good;
        put32(count, 128, 0xffffffffu);
        QTest::newRow("tag count overflow") << count;
        QByteArray offset = good;
        put32(offset, 132 + 4, 0xfffffff0u);
        QTest::newRow("tag offset past end") << offset;
        QByteArray length = good;
        put32(length, 132 + 8, 0x7fffffffu);
        QTest::newRow("tag length past end") << length;
        QByteArray size = good;
        put32(size, 0, quint32(good.size() + 1000));
        QTest::newRow("size beyond data") << size;
    }
    void hostile()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(!ProfilePtr(Kirr_profileFromData(bytes)));
        Kirr_ColorProfile_Win raw(bytes);
        QVERIFY(!raw.isValid());
        QVERIFY(!raw.openError().isEmpty());
        QCOMPARE(raw.colorSpace(), Kirr_blankSignature);
        QVERIFY(raw.description().isEmpty());
        quint32 n = 5;
        QVERIFY(!raw.readTag(Kirr_sig("desc"), n, nullptr));
        QCOMPARE(n, 5u);
    }

    // Every value of a camera profile is checked before it is converted: a
    // light source or an encoding out of its type's range stays unknown,
    // never wraps (a fuzzed file once held a LONG light source of
    // 0x80000017). Texts are read with and without a counted NUL.
    void cameraProfileValues_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("illuminant1");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("camera");
        QTest::newRow("fuzzed: LONG light source 0x80000017, bad table dimensions")
            << QByteArray::fromBase64(
                   "SUlSQwgAAAAHABTGAgAKAAAAYgAAACHGCgAJAAAAbAAAAFrGBAABAAAAFwAAgPjGAgAKAAAA"
                   "tAAAAPnGBAAHAAAAvgAAAPrG5gAAAAAAygAAAP3GBAABAAAAAAAAAAAAAABOaWtvbiBEMVMA"
                   "WCIAABAnAACZ9f//ECcAAKj+//8QJwAAm+v//xAnEgDcMQAAECcAAMAKAAAQJwAALfr//xAn"
                   "AAB1CAAAECcAALkfAAAQJwAATmlrb24gM0RTAAYAAAAGAAAAA/2CKAD/AAAE0AAAAIA/AAAt"
                   "+v//ECcAAHUIAEaAAAI/BVBewOcACgAAAA==")
            << false << 0 << 0 << QString();
        const DcpEntry model{50708, 2, 13, QByteArray("Bench Camera", 13)};
        QTest::newRow("LONG light source 0x80000017")
            << dcpFile({model, colorMatrix1(), {50778, 4, 1, le(0x80000017u, 4)}}) << true << 0
            << 0 << QStringLiteral("Bench Camera");
        QTest::newRow("LONG light source 23")
            << dcpFile({model, colorMatrix1(), {50778, 4, 1, le(23, 4)}}) << true << 23 << 0
            << QStringLiteral("Bench Camera");
        QTest::newRow("SHORT light source 17")
            << dcpFile({model, colorMatrix1(), {50778, 3, 1, le(17, 2)}}) << true << 17 << 0
            << QStringLiteral("Bench Camera");
        QTest::newRow("light source 23/2")
            << dcpFile({model, colorMatrix1(), {50778, 5, 1, le(23, 4) + le(2, 4)}}) << true
            << 0 << 0 << QStringLiteral("Bench Camera");
        QTest::newRow("SSHORT light source -1")
            << dcpFile({model, colorMatrix1(), {50778, 8, 1, le(0xffff, 2)}}) << true << 0 << 0
            << QStringLiteral("Bench Camera");
        QTest::newRow("encoding 0xffffffff")
            << dcpFile({model, colorMatrix1(), {51107, 4, 1, le(0xffffffffu, 4)}}) << true << 0
            << 0 << QStringLiteral("Bench Camera");
        QTest::newRow("encoding 1")
            << dcpFile({model, colorMatrix1(), {51107, 4, 1, le(1, 4)}}) << true << 0 << 1
            << QStringLiteral("Bench Camera");
        // A writer that counts no NUL: the text runs straight into the
        // matrix data, and only its count ends it.
        QTest::newRow("text without NUL")
            << dcpFile({{50708, 2, 12, QByteArray("Bench Camera")}, colorMatrix1()}) << true << 0
            << 0 << QStringLiteral("Bench Camera");
    }
    void cameraProfileValues()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, valid);
        QFETCH(int, illuminant1);
        QFETCH(int, encoding);
        QFETCH(QString, camera);
        Kirr_ColorProfileDCP p(bytes);
        QCOMPARE(p.isValid(), valid);
        QCOMPARE(p.openError().isEmpty(), valid);
        if (!valid)
            return;
        QCOMPARE(p.calibrationIlluminant1(), illuminant1);
        QCOMPARE(p.hueSatMapEncoding(), encoding);
        QCOMPARE(p.uniqueCameraModel(), camera);
    }

    void descriptions_data()
    {
        QTest::addColumn<QByteArray>("element");
        QTest::addColumn<QString>("text");
        QTest::newRow("mluc three records")
            << mluc({QStringLiteral("First"), QStringLiteral("Zweite"), QStringLiteral("Tres")})
            << QStringLiteral("First");
        QByteArray shortMluc = mluc({QStringLiteral("Text")}).left(20);
        QTest::newRow("mluc cut in the record") << shortMluc << QString();
        QByteArray lying = mluc({QStringLiteral("Text")});
        put32(lying, 16 + 8, 0x7ffffff0u);
        QTest::newRow("mluc offset past end") << lying << QString();
        QByteArray zero("desc\0\0\0\0\0\0\0\0abc", 15);
        QTest::newRow("desc count 0") << zero << QString();
        QByteArray desc("desc\0\0\0\0\0\0\0\x04" "abc\0", 16);
        QTest::newRow("desc") << desc << QStringLiteral("abc");
        QByteArray over("desc\0\0\0\0\0\0\0\x40" "abc\0", 16);
        QTest::newRow("desc count past end") << over << QString();
        QTest::newRow("other type") << QByteArray("text\0\0\0\0abc", 11) << QString();
    }
    void descriptions()
    {
        QFETCH(QByteArray, element);
        QTEST(Kirr_descriptionFromElement(element), "text");
    }

    void readTagSizes()
    {
        ProfilePtr p(Kirr_profileFromFile(systemSRGBPath()));
        QVERIFY(p);
        quint32 size = 77;
        QVERIFY(!p->readTag(Kirr_sig("zzzz"), size, nullptr));
        QCOMPARE(size, 77u);
        size = 0;
        QVERIFY(p->readTag(Kirr_sig("wtpt"), size, nullptr));
        QCOMPARE(size, 20u);
        char small[8];
        quint32 capacity = sizeof small;
        QVERIFY(!p->readTag(Kirr_sig("wtpt"), capacity, small));  // too small: a failure
        char buf[64];
        capacity = sizeof buf;
        QVERIFY(p->readTag(Kirr_sig("wtpt"), capacity, buf));
        QCOMPARE(capacity, 20u);
        QCOMPARE(QByteArray(buf, 4), QByteArray("XYZ "));
        double X, Y, Z;
        QVERIFY(p->readXYZTag(Kirr_sig("wtpt"), X, Y, Z));
        const QByteArray bytes = readFileBytes(systemSRGBPath());
        cmsHPROFILE h = cmsOpenProfileFromMem(bytes.constData(), cmsUInt32Number(bytes.size()));
        const auto *w = static_cast<const cmsCIEXYZ *>(cmsReadTag(h, cmsSigMediaWhitePointTag));
        QVERIFY(w);
        QVERIFY(qAbs(X - w->X) < 1e-4 && qAbs(Y - w->Y) < 1e-4 && qAbs(Z - w->Z) < 1e-4);
        cmsCloseProfile(h);
    }

    void xyzTagOfTwoTriples()
    {
        ProfilePtr p(Kirr_profileFromFile(systemSRGBPath()));
        QByteArray two("XYZ \0\0\0\0", 8);
        two.append(QByteArray(24, '\x01'));
        QVERIFY(p->writeTag(Kirr_sig("lumi"), quint32(two.size()), two.constData()));
        double X, Y, Z;
        QVERIFY(!p->readXYZTag(Kirr_sig("lumi"), X, Y, Z));
    }

    void writeAndReadOnly()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + QStringLiteral("/p.icc");
        QVERIFY(QFile::copy(systemSRGBPath(), path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        {
            ProfilePtr p(Kirr_profileFromFile(path));
            QVERIFY(p->writeXYZTag(Kirr_sig("wtpt"), 0.5, 0.25, -0.125));
        }
        {
            ProfilePtr p(Kirr_profileFromFile(path));
            double X, Y, Z;
            QVERIFY(p->readXYZTag(Kirr_sig("wtpt"), X, Y, Z));
            QCOMPARE(X, 0.5);
            QCOMPARE(Y, 0.25);
            QCOMPARE(Z, -0.125);
            // The file is still a profile that Little CMS reads.
            const QByteArray bytes = p->data();
            cmsHPROFILE h = cmsOpenProfileFromMem(bytes.constData(), cmsUInt32Number(bytes.size()));
            QVERIFY(h);
            cmsCloseProfile(h);
            QVERIFY(!p->writeXYZTag(Kirr_sig("none"), 1, 1, 1));  // the tag must exist
        }
        Kirr_setProfilesReadOnly(1);
        const QByteArray before = readFileBytes(path);
        ProfilePtr ro(Kirr_profileFromFile(path));
        QVERIFY(ro);
        QVERIFY(!ro->writeXYZTag(Kirr_sig("wtpt"), 1, 1, 1));
        QVERIFY(!ro->writeTag(Kirr_sig("test"), 4, "abcd"));
        QCOMPARE(readFileBytes(path), before);
        Kirr_setProfilesReadOnly(0);
    }

    void saveAs()
    {
        QTemporaryDir dir;
        const QString target = dir.path() + QStringLiteral("/out.icc");
        ProfilePtr p(Kirr_profileFromData(readFileBytes(systemSRGBPath())));
        QVERIFY(p->saveAs(target));
        QCOMPARE(readFileBytes(target), p->data());
        // A file profile saved onto its own path keeps its file.
        ProfilePtr file(Kirr_profileFromFile(systemSRGBPath()));
        const QString own = dir.path() + QStringLiteral("/own.icc");
        QVERIFY(file->saveAs(own));
        ProfilePtr reopened(Kirr_profileFromFile(own));
        QVERIFY(reopened->saveAs(own));
        QCOMPARE(readFileBytes(own), readFileBytes(systemSRGBPath()));
        // A save that cannot be renamed into place loses nothing and leaves
        // no temporary file.
        const QString busy = dir.path() + QStringLiteral("/busy.icc");
        QVERIFY(QDir().mkpath(busy));
        QFile keep(busy + QStringLiteral("/keep"));
        QVERIFY(keep.open(QIODevice::WriteOnly));
        keep.close();
        QVERIFY(!p->saveAs(busy));
        QVERIFY(QFileInfo::exists(busy + QStringLiteral("/keep")));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);  // out.icc, own.icc
        // A target whose folder is a file cannot be written, whatever the
        // privileges.
        QVERIFY(!p->saveAs(target + QStringLiteral("/inner.icc")));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
        // A failed write leaves the existing target as it was: the disk is
        // full after a few bytes, for every user.
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("precious");
        f.close();
        bool saved = true;
        {
            const test_support::file_size_limit limit(64);
            QVERIFY(limit.active());
            saved = p->saveAs(target);
        }
        QVERIFY(!saved);
        QCOMPARE(readFileBytes(target), QByteArray("precious"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    }
};

}  // namespace

VP_TEST_SUITE(ProfileTest);

#include "profile_test.moc"
