// Targets of the current job, its shots, the profiling stage, quality
// control, profile comparison, the menu and the alerts.
#include "controller/peltoQt.h"
#include "controller/pq_ShotBrowsing.h"

#include "ControllerBusy.h"
#include "ControllerLogging.h"
#include "controller/pq_ShotDrop.h"
#include "settings/pq_Settings.h"
#include "jobs/pq_Job.h"
#include "jobs/pq_JobListIF.h"
#include "jobs/pq_targetInfo.h"
#include "platform/desktop.h"
#include "platform/program_folders.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

using namespace platform;

namespace {

// The size of the square the magnifier shows.
const QSize kMagnifierSample(32, 32);

QString colourText(const QColor& colour)
{
    return QStringLiteral("#%1%2%3")
        .arg(colour.red(), 2, 16, QLatin1Char('0'))
        .arg(colour.green(), 2, 16, QLatin1Char('0'))
        .arg(colour.blue(), 2, 16, QLatin1Char('0'));
}

// A value that rounds to zero reads "0.0", never "-0.0".
QString oneDecimal(double value)
{
    const QString text = QString::number(value, 'f', 1);
    return text == QLatin1String("-0.0") ? QStringLiteral("0.0") : text;
}

// A profile name becomes a file name: no folder separators, no control
// characters and none of the characters the grid page's field refuses.
bool isUsableProfileName(const QString& name)
{
    static const QString refused = QStringLiteral("\\/:*?\"<>|");
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control || refused.contains(c))
            return false;
    }
    return true;
}

}  // namespace

// Targets.

pq_targetInfo* peltoQt::findTargetTemplate(const QString& name) const
{
    for (const auto& entry : m_targetList) {
        if (entry->name == name)
            return entry.get();
    }
    return nullptr;
}

void peltoQt::targetSelected(QString name)
{
    setTargetSelected(name, true);
}

void peltoQt::targetUnselected(QString name)
{
    setTargetSelected(name, false);
}

void peltoQt::setTargetSelected(const QString& name, bool selected)
{
    Busy busy(m_mutex, selected ? "targetSelected" : "targetUnselected");
    if (!busy)
        return;
    pq_Job* job = currentOrTemplateJob();
    pq_targetInfoList& infos = const_cast<pq_targetInfoList&>(job->targetInfos());
    const int found = findTargetInList(infos, name);
    if ((found >= 0) == selected)
        return;
    if (found >= 0) {
        job->removeTargetInfo(found);
    } else {
        const pq_targetInfo* source = findTargetTemplate(name);
        if (!source)
            return;
        auto copy = new pq_targetInfo;
        copy->assign(*source);
        replaceOrAppendTarget(infos, copy);
    }
    publishExpertBlock(job);
    m_currentJob.insert(QStringLiteral("targetCount"), int(infos.size()));
    publishJobShots(job, 0);
    m_allTargets.insert(QStringLiteral("xml"), makeAllTargetsUIXMLString());
    m_allTargets.insert(QStringLiteral("firstSelectedIndex"), firstSelectedTargetIndex());
    m_allJobs.insert(QStringLiteral("xml"), makeJobsUIXMLString(false));
    m_allEnabledJobs.insert(QStringLiteral("xml"), makeJobsUIXMLString(true));
    emit targetSelectionCompleted();
}

void peltoQt::publishJobShots(pq_Job* job, int currentTargetIndex)
{
    m_currentJob.insert(QStringLiteral("targets"), targetsToQmlXml(job->targetInfos(), currentTargetIndex));
    const pq_ImageItemIF* item = imageItem();
    m_currentJob.insert(QStringLiteral("currentTargetShots"), job->currentShotsXml(item ? item->shotIndex() : 0));
}

bool peltoQt::selectNextTarget4Drop()
{
    qCDebug(lcController) << "selectNextTarget4Drop";
    qCDebug(lcController) << " selectNextTarget4Drop called ";
    pq_Job* job = currentOrTemplateJob();
    const int next = job->currentTargetIndex() + 1;
    if (next >= job->targetInfos().size())
        return false;
    job->setCurrentTargetIndex(next);
    setTargets4UIAnimation(next - 1, next);
    emit imagePreLoaded();
    QTimer::singleShot(100, this, &peltoQt::readyToSelectNextTarget);
    // Not from inside the item's report of the load that brought us here.
    QTimer::singleShot(0, this, &peltoQt::loadWaitingShot);
    return true;
}

