// Job image loading benchmark. Writes a CFA DNG into a temporary folder and
// loads it into a job, each measurement repeated: the job is deleted half-way
// through the decode (time spent in its destructor), and a second path is set
// half-way through (time until the second load starts). Beside them, the bare
// worker on a thread of its own: the time from its cancel to its thread's end.
//
//   job_load_bench [--dng WxH] [--rounds N]
//
// Defaults: a 6000 x 4000 (24 MP) DNG, 20 rounds.

#include "jobs/pq_Job.h"

#include "chart/pq_LoadImageWorker.h"

#include "ImageFiles.h"

#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace {

// Half of the decode: the loader reports decoding up to 0.9.
constexpr double kHalfWay = 0.45;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs the event loop until done() holds; false after timeoutMs.
bool runUntil(const std::function<bool()> &done, int timeoutMs = 120000)
{
    const auto start = Clock::now();
    while (!done()) {
        if (secondsSince(start) * 1000.0 > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

struct Figures
{
    std::vector<double> seconds;

    void print(const char *what) const
    {
        std::vector<double> sorted = seconds;
        std::sort(sorted.begin(), sorted.end());
        const size_t n = sorted.size();
        const double median = n == 0 ? 0.0
            : n % 2 ? sorted[n / 2]
                    : (sorted[n / 2 - 1] + sorted[n / 2]) / 2.0;
        std::printf("  %-44s median %7.3f s  worst %7.3f s  (%zu rounds)\n", what, median,
                    n ? sorted.back() : 0.0, n);
    }
};

// A job that has started to load path and reached half of the decode.
std::unique_ptr<pq_Job> jobHalfWay(const QString &path, const QString &folder, double *fraction)
{
    auto job = std::make_unique<pq_Job>(folder + "/curves", folder + "/tmp");
    *fraction = 0.0;
    QObject::connect(job.get(), &pq_JobIF::chartImageProgress,
                     [fraction](double f) { *fraction = std::max(*fraction, f); });
    job->setChartImagePath(path);
    if (!runUntil([fraction] { return *fraction >= kHalfWay; }))
        return nullptr;
    return job;
}

bool benchDestructor(const QString &path, const QString &folder, int rounds, Figures &figures)
{
    for (int i = 0; i < rounds; ++i) {
        double fraction = 0.0;
        std::unique_ptr<pq_Job> job = jobHalfWay(path, folder, &fraction);
        if (!job)
            return false;
        const auto start = Clock::now();
        job.reset();
        figures.seconds.push_back(secondsSince(start));
        QCoreApplication::processEvents();
    }
    return true;
}

bool benchSecondPath(const QString &path, const QString &second, const QString &folder,
                     int rounds, Figures &figures)
{
    for (int i = 0; i < rounds; ++i) {
        double fraction = 0.0;
        std::unique_ptr<pq_Job> job = jobHalfWay(path, folder, &fraction);
        if (!job)
            return false;
        int starts = 0;
        QObject::connect(job.get(), &pq_JobIF::chartImageLoading, [&starts](bool on) {
            if (on)
                ++starts;
        });
        const auto start = Clock::now();
        job->setChartImagePath(second);
        if (!runUntil([&starts] { return starts > 0; }))
            return false;
        figures.seconds.push_back(secondsSince(start));
        job.reset();
        QCoreApplication::processEvents();
    }
    return true;
}

bool benchBareWorker(const QString &path, const QString &folder, int rounds, Figures &figures)
{
    for (int i = 0; i < rounds; ++i) {
        Image holder;
        auto *worker = new pq_LoadImageWorker(&holder, path, folder + "/tmp", false, 6, 4);
        QThread thread;
        worker->moveToThread(&thread);
        std::atomic<bool> halfWay{false};
        QObject::connect(&thread, &QThread::started, worker, &pq_LoadImageWorker::loadImage);
        QObject::connect(worker, &pq_LoadImageWorker::progress, worker,
                         [&halfWay](double f) {
                             if (f >= kHalfWay)
                                 halfWay = true;
                         },
                         Qt::DirectConnection);
        QObject::connect(worker, &pq_LoadImageWorker::finished, &thread, &QThread::quit,
                         Qt::DirectConnection);
        thread.start(QThread::LowPriority);
        while (!halfWay && !thread.wait(1))
            ;
        const auto start = Clock::now();
        worker->requestCancel();
        thread.wait();
        figures.seconds.push_back(secondsSince(start));
        delete worker;
    }
    return true;
}

bool parseSize(const char *text, int &width, int &height)
{
    char tail = 0;
    return std::sscanf(text, "%dx%d%c", &width, &height, &tail) == 2 && width >= 2 && height >= 2
        && width <= 20000 && height <= 20000;
}

}  // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    int width = 6000;
    int height = 4000;
    int rounds = 20;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--dng") && i + 1 < argc && parseSize(argv[i + 1], width, height)) {
            ++i;
        } else if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc && std::atoi(argv[i + 1]) > 0) {
            rounds = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: job_load_bench [--dng WxH] [--rounds N]\n");
            return 2;
        }
    }

    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString path = dir.filePath("first.dng");
    const QString second = dir.filePath("second.dng");
    const std::uint16_t rgb[3] = {12000, 30000, 18000};
    if (!writeDng(path, width, height, rgb, false) || !QFile::copy(path, second)) {
        std::fprintf(stderr, "cannot write the DNG files into %s\n", qPrintable(dir.path()));
        return 1;
    }
    std::printf("DNG %d x %d (%.1f MP), each measurement half-way through the decode\n", width,
                height, double(width) * height / 1e6);

    Figures destructor, secondStart, bare;
    if (!benchDestructor(path, dir.path(), rounds, destructor)
        || !benchSecondPath(path, second, dir.path(), rounds, secondStart)
        || !benchBareWorker(path, dir.path(), rounds, bare)) {
        std::fprintf(stderr, "a load did not reach half of its decode\n");
        return 1;
    }
    destructor.print("job deleted: destructor");
    secondStart.print("second path set: until its load starts");
    bare.print("bare worker: cancel to its thread's end");
    return 0;
}
