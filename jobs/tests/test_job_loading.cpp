// Loading of a job's chart image and Capture One TIFF: the real worker on
// small files, and a scripted worker for the orderings of cancel, retry,
// target changes and the job's destruction.
#include "JobTestSupport.h"
#include "ImageFiles.h"

#include "jobs/pq_Job.h"
#include "jobs/pq_JobList.h"
#include "jobs/pq_JobLoading.h"
#include "jobs/pq_targetInfo.h"

#include "chart/Image.h"
#include "colour/Kirr_ColorCurve.h"

#include <QDomDocument>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QSemaphore>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>

namespace {

// What the scripted workers do; shared by the workers of one test.
struct Script
{
    // Without autoGo a worker waits, polling its cancel flag, until it takes
    // a permit of go or is cancelled.
    std::atomic<bool> autoGo{true};
    QSemaphore go;
    // A cancelled worker fails unless it ignores cancels: then it loads its
    // image all the same.
    std::atomic<bool> ignoreCancel{false};
    // A deaf worker does not even stop waiting for go when cancelled.
    std::atomic<bool> deaf{false};
    std::atomic<bool> fail{false};
    // One permit per worker that has emitted finished().
    QSemaphore ended;
    std::atomic<int> created{0};
    std::atomic<int> destroyed{0};
    QMutex mutex;
    QStringList paths;
    QList<QPointer<QThread>> threads;

    QStringList startedPaths()
    {
        QMutexLocker lock(&mutex);
        return paths;
    }
    bool allThreadsGone()
    {
        QMutexLocker lock(&mutex);
        for (const QPointer<QThread> &thread : qAsConst(threads))
            if (thread)
                return false;
        return true;
    }
};

class ScriptedWorker : public QObject
{
    Q_OBJECT

public:
    ScriptedWorker(Script *script, const pq_ImageLoadRequest &request)
        : m_script(script), m_request(request)
    {
        ++m_script->created;
        QMutexLocker lock(&m_script->mutex);
        m_script->paths.append(request.path);
    }
    ~ScriptedWorker() override { ++m_script->destroyed; }

public slots:
    void loadImage()
    {
        {
            QMutexLocker lock(&m_script->mutex);
            m_script->threads.append(QPointer<QThread>(QThread::currentThread()));
        }
        while (!m_script->autoGo && !m_script->go.tryAcquire(1, 2))
            if (m_cancel && !m_script->deaf)
                break;
        emit progress(0.5);
        bool loaded = false;
        if (!stopped() && !m_script->fail) {
            Image image;
            loaded = image.loadImage(m_request.path, m_request.normalizeTiff) == Image::imageLoaded;
            if (loaded)
                m_request.holder->swap(image);
        }
        emit success(loaded);
        emit finished();
        m_script->ended.release();
    }
    void requestCancel() { m_cancel = true; }

signals:
    void progress(double fraction);
    void success(bool loaded);
    void finished();

private:
    bool stopped() const { return m_cancel && !m_script->ignoreCancel; }

    Script *m_script;
    pq_ImageLoadRequest m_request;
    std::atomic<bool> m_cancel{false};
};

// Installs scripted workers for the life of the object.
class ScriptedWorkers
{
public:
    ScriptedWorkers()
    {
        m_previous = pq_setImageLoadWorkerFactory([this](const pq_ImageLoadRequest &request) {
            return new ScriptedWorker(&script, request);
        });
    }
    ~ScriptedWorkers() { pq_setImageLoadWorkerFactory(m_previous); }

