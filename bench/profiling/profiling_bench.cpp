// A profiling run through the run manager (init, setJob, start, until the
// done signal) against the bare create_profile_for_job call, on the same
// measurement set (CMP-DT4/linraw-low, train.cie and train.pix, by default).
// The two are timed in rounds, each --runs times (10 by default); prints both
// medians, their difference, the process CPU time of each (wall time on a
// loaded machine also holds waiting) and how many progress events one managed
// run posts. Options: --runs N, --set FOLDER. Exit status 1 when a run fails.
#include "jobs/pq_ProfilingThreadMgr.h"

#include "chart/Config.h"
#include "engine/entries.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <time.h>

namespace {

using clock_type = std::chrono::steady_clock;

double msSince(clock_type::time_point t0)
{
    return std::chrono::duration<double, std::milli>(clock_type::now() - t0).count();
}

// CPU time of the whole process, in ms.
double processCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

int ignoreProgress(int, int)
{
    return 0;
}

int neverAbort()
{
    return 0;
}

const calculation_settings kSettings{0, 0, 1, 0, 0, 0.0f, 0};

struct RunFiles
{
    QString reference;
    QString device;
    QString output;
    QString tmp;
};

int bareRun(const RunFiles &files)
{
    return create_profile_for_job(
        QFile::encodeName(files.reference).constData(), QFile::encodeName(files.device).constData(),
        QFile::encodeName(files.output).constData(), 0, 0, 0, 0, 0, 0, 0, -1, "Bench camera",
        nullptr, nullptr, nullptr, &ignoreProgress, &neverAbort, nullptr, &kSettings,
        QFile::encodeName(files.tmp).constData());
}

// One managed run; -1 on failure. progressEvents receives the run's count.
double managedRun(const RunFiles &files, int *progressEvents)
{
    pq_ProfilingThreadMgr *manager = pq_ProfilingThreadMgr::instance();
    QEventLoop loop;
    bool done = false;
    int progress = 0;
    QObject::connect(manager, &pq_ProfilingThreadMgrIF::signalProfileCreationDone, &loop,
                     [&] { done = true; loop.quit(); });
    QObject::connect(manager, &pq_ProfilingThreadMgrIF::signalProfileCreationError, &loop,
                     [&] { loop.quit(); });
    QObject::connect(manager, &pq_ProfilingThreadMgrIF::signalProfileCreationAborted, &loop,
                     [&] { loop.quit(); });
    QObject::connect(manager, &pq_ProfilingThreadMgrIF::signalProfileCreationProgress, &loop,
                     [&] { ++progress; });
    const clock_type::time_point t0 = clock_type::now();
    if (!manager->init(1)
        || !manager->setJob(0, QFile::encodeName(files.reference).constData(),
                            QFile::encodeName(files.device).constData(),
                            QFile::encodeName(files.output).constData(), 0, 0, 0, 0, 0, 0, 0, -1,
                            "Bench camera", nullptr, nullptr, nullptr, nullptr, &kSettings,
                            QFile::encodeName(files.tmp).constData()))
        return -1.0;
    manager->start();
    loop.exec();
    const double ms = msSince(t0);
    *progressEvents = progress;
    return done ? ms : -1.0;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int runs = 10;
    QString set = QStringLiteral(VP_BENCH_DATA "/CMP-DT4/linraw-low");
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args.at(i) == "--runs" && i + 1 < args.size())
            runs = std::max(1, args.at(++i).toInt());
        else if (args.at(i) == "--set" && i + 1 < args.size())
            set = args.at(++i);
    }

    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    ConfigIF::instance()->init(dir.path(), dir.path());
    const QString tmp = ConfigIF::instance()->tmpPath();
    QDir().mkpath(tmp);
    // The bare call reads the set where it lies; the manager deletes a run's
    // files when it ends, so each managed run gets fresh copies.
    const RunFiles bareFiles{set + "/train.cie", set + "/train.pix", dir.path() + "/bare.icc",
                             tmp};
    const RunFiles files{tmp + "/train.cie", tmp + "/train.pix", dir.path() + "/train.icc", tmp};
    auto copyInputs = [&] {
        QFile::remove(files.reference);
        QFile::remove(files.device);
        return QFile::copy(set + "/train.cie", files.reference)
            && QFile::copy(set + "/train.pix", files.device);
    };

    std::vector<double> bare;
    std::vector<double> managed;
    std::vector<double> bareCpu;
    std::vector<double> managedCpu;
    int progressEvents = 0;
    auto timeBare = [&] {
        const clock_type::time_point t0 = clock_type::now();
        const double cpu0 = processCpuMs();
        const int result = bareRun(bareFiles);
        bare.push_back(msSince(t0));
        bareCpu.push_back(processCpuMs() - cpu0);
        if (result != 0)
            std::fprintf(stderr, "create_profile_for_job returned %d\n", result);
        return result == 0;
    };
    auto timeManaged = [&] {
        if (!copyInputs()) {
            std::fprintf(stderr, "cannot copy the set %s\n", qPrintable(set));
            return false;
        }
        const double cpu0 = processCpuMs();
        const double ms = managedRun(files, &progressEvents);
        managedCpu.push_back(processCpuMs() - cpu0);
        managed.push_back(ms);
        if (ms < 0.0)
            std::fprintf(stderr, "the managed run failed\n");
        return ms >= 0.0;
    };
    // Each round runs both, in turn first, so that neither always follows
    // the other.
    for (int i = 0; i < runs; ++i) {
        const bool ok = i % 2 == 0 ? timeBare() && timeManaged() : timeManaged() && timeBare();
        if (!ok)
            return 1;
    }
    const double bareMedian = median(bare);
    const double managedMedian = median(managed);
    std::printf("set: %s, %d runs each\n", qPrintable(set), runs);
    std::printf("create_profile_for_job median: %.2f ms\n", bareMedian);
    std::printf("through the manager median:    %.2f ms\n", managedMedian);
    std::printf("difference: %+.2f ms (%+.2f %%)\n", managedMedian - bareMedian,
                100.0 * (managedMedian - bareMedian) / bareMedian);
    std::printf("process CPU time medians: %.2f ms bare, %.2f ms through the manager\n",
                median(bareCpu), median(managedCpu));
    std::printf("progress events of one run: %d\n", progressEvents);
    return 0;
}