void peltoQt::readyToSelectNextTarget()
{
    emit imageLoaded();
}

QString peltoQt::getTargetTint(QString jobName, int targetIndex)
{
    const QString transparent = QStringLiteral("transparent");
    int index = -1;
    int enabledIndex = -1;
    const pq_Job* job = qobject_cast<pq_Job*>(findJob(jobName, index, enabledIndex));
    if (!job || job->jobExpertSettings().cameraIlluminantIndex() != 1 || targetIndex < 0
        || targetIndex >= job->targetInfos().size() || !job->targetInfos().at(targetIndex))
        return transparent;
    return job->targetInfos().at(targetIndex)->isClone ? QStringLiteral("yellow") : QStringLiteral("blue");
}

void peltoQt::changeTargetReferenceFile(QString targetName, QString url)
{
    pq_targetInfo* entry = findTargetTemplate(targetName);
    if (!entry)
        return;
    entry->setTargetFile(url);
    pq_Job* job = currentOrTemplateJob();
    if (job) {
        for (pq_targetInfo* description : job->targetInfos()) {
            if (description && description->name == targetName)
                description->setTargetFile(url);
        }
    }
    m_allTargets.insert(QStringLiteral("xml"), makeAllTargetsUIXMLString());
    m_allTargets.insert(QStringLiteral("firstSelectedIndex"), firstSelectedTargetIndex());
    if (job) {
        qCDebug(lcController) << "Changed target is spectral=" << (job->areAllTargetsSpectral() ? "yes" : "no");
        publishExpertBlock(job);
    }
}

// Shots.

void peltoQt::dropShot(QString shotPath)
{
    Busy busy(m_mutex, "dropShot");
    if (!busy)
        return;
    qCDebug(lcController) << "dropShot";
    placeDroppedShots({shotPath});
}

QVariantList peltoQt::dropShots(QStringList urls)
{
    Busy busy(m_mutex, "dropShots");
    if (!busy)
        return {};
    qCDebug(lcController) << "dropShots" << urls.size();
    return placeDroppedShots(urls);
}

