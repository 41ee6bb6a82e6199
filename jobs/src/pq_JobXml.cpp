// The job's stored file and its entry in the QML job list.
#include "jobs/pq_Job.h"

#include "jobs/pq_JobFileReader.h"
#include "jobs/pq_xmlText.h"
#include "jobs_logging.h"

#include <QDomNodeList>
#include <QFileInfo>

QString pq_Job::toXml() const
{
    auto line = [](const char *tag, const QString &value) {
        return QLatin1String("\t<") + QLatin1String(tag) + QLatin1Char('>') + pq_xmlEscaped(value)
            + QLatin1String("</") + QLatin1String(tag) + QLatin1String(">\n");
    };
    auto flag = [](bool value) { return QLatin1String(value ? "true" : "false"); };
    QString out = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Job>\n");
    out += line("Job_HumanReadable", m_jobName);
    out += line("Job_InitiallyDisabled", flag(m_initiallyDisabled));
    out += line("Job_ID", m_jobId);
    out += line("Job_ExpertSetName", m_expertSetName);
    out += line("Job_IsC1InsteadOfDCP", flag(m_c1InsteadOfDCP));
    out += m_expertSettings.toJobXml();
    out += m_jobInfo.toJobXml();
    out += targetsToJobXml(m_targetInfos, true);
    out += QLatin1String("</Job>");
    return out;
}

void pq_Job::readFromXML(const QString &path)
{
    QByteArray bytes;
    const pq_JobReadOutcome opened = pq_JobFileReader::readBytes(path, &bytes);
    if (opened.status == pq_JobReadOutcome::CannotOpen) {
        m_jobFilePath = path;
        m_lastRead = opened;
        return;
    }
    if (!opened.isWhole()) {
        readFromDocument(QDomDocument(), opened, path);
        return;
    }
    readFromBytes(bytes, path);
}

void pq_Job::readFromBytes(const QByteArray &bytes, const QString &path)
{
    const pq_JobFileReader::Parsed parsed = pq_JobFileReader::parse(bytes, path);
    readFromDocument(parsed.document, parsed.outcome, path);
}

void pq_Job::readFromDocument(const QDomDocument &document, const pq_JobReadOutcome &parsed,
                              const QString &path)
{
    m_jobFilePath = path;
    m_lastRead = parsed;
    if (parsed.isWhole()) {
        QStringList problems;
        pq_JobReadOutcome::StatusE status = pq_JobReadOutcome::ReadWhole;
        readJob(document, &problems, &status);
        m_lastRead.status = status;
        if (!problems.isEmpty())
            m_lastRead.message = path + QLatin1String(": ") + problems.join(QLatin1String("; "));
    }
    QString baseName = QFileInfo(path).fileName();
    if (baseName.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive))
        baseName.chop(4);
    m_jobName = baseName;
    updateTargetClones();
}

bool pq_Job::readJob(const QDomDocument &document, QStringList *problems,
                     pq_JobReadOutcome::StatusE *status)
{
    const QDomElement root = document.documentElement();
    auto reject = [&](pq_JobReadOutcome::StatusE why, const QString &message) {
        const QString located = QStringLiteral("line %1: %2").arg(root.lineNumber()).arg(message);
        qCDebug(lcJobFile).noquote() << "pq_Job::readFromXML" << located;
        problems->append(located);
        *status = why;
        return false;
    };
    if (root.tagName() != QLatin1String("Job"))
        return reject(pq_JobReadOutcome::NotJob, QStringLiteral("first Node is not \"Job\", exiting"));
    const QString id = checkAndReadTagToText(root, QStringLiteral("Job_ID"));
    if (id.isEmpty())
        return reject(pq_JobReadOutcome::NoId, QStringLiteral("Job_ID is missing, repeated or empty"));
    m_jobId = id;
    const QString name = checkAndReadTagToText(root, QStringLiteral("Job_HumanReadable"));
    if (name.isEmpty())
        return reject(pq_JobReadOutcome::NoName,
                      QStringLiteral("Job_HumanReadable is missing, repeated or empty"));
    m_jobName = name;
    bool whole = true;
    QString text;
    whole = pq_readSingleTag(root, QStringLiteral("Job_ExpertSetName"), &text, problems) && whole;
    m_expertSetName = text;
    whole = pq_readSingleTag(root, QStringLiteral("Job_IsC1InsteadOfDCP"), &text, problems) && whole;
    m_c1InsteadOfDCP = text == QLatin1String("true");
    whole = pq_readSingleTag(root, QStringLiteral("Job_InitiallyDisabled"), &text, problems) && whole;
    m_initiallyDisabled = text == QLatin1String("true");

    const QDomNodeList settings = root.elementsByTagName(QStringLiteral("ExpertSettings"));
    if (settings.size() > 1)
        return reject(pq_JobReadOutcome::RepeatedExpertSettings,
                      QStringLiteral("found multiple ExpertSettings tags ERROR"));
    if (settings.size() == 1)
        whole = m_expertSettings.readFromXml(settings.at(0).toElement(), problems) && whole;
    const QDomNodeList info = root.elementsByTagName(QStringLiteral("JobInfo"));
    if (info.size() > 1)
        return reject(pq_JobReadOutcome::RepeatedJobInfo,
                      QStringLiteral("found multiple JobInfo tags ERROR"));
    if (info.size() == 1)
        whole = m_jobInfo.readFromXml(info.at(0).toElement(), problems) && whole;

    const QDomNodeList descriptions = root.elementsByTagName(QStringLiteral("targetdescription"));
    if (descriptions.isEmpty())
        qCDebug(lcJobFile) << "pq_Job::readFromXML"
                           << "something is wrong with the targetdescription tag"
                           << "ERROR";
    pq_targetInfoList read;
    for (int i = 0; i < descriptions.size(); ++i) {
        auto *description = new pq_targetInfo;
        if (!description->readFromXml(descriptions.at(i).toElement(), problems))
            whole = false;
        if (description->name.isEmpty()) {
            delete description;
            continue;
        }
        description->checkNamedFiles(&m_lastRead.notes);
        replaceOrAppendTarget(read, description);
    }
    takeTargetDescriptions(read);
    if (!whole)
        *status = pq_JobReadOutcome::BadContent;
    return whole;
}

