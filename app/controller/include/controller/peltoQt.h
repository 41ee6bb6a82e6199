#pragma once
// The controller that the QML screens talk to: it keeps the job list, the
// current job and the template job that stands for a new one, publishes them
// as XML and values in its property maps, and keeps the order of the jobs,
// the disabled jobs and the sets of expert settings.

#include "controller/pq_ImageItemIF.h"

#include <QColor>
#include <QMap>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QQmlPropertyMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <memory>
#include <vector>

class QQmlContext;
class pq_Job;
class pq_JobIF;
class pq_JobListIF;
class pq_targetInfo;

class peltoQt : public QObject {
    Q_OBJECT

public:
    // Milliseconds of a clock that never goes back.
    using Clock = std::function<qint64()>;
    // How long the re-selection after saving a new job is kept.
    static constexpr qint64 SaveGuardMilliseconds = 2000;

    peltoQt();
    ~peltoQt() override;

    peltoQt(const peltoQt&) = delete;
    peltoQt& operator=(const peltoQt&) = delete;

    // The process's controller; null when none is set.
    static peltoQt* instance();
    static void setInstance(peltoQt* controller);

    // Prepares the folders, the template job, the job list, the order lists
    // and every map. The program folder becomes the current folder.
    void init(const QString& programPath);

    // The application object, whose setShowIntroMessage(bool) signal the
    // controller follows and whose catchAction slots the menu actions call.
    void setApplication(QObject* application);
    QObject* application() const { return m_application; }
    // The object whose catchAction slots the menu actions call: the
    // application unless another one is set.
    void setMenuReceiver(QObject* receiver) { m_menuReceiver = receiver; }
    // The items register with the object that owns them; once that object is
    // destroyed the controller no longer reaches the item.
    void setImageItem(QObject* owner, pq_ImageItemIF* item);
    void setMagnifier(QObject* owner, pq_MagnifierIF* magnifier);
    pq_ImageItemIF* imageItem() const;
    pq_MagnifierIF* magnifier() const;
    void setClock(Clock clock);

    // Sets the context properties the screens read: "peltoQt" (this object)
    // and the nine property maps under their own names.
    void publishTo(QQmlContext* context);

    QQmlPropertyMap* props() { return &m_props; }
    QQmlPropertyMap* currentJobMap() { return &m_currentJob; }
    QQmlPropertyMap* allJobs() { return &m_allJobs; }
    QQmlPropertyMap* allEnabledJobs() { return &m_allEnabledJobs; }
    QQmlPropertyMap* allTargets() { return &m_allTargets; }
    QQmlPropertyMap* allSets() { return &m_allSets; }
    QQmlPropertyMap* allProfiles() { return &m_allProfiles; }
    QQmlPropertyMap* qaPatchInfo() { return &m_qaPatchInfo; }
    QQmlPropertyMap* qaColorPicker() { return &m_qaColorPicker; }

    pq_JobListIF* jobList() const { return m_jobList.get(); }
    pq_Job* currentJob() const { return m_currentJob_; }
    pq_Job* templateJob() const { return m_templateJob.get(); }
    QStringList autoOrderList() const { return m_autoJobsList; }
    QStringList fixedOrderList() const { return m_fixedJobsList; }
    QString profileNameTag() const { return m_profileNameTag; }
    QString createdProfilePath() const { return m_createdProfilePath; }
    QString compareProfilePath() const { return m_compareProfilePath; }
    QMap<QString, QString> profileList() const { return m_profileList; }
    void setProfileList(const QMap<QString, QString>& list) { m_profileList = list; }

    pq_JobIF* findJob(const QString& name, int& index, int& enabledIndex) const;
    QString makeJobsUIXMLString(bool onlyEnabled) const;
    void dropJobList();
    void saveDisabledJobsList(bool useStoredFlags);
    void applyDisabledJobsList();
    QString makeSetsListString() const;
    QString makeAllTargetsUIXMLString();
    int firstSelectedTargetIndex() const;
    pq_targetInfo* findTargetTemplate(const QString& name) const;
    void overwriteAllTargetReferenceFilesWithJob(pq_Job* job);
    void refreshDeltaELimits();
    void refreshProfileList();
    // The "|"-separated names of the list, less a final ".dcp" or ".icc";
    // with filter, only the names that begin with prefix.
    static QString profileListText(const QMap<QString, QString>& list, const QString& prefix,
                                   bool filter);
    void setCreatedProfilePath(const QString& path);