    Script script;

private:
    pq_ImageLoadWorkerFactory m_previous;
};

// The job's signals in order, progress left out.
class SignalLog : public QObject
{
public:
    explicit SignalLog(pq_Job &job)
    {
        connect(&job, &pq_JobIF::chartImageLoading, this,
                [this](bool on) { lines << QStringLiteral("loading %1").arg(on); });
        connect(&job, &pq_JobIF::chartImageLoaded, this, [this](bool ok, const QString &missing) {
            lines << QStringLiteral("loaded %1 %2").arg(ok).arg(missing).trimmed();
        });
        connect(&job, &pq_JobIF::chartImageProgress, this, [this](double f) { progress << f; });
        connect(&job, &pq_JobIF::chartC1TifLoaded, this,
                [this](int code) { lines << QStringLiteral("c1 %1").arg(code); });
        connect(&job, &pq_JobIF::chartC1TifProgress, this, [this](double f) { c1Progress << f; });
    }
    int count(const QString &line) const { return lines.count(line); }

    QStringList lines;
    QList<double> progress;
    QList<double> c1Progress;
};

struct TiffFile
{
    int width = 60;
    int height = 40;
    QString make = QStringLiteral("Phase One");
    QString model = QStringLiteral("Phase One IQ180");
    bool transfer = true;
};

QString writeChartTiff(const QString &path, const TiffFile &file)
{
    TiffSpec spec;
    spec.width = file.width;
    spec.height = file.height;
    spec.bits = 16;
    spec.transfer = file.transfer;
    spec.make = file.make;
    spec.model = file.model;
    spec.value = [](int x, int y, int c) { return double((x * 997 + y * 331 + c * 9000) % 60000); };
    return writeTiff(path, spec) ? path : QString();
}

QString writeChartDng(const QString &path, int width = 64, int height = 48)
{
    const std::uint16_t rgb[3] = {9000, 20000, 30000};
    return writeDng(path, width, height, rgb, false) ? path : QString();
}

// A job with one ColorChecker description of the given name per entry.
void addTargets(pq_Job &job, const QStringList &names)
{
    for (const QString &name : names)
        job.addTargetInfo(jobtest::colorCheckerTarget(name));
}

// Waits until the job has ended the given number of chart loads and every load
// it started, and the scripted workers and their threads are gone.
bool settle(const SignalLog &log, int loads, Script *script = nullptr)
{
    const auto idle = [&] {
        const int ended = log.count("loading 0");
        const bool loadsEnded = ended >= loads && log.count("loading 1") == ended;
        return loadsEnded && (!script || (script->destroyed == script->created
                                          && script->allThreadsGone()));
    };
    for (int i = 0; i < 500 && !idle(); ++i)
        QTest::qWait(10);
    return idle();
}

}  // namespace

class TestJobLoading : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void takeOver_data();
    void takeOver();
    void profileNameKeptOnLaterLoads();
    void badChartFiles_data();
    void badChartFiles();
    void noTargetDescription();
    void profileKind_data();
    void profileKind();
    void embeddedProfile();
    void captureOneRawFilmCurve_data();
    void captureOneRawFilmCurve();
    void captureOneTif_data();
    void captureOneTif();
    void fiveTextConstructorLoads();
    void quickSuccessiveStarts();
    void tenStartsInARow();
    void successJustAfterCancel();
    void targetChangedDuringLoad();
    void receiverStartsLoad();
    void holderResetDuringLoadChangesNothing();
    void jobDeletedDuringLoad_data();
    void jobDeletedDuringLoad();
    void jobDeletedDuringRealLoad();
    void receiverDeletesJob();

private:
    QString m_dir;
};

void TestJobLoading::initTestCase()
{
    m_dir = jobtest::freshFolder("loading");
    QVERIFY(!writeChartTiff(m_dir + "/phase.tif", TiffFile()).isEmpty());
    TiffFile plain;
    plain.transfer = false;
    QVERIFY(!writeChartTiff(m_dir + "/plain.tif", plain).isEmpty());
    TiffFile wide;
    wide.width = 90;
    QVERIFY(!writeChartTiff(m_dir + "/wide.tif", wide).isEmpty());
    QVERIFY(!writeChartDng(m_dir + "/shot.dng").isEmpty());
}