// The descriptions become those read, in their order. A target that the job
// already has under the same name keeps its description object, its shots,
// its clone and all of its per-target state; the others start empty.
void pq_Job::takeTargetDescriptions(const pq_targetInfoList &read)
{
    if (m_targetInfos.isEmpty()) {
        m_targetInfos = read;
        return;
    }
    pq_targetInfoList newList;
    QVector<int> from;
    QVector<bool> kept(m_targetInfos.size(), false);
    for (pq_targetInfo *description : read) {
        int old = -1;
        for (int i = 0; i < m_targetInfos.size() && old < 0; ++i)
            if (!kept[i] && !m_targetInfos.at(i)->isClone
                && m_targetInfos.at(i)->name == description->name)
                old = i;
        if (old < 0) {
            newList.append(description);
            from.append(-1);
            continue;
        }
        pq_targetInfo *existing = m_targetInfos.at(old);
        existing->assign(*description);
        delete description;
        newList.append(existing);
        from.append(old);
        kept[old] = true;
        // Its clone follows it; updateTargetClones renews or removes it.
        if (old + 1 < m_targetInfos.size() && m_targetInfos.at(old + 1)->isClone) {
            newList.append(m_targetInfos.at(old + 1));
            from.append(old + 1);
            kept[old + 1] = true;
        }
    }
    for (int i = 0; i < m_targetInfos.size(); ++i)
        if (!kept[i])
            delete m_targetInfos.at(i);
    rearrangeTargets(newList, from);
}

QString pq_Job::toQmlXml() const
{
    QString out = m_enabled ? QStringLiteral("<job enabled='true'>\n") : QStringLiteral("<job>\n");
    if (!m_targetInfos.isEmpty()) {
        auto line = [](const char *tag, const QString &value) {
            return QLatin1Char('<') + QLatin1String(tag) + QLatin1Char('>') + pq_xmlEscaped(value)
                + QLatin1String("</") + QLatin1String(tag) + QLatin1String(">\n");
        };
        out += line("jobName", m_jobName);
        out += line("targetsCount", QString::number(m_targetInfos.size()));
        out += line("calculationSet", m_expertSetName.isEmpty() ? tr("Unnamed") : m_expertSetName);
        out += line("currentTargetIndex", QString::number(m_currentTargetIndex));
        const pq_targetInfo *current = currentTargetInfo();
        if (current)
            out += current->toQmlXml(false, false, 0,
                                     m_expertSettings.cameraIlluminantIndex() == 1,
                                     profileKindText());
        out += targetsToQmlXml(m_targetInfos, 0);
        out += line("targetIlluminant", m_targetIlluminant);
        out += line("expertSetName", m_expertSetName);
        out += line("isC1InsteadOfDCP", QLatin1String(m_c1InsteadOfDCP ? "true" : "false"));
        out += m_expertSettings.toQmlXml(false, areAllTargetsSpectral(), QString());
        out += m_jobInfo.toQmlXml();
    }
    out += QLatin1String("</job>\n");
    return out;
}

