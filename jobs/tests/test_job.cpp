// The job: camera names, targets and per-target state, clones, film curves,
// tone curves, output folder and pictures.
#include "JobTestSupport.h"

#include "jobs/pq_Job.h"

#include "chart/BoundedFile.h"
#include "colour/Kirr_ColorCurve.h"

#include <QBuffer>
#include <QDir>
#include <QDomDocument>
#include <QFileInfo>
#include <QtTest>

#include <sys/stat.h>

namespace {

// A job with descriptions of the given names and one shot each.
void addTargets(pq_Job &job, const QStringList &names)
{
    for (const QString &name : names) {
        pq_targetInfo *target = jobtest::colorCheckerTarget(name);
        target->addShot("/shots/" + name + ".tif");
        job.addTargetInfo(target);
    }
}

QStringList shotsOf(const pq_Job &job)
{
    QStringList all;
    for (const pq_targetInfo *target : job.targetInfos())
        all.append(target->name + (target->isClone ? "*" : "") + ":" + target->shots.join(","));
    return all;
}

void setDualIlluminant(pq_Job &job, bool dual)
{
    job.jobExpertSettings().applyScannerRule(
        "cameraIlluminant", dual ? "D65 + Std. Illuminant A" : "As Shot", false);
    job.updateTargetClones();
}

}  // namespace

class TestJob : public QObject
{
    Q_OBJECT

private slots:
    void cameraModelName_data();
    void cameraModelName();
    void filmCurveFileBase_data();
    void filmCurveFileBase();
    void newJob();
    void currentTargetIndex();
    void clonesKeepTheirShots();
    void clonesCarryTheirPerTargetState();
    void clonesOfNoTargetsChangeNothing();
    void resetRuntimeState();
    void toneCurves();
    void filmCurves();
    void extractFilmCurveStaysInItsFolder();
    void outputFolder();
    void unknownOutputFolderHoldsNoProfile();
    void targetPixmap();
    void hugePictureIsNotDecoded();
    void chartImagePath();
    void dcpChart();
    void allTargetsSpectral();
};

void TestJob::cameraModelName_data()
{
    QTest::addColumn<QString>("make");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("keepDcpNames");
    QTest::addColumn<QString>("name");
    const QSize any(6000, 4000);
    QTest::addRow("H4D small") << "Hasselblad" << "H4D" << QSize(8176, 6132) << false
                               << "Hasselblad H4D-50";
    QTest::addRow("H4D large") << "Hasselblad" << "H4D" << QSize(8956, 6708) << false
                               << "Hasselblad H4D-60";
    QTest::addRow("H5D") << "Hasselblad" << "H5D" << QSize(6000, 8000) << true
                         << "Hasselblad H5D-50";
    QTest::addRow("Nikon") << "NIKON CORPORATION" << "NIKON D800" << any << false
                           << "Nikon D800";
    QTest::addRow("1D Mark IV") << "Canon" << "Canon EOS-1D Mark IV" << any << false
                                << "CanonEOS1D Mk4";
    QTest::addRow("1D Mark IV, DCP names") << "Canon" << "Canon EOS-1D Mark IV" << any << true
                                           << "Canon EOS-1D Mark IV";
    QTest::addRow("1D Mark III") << "Canon" << "EOS-1D Mark III" << any << false
                                 << "CanonEOS1D MKIII";
    QTest::addRow("5D Mark II") << "Canon" << "Canon EOS 5D Mark II" << any << false
                                << "Canon EOS 5D Mk2";
    QTest::addRow("PowerShot") << "Canon" << "Canon PowerShot G1 X Mark II" << any << false
                               << "Canon G1 X mkII";
    QTest::addRow("model starts with make") << "Phase One" << "Phase One IQ180" << any << false
                                            << "Phase One IQ180";
    QTest::addRow("no make") << "" << "D800" << any << false << "D800";
    QTest::addRow("no model") << "Leica" << "" << any << false << "Leica";
    QTest::addRow("Leica M240") << "Leica Camera AG" << "LEICA M (Typ 240)" << any << false
                                << "Leica M240";
    QTest::addRow("colon before renames") << "Sinar" << "eShutter: Sinarback" << any << false
                                          << "Sinarback";
    QTest::addRow("unsafe characters") << "Make" << "A/B\\C*D?E\"F<G>H|I" << any << false
                                       << "Make A_B_C_D_E_F_G_H_I";
    QTest::addRow("Leaf AFi") << "Leaf" << "AFi-II 7 something" << any << false
                              << "Leaf AFi-II 7";
    QTest::addRow("Sony NEX") << "SONY" << "NEX-7" << any << false << "Sony NEX7";
    QTest::addRow("Sony NEX, DCP names") << "SONY" << "NEX-7" << any << true << "Sony NEX-7";
    QTest::addRow("Sony A7") << "SONY" << "ILCE-7RM2" << any << false << "Sony A7RM2";
    QTest::addRow("case-sensitive") << "sony" << "nex-7" << any << false << "sony nex-7";
    QTest::addRow("X100") << "Fujifilm" << "X100" << any << false << "Fujifilm FinePix X100";
}