void TestJobLoading::takeOver_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("jobName");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("extension");
    QTest::addRow("all loaded: joined tight")
        << "phase.tif" << "ColorChecker SG " << "" << "PhaseOneIQ180-ColorChecker SG"
        << "PhaseOneIQ180-" << "icc";
    QTest::addRow("not all loaded: blanks kept")
        << "plain.tif" << "ColorChecker SG " << "" << "Phase One IQ180 ColorChecker SG" << ""
        << "icc";
    QTest::addRow("job name instead of the label")
        << "phase.tif" << "ColorChecker SG" << "Studio" << "PhaseOneIQ180-Studio"
        << "PhaseOneIQ180-" << "icc";
    QTest::addRow("target name with a slash")
        << "phase.tif" << "IT8.7/2" << "" << "PhaseOneIQ180-IT8.7_2" << "PhaseOneIQ180-"
        << "icc";
    QTest::addRow("raw file: a DNG camera profile")
        << "shot.dng" << "ColorChecker" << "" << "Testmaker TM-1 ColorChecker" << "" << "dcp";
}

void TestJobLoading::takeOver()
{
    QFETCH(QString, file);
    QFETCH(QString, target);
    QFETCH(QString, jobName);
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    addTargets(job, {target});
    job.setJobName(jobName);
    SignalLog log(job);
    job.setChartImagePath(m_dir + "/" + file);
    QVERIFY(settle(log, 1));
    QCOMPARE(log.lines, QStringList({"loading 1", "loaded 1", "loading 0"}));
    QVERIFY(!log.progress.isEmpty());
    QCOMPARE(log.progress.last(), 1.0);
    QVERIFY(!job.chartRawImage().isNull());
    QVERIFY(!job.chartPixmap().isNull());
    QFETCH(QString, name);
    QFETCH(QString, prefix);
    QFETCH(QString, extension);
    QCOMPARE(job.profileName(), name);
    QCOMPARE(job.profileNamePrefix(), prefix);
    QCOMPARE(job.profileExtension(), extension);
    QCOMPARE(job.currentTargetInfo()->name, target);
}

void TestJobLoading::profileNameKeptOnLaterLoads()
{
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    addTargets(job, {"ColorChecker"});
    SignalLog log(job);
    job.setProfileName("My profile");
    job.setProfileNamePrefix("Mine");
    int loads = 0;
    for (const char *file : {"phase.tif", "shot.dng"}) {
        job.setChartImagePath(m_dir + "/" + file);
        QVERIFY(settle(log, ++loads));
        QCOMPARE(log.lines.mid(log.lines.size() - 2), QStringList({"loaded 1", "loading 0"}));
        QCOMPARE(job.profileName(), QString("My profile"));
        QCOMPARE(job.profileNamePrefix(), QString("Mine"));
    }
    QCOMPARE(job.profileExtension(), QString("dcp"));
}

void TestJobLoading::badChartFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("suffix");
    QTest::addRow("missing") << QByteArray() << "tif";
    QTest::addRow("truncated TIFF") << QByteArray("II*\0\x08\0\0\0\x0f\0\0\x01", 12) << "tif";
    QTest::addRow("hostile TIFF")
        << (QByteArray("II*\0\x08\0\0\0\xff\xff", 10) + QByteArray(4096, '\xee')) << "tif";
    QTest::addRow("not a raw file") << QByteArray(2048, 'x') << "nef";
}

void TestJobLoading::badChartFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, suffix);
    const QString path = m_dir + "/bad." + suffix;
    QFile::remove(path);
    if (!bytes.isEmpty())
        QVERIFY(jobtest::writeFile(path, bytes));
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    addTargets(job, {"ColorChecker"});
    SignalLog log(job);
    job.setChartImagePath(m_dir + "/phase.tif");
    QVERIFY(settle(log, 1));
    job.setProfileName("Before");
    job.setProfileExtension("dcp");
    job.setChartImagePath(path);
    QVERIFY(settle(log, 2));
    QCOMPARE(log.lines.mid(log.lines.size() - 3),
             QStringList({"loading 1", "loaded 0", "loading 0"}));
    QVERIFY(job.chartRawImage().isNull());
    QVERIFY(!job.isChartImageLoaded());
    QCOMPARE(job.profileName(), QString("Before"));
    QCOMPARE(job.profileExtension(), QString("dcp"));
}

