// Loading of a job's chart image and Capture One TIFF: each load runs in a
// worker on a low-priority thread of its own; the result is taken over on the
// GUI thread, and only while the target and the path it was started for are
// still current. Signals go out after the load's mutex is released, so that a
// receiver may start another load.
#include "jobs/pq_Job.h"
#include "jobs/pq_JobLoading.h"
#include "jobs/pq_targetInfo.h"
#include "jobs/pq_threadCheck.h"
#include "jobs_logging.h"

#include "chart/pq_LoadImageWorker.h"
#include "colour/Kirr_ColorCurve.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMetaObject>
#include <QMutexLocker>
#include <QPointer>
#include <QRegularExpression>

#include <cmath>
#include <map>
#include <memory>
#include <mutex>

namespace {

constexpr int kRetryMs = 100;

pq_ImageLoadWorkerFactory &installedFactory()
{
    static pq_ImageLoadWorkerFactory factory;
    return factory;
}

QObject *makeWorker(const pq_ImageLoadRequest &request)
{
    const pq_ImageLoadWorkerFactory &factory = installedFactory();
    if (factory)
        return factory(request);
    return new pq_LoadImageWorker(request.holder, request.path, request.tempFolder,
                                  request.normalizeTiff, request.patchColumns, request.patchRows);
}

void requestCancel(QObject *worker)
{
    QMetaObject::invokeMethod(worker, "requestCancel", Qt::DirectConnection);
}

// The characters the profile-name field refuses.
const QRegularExpression &profileNameUnsafe()
{
    static const QRegularExpression re(QStringLiteral("[\\\\/:*?\"<>|]"));
    return re;
}

QString withoutTrailingBlanks(QString text)
{
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

bool ensureFolder(const QString &folder)
{
    return !folder.isEmpty() && (QFileInfo(folder).isDir() || QDir().mkpath(folder));
}

// The first readable "*.xml" file of folder named fileName, ignoring case.
QString findCurveFile(const QString &folder, const QString &fileName)
{
    const QString wanted = fileName.toUpper();
    const QFileInfoList files = QDir(folder).entryInfoList(
        {QStringLiteral("*.xml")}, QDir::Files | QDir::Readable, QDir::Unsorted);
    for (const QFileInfo &file : files)
        if (file.fileName().toUpper() == wanted)
            return file.absoluteFilePath();
    return QString();
}

// Runs on a load's thread as it ends: all it did is seen by whoever waits
// for it.
void handOverEndingThread()
{
    pq_handOver(QThread::currentThread());
}

// Workers that did not stop when their job ended, with the holders they load
// into, by the thread they run on. A standard mutex, so that the hand-over
// to the worker's thread is visible to the thread checker.
struct LeftWorker
{
    QObject *worker = nullptr;
    Image *holder = nullptr;
};
std::mutex leftWorkersMutex;
std::map<QThread *, LeftWorker> &leftWorkers()
{
    static std::map<QThread *, LeftWorker> workers;
    return workers;
}

// Deletes the worker and the holder left on thread, once.
void releaseLeftWorker(QThread *thread)
{
    LeftWorker left;
    {
        const std::lock_guard<std::mutex> lock(leftWorkersMutex);
        const auto it = leftWorkers().find(thread);
        if (it == leftWorkers().end())
            return;
        left = it->second;
        leftWorkers().erase(it);
    }
    delete left.worker;
    delete left.holder;
}

// Runs on the worker's thread after its event loop has ended, so the worker
// is done with the holder.
void releaseOnThisThread()
{
    releaseLeftWorker(QThread::currentThread());
}

// Leaves a worker that does not stop to end on its own: it and its holder are
// deleted when its thread ends, or here when it has ended already.
void leaveToEndAlone(QThread *thread, QObject *worker, Image *holder)
{
    {
        const std::lock_guard<std::mutex> lock(leftWorkersMutex);
        leftWorkers()[thread] = {worker, holder};
    }
    QObject::connect(thread, &QThread::finished, thread, &releaseOnThisThread,
                     Qt::DirectConnection);
    if (thread->isFinished() && thread->wait())
        releaseLeftWorker(thread);
}

}  // namespace

pq_ImageLoadWorkerFactory pq_setImageLoadWorkerFactory(pq_ImageLoadWorkerFactory factory)
{
    std::swap(installedFactory(), factory);
    return factory;
}

void pq_Job::initImageLoads()
{
    for (pq_ImageLoad *load : {&m_c1TifLoad, &m_chartLoad}) {
        load->retryTimer.setSingleShot(true);
        load->retryTimer.setInterval(kRetryMs);
    }
    connect(&m_c1TifLoad.retryTimer, &QTimer::timeout, this, &pq_Job::startChartC1TifLoading);
    connect(&m_chartLoad.retryTimer, &QTimer::timeout, this, &pq_Job::startChartImageLoading);
}

void pq_Job::stopImageLoads()
{
    stopImageLoad(m_c1TifLoad);
    stopImageLoad(m_chartLoad);
}

// Cancels the running worker and waits a bounded time for it and for every
// thread still ending, so that nothing reaches the job later. A worker that
// does not stop in time is left to end on its own: it keeps the holder it
// writes into, and both are deleted on its thread once it has ended. The
// worker's finished() would quit its thread only through the GUI thread,
// which is the one waiting here, so the thread is quit directly.
void pq_Job::stopImageLoad(pq_ImageLoad &load)
{
    load.retryTimer.stop();
    QMutexLocker lock(&load.mutex);
    QObject *worker = load.worker;
    QPointer<QThread> workerThread = load.thread;
    const QList<QPointer<QThread>> ending = load.endingThreads;
    load.worker = nullptr;
    load.thread = nullptr;
    load.endingThreads.clear();
    load.dropped.clear();
    QElapsedTimer waited;
    waited.start();
    auto waitFor = [&](QThread *thread) {
        thread->quit();
        const qint64 left = qint64(pq_ImageLoad::StopWaitMs) - waited.elapsed();
        if (!thread->wait(left > 0 ? unsigned(left) : 0))
            return false;
        pq_takeOver(thread);
        return true;
    };
    if (worker) {
        disconnect(worker, nullptr, this, nullptr);
        requestCancel(worker);
        if (workerThread && !waitFor(workerThread)) {
            qCWarning(lcJob) << "An image load did not stop when asked; it ends on its own:"
                             << load.path;
            leaveToEndAlone(workerThread, worker, load.holder.release());
            load.holder = std::make_unique<Image>();
            worker = nullptr;
            workerThread = nullptr;
        }
    }
    for (const QPointer<QThread> &thread : ending)
        if (thread && !waitFor(thread))
            qCWarning(lcJob) << "An ended image load's thread is still running";
    delete worker;
    if (workerThread)
        delete workerThread.data();
    // Threads still running delete themselves when they finish.
    for (const QPointer<QThread> &thread : ending)
        if (thread && thread->isFinished())
            delete thread.data();
}

bool pq_Job::startImageLoad(pq_ImageLoad &load, const QString &path, const char *progressSlot,
                            const char *loadedSlot, const char *finishedSlot)
{
    if (load.worker) {
        requestCancel(load.worker);
        load.replaced = true;
        load.retryTimer.start();
        return false;
    }
    // This start serves any retry still pending.
    load.retryTimer.stop();
    if (path.isEmpty())
        return false;

    *load.holder = Image();
    const pq_targetInfo *description = currentTargetInfo();
    pq_ImageLoadRequest request;
    request.holder = load.holder.get();
    request.path = path;
    request.tempFolder = m_tempFolder;
    request.normalizeTiff = m_expertSettings.isWhitePointAutoExposure();
    request.patchColumns = description ? description->columns : 0;
    request.patchRows = description ? description->rows : 0;
    QObject *worker = makeWorker(request);
    if (!worker) {
        qCWarning(lcJob) << "No image-load worker for" << path;
        return false;
    }

    auto *thread = new QThread;
    worker->moveToThread(thread);
    const bool wired = worker->metaObject()->indexOfMethod("requestCancel()") >= 0
        && connect(thread, SIGNAL(started()), worker, SLOT(loadImage()))
        && connect(worker, SIGNAL(finished()), this, finishedSlot)
        && connect(worker, SIGNAL(finished()), thread, SLOT(quit()))
        && connect(thread, &QThread::finished, thread, &QObject::deleteLater)
        && connect(thread, &QThread::finished, thread, &handOverEndingThread, Qt::DirectConnection)
        && connect(worker, SIGNAL(progress(double)), this, progressSlot)
        && connect(worker, SIGNAL(success(bool)), this, loadedSlot);
    if (!wired) {
        qCWarning(lcJob) << "The image-load worker lacks the worker's signals or slots";
        delete worker;
        delete thread;
        return false;
    }

    load.endingThreads.removeAll(QPointer<QThread>());
    load.worker = worker;
    load.thread = thread;
    load.targetIndex = m_currentTargetIndex;
    load.path = path;
    load.replaced = false;
    load.dropped.remove(m_currentTargetIndex);
    thread->start(QThread::LowPriority);
    return true;
}

bool pq_Job::endImageLoad(pq_ImageLoad &load)
{
    const QObject *finishedWorker = sender();
    if (!load.worker || (finishedWorker && finishedWorker != load.worker))
        return false;
    load.worker->deleteLater();
    load.endingThreads.append(load.thread);
    load.worker = nullptr;
    load.thread = nullptr;
    *load.holder = Image();
    return true;
}

bool pq_Job::isCurrentLoad(const pq_ImageLoad &load, const QString &currentPath) const
{
    return load.targetIndex == m_currentTargetIndex && !load.path.isEmpty()
        && load.path == currentPath;
}

void pq_Job::startChartImageLoading()
{
    QMutexLocker lock(&m_chartLoad.mutex);
    const bool started = startImageLoad(m_chartLoad, chartImagePath(),
                                        SLOT(catchChartImageProgress(double)),
                                        SLOT(catchChartImageLoaded(bool)),
                                        SLOT(catchLoadChartWorkerFinished()));
    lock.unlock();
    if (started)
        emit chartImageLoading(true);
}

void pq_Job::startChartC1TifLoading()
{
    QMutexLocker lock(&m_c1TifLoad.mutex);
    const bool started = startImageLoad(m_c1TifLoad, c1TifPath(),
                                        SLOT(catchChartC1TifProgress(double)),
                                        SLOT(catchChartC1TifLoaded(bool)),
                                        SLOT(catchLoadC1TifWorkerFinished()));
    lock.unlock();
    if (started)
        emit chartC1TifProgress(0.0);
}

void pq_Job::catchChartImageProgress(double progressFraction)
{
    emit chartImageProgress(progressFraction);
}

void pq_Job::catchChartC1TifProgress(double progressFraction)
{
    emit chartC1TifProgress(progressFraction);
}

void pq_Job::catchChartImageLoaded(bool success)
{
    QMutexLocker lock(&m_chartLoad.mutex);
    // A result for another target or an earlier path, or one that a newer
    // request asked to give way, was replaced: it is dropped without a word.
    // A target left during its load loads again when it is current again.
    const bool current = isCurrentLoad(m_chartLoad, chartImagePath());
    if (!current || m_chartLoad.replaced) {
        const int index = m_chartLoad.targetIndex;
        if (index != m_currentTargetIndex && index >= 0
            && m_chartImagePaths.value(index) == m_chartLoad.path)
            m_chartLoad.dropped.insert(index, m_chartLoad.path);
        return;
    }
    const bool taken = success;
    QString missingCurve;
    m_toneCurveLut.clear();
    m_toneCurveSpline.clear();
    if (taken)
        missingCurve = takeOverChartImage();
    lock.unlock();
    // A receiver may delete the job.
    const QPointer<pq_Job> alive(this);
    if (taken)
        emit chartImageProgress(1.0);
    if (alive)
        emit chartImageLoaded(taken, missingCurve);
}

// A request still waiting for a running load to give way is for the target
// being left: it is dropped, to be made again when that target is current.
void pq_Job::dropPendingChartLoad()
{
    QMutexLocker lock(&m_chartLoad.mutex);
    if (!m_chartLoad.retryTimer.isActive())
        return;
    m_chartLoad.retryTimer.stop();
    const QString pending = chartImagePath();
    if (!pending.isEmpty())
        m_chartLoad.dropped.insert(m_currentTargetIndex, pending);
}

// Loads the current target's chart image again when its load was dropped
// because another target became current.
void pq_Job::resumeDroppedChartLoad()
{
    QMutexLocker lock(&m_chartLoad.mutex);
    const QString path = m_chartLoad.dropped.take(m_currentTargetIndex);
    const bool resume = !path.isEmpty() && path == chartImagePath()
        && !(m_chartLoad.worker && isCurrentLoad(m_chartLoad, path));
    lock.unlock();
    if (resume)
        startChartImageLoading();
}

// Takes the holder's image over for the current target and decides what the
// job makes of it; returns the film-curve name that is missing, if any.
QString pq_Job::takeOverChartImage()
{
    m_chartImages[size_t(m_currentTargetIndex)].swap(*m_chartLoad.holder);
    m_engineOptionA = false;
    m_engineOptionB = false;
    const bool allRaw = areAllChartImagesRaw();
    const bool dcpChart = isDcpChart();
    m_makesDcp = (allRaw && !isC1InsteadOfDCP()) || dcpChart;
    const bool c1Raw = allRaw && isC1InsteadOfDCP() && !dcpChart;
    const bool joinTight = areAllChartImagesLoaded() || c1Raw;

    QString missingCurve;
    if (c1Raw) {
        QString base = cameraName();
        base.remove(QLatin1Char(' '));
        if (ensureFolder(m_filmCurvesFolder)) {
            const QString file =
                findCurveFile(m_filmCurvesFolder, base + QLatin1String(".xml"));
            if (!file.isEmpty()) {
                Kirr_ColorCurve curve(file);
                if (!curve.isCurveEmpty(0)) {
                    curve.swapAxes(0);
                    setToneCurveLut(curve.bezierLut(0));
                    setToneCurveSpline(curve.spline(0));
                }
            }
        }
        if (m_toneCurveLut.isEmpty())
            missingCurve = base;
    }

    if (m_profileName.isEmpty()) {
        const pq_targetInfo *description = currentTargetInfo();
        const QString label =
            description ? withoutTrailingBlanks(description->name) : QString();
        QString name = cameraName();
        QString prefix;
        if (joinTight) {
            name.remove(QLatin1Char(' '));
            prefix = name;
        }
        if (!label.isEmpty()) {
            if (!name.isEmpty()) {
                if (joinTight) {
                    name += QLatin1Char('-');
                    prefix = name;
                } else {
                    name += QLatin1Char(' ');
                }
            }
            QString part = getJobName().isEmpty() ? label : getJobName();
            part.replace(profileNameUnsafe(), QStringLiteral("_"));
            name += part;
        }
        setProfileName(name);
        setProfileNamePrefix(prefix);
    }
    setProfileExtension(m_makesDcp ? QStringLiteral("dcp") : QStringLiteral("icc"));
    return missingCurve;
}

void pq_Job::catchChartC1TifLoaded(bool success)
{
    QMutexLocker lock(&m_c1TifLoad.mutex);
    // A replaced load is dropped without a word, as for the chart image.
    if (m_c1TifLoad.replaced || !isCurrentLoad(m_c1TifLoad, c1TifPath()))
        return;
    const int code = success ? takeOverC1Tif() : 1;
    lock.unlock();
    const QPointer<pq_Job> alive(this);
    if (code == 0)
        emit chartC1TifProgress(1.0);
    if (alive)
        emit chartC1TifLoaded(code);
}

// Checks the holder's Capture One TIFF against the chart image and takes it
// over when it matches; returns the result code of chartC1TifLoaded.
int pq_Job::takeOverC1Tif()
{
    const Image &tif = *m_c1TifLoad.holder;
    const TransferFunction &transfer = tif.transferFunction();
    if (transfer.channelCount() <= 0 || transfer.length() <= 0)
        return 2;
    const RawImage &tifRaw = tif.rawImage();
    const QString name = buildCameraModelName(
        tif.make(), tif.model(), QSize(tifRaw.fullWidth(), tifRaw.fullHeight()), m_makesDcp);
    if (name.toUpper() != cameraName().toUpper())
        return 3;
    const QSize chart = chartImageRawSize();
    const auto a = qint64(double(chart.width()) * double(tifRaw.height()));
    const auto b = qint64(double(tifRaw.width()) * double(chart.height()));
    // Without a loaded chart image there is no ratio to match.
    if (a <= 0 || b <= 0 || double(std::llabs(a - b)) > 0.005 * double(a + b))
        return 4;
    m_c1TifImages[size_t(m_currentTargetIndex)].swap(*m_c1TifLoad.holder);
    return 0;
}

void pq_Job::catchLoadChartWorkerFinished()
{
    QMutexLocker lock(&m_chartLoad.mutex);
    const bool ended = endImageLoad(m_chartLoad);
    lock.unlock();
    if (ended)
        emit chartImageLoading(false);
}

void pq_Job::catchLoadC1TifWorkerFinished()
{
    QMutexLocker lock(&m_c1TifLoad.mutex);
    const bool ended = endImageLoad(m_c1TifLoad);
    lock.unlock();
    if (ended)
        emit chartC1TifProgress(1.0);
}

void pq_Job::resetChartImageHolder()
{
    QMutexLocker lock(&m_chartLoad.mutex);
    if (!m_chartLoad.worker)
        *m_chartLoad.holder = Image();
}

void pq_Job::resetC1TifHolder()
{
    QMutexLocker lock(&m_c1TifLoad.mutex);
    if (!m_c1TifLoad.worker)
        *m_c1TifLoad.holder = Image();
}