    // Alerts: the title key is written before the message key.
    void alertCritical(const QString& title, const QString& message);
    void alertWarning(const QString& title, const QString& message);
    void alertInformation(const QString& title, const QString& message);

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

public slots:
    // Jobs.
    bool setCurrentJob(QString name, QString origin, bool force);
    bool setCurrentEnabledJobByIndex(int index, QString origin, bool force);
    void refreshCurrentJob4UI();
    void setCurrentJobToUI();
    void refreshJobs4UI();
    void signalCurrentJobLostFocus();
    bool saveCurrentJob(bool isC1InsteadOfDCP);
    bool duplicateJob(QString jobName, QString newName);
    void deleteJob(QString name);
    void reloadJob(QString name);
    bool doesJobExist(const QString& jobName);
    bool isJobModified(const QString& jobName);
    bool isJobD65StdAWithoutSpectral(const QString& jobName);

    // Job order and enabled jobs.
    void loadAndApplySortedJobsList(bool refreshUI);
    QStringList buildDefaultSortList();
    bool checkSortedListIntegrity(QStringList& list);
    void applySortedJobsList(bool refreshUI, bool onlyIfChanged);
    void saveSortedJobsList();
    bool isSortingJobsAuto();
    void setSortingJobsAuto(bool isAuto);
    void justUsedJob(QString jobName);
    void movedJobReset();
    void movedJobPrepare(QString jobName, int indexFrom, int indexTo);
    void movedJobNow();
    void movedJob(QString jobName, int indexFrom, int indexTo);
    void jobEnabled(QString name);
    void jobDisabled(QString name);

    // Expert settings and sets.
    void expertParamChanged(QString name, QString value, bool temporaryChange);
    void expertParamLockChanged(QString name, bool locked);
    void infoParamChanged(QString name, QString value);
    bool isExpertModeLocked();
    QString getCustomIlluminants();
    // Applies the set to the current or template job; an empty result when
    // it was applied, else why not, in words for the user (nothing changed).
    QString applySet(QString name);
    bool saveSet(QString name);
    bool duplicateSet(QString name, QString newName);
    bool doesSetExist(QString name);
    void deleteSet(QString name);

    // Progress of the current job's loads.
    void catchImageProgress(double fraction);
    void catchC1TifProgress(double fraction);
    void catchImageLoading(bool loading);
    void setTargets4UIAnimation(int previous, int current);

    // Targets.
    void targetSelected(QString name);
    void targetUnselected(QString name);
    bool selectNextTarget4Drop();
    void readyToSelectNextTarget();
    QString getTargetTint(QString jobName, int targetIndex);
    void changeTargetReferenceFile(QString targetName, QString url);

    // Shots.
    void dropShot(QString shotPath);
    // The shot browser: its folder as a URL and its name filters.
    QString shotBrowseFolder();
    QStringList shotNameFilters();
    // The files of one drop, each to the target it goes to (pq_planShotDrop);
    // one map per file: "file" (its name), "target" (-1 when refused),
    // "targetName", "shot" (its position among the target's shots) and
    // "outcome" (pq_shotDropOutcomeKey). Refused and further shots are told
    // in an alert.
    QVariantList dropShots(QStringList urls);
    void dropC1Tif(QString path);
    void loadShot4Profiling(int index);
    void selectTarget4Profiling(int index);
    bool isChartImageFileICC();

    // Profiling.
    void setProfileName(QString profileName, int prefixLength);
    void setProfileNameTag(QString profileNameTag);
    bool doesProfileExist(QString profileName);
    void setProfilingStage(QString stage);
    QString getProfilingStage();
    void resetRuntime(bool imageOnly, bool updateUI);
    void clearTemporaries();

    // Quality control and comparison.
    void catchDeltaEThresholdsChanged();
    void catchPatchInfo(bool show, int x, int y, bool isGrey, QColor refColor, QColor profColor,
                        double refL, double refA, double refB, double refC, double refH,
                        double profL, double profA, double profB, double profC, double profH,
                        double delL, double delA, double delB, double delC, double delH,
                        double delE, double avgDE, double maxDE);
    void catchColorPicker(int x, int y);
    void toggleColorPicker(bool selectedColor);
    void hideColorPicker();
    void selectedProfileCompareChanged(QString profileName);
    void setCompareProfileActiveChecked(bool checked);
    void showProfileInFinder(QString profileName);

