// Fills the data folders of a scratch home with job files and target
// templates, written by the program's own writers, for driven runs and
// benchmarks. It runs in the scratch home's environment (HOME and the XDG
// folders set as for the program), so the folders are the program's own.
//
//   pelto-seed-store [--template NAME COLUMNS ROWS REFERENCE]... [--jobs N] [--templates N] [--tour]
//                    [--strangers]
//
// --template writes a COLUMNS x ROWS template on a CGATS reference file, its
// picture drawn from the reference colours; the reference "fixture" stands
// for the chart-shot fixture's own colours, "spectral" for reflectance
// spectra, each written beside the templates.
// --templates N writes the templates a first start writes on the reference
// files of argyll-ref, and numbered copies of them up to N; --jobs N writes N
// one-target jobs on them; --tour writes the named jobs that the page tour
// shows (markup characters, a non-Latin name, a disabled job, a two-target
// job, a job with custom information); --strangers writes the job "Studio"
// and beside it what a jobs folder may hold that no job reads whole: a job
// file with a repeated element ("Twice"), "Studio.XML", a pipe, a dangling
// link and a link to a system file.

#include "DriverCharts.h"

#include "jobs/pq_Job.h"
#include "jobs/pq_JobFileWriter.h"
#include "jobs/pq_targetInfo.h"
#include "jobs/pq_targetTemplates.h"
#include "jobs/pq_templatesFolder.h"
#include "platform/atomic_file.h"
#include "platform/program_folders.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>
#include <memory>
#include <vector>

#include <sys/stat.h>

