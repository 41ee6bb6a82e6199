// Start-up benchmark. Starts the program (a copy of it with a start-up probe)
// on a seeded store of 0, 100 and 500 jobs and 20 target templates, under
// xvfb-run (xcb with Mesa) and offscreen with Qt Quick's software back end,
// and prints the median and the 95th percentile, in milliseconds from the
// process's start, of: the application and controller ready, main.qml loaded,
// and the first frame of the first screen (the front page, or the intro when
// the intro is on). One run before the timed ones fills the caches (the QML
// cache among them); its figures are printed as "cold".
//
//   startup_bench [--runs N] [--jobs 0,100,500] [--platforms xcb,offscreen]

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

struct Sample {
    double ready = 0;
    double loaded = 0;
    double frame = 0;
    QString page;
};

struct Config {
    QString platform;
    int jobs = 0;
    bool intro = false;
};

QProcessEnvironment homeEnvironment(const QString& root, const QString& platform)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), root + QStringLiteral("/home"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), root + QStringLiteral("/home/.cache"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + QStringLiteral("/runtime"));
    env.insert(QStringLiteral("TMPDIR"), root + QStringLiteral("/tmp"));
    env.remove(QStringLiteral("VP_DRIVER_SHOTS"));
    env.remove(QStringLiteral("VP_DRIVER_ARGS"));
    if (platform == QLatin1String("offscreen")) {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QT_QUICK_BACKEND"), QStringLiteral("software"));
    } else {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.remove(QStringLiteral("QT_QUICK_BACKEND"));
    }
    return env;
}

bool run(const QString& program, const QStringList& arguments, const QProcessEnvironment& env,
         QByteArray* output, int timeoutMs)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        fprintf(stderr, "%s did not finish\n", qPrintable(program));
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        fprintf(stderr, "%s ended with %d: %s\n", qPrintable(program), process.exitCode(),
                process.readAllStandardError().right(2000).constData());
        return false;
    }
    return true;
}

// A scratch home with the jobs and templates; the intro off unless asked for.
bool seed(const QString& root, const Config& config)
{
    QDir(root).removeRecursively();
    for (const char* folder : {"home", "config/Vandrelith", "data", "runtime", "tmp"})
        QDir().mkpath(root + QLatin1Char('/') + QLatin1String(folder));
    QFile::setPermissions(root + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!config.intro) {
        QFile settings(root + QStringLiteral("/config/Vandrelith/pelto5.conf"));
        if (!settings.open(QIODevice::WriteOnly) || settings.write("[General]\nshowIntro=false\n") < 0)
            return false;
    }
    return run(QStringLiteral(VP_SEED_STORE),
               {QStringLiteral("--jobs"), QString::number(config.jobs), QStringLiteral("--templates"),
                QStringLiteral("20")},
               homeEnvironment(root, QStringLiteral("offscreen")), nullptr, 600000);
}

bool probe(const QString& root, const Config& config, Sample* sample)
{
    QString program = QStringLiteral(VP_STARTUP_PROBE);
    QStringList arguments{QStringLiteral("--no-splash")};
    if (config.platform == QLatin1String("xcb")) {
        arguments = QStringList{QStringLiteral("-a"), QStringLiteral("-s"),
                                QStringLiteral("-screen 0 1280x1024x24 -dpi 96"), program} + arguments;
        program = QStringLiteral("xvfb-run");
    }
    QByteArray output;
    if (!run(program, arguments, homeEnvironment(root, config.platform), &output, 300000))
        return false;
    static const QRegularExpression line(
        QStringLiteral("probe ready=(-?\\d+) loaded=(-?\\d+) frame=(-?\\d+) page=(\\w+)"));
    const QRegularExpressionMatch match = line.match(QString::fromUtf8(output));
    if (!match.hasMatch()) {
        fprintf(stderr, "the probe printed no figures: %s\n", output.constData());
        return false;
    }
    sample->ready = match.captured(1).toDouble();
    sample->loaded = match.captured(2).toDouble();
    sample->frame = match.captured(3).toDouble();
    sample->page = match.captured(4);
    return sample->ready >= 0 && sample->loaded >= 0 && sample->frame >= 0;
}