QVariantList peltoQt::placeDroppedShots(const QStringList& urls)
{
    pq_Job* job = currentOrTemplateJob();
    const pq_targetInfoList& targets = job->targetInfos();
    const int current = job->currentTargetIndex();
    const QVector<pq_ShotDropFile> plan =
        pq_planShotDrop(QVector<const pq_targetInfo*>(targets.begin(), targets.end()), current, urls);

    QVariantList outcomes;
    QStringList refused;
    QStringList further;
    QString shown;  // the current target's shot the item loads
    for (const pq_ShotDropFile& file : plan) {
        pq_targetInfo* target = file.isTaken() ? targets.at(file.target) : nullptr;
        if (target && file.outcome != pq_ShotDropOutcome::Again)
            target->addShot(file.url);
        if (target && !file.localPath.isEmpty())
            m_lastShotPath = file.localPath;
        const QString name = file.localPath.isEmpty() ? file.url : QFileInfo(file.localPath).fileName();
        int shot = -1;
        if (target) {
            for (int i = 0; i < target->shots.size() && shot < 0; ++i)
                if (target->shots.at(i) == file.url)
                    shot = i;
            if (shot < 0)
                shot = target->shots.size() - 1;
        }
        QVariantMap entry;
        entry.insert(QStringLiteral("file"), name);
        entry.insert(QStringLiteral("target"), file.target);
        entry.insert(QStringLiteral("targetName"), target ? target->name : QString());
        entry.insert(QStringLiteral("shot"), shot);
        entry.insert(QStringLiteral("outcome"), pq_shotDropOutcomeKey(file.outcome));
        outcomes.append(entry);

        const QString where = target ? tr("target %1 (%2)").arg(file.target + 1).arg(target->name) : QString();
        switch (file.outcome) {
        case pq_ShotDropOutcome::Added: break;
        case pq_ShotDropOutcome::Further:
            further << tr("%1: shot %2 of %3").arg(name).arg(shot + 1).arg(where);
            break;
        case pq_ShotDropOutcome::Again:
            further << tr("%1: already shot %2 of %3").arg(name).arg(shot + 1).arg(where);
            break;
        case pq_ShotDropOutcome::Twice: refused << tr("%1: dropped twice, taken once").arg(name); break;
        case pq_ShotDropOutcome::NotLocal: refused << tr("%1: not a file on this computer").arg(name); break;
        case pq_ShotDropOutcome::Folder: refused << tr("%1: a folder, not a shot").arg(name); break;
        case pq_ShotDropOutcome::Missing: refused << tr("%1: cannot be read").arg(name); break;
        case pq_ShotDropOutcome::NotImage: refused << tr("%1: not an image this program reads").arg(name); break;
        case pq_ShotDropOutcome::NoTarget: refused << tr("%1: the job has no target for it").arg(name); break;
        }
        if (target && file.target == current && shown.isEmpty())
            shown = file.url;
    }
    for (const pq_ShotDropFile& file : plan)
        qCInfo(lcController) << "dropped" << file.url << pq_shotDropOutcomeKey(file.outcome) << "target"
                             << file.target;

    pq_ImageItemIF* item = imageItem();
    if (item && !shown.isEmpty()) {
        item->setShot(shown);
        publishJobShots(job, current);
    }
    if (!refused.isEmpty())
        alertWarning(tr("Not every file was taken"), (refused + further).join(QLatin1Char('\n')));
    else if (!further.isEmpty())
        alertInformation(tr("Further shots"), further.join(QLatin1Char('\n')));
    return outcomes;
}

// A target made current after a load that a drop gave its shot already
// loads that shot; a target without one waits for the next drop.
void peltoQt::loadWaitingShot()
{
    pq_Job* job = currentOrTemplateJob();
    const pq_targetInfo* target = job->currentTargetInfo();
    pq_ImageItemIF* item = imageItem();
    if (!target || target->shots.isEmpty() || !item)
        return;
    qCDebug(lcController) << "loading the waiting shot of target" << job->currentTargetIndex();
    item->setShot(target->shotPath(0));
    publishJobShots(job, job->currentTargetIndex());
}

QString peltoQt::shotBrowseFolder()
{
    return QUrl::fromLocalFile(pq_shotBrowseFolder(m_lastShotPath)).toString();
}

QStringList peltoQt::shotNameFilters()
{
    return pq_shotNameFilters();
}

void peltoQt::dropC1Tif(QString path)
{
    const QUrl url(path);
    if (!url.isLocalFile())
        return;
    if (pq_ImageItemIF* item = imageItem())
        item->setC1TifPath(url.toLocalFile());
}

void peltoQt::loadShot4Profiling(int index)
{
    pq_Job* job = m_currentJob_;
    if (!job || !job->currentTargetInfo())
        return;
    const pq_targetInfo* target = job->currentTargetInfo();
    qCDebug(lcController) << "LOAD SHOT FOR PROFILING index:" << index << " existing count:"
                          << target->shots.size();
    pq_ImageItemIF* item = imageItem();
    if (index < 0 || index >= target->shots.size() || !item)
        return;
    int mode = 1;
    if (job->jobExpertSettings().cameraIlluminantIndex() == 1)
        mode = 2 + (job->currentTargetIndex() <= 0 ? 1 : 0);
    item->selectShot(target->shotPath(index), QString::number(mode));
    publishJobShots(job, job->currentTargetIndex());
}

