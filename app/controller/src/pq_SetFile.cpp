#include "controller/pq_SetFile.h"

#include "jobs/pq_JobFileReader.h"
#include "jobs/pq_jobExpertSettings.h"
#include "jobs/pq_jobInfo.h"

#include <QDomElement>
#include <QSaveFile>
#include <QStringList>

namespace {

bool fail(QString* message, const QString& text)
{
    if (message)
        *message = text;
    return false;
}

QList<QDomElement> childElements(const QDomElement& parent, const QString& tag)
{
    QList<QDomElement> found;
    for (QDomElement e = parent.firstChildElement(tag); !e.isNull(); e = e.nextSiblingElement(tag))
        found.append(e);
    return found;
}

}  // namespace

QString pq_setFileText(const pq_jobExpertSettings& expert)
{
    return QStringLiteral("<Set>\n") + expert.toJobXml() + QStringLiteral("</Set>\n");
}

bool pq_readSetFile(const QByteArray& bytes, const QString& path, pq_jobExpertSettings& expert,
                    pq_jobInfo& info, QString* message)
{
    const pq_JobFileReader::Parsed parsed = pq_JobFileReader::parse(bytes, path);
    if (!parsed.outcome.isWhole())
        return fail(message, parsed.outcome.message);
    const QDomElement root = parsed.document.documentElement();
    if (root.tagName() != QLatin1String("Set"))
        return fail(message, QStringLiteral("%1: the first element is \"%2\", not \"Set\"")
                                 .arg(path, root.tagName()));
    const QList<QDomElement> expertBlocks = childElements(root, QStringLiteral("ExpertSettings"));
    const QList<QDomElement> infoBlocks = childElements(root, QStringLiteral("JobInfo"));
    if (expertBlocks.size() > 1)
        return fail(message, QStringLiteral("%1: found multiple ExpertSettings tags").arg(path));
    if (infoBlocks.size() > 1)
        return fail(message, QStringLiteral("%1: found multiple JobInfo tags").arg(path));

    // Read into copies, so that a block that does not read whole changes
    // nothing.
    pq_jobExpertSettings newExpert = expert;
    pq_jobInfo newInfo = info;
    QStringList problems;
    if (!expertBlocks.isEmpty() && !newExpert.readFromXml(expertBlocks.first(), &problems))
        return fail(message, path + QStringLiteral(": ") + problems.join(QStringLiteral("; ")));
    if (!infoBlocks.isEmpty() && !newInfo.readFromXml(infoBlocks.first(), &problems))
        return fail(message, path + QStringLiteral(": ") + problems.join(QStringLiteral("; ")));
    expert = newExpert;
    info = newInfo;
    return true;
}

bool pq_writeTextFile(const QString& path, const QString& text, QString* message)
{
    const QByteArray bytes = text.toUtf8();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return fail(message, QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString()));
    return true;
}
