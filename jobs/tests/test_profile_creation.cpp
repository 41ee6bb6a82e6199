// The job's profile creation: the engine files, the values handed to the run
// manager and the result codes, with a scripted engine behind the manager.
#include "ProfilingTestSupport.h"
#include "ScriptedEngine.h"

#include "jobs/pq_Job.h"
#include "jobs/pq_ProfilingThreadMgr.h"
#include "jobs/pq_engineFiles.h"
#include "jobs/pq_targetInfo.h"

#include "chart/Config.h"
#include "chart/PatchGrid.h"
#include "colour/Kirr_Spline1.h"
#include "colour/Kirr_colorLibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QtTest>

#include <memory>

namespace {

pq_ProfilingThreadMgr *manager()
{
    return pq_ProfilingThreadMgr::instance();
}

const QString kD50Spectrum = QStringLiteral("/usr/share/color/argyll/ref/D50_0.0.sp");

// The value of a CGATS header keyword of a text, quotes removed.
QString keyword(const QByteArray &text, const QString &name)
{
    const QRegularExpression re("^" + name + "\\s+\"?([^\"\\n]*)\"?$",
                                QRegularExpression::MultilineOption);
    return re.match(QString::fromUtf8(text)).captured(1).trimmed();
}

// Restores an environment variable when it goes out of scope.
class EnvironmentKeeper
{
public:
    explicit EnvironmentKeeper(const char *name) : m_name(name), m_value(qgetenv(name)) {}
    ~EnvironmentKeeper() { qputenv(m_name, m_value); }

private:
    const char *m_name;
    QByteArray m_value;
};

}  // namespace

class ProfileCreationTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<proftest::Folders> m_folders;

    // A job of the given descriptions, each measured; the job owns them.
    std::unique_ptr<pq_Job> makeJob(const QList<pq_targetInfo *> &descriptions,
                                    const QString &profileName = QStringLiteral("Camera"));
    int create(pq_Job &job, QString *profilePath = nullptr, int illuminantIndex = 0,
               const QString &customIlluminant = QString(),
               const calculation_settings *settings = nullptr,
               const Kirr_Spline1 *toneSpline = nullptr);
    // Runs a created profile to its end; false when it did not end in done.
    bool runToDone();

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void profileFileNames_data();
    void profileFileNames();
    void everyValueHandedOver();
    void refusedWhileARunIsInProgress();
    void codesWithoutRun_data();
    void codesWithoutRun();
    void nonSpectralTargetForcesD50_data();
    void nonSpectralTargetForcesD50();
    void engineFileNames_data();
    void engineFileNames();
    void customIlluminant_data();
    void customIlluminant();
};

std::unique_ptr<pq_Job> ProfileCreationTest::makeJob(const QList<pq_targetInfo *> &descriptions,
                                                     const QString &profileName)
{
    auto job = std::make_unique<pq_Job>(m_folders->root() + "/curves", m_folders->tmp());
    for (pq_targetInfo *description : descriptions)
        job->addTargetInfo(description);
    for (int i = 0; i < descriptions.size(); ++i)
        proftest::measureTarget(*job, i);
    job->setCurrentTargetIndex(0);
    job->setProfileName(profileName);
    return job;
}

int ProfileCreationTest::create(pq_Job &job, QString *profilePath, int illuminantIndex,
                                const QString &customIlluminant,
                                const calculation_settings *settings,
                                const Kirr_Spline1 *toneSpline)
{
    QString path;
    const int code = job.createProfile(path, false, -1, illuminantIndex, customIlluminant,
                                       settings, false, nullptr, toneSpline, 0.0, 0.0, 0);
    if (profilePath)
        *profilePath = path;
    return code;
}

bool ProfileCreationTest::runToDone()
{
    proftest::RunRecorder recorder;
    return recorder.waitForEnd() && recorder.done.count() == 1;
}