void TestJob::cameraModelName()
{
    QFETCH(QString, make);
    QFETCH(QString, model);
    QFETCH(QSize, size);
    QFETCH(bool, keepDcpNames);
    QFETCH(QString, name);
    QCOMPARE(buildCameraModelName(make, model, size, keepDcpNames), name);
}

void TestJob::filmCurveFileBase_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("base");
    QTest::addRow("blanks") << "Phase One IQ180" << "PhaseOneIQ180";
    QTest::addRow("parent") << "../../etc/x" << ".._.._etc_x";
    QTest::addRow("dot dot") << ".." << "";
    QTest::addRow("dot dot with blanks") << " . . " << "";
    QTest::addRow("dot") << "." << "";
    QTest::addRow("slash only") << "/" << "_";
    QTest::addRow("empty") << "" << "";
}

void TestJob::filmCurveFileBase()
{
    QFETCH(QString, name);
    QFETCH(QString, base);
    QCOMPARE(::filmCurveFileBase(name), base);
}

void TestJob::newJob()
{
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    QVERIFY(job.getJobName().isEmpty());
    job.setJobId("id-1");
    QCOMPARE(job.getJobName(), QString("id-1"));
    QCOMPARE(job.profileExtension(), QString("icc"));
    QCOMPARE(job.targetIlluminant(), QString("D50"));
    QVERIFY(job.isEnabled());
    QVERIFY(!job.currentTargetInfo());
    QVERIFY(job.currentShotsXml(0).isEmpty());
    QVERIFY(job.currentTarget());
    QVERIFY(job.currentPatchGrid());
    QVERIFY(!job.loadCurrentTarget());
    QVERIFY(!job.isChartImageLoaded());
    QVERIFY(!job.areAllChartImagesRaw());
    QCOMPARE(job.chartImageSize(), QSize(0, 0));
    QVERIFY(!job.illuminantSpectrum());
    const float values[3] = {1, 2, 3};
    const SpectrumArray spectrum(values, 3, 400, 10);
    job.setIlluminantSpectrum(&spectrum);
    QVERIFY(job.illuminantSpectrum() && job.illuminantSpectrum()->count() == 3);
    job.setIlluminantSpectrum(nullptr);
    QVERIFY(!job.illuminantSpectrum());
}

void TestJob::currentTargetIndex()
{
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    addTargets(job, {"A", "B", "C"});
    job.setCurrentTargetIndex(2);
    QCOMPARE(job.currentTargetIndex(), 2);
    QCOMPARE(job.currentTargetInfo()->name, QString("C"));
    job.setChartImagePath("/shots/c.tif");
    job.setCurrentTargetIndex(-1);
    QCOMPARE(job.currentTargetIndex(), 2);
    QCOMPARE(job.chartImagePath(), QString("/shots/c.tif"));
    job.setCurrentTargetIndex(2);
    QCOMPARE(job.chartImagePath(), QString("/shots/c.tif"));
    job.setCurrentTargetIndex(0);
    QVERIFY(job.chartImagePath().isEmpty());
    job.setCurrentTargetIndex(7);
    QVERIFY(!job.currentTargetInfo());
    QVERIFY(job.currentTarget());
    QVERIFY(job.currentShotsXml(0).contains("/shots/A.tif"));
}

