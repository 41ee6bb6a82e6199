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
    return {false, path, message};
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
    const QString path = jobsFolder + QLatin1Char('/') + name + QLatin1String(".xml");
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
    if (existing.exists() || existing.isSymLink()) {
        pq_Job previous{QString(), QString()};
        previous.readFromXML(path);
        const pq_JobReadOutcome outcome = previous.lastReadOutcome();
        if (!outcome.isWhole())
            return refused(path, QStringLiteral("%1 does not read whole as a job and is kept "
                                                "as it is: %2")
                                     .arg(path, outcome.message));
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return refused(path, QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.commit())
        return refused(path, QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString()));
    return {true, path, QString()};
}