// Nearest-rank percentile of sorted values.
double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const size_t rank = size_t(std::ceil(p / 100.0 * double(values.size())));
    return values.at(std::min(values.size(), std::max<size_t>(rank, 1)) - 1);
}

QStringList listOption(const QStringList& arguments, const QString& name, const QString& fallback)
{
    const int at = arguments.indexOf(name);
    return (at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : fallback)
        .split(QLatin1Char(','), Qt::SkipEmptyParts);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int runs = std::max(1, listOption(arguments, QStringLiteral("--runs"), QStringLiteral("10")).value(0).toInt());
    const QStringList jobCounts = listOption(arguments, QStringLiteral("--jobs"), QStringLiteral("0,100,500"));
    const QStringList platforms = listOption(arguments, QStringLiteral("--platforms"), QStringLiteral("xcb,offscreen"));

    std::vector<Config> configs;
    for (const QString& platform : platforms) {
        for (const QString& jobs : jobCounts)
            configs.push_back({platform, jobs.toInt(), false});
        // The intro as a new user meets it, on the middle store.
        configs.push_back({platform, jobCounts.value(jobCounts.size() / 2).toInt(), true});
    }

    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        fprintf(stderr, "no scratch folder\n");
        return 1;
    }
    const QString root = scratch.path() + QStringLiteral("/home-root");
    printf("Program start-up, milliseconds from the process's start; %d runs each after one cold run;\n"
           "20 target templates. xcb: xvfb-run with Mesa; offscreen: Qt Quick's software back end.\n\n",
           runs);
    printf("%-10s %5s %-6s | %-25s | %-25s | %-25s\n", "platform", "jobs", "screen", "app+controller ready",
           "main.qml loaded", "first frame");
    printf("%-10s %5s %-6s | %7s %7s %9s | %7s %7s %9s | %7s %7s %9s\n", "", "", "", "median", "p95", "cold",
           "median", "p95", "cold", "median", "p95", "cold");
    int status = 0;
    double goalMedian = -1;
    for (const Config& config : configs) {
        if (!seed(root, config)) {
            fprintf(stderr, "cannot seed %d jobs\n", config.jobs);
            return 1;
        }
        Sample cold;
        std::vector<double> ready, loaded, frame;
        QString page;
        bool ok = probe(root, config, &cold);
        for (int i = 0; ok && i < runs; ++i) {
            Sample sample;
            ok = probe(root, config, &sample);
            ready.push_back(sample.ready);
            loaded.push_back(sample.loaded);
            frame.push_back(sample.frame);
            page = sample.page;
        }
        if (!ok) {
            printf("%-10s %5d: the probe failed\n", qPrintable(config.platform), config.jobs);
            status = 1;
            continue;
        }
        if (page != QLatin1String(config.intro ? "intro" : "front")) {
            printf("%-10s %5d: the first screen was \"%s\"\n", qPrintable(config.platform), config.jobs,
                   qPrintable(page));
            status = 1;
        }
        printf("%-10s %5d %-6s | %7.0f %7.0f %9.0f | %7.0f %7.0f %9.0f | %7.0f %7.0f %9.0f\n",
               qPrintable(config.platform), config.jobs, qPrintable(page), percentile(ready, 50),
               percentile(ready, 95), cold.ready, percentile(loaded, 50), percentile(loaded, 95), cold.loaded,
               percentile(frame, 50), percentile(frame, 95), cold.frame);
        fflush(stdout);
        if (config.platform == QLatin1String("xcb") && config.jobs == 100 && !config.intro)
            goalMedian = percentile(frame, 50);
    }
    if (goalMedian >= 0)
        printf("\nGoal: the front page's first frame with 100 jobs under xvfb-run within 1500 ms: %s (median %.0f ms)\n",
               goalMedian <= 1500 ? "met" : "missed", goalMedian);
    return status;
}
