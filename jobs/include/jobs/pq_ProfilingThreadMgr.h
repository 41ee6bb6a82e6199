// The process-wide profiling run manager: queues runs of the profile engine,
// starts the profiling thread, and turns the thread's events into its
// signals on the GUI thread. Every run's temporary files are deleted when its
// pass ends, whichever way it ends.
#pragma once

#include "jobs/MyThread.h"
#include "jobs/pq_ProfilingThreadMgrIF.h"

#include <atomic>
#include <cstdint>

class QEvent;

class pq_ProfilingThreadMgr : public pq_ProfilingThreadMgrIF
{
    Q_OBJECT

public:
    // The manager, created on the first call under a process-wide mutex; it
    // lives in the application's thread.
    static pq_ProfilingThreadMgr *instance();

    // Discards the queued runs and queues count empty ones. False, and nothing
    // changes, while a pass is in progress or for a count outside
    // 0..MyThread::MaxRuns.
    bool init(int count);
    // Stores copies of a run's values (the engine's arguments 1 to 15 and 18
    // to 20; paths and texts as NUL-terminated bytes, the records optional).
    // False, and nothing changes, while a pass is in progress, for an index
    // outside the queued runs, or when one of the three paths is null.
    bool setJob(int index, const char *referencePath, const char *devicePath,
                const char *outputPath, uint8_t isTransmissive, uint8_t isNegative,
                uint8_t optionA, uint8_t optionB, uint8_t pcsXyz, uint8_t makeDcp,
                uint8_t identityTables, int deltaEFormula, const char *cameraModel,
                const SpectrumArray *illuminant, const expert_overrides *overrides,
                const TransferFunctionIF *transfer, const target_offsets *offsets,
                const calculation_settings *settings, const char *tempFolder);
    // Starts a pass over the queued runs; nothing while one is in progress.
    void start();
    // Deletes, in the temporary folder (Config::tmpPath), the engine files of
    // the profile path: B.pix, B.cie and B_out.cie with B =
    // pq_engineFileBase(path), and CamData.CIE.
    void removeTemporaries(const QString &path);

    bool isRunning() const override;
    void abort() override;

    // The entry that runs call instead of the profile engine's job entry;
    // null restores the engine's. False, and nothing changes, while a pass is
    // in progress.
    bool setEngineEntry(pq_EngineJobEntry entry);

protected:
    void customEvent(QEvent *event) override;

private:
    pq_ProfilingThreadMgr();
    ~pq_ProfilingThreadMgr() override;

    // The pass has ended: waits for the thread and deletes every queued
    // run's temporary files.
    void endPass();
    void removeRunFiles(const MyThread::QueuedRun &run);
    static void removeTemporaries(const QString &path, const QString &folder);

    MyThread m_thread;
    // From start() until the end event is handled.
    std::atomic<bool> m_passActive{false};
};
