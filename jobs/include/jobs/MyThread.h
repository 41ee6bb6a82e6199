// The profiling thread: runs the queued profile-engine runs one after the
// other and posts their progress and end to its manager as custom events.
#pragma once

#include "chart/SpectrumArray.h"
#include "chart/TransferFunction.h"
#include "engine/entries.h"
#include "engine/records.h"

#include <QByteArray>
#include <QMutex>
#include <QThread>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class QObject;

// The engine's job entry, or a stand-in of the same type.
using pq_EngineJobEntry = decltype(&create_profile_for_job);

class MyThread : public QThread
{
public:
    // Largest number of runs one pass takes.
    static constexpr int MaxRuns = 1024;

    // One queued run: deep copies of the engine's arguments 1 to 15 and 18 to
    // 20, in its order. Texts are null when not given.
    struct QueuedRun
    {
        QByteArray referencePath;
        QByteArray devicePath;
        QByteArray outputPath;
        uint8_t flags[7] = {0, 0, 0, 0, 0, 0, 0};  // arguments 4 to 10
        int deltaEFormula = -1;
        QByteArray cameraModel;
        std::unique_ptr<SpectrumArray> illuminant;
        std::unique_ptr<expert_overrides> overrides;
        std::unique_ptr<TransferFunction> transfer;
        std::unique_ptr<target_offsets> offsets;
        std::unique_ptr<calculation_settings> settings;
        QByteArray tempFolder;

        bool hasPaths() const
        {
            return !referencePath.isNull() && !devicePath.isNull() && !outputPath.isNull();
        }
    };

    // manager receives the posted events.
    explicit MyThread(QObject *manager);
    ~MyThread() override;

    // Releases the queued runs and allocates count default ones. False, and
    // nothing changes, while the thread runs or for a count outside
    // 0..MaxRuns.
    bool setJobCount(int count);
    // Replaces run index by copies of the values. False, and nothing changes,
    // while the thread runs, for an index outside the queued runs, or when
    // one of the three paths is null.
    bool setJob(int index, const char *referencePath, const char *devicePath,
                const char *outputPath, const uint8_t flags[7], int deltaEFormula,
                const char *cameraModel, const SpectrumArray *illuminant,
                const expert_overrides *overrides, const TransferFunctionIF *transfer,
                const target_offsets *offsets, const calculation_settings *settings,
                const char *tempFolder);

    int count() const { return int(m_runs.size()); }
    // Read only while the thread is idle.
    const QueuedRun &queuedRun(int index) const { return m_runs[size_t(index)]; }
    // The last engine result of a run (0 before the first).
    int result() const { return m_result; }

    void requestAbort();
    void clearAbort();
    bool abortRequested() const;

    // The entry the runs call; null selects the profile engine's.
    void setEngineEntry(pq_EngineJobEntry entry) { m_engine.store(entry); }

    // A progress report of the running pass, in whole percent.
    void postProgress(int percent);

protected:
    void run() override;

private:
    int execute(const QueuedRun &run, pq_EngineJobEntry engine);
    void postEnd(int executed, const QString &firstOutput);
    // Posts an event to the manager; the event is handed over to its thread.
    void postToManager(QEvent *event);

    QObject *m_manager;
    mutable QMutex m_mutex;  // guards the current-thread pointer
    std::atomic<bool> m_abortRequested{false};
    int m_result = 0;
    std::vector<QueuedRun> m_runs;
    std::atomic<pq_EngineJobEntry> m_engine{nullptr};
};

// The two callbacks the engine gets; they reach the running profiling thread
// through a process-wide pointer that is set only while it runs.
int reportProfilingProgress(int done, int total);
int isProfilingAborted();
