#include "TestSuites.h"

#include <chart/CIEColor.h>
#include <chart/Patch.h>
#include <chart/Target.h>

#include "target/TargetSaveStages.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

// A definition of count patches with the given control codes (cycled); an
// empty code list writes no CONTROL column.
QString definition(int count, const QStringList& codes, bool rgb = true)
{
    QString text = "IS12642\nNUMBER_OF_FIELDS ";
    QString format = "SAMPLE_ID";
    int fields = 1;
    if (!codes.isEmpty()) {
        format += " CONTROL";
        ++fields;
    }
    if (rgb) {
        format += " RGB_R RGB_G RGB_B";
        fields += 3;
    }
    text += QString::number(fields) + "\nBEGIN_DATA_FORMAT\n" + format
            + "\nEND_DATA_FORMAT\nNUMBER_OF_SETS " + QString::number(count) + "\nBEGIN_DATA\n";
    for (int i = 0; i < count; ++i) {
        text += QString("P%1").arg(i + 1);
        if (!codes.isEmpty())
            text += " " + codes.at(i % codes.size());
        if (rgb)
            text += QString(" %1 %2 %3").arg(i * 10.4).arg(300).arg(-4);
        text += "\n";
    }
    return text + "END_DATA\n";
}

// A Lab reference of count sets; set i has L = 10 + i, a = i, b = -i.
QString labReference(int count)
{
    QString text = "IS12642\nDESCRIPTOR \"test chart\"\nNUMBER_OF_FIELDS 4\nBEGIN_DATA_FORMAT\n"
                   "SAMPLE_ID LAB_L LAB_A LAB_B\nEND_DATA_FORMAT\nNUMBER_OF_SETS "
                   + QString::number(count) + "\nBEGIN_DATA\n";
    for (int i = 0; i < count; ++i)
        text += QString("S%1 %2 %3 %4\n").arg(i + 1).arg(10 + i).arg(i).arg(-i);
    return text + "END_DATA\n";
}

// A spectral reference, columns prefix + nm from 380 to 730 in 10 nm steps;
// set i is flat at value(i).
QString spectralReference(int count, const QString& prefix, double scale)
{
    QString names;
    int fields = 1;
    for (int nm = 380; nm <= 730; nm += 10, ++fields)
        names += " " + prefix + QString::number(nm);
    QString text = "IS12642\nNUMBER_OF_FIELDS " + QString::number(fields)
                   + "\nBEGIN_DATA_FORMAT\nSAMPLE_ID" + names + "\nEND_DATA_FORMAT\n"
                   + "NUMBER_OF_SETS " + QString::number(count) + "\nBEGIN_DATA\n";
    for (int i = 0; i < count; ++i) {
        text += QString("S%1").arg(i + 1);
        for (int nm = 380; nm <= 730; nm += 10)
            text += " " + QString::number(scale * (0.2 + 0.1 * i));
        text += "\n";
    }
    return text + "END_DATA\n";
}