void peltoQt::selectTarget4Profiling(int index)
{
    Busy busy(m_mutex, "selectTarget4Profiling");
    if (!busy)
        return;
    pq_Job* job = currentOrTemplateJob();
    qCDebug(lcController) << "SELECT TARGET 4 PROFILING:" << index << job->targetInfos().size();
    job->setCurrentTargetIndex(0);
    if (index >= 0 && index < job->targetInfos().size() && job->targetInfos().at(index)) {
        job->setCurrentTargetIndex(index);
        // The target shows the shot it holds loaded (one chosen among its
        // shots stays), its first one when none is.
        const pq_targetInfo* target = job->targetInfos().at(index);
        int loaded = 0;
        for (int i = 0; i < target->shots.size(); ++i) {
            const QUrl url(target->shots.at(i));
            if ((url.isLocalFile() ? url.toLocalFile() : target->shots.at(i)) == job->chartImagePath())
                loaded = i;
        }
        loadShot4Profiling(loaded);
    }
}

bool peltoQt::isChartImageFileICC()
{
    return m_currentJob_ && m_currentJob_->isChartImageIcc();
}

// Profiling.

void peltoQt::setProfileName(QString profileName, int prefixLength)
{
    qCDebug(lcController) << "setProfileName";
    if (!isUsableProfileName(profileName)) {
        qCWarning(lcController) << "setProfileName refused a name that cannot be a file name:" << profileName;
        return;
    }
    const int length = qBound(0, prefixLength, int(profileName.size()));
    m_currentJob.insert(QStringLiteral("profileNamePrefix"), profileName.left(length));
    m_currentJob.insert(QStringLiteral("profileName"), profileName.mid(length));
    if (m_currentJob_)
        m_currentJob_->setProfileName(profileName);
}

void peltoQt::setProfileNameTag(QString profileNameTag)
{
    qCDebug(lcController) << "setProfileNameTag";
    m_profileNameTag = profileNameTag;
    m_currentJob.insert(QStringLiteral("profileNameTag"), profileNameTag);
    if (m_currentJob_) {
        const pq_jobExpertSettings& expert = m_currentJob_->jobExpertSettings();
        m_currentJob.insert(QStringLiteral("expertTrimmed"),
                            expert.toQmlXml(true, m_currentJob_->areAllTargetsSpectral(), m_profileNameTag));
    }
}

bool peltoQt::doesProfileExist(QString profileName)
{
    m_currentJob.insert(QStringLiteral("compareProfileName"), profileName);
    return m_currentJob_ && m_currentJob_->profileExists(profileName);
}

void peltoQt::setProfilingStage(QString stage)
{
    m_profilingStage = stage;
    const bool qualityControl = stage == QLatin1String("Quality Control");
    if (qualityControl) {
        hideColorPicker();
        // The page opens on the judged profile's own figures, its comparison
        // list read afresh.
        m_compareActive = false;
        refreshProfileList();
    }
    if (pq_ImageItemIF* item = imageItem()) {
        item->setGridMovable(!qualityControl);
        item->setLightnessControlVisible(!qualityControl);
        if (!qualityControl)
            item->applyImageProfile();
    }
    qCDebug(lcController) << "PROFILING STAGE:" << stage;
}

QString peltoQt::getProfilingStage()
{
    return m_profilingStage;
}

void peltoQt::resetRuntime(bool imageOnly, bool updateUI)
{
    qCDebug(lcController) << "RESET RUNTIME";
    if (!imageOnly && m_currentJob_)
        m_currentJob_->resetRuntimeState();
    if (pq_ImageItemIF* item = imageItem())
        item->resetShotState(imageOnly);
    if (updateUI) {
        refreshCurrentJob4UI();
        emit currentJobReset();
    }
}

void peltoQt::clearTemporaries()
{
    pq_Job* job = currentOrTemplateJob();
    job->jobExpertSettings().clearValues();
    publishExpertBlock(job);
}

// Quality control and comparison.

void peltoQt::catchDeltaEThresholdsChanged()
{
    refreshDeltaELimits();
    if (pq_ImageItemIF* item = imageItem())
        item->catchDeltaEThresholdsChanged();
}