    // Shell.
    void showIntroMenuActivated(bool show);
    bool isIntroEnabled();
    void setEnabledIntro(bool show);
    void menuAction_switchIntro();
    void menuAction_Preferences();
    void menuAction_CheckForUpdates();
    void menuAction_Support();
    void menuAction_About();
    bool isQMLMenuEnabled();
    void openPDFManual();
    void helpFilmCurveExtraction();
    void loadOptions();
    void saveOptions();
    void storePreviousMainTitle(QString title);
    QString getPreviousMainTitle();
    void lockApplicationSize(bool lock);
    int refWidth();
    int refHeight();

private:
    class Busy;

    pq_Job* currentOrTemplateJob() const;
    pq_Job* jobAt(int index) const;
    void createJobList();
    // Reads the job list anew; every job keeps what the user did in it, and
    // the job named newName takes it from source (a job about to go).
    void rebuildJobList(const QString& newName = QString(), pq_Job* source = nullptr);
    void connectCurrentJob();
    void publishExpertBlock(pq_Job* job);
    void writeSetsList();
    bool resolveName(const QString& folder, const QString& name, QString* path,
                     const char* operation) const;
    bool isSaveGuardHolding(const QString& origin);
    void sortJobList();
    void setJobEnabled(const QString& name, bool enabled);
    void loadTargetList();
    void resetColorPicker();
    void initRatios();
    void initScaleProperties();
    void resetCurrentJobMap();
    void setTargetSelected(const QString& name, bool selected);
    void publishJobShots(pq_Job* job, int currentTargetIndex);
    QVariantList placeDroppedShots(const QStringList& urls);
    void loadWaitingShot();
    void callMenuReceiver(const char* slot);
    void alert(const char* kind, const QString& titleKey, const QString& messageKey,
               const QString& title, const QString& message);
    // Warns of what the jobs folder holds that the job list did not read
    // whole, each file once; the warning stays until a screen has shown it.
    void announceJobFileProblems();

    QStringList m_autoJobsList;
    QStringList m_fixedJobsList;
    bool m_sortingJobsAuto = true;
    bool m_orderListsSaved = false;
    QString m_movedJobName;
    int m_movedJobFrom = 0;
    int m_movedJobTo = 0;
    double m_referenceWidth = 1200;
    double m_referenceHeight = 800;
    double m_unitRatio = 1.0;
    double m_fontRatio = 0.72;
    std::unique_ptr<pq_JobListIF> m_jobList;
    QQmlPropertyMap m_props;
    QQmlPropertyMap m_currentJob;
    QQmlPropertyMap m_allJobs;
    QQmlPropertyMap m_allEnabledJobs;
    QQmlPropertyMap m_allTargets;
    QQmlPropertyMap m_allSets;
    QQmlPropertyMap m_allProfiles;
    QQmlPropertyMap m_qaPatchInfo;
    QQmlPropertyMap m_qaColorPicker;
    pq_Job* m_currentJob_ = nullptr;
    std::unique_ptr<pq_Job> m_templateJob;
    QPointer<QObject> m_imageItemOwner;
    pq_ImageItemIF* m_imageItem = nullptr;
    QPointer<QObject> m_magnifierOwner;
    pq_MagnifierIF* m_magnifier = nullptr;
    QString m_createdProfilePath;
    QString m_compareProfilePath;
    bool m_compareActive = false;
    QMap<QString, QString> m_profileList;
    QMutex m_mutex;
    std::vector<std::unique_ptr<pq_targetInfo>> m_targetList;
    QString m_previousMainTitle;
    QString m_profileNameTag;
    QString m_lastShotPath;  // the last local shot handed to dropShot
    bool m_uiRefreshed = false;
    bool m_saveGuardActive = false;
    qint64 m_saveGuardStart = 0;
    QString m_profilingStage;
    QObject* m_application = nullptr;
    QPointer<QObject> m_menuReceiver;
    Clock m_clock;
    QPointer<pq_JobIF> m_connectedJob;
    QSet<QString> m_announcedJobProblems;
    QString m_pendingJobProblems;
};