void TestJobLoading::embeddedProfile()
{
    QFile profile(QStringLiteral("/usr/share/color/icc/colord/sRGB.icc"));
    QVERIFY(profile.open(QIODevice::ReadOnly));
    TiffSpec spec;
    spec.width = 60;
    spec.height = 40;
    spec.icc = profile.readAll();
    const QString path = m_dir + "/profiled.tif";
    QVERIFY(writeTiff(path, spec));
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    addTargets(job, {"ColorChecker"});
    SignalLog log(job);
    QVERIFY(job.chartImageIccData().isEmpty());
    job.setChartImagePath(path);
    QVERIFY(settle(log, 1));
    QCOMPARE(job.chartImageIccData(), spec.icc);
    // The next shot has none.
    job.setChartImagePath(m_dir + "/plain.tif");
    QVERIFY(settle(log, 2));
    QCOMPARE(log.lines.mid(log.lines.size() - 2), QStringList({"loaded 1", "loading 0"}));
    QVERIFY(job.chartImageIccData().isEmpty());
}

void TestJobLoading::profileKind_data()
{
    QTest::addColumn<QString>("shot");    // a shot of the target, not loaded
    QTest::addColumn<QString>("loaded");  // the chart image loaded
    QTest::addColumn<bool>("c1");
    QTest::addColumn<QString>("kind");
    QTest::addRow("no shot") << "" << "" << false << "DCP / ICC";
    QTest::addRow("no shot, film curve") << "" << "" << true << "C1 / ICC";
    QTest::addRow("raw shot") << "/shots/IMG_1.NEF" << "" << false << "DCP";
    QTest::addRow("raw shot, film curve") << "/shots/IMG_1.NEF" << "" << true << "C1";
    QTest::addRow("TIFF shot") << "/shots/scan.TIF" << "" << false << "ICC";
    QTest::addRow("JPEG shot") << "/shots/scan.jpg" << "" << true << "ICC";
    QTest::addRow("DNG loaded") << "" << "shot.dng" << false << "DCP";
    QTest::addRow("DNG loaded, film curve") << "" << "shot.dng" << true << "C1";
    QTest::addRow("TIFF loaded") << "" << "plain.tif" << false << "ICC";
    QTest::addRow("film-curve TIFF loaded") << "" << "phase.tif" << false << "C1";
}

// The kind the job's entry for the job screens shows as its profile type.
void TestJobLoading::profileKind()
{
    QFETCH(QString, shot);
    QFETCH(QString, loaded);
    QFETCH(bool, c1);
    QFETCH(QString, kind);
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    addTargets(job, {"ColorChecker"});
    job.setC1InsteadOfDCP(c1);
    if (!shot.isEmpty())
        job.targetInfos().first()->addShot(shot);
    if (!loaded.isEmpty()) {
        SignalLog log(job);
        job.setChartImagePath(m_dir + "/" + loaded);
        QVERIFY(settle(log, 1));
        QVERIFY(!job.chartRawImage().isNull());
    }
    QCOMPARE(job.profileKindText(), kind);
    QDomDocument document;
    QVERIFY(document.setContent(job.toQmlXml()));
    QCOMPARE(document.documentElement().firstChildElement("profileType").text(), kind);
}

