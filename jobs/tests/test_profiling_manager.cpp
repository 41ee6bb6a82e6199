// The profiling run manager and its thread, driven through a scripted engine.
#include "ProfilingTestSupport.h"
#include "ScriptedEngine.h"

#include "jobs/MyDoneEvent.h"
#include "jobs/MyTextEvent.h"
#include "jobs/pq_ProfilingThreadMgr.h"
#include "jobs/pq_engineFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <cstring>
#include <memory>

namespace {

pq_ProfilingThreadMgr *manager()
{
    return pq_ProfilingThreadMgr::instance();
}

}  // namespace

class ProfilingManagerTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<proftest::Folders> m_folders;
    QString m_out;

    // The engine files of a profile file name, written into the temporary
    // folder, and one queued run of them.
    bool queueRun(const QString &profileFile, const QString &outFolder = QString());
    QString tmpFile(const QString &name) const { return m_folders->tmp() + "/" + name; }

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void refusalsWhileRunning();
    void refusalsWhileIdle_data();
    void refusalsWhileIdle();
    void progressFractions();
    void successfulRunDeletesItsFiles();
    void endings_data();
    void endings();
    void passWithoutRun();
    void abortWhileIdleIsForgotten();
    void newRunFromDoneReceiver();
    void everyValueIsCopied();
    void pathsAsFileSystemBytes();
    void filesOutsideTheTemporaryFolderStay();
    void removeTemporaries_data();
    void removeTemporaries();
    void customEventTypes();
};

bool ProfilingManagerTest::queueRun(const QString &profileFile, const QString &outFolder)
{
    const QString base = pq_engineFileBase(profileFile);
    if (!proftest::writeFile(tmpFile(base + ".cie"), "reference")
        || !proftest::writeFile(tmpFile(base + ".pix"), "device"))
        return false;
    const QString out = (outFolder.isEmpty() ? m_out : outFolder) + "/" + profileFile;
    const calculation_settings settings{0, 0, 1, 0, 0, 0.0f, 0};
    return manager()->init(1)
        && manager()->setJob(0, QFile::encodeName(tmpFile(base + ".cie")).constData(),
                             QFile::encodeName(tmpFile(base + ".pix")).constData(),
                             QFile::encodeName(out).constData(), 0, 0, 0, 0, 0, 0, 0, -1,
                             "Camera", nullptr, nullptr, nullptr, nullptr, &settings,
                             QFile::encodeName(m_folders->tmp()).constData());
}

void ProfilingManagerTest::initTestCase()
{
    m_folders = std::make_unique<proftest::Folders>();
    QVERIFY(m_folders->isValid());
    m_out = m_folders->root() + "/profiles";
    QVERIFY(QDir().mkpath(m_out));
}

void ProfilingManagerTest::init()
{
    m_folders->clearTmp();
    scripted::install(scripted::Script());
}

void ProfilingManagerTest::cleanup()
{
    // A failed test may leave a pass running: let it end.
    scripted::release();
    QTRY_VERIFY_WITH_TIMEOUT(!manager()->isRunning(), 60000);
    QCoreApplication::processEvents();
}