// The job's order of reading a target.
TargetIF::statusE readTarget(Target& target, const QString& def, const QString& ref,
                             unsigned columns, unsigned rows)
{
    target.setRows(rows);
    target.setColumns(columns);
    TargetIF::statusE s = target.loadReferenceFromISO12642(ref, TargetIF::ReadCounting);
    if (s != TargetIF::StatusOk)
        return s;
    s = target.loadDefFromISO12642(def);
    if (s != TargetIF::StatusOk)
        return s;
    return target.loadReferenceFromISO12642(ref, TargetIF::ReadValues);
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Measured values for every patch: channel c of patch i = (i + 1) * 257 * (c + 1).
void fillValues(Target& target, unsigned channels = 3)
{
    for (unsigned i = 0; i < target.patchCount(); ++i) {
        PatchIF* p = target.patchAt(i);
        p->setValueCount(channels);
        for (unsigned c = 0; c < channels; ++c)
            p->setValue1(int(c), (i + 1) * 257.0 * (c + 1));
    }
}

struct SaveRun {
    unsigned long counter = 0;
    unsigned long refPos = 0;
    unsigned long measPos = 0;
    bool badData = false;

    bool save(Target& t, const QString& ref, const QString& meas, bool first, bool last,
              bool factors = false, double gamma = 0.0, double white = 0.0)
    {
        return t.saveForProfile(ref, meas, first, last, counter, refPos, measPos,
                                csContext::CIE1931_2, csContext::D50, QString(), badData, factors,
                                nullptr, nullptr, gamma, white, false);
    }
};

QList<QByteArray> dataLines(const QByteArray& file)
{
    const int begin = file.indexOf("BEGIN_DATA\n");
    const int end = file.indexOf("END_DATA\n", begin);
    QList<QByteArray> lines = file.mid(begin + 11, end - begin - 11).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

class TargetTest : public QObject {
    Q_OBJECT
private slots:
    void readStatus_data();
    void readStatus();
    void definitionPatches();
    void labAndXyzReferences();
    void spectralReferences_data();
    void spectralReferences();
    void valuesReadOfOtherChartRefused();
    void channelFactors();
    void copiesSharePatches();
    void lightnessCurve();
    void patchValueArrays();
    void saveThreeTargets();
    void saveIgnoredAndSpectral();
    void saveBadData_data();
    void saveBadData();
    void saveScaling();
    void saveFailures();
    void joinRun_data();
    void joinRun();
};

void TargetTest::readStatus_data()
{
    QTest::addColumn<QString>("def");
    QTest::addColumn<QString>("ref");
    QTest::addColumn<int>("status");
    QTest::addColumn<unsigned>("counted");

    const QStringList withIgnored = {"N", "N", "N", "I", "N", "N"};  // 5 of 6 counted
    QTest::addRow("24 counted plus ignored") << definition(30, withIgnored) << labReference(25)
                                             << 0 << 25u;
    QTest::addRow("one counted patch more") << definition(30, withIgnored) << labReference(24)
                                            << 9 << 0u;
    QTest::addRow("no CONTROL column counts every patch") << definition(24, {}) << labReference(24)
                                                          << 0 << 24u;
    QTest::addRow("all codes") << definition(13, {"N", "LC", "BK", "GB", "GBW", "PC", "PM", "PY",
                                                  "PK", "PR", "PG", "PB", "I"})
                               << labReference(12) << 0 << 12u;
    QTest::addRow("empty definition") << QString() << labReference(3) << 7 << 0u;
    QTest::addRow("empty reference") << definition(3, {"N"}) << QString() << 6 << 0u;
    QTest::addRow("reference does not parse")
        << definition(3, {"N"}) << "IS12642\nNUMBER_OF_FIELDS 2\nBEGIN_DATA_FORMAT\nSAMPLE_ID "
                                   "LAB_L\nEND_DATA_FORMAT\nNUMBER_OF_SETS 1\nBEGIN_DATA\nA 1 2 3\nEND_DATA\n"
        << 5 << 0u;
    QTest::addRow("reference without colour columns")
        << definition(2, {"N"}) << "IS12642\nNUMBER_OF_FIELDS 2\nBEGIN_DATA_FORMAT\nSAMPLE_ID "
                                   "RGB_R\nEND_DATA_FORMAT\nNUMBER_OF_SETS 2\nBEGIN_DATA\nA 1\nB 2\nEND_DATA\n"
        << 10 << 2u;
    QTest::addRow("single spectral column")
        << definition(1, {"N"}) << "IS12642\nNUMBER_OF_FIELDS 2\nBEGIN_DATA_FORMAT\nSAMPLE_ID "
                                   "SPECTRAL_500\nEND_DATA_FORMAT\nNUMBER_OF_SETS 1\nBEGIN_DATA\nA 0.5\nEND_DATA\n"
        << 10 << 1u;
    QTest::addRow("word for a Lab value")
        << definition(2, {"N"}) << "IS12642\nNUMBER_OF_FIELDS 4\nBEGIN_DATA_FORMAT\nSAMPLE_ID "
                                   "LAB_L LAB_A LAB_B\nEND_DATA_FORMAT\nNUMBER_OF_SETS 2\nBEGIN_DATA\n"
                                   "A 1 2 3\nB 1 two 3\nEND_DATA\n"
        << 5 << 2u;
}

void TargetTest::readStatus()
{
    QFETCH(QString, def);
    QFETCH(QString, ref);
    QFETCH(int, status);
    QFETCH(unsigned, counted);
    Target target;
    const TargetIF::statusE s = readTarget(target, def, ref, 6, 5);
    QCOMPARE(int(s), status);
    QCOMPARE(target.controlPatchCount(), counted);
    if (s == TargetIF::StatusParseError)
        QVERIFY(!target.lastError().isEmpty());
    if (status == 7 || status == 9) {
        // A refused definition leaves no partial target.
        QCOMPARE(target.rows(), 0u);
        QCOMPARE(target.columns(), 0u);
        QCOMPARE(target.patch(0, 0), nullptr);
    }
    if (s == TargetIF::StatusOk) {
        for (unsigned i = 0; i < target.patchCount(); ++i)
            QVERIFY(target.patchAt(i)->type() == PatchIF::TypeIgnored
                    || target.patchAt(i)->referenceLab(0) >= 10.0);
    }
}

void TargetTest::definitionPatches()
{
    Target target;
    target.setColumns(4);
    target.setRows(4);
    QCOMPARE(int(target.loadReferenceFromISO12642(labReference(12), 1)), 0);
    QCOMPARE(target.referenceDescription(), QString("test chart"));
    QCOMPARE(target.referenceSetCount(), 12u);
    QCOMPARE(int(target.loadDefFromISO12642(definition(13, {"N", "LC", "BK", "GB", "GBW", "PC",
                                                            "PM", "PY", "PK", "PR", "PG", "PB",
                                                            "I"}))),
             0);
    QVERIFY(!target.noRgb());
    struct Expect { int type; int primary; };
    const Expect expect[13] = {{0, 0}, {3, 0}, {4, 0}, {2, 0}, {2, 8}, {0, 1}, {0, 2},
                               {0, 3}, {0, 4}, {0, 5}, {0, 6}, {0, 7}, {1, 0}};
    for (unsigned i = 0; i < 13; ++i) {
        const PatchIF* p = target.patchAt(i);
        QCOMPARE(p->type(), expect[i].type);
        QCOMPARE(p->primary(), expect[i].primary);
        QCOMPARE(p->name(), QString("P%1").arg(i + 1));
        // RGB rounded half up and clamped to 0..255.
        QCOMPARE(p->rgb(0), std::min(255, int(std::trunc(i * 10.4 + 0.5))));
        QCOMPARE(p->rgb(1), 255);
        QCOMPARE(p->rgb(2), 0);
    }
    QCOMPARE(target.patch(1, 3), nullptr);  // past the end of the list
    QCOMPARE(target.patch(0, 3), target.patchAt(12));
    QCOMPARE(target.patch(0, 4), nullptr);

    Target plain;
    plain.setColumns(2);
    QCOMPARE(int(plain.loadReferenceFromISO12642(labReference(2), 1)), 0);
    QCOMPARE(int(plain.loadDefFromISO12642(definition(2, {"N"}, false))), 0);
    QVERIFY(plain.noRgb());
    QCOMPARE(plain.patchAt(0)->rgb(0), 0);
}

void TargetTest::labAndXyzReferences()
{
    Target target;
    QCOMPARE(int(readTarget(target, definition(4, {"N", "I"}), labReference(2), 2, 2)), 0);
    // The ignored patch takes no set: patches 0 and 2 get sets 0 and 1.
    QCOMPARE(target.patchAt(0)->referenceLab(0), 10.0);
    QCOMPARE(target.patchAt(2)->referenceLab(0), 11.0);
    QCOMPARE(target.patchAt(2)->referenceLab(1), 1.0);
    QCOMPARE(target.patchAt(2)->referenceLab(2), -1.0);
    QCOMPARE(target.patchAt(1)->referenceLab(0), 0.0);
    QCOMPARE(target.patchAt(0)->spectrumEnd(), -1);
    QCOMPARE(target.patchAt(1)->spectrumEnd(), 0);

    const QString xyz = "IS12642\nNUMBER_OF_FIELDS 4\nBEGIN_DATA_FORMAT\nSAMPLE_ID XYZ_X XYZ_Y "
                        "XYZ_Z\nEND_DATA_FORMAT\nNUMBER_OF_SETS 1\nBEGIN_DATA\nA 96.42 100 82.49\nEND_DATA\n";
    Target white;
    QCOMPARE(int(readTarget(white, definition(1, {"N"}), xyz, 1, 1)), 0);
    QCOMPARE(white.patchAt(0)->referenceXYZ(1), 100.0);
    QVERIFY(std::fabs(white.patchAt(0)->referenceLab(0) - 100.0) < 0.01);
    QVERIFY(std::fabs(white.patchAt(0)->referenceLab(1)) < 0.05);
}

void TargetTest::spectralReferences_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<double>("scale");
    QTest::addRow("SPEC_ as measuring programs write it") << "SPEC_" << 100.0;
    QTest::addRow("nm columns") << "nm" << 1.0;
    QTest::addRow("R_ columns of the program's own files") << "R_" << 100.0;
    QTest::addRow("SPECTRAL_ fractions") << "SPECTRAL_" << 1.0;
}

void TargetTest::spectralReferences()
{
    QFETCH(QString, prefix);
    QFETCH(double, scale);
    Target target;
    QCOMPARE(int(readTarget(target, definition(3, {"N"}), spectralReference(3, prefix, scale), 3, 1)),
             0);
    for (unsigned i = 0; i < 3; ++i) {
        const PatchIF* p = target.patchAt(i);
        QVERIFY(p->hasSpectrum());
        // Percent values are scaled to fractions, then brought to 400-700 nm.
        QCOMPARE(p->spectrumStart(), 400);
        QCOMPARE(p->spectrumStep(), 10);
        QCOMPARE(p->spectrumEnd(), 700);
        QCOMPARE(int(p->referenceSpectrum()->count()), 31);
        QVERIFY(std::fabs(p->referenceSpectrum()->value(10) - (0.2 + 0.1 * i)) < 1e-5);
        // A flat reflectance under D50 is a neutral grey.
        QVERIFY(std::fabs(p->referenceLab(1)) < 0.5);
    }
    QVERIFY(target.patchAt(2)->referenceLab(0) > target.patchAt(0)->referenceLab(0));
}

void TargetTest::valuesReadOfOtherChartRefused()
{
    Target target;
    QCOMPARE(int(readTarget(target, definition(3, {"N"}), labReference(3), 3, 1)), 0);
    QCOMPARE(int(target.loadReferenceFromISO12642(labReference(4), TargetIF::ReadValues)), 9);
    QCOMPARE(target.patchAt(2)->referenceLab(0), 12.0);
    QCOMPARE(int(target.loadReferenceFromISO12642(labReference(3), 3)), 10);
}

void TargetTest::channelFactors()
{
    Target t;
    QCOMPARE(t.channelFactorCount(), 0u);
    QVERIFY(!t.hasChannelFactors(0));
    QCOMPARE(t.channelFactor(0), 0.0);
    t.setChannelFactorCount(2);
    t.setChannelFactor(0, 1.5);
    t.setChannelFactor(1, 2.0);
    t.setChannelFactor(2, 9.0);  // ignored
    QVERIFY(t.hasChannelFactors(2));
    QVERIFY(!t.hasChannelFactors(3));
    t.setChannelFactorCount(4);  // old values kept, new ones 0
    QCOMPARE(t.channelFactor(1), 2.0);
    QCOMPARE(t.channelFactor(3), 0.0);
    QVERIFY(t.hasChannelFactors(2));
    QVERIFY(!t.hasChannelFactors(4));
    t.setChannelFactorCount(1);
    QCOMPARE(t.channelFactorCount(), 1u);
    QCOMPARE(t.channelFactor(1), 0.0);
    t.clearChannelFactors();
    QCOMPARE(t.channelFactorCount(), 1u);
    QVERIFY(!t.hasChannelFactors(1));

    t.setScaleFactor(0.5);
    Target copy(t);
    QCOMPARE(copy.scaleFactor(), 0.5);
    copy.resetScaleFactor();
    QCOMPARE(copy.scaleFactor(), 1.0);
    QCOMPARE(t.scaleFactor(), 0.5);
}

void TargetTest::copiesSharePatches()
{
    Target* target = new Target;
    QCOMPARE(int(readTarget(*target, definition(2, {"N"}), labReference(2), 2, 1)), 0);
    Target copy(*target);
    QCOMPARE(copy.patchAt(1), target->patchAt(1));
    delete target;  // the copy keeps the patches alive
    QCOMPARE(copy.patchAt(1)->referenceLab(0), 11.0);
    // A reread definition replaces the copy's own list only.
    Target other = copy;
    QCOMPARE(int(other.loadDefFromISO12642(definition(2, {"N"}))), 0);
    QVERIFY(other.patchAt(0) != copy.patchAt(0));
}

void TargetTest::lightnessCurve()
{
    Target target;
    QString ref = "IS12642\nNUMBER_OF_FIELDS 4\nBEGIN_DATA_FORMAT\nSAMPLE_ID LAB_L LAB_A LAB_B\n"
                  "END_DATA_FORMAT\nNUMBER_OF_SETS 4\nBEGIN_DATA\nA 0 0 0\nB 49.8039 5 -5\n"
                  "C 100 0 0\nD 25 0 0\nEND_DATA\n";
    QCOMPARE(int(readTarget(target, definition(5, {"N", "N", "N", "I", "N"}), ref, 5, 1)), 0);
    target.applyLightnessCurve();
    QVERIFY(std::fabs(target.patchAt(0)->referenceLab(0)) < 0.01);
    QVERIFY(std::fabs(target.patchAt(1)->referenceLab(0) - 150 / 2.55) < 0.05);  // 127 -> 150
    QVERIFY(std::fabs(target.patchAt(1)->referenceLab(1) - 5.0) < 0.01);
    QVERIFY(std::fabs(target.patchAt(2)->referenceLab(0) - 100.0) < 0.01);
    QCOMPARE(target.patchAt(3)->referenceLab(0), 0.0);  // ignored, no reference
    QVERIFY(target.patchAt(4)->referenceLab(0) > 25.0);
}

void TargetTest::patchValueArrays()
{
    Patch p;
    QCOMPARE(p.value1(0), 0.0);
    QCOMPARE(p.spectrumEnd(), 0);
    p.setValueCount(5);
    for (int i = 0; i < 5; ++i)
        p.setValue2(i, i + 0.5);
    p.setValueCount(3);  // arrays and values kept
    QCOMPARE(p.valueCount(), 3u);
    QCOMPARE(p.value2(2), 2.5);
    QCOMPARE(p.value2(4), 0.0);  // beyond the count
    p.setValueCount(5);
    QCOMPARE(p.value2(4), 0.0);  // grown: new zero-filled arrays
    p.setValue1(7, 1.0);         // out of range, ignored
    p.setRgbCount(2);
    p.setRgb(1, 200);
    p.setRgb(5, 1);
    QCOMPARE(p.rgb(1), 200);
    QCOMPARE(p.rgb(5), 0);

    const double flat[4] = {50, 50, 50, 50};
    p.setReferenceSpectrum(flat, 4, 400, 100, nullptr);
    QCOMPARE(p.spectrumEnd(), 700);
    p.scaleSpectrum(0.01);
    QCOMPARE(double(p.referenceSpectrum()->value(3)), 0.5);
    QCOMPARE(p.spectrumStart(), 400);
}

void TargetTest::saveThreeTargets()
{
    QTemporaryDir dir;
    const QString ref = dir.filePath("run.cie");
    const QString meas = dir.filePath("run.pix");
    Target targets[3];
    for (Target& t : targets) {
        QCOMPARE(int(readTarget(t, definition(4, {"N"}), labReference(4), 2, 2)), 0);
        fillValues(t);
    }
    SaveRun run;
    for (int i = 0; i < 3; ++i) {
        QVERIFY(run.save(targets[i], ref, meas, i == 0, i == 2));
        QVERIFY(!run.badData);
    }
    QCOMPARE(run.counter, 12ul);
    const QByteArray cie = readAll(ref);
    const QByteArray pix = readAll(meas);
    QVERIFY(cie.startsWith("IS12642\nDESCRIPTOR\t\"Vandrelith pelto\"\nMATERIAL\t\"Vandrelith pelto\"\n"
                           "MANUFACTURER\t\"Vandrelith pelto\"\nILLUMINANT\t\"CIE_D50\"\nOBSERVER\t\"2\"\n"
                           "CREATED\t\"xxx\"\nPROD_DATE\t\"xxx\"\nSERIAL\t\"Vandrelith pelto\"\n"
                           "NUMBER_OF_FIELDS\t5\nBEGIN_DATA_FORMAT\nSAMPLE_ID\tCONTROL\tLAB_L\tLAB_A\tLAB_B\n"
                           "END_DATA_FORMAT\nNUMBER_OF_SETS\t    12\nBEGIN_DATA\n"));
    QVERIFY(pix.startsWith("IS12642\nDESCRIPTOR\t\"Vandrelith pelto\"\nMATERIAL\t\"Vandrelith pelto\"\n"
                           "MANUFACTURER\t\"Vandrelith pelto\"\nCREATED\t\"xxx\"\nPROD_DATE\t\"xxx\"\n"
                           "SERIAL\t\"Vandrelith pelto\"\nKEYWORD\t\"CONTROL\"\nNUMBER_OF_FIELDS\t5\n"
                           "BEGIN_DATA_FORMAT\nSAMPLE_ID\tCONTROL\tRGB_R\tRGB_G\tRGB_B\nEND_DATA_FORMAT\n"
                           "NUMBER_OF_SETS\t    12\nBEGIN_DATA\n"));
    for (const QByteArray* file : {&cie, &pix}) {
        QCOMPARE(file->count("IS12642"), 1);
        QCOMPARE(file->count("\nEND_DATA\n"), 1);
        QVERIFY(file->endsWith("END_DATA\n"));
        const QList<QByteArray> lines = dataLines(*file);
        QCOMPARE(lines.size(), 12);
        for (int i = 0; i < 12; ++i)
            QVERIFY(lines[i].startsWith(QByteArray::number(i) + "\tN\t"));
    }
    QCOMPARE(dataLines(pix)[5], QByteArray("5\tN\t  2.00\t  4.00\t  6.00\t"));
    QCOMPARE(dataLines(cie)[1], QByteArray("1\tN\t 11.00\t  1.00\t -1.00\t"));
}

void TargetTest::saveIgnoredAndSpectral()
{
    QTemporaryDir dir;
    Target target;
    QCOMPARE(int(readTarget(target, definition(3, {"N", "I"}), spectralReference(2, "SPEC_", 100),
                            3, 1)),
             0);
    fillValues(target, 4);
    SaveRun run;
    QVERIFY(run.save(target, dir.filePath("a.cie"), dir.filePath("a.pix"), true, true));
    const QByteArray cie = readAll(dir.filePath("a.cie"));
    QVERIFY(cie.contains("NUMBER_OF_FIELDS\t36\n"));
    QVERIFY(cie.contains("LAB_B\tR_400\tR_410\t"));
    QVERIFY(cie.contains("R_700\t\nEND_DATA_FORMAT\n"));
    const QList<QByteArray> lines = dataLines(cie);
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].contains("\t0.2000\t"));
    QByteArray zeros = "1\tI\t  0.00\t  0.00\t  0.00\t";
    for (int i = 0; i < 31; ++i)
        zeros += "0.0000\t";
    QCOMPARE(lines[1], zeros);
    QVERIFY(readAll(dir.filePath("a.pix")).contains("RGB_B\tMCLR_4\n"));

    // Without spectra only Lab is written.
    SaveRun plain;
    QVERIFY(target.saveForProfile(dir.filePath("b.cie"), dir.filePath("b.pix"), true, true,
                                  plain.counter, plain.refPos, plain.measPos, csContext::CIE1964_10,
                                  csContext::D65, QString(), plain.badData, false, nullptr, nullptr,
                                  0.0, 0.0, true));
    const QByteArray lab = readAll(dir.filePath("b.cie"));
    QVERIFY(lab.contains("ILLUMINANT\t\"CIE_D65\"\nOBSERVER\t\"10\"\n"));
    QVERIFY(lab.contains("NUMBER_OF_FIELDS\t5\n"));
    // A custom illuminant named after its file.
    const QString sp = "/usr/share/color/argyll/ref/D50_1.0.sp";
    if (QFile::exists(sp)) {
        SaveRun custom;
        QVERIFY(target.saveForProfile(dir.filePath("c.cie"), dir.filePath("c.pix"), true, true,
                                      custom.counter, custom.refPos, custom.measPos,
                                      csContext::CIE1931_2, csContext::Custom, sp, custom.badData,
                                      false, nullptr, nullptr, 0.0, 0.0, false));
        const QByteArray text = readAll(dir.filePath("c.cie"));
        QVERIFY(text.contains("ILLUMINANT\t\"D50_1.0\"\n"));
        // The flat 20 % patch stays a neutral grey under a daylight illuminant.
        const QList<QByteArray> fields = dataLines(text)[0].split('\t');
        QVERIFY(std::fabs(fields[3].trimmed().toDouble()) < 1.0);
    }
    QTest::ignoreMessage(QtWarningMsg, "failed to set illuminant: '/no/such.sp'");
    SaveRun missing;
    QVERIFY(target.saveForProfile(dir.filePath("d.cie"), dir.filePath("d.pix"), true, true,
                                  missing.counter, missing.refPos, missing.measPos,
                                  csContext::CIE1931_2, csContext::Custom, "/no/such.sp",
                                  missing.badData, false, nullptr, nullptr, 0.0, 0.0, false));
    QVERIFY(readAll(dir.filePath("d.cie")).contains("ILLUMINANT\t\"\"\n"));

    // The references are bound to the default context again afterwards.
    const auto* p = dynamic_cast<const Patch*>(target.patchAt(0));
    QCOMPARE(p->reference()->context(), csContext::defaultContext());
}