void ProfileCreationTest::initTestCase()
{
    m_folders = std::make_unique<proftest::Folders>();
    QVERIFY(m_folders->isValid());
    if (!QFileInfo::exists("/usr/share/color/argyll/ref/ColorChecker.cie"))
        QSKIP("argyll-ref is not installed");
}

void ProfileCreationTest::init()
{
    ConfigIF::instance()->init(m_folders->root(), m_folders->root() + "/data");
    m_folders->clearTmp();
    scripted::install(scripted::Script());
}

void ProfileCreationTest::cleanup()
{
    scripted::release();
    QTRY_VERIFY_WITH_TIMEOUT(!manager()->isRunning(), 60000);
    QCoreApplication::processEvents();
}

void ProfileCreationTest::profileFileNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("numbered");
    QTest::addColumn<QString>("fileName");
    QTest::addRow("plain") << "Camera" << "icc" << 0 << false << "Camera.icc";
    QTest::addRow("numbered from 1") << "Camera" << "dcp" << 0 << true << "Camera_1.dcp";
    QTest::addRow("third") << "Camera" << "dcp" << 2 << true << "Camera_3.dcp";
}

void ProfileCreationTest::profileFileNames()
{
    QFETCH(QString, name);
    QFETCH(QString, extension);
    QFETCH(int, index);
    QFETCH(bool, numbered);
    QFETCH(QString, fileName);
    QCOMPARE(pq_Job::profileFileName(name, extension, index, numbered), fileName);
}

void ProfileCreationTest::everyValueHandedOver()
{
    QList<pq_targetInfo *> descriptions;
    for (int i = 0; i < 65; ++i)
        descriptions.append(proftest::colorCheckerDescription(QString("Chart %1").arg(i)));
    descriptions.last()->isTransmissive = true;
    std::unique_ptr<pq_Job> job = makeJob(descriptions, "Camé Ж");
    for (int i : {0, 64}) {
        job->setCurrentTargetIndex(i);
        job->setChartImagePath(QString("/shots/chart %1.tif").arg(i));
        QVERIFY(proftest::measureTarget(*job, i));
    }
    job->setCurrentTargetIndex(3);

    Kirr_Spline1 tone;
    tone.addPoint(0.0, 0.0);
    tone.addPoint(0.25, 0.5);
    tone.addPoint(1.0, 1.0);
    tone.solve(true);
    const calculation_settings settings{2, 1, 1, 3, 4, 0.25f, 1};
    QString profilePath;
    const int code = job->createProfile(profilePath, true, 3, 0, kD50Spectrum, &settings, false,
                                        nullptr, &tone, 0.0, 0.0, 90);
    QCOMPARE(code, 0);
    QCOMPARE(profilePath, QString("Camé Ж.icc"));
    QCOMPARE(job->currentTargetIndex(), 3);
    QVERIFY(runToDone());

    const scripted::Call call = scripted::lastCall();
    const QString tmp = m_folders->tmp();
    QCOMPARE(call.referencePath, QFile::encodeName(tmp + "/Camé Ж.cie"));
    QCOMPARE(call.devicePath, QFile::encodeName(tmp + "/Camé Ж.pix"));
    QCOMPARE(call.outputPath, QFile::encodeName(Kirr_makerProfileFolder(2) + "Camé Ж.icc"));
    const uint8_t flags[7] = {1, 0, 0, 0, 1, 0, 0};
    for (int i = 0; i < 7; ++i)
        QCOMPARE(int(call.flags[i]), int(flags[i]));
    QCOMPARE(call.deltaEFormula, 3);
    QCOMPARE(call.cameraModel, job->profileCameraModel().toUtf8());
    QVERIFY(!call.cameraModelNull);
    // The custom illuminant file over its own range.
    QVERIFY(call.hasIlluminant);
    QCOMPARE(call.illuminantStart, 300u);
    QCOMPARE(call.illuminantStep, 5u);
    QCOMPARE(call.illuminant.size(), 107);
    QVERIFY(job->illuminantSpectrum());
    QCOMPARE(int(job->illuminantSpectrum()->count()), 107);
    QVERIFY(!call.hasOverrides);
    // The inverted tone curve: 0.5 comes from 0.25.
    QCOMPARE(call.transferCount, 1);
    QCOMPARE(call.transferEntries, 256);
    const QVector<uint16_t> curve = call.transferCurves.at(0);
    QCOMPARE(int(curve.first()), 0);
    QCOMPARE(int(curve.last()), 65535);
    QVERIFY(std::is_sorted(curve.begin(), curve.end()));
    QVERIFY(qAbs(int(curve.at(128)) - 16384) < 2000);
    // 65 targets of 24 patches: 64 recorded, each at its first row.
    QVERIFY(call.hasOffsets);
    QCOMPARE(call.offsets.count, 64);
    for (int i = 0; i < 64; ++i) {
        QCOMPARE(call.offsets.rows[1][i], 24 * i);
        QCOMPARE(call.offsets.rows[0][i] | call.offsets.rows[2][i] | call.offsets.rows[3][i], 0);
    }
    QVERIFY(call.hasSettings);
    QCOMPARE(call.settings.word0, 2);
    QCOMPARE(call.settings.word3, 3);
    QCOMPARE(call.settings.value, 0.25f);
    QCOMPARE(call.tempFolder, QFile::encodeName(tmp));
    // All 65 targets are in the engine files.
    QCOMPARE(keyword(call.deviceText, "NUMBER_OF_SETS"), QString("1560"));
    QCOMPARE(keyword(call.referenceText, "NUMBER_OF_SETS"), QString("1560"));

    // The run's files are gone; the last target's grid placement is kept.
    QCOMPARE(m_folders->tmpFiles(), QStringList{"chart 64.rst"});
    PatchGrid placement;
    placement.setImageSize(QSize(job->currentPatchGrid()->imageWidth(),
                                 job->currentPatchGrid()->imageHeight()));
    placement.setGridSize(4, 6);
    QVERIFY(placement.loadFromFile(tmp + "/chart 64.rst", "chart 64.tif", 90, nullptr));
    QVERIFY(QFileInfo::exists(QFile::decodeName(call.outputPath)));
}