void TestJobLoading::noTargetDescription()
{
    ScriptedWorkers workers;
    Script &script = workers.script;
    int columns = -1;
    int rows = -1;
    pq_setImageLoadWorkerFactory([&](const pq_ImageLoadRequest &request) {
        columns = request.patchColumns;
        rows = request.patchRows;
        return new ScriptedWorker(&script, request);
    });
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    QVERIFY(!job.currentTargetInfo());
    SignalLog log(job);
    job.setChartImagePath(m_dir + "/phase.tif");
    QVERIFY(settle(log, 1, &script));
    QCOMPARE(columns, 0);
    QCOMPARE(rows, 0);
    QCOMPARE(log.lines, QStringList({"loading 1", "loaded 1", "loading 0"}));
    QCOMPARE(job.profileName(), QString("PhaseOneIQ180"));
    QCOMPARE(job.profileNamePrefix(), QString("PhaseOneIQ180"));
}

void TestJobLoading::captureOneRawFilmCurve_data()
{
    QTest::addColumn<QString>("curves");  // what the film-curves folder holds
    QTest::addColumn<bool>("found");
    QTest::addRow("no curve file") << "none" << false;
    QTest::addRow("curve file, other case") << "curve" << true;
    QTest::addRow("empty curve file") << "empty" << false;
    QTest::addRow("folder cannot be made") << "blocked" << false;
}

void TestJobLoading::captureOneRawFilmCurve()
{
    QFETCH(QString, curves);
    QFETCH(bool, found);
    QString folder = jobtest::freshFolder("curves");
    Kirr_ColorCurve saved;
    saved.setRange(0, 1, 0, 1, 0);
    saved.setPoint(0, 0, 0);
    saved.setPoint(0.25, 0.6, 0);
    saved.setPoint(1, 1, 0);
    const QString curveFile = folder + "/testmakertm-1.xml";
    if (curves == "curve")
        QVERIFY(saved.save(curveFile));
    if (curves == "empty")
        QVERIFY(jobtest::writeFile(curveFile, QByteArray()));
    if (curves == "blocked") {
        QVERIFY(jobtest::writeFile(folder + "/file", "x"));
        folder += "/file/curves";
    }
    pq_Job job(folder, jobtest::tempFolder());
    addTargets(job, {"ColorChecker"});
    job.setC1InsteadOfDCP(true);
    SignalLog log(job);
    job.setChartImagePath(m_dir + "/shot.dng");
    QVERIFY(settle(log, 1));
    QCOMPARE(log.lines.at(1), found ? QString("loaded 1") : QString("loaded 1 TestmakerTM-1"));
    QCOMPARE(job.profileName(), QString("TestmakerTM-1-ColorChecker"));
    QCOMPARE(job.profileNamePrefix(), QString("TestmakerTM-1-"));
    QCOMPARE(job.profileExtension(), QString("icc"));
    QCOMPARE(job.toneCurveLut() != nullptr, found);
    QVERIFY(job.toneCurveSpline());
    if (found) {
        Kirr_ColorCurve expected(curveFile);
        expected.swapAxes(0);
        const Kirr_Spline1 spline = expected.spline(0);
        QCOMPARE(job.toneCurveSpline()->x(1), spline.x(1));
        QCOMPARE(job.toneCurveSpline()->y(1), spline.y(1));
        QVERIFY(job.toneCurveSpline()->x(1) > job.toneCurveSpline()->y(1));
    }
}

void TestJobLoading::captureOneTif_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("transfer");
    QTest::addColumn<int>("code");
    // The chart image is 200 x 100.
    QTest::addRow("taken over, 0.5 %% wider") << 201 << "Phase One IQ180" << true << 0;
    QTest::addRow("another camera") << 200 << "Phase One IQ3" << true << 3;
    QTest::addRow("no transfer function") << 200 << "Phase One IQ180" << false << 2;
    QTest::addRow("2 %% wider") << 204 << "Phase One IQ180" << true << 4;
    QTest::addRow("missing") << 0 << "" << true << 1;
}

