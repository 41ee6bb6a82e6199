#include "jobs/pq_ProfilingThreadMgr.h"
#include "jobs/pq_threadCheck.h"

#include "jobs/MyAbortEvent.h"
#include "jobs/MyDoneEvent.h"
#include "jobs/MyProgressEvent.h"
#include "jobs/MyTextEvent.h"
#include "jobs/pq_engineFiles.h"
#include "profiling_logging.h"

#include "chart/Config.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

namespace {

// Exists from program start; guards the creation of the manager.
QBasicMutex g_instanceMutex;
pq_ProfilingThreadMgr *g_instance = nullptr;

bool sameFolder(const QString &a, const QString &b)
{
    const QString ca = QDir(a).canonicalPath();
    return !ca.isEmpty() && ca == QDir(b).canonicalPath();
}

}  // namespace

pq_ProfilingThreadMgrIF *pq_ProfilingThreadMgrIF::instance()
{
    return pq_ProfilingThreadMgr::instance();
}

pq_ProfilingThreadMgr *pq_ProfilingThreadMgr::instance()
{
    QMutexLocker lock(&g_instanceMutex);
    if (!g_instance) {
        g_instance = new pq_ProfilingThreadMgr;
        const QCoreApplication *app = QCoreApplication::instance();
        if (app && app->thread() != g_instance->thread())
            g_instance->moveToThread(app->thread());
    }
    return g_instance;
}

pq_ProfilingThreadMgr::pq_ProfilingThreadMgr() : m_thread(this) {}

pq_ProfilingThreadMgr::~pq_ProfilingThreadMgr()
{
    m_thread.requestAbort();
    m_thread.wait();
}

bool pq_ProfilingThreadMgr::init(int count)
{
    if (isRunning())
        return false;
    return m_thread.setJobCount(count);
}

bool pq_ProfilingThreadMgr::setJob(int index, const char *referencePath, const char *devicePath,
                                   const char *outputPath, uint8_t isTransmissive,
                                   uint8_t isNegative, uint8_t optionA, uint8_t optionB,
                                   uint8_t pcsXyz, uint8_t makeDcp, uint8_t identityTables,
                                   int deltaEFormula, const char *cameraModel,
                                   const SpectrumArray *illuminant,
                                   const expert_overrides *overrides,
                                   const TransferFunctionIF *transfer,
                                   const target_offsets *offsets,
                                   const calculation_settings *settings, const char *tempFolder)
{
    if (isRunning())
        return false;
    const uint8_t flags[7] = {isTransmissive, isNegative, optionA, optionB,
                              pcsXyz,         makeDcp,    identityTables};
    return m_thread.setJob(index, referencePath, devicePath, outputPath, flags, deltaEFormula,
                           cameraModel, illuminant, overrides, transfer, offsets, settings,
                           tempFolder);
}

void pq_ProfilingThreadMgr::start()
{
    if (isRunning())
        return;
    // Cleared here, not in the thread, so that an abort right after start()
    // is kept.
    m_thread.clearAbort();
    m_passActive.store(true);
    m_thread.start(QThread::InheritPriority);
    if (!m_thread.isRunning() && !m_thread.isFinished()) {
        qCWarning(lcProfiling) << "pq_ProfilingThreadMgr::start: the profiling thread did not start";
        QCoreApplication::postEvent(this, new MyDoneEvent(NoRunExecuted, QString()));
    }
}

bool pq_ProfilingThreadMgr::isRunning() const
{
    return m_passActive.load() || m_thread.isRunning();
}

void pq_ProfilingThreadMgr::abort()
{
    if (isRunning())
        m_thread.requestAbort();
}

bool pq_ProfilingThreadMgr::setEngineEntry(pq_EngineJobEntry entry)
{
    if (isRunning())
        return false;
    m_thread.setEngineEntry(entry);
    return true;
}

void pq_ProfilingThreadMgr::customEvent(QEvent *event)
{
    pq_takeOver(event);
    switch (int(event->type())) {
    case MyProgressEvent::EventType:
        emit signalProfileCreationProgress(static_cast<MyProgressEvent *>(event)->value()
                                           / 1000.0);
        break;
    case MyDoneEvent::EventType: {
        const auto *done = static_cast<MyDoneEvent *>(event);
        endPass();
        if (done->result() != 0)
            emit signalProfileCreationError(done->result());
        else
            emit signalProfileCreationDone(done->path());
        break;
    }
    case MyAbortEvent::EventType:
        endPass();
        emit signalProfileCreationAborted();
        break;
    case MyTextEvent::EventType:
        break;
    default:
        qCWarning(lcProfiling) << "unknown custom event.";
        break;
    }
}

void pq_ProfilingThreadMgr::endPass()
{
    // The thread has posted its last event; what is left of run() is quick.
    m_thread.wait();
    for (int i = 0; i < m_thread.count(); ++i)
        removeRunFiles(m_thread.queuedRun(i));
    m_passActive.store(false);
}

void pq_ProfilingThreadMgr::removeRunFiles(const MyThread::QueuedRun &run)
{
    if (!run.hasPaths())
        return;
    QString folder = QFile::decodeName(run.tempFolder);
    if (folder.isEmpty())
        folder = ConfigIF::instance()->tmpPath();
    // The run's own input files, as long as they are temporary ones.
    for (const QByteArray &given : {run.referencePath, run.devicePath}) {
        const QString path = QFile::decodeName(given);
        if (sameFolder(QFileInfo(path).absolutePath(), folder))
            QFile::remove(path);
    }
    removeTemporaries(QFile::decodeName(run.outputPath), folder);
}

void pq_ProfilingThreadMgr::removeTemporaries(const QString &path)
{
    removeTemporaries(path, ConfigIF::instance()->tmpPath());
}

void pq_ProfilingThreadMgr::removeTemporaries(const QString &path, const QString &folder)
{
    if (folder.isEmpty())
        return;
    const QString base = pq_engineFileBase(QDir::fromNativeSeparators(path));
    const QDir dir(folder);
    for (const char *suffix : {".pix", ".cie", "_out.cie"})
        QFile::remove(dir.filePath(base + QLatin1String(suffix)));
    QFile::remove(dir.filePath(pq_engineMeasurementFileName()));
}