void ProfileCreationTest::refusedWhileARunIsInProgress()
{
    scripted::Script script;
    script.hold = true;
    scripted::install(script);
    std::unique_ptr<pq_Job> first = makeJob({proftest::colorCheckerDescription()});
    QCOMPARE(create(*first), 0);
    QVERIFY(scripted::waitUntilHolding());
    const QString reference = m_folders->tmp() + "/Camera.cie";
    const QString device = m_folders->tmp() + "/Camera.pix";
    const QByteArray referenceBefore = proftest::readFile(reference);
    const QByteArray deviceBefore = proftest::readFile(device);
    QVERIFY(!referenceBefore.isEmpty());

    // The same profile name from a job of other targets.
    std::unique_ptr<pq_Job> second =
        makeJob({proftest::colorCheckerDescription(), proftest::colorCheckerDescription("B")});
    second->setCurrentTargetIndex(1);
    QCOMPARE(create(*second), int(pq_JobIF::CreateProfileRunInProgress));
    QCOMPARE(second->currentTargetIndex(), 1);
    QCOMPARE(proftest::readFile(reference), referenceBefore);
    QCOMPARE(proftest::readFile(device), deviceBefore);

    proftest::RunRecorder recorder;
    scripted::release();
    QVERIFY(recorder.waitForEnd());
    QCOMPARE(recorder.done.count(), 1);
    QCOMPARE(scripted::callCount(), 1);
    QCOMPARE(m_folders->tmpFiles(), QStringList());
}

void ProfileCreationTest::codesWithoutRun_data()
{
    QTest::addColumn<QString>("road");
    QTest::addColumn<int>("code");
    QTest::addRow("a target whose patches all fail") << "empty target" << 3;
    QTest::addRow("no targets") << "no targets" << 3;
    QTest::addRow("black chart") << "bad pixels" << 2;
    QTest::addRow("name with a slash") << "name sub/Camera" << 1;
    QTest::addRow("name with a backslash") << "name sub\\Camera" << 1;
    QTest::addRow("file name ..") << "dot dot" << 1;
    QTest::addRow("temporary folder cannot be made") << "no temporary folder" << 1;
    QTest::addRow("unknown output folder") << "no data folder" << 4;
    QTest::addRow("output folder cannot be made") << "data folder is a file" << 4;
}

