// How a job loads its chart image and its Capture One TIFF on worker threads:
// the factory that makes the workers, and the state of one kind of load.
#pragma once

#include "chart/Image.h"

#include <QList>
#include <QMap>
#include <QMutex>
#include <QPointer>
#include <QString>
#include <QThread>
#include <QTimer>

#include <functional>
#include <memory>

class QObject;

// What a new image-load worker is given.
struct pq_ImageLoadRequest
{
    Image *holder = nullptr;  // receives the loaded image
    QString path;
    QString tempFolder;
    bool normalizeTiff = false;
    int patchColumns = 0;
    int patchRows = 0;
};

// Makes the worker of one load, without parent. A worker is a QObject like
// pq_LoadImageWorker: the slots loadImage() and requestCancel() (the latter
// safe from any thread), and the signals progress(double), success(bool) and
// finished(). It writes the holder only while loadImage() runs, and before it
// emits success(true); finished() comes last.
using pq_ImageLoadWorkerFactory = std::function<QObject *(const pq_ImageLoadRequest &)>;

// Installs the factory of every job's new workers; an empty one restores
// pq_LoadImageWorker. Returns the factory it replaces. GUI thread only.
pq_ImageLoadWorkerFactory pq_setImageLoadWorkerFactory(pq_ImageLoadWorkerFactory factory);

// One kind of load of a job: at most one worker at a time.
struct pq_ImageLoad
{
    // How long a job's end waits for a worker that does not stop when asked;
    // such a worker is then left to end on its own, with its holder.
    static constexpr unsigned long StopWaitMs = 300;

    QMutex mutex;  // guards the fields below while a start or a result is handled
    QTimer retryTimer;
    // On the heap, so that a worker left running keeps a holder to write to.
    std::unique_ptr<Image> holder = std::make_unique<Image>();
    QObject *worker = nullptr;
    QThread *thread = nullptr;
    // The target index and the path the running worker loads for.
    int targetIndex = -1;
    QString path;
    // The running worker was asked to give way to a newer request.
    bool replaced = false;
    // Paths whose load was dropped because another target became current,
    // by target index; loaded again when that target is current again.
    QMap<int, QString> dropped;
    // Threads of finished workers that have not yet deleted themselves.
    QList<QPointer<QThread>> endingThreads;
};