void ProfilingManagerTest::refusalsWhileRunning()
{
    scripted::Script script;
    script.hold = true;
    scripted::install(script);
    proftest::RunRecorder recorder;
    QVERIFY(queueRun("Camera.icc"));
    manager()->start();
    QVERIFY(manager()->isRunning());
    QVERIFY(scripted::waitUntilHolding());

    QVERIFY(!manager()->init(1));
    QVERIFY(!manager()->setJob(0, "a.cie", "a.pix", "a.icc", 0, 0, 0, 0, 0, 0, 0, -1, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    QVERIFY(!manager()->setEngineEntry(nullptr));
    manager()->start();

    scripted::release();
    QVERIFY(recorder.waitForEnd());
    QCOMPARE(recorder.done.count(), 1);
    QCOMPARE(scripted::callCount(), 1);
    QCOMPARE(scripted::lastCall().outputPath, QFile::encodeName(m_out + "/Camera.icc"));
    QVERIFY(!manager()->isRunning());
}

void ProfilingManagerTest::refusalsWhileIdle_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("nullPath");  // 0 none, 1 reference, 2 device, 3 output
    QTest::addColumn<bool>("accepted");
    QTest::addRow("index 0 of 1") << 1 << 0 << 0 << true;
    QTest::addRow("index 1 of 1") << 1 << 1 << 0 << false;
    QTest::addRow("negative index") << 1 << -1 << 0 << false;
    QTest::addRow("no runs") << 0 << 0 << 0 << false;
    QTest::addRow("no reference path") << 1 << 0 << 1 << false;
    QTest::addRow("no device path") << 1 << 0 << 2 << false;
    QTest::addRow("no output path") << 1 << 0 << 3 << false;
    QTest::addRow("last of 3") << 3 << 2 << 0 << true;
}

void ProfilingManagerTest::refusalsWhileIdle()
{
    QFETCH(int, count);
    QFETCH(int, index);
    QFETCH(int, nullPath);
    QFETCH(bool, accepted);
    scripted::Script script;
    script.result = -1;  // writes nothing
    scripted::install(script);
    QVERIFY(manager()->init(count));
    QVERIFY(!manager()->init(-1));
    QVERIFY(!manager()->init(MyThread::MaxRuns + 1));
    const char *paths[3] = {"r.cie", "d.pix", "o.icc"};
    if (nullPath > 0)
        paths[nullPath - 1] = nullptr;
    QCOMPARE(manager()->setJob(index, paths[0], paths[1], paths[2], 0, 0, 0, 0, 0, 0, 0, -1,
                               nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
             accepted);

    // A refused init left the runs as they were.
    proftest::RunRecorder recorder;
    manager()->start();
    QVERIFY(recorder.waitForEnd());
    QCOMPARE(scripted::callCount(), accepted ? 1 : 0);
    if (accepted)
        QCOMPARE(scripted::lastCall().outputPath, QByteArray("o.icc"));
}

void ProfilingManagerTest::progressFractions()
{
    scripted::Script script;
    script.progress = {{37, 100}, {375, 1000}, {0, 0}, {5, -1}, {150, 100}, {-5, 100}, {1, 3}};
    scripted::install(script);
    proftest::RunRecorder recorder;
    QVERIFY(queueRun("Camera.icc"));
    manager()->start();
    QVERIFY(recorder.waitForEnd());
    QList<double> fractions;
    for (const QList<QVariant> &arguments : qAsConst(recorder.progress))
        fractions.append(arguments.at(0).toDouble());
    QCOMPARE(fractions, (QList<double>{0.37, 0.37, 1.0, 0.0, 0.33}));
    QCOMPARE(recorder.done.count(), 1);
}

void ProfilingManagerTest::successfulRunDeletesItsFiles()
{
    proftest::RunRecorder recorder;
    QVERIFY(queueRun("Camera.icc"));
    QVERIFY(proftest::writeFile(tmpFile("Other.pix"), "kept"));
    manager()->start();
    QVERIFY(recorder.waitForEnd());
    QCOMPARE(recorder.done.count(), 1);
    const QString path = recorder.done.at(0).at(0).toString();
    QCOMPARE(path, m_out + "/Camera.icc");
    QVERIFY(QFileInfo::exists(path));
    // The scripted engine wrote CamData.CIE and Camera_out.cie.
    QCOMPARE(m_folders->tmpFiles(), QStringList{"Other.pix"});
    QCOMPARE(recorder.events, (QVector<int>{1003, 1001}));
}

void ProfilingManagerTest::endings_data()
{
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("hold");
    QTest::addColumn<bool>("pollAbort");
    QTest::addColumn<int>("abortAt");  // 0 never, 1 while the engine holds, 2 right after start
    QTest::addColumn<QString>("ending");
    QTest::addRow("done") << 0 << false << true << 0 << "done";
    QTest::addRow("file error") << -1 << false << true << 0 << "error";
    QTest::addRow("dcp write error") << 1002 << false << true << 0 << "error";
    QTest::addRow("abort during the computation") << 0 << true << true << 1 << "aborted";
    QTest::addRow("engine that ignores the abort") << 0 << true << false << 1 << "aborted";
    QTest::addRow("failing engine that ignores the abort") << -1 << true << false << 1
                                                           << "aborted";
    QTest::addRow("abort between start and run") << 0 << true << false << 2 << "aborted";
}

void ProfilingManagerTest::endings()
{
    QFETCH(int, result);
    QFETCH(bool, hold);
    QFETCH(bool, pollAbort);
    QFETCH(int, abortAt);
    QFETCH(QString, ending);
    scripted::Script script;
    script.result = result;
    script.hold = hold;
    script.pollAbort = pollAbort;
    script.progress = {{1, 2}};
    scripted::install(script);
    proftest::RunRecorder recorder;
    QVERIFY(queueRun("Camera.icc"));
    manager()->start();
    if (abortAt == 2) {
        manager()->abort();
        QTest::qWait(10);
        scripted::release();
    } else if (abortAt == 1) {
        QVERIFY(scripted::waitUntilHolding());
        manager()->abort();
        if (!pollAbort) {
            QTest::qWait(10);
            scripted::release();
        }
    } else if (hold) {
        scripted::release();
    }
    QVERIFY(recorder.waitForEnd());

    QCOMPARE(recorder.endings(), 1);
    QCOMPARE(recorder.done.count(), ending == "done" ? 1 : 0);
    QCOMPARE(recorder.error.count(), ending == "error" ? 1 : 0);
    QCOMPARE(recorder.aborted.count(), ending == "aborted" ? 1 : 0);
    if (ending == "error")
        QCOMPARE(recorder.error.at(0).at(0).toInt(), result);
    // Every ending leaves the temporary folder clean.
    QCOMPARE(m_folders->tmpFiles(), QStringList());
    // One end event, last, and a text event for each executed run.
    QVERIFY(!recorder.events.isEmpty());
    QCOMPARE(recorder.events.last(), ending == "aborted" ? 1002 : 1001);
    QCOMPARE(recorder.events.count(1003), scripted::callCount());
    QCOMPARE(recorder.events.count(1001) + recorder.events.count(1002), 1);
}

void ProfilingManagerTest::passWithoutRun()
{
    proftest::RunRecorder recorder;
    QVERIFY(manager()->init(2));
    manager()->start();
    QVERIFY(recorder.waitForEnd());
    QCOMPARE(recorder.done.count(), 0);
    QCOMPARE(recorder.error.count(), 1);
    QCOMPARE(recorder.error.at(0).at(0).toInt(), int(pq_ProfilingThreadMgrIF::NoRunExecuted));
    QCOMPARE(recorder.events, QVector<int>{1001});
    QCOMPARE(scripted::callCount(), 0);
}

void ProfilingManagerTest::abortWhileIdleIsForgotten()
{
    manager()->abort();
    proftest::RunRecorder recorder;
    QVERIFY(queueRun("Camera.icc"));
    manager()->start();
    QVERIFY(recorder.waitForEnd());
    QCOMPARE(recorder.done.count(), 1);
    QCOMPARE(recorder.aborted.count(), 0);
}

void ProfilingManagerTest::newRunFromDoneReceiver()
{
    proftest::RunRecorder recorder;
    bool accepted = false;
    bool runningInReceiver = true;
    int received = 0;
    const QMetaObject::Connection connection =
        connect(manager(), &pq_ProfilingThreadMgrIF::signalProfileCreationDone, this, [&] {
            if (++received > 1)
                return;
            runningInReceiver = manager()->isRunning();
            accepted = queueRun("Second.icc");
            manager()->start();
        });
    QVERIFY(queueRun("First.icc"));
    manager()->start();
    QTRY_COMPARE_WITH_TIMEOUT(recorder.done.count(), 2, 60000);
    disconnect(connection);
    QVERIFY(!runningInReceiver);
    QVERIFY(accepted);
    QCOMPARE(recorder.done.at(1).at(0).toString(), m_out + "/Second.icc");
    QCOMPARE(scripted::callCount(), 2);
    QCOMPARE(m_folders->tmpFiles(), QStringList());
}

void ProfilingManagerTest::everyValueIsCopied()
{
    // Every buffer handed to setJob is freed before the run starts; the
    // address sanitizer reports any read of them.
    auto text = [](const char *value) {
        char *copy = new char[std::strlen(value) + 1];
        std::strcpy(copy, value);
        return copy;
    };
    char *reference = text("/nowhere/r.cie");
    char *device = text("/nowhere/d.pix");
    char *output = text("/nowhere/o.icc");
    char *model = text("Model X");
    char *folder = text("/nowhere/tmp");
    const float samples[3] = {1.0f, 2.0f, 3.0f};
    auto *spectrum = new SpectrumArray(samples, 3, 400, 10);
    auto *overrides = new expert_overrides{};
    overrides->enable = 1;
    overrides->type = 4;
    overrides->white = 200;
    const quint16 curve[2] = {7, 65000};
    auto *transfer = new TransferFunction(2, curve, curve);
    auto *offsets = new target_offsets{};
    offsets->count = 2;
    offsets->rows[1][1] = 24;
    auto *settings = new calculation_settings{1, 1, 3, 4, 5, 0.5f, 1};

    QVERIFY(manager()->init(1));
    QVERIFY(manager()->setJob(0, reference, device, output, 1, 2, 3, 4, 5, 6, 7, 3, model,
                              spectrum, overrides, transfer, offsets, settings, folder));
    for (char *bytes : {reference, device, output, model, folder}) {
        std::memset(bytes, 'x', std::strlen(bytes));
        delete[] bytes;
    }
    delete spectrum;
    delete overrides;
    delete transfer;
    delete offsets;
    delete settings;

    scripted::Script script;
    script.result = -1;
    script.writeTemporaries = false;
    scripted::install(script);
    proftest::RunRecorder recorder;
    manager()->start();
    QVERIFY(recorder.waitForEnd());
    const scripted::Call call = scripted::lastCall();
    QCOMPARE(call.referencePath, QByteArray("/nowhere/r.cie"));
    QCOMPARE(call.devicePath, QByteArray("/nowhere/d.pix"));
    QCOMPARE(call.outputPath, QByteArray("/nowhere/o.icc"));
    for (int i = 0; i < 7; ++i)
        QCOMPARE(int(call.flags[i]), i + 1);
    QCOMPARE(call.deltaEFormula, 3);
    QCOMPARE(call.cameraModel, QByteArray("Model X"));
    QVERIFY(call.hasIlluminant);
    QCOMPARE(call.illuminant, (QVector<float>{1.0f, 2.0f, 3.0f}));
    QCOMPARE(call.illuminantStart, 400u);
    QCOMPARE(call.illuminantStep, 10u);
    QVERIFY(call.hasOverrides);
    QCOMPARE(int(call.overrides.enable), 1);
    QCOMPARE(call.overrides.type, 4);
    QCOMPARE(call.overrides.custom_order, 0);  // overwritten whole, not merged
    QCOMPARE(call.overrides.white, 200);
    QCOMPARE(call.transferCount, 2);
    QCOMPARE(call.transferEntries, 2);
    QCOMPARE(call.transferCurves.at(1), (QVector<uint16_t>{7, 65000}));
    QVERIFY(call.progressGiven);
    QVERIFY(call.abortGiven);
    QVERIFY(call.hasOffsets);
    QCOMPARE(call.offsets.count, 2);
    QCOMPARE(call.offsets.rows[1][1], 24);
    QVERIFY(call.hasSettings);
    QCOMPARE(call.settings.calculation_mode, 3);
    QCOMPARE(call.settings.value, 0.5f);
    QCOMPARE(call.tempFolder, QByteArray("/nowhere/tmp"));

    // Optional values left out stay out.
    QVERIFY(manager()->init(1));
    QVERIFY(manager()->setJob(0, "r", "d", "o", 0, 0, 0, 0, 0, 0, 0, -1, nullptr, nullptr,
                              nullptr, nullptr, nullptr, nullptr, nullptr));
    proftest::RunRecorder second;
    manager()->start();
    QVERIFY(second.waitForEnd());
    const scripted::Call bare = scripted::lastCall();
    QVERIFY(bare.cameraModelNull);
    QVERIFY(!bare.hasIlluminant);
    QVERIFY(!bare.hasOverrides);
    QCOMPARE(bare.transferCount, 0);
    QCOMPARE(bare.transferEntries, 0);
    QVERIFY(!bare.hasOffsets);
    QVERIFY(!bare.hasSettings);
    QVERIFY(bare.tempFolderNull);
    QCOMPARE(bare.deltaEFormula, -1);
}

void ProfilingManagerTest::pathsAsFileSystemBytes()
{
    const QString folder = m_folders->root() + "/Profilé Ж";
    QVERIFY(QDir().mkpath(folder));
    proftest::RunRecorder recorder;
    QVERIFY(queueRun("Camé Ж.icc", folder));
    manager()->start();
    QVERIFY(recorder.waitForEnd());
    QCOMPARE(recorder.done.count(), 1);
    const QString path = recorder.done.at(0).at(0).toString();
    QCOMPARE(path, folder + "/Camé Ж.icc");
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(scripted::lastCall().outputPath, QFile::encodeName(path));
    QCOMPARE(m_folders->tmpFiles(), QStringList());
}

void ProfilingManagerTest::filesOutsideTheTemporaryFolderStay()
{
    const QString reference = m_folders->root() + "/mine.cie";
    const QString device = m_folders->root() + "/mine.pix";
    QVERIFY(proftest::writeFile(reference, "reference"));
    QVERIFY(proftest::writeFile(device, "device"));
    QVERIFY(manager()->init(1));
    QVERIFY(manager()->setJob(0, QFile::encodeName(reference).constData(),
                              QFile::encodeName(device).constData(),
                              QFile::encodeName(m_out + "/mine.icc").constData(), 0, 0, 0, 0, 0,
                              0, 0, -1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              QFile::encodeName(m_folders->tmp()).constData()));
    proftest::RunRecorder recorder;
    manager()->start();
    QVERIFY(recorder.waitForEnd());
    QCOMPARE(recorder.done.count(), 1);
    QVERIFY(QFileInfo::exists(reference));
    QVERIFY(QFileInfo::exists(device));
    QCOMPARE(m_folders->tmpFiles(), QStringList());
}

void ProfilingManagerTest::removeTemporaries_data()
{
    QTest::addColumn<QString>("profilePath");
    QTest::addColumn<QStringList>("kept");
    QTest::addRow("Cam.icc.icc") << "/p/Cam.icc.icc"
                                 << QStringList{"Cam.icc.pix", "Camera.ICC.cie", "Camera.cie"};
    QTest::addRow("no folder") << "Cam.dcp"
                               << QStringList{"Cam.icc.pix", "Camera.ICC.cie", "Camera.cie"};
    QTest::addRow("upper-case extension stays")
        << "/p/Camera.ICC" << QStringList{"Cam.cie", "Cam.icc.pix", "Cam.pix", "Cam_out.cie",
                                          "Camera.cie"};
    QTest::addRow("empty path") << ""
                                << QStringList{"Cam.cie", "Cam.icc.pix", "Cam.pix",
                                               "Cam_out.cie", "Camera.ICC.cie", "Camera.cie"};
}

void ProfilingManagerTest::removeTemporaries()
{
    QFETCH(QString, profilePath);
    QFETCH(QStringList, kept);
    for (const char *name : {"Cam.pix", "Cam.cie", "Cam_out.cie", "Cam.icc.pix",
                                "CamData.CIE", "Camera.ICC.cie", "Camera.cie"})
        QVERIFY(proftest::writeFile(tmpFile(QString::fromLatin1(name)), "x"));
    manager()->removeTemporaries(profilePath);
    QStringList sorted = kept;
    sorted.sort();
    QCOMPARE(m_folders->tmpFiles(), sorted);
}

void ProfilingManagerTest::customEventTypes()
{
    proftest::RunRecorder recorder;
    {
        proftest::MessageCapture capture;
        MyTextEvent text("/p/Camera.icc");
        QCoreApplication::sendEvent(manager(), &text);
        QCOMPARE(capture.messages(), QStringList());
        QEvent unknown(QEvent::Type(1004));
        QCoreApplication::sendEvent(manager(), &unknown);
        QCOMPARE(capture.messages(), QStringList{"unknown custom event."});
    }
    QCOMPARE(recorder.endings(), 0);
    QCOMPARE(recorder.progress.count(), 0);
}

QTEST_GUILESS_MAIN(ProfilingManagerTest)
#include "test_profiling_manager.moc"