void ProfileCreationTest::codesWithoutRun()
{
    QFETCH(QString, road);
    QFETCH(int, code);
    EnvironmentKeeper data("XDG_DATA_HOME");
    EnvironmentKeeper home("HOME");

    std::unique_ptr<pq_Job> job;
    if (road == "no targets") {
        job = makeJob({});
    } else if (road == "empty target") {
        pq_targetInfo *description = proftest::colorCheckerDescription();
        description->targetDefinition.clear();
        job = makeJob({description});
    } else if (road == "bad pixels") {
        job = makeJob({});
        job->addTargetInfo(proftest::colorCheckerDescription());
        QVERIFY(proftest::measureTarget(*job, 0, 0.0));
    } else {
        job = makeJob({proftest::colorCheckerDescription("A"),
                       proftest::colorCheckerDescription("B")});
    }
    if (road.startsWith("name "))
        job->setProfileName(road.mid(5));
    if (road == "dot dot") {
        job->setProfileName(".");
        job->setProfileExtension("");
    }
    if (road == "no temporary folder") {
        const QString blocker = m_folders->root() + "/blocker";
        QVERIFY(proftest::writeFile(blocker, "file"));
        ConfigIF::instance()->init(blocker, m_folders->root() + "/data");
    }
    if (road == "no data folder") {
        qputenv("XDG_DATA_HOME", "");
        qputenv("HOME", "");
        QVERIFY(Kirr_makerProfileFolder(2).isEmpty());
    }
    if (road == "data folder is a file") {
        const QString file = m_folders->root() + "/datafile";
        QVERIFY(proftest::writeFile(file, "file"));
        qputenv("XDG_DATA_HOME", file.toUtf8());
    }
    job->setCurrentTargetIndex(job->targetInfos().size() > 1 ? 1 : 0);
    const int current = job->currentTargetIndex();
    const QStringList here = QDir::current().entryList(QDir::Files);

    QCOMPARE(create(*job), code);
    QCOMPARE(job->currentTargetIndex(), current);
    QCOMPARE(QDir::current().entryList(QDir::Files), here);
    QCOMPARE(m_folders->tmpFiles(), QStringList());
    QVERIFY(!manager()->isRunning());
    QCOMPARE(scripted::callCount(), 0);
}

void ProfileCreationTest::nonSpectralTargetForcesD50_data()
{
    QTest::addColumn<QStringList>("targets");
    QTest::addColumn<QString>("illuminant");
    QTest::addColumn<QString>("observer");
    QTest::addColumn<bool>("spectralColumns");
    QTest::addRow("spectral only") << QStringList{"spectral"} << "CIE_D65" << "10" << true;
    QTest::addRow("spectral, then Lab only")
        << QStringList{"spectral", "lab"} << "CIE_D50" << "2" << false;
    QTest::addRow("Lab only, then spectral")
        << QStringList{"lab", "spectral"} << "CIE_D50" << "2" << false;
}

void ProfileCreationTest::nonSpectralTargetForcesD50()
{
    QFETCH(QStringList, targets);
    QFETCH(QString, illuminant);
    QFETCH(QString, observer);
    QFETCH(bool, spectralColumns);
    QList<pq_targetInfo *> descriptions;
    for (const QString &kind : targets)
        descriptions.append(kind == "lab" ? proftest::colorCheckerDescription()
                                          : proftest::spectralDescription());
    std::unique_ptr<pq_Job> job = makeJob(descriptions);
    const calculation_settings settings{0, 1, 1, 0, 0, 0.0f, 0};
    QCOMPARE(create(*job, nullptr, 3, QString(), &settings), 0);
    QVERIFY(runToDone());
    const scripted::Call call = scripted::lastCall();
    QCOMPARE(keyword(call.referenceText, "ILLUMINANT"), illuminant);
    QCOMPARE(keyword(call.referenceText, "OBSERVER"), observer);
    QCOMPARE(call.referenceText.contains("LAB_B\tR_"), spectralColumns);
    // The run's spectrum is the chosen illuminant's all the same.
    QVERIFY(call.hasIlluminant);
    QCOMPARE(call.illuminantStart, 380u);
    QCOMPARE(call.illuminantStep, 10u);
    QCOMPARE(call.illuminant.size(), 36);
}

