#include "controller/peltoQt.h"

#include "ControllerBusy.h"
#include "ControllerLogging.h"
#include "controller/pq_SetFile.h"
#include "jobs/pq_Job.h"
#include "jobs/pq_JobFileReader.h"
#include "jobs/pq_JobFileWriter.h"
#include "platform/program_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace platform;

namespace {

// The name shown for a set whose settings were changed since it was applied.
QString withoutChangedMark(QString name)
{
    if (name.endsWith(QLatin1String(" (*)")))
        name.chop(4);
    return name;
}

}  // namespace

void peltoQt::publishExpertBlock(pq_Job* job)
{
    const pq_jobExpertSettings& expert = job->jobExpertSettings();
    const bool spectral = job->areAllTargetsSpectral();
    m_currentJob.insert(QStringLiteral("expert"), expert.toQmlXml(false, spectral, QString()));
    m_currentJob.insert(QStringLiteral("expertTrimmed"), expert.toQmlXml(true, spectral, m_profileNameTag));
    m_currentJob.insert(QStringLiteral("expertAllAllLocked"), expert.areAllItemsLocked());
    m_currentJob.insert(QStringLiteral("expertRemoveAllTab"), true);
    m_currentJob.insert(QStringLiteral("expertIccAllLocked"), expert.areIccItemsLocked());
    m_currentJob.insert(QStringLiteral("expertCameraAllLocked"), expert.areCameraItemsLocked());
    m_currentJob.insert(QStringLiteral("expertC1AllLocked"), expert.areC1ItemsLocked());
}

void peltoQt::expertParamChanged(QString name, QString value, bool temporaryChange)
{
    Busy busy(m_mutex, "expertParamChanged");
    if (!busy)
        return;
    pq_Job* job = currentOrTemplateJob();
    job->jobExpertSettings().applyScannerRule(name, value, temporaryChange);
    job->setExpertSetName(QString());
    m_currentJob.insert(QStringLiteral("expertSetName"), QString());
    publishExpertBlock(job);
}

void peltoQt::expertParamLockChanged(QString name, bool locked)
{
    Busy busy(m_mutex, "expertParamLockChanged");
    if (!busy)
        return;
    pq_Job* job = currentOrTemplateJob();
    job->jobExpertSettings().setLocked(name, locked);
    publishExpertBlock(job);
}

void peltoQt::infoParamChanged(QString name, QString value)
{
    Busy busy(m_mutex, "infoParamChanged");
    if (!busy)
        return;
    pq_Job* job = currentOrTemplateJob();
    job->jobInfo().setItem(name, value);
    m_currentJob.insert(QStringLiteral("info"), job->jobInfo().toQmlXml());
}

bool peltoQt::isExpertModeLocked()
{
    const QString& tag = m_profileNameTag;
    const bool ignoreCamera = tag != QLatin1String("DCP") && !tag.isEmpty();
    const bool ignoreC1 = tag != QLatin1String("C1") && !tag.isEmpty();
    const bool ignoreIcc = tag != QLatin1String("ICC") && !tag.isEmpty();
    qCDebug(lcSets) << "ignore Camera=" << (ignoreCamera ? "yes" : "no") << "ignore C1="
                    << (ignoreC1 ? "yes" : "no") << " ignore ICC=" << (ignoreIcc ? "yes" : "no");
    return currentOrTemplateJob()->jobExpertSettings().areLockedFor(ignoreCamera, ignoreC1, ignoreIcc);
}

QString peltoQt::getCustomIlluminants()
{
    QStringList names;
    const QFileInfoList files =
        QDir(illuminantsFolderPath()).entryInfoList(QDir::Files | QDir::Readable, QDir::Unsorted);
    for (const QFileInfo& file : files)
        names.append(file.completeBaseName());
    return names.join(QLatin1Char('|'));
}