void TestJob::clonesKeepTheirShots()
{
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    addTargets(job, {"A", "B"});
    setDualIlluminant(job, true);
    QCOMPARE(shotsOf(job), (QStringList{"A:/shots/A.tif", "A*:", "B:/shots/B.tif", "B*:"}));
    job.targetInfos().at(1)->addShot("/shots/A-clone.tif");
    job.targetInfos().at(3)->addShot("/shots/B-clone.tif");
    // Renewing the clones hands each its own shots back.
    job.updateTargetClones();
    QCOMPARE(shotsOf(job), (QStringList{"A:/shots/A.tif", "A*:/shots/A-clone.tif",
                                        "B:/shots/B.tif", "B*:/shots/B-clone.tif"}));
    setDualIlluminant(job, false);
    QCOMPARE(shotsOf(job), (QStringList{"A:/shots/A.tif", "B:/shots/B.tif"}));
    // A clone is never written to the file.
    setDualIlluminant(job, true);
    QCOMPARE(job.toXml().count("<targetdescription>"), 2);
}

void TestJob::clonesCarryTheirPerTargetState()
{
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    addTargets(job, {"A", "B"});
    job.setCurrentTargetIndex(1);
    job.setChartImagePath("/shots/B.tif");
    setDualIlluminant(job, true);
    QCOMPARE(job.currentTargetIndex(), 2);
    QCOMPARE(job.currentTargetInfo()->name, QString("B"));
    QCOMPARE(job.chartImagePath(), QString("/shots/B.tif"));
    job.setCurrentTargetIndex(3);
    job.setChartImagePath("/shots/B-clone.tif");
    job.updateTargetClones();
    QCOMPARE(job.currentTargetIndex(), 3);
    QCOMPARE(job.chartImagePath(), QString("/shots/B-clone.tif"));
    // Removing the clones moves the current index to the clone's original.
    setDualIlluminant(job, false);
    QCOMPARE(job.currentTargetIndex(), 1);
    QCOMPARE(job.currentTargetInfo()->name, QString("B"));
    QCOMPARE(job.chartImagePath(), QString("/shots/B.tif"));
}

void TestJob::clonesOfNoTargetsChangeNothing()
{
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    job.setChartImagePath("/shots/first.tif");
    setDualIlluminant(job, true);
    QVERIFY(job.targetInfos().isEmpty());
    QCOMPARE(job.chartImagePath(), QString("/shots/first.tif"));
}

void TestJob::resetRuntimeState()
{
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    addTargets(job, {"A", "B"});
    job.setCurrentTargetIndex(1);
    job.setChartImagePath("/shots/x.tif");
    job.setProfileName("Profile");
    job.resetRuntimeState();
    QCOMPARE(job.currentTargetIndex(), 0);
    QVERIFY(job.profileName().isEmpty());
    QCOMPARE(job.targetInfos().size(), 2);
    QVERIFY(job.targetInfos().at(0)->shots.isEmpty());
    job.setCurrentTargetIndex(1);
    QVERIFY(job.chartImagePath().isEmpty());
}

void TestJob::toneCurves()
{
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    // Not the Capture One raw workflow: no curve at all.
    QVERIFY(!job.toneCurveLut());
    QVERIFY(!job.toneCurveSpline());
    job.setC1InsteadOfDCP(true);
    QVERIFY(!job.toneCurveSpline());  // the chart image is not a raw file

    pq_Job five(jobtest::filmCurvesFolder(), jobtest::tempFolder(), "P", QString(), QString());
    QVERIFY(!five.toneCurveSpline());

    Kirr_Spline1 spline;
    spline.addPoint(0, 0);
    spline.addPoint(1, 1);
    job.setToneCurveSpline(spline);
    Kirr_BezierLut lut;
    lut.addPoint(0, 0);
    lut.addPoint(100, 100);
    job.setToneCurveLut(lut);
    QVERIFY(!job.toneCurveLut());
}