void peltoQt::catchPatchInfo(bool show, int x, int y, bool isGrey, QColor refColor, QColor profColor,
                             double refL, double refA, double refB, double refC, double refH,
                             double profL, double profA, double profB, double profC, double profH,
                             double delL, double delA, double delB, double delC, double delH,
                             double delE, double avgDE, double maxDE)
{
    if (m_qaColorPicker.value(QStringLiteral("visible")).toBool())
        show = false;
    m_qaPatchInfo.insert(QStringLiteral("visible"), show);
    m_qaPatchInfo.insert(QStringLiteral("x"), x);
    m_qaPatchInfo.insert(QStringLiteral("y"), y);
    if (!show)
        return;
    m_qaPatchInfo.insert(QStringLiteral("isGrey"), isGrey);
    m_qaPatchInfo.insert(QStringLiteral("refColor"), colourText(refColor));
    m_qaPatchInfo.insert(QStringLiteral("profColor"), colourText(profColor));
    const std::pair<const char*, double> values[] = {
        {"refL", refL},   {"refA", refA},   {"refB", refB},   {"refC", refC},
        {"refH", refH},   {"profL", profL}, {"profA", profA}, {"profB", profB},
        {"profC", profC}, {"profH", profH}, {"delL", delL},   {"delA", delA},
        {"delB", delB},   {"delC", delC},   {"delH", delH},   {"delE", delE},
    };
    for (const auto& [key, value] : values)
        m_qaPatchInfo.insert(QLatin1String(key), oneDecimal(value));
    m_qaPatchInfo.insert(QStringLiteral("avgDE"), avgDE > 0 ? oneDecimal(avgDE) : QString());
    m_qaPatchInfo.insert(QStringLiteral("maxDE"), maxDE > 0 ? oneDecimal(maxDE) : QString());
}

void peltoQt::catchColorPicker(int x, int y)
{
    m_qaColorPicker.insert(QStringLiteral("x"), x);
    m_qaColorPicker.insert(QStringLiteral("y"), y);
    pq_MagnifierIF* zoom = magnifier();
    pq_ImageItemIF* item = imageItem();
    if (!m_qaColorPicker.value(QStringLiteral("visible")).toBool() || !zoom || !item)
        return;
    const QPoint point(x, y);
    const QImage sample = item->sampleImage(point, kMagnifierSample);
    const QVector<double> colour = item->averageColor(point, pq_Settings::instance()->pickerRadius());
    if (!sample.isNull())
        zoom->setImage(sample, colour);
}

void peltoQt::toggleColorPicker(bool selectedColor)
{
    Q_UNUSED(selectedColor)
    m_qaColorPicker.insert(QStringLiteral("visible"), !m_qaColorPicker.value(QStringLiteral("visible")).toBool());
}

void peltoQt::hideColorPicker()
{
    m_qaColorPicker.insert(QStringLiteral("visible"), false);
}

void peltoQt::selectedProfileCompareChanged(QString profileName)
{
    m_currentJob.insert(QStringLiteral("compareProfileName"), profileName);
    m_compareProfilePath.clear();
    for (auto it = m_profileList.cbegin(); it != m_profileList.cend(); ++it) {
        QString name = it.key();
        if (name.endsWith(QLatin1String(".dcp")) || name.endsWith(QLatin1String(".icc")))
            name.chop(4);
        if (name == profileName) {
            m_compareProfilePath = it.value();
            break;
        }
    }
    if (m_compareActive) {
        if (pq_ImageItemIF* item = imageItem())
            item->measureQuality(m_compareProfilePath);
    }
}

void peltoQt::setCompareProfileActiveChecked(bool checked)
{
    qCDebug(lcController) << "setCompareProfileActiveChecked:" << (checked ? "yes" : "no");
    m_compareActive = checked;
    if (pq_ImageItemIF* item = imageItem())
        item->measureQuality(checked ? m_compareProfilePath : m_createdProfilePath);
}

void peltoQt::showProfileInFinder(QString profileName)
{
    Q_UNUSED(profileName)
    if (m_createdProfilePath.isEmpty())
        return;
    if (!showInFileManager(m_createdProfilePath))
        qCWarning(lcController) << "the profile cannot be shown in the file manager:" << m_createdProfilePath;
}

void peltoQt::setCreatedProfilePath(const QString& path)
{
    m_createdProfilePath = path;
    refreshProfileList();
}

// Shell.

