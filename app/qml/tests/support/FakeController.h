#pragma once
// A stand-in for the controller of the QML screens: every slot the screens
// call is recorded in a call log and answers from a table the test fills.
#include <QObject>
#include <QQmlPropertyMap>
#include <QQuickImageProvider>
#include <QStringList>
#include <QVariantMap>

#include <memory>

class QQmlContext;
class QQmlEngine;

class FakeController : public QObject
{
    Q_OBJECT
public:
    explicit FakeController(QObject* parent = nullptr);

    // The nine property maps under their context-property names.
    QQmlPropertyMap props, currentJob, allJobs, allEnabledJobs, allTargets, allSets, allProfiles, qaPatchInfo,
        qaColorPicker;

    // Sets "peltoQt", the nine maps and the "targets" image provider.
    void install(QQmlEngine* engine);
    // Fills the maps as the controller does at start, over the given jobs.
    Q_INVOKABLE void reset();

    // Test side.
    Q_INVOKABLE QStringList calls() const { return m_calls; }
    Q_INVOKABLE void clearCalls() { m_calls.clear(); }
    Q_INVOKABLE void setAnswer(const QString& slot, const QVariant& value) { m_answers.insert(slot, value); }
    Q_INVOKABLE void clearAnswers() { m_answers.clear(); }
    Q_INVOKABLE void emitSignal(const QString& name, bool argument = false);
    Q_INVOKABLE void setJobs(const QVariantList& jobs);
    Q_INVOKABLE void setTargets(const QVariantList& targets);
    Q_INVOKABLE void setMap(const QString& map, const QString& key, const QVariant& value);
    Q_INVOKABLE QVariant mapValue(const QString& map, const QString& key) const;
    Q_INVOKABLE QStringList fixedOrder() const { return m_fixedOrder; }