void TestJobLoading::captureOneTif()
{
    QFETCH(int, width);
    QFETCH(QString, model);
    QFETCH(bool, transfer);
    QFETCH(int, code);
    TiffFile chart;
    chart.width = 200;
    chart.height = 100;
    QVERIFY(!writeChartTiff(m_dir + "/c1chart.tif", chart).isEmpty());
    const QString tifPath = m_dir + "/c1.tif";
    QFile::remove(tifPath);
    if (width > 0) {
        TiffFile tif;
        tif.width = width;
        tif.height = 100;
        tif.model = model;
        tif.transfer = transfer;
        QVERIFY(!writeChartTiff(tifPath, tif).isEmpty());
    }
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    addTargets(job, {"ColorChecker"});
    SignalLog log(job);
    job.setChartImagePath(m_dir + "/c1chart.tif");
    QVERIFY(settle(log, 1));
    job.setC1TifPath(tifPath);
    QTRY_VERIFY(log.lines.last().startsWith("c1"));
    QCOMPARE(log.lines.last(), QString("c1 %1").arg(code));
    QCOMPARE(log.c1Progress.first(), 0.0);
    QCOMPARE(job.c1TifRawImage().width(), code == 0 ? width : 0);
}

void TestJobLoading::fiveTextConstructorLoads()
{
    {
        pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder(), "", m_dir + "/phase.tif",
                   "");
        QSignalSpy loaded(&job, &pq_JobIF::chartImageLoaded);
        QVERIFY(loaded.wait());
        QCOMPARE(loaded.at(0).at(0).toBool(), true);
        QCOMPARE(job.profileName(), QString("PhaseOneIQ180"));
    }
    pq_JobList list(jobtest::freshFolder("no-jobs"), jobtest::filmCurvesFolder(),
                    jobtest::tempFolder());
    list.addJob("Named", m_dir + "/shot.dng", "");
    pq_JobIF *job = list.jobAt(0);
    QVERIFY(job);
    QTRY_VERIFY(!job->chartRawImage().isNull());
    QCOMPARE(job->profileName(), QString("Named"));
    QCOMPARE(job->profileExtension(), QString("dcp"));
}

void TestJobLoading::quickSuccessiveStarts()
{
    ScriptedWorkers workers;
    Script &script = workers.script;
    script.autoGo = false;
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    addTargets(job, {"ColorChecker"});
    SignalLog log(job);
    job.setChartImagePath(m_dir + "/phase.tif");
    job.setChartImagePath(m_dir + "/wide.tif");
    script.autoGo = true;
    QVERIFY(settle(log, 2, &script));
    QCOMPARE(script.startedPaths(), QStringList({m_dir + "/phase.tif", m_dir + "/wide.tif"}));
    // The replaced load is not reported as failed.
    QCOMPARE(log.lines, QStringList({"loading 1", "loading 0", "loading 1", "loaded 1",
                                     "loading 0"}));
    QCOMPARE(job.chartRawImage().width(), 90);
}

void TestJobLoading::tenStartsInARow()
{
    ScriptedWorkers workers;
    Script &script = workers.script;
    script.autoGo = false;
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    addTargets(job, {"ColorChecker"});
    SignalLog log(job);
    for (int i = 0; i < 10; ++i)
        job.setChartImagePath(m_dir + (i < 9 ? "/phase.tif" : "/wide.tif"));
    script.autoGo = true;
    QVERIFY(settle(log, 2, &script));
    QCOMPARE(script.created.load(), 2);
    QCOMPARE(log.count("loading 1"), 2);
    QCOMPARE(log.lines.mid(log.lines.size() - 2), QStringList({"loaded 1", "loading 0"}));
    QCOMPARE(job.chartRawImage().width(), 90);
}