void peltoQt::showIntroMenuActivated(bool show)
{
    emit setShowIntroMessage(show);
}

bool peltoQt::isIntroEnabled()
{
    return pq_Settings::instance()->showIntro();
}

void peltoQt::setEnabledIntro(bool show)
{
    pq_Settings::instance()->setShowIntro(show);
}

void peltoQt::menuAction_switchIntro()
{
    emit setShowIntroMessage(!pq_Settings::instance()->showIntro());
}

void peltoQt::menuAction_Preferences()
{
    callMenuReceiver("catchActionPreferences");
}

void peltoQt::menuAction_CheckForUpdates()
{
    callMenuReceiver("catchActionUpdate");
}

void peltoQt::menuAction_Support()
{
    callMenuReceiver("catchActionSupport");
}

void peltoQt::menuAction_About()
{
    callMenuReceiver("catchActionAbout");
}

void peltoQt::setApplication(QObject* application)
{
    if (m_application)
        disconnect(m_application, SIGNAL(setShowIntroMessage(bool)), this, SLOT(showIntroMenuActivated(bool)));
    m_application = application;
    m_menuReceiver = application;
    if (application)
        connect(application, SIGNAL(setShowIntroMessage(bool)), this, SLOT(showIntroMenuActivated(bool)));
}

void peltoQt::callMenuReceiver(const char* slot)
{
    if (m_menuReceiver && !QMetaObject::invokeMethod(m_menuReceiver, slot))
        qCWarning(lcController) << "the menu's receiver has no slot" << slot;
}

bool peltoQt::isQMLMenuEnabled()
{
    return true;
}

void peltoQt::openPDFManual()
{
    const QDir folder(pdfManualsFolderPath());
    if (pdfManualsFolderPath().isEmpty() || !folder.exists())
        return;
    const QString pattern = QStringLiteral("%1 - Vandrelith pelto.pdf");
    QString file = folder.filePath(pattern.arg(pq_Settings::instance()->language().toUpper()));
    if (!QFileInfo(file).isFile())
        file = folder.filePath(pattern.arg(QStringLiteral("EN")));
    if (QFileInfo(file).isFile())
        openUrl(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
}

void peltoQt::helpFilmCurveExtraction()
{
    openUrl(QUrl(tr("https://www.vandrelith.invalid/pelto/help/film-curve-extraction")));
}

void peltoQt::loadOptions()
{
    const pq_Settings* settings = pq_Settings::instance();
    if (settings->hasSortingJobsAuto())
        m_sortingJobsAuto = settings->sortingJobsAuto();
}

void peltoQt::saveOptions()
{
    pq_Settings::instance()->setSortingJobsAuto(m_sortingJobsAuto);
}

void peltoQt::storePreviousMainTitle(QString title)
{
    m_previousMainTitle = title;
}

QString peltoQt::getPreviousMainTitle()
{
    return m_previousMainTitle;
}

void peltoQt::lockApplicationSize(bool lock)
{
    Q_UNUSED(lock)
}

int peltoQt::refWidth()
{
    return int(m_referenceWidth);
}

int peltoQt::refHeight()
{
    return int(m_referenceHeight);
}

// Alerts.

void peltoQt::alert(const char* kind, const QString& titleKey, const QString& messageKey,
                    const QString& title, const QString& message)
{
    qCDebug(lcController).noquote() << kind << title + QLatin1Char(':') + message;
    m_currentJob.insert(titleKey, title);
    m_currentJob.insert(messageKey, message);
}

void peltoQt::alertCritical(const QString& title, const QString& message)
{
    alert("CRITICAL:", QStringLiteral("alertCriticalTitle"), QStringLiteral("alertCriticalMessage"), title, message);
}

void peltoQt::alertWarning(const QString& title, const QString& message)
{
    alert("WARNING:", QStringLiteral("alertWarningTitle"), QStringLiteral("alertWarningMessage"), title, message);
}

void peltoQt::alertInformation(const QString& title, const QString& message)
{
    alert("INFORMATION:", QStringLiteral("alertInformationTitle"), QStringLiteral("alertInformationMessage"),
          title, message);
}
