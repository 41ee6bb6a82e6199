#include "jobs/MyThread.h"

#include "jobs/MyAbortEvent.h"
#include "jobs/MyDoneEvent.h"
#include "jobs/MyProgressEvent.h"
#include "jobs/MyTextEvent.h"
#include "jobs/pq_ProfilingThreadMgrIF.h"
#include "jobs/pq_threadCheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMutexLocker>

#include <algorithm>

namespace {

// The thread whose run() is in progress; published and cleared under its
// mutex, read by the engine's callbacks on that same thread.
std::atomic<MyThread *> g_currentThread{nullptr};

QByteArray copied(const char *text)
{
    return text ? QByteArray(text) : QByteArray();
}

const char *text(const QByteArray &bytes)
{
    return bytes.isNull() ? nullptr : bytes.constData();
}

expert_overrides defaultOverrides()
{
    expert_overrides record{};
    record.type = 2;
    record.custom_order = 5;
    record.lightness = 98;
    record.white = 248;
    return record;
}

}  // namespace

MyThread::MyThread(QObject *manager) : m_manager(manager) {}

MyThread::~MyThread()
{
    requestAbort();
    wait();
}

bool MyThread::setJobCount(int count)
{
    if (isRunning() || count < 0 || count > MaxRuns)
        return false;
    std::vector<QueuedRun> runs(static_cast<size_t>(count));
    m_runs.swap(runs);
    return true;
}

bool MyThread::setJob(int index, const char *referencePath, const char *devicePath,
                      const char *outputPath, const uint8_t flags[7], int deltaEFormula,
                      const char *cameraModel, const SpectrumArray *illuminant,
                      const expert_overrides *overrides, const TransferFunctionIF *transfer,
                      const target_offsets *offsets, const calculation_settings *settings,
                      const char *tempFolder)
{
    if (isRunning() || index < 0 || index >= count() || !referencePath || !devicePath
        || !outputPath)
        return false;
    QueuedRun run;
    run.referencePath = copied(referencePath);
    run.devicePath = copied(devicePath);
    run.outputPath = copied(outputPath);
    if (flags)
        std::copy(flags, flags + 7, run.flags);
    run.deltaEFormula = deltaEFormula;
    run.cameraModel = copied(cameraModel);
    if (illuminant)
        run.illuminant.reset(new SpectrumArray(*illuminant));
    if (overrides) {
        run.overrides.reset(new expert_overrides(defaultOverrides()));
        *run.overrides = *overrides;
    }
    if (transfer)
        run.transfer.reset(new TransferFunction(*transfer));
    if (offsets)
        run.offsets.reset(new target_offsets(*offsets));
    if (settings)
        run.settings.reset(new calculation_settings(*settings));
    run.tempFolder = copied(tempFolder);
    m_runs[size_t(index)] = std::move(run);
    return true;
}

void MyThread::requestAbort()
{
    m_abortRequested = true;
}

void MyThread::clearAbort()
{
    m_abortRequested = false;
}

bool MyThread::abortRequested() const
{
    return m_abortRequested;
}

void MyThread::postToManager(QEvent *event)
{
    pq_handOver(event);
    QCoreApplication::postEvent(m_manager, event);
}

void MyThread::postProgress(int percent)
{
    if (m_manager)
        postToManager(new MyProgressEvent(percent * 10));
}

void MyThread::run()
{
    {
        QMutexLocker lock(&m_mutex);
        g_currentThread.store(this);
    }
    const pq_EngineJobEntry chosen = m_engine.load();
    const pq_EngineJobEntry engine = chosen ? chosen : &create_profile_for_job;
    int executed = 0;
    QString firstOutput;
    for (const QueuedRun &run : m_runs) {
        if (abortRequested())
            break;
        if (!run.hasPaths())
            continue;
        const QString output = QDir::fromNativeSeparators(QFile::decodeName(run.outputPath));
        if (executed == 0)
            firstOutput = output;
        ++executed;
        if (m_manager)
            postToManager(new MyTextEvent(output));
        m_result = execute(run, engine);
        if (m_result != 0)
            break;
    }
    postEnd(executed, firstOutput);
    QMutexLocker lock(&m_mutex);
    g_currentThread.store(nullptr);
}

int MyThread::execute(const QueuedRun &run, pq_EngineJobEntry engine)
{
    // The curves as the engine reads them, built for this call.
    std::vector<const uint16_t *> curves;
    transfer_samples samples{0, 0, nullptr};
    if (run.transfer && run.transfer->channelCount() > 0 && run.transfer->length() > 0) {
        for (int i = 0; i < run.transfer->channelCount(); ++i)
            curves.push_back(run.transfer->curve(i));
        samples.count = int32_t(curves.size());
        samples.entries = run.transfer->length();
        samples.curves = curves.data();
    }
    spectrum_samples spectrum{nullptr, 0, 0, 0};
    if (run.illuminant)
        spectrum = {run.illuminant->values(), run.illuminant->count(), run.illuminant->start(),
                    run.illuminant->step()};
    return engine(text(run.referencePath), text(run.devicePath), text(run.outputPath),
                  run.flags[0], run.flags[1], run.flags[2], run.flags[3], run.flags[4],
                  run.flags[5], run.flags[6], run.deltaEFormula, text(run.cameraModel),
                  run.illuminant ? &spectrum : nullptr, run.overrides.get(), &samples,
                  &reportProfilingProgress, &isProfilingAborted, run.offsets.get(),
                  run.settings.get(), text(run.tempFolder));
}

void MyThread::postEnd(int executed, const QString &firstOutput)
{
    if (!m_manager)
        return;
    QEvent *end = nullptr;
    if (abortRequested())
        end = new MyAbortEvent;
    else if (executed == 0)
        end = new MyDoneEvent(pq_ProfilingThreadMgrIF::NoRunExecuted, QString());
    else
        end = new MyDoneEvent(m_result, m_result == 0 ? firstOutput : QString());
    postToManager(end);
}

int reportProfilingProgress(int done, int total)
{
    MyThread *thread = g_currentThread.load();
    if (!thread || total <= 0)
        return 0;
    done = std::clamp(done, 0, total);
    // Whole percent, truncated; exact for every done and total.
    thread->postProgress(int(qint64(done) * 100 / total));
    return 0;
}

int isProfilingAborted()
{
    MyThread *thread = g_currentThread.load();
    return thread && thread->abortRequested() ? 1 : 0;
}