void ProfileCreationTest::engineFileNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("base");
    QTest::addRow("name with an extension") << "Cam.icc" << "icc" << "Cam.icc.icc" << "Cam";
    QTest::addRow("dcp") << "Camera" << "dcp" << "Camera.dcp" << "Camera";
    QTest::addRow("upper-case extension") << "Camera" << "ICC" << "Camera.ICC" << "Camera.ICC";
    QTest::addRow("non-Latin name") << "Kamera Ж é" << "icc" << "Kamera Ж é.icc"
                                    << "Kamera Ж é";
}

void ProfileCreationTest::engineFileNames()
{
    QFETCH(QString, name);
    QFETCH(QString, extension);
    QFETCH(QString, fileName);
    QFETCH(QString, base);
    QString cie;
    QString pix;
    QVERIFY(pq_Job::engineFilePaths(fileName, cie, pix));
    QCOMPARE(cie, m_folders->tmp() + "/" + base + ".cie");
    QCOMPARE(pix, m_folders->tmp() + "/" + base + ".pix");

    std::unique_ptr<pq_Job> job = makeJob({proftest::colorCheckerDescription()}, name);
    job->setProfileExtension(extension);
    QString profilePath;
    QCOMPARE(create(*job, &profilePath), 0);
    QCOMPARE(profilePath, fileName);
    proftest::RunRecorder recorder;
    QVERIFY(recorder.waitForEnd());
    QCOMPARE(recorder.done.count(), 1);
    const QString written = recorder.done.at(0).at(0).toString();
    QCOMPARE(written, Kirr_makerProfileFolder(2) + fileName);
    QVERIFY(QFileInfo::exists(written));
    const scripted::Call call = scripted::lastCall();
    QCOMPARE(call.referencePath, QFile::encodeName(cie));
    QCOMPARE(call.devicePath, QFile::encodeName(pix));
    QCOMPARE(m_folders->tmpFiles(), QStringList());
}

void ProfileCreationTest::customIlluminant_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("count");
    QTest::addRow("D50 spectrum") << kD50Spectrum << 107;
    QTest::addRow("none") << "" << 0;
    QTest::addRow("missing file") << "/nonexistent/light.sp" << 0;
    QTest::addRow("malformed file") << "malformed" << 0;
}

void ProfileCreationTest::customIlluminant()
{
    QFETCH(QString, file);
    QFETCH(int, count);
    if (file == "malformed") {
        file = m_folders->root() + "/malformed.sp";
        QVERIFY(proftest::writeFile(file, "SPECT\nBEGIN_DATA_FORMAT\nSPEC_400\nBEGIN_DATA\nx\n"));
    }
    std::unique_ptr<pq_Job> job = makeJob({proftest::colorCheckerDescription()});
    QCOMPARE(create(*job, nullptr, 0, file), 0);
    QVERIFY(runToDone());
    const scripted::Call call = scripted::lastCall();
    QCOMPARE(call.hasIlluminant, count > 0);
    QCOMPARE(call.illuminant.size(), count);
    QCOMPARE(job->illuminantSpectrum() != nullptr, count > 0);
}

int main(int argc, char **argv)
{
    // Jobs hold pixmaps but draw nothing; the minimal platform needs no display.
    qputenv("QT_QPA_PLATFORM", "minimal");
    QGuiApplication app(argc, argv);
    ProfileCreationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_profile_creation.moc"
