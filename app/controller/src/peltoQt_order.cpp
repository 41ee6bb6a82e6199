#include "controller/peltoQt.h"

#include "ControllerLogging.h"
#include "settings/pq_Settings.h"
#include "jobs/pq_JobListIF.h"

#include <QMap>
#include <QSet>

namespace {

const QLatin1Char separator('|');

QStringList nonEmptyParts(const QString& text)
{
    return text.split(separator, Qt::SkipEmptyParts);
}

}  // namespace

void peltoQt::saveDisabledJobsList(bool useStoredFlags)
{
    QStringList disabled;
    if (m_jobList) {
        for (int i = 0; i < m_jobList->count(); ++i) {
            const pq_JobIF* job = m_jobList->jobAt(i);
            if (useStoredFlags ? job->isInitiallyDisabled() : !job->isEnabled())
                disabled.append(job->getJobName());
        }
    }
    pq_Settings::instance()->setDisabledJobsList(disabled.join(separator));
}

void peltoQt::applyDisabledJobsList()
{
    if (!m_jobList)
        return;
    const QStringList parts = pq_Settings::instance()->disabledJobsList().split(separator);
    const QSet<QString> disabled(parts.begin(), parts.end());
    for (int i = 0; i < m_jobList->count(); ++i) {
        pq_JobIF* job = m_jobList->jobAt(i);
        job->setEnabled(!disabled.contains(job->getJobName()));
    }
}

QStringList peltoQt::buildDefaultSortList()
{
    QStringList names;
    if (m_jobList) {
        for (int i = 0; i < m_jobList->count(); ++i)
            names.append(m_jobList->jobAt(i)->getJobName());
    }
    return names;
}

bool peltoQt::checkSortedListIntegrity(QStringList& list)
{
    const QStringList jobs = buildDefaultSortList();
    const QSet<QString> known(jobs.begin(), jobs.end());
    QStringList repaired;
    QSet<QString> taken;
    bool changed = false;
    for (const QString& name : qAsConst(list)) {
        if (!known.contains(name) || taken.contains(name)) {
            changed = true;
            continue;
        }
        repaired.append(name);
        taken.insert(name);
    }
    for (const QString& name : jobs) {
        if (!taken.contains(name)) {
            repaired.append(name);
            taken.insert(name);
            changed = true;
        }
    }
    list = repaired;
    return changed;
}

void peltoQt::sortJobList()
{
    if (m_jobList)
        m_jobList->sortJobList(m_sortingJobsAuto ? m_autoJobsList : m_fixedJobsList);
}

void peltoQt::loadAndApplySortedJobsList(bool refreshUI)
{
    pq_Settings* settings = pq_Settings::instance();
    m_autoJobsList = settings->hasAutoJobsList() ? nonEmptyParts(settings->autoJobsList())
                                                 : buildDefaultSortList();
    m_fixedJobsList = settings->hasFixedJobsList() ? nonEmptyParts(settings->fixedJobsList())
                                                   : buildDefaultSortList();
    checkSortedListIntegrity(m_autoJobsList);
    checkSortedListIntegrity(m_fixedJobsList);
    sortJobList();
    if (refreshUI) {
        refreshJobs4UI();
        m_orderListsSaved = false;
    }
}

void peltoQt::applySortedJobsList(bool refreshUI, bool onlyIfChanged)
{
    sortJobList();
    if (refreshUI && (!onlyIfChanged || m_orderListsSaved)) {
        refreshJobs4UI();
        m_orderListsSaved = false;
    }
}

void peltoQt::saveSortedJobsList()
{
    qCDebug(lcController) << "saveSortedJobsList\n";
    checkSortedListIntegrity(m_autoJobsList);
    checkSortedListIntegrity(m_fixedJobsList);
    pq_Settings* settings = pq_Settings::instance();
    settings->setAutoJobsList(m_autoJobsList.join(separator));
    settings->setFixedJobsList(m_fixedJobsList.join(separator));
    m_orderListsSaved = true;
}

bool peltoQt::isSortingJobsAuto()
{
    return m_sortingJobsAuto;
}

void peltoQt::setSortingJobsAuto(bool isAuto)
{
    m_sortingJobsAuto = isAuto;
    sortJobList();
    refreshJobs4UI();
    m_orderListsSaved = false;
    emit sortingJobsChanged();
    pq_Settings::instance()->setSortingJobsAuto(isAuto);
}

void peltoQt::justUsedJob(QString jobName)
{
    m_autoJobsList.removeAll(jobName);
    m_autoJobsList.prepend(jobName);
    if (m_sortingJobsAuto) {
        sortJobList();
        refreshJobs4UI();
        m_orderListsSaved = false;
    }
    saveSortedJobsList();
}

void peltoQt::movedJobReset()
{
    m_movedJobName.clear();
    m_movedJobFrom = -1;
    m_movedJobTo = -1;
}

void peltoQt::movedJobPrepare(QString jobName, int indexFrom, int indexTo)
{
    m_movedJobName = jobName;
    if (m_movedJobFrom < 0)
        m_movedJobFrom = indexFrom;
    m_movedJobTo = indexTo;
}

void peltoQt::movedJobNow()
{
    if (!m_movedJobName.isEmpty() && m_movedJobFrom >= 0 && m_movedJobTo >= 0
        && m_movedJobFrom != m_movedJobTo)
        movedJob(m_movedJobName, m_movedJobFrom, m_movedJobTo);
}

void peltoQt::movedJob(QString jobName, int indexFrom, int indexTo)
{
    qCDebug(lcController).nospace() << "Moved " << jobName << " from index " << indexFrom << " to "
                                    << indexTo << "\n";
    const int n = m_fixedJobsList.size();
    if (indexFrom < 0 || indexFrom >= n || indexTo < 0 || indexTo >= n) {
        qCDebug(lcController) << "Indexes out of range\n";
        return;
    }
    if (indexFrom == indexTo)
        return;
    // The named job moves, wherever it stands, so that no other job loses
    // its place when the indexes and the name disagree.
    const int at = m_fixedJobsList.indexOf(jobName);
    if (at < 0) {
        qCDebug(lcController) << "movedJob: no job named" << jobName;
        return;
    }
    m_fixedJobsList.move(at, indexTo);
    sortJobList();
    saveSortedJobsList();
}

void peltoQt::setJobEnabled(const QString& name, bool enabled)
{
    int index = -1;
    int enabledIndex = -1;
    pq_JobIF* job = findJob(name, index, enabledIndex);
    if (!job)
        return;
    job->setEnabled(enabled);
    saveDisabledJobsList(false);
    refreshJobs4UI();
}

void peltoQt::jobEnabled(QString name)
{
    setJobEnabled(name, true);
}

void peltoQt::jobDisabled(QString name)
{
    setJobEnabled(name, false);
}