QString peltoQt::applySet(QString name)
{
    Busy busy(m_mutex, "applySet");
    if (!busy)
        return tr("Another operation on the job is still running; the set \"%1\" was not applied.").arg(name);
    QString path;
    if (!QFileInfo(setsFolderPath()).isDir() || !resolveName(setsFolderPath(), name, &path, "applySet")
        || !QFileInfo(path).isFile()) {
        qCWarning(lcSets).noquote() << "peltoQt::applySet: no set file for" << name;
        return tr("The set \"%1\" is not in the sets folder any more.").arg(name);
    }
    QByteArray bytes;
    const pq_JobReadOutcome read = pq_JobFileReader::readBytes(path, &bytes);
    if (read.status != pq_JobReadOutcome::ReadWhole) {
        qCWarning(lcSets).noquote() << "peltoQt::applySet" << read.message;
        return tr("The set \"%1\" cannot be read: %2").arg(name, read.message);
    }
    pq_Job* job = currentOrTemplateJob();
    QString message;
    if (!pq_readSetFile(bytes, path, job->jobExpertSettings(), job->jobInfo(), &message)) {
        qCWarning(lcSets).noquote() << "peltoQt::applySet" << message;
        return tr("The file of the set \"%1\" holds no settings that can be applied: %2").arg(name, message);
    }
    job->setExpertSetName(name);
    m_currentJob.insert(QStringLiteral("expertSetName"), name);
    publishExpertBlock(job);
    m_currentJob.insert(QStringLiteral("info"), job->jobInfo().toQmlXml());
    return QString();
}

bool peltoQt::duplicateSet(QString name, QString newName)
{
    Q_UNUSED(name)
    QString path;
    if (!resolveName(setsFolderPath(), newName, &path, "duplicateSet"))
        return false;
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        qCWarning(lcSets) << "duplicateSet: a set named" << newName << "exists already";
        return false;
    }
    if (!QDir().mkpath(setsFolderPath())) {
        qCWarning(lcSets) << "the sets folder cannot be made:" << setsFolderPath();
        return false;
    }
    QString message;
    const bool written = pq_writeTextFile(
        path, pq_setFileText(currentOrTemplateJob()->jobExpertSettings()) + QLatin1Char('\n'), &message);
    if (!written)
        qCWarning(lcSets).noquote() << "duplicateSet:" << message;
    writeSetsList();
    return written;
}

bool peltoQt::saveSet(QString name)
{
    name = withoutChangedMark(name);
    QString path;
    if (!resolveName(setsFolderPath(), name, &path, "saveSet"))
        return false;
    // The screen asked before an existing set is replaced.
    QString message;
    bool written = QDir().mkpath(setsFolderPath());
    if (written)
        written = pq_writeTextFile(
            path, pq_setFileText(currentOrTemplateJob()->jobExpertSettings()) + QLatin1Char('\n'),
            &message);
    writeSetsList();
    if (!written) {
        // The settings do not come from a set that was never stored.
        qCWarning(lcSets).noquote() << "saveSet:" << name << message;
        return false;
    }
    currentOrTemplateJob()->setExpertSetName(name);
    m_currentJob.insert(QStringLiteral("expertSetName"), name);
    return true;
}

bool peltoQt::doesSetExist(QString name)
{
    name = withoutChangedMark(name);
    QString path;
    const bool exists = resolveName(setsFolderPath(), name, &path, "doesSetExist")
        && QFileInfo::exists(path);
    qCDebug(lcSets) << "Does Set Exist ? " << name << (exists ? "yes\n" : "No\n");
    return exists;
}

void peltoQt::deleteSet(QString name)
{
    Busy busy(m_mutex, "deleteSet");
    if (!busy)
        return;
    qCDebug(lcSets) << "deleteSet\n";
    name = withoutChangedMark(name);
    QString path;
    if (!QFileInfo(setsFolderPath()).isDir() || !resolveName(setsFolderPath(), name, &path, "deleteSet"))
        return;
    if (QFileInfo::exists(path) && !QFile::remove(path)) {
        qCWarning(lcSets) << "deleteSet: cannot remove" << path;
    } else {
        // The job keeps the settings but no longer names a set that is gone.
        pq_Job* job = currentOrTemplateJob();
        if (job->expertSetName() == name) {
            job->setExpertSetName(QString());
            m_currentJob.insert(QStringLiteral("expertSetName"), QString());
        }
    }
    writeSetsList();
}

QString peltoQt::makeSetsListString() const
{
    const QDir folder(setsFolderPath());
    if (!folder.exists())
        return QString();
    QStringList names;
    const QFileInfoList files = folder.entryInfoList({QStringLiteral("*.xml")},
                                                     QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo& file : files) {
        // A name that no set operation accepts would only break the list.
        if (pq_JobFileWriter::isValidJobName(file.completeBaseName()))
            names.append(file.completeBaseName());
    }
    return names.join(QLatin1Char('|'));
}

void peltoQt::writeSetsList()
{
    m_allSets.insert(QStringLiteral("list"), makeSetsListString());
}