void TestJob::filmCurves()
{
    const QString folder = jobtest::freshFolder("film-curves");
    pq_Job job(folder, jobtest::tempFolder());
    QVERIFY(!job.isFilmCurveAvailable("Phase One IQ180"));
    Kirr_ColorCurve curve;
    curve.setPoint(0, 0, 0);
    curve.setPoint(0.5, 0.6, 0);
    curve.setPoint(1, 1, 0);
    QVERIFY(curve.save(folder + "/phaseoneiq180.XML"));
    QVERIFY(job.isFilmCurveAvailable("Phase One IQ180"));
    QVERIFY(!job.isFilmCurveAvailable("Phase One IQ160"));
    Kirr_ColorCurve empty;
    QVERIFY(empty.save(folder + "/Empty.xml"));
    QVERIFY(!job.isFilmCurveAvailable("Empty"));

    pq_Job noFolder(QString(), jobtest::tempFolder());
    QVERIFY(!noFolder.isFilmCurveAvailable("Phase One IQ180"));
    QVERIFY(!noFolder.extractFilmCurve(curve, "X"));
}

void TestJob::extractFilmCurveStaysInItsFolder()
{
    const QString root = jobtest::freshFolder("extract");
    const QString folder = root + "/Film Curves";
    pq_Job job(folder, jobtest::tempFolder());
    Kirr_ColorCurve curve;
    curve.setPoint(0, 0, 0);
    curve.setPoint(1, 1, 0);
    QVERIFY(job.extractFilmCurve(curve, "Phase One IQ180"));
    QVERIFY(QFileInfo::exists(folder + "/PhaseOneIQ180.xml"));
    const QByteArray first = jobtest::readFile(folder + "/PhaseOneIQ180.xml");
    curve.setPoint(0.5, 0.7, 0);
    QVERIFY(job.extractFilmCurve(curve, "Phase One IQ180"));
    QCOMPARE(jobtest::readFile(folder + "/PhaseOneIQ180.xml"), first);
    QVERIFY(QFileInfo::exists(folder + "/Extracted/PhaseOneIQ180.xml"));

    QVERIFY(job.extractFilmCurve(curve, "../outside"));
    QVERIFY(!QFileInfo::exists(root + "/outside.xml"));
    QVERIFY(QFileInfo::exists(folder + "/.._outside.xml"));
    QVERIFY(!job.extractFilmCurve(curve, ".."));
    QVERIFY(!QFileInfo::exists(root + "/Film Curves.xml"));
    // No name and no chart image: no camera name to take.
    QVERIFY(!job.extractFilmCurve(curve, QString()));
}

