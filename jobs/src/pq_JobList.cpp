#include "jobs/pq_JobList.h"

#include "jobs/pq_Job.h"
#include "jobs/pq_JobFileReader.h"
#include "jobs_logging.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QThreadPool>
#include <QVector>

#include <vector>

namespace {

// Parses job files on a pool's threads; each file is independent.
std::vector<pq_JobFileReader::Parsed> parseAll(QThreadPool &pool, const QStringList &paths)
{
    std::vector<pq_JobFileReader::Parsed> parsed(size_t(paths.size()));
    for (int i = 0; i < paths.size(); ++i) {
        pq_JobFileReader::Parsed *slot = &parsed[size_t(i)];
        const QString path = paths.at(i);
        pool.start(QRunnable::create([slot, path] { *slot = pq_JobFileReader::readFile(path); }));
    }
    pool.waitForDone();
    return parsed;
}

}  // namespace

pq_JobListIF *pq_JobListIF::create(const QString &jobsFolder, const QString &filmCurvesFolder,
                                   const QString &tempFolder)
{
    return new pq_JobList(jobsFolder, filmCurvesFolder, tempFolder);
}

pq_JobList::pq_JobList(const QString &jobsFolder, const QString &filmCurvesFolder,
                       const QString &tempFolder)
    : m_filmCurvesFolder(filmCurvesFolder), m_tempFolder(tempFolder)
{
    if (jobsFolder.isEmpty() || !QFileInfo(jobsFolder).isDir())
        return;
    const QStringList paths = jobFiles(jobsFolder);
    // A few files per thread at a time, so that only their documents are held
    // at once.
    QThreadPool pool;
    const int batch = qMax(1, pool.maxThreadCount()) * 4;
    for (int first = 0; first < paths.size(); first += batch) {
        const QStringList some = paths.mid(first, batch);
        std::vector<pq_JobFileReader::Parsed> parsed = parseAll(pool, some);
        for (int i = 0; i < some.size(); ++i) {
            auto *job = new pq_Job(m_filmCurvesFolder, m_tempFolder);
            m_jobs.append(job);
            pq_JobFileReader::Parsed &one = parsed[size_t(i)];
            if (one.outcome.status == pq_JobReadOutcome::CannotOpen)
                job->readFromXML(some.at(i));
            else
                job->readFromDocument(one.document, one.outcome, some.at(i));
            one.document = QDomDocument();
            noteReadProblems(*job);
        }
    }
}

QStringList pq_JobList::jobFiles(const QString &jobsFolder)
{
    const QString folder = QFileInfo(jobsFolder).canonicalFilePath() + QLatin1Char('/');
    // System lists pipes, sockets, devices and dangling links too, so that
    // each can be named to the user; none of them is opened.
    const QFileInfoList entries = QDir(jobsFolder).entryInfoList(
        {QStringLiteral("*.xml")}, QDir::Files | QDir::System, QDir::Name);
    QStringList paths;
    QHash<QString, int> byJobName;  // job name -> index in paths
    auto skip = [this](const QFileInfo &entry, const QString &why) {
        const QString problem = QStringLiteral("%1 is not read as a job: it %2.")
                                    .arg(entry.fileName(), why);
        qCDebug(lcJobList).noquote() << problem;
        m_problems.append(problem);
    };
    // One job per name: of files whose names differ only in the case of
    // ".xml", the one written as ".xml" (else the first) is the job, so that
    // saving it never writes over another's file.
    QStringList sameName;
    for (const QFileInfo &entry : entries) {
        if (entry.isSymLink()) {
            if (!entry.exists()) {
                skip(entry, QStringLiteral("is a link to nothing"));
                continue;
            }
            if (!entry.canonicalFilePath().startsWith(folder)) {
                skip(entry, QStringLiteral("is a link to a file outside the jobs folder"));
                continue;
            }
        }
        if (!entry.isFile()) {
            skip(entry, QStringLiteral("is not a regular file"));
            continue;
        }
        if (!entry.isReadable()) {
            skip(entry, QStringLiteral("cannot be read"));
            continue;
        }
        if (entry.size() > pq_JobFileReader::MaxFileSize) {
            skip(entry, QStringLiteral("is larger than a job file (%1 bytes)")
                            .arg(pq_JobFileReader::MaxFileSize));
            continue;
        }
        const QString name = entry.fileName().chopped(4);
        const auto known = byJobName.constFind(name);
        if (known == byJobName.constEnd()) {
            byJobName.insert(name, paths.size());
            paths.append(entry.absoluteFilePath());
            continue;
        }
        QString &kept = paths[known.value()];
        if (entry.fileName().endsWith(QLatin1String(".xml"))) {
            sameName.append(QFileInfo(kept).fileName());
            kept = entry.absoluteFilePath();
        } else {
            sameName.append(entry.fileName());
        }
    }
    for (const QString &file : qAsConst(sameName)) {
        const QString name = file.chopped(4);
        skip(QFileInfo(file),
             QStringLiteral("differs from %1 only in the case of \".xml\"; rename it "
                            "to see it as a job")
                 .arg(QFileInfo(paths.at(byJobName.value(name))).fileName()));
    }
    return paths;
}

