#include "controller/peltoQt.h"

#include "ControllerBusy.h"
#include "ControllerLogging.h"
#include "settings/pq_ControllerObject.h"
#include "settings/pq_Settings.h"
#include "chart/Config.h"
#include "jobs/pq_Job.h"
#include "jobs/pq_JobFileWriter.h"
#include "jobs/pq_JobListIF.h"
#include "jobs/pq_targetInfo.h"
#include "platform/program_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QQmlContext>

using namespace platform;

namespace {

qint64 monotonicMilliseconds()
{
    static const QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

// Selections that come from the user's own hand; they end the save guard.
bool isUserOrigin(const QString& origin)
{
    static const QStringList origins = {QStringLiteral("dropped"), QStringLiteral("tileView"),
                                        QStringLiteral("edit"), QStringLiteral("summary"),
                                        QStringLiteral("new job")};
    return origins.contains(origin);
}

}  // namespace

peltoQt::peltoQt() : m_clock(monotonicMilliseconds) {}

peltoQt::~peltoQt()
{
    if (instance() == this)
        setInstance(nullptr);
    if (m_connectedJob)
        disconnect(m_connectedJob, nullptr, this, nullptr);
    m_targetList.clear();
    dropJobList();
    m_templateJob.reset();
}

peltoQt* peltoQt::instance()
{
    return qobject_cast<peltoQt*>(pq_controllerObject());
}

void peltoQt::setInstance(peltoQt* controller)
{
    pq_setControllerObject(controller);
}

void peltoQt::setImageItem(QObject* owner, pq_ImageItemIF* item)
{
    m_imageItemOwner = owner;
    m_imageItem = owner ? item : nullptr;
}

void peltoQt::setMagnifier(QObject* owner, pq_MagnifierIF* magnifier)
{
    m_magnifierOwner = owner;
    m_magnifier = owner ? magnifier : nullptr;
}

pq_ImageItemIF* peltoQt::imageItem() const
{
    return m_imageItemOwner ? m_imageItem : nullptr;
}

pq_MagnifierIF* peltoQt::magnifier() const
{
    return m_magnifierOwner ? m_magnifier : nullptr;
}

void peltoQt::setClock(Clock clock)
{
    m_clock = clock ? std::move(clock) : Clock(monotonicMilliseconds);
}

pq_Job* peltoQt::currentOrTemplateJob() const
{
    return m_currentJob_ ? m_currentJob_ : m_templateJob.get();
}

pq_Job* peltoQt::jobAt(int index) const
{
    return m_jobList ? qobject_cast<pq_Job*>(m_jobList->jobAt(index)) : nullptr;
}

void peltoQt::createJobList()
{
    m_jobList.reset(pq_JobListIF::create(jobsFolderPath(), filmCurvesFolderPath(), tempFolderPath()));
    announceJobFileProblems();
}

void peltoQt::announceJobFileProblems()
{
    QStringList fresh;
    for (const QString& problem : m_jobList->problems()) {
        if (m_announcedJobProblems.contains(problem))
            continue;
        m_announcedJobProblems.insert(problem);
        fresh.append(problem);
    }
    if (fresh.isEmpty())
        return;
    if (!m_pendingJobProblems.isEmpty())
        fresh.prepend(m_pendingJobProblems);
    m_pendingJobProblems = fresh.join(QLatin1Char('\n'));
    alertWarning(tr("Jobs Folder"), m_pendingJobProblems);
}

void peltoQt::init(const QString& programPath)
{
    m_templateJob = std::make_unique<pq_Job>(filmCurvesFolderPath(), tempFolderPath());
    pq_Settings* settings = pq_Settings::instance();
    if (settings->hasSortingJobsAuto())
        m_sortingJobsAuto = settings->sortingJobsAuto();

    initRatios();
    initScaleProperties();
    refreshDeltaELimits();
    resetColorPicker();

    if (!QDir().mkpath(jobsFolderPath()))
        qCWarning(lcController) << "the jobs folder cannot be made:" << jobsFolderPath();
    // Shots and profiles pass through the temporary folder: this user's alone.
    if (!makePrivateFolder(tempFolderPath()))
        qCWarning(lcController) << "the temporary folder cannot be made private to this user:" << tempFolderPath();

    // The profile engine's relative file names depend on the current folder.
    QString programFolder;
    if (QCoreApplication::instance()) {
        programFolder = QCoreApplication::applicationDirPath();
    } else {
        const QString path = QDir::fromNativeSeparators(programPath);
        programFolder = path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
    }
    if (!programFolder.isEmpty() && QDir::setCurrent(programFolder))
        qCDebug(lcController) << "changed applicationPath to:" << programFolder;
    ConfigIF::instance()->init(tempFolderPath(), templatesFolderPath());
    qCDebug(lcController) << "DATA FOLDER=" << jobsFolderPath();
    createJobList();
    if (!settings->hasDisabledJobsList())
        saveDisabledJobsList(true);
    applyDisabledJobsList();
    loadAndApplySortedJobsList(false);
    m_allJobs.insert(QStringLiteral("xml"), makeJobsUIXMLString(false));
    m_allEnabledJobs.insert(QStringLiteral("xml"), makeJobsUIXMLString(true));
    writeSetsList();

    loadTargetList();
    m_allTargets.insert(QStringLiteral("xml"), makeAllTargetsUIXMLString());
    m_allTargets.insert(QStringLiteral("firstSelectedIndex"), firstSelectedTargetIndex());
    refreshProfileList();

    m_createdProfilePath.clear();
    m_compareProfilePath.clear();
    m_compareActive = false;
    m_saveGuardActive = false;
    resetCurrentJobMap();
}

void peltoQt::resetCurrentJobMap()
{
    const QString empty;
    m_currentJob.insert(QStringLiteral("name"), QStringLiteral("unnamed"));
    m_currentJob.insert(QStringLiteral("profileName"), QStringLiteral("unnamed"));
    m_currentJob.insert(QStringLiteral("progressValue"), 0);
    m_currentJob.insert(QStringLiteral("targets"), empty);
    m_currentJob.insert(QStringLiteral("currentTargetShots"), empty);
    m_currentJob.insert(QStringLiteral("currentTarget"), -1);
    setTargets4UIAnimation(-1, -1);
    m_currentJob.insert(QStringLiteral("currentTarget"), -1);
    m_currentJob.insert(QStringLiteral("targetCount"), 0);
    m_currentJob.insert(QStringLiteral("info"), empty);
    m_currentJob.insert(QStringLiteral("expertSetName"), empty);
    m_currentJob.insert(QStringLiteral("expert"), empty);
    m_currentJob.insert(QStringLiteral("C1TifProgress"), 0);
    m_currentJob.insert(QStringLiteral("imageProgress"), 0);
    m_currentJob.insert(QStringLiteral("profileNameTag"), empty);
}

pq_JobIF* peltoQt::findJob(const QString& name, int& index, int& enabledIndex) const
{
    index = -1;
    enabledIndex = -1;
    if (!m_jobList)
        return nullptr;
    int enabledBefore = 0;
    for (int i = 0; i < m_jobList->count(); ++i) {
        pq_JobIF* job = m_jobList->jobAt(i);
        if (job->getJobName() == name) {
            index = i;
            enabledIndex = enabledBefore;
            return job;
        }
        if (job->isEnabled())
            ++enabledBefore;
    }
    return nullptr;
}

QString peltoQt::makeJobsUIXMLString(bool onlyEnabled) const
{
    QString xml = QStringLiteral("<?xml version='1.0' encoding='UTF-8'?>\n<jobs>\n");
    if (m_jobList) {
        for (int i = 0; i < m_jobList->count(); ++i) {
            const pq_JobIF* job = m_jobList->jobAt(i);
            if (!onlyEnabled || job->isEnabled())
                xml += job->toQmlXml();
        }
    }
    return xml + QStringLiteral("</jobs>\n");
}

bool peltoQt::isSaveGuardHolding(const QString& origin)
{
    if (!m_saveGuardActive)
        return false;
    if (!isUserOrigin(origin) && m_clock() - m_saveGuardStart <= SaveGuardMilliseconds)
        return true;
    m_saveGuardActive = false;
    return false;
}

bool peltoQt::setCurrentJob(QString name, QString origin, bool force)
{
    if (isSaveGuardHolding(origin))
        return true;
    qCDebug(lcController) << "setCurrentJob origin:" << origin << "name:" << name << "was:"
                          << (m_currentJob_ ? m_currentJob_->getJobName() : QStringLiteral("NONE"));
    if (!force && m_currentJob_ && m_currentJob_->getJobName() == name) {
        qCDebug(lcController) << "Job already set as current, no further action needed\n";
        return !m_uiRefreshed;
    }
    m_uiRefreshed = false;
    m_currentJob_ = nullptr;
    int position = 0;
    const bool newJob = origin == QLatin1String("new job");
    if (!newJob && m_jobList) {
        for (position = 0; position < m_jobList->count(); ++position) {
            if (m_jobList->jobAt(position)->getJobName() == name) {
                m_currentJob_ = jobAt(position);
                break;
            }
        }
    }
    if (!m_currentJob_ && newJob) {
        qCDebug(lcController) << "New job requiring freeing targets\n";
        pq_targetInfoList& infos = const_cast<pq_targetInfoList&>(m_templateJob->targetInfos());
        deleteTargetInfos(infos);
        // A new job starts from the defaults, not from what the last new
        // job was given.
        m_templateJob->jobExpertSettings() = pq_jobExpertSettings();
        m_templateJob->jobInfo() = pq_jobInfo();
        m_templateJob->setExpertSetName(QString());
        m_templateJob->setC1InsteadOfDCP(false);
        m_templateJob->resetRuntimeState();
        m_allTargets.insert(QStringLiteral("xml"), makeAllTargetsUIXMLString());
        m_currentJob.insert(QStringLiteral("targetCount"), 0);
        m_currentJob.insert(QStringLiteral("targets"), targetsToQmlXml(m_templateJob->targetInfos(), 0));
        const int shot = imageItem() ? imageItem()->shotIndex() : 0;
        m_currentJob.insert(QStringLiteral("currentTargetShots"), m_templateJob->currentShotsXml(shot));
    }
    m_currentJob.insert(QStringLiteral("name"), name);
    int index = -1;
    int enabledIndex = -1;
    findJob(name, index, enabledIndex);
    m_currentJob.insert(QStringLiteral("index"), position);
    m_allJobs.insert(QStringLiteral("currentIndex"), index);
    m_allEnabledJobs.insert(QStringLiteral("currentIndex"), enabledIndex);
    setTargets4UIAnimation(-1, 0);
    // A job the user comes back to keeps its shots, pictures and
    // measurements; starting over is resetRuntime's.
    if (pq_ImageItemIF* item = imageItem())
        item->resetShotState(false);
    emit currentJobNameChanged();
    return !m_uiRefreshed;
}

bool peltoQt::setCurrentEnabledJobByIndex(int index, QString origin, bool force)
{
    if (!m_jobList || index < 0)
        return false;
    int enabled = 0;
    for (int i = 0; i < m_jobList->count(); ++i) {
        pq_JobIF* job = m_jobList->jobAt(i);
        if (!job->isEnabled())
            continue;
        if (enabled == index)
            return setCurrentJob(job->getJobName(), origin, force);
        ++enabled;
    }
    return false;
}

void peltoQt::connectCurrentJob()
{
    if (m_connectedJob && m_connectedJob != m_currentJob_)
        disconnect(m_connectedJob, nullptr, this, nullptr);
    m_connectedJob = m_currentJob_;
    if (!m_currentJob_)
        return;
    connect(m_currentJob_, &pq_JobIF::chartC1TifProgress, this, &peltoQt::catchC1TifProgress,
            Qt::UniqueConnection);
    connect(m_currentJob_, &pq_JobIF::chartImageProgress, this, &peltoQt::catchImageProgress,
            Qt::UniqueConnection);
    connect(m_currentJob_, &pq_JobIF::chartImageLoading, this, &peltoQt::catchImageLoading,
            Qt::UniqueConnection);
}

void peltoQt::refreshCurrentJob4UI()
{
    pq_Job* job = currentOrTemplateJob();
    qCDebug(lcController) << "REFRESHCURRENTJOB4UI is:"
                          << (m_currentJob_ ? m_currentJob_->getJobName() : QStringLiteral("NONE"));
    job->updateTargetClones();
    const pq_jobExpertSettings& expert = job->jobExpertSettings();
    m_currentJob.insert(QStringLiteral("illuminantCamera"), expert.illuminantCamera());
    m_currentJob.insert(QStringLiteral("illuminantICC"), expert.illuminantICC());
    m_currentJob.insert(QStringLiteral("isC1InsteadOfDCP"), job->isC1InsteadOfDCP());
    m_currentJob.insert(QStringLiteral("expertSetName"), job->expertSetName());
    publishExpertBlock(job);
    m_currentJob.insert(QStringLiteral("info"), job->jobInfo().toQmlXml());
    m_currentJob.insert(QStringLiteral("targets"),
                        targetsToQmlXml(job->targetInfos(), job->currentTargetIndex()));
    const int shot = imageItem() ? imageItem()->shotIndex() : 0;
    m_currentJob.insert(QStringLiteral("currentTargetShots"), job->currentShotsXml(shot));
    m_currentJob.insert(QStringLiteral("targetCount"), int(job->targetInfos().size()));
    m_currentJob.insert(QStringLiteral("currentTarget"), job->currentTargetIndex());
    m_currentJob.insert(QStringLiteral("alertCriticalTitle"), QString());
    m_currentJob.insert(QStringLiteral("alertWarningTitle"), QString());
    m_currentJob.insert(QStringLiteral("alertInformationTitle"), QString());
    // The first screen to show a job shows what the jobs folder held.
    if (!m_pendingJobProblems.isEmpty()) {
        alertWarning(tr("Jobs Folder"), m_pendingJobProblems);
        m_pendingJobProblems.clear();
    }
    setTargets4UIAnimation(-1, job->currentTargetIndex());
    overwriteAllTargetReferenceFilesWithJob(job);
    m_allTargets.insert(QStringLiteral("xml"), makeAllTargetsUIXMLString());
    m_allTargets.insert(QStringLiteral("firstSelectedIndex"), firstSelectedTargetIndex());
    setCurrentJobToUI();
    connectCurrentJob();
    if (pq_ImageItemIF* item = imageItem())
        item->setJobByName(job->getJobName());
    m_uiRefreshed = true;
    qCDebug(lcController) << "SETCURRENTJOB done";
}

void peltoQt::setCurrentJobToUI()
{
    const QString name = m_currentJob.value(QStringLiteral("name")).toString();
    qCDebug(lcController) << "setCurrentJobToUI looking for name=" << name;
    int index = -1;
    int enabledIndex = -1;
    if (!findJob(name, index, enabledIndex))
        return;
    m_allJobs.insert(QStringLiteral("currentIndex"), index);
    m_allEnabledJobs.insert(QStringLiteral("currentIndex"), enabledIndex);
    emit currentJobIndexChanged();
}

void peltoQt::refreshJobs4UI()
{
    m_allJobs.insert(QStringLiteral("xml"), makeJobsUIXMLString(false));
    m_allEnabledJobs.insert(QStringLiteral("xml"), makeJobsUIXMLString(true));
    setCurrentJobToUI();
}

void peltoQt::signalCurrentJobLostFocus()
{
    emit currentJobLostFocus();
}

bool peltoQt::resolveName(const QString& folder, const QString& name, QString* path,
                          const char* operation) const
{
    QString reason;
    if (!pq_JobFileWriter::isValidJobName(name, &reason)) {
        qCWarning(lcController).noquote() << operation << "refused the name" << name << ":" << reason;
        return false;
    }
    const QString candidate = pq_JobFileWriter::jobFilePath(folder, name);
    const QString inside = QDir::cleanPath(QFileInfo(folder).absoluteFilePath()) + QLatin1Char('/');
    if (folder.isEmpty() || !QDir::cleanPath(QFileInfo(candidate).absoluteFilePath()).startsWith(inside)) {
        qCWarning(lcController).noquote() << operation << "refused the name" << name
                                          << ": it leads out of" << folder;
        return false;
    }
    if (path)
        *path = candidate;
    return true;
}

void peltoQt::rebuildJobList(const QString& newName, pq_Job* source)
{
    // The old jobs live until the new ones have taken their state over.
    const std::unique_ptr<pq_JobListIF> previous = std::move(m_jobList);
    dropJobList();
    createJobList();
    applyDisabledJobsList();
    for (int i = 0; i < m_jobList->count(); ++i) {
        pq_Job* job = jobAt(i);
        if (!job)
            continue;
        if (source && job->getJobName() == newName) {
            job->takeRuntimeState(*source);
            continue;
        }
        for (int j = 0; previous && j < previous->count(); ++j) {
            auto* old = qobject_cast<pq_Job*>(previous->jobAt(j));
            if (old && old != source && old->getJobName() == job->getJobName()) {
                job->takeRuntimeState(*old);
                break;
            }
        }
    }
}

bool peltoQt::saveCurrentJob(bool isC1InsteadOfDCP)
{
    Busy busy(m_mutex, "saveCurrentJob");
    if (!busy)
        return false;
    const QString name = m_currentJob.value(QStringLiteral("name")).toString();
    qCDebug(lcController) << "SAVING JOB: " << name << "-"
                          << m_currentJob.value(QStringLiteral("illuminant")).toString();
    m_currentJob.insert(QStringLiteral("saveFailure"), QString());
    m_currentJob.insert(QStringLiteral("saveFailureOffersNewName"), false);
    if (!resolveName(jobsFolderPath(), name, nullptr, "saveCurrentJob")) {
        m_currentJob.insert(QStringLiteral("saveFailure"),
                            tr("The name \"%1\" cannot name a job file.").arg(name));
        return false;
    }
    pq_Job* source = currentOrTemplateJob();
    const bool newJob = !m_currentJob_ || m_currentJob_->getJobName() != name;

    // A new job is written from a job of its own before it joins the list,
    // so that a failed write leaves the list as it was.
    std::unique_ptr<pq_Job> created;
    pq_Job* target = m_currentJob_;
    if (newJob) {
        created = std::make_unique<pq_Job>(filmCurvesFolderPath(), tempFolderPath());
        created->setJobId(name);
        created->setJobName(name);
        created->setExpertSetName(source->expertSetName());
        created->jobExpertSettings() = source->jobExpertSettings();
        created->jobInfo() = source->jobInfo();
        for (const pq_targetInfo* description : source->targetInfos()) {
            auto copy = new pq_targetInfo;
            copy->assign(*description);
            created->addTargetInfo(copy);
        }
        created->initFromFirstTargetInfo();
        target = created.get();
    }
    target->setC1InsteadOfDCP(isC1InsteadOfDCP);
    target->setTargetIlluminant(m_currentJob.value(QStringLiteral("illuminantCamera")).toString());

    const pq_JobSaveResult saved = pq_JobFileWriter::save(*target, jobsFolderPath());
    m_currentJob.insert(QStringLiteral("saveFailure"), saved.message);
    m_currentJob.insert(QStringLiteral("saveFailureOffersNewName"), saved.keptUnreadFile);
    if (!saved.ok) {
        qCWarning(lcController).noquote() << "saveCurrentJob:" << saved.message;
        return false;
    }
    // The job already holds what was stored; reading the file back would
    // replace its descriptions and with them what the user did since.
    saveSortedJobsList();
    if (newJob) {
        saveDisabledJobsList(false);
        // The new job takes over what the user did in the job it was made from.
        rebuildJobList(name, source);
        loadAndApplySortedJobsList(false);
        int index = -1;
        int enabledIndex = -1;
        findJob(name, index, enabledIndex);
        m_currentJob.insert(QStringLiteral("index"), index);
        setCurrentJob(name, QStringLiteral("save new"), true);
        m_saveGuardStart = m_clock();
        m_saveGuardActive = true;
    } else {
        m_currentJob_->updateTargetClones();
    }
    qCDebug(lcController) << "DONE SAVING JOB: " << name;
    refreshJobs4UI();
    return true;
}

bool peltoQt::duplicateJob(QString jobName, QString newName)
{
    int index = -1;
    int enabledIndex = -1;
    pq_Job* job = qobject_cast<pq_Job*>(findJob(jobName, index, enabledIndex));
    if (!job) {
        qCDebug(lcController) << "Could not duplicate job " << jobName;
        return false;
    }
    QString path;
    if (!resolveName(jobsFolderPath(), newName, &path, "duplicateJob"))
        return false;
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        qCWarning(lcController) << "duplicateJob: a job named" << newName << "exists already";
        return false;
    }
    pq_Job copy(filmCurvesFolderPath(), tempFolderPath());
    copy.readFromBytes((job->toXml()).toUtf8(), job->jobFilePath());
    copy.setJobId(newName);
    copy.setJobName(newName);
    const pq_JobSaveResult saved = pq_JobFileWriter::save(copy, jobsFolderPath());
    if (!saved.ok) {
        qCWarning(lcController).noquote() << "duplicateJob:" << saved.message;
        return false;
    }
    rebuildJobList();
    setCurrentJob(newName, QStringLiteral("duplicate"), false);
    loadAndApplySortedJobsList(true);
    saveSortedJobsList();
    return true;
}