void TargetTest::saveBadData_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("bad");
    QTest::addRow("values") << 1000.0 << false;
    QTest::addRow("all zero") << 0.0 << true;
    QTest::addRow("NaN from an empty cell") << std::numeric_limits<double>::quiet_NaN() << true;
}

void TargetTest::saveBadData()
{
    QFETCH(double, value);
    QFETCH(bool, bad);
    QTemporaryDir dir;
    Target target;
    QCOMPARE(int(readTarget(target, definition(2, {"N"}), labReference(2), 2, 1)), 0);
    fillValues(target);
    for (int c = 0; c < 3; ++c) {
        target.patchAt(0)->setValue1(c, value);
        target.patchAt(1)->setValue1(c, std::isnan(value) ? 5000.0 : value);
    }
    const DebugLines lines("pelto.chart.target");
    if (bad)
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("found NaN: .*"));
    SaveRun run;
    QVERIFY(run.save(target, dir.filePath("x.cie"), dir.filePath("x.pix"), true, true));
    QCOMPARE(run.badData, bad);
}

void TargetTest::saveScaling()
{
    QTemporaryDir dir;
    Target target;
    QCOMPARE(int(readTarget(target, definition(2, {"N"}), labReference(2), 2, 1)), 0);
    fillValues(target);  // patch 1: 2, 4, 6 on the 8-bit scale; patch 0: 1, 2, 3
    struct Case {
        const char* name;
        bool factors;
        double gamma;
        double white;
        bool flat;
        QByteArray line1;
    };
    const Case cases[] = {
        {"plain", false, 0.0, 0.0, false, "1\tN\t  2.00\t  4.00\t  6.00\t"},
        {"channel factors", true, 0.0, 0.0, false, "1\tN\t  4.00\t  4.00\t 60.00\t"},
        {"white target: brightest channel to 240", false, 1.0, 240.0, false,
         "1\tN\t 80.00\t160.00\t240.00\t"},
        {"gamma 2", false, 2.0, 0.0, false, "1\tN\t 22.58\t 31.94\t 39.12\t"},
        {"flat field", false, 0.0, 0.0, true, "1\tN\t  4.00\t  8.00\t 12.00\t"},
    };
    for (const Case& c : cases) {
        target.setChannelFactorCount(3);
        target.setChannelFactor(0, 2.0);
        target.setChannelFactor(1, 1.0);
        target.setChannelFactor(2, 10.0);
        for (unsigned i = 0; i < 2; ++i)
            for (int ch = 0; ch < 3; ++ch)
                // Flat field: patch 1 lies in the half-lit part of the field.
                target.patchAt(i)->setValue3(ch, c.flat ? (i == 0 ? 51400.0 : 25700.0) : 0.0);
        SaveRun run;
        QVERIFY2(run.save(target, dir.filePath("s.cie"), dir.filePath("s.pix"), true, true,
                          c.factors, c.gamma, c.white),
                 c.name);
        QCOMPARE(dataLines(readAll(dir.filePath("s.pix")))[1], c.line1);
    }
}

