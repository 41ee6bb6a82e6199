#include "jobs/pq_JobFileWriter.h"

#include "jobs/pq_Job.h"
#include "jobs/pq_JobFileReader.h"
#include "jobs_logging.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {

pq_JobSaveResult refused(const QString &path, const QString &message)
{
    qCDebug(lcJobFile).noquote() << message;
    return {false, path, message, false};
}

}  // namespace

bool pq_JobFileWriter::isValidJobName(const QString &name, QString *reason)
{
    auto refuse = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (name.isEmpty())
        return refuse(QStringLiteral("the name is empty"));
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return refuse(QStringLiteral("\"%1\" names a folder").arg(name));
    // "|" separates the stored name lists; the others are refused by the
    // profile-name field and by common file systems.
    static const QString forbidden = QStringLiteral("/\\|:*?\"<>");
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control)
            return refuse(QStringLiteral("the name holds a control character"));
        if (forbidden.contains(c))
            return refuse(QStringLiteral("the name holds the character \"%1\"").arg(c));
    }
    return true;
}

pq_JobSaveResult pq_JobFileWriter::save(const pq_Job &job, const QString &jobsFolder)
{
    const QString name = job.getJobName();
    QString reason;
    if (!isValidJobName(name, &reason))
        return refused(QString(), QStringLiteral("The job name \"%1\" cannot name a file in the "
                                                 "jobs folder: %2.")
                                      .arg(name, reason));
    if (jobsFolder.isEmpty())
        return refused(QString(), QStringLiteral("There is no jobs folder."));
    const QString path = jobFilePath(jobsFolder, name);
    if (!QFileInfo(jobsFolder).isDir() && !QDir().mkpath(jobsFolder))
        return refused(path, QStringLiteral("The jobs folder %1 cannot be made.").arg(jobsFolder));

    const QByteArray bytes = (job.toXml() + QLatin1Char('\n')).toUtf8();
    // The new text must read back through the job reader itself.
    const pq_JobFileReader::Parsed check = pq_JobFileReader::parse(bytes, path);
    if (!check.outcome.isWhole())
        return refused(path, QStringLiteral("The job \"%1\" holds text that a job file cannot "
                                            "carry: %2")
                                 .arg(name, check.outcome.message));

    const QFileInfo existing(path);
    const QString inside = QFileInfo(jobsFolder).canonicalFilePath() + QLatin1Char('/');
    if (existing.isSymLink() && !existing.canonicalFilePath().startsWith(inside)) {
        // The save would write through the link into whatever it leads to.
        pq_JobSaveResult result = refused(
            path, QStringLiteral("The job file \"%1\" is kept as it is, since it is a link that "
                                 "does not lead to a file in the jobs folder.")
                      .arg(existing.fileName()));
        result.keptUnreadFile = true;
        return result;
    }
    if (existing.exists() || existing.isSymLink()) {
        pq_Job previous{QString(), QString()};
        previous.readFromXML(path);
        const pq_JobReadOutcome outcome = previous.lastReadOutcome();
        if (!outcome.isWhole()) {
            const QString file = existing.fileName();
            pq_JobSaveResult result =
                refused(path, QStringLiteral("The job file \"%1\" is kept as it is, since it does "
                                             "not read whole as a job: %2.")
                                  .arg(file, outcome.reason(path)));
            result.keptUnreadFile = true;
            return result;
        }
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return refused(path, QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.commit())
        return refused(path, QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString()));
    return {true, path, QString(), false};
}

QString pq_JobFileWriter::jobFilePath(const QString &jobsFolder, const QString &name)
{
    const QString exact = jobsFolder + QLatin1Char('/') + name + QLatin1String(".xml");
    const QFileInfo info(exact);
    if (info.exists() || info.isSymLink() || jobsFolder.isEmpty())
        return exact;
    const QStringList others = QDir(jobsFolder).entryList(
        {name + QLatin1String(".xml")}, QDir::Files | QDir::System | QDir::Hidden);
    QStringList same;
    for (const QString &other : others)
        if (other.size() == name.size() + 4 && other.startsWith(name))
            same.append(other);
    return same.size() == 1 ? jobsFolder + QLatin1Char('/') + same.first() : exact;
}