void peltoQt::deleteJob(QString name)
{
    qCDebug(lcController) << "DELETING JOB: " << name;
    int index = -1;
    int enabledIndex = -1;
    pq_Job* job = qobject_cast<pq_Job*>(findJob(name, index, enabledIndex));
    if (!job) {
        qCDebug(lcController) << "job not found\n";
        return;
    }
    const QString path = job->jobFilePath();
    if (!path.isEmpty() && QFileInfo(path).exists() && !QFile::remove(path))
        qCWarning(lcController) << "deleteJob: cannot remove" << path;
    rebuildJobList();
    // Saved once the job is gone, so that a later job of that name does not
    // start disabled.
    saveDisabledJobsList(false);
    loadAndApplySortedJobsList(true);
    saveSortedJobsList();
}

void peltoQt::reloadJob(QString name)
{
    qCDebug(lcController) << "Reloading job:" << name;
    int index = -1;
    int enabledIndex = -1;
    pq_Job* job = qobject_cast<pq_Job*>(findJob(name, index, enabledIndex));
    if (!job) {
        qCDebug(lcController) << "Could not find job " << name;
        return;
    }
    QString path;
    if (!resolveName(jobsFolderPath(), name, &path, "reloadJob"))
        return;
    qCDebug(lcController) << "path=" << path;
    pq_Job fresh(filmCurvesFolderPath(), tempFolderPath());
    fresh.readFromXML(path);
    if (!fresh.lastReadOutcome().isWhole()) {
        qCWarning(lcController).noquote() << "reloadJob: the job file is kept in memory as it is:"
                                          << fresh.lastReadOutcome().message;
        return;
    }
    // Targets of the same name keep their shots, pictures and measurements.
    job->readFromXML(path);
    refreshJobs4UI();
    m_currentJob_ = job;
    m_allTargets.insert(QStringLiteral("xml"), QString());
    m_allTargets.insert(QStringLiteral("xml"), makeAllTargetsUIXMLString());
    m_allTargets.insert(QStringLiteral("firstSelectedIndex"), firstSelectedTargetIndex());
}