void TargetTest::saveFailures()
{
    QTemporaryDir dir;
    Target target;
    QCOMPARE(int(readTarget(target, definition(2, {"N"}), labReference(2), 2, 1)), 0);
    fillValues(target);
    SaveRun run;
    QVERIFY(!run.save(target, dir.filePath("no/such/x.cie"), dir.filePath("x.pix"), true, true));
    QVERIFY(!QFile::exists(dir.filePath("x.pix")));

    // A later target with another channel count cannot join the run; the files
    // keep only the first target and no count.
    const QString ref = dir.filePath("r.cie");
    const QString meas = dir.filePath("r.pix");
    QVERIFY(run.save(target, ref, meas, true, false));
    const QByteArray before = readAll(meas);
    Target other;
    QCOMPARE(int(readTarget(other, definition(2, {"N"}), labReference(2), 2, 1)), 0);
    fillValues(other, 4);
    const DebugLines lines("pelto.chart.target");
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("does not match"));
    QVERIFY(!run.save(other, ref, meas, false, true));
    QCOMPARE(readAll(meas), before);
    QVERIFY(before.contains("NUMBER_OF_SETS\t######\n"));

    // A later target of a run that was never begun is refused.
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("no run begun with these files"));
    QVERIFY(!run.save(target, dir.filePath("none.cie"), dir.filePath("none.pix"), false, true));
}