void TestJobLoading::successJustAfterCancel()
{
    ScriptedWorkers workers;
    Script &script = workers.script;
    script.autoGo = false;
    script.ignoreCancel = true;
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    addTargets(job, {"ColorChecker"});
    SignalLog log(job);
    job.setChartImagePath(m_dir + "/phase.tif");
    // The first worker loads its image although it is asked to cancel; the
    // image is dropped without a word.
    job.setChartImagePath(m_dir + "/plain.tif");
    QTRY_COMPARE(log.count("loading 0"), 1);
    QCOMPARE(log.lines, QStringList({"loading 1", "loading 0"}));
    QVERIFY(job.chartRawImage().isNull());
    QVERIFY(job.profileName().isEmpty());
    // The retry's worker fails: the old shot does not stay under the new path.
    script.fail = true;
    script.go.release();
    QVERIFY(settle(log, 2, &script));
    QCOMPARE(log.lines, QStringList({"loading 1", "loading 0", "loading 1", "loaded 0",
                                     "loading 0"}));
    QCOMPARE(script.startedPaths(), QStringList({m_dir + "/phase.tif", m_dir + "/plain.tif"}));
    QVERIFY(job.chartRawImage().isNull());
    QVERIFY(job.profileName().isEmpty());
    QCOMPARE(job.profileExtension(), QString("icc"));
}

void TestJobLoading::targetChangedDuringLoad()
{
    ScriptedWorkers workers;
    Script &script = workers.script;
    script.autoGo = false;
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    addTargets(job, {"First", "Second"});
    SignalLog log(job);
    job.setChartImagePath(m_dir + "/phase.tif");
    job.setCurrentTargetIndex(1);
    script.go.release();
    QVERIFY(settle(log, 1, &script));
    // Dropped for the other target, without a failure.
    QCOMPARE(log.lines, QStringList({"loading 1", "loading 0"}));
    QVERIFY(job.chartRawImage().isNull());
    QVERIFY(job.profileName().isEmpty());
    // Back on its target, the shot loads again.
    script.autoGo = true;
    job.setCurrentTargetIndex(0);
    QVERIFY(settle(log, 2, &script));
    QCOMPARE(log.lines.mid(2), QStringList({"loading 1", "loaded 1", "loading 0"}));
    QCOMPARE(job.chartImagePath(), m_dir + "/phase.tif");
    QCOMPARE(job.chartRawImage().width(), 60);
    QCOMPARE(script.startedPaths(), QStringList({m_dir + "/phase.tif", m_dir + "/phase.tif"}));
    // Loaded once, it is not loaded again on later switches.
    job.setCurrentTargetIndex(1);
    job.setCurrentTargetIndex(0);
    QCOMPARE(script.created.load(), 2);
}

void TestJobLoading::receiverStartsLoad()
{
    ScriptedWorkers workers;
    Script &script = workers.script;
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    addTargets(job, {"ColorChecker"});
    SignalLog log(job);
    bool first = true;
    connect(&job, &pq_JobIF::chartImageLoaded, &job, [&] {
        if (!first)
            return;
        first = false;
        job.setChartImagePath(m_dir + "/wide.tif");
    });
    connect(&job, &pq_JobIF::chartImageLoading, &job, [&](bool on) {
        if (on)
            job.resetChartImageHolder();
    });
    job.setChartImagePath(m_dir + "/phase.tif");
    QVERIFY(settle(log, 2, &script));
    QCOMPARE(log.count("loaded 1"), 2);
    QCOMPARE(script.created.load(), 2);
    QCOMPARE(job.chartRawImage().width(), 90);
}

void TestJobLoading::holderResetDuringLoadChangesNothing()
{
    ScriptedWorkers workers;
    Script &script = workers.script;
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    addTargets(job, {"ColorChecker"});
    SignalLog log(job);
    job.setChartImagePath(m_dir + "/phase.tif");
    // The worker has filled the holder; its signals still wait in the queue.
    QVERIFY(script.ended.tryAcquire(1, 5000));
    job.resetChartImageHolder();
    QVERIFY(settle(log, 1, &script));
    QCOMPARE(job.chartRawImage().width(), 60);
    job.setC1TifPath(m_dir + "/phase.tif");
    QVERIFY(script.ended.tryAcquire(1, 5000));
    job.resetC1TifHolder();
    QTRY_COMPARE(log.count("c1 0"), 1);
    QVERIFY(settle(log, 1, &script));
    QCOMPARE(job.c1TifRawImage().width(), 60);
}