void TestJob::outputFolder()
{
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    const QString folder = job.outputFolder();
    QVERIFY(folder.endsWith("/"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(jobtest::writeFile(folder + "Studio.icc", "icc"));
    QVERIFY(job.profileExists("Studio"));
    QVERIFY(!job.profileExists("Other"));
    QVERIFY(!job.profileExists(QString()));
}

void TestJob::unknownOutputFolderHoldsNoProfile()
{
    const QString folder = jobtest::freshFolder("current-folder");
    QVERIFY(jobtest::writeFile(folder + "/Studio.icc", "icc"));
    const QString previous = QDir::currentPath();
    const QByteArray home = qgetenv("HOME");
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    QDir::setCurrent(folder);
    qunsetenv("HOME");
    qunsetenv("XDG_DATA_HOME");
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    const QString output = job.outputFolder();
    const bool exists = job.profileExists("Studio");
    qputenv("HOME", home);
    qputenv("XDG_DATA_HOME", data);
    QDir::setCurrent(previous);
    QVERIFY(output.isEmpty());
    QVERIFY(!exists);
}

void TestJob::targetPixmap()
{
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    QVERIFY(job.targetPixmap(-1).isNull());
    addTargets(job, {"A"});
    QCOMPARE(job.targetPixmap(-1).size(), QSize(600, 400));
    QVERIFY(job.targetPixmap(1).isNull());
    pq_targetInfo *target = job.targetInfos().first();
    target->targetFullResFilePath = "Pictures/missing.png";
    QCOMPARE(job.targetPixmap(0).size(), QSize(96, 96));
    QImage small(40, 30, QImage::Format_RGB32);
    small.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    small.save(&buffer, "PNG");
    target->targetImage = QString::fromLatin1(png.toBase64());
    QCOMPARE(job.targetPixmap(0).size(), QSize(40, 30));
}

// A PNG that promises a picture of width x height pixels and holds none.
static QByteArray pngHeaderOnly(quint32 width, quint32 height)
{
    auto be32 = [](quint32 v) {
        const char bytes[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
        return QByteArray(bytes, 4);
    };
    auto crc32 = [](const QByteArray &bytes) {
        quint32 crc = 0xFFFFFFFFu;
        for (const char c : bytes) {
            crc ^= quint8(c);
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        return ~crc;
    };
    const QByteArray ihdr = "IHDR" + be32(width) + be32(height) + QByteArray("\x08\x02\0\0\0", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + be32(13) + ihdr + be32(crc32(ihdr));
}

void TestJob::hugePictureIsNotDecoded()
{
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    auto *target = new pq_targetInfo;
    target->name = "huge";
    target->targetImage = QString::fromLatin1(pngHeaderOnly(60000, 60000).toBase64());
    job.addTargetInfo(target);
    // The fallback picture, not a 3.6 gigapixel allocation.
    QCOMPARE(job.targetPixmap(0).size(), QSize(96, 96));
    target->targetImage = QString::fromLatin1(pngHeaderOnly(0, 10).toBase64());
    QCOMPARE(job.targetPixmap(0).size(), QSize(96, 96));
}

void TestJob::chartImagePath()
{
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    job.setChartImagePath("/shots/Chart One.ICC");
    QCOMPARE(job.chartImageFileName(), QString("Chart One.ICC"));
    QVERIFY(job.isChartImageIcc());
    QVERIFY(!job.isChartImageTxt());
    job.setC1TifPath("/shots/c1.tif");
    QCOMPARE(job.c1TifPath(), QString("/shots/c1.tif"));
    job.setAuxImagePath("/shots/missing-aux.tif");
    QCOMPARE(job.auxImageFileName(), QString("missing-aux.tif"));
    QVERIFY(job.auxPixmap().isNull());
}

void TestJob::dcpChart()
{
    const QString folder = jobtest::freshFolder("dcp-chart");
    const QString dcp = folder + "/chart.txt";
    QVERIFY(jobtest::writeFile(dcp, "CGATS.17\nDESCRIPTOR \"Made from a DCP Profile\"\n"
                                    "NUMBER_OF_FIELDS 1\nBEGIN_DATA_FORMAT\nSAMPLE_ID\n"
                                    "END_DATA_FORMAT\nNUMBER_OF_SETS 1\nBEGIN_DATA\nA1\n"
                                    "END_DATA\n"));
    const QString other = folder + "/other.txt";
    QVERIFY(jobtest::writeFile(other, "CGATS.17\nDESCRIPTOR \"A dcp profile\"\n"));
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    job.setChartImagePath(dcp);
    QVERIFY(job.isDcpChart());
    job.setChartImagePath(other);
    QVERIFY(!job.isDcpChart());
    job.setChartImagePath(folder + "/absent.txt");
    QVERIFY(!job.isDcpChart());
    // The answer follows the file; a pipe or a text over the limit is not read.
    job.setChartImagePath(dcp);
    QVERIFY(job.isDcpChart());
    QVERIFY(jobtest::writeFile(dcp, jobtest::readFile(other)));
    QVERIFY(!job.isDcpChart());
    const QString pipe = folder + "/pipe.txt";
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    job.setChartImagePath(pipe);
    QVERIFY(!job.isDcpChart());
    const QString large = folder + "/large.txt";
    QVERIFY(jobtest::writeFile(large, "CGATS.17\nDESCRIPTOR \"DCP Profile\"\n"));
    QFile grown(large);
    QVERIFY(grown.open(QIODevice::ReadWrite) && grown.resize(chart::kMaxTextFileSize + 1));
    grown.close();
    job.setChartImagePath(large);
    QVERIFY(!job.isDcpChart());
}

void TestJob::allTargetsSpectral()
{
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    QVERIFY(job.areAllTargetsSpectral());
    auto *unreadable = new pq_targetInfo;
    unreadable->name = "no reference";
    job.addTargetInfo(unreadable);
    QVERIFY(job.areAllTargetsSpectral());
    addTargets(job, {"ColorChecker"});  // Lab reference: 4 fields
    QVERIFY(!job.areAllTargetsSpectral());
    QCOMPARE(job.currentTargetSummary().name, QString("no reference"));
}

static RegisterSuite<TestJob> registerJob;
#include "test_job.moc"
