// The profiling run manager as its users see it: the four result signals,
// whether a pass is in progress, and cancelling it.
#pragma once

#include <QObject>
#include <QString>

class pq_ProfilingThreadMgrIF : public QObject
{
    Q_OBJECT

public:
    // The code of signalProfileCreationError when a pass executed no run
    // (no queued run had its reference, device and output paths). Neither 0
    // nor any code of the profile engine.
    static constexpr int NoRunExecuted = 2000;

    ~pq_ProfilingThreadMgrIF() override = default;

    // The process-wide manager, created on the first call.
    static pq_ProfilingThreadMgrIF *instance();

    // True from start() until the pass has ended and its end signal is about
    // to be emitted.
    virtual bool isRunning() const = 0;
    // Asks a running pass to stop; nothing while idle.
    virtual void abort() = 0;

signals:
    void signalProfileCreationAborted();
    // The written profile's path, with "/" separators.
    void signalProfileCreationDone(QString path);
    // The engine's non-zero result code, or NoRunExecuted.
    void signalProfileCreationError(int code);
    // 0.0 to 1.0.
    void signalProfileCreationProgress(double fraction);
};