void TargetTest::joinRun_data()
{
    using target_save::RunLayout;
    QTest::addColumn<int>("runValues");
    QTest::addColumn<int>("runSpectra");  // spectral count of the run, 380 nm by 10 nm
    QTest::addColumn<int>("values");
    QTest::addColumn<int>("spectra");
    QTest::addColumn<bool>("joins");
    QTest::addColumn<int>("written");  // spectral columns the target then writes
    QTest::addRow("same columns") << 3 << 31 << 3 << 31 << true << 31;
    QTest::addRow("other value count") << 3 << 0 << 4 << 0 << false << 0;
    QTest::addRow("other spectral range") << 3 << 31 << 3 << 36 << false << 0;
    QTest::addRow("spectra after a Lab run are left out") << 3 << 0 << 3 << 31 << true << 0;
    QTest::addRow("no spectra in a spectral run") << 3 << 31 << 3 << 0 << false << 0;
}

void TargetTest::joinRun()
{
    QFETCH(int, runValues);
    QFETCH(int, runSpectra);
    QFETCH(int, values);
    QFETCH(int, spectra);
    QFETCH(bool, joins);
    QFETCH(int, written);
    const auto layout = [](int valueCount, int spectralCount) {
        target_save::RunLayout l;
        l.valueCount = valueCount;
        if (spectralCount > 0) {
            l.spectralStart = 380;
            l.spectralStep = 10;
            l.spectralCount = spectralCount;
        }
        return l;
    };
    target_save::RunLayout target = layout(values, spectra);
    QCOMPARE(target_save::joinRun(layout(runValues, runSpectra), &target), joins);
    if (joins)
        QCOMPARE(target.spectralCount, written);
}

static RegisterSuite<TargetTest> registerTargetTest;
#include "test_target.moc"