    // Slots of the controller that the screens call.
    Q_INVOKABLE bool isQMLMenuEnabled() { return answer("isQMLMenuEnabled", false).toBool(); }
    Q_INVOKABLE bool isIntroEnabled() { return answer("isIntroEnabled", false).toBool(); }
    Q_INVOKABLE bool isExpertModeLocked() { return answer("isExpertModeLocked", false).toBool(); }
    Q_INVOKABLE void setEnabledIntro(bool show) { log("setEnabledIntro", {show}); }
    Q_INVOKABLE void menuAction_Preferences() { log("menuAction_Preferences", {}); }
    Q_INVOKABLE void menuAction_CheckForUpdates() { log("menuAction_CheckForUpdates", {}); }
    Q_INVOKABLE void menuAction_Support() { log("menuAction_Support", {}); }
    Q_INVOKABLE void menuAction_switchIntro() { log("menuAction_switchIntro", {}); }
    Q_INVOKABLE void menuAction_About() { log("menuAction_About", {}); }
    Q_INVOKABLE void openPDFManual() { log("openPDFManual", {}); }
    Q_INVOKABLE void storePreviousMainTitle(const QString& title);
    Q_INVOKABLE QString getPreviousMainTitle() { return m_previousTitle; }
    Q_INVOKABLE void clearTemporaries() { log("clearTemporaries", {}); }
    Q_INVOKABLE void setProfilingStage(const QString& stage) { log("setProfilingStage", {stage}); }
    Q_INVOKABLE void justUsedJob(const QString& name) { log("justUsedJob", {name}); }
    Q_INVOKABLE bool isJobD65StdAWithoutSpectral(const QString& name);
    Q_INVOKABLE bool doesJobExist(const QString& name);
    Q_INVOKABLE bool isJobModified(const QString& name);
    Q_INVOKABLE QVariant saveCurrentJob(bool isC1InsteadOfDCP);
    Q_INVOKABLE bool setCurrentJob(const QString& name, const QString& origin, bool force);
    Q_INVOKABLE bool setCurrentEnabledJobByIndex(int index, const QString& origin, bool force);
    Q_INVOKABLE void refreshCurrentJob4UI() { log("refreshCurrentJob4UI", {}); }
    Q_INVOKABLE void dropShot(const QString& url) { log("dropShot", {url}); }
    Q_INVOKABLE QString shotBrowseFolder() { return answer("shotBrowseFolder", QString()).toString(); }
    Q_INVOKABLE QStringList shotNameFilters() { return answer("shotNameFilters", QStringList()).toStringList(); }
    // Every local file of the drop taken by the first target.
    Q_INVOKABLE QVariantList dropShots(const QStringList& urls);
    Q_INVOKABLE QString getTargetTint(const QString& jobName, int index);
    Q_INVOKABLE bool isSortingJobsAuto() { return m_sortingAuto; }
    Q_INVOKABLE void setSortingJobsAuto(bool isAuto);
    Q_INVOKABLE void applySortedJobsList(bool a, bool b) { log("applySortedJobsList", {a, b}); }
    Q_INVOKABLE void resetRuntime(bool imageOnly, bool updateUI) { log("resetRuntime", {imageOnly, updateUI}); }
    Q_INVOKABLE void jobEnabled(const QString& name) { log("jobEnabled", {name}); }
    Q_INVOKABLE void jobDisabled(const QString& name) { log("jobDisabled", {name}); }
    Q_INVOKABLE void movedJobReset();
    Q_INVOKABLE void movedJobPrepare(const QString& name, int from, int to);
    Q_INVOKABLE void movedJobNow();
    Q_INVOKABLE void deleteJob(const QString& name) { log("deleteJob", {name}); }
    Q_INVOKABLE QVariant duplicateJob(const QString& name, const QString& newName);
    Q_INVOKABLE void reloadJob(const QString& name) { log("reloadJob", {name}); }
    Q_INVOKABLE void targetSelected(const QString& name);
    Q_INVOKABLE void targetUnselected(const QString& name) { log("targetUnselected", {name}); }
    Q_INVOKABLE void changeTargetReferenceFile(const QString& name, const QString& url)
    {
        log("changeTargetReferenceFile", {name, url});
    }
    Q_INVOKABLE QString applySet(const QString& name)
    {
        log("applySet", {name});
        return answer("applySet", QString()).toString();
    }
    Q_INVOKABLE QVariant saveSet(const QString& name);
    Q_INVOKABLE bool doesSetExist(const QString& name);
    Q_INVOKABLE QVariant duplicateSet(const QString& name, const QString& newName);
    Q_INVOKABLE void deleteSet(const QString& name) { log("deleteSet", {name}); }
    Q_INVOKABLE void expertParamChanged(const QString& name, const QString& value, bool temporary)
    {
        log("expertParamChanged", {name, value, temporary});
    }
    Q_INVOKABLE void expertParamLockChanged(const QString& name, bool locked)
    {
        log("expertParamLockChanged", {name, locked});
    }
    Q_INVOKABLE void infoParamChanged(const QString& name, const QString& value)
    {
        log("infoParamChanged", {name, value});
    }
    Q_INVOKABLE bool doesProfileExist(const QString& name)
    {
        log("doesProfileExist", {name});
        return answer("doesProfileExist", false).toBool();
    }
    Q_INVOKABLE void setProfileName(const QString& name, int prefixLength)
    {
        log("setProfileName", {name, prefixLength});
    }
    Q_INVOKABLE void selectTarget4Profiling(int index) { log("selectTarget4Profiling", {index}); }
    Q_INVOKABLE QString getCustomIlluminants() { return answer("getCustomIlluminants", QString()).toString(); }

signals:
    void sortingJobsChanged();
    void imagePreLoaded();
    void imageLoaded();
    void currentJobIndexChanged();
    void currentJobNameChanged();
    void currentJobReset();
    void currentJobLostFocus();
    void setShowIntroMessage(bool show);
    void targetSelectionCompleted();

private:
    void log(const QString& slot, const QVariantList& args);
    QVariant answer(const QString& slot, const QVariant& fallback) const { return m_answers.value(slot, fallback); }
    QQmlPropertyMap* map(const QString& name);
    void publishJobs();

    QStringList m_calls;
    QVariantMap m_answers;
    QString m_previousTitle;
    bool m_sortingAuto = true;
    QVariantList m_jobs;
    QStringList m_fixedOrder;
    QString m_movedName;
    int m_movedFrom = -1;
    int m_movedTo = -1;
};

// Answers "image://targets/<job>.<index>" with a small drawn chart.
class FakeTargetIcons : public QQuickImageProvider
{
public:
    FakeTargetIcons() : QQuickImageProvider(QQuickImageProvider::Image) {}
    QImage requestImage(const QString& id, QSize* size, const QSize& requested) override;
};

// Delivers a file drop (drag-enter, drag-move, drop with a text/uri-list) at
// the centre of an item, as a drag from the desktop does.
class DropHelper : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    Q_INVOKABLE bool dropUrls(QObject* item, const QStringList& urls);
    Q_INVOKABLE bool grab(QObject* window, const QString& path);
};