namespace {

const QString kReferenceFolder = QStringLiteral("/usr/share/color/argyll/ref");

QString targetsFolder()
{
    return pq_templatesFolder() + QStringLiteral("/Targets");
}

// A template on a reference file; "fixture" writes the fixture's reference
// first, "spectral" a reference of reflectance spectra.
bool writeNamedTemplate(const QString& name, int columns, int rows, QString reference)
{
    const QString templates = pq_templatesFolder();
    if (reference == QLatin1String("spectral")) {
        reference = templates + QLatin1Char('/') + name + QStringLiteral(".cie");
        QSaveFile file(reference);
        if (!QDir().mkpath(templates) || !file.open(QIODevice::WriteOnly)
            || file.write(spectralReference(columns, rows).toLatin1()) < 0 || !file.commit())
            return false;
    }
    if (reference == QLatin1String("fixture")) {
        ChartShotSpec spec;
        spec.columns = columns;
        spec.rows = rows;
        spec.cell = 4;
        reference = templates + QLatin1Char('/') + name + QStringLiteral(".cie");
        QSaveFile file(reference);
        if (!QDir().mkpath(templates) || !file.open(QIODevice::WriteOnly)
            || file.write(makeChartShot(spec).reference.toLatin1()) < 0 || !file.commit())
            return false;
    }
    return writeTargetTemplate(templates, name, columns, rows, reference);
}

// The templates of a first start, read back; numbered copies of them up to count.
std::vector<std::unique_ptr<pq_targetInfo>> starterTemplates(int count)
{
    std::vector<std::unique_ptr<pq_targetInfo>> templates;
    pq_writeStarterTargetTemplates(kReferenceFolder);
    // The tour's jobs stand on the first three.
    const char* const files[] = {"ColorChecker", "QPcard_201", "QPcard_202", "CMP_Digital_Target-4"};
    for (const char* file : files) {
        auto description = std::make_unique<pq_targetInfo>();
        if (description->readFromFile(targetsFolder() + QLatin1Char('/') + QLatin1String(file) + QStringLiteral(".xml")))
            templates.push_back(std::move(description));
    }
    const size_t starters = templates.size();
    for (int i = int(starters); i < count && starters > 0; ++i) {
        auto copy = std::make_unique<pq_targetInfo>();
        copy->assign(*templates.at(size_t(i) % starters));
        copy->name = QStringLiteral("%1 %2").arg(copy->name).arg(i + 1, 2, 10, QChar('0'));
        copy->model = copy->name;
        const QByteArray text = ("<?xml version='1.0' encoding='UTF-8'?>\n" + copy->makeExportXMLString(true)).toUtf8();
        const QString path = targetsFolder() + QLatin1Char('/') + copy->name + QStringLiteral(".xml");
        if (!platform::write_file_atomically(QFile::encodeName(path).toStdString(),
                                             reinterpret_cast<const uint8_t*>(text.constData()), size_t(text.size())))
            return {};
        templates.push_back(std::move(copy));
    }
    return templates;
}

struct JobSpec {
    QString name;
    std::vector<const pq_targetInfo*> targets;
    bool disabled = false;
    QString creator;
    QString copyright;
};

bool writeJob(const JobSpec& spec)
{
    pq_Job job{QString(), QString()};
    job.setJobId(spec.name);
    job.setJobName(spec.name);
    job.setInitiallyDisabled(spec.disabled);
    for (const pq_targetInfo* target : spec.targets) {
        auto* copy = new pq_targetInfo;
        copy->assign(*target);
        job.addTargetInfo(copy);
    }
    if (!spec.creator.isEmpty())
        job.jobInfo().setItem(QStringLiteral("CREATOR"), spec.creator);
    if (!spec.copyright.isEmpty())
        job.jobInfo().setItem(QStringLiteral("COPYRIGHT"), spec.copyright);
    const pq_JobSaveResult saved = pq_JobFileWriter::save(job, platform::jobsFolderPath());
    if (!saved.ok)
        fprintf(stderr, "cannot write the job \"%s\": %s\n", qPrintable(spec.name), qPrintable(saved.message));
    return saved.ok;
}

bool writeStrangers(const pq_targetInfo* target)
{
    if (!writeJob({QStringLiteral("Studio"), {target}, false, {}, {}})
        || !writeJob({QStringLiteral("Twice"), {target}, false, {}, {}}))
        return false;
    const QString folder = platform::jobsFolderPath();
    QFile twice(folder + QStringLiteral("/Twice.xml"));
    if (!twice.open(QIODevice::ReadOnly))
        return false;
    QByteArray text = twice.readAll();
    twice.close();
    const QByteArray element = "<Job_ExpertSetName>";
    text.insert(text.indexOf(element), "<Job_ExpertSetName>again</Job_ExpertSetName>\n\t");
    QFile upper(folder + QStringLiteral("/Studio.XML"));
    return platform::write_file_atomically(QFile::encodeName(twice.fileName()).toStdString(),
                                           reinterpret_cast<const uint8_t*>(text.constData()), size_t(text.size()))
           && QFile::copy(folder + QStringLiteral("/Studio.xml"), upper.fileName())
           && ::mkfifo(QFile::encodeName(folder + QStringLiteral("/Pipe.xml")).constData(), 0600) == 0
           && QFile::link(folder + QStringLiteral("/nothing.xml"), folder + QStringLiteral("/Gone.xml"))
           && QFile::link(QStringLiteral("/etc/passwd"), folder + QStringLiteral("/System.xml"));
}

int intOption(const QStringList& arguments, const QString& name)
{
    const int at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? qMax(0, arguments.at(at + 1).toInt()) : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    // The program's version; its major number names the data folder.
    QCoreApplication::setApplicationVersion(QStringLiteral("5.1.1"));
    const QStringList arguments = QCoreApplication::arguments();
    const int jobCount = intOption(arguments, QStringLiteral("--jobs"));
    const int templateCount = intOption(arguments, QStringLiteral("--templates"));
    const bool tour = arguments.contains(QStringLiteral("--tour"));
    const bool strangers = arguments.contains(QStringLiteral("--strangers"));
    if (platform::jobsFolderPath().isEmpty()) {
        fprintf(stderr, "no documents folder\n");
        return 1;
    }

    for (int at = arguments.indexOf(QStringLiteral("--template")); at >= 0;
         at = arguments.indexOf(QStringLiteral("--template"), at + 1)) {
        if (at + 4 >= arguments.size()) {
            fprintf(stderr, "usage: --template NAME COLUMNS ROWS REFERENCE\n");
            return 2;
        }
        const QString name = arguments.at(at + 1);
        if (!writeNamedTemplate(name, arguments.at(at + 2).toInt(), arguments.at(at + 3).toInt(), arguments.at(at + 4))) {
            fprintf(stderr, "cannot write the template \"%s\" on %s\n", qPrintable(name),
                    qPrintable(arguments.at(at + 4)));
            return 1;
        }
    }

    std::vector<std::unique_ptr<pq_targetInfo>> templates;
    if (tour || strangers || templateCount > 0 || jobCount > 0) {
        templates = starterTemplates(templateCount);
        if (templates.size() < (tour ? 3u : 1u)) {
            fprintf(stderr, "cannot write the target templates (is argyll-ref installed?)\n");
            return 1;
        }
    }
    std::vector<JobSpec> jobs;
    if (tour) {
        const pq_targetInfo* first = templates.at(0).get();
        const pq_targetInfo* second = templates.at(1).get();
        const pq_targetInfo* third = templates.at(2).get();
        jobs.push_back({QStringLiteral("Studio Daylight"), {first}, false,
                        QStringLiteral("A. Smith <studio>"), QStringLiteral("© 2026 \"Studio\" & Co")});
        jobs.push_back({QStringLiteral("Smith & Sons"), {second}, false, {}, {}});
        jobs.push_back({QStringLiteral("Копия Δ музей"), {third}, false, {}, {}});
        jobs.push_back({QStringLiteral("Old Scanner (off)"), {first}, true, {}, {}});
        jobs.push_back({QStringLiteral("Museum 'Multi' 2"), {first, second}, false, {}, {}});
    }
    for (int i = 0; i < jobCount; ++i)
        jobs.push_back({QStringLiteral("Job %1").arg(i + 1, 4, 10, QChar('0')),
                        {templates.at(size_t(i) % templates.size()).get()}, false, {}, {}});
    for (const JobSpec& spec : jobs) {
        if (!writeJob(spec))
            return 1;
    }
    if (strangers && !writeStrangers(templates.at(0).get())) {
        fprintf(stderr, "cannot write the strange entries of the jobs folder\n");
        return 1;
    }
    return 0;
}