bool peltoQt::doesJobExist(const QString& jobName)
{
    int index = -1;
    int enabledIndex = -1;
    pq_Job* job = qobject_cast<pq_Job*>(findJob(jobName, index, enabledIndex));
    if (!job) {
        qCDebug(lcController) << "Does Job Exist ? " << jobName << "Does Not exist in memory \n";
        return false;
    }
    const bool exists = !job->jobFilePath().isEmpty() && QFileInfo::exists(job->jobFilePath());
    qCDebug(lcController) << "Does Job Exist ? " << jobName << (exists ? "yes\n" : "No\n");
    return exists;
}

bool peltoQt::isJobModified(const QString& jobName)
{
    int index = -1;
    int enabledIndex = -1;
    pq_JobIF* job = findJob(jobName, index, enabledIndex);
    QString path;
    if (!job || !resolveName(jobsFolderPath(), jobName, &path, "isJobModified"))
        return false;
    pq_Job fresh(filmCurvesFolderPath(), tempFolderPath());
    fresh.readFromXML(path);
    return fresh.toXml() != job->toXml();
}

bool peltoQt::isJobD65StdAWithoutSpectral(const QString& jobName)
{
    Q_UNUSED(jobName)
    pq_Job* job = currentOrTemplateJob();
    return job && job->jobExpertSettings().cameraIlluminantIndex() == 1
        && !job->areAllTargetsSpectral();
}

void peltoQt::dropJobList()
{
    if (pq_ImageItemIF* item = imageItem())
        item->setJobByName(QString());
    if (m_connectedJob)
        disconnect(m_connectedJob, nullptr, this, nullptr);
    m_connectedJob = nullptr;
    m_currentJob_ = nullptr;
    m_jobList.reset();
}

void peltoQt::publishTo(QQmlContext* context)
{
    context->setContextProperty(QStringLiteral("peltoQt"), this);
    context->setContextProperty(QStringLiteral("props"), &m_props);
    context->setContextProperty(QStringLiteral("allJobs"), &m_allJobs);
    context->setContextProperty(QStringLiteral("allEnabledJobs"), &m_allEnabledJobs);
    context->setContextProperty(QStringLiteral("allTargets"), &m_allTargets);
    context->setContextProperty(QStringLiteral("allSets"), &m_allSets);
    context->setContextProperty(QStringLiteral("allProfiles"), &m_allProfiles);
    context->setContextProperty(QStringLiteral("currentJob"), &m_currentJob);
    context->setContextProperty(QStringLiteral("qaPatchInfo"), &m_qaPatchInfo);
    context->setContextProperty(QStringLiteral("qaColorPicker"), &m_qaColorPicker);
}