void pq_JobList::noteReadProblems(const pq_Job &job)
{
    const pq_JobReadOutcome outcome = job.lastReadOutcome();
    const QString file = QFileInfo(job.jobFilePath()).fileName();
    if (!outcome.isWhole()) {
        m_problems.append(QStringLiteral("%1 does not read whole, so it is listed but will not "
                                         "be saved over: %2.")
                              .arg(file, outcome.reason(job.jobFilePath())));
    }
    for (const QString &note : outcome.notes)
        m_problems.append(QStringLiteral("%1: %2.").arg(file, note));
}

pq_JobList::~pq_JobList()
{
    qDeleteAll(m_jobs);
}

pq_JobIF *pq_JobList::jobById(const QString &id)
{
    for (pq_JobIF *job : qAsConst(m_jobs))
        if (job->getJobID() == id)
            return job;
    return nullptr;
}

const pq_JobIF *pq_JobList::jobById(const QString &id) const
{
    return const_cast<pq_JobList *>(this)->jobById(id);
}

pq_JobIF *pq_JobList::jobAt(int index)
{
    return index >= 0 && index < m_jobs.size() ? m_jobs.at(index) : nullptr;
}

const pq_JobIF *pq_JobList::jobAt(int index) const
{
    return index >= 0 && index < m_jobs.size() ? m_jobs.at(index) : nullptr;
}

QStringList pq_JobList::jobIds() const
{
    QStringList ids;
    for (const pq_JobIF *job : m_jobs)
        ids.append(job->getJobID());
    return ids;
}

QString pq_JobList::jobName(const QString &id) const
{
    const pq_JobIF *job = jobById(id);
    return job ? job->getJobName() : QString();
}

pq_targetSummary pq_JobList::jobSummary(const QString &id) const
{
    const pq_JobIF *job = jobById(id);
    return job ? job->currentTargetSummary() : pq_targetSummary();
}

QPixmap pq_JobList::jobPixmap(const QString &id) const
{
    const pq_JobIF *job = jobById(id);
    return job ? job->targetPixmap(-1) : QPixmap();
}

bool pq_JobList::moveJob(int from, int to)
{
    if (from < 0 || to < 0 || from >= m_jobs.size() || to >= m_jobs.size())
        return false;
    m_jobs.move(from, to);
    return true;
}

void pq_JobList::addJob(const QString &profileName, const QString &chartImagePath,
                        const QString &auxImagePath)
{
    m_jobs.append(
        new pq_Job(m_filmCurvesFolder, m_tempFolder, profileName, chartImagePath, auxImagePath));
}

void pq_JobList::addEmptyJob()
{
    m_jobs.append(new pq_Job(m_filmCurvesFolder, m_tempFolder));
}

void pq_JobList::sortJobList(const QStringList &names)
{
    QList<pq_JobIF *> ordered;
    QVector<bool> placed(m_jobs.size(), false);
    for (const QString &name : names) {
        int found = -1;
        for (int i = 0; i < m_jobs.size() && found < 0; ++i)
            if (!placed[i] && m_jobs.at(i)->getJobName() == name)
                found = i;
        if (found < 0) {
            qCDebug(lcJobList).nospace() << "sortJobList: did not find job named: \"" << name
                                         << "\"";
            continue;
        }
        placed[found] = true;
        ordered.append(m_jobs.at(found));
    }
    for (int i = 0; i < m_jobs.size(); ++i) {
        if (placed[i])
            continue;
        qCDebug(lcJobList) << "sortJobList: job not sorted, added at the end of the list:"
                           << m_jobs.at(i)->getJobName();
        ordered.append(m_jobs.at(i));
    }
    m_jobs = ordered;
}