void TestJobLoading::jobDeletedDuringLoad_data()
{
    QTest::addColumn<QString>("when");
    QTest::addRow("while loading") << "loading";
    QTest::addRow("with the result on its way") << "result";
    QTest::addRow("with a result that ignores the cancel") << "ignores";
    QTest::addRow("with a retry pending") << "retry";
    QTest::addRow("after the worker's end") << "ended";
    QTest::addRow("with a worker deaf to the cancel") << "deaf";
}

void TestJobLoading::jobDeletedDuringLoad()
{
    QFETCH(QString, when);
    ScriptedWorkers workers;
    Script &script = workers.script;
    script.autoGo = when == "result" || when == "ended";
    script.ignoreCancel = when == "ignores" || when == "deaf";
    script.deaf = when == "deaf";
    auto job = std::make_unique<pq_Job>(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    addTargets(*job, {"ColorChecker"});
    SignalLog log(*job);
    job->setChartImagePath(m_dir + "/phase.tif");
    job->setC1TifPath(m_dir + "/phase.tif");
    if (when == "retry")
        job->setChartImagePath(m_dir + "/wide.tif");
    if (when == "result")
        QVERIFY(script.ended.tryAcquire(2, 5000));
    if (when == "ended") {
        QTRY_COMPARE(log.count("loading 0"), 1);
        QTRY_VERIFY(log.lines.join(',').contains("c1 "));
    }
    if (when == "ignores")
        script.go.release(2);
    const int before = log.lines.size() + log.c1Progress.size() + log.progress.size();
    if (when == "deaf")
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("did not stop when asked; it ends on its own"));
    job.reset();
    // The job is gone while its workers still wait: they were left to end on
    // their own, and load into holders of their own.
    if (when == "deaf") {
        QCOMPARE(script.destroyed.load(), 0);
        script.go.release(2);
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QCOMPARE(log.lines.size() + log.c1Progress.size() + log.progress.size(), before);
    QTRY_COMPARE(script.destroyed.load(), script.created.load());
    QTRY_VERIFY(script.allThreadsGone());
}

void TestJobLoading::jobDeletedDuringRealLoad()
{
    const QString big = writeChartDng(m_dir + "/big.dng", 1600, 1200);
    QVERIFY(!big.isEmpty());
    for (int round = 0; round < 3; ++round) {
        auto job = std::make_unique<pq_Job>(jobtest::filmCurvesFolder(), jobtest::tempFolder());
        QSignalSpy progress(job.get(), &pq_JobIF::chartImageProgress);
        job->setChartImagePath(big);
        if (round > 0)
            QVERIFY(progress.wait());
        if (round > 1)
            job->setChartImagePath(m_dir + "/phase.tif");
        job.reset();
        QCoreApplication::processEvents();
    }
}

void TestJobLoading::receiverDeletesJob()
{
    ScriptedWorkers workers;
    Script &script = workers.script;
    for (const bool onProgress : {false, true}) {
        QPointer<pq_Job> job = new pq_Job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
        int loaded = 0;
        connect(job.data(), &pq_JobIF::chartImageLoaded, [&] { ++loaded; });
        if (onProgress)
            connect(job.data(), &pq_JobIF::chartImageProgress, [&](double f) {
                if (f == 1.0)
                    delete job.data();
            });
        else
            connect(job.data(), &pq_JobIF::chartImageLoaded, [&] { delete job.data(); });
        job->setChartImagePath(m_dir + "/phase.tif");
        QTRY_VERIFY(job.isNull());
        QCOMPARE(loaded, onProgress ? 0 : 1);
    }
    QTRY_COMPARE(script.destroyed.load(), script.created.load());
    QTRY_VERIFY(script.allThreadsGone());
}

static RegisterSuite<TestJobLoading> registerJobLoading;
#include "test_job_loading.moc"
