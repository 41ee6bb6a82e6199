// QML calls the controller's slots by name and learns of a missing one only
// when it runs: every slot and signal must be in the meta-object under its
// exact signature.
#include "controller/peltoQt.h"

#include <QMetaMethod>
#include <QTest>

#include <memory>

class MetaObjectTest : public QObject {
    Q_OBJECT

private slots:
    void methods_data()
    {
        QTest::addColumn<QByteArray>("signature");
        QTest::addColumn<int>("type");
        const int slot = QMetaMethod::Slot;
        const int signal = QMetaMethod::Signal;
        const std::pair<const char*, int> table[] = {
            {"sortingJobsChanged()", signal}, {"imagePreLoaded()", signal},
            {"imageLoaded()", signal}, {"currentJobIndexChanged()", signal},
            {"currentJobNameChanged()", signal}, {"currentJobReset()", signal},
            {"currentJobLostFocus()", signal}, {"setShowIntroMessage(bool)", signal},
            {"targetSelectionCompleted()", signal},
            {"setCurrentJob(QString,QString,bool)", slot},
            {"setCurrentEnabledJobByIndex(int,QString,bool)", slot},
            {"refreshCurrentJob4UI()", slot}, {"setCurrentJobToUI()", slot},
            {"refreshJobs4UI()", slot}, {"signalCurrentJobLostFocus()", slot},
            {"saveCurrentJob(bool)", slot}, {"duplicateJob(QString,QString)", slot},
            {"deleteJob(QString)", slot}, {"reloadJob(QString)", slot},
            {"doesJobExist(QString)", slot}, {"isJobModified(QString)", slot},
            {"isJobD65StdAWithoutSpectral(QString)", slot},
            {"loadAndApplySortedJobsList(bool)", slot}, {"buildDefaultSortList()", slot},
            {"checkSortedListIntegrity(QStringList&)", slot},
            {"applySortedJobsList(bool,bool)", slot}, {"saveSortedJobsList()", slot},
            {"isSortingJobsAuto()", slot}, {"setSortingJobsAuto(bool)", slot},
            {"justUsedJob(QString)", slot}, {"movedJobReset()", slot},
            {"movedJobPrepare(QString,int,int)", slot}, {"movedJobNow()", slot},
            {"movedJob(QString,int,int)", slot}, {"jobEnabled(QString)", slot},
            {"jobDisabled(QString)", slot},
            {"expertParamChanged(QString,QString,bool)", slot},
            {"expertParamLockChanged(QString,bool)", slot},
            {"infoParamChanged(QString,QString)", slot}, {"isExpertModeLocked()", slot},
            {"getCustomIlluminants()", slot}, {"applySet(QString)", slot},
            {"saveSet(QString)", slot}, {"duplicateSet(QString,QString)", slot},
            {"doesSetExist(QString)", slot}, {"deleteSet(QString)", slot},
            {"catchImageProgress(double)", slot}, {"catchC1TifProgress(double)", slot},
            {"catchImageLoading(bool)", slot}, {"setTargets4UIAnimation(int,int)", slot},
            {"targetSelected(QString)", slot}, {"targetUnselected(QString)", slot},
            {"selectNextTarget4Drop()", slot}, {"readyToSelectNextTarget()", slot},
            {"getTargetTint(QString,int)", slot},
            {"changeTargetReferenceFile(QString,QString)", slot}, {"dropShot(QString)", slot},
            {"dropShots(QStringList)", slot},
            {"dropC1Tif(QString)", slot}, {"loadShot4Profiling(int)", slot},
            {"selectTarget4Profiling(int)", slot}, {"isChartImageFileICC()", slot},
            {"setProfileName(QString,int)", slot}, {"setProfileNameTag(QString)", slot},
            {"doesProfileExist(QString)", slot}, {"setProfilingStage(QString)", slot},
            {"getProfilingStage()", slot}, {"resetRuntime(bool,bool)", slot},
            {"clearTemporaries()", slot}, {"catchDeltaEThresholdsChanged()", slot},
            {"catchPatchInfo(bool,int,int,bool,QColor,QColor,double,double,double,double,double,"
             "double,double,double,double,double,double,double,double,double,double,double,"
             "double,double)",
             slot},
            {"catchColorPicker(int,int)", slot}, {"toggleColorPicker(bool)", slot},
            {"hideColorPicker()", slot}, {"selectedProfileCompareChanged(QString)", slot},
            {"setCompareProfileActiveChecked(bool)", slot}, {"showProfileInFinder(QString)", slot},
            {"showIntroMenuActivated(bool)", slot}, {"isIntroEnabled()", slot},
            {"setEnabledIntro(bool)", slot}, {"menuAction_switchIntro()", slot},
            {"menuAction_Preferences()", slot}, {"menuAction_CheckForUpdates()", slot},
            {"menuAction_Support()", slot}, {"menuAction_About()", slot},
            {"isQMLMenuEnabled()", slot}, {"openPDFManual()", slot},
            {"helpFilmCurveExtraction()", slot}, {"loadOptions()", slot}, {"saveOptions()", slot},
            {"storePreviousMainTitle(QString)", slot}, {"getPreviousMainTitle()", slot},
            {"lockApplicationSize(bool)", slot}, {"refWidth()", slot}, {"refHeight()", slot},
        };
        for (const auto& [signature, type] : table)
            QTest::newRow(signature) << QByteArray(signature) << type;
    }

    void methods()
    {
        QFETCH(QByteArray, signature);
        QFETCH(int, type);
        const QMetaObject& meta = peltoQt::staticMetaObject;
        QCOMPARE(meta.className(), "peltoQt");
        const int index = meta.indexOfMethod(signature.constData());
        QVERIFY2(index >= 0, signature.constData());
        QCOMPARE(int(meta.method(index).methodType()), type);
    }
};

std::unique_ptr<QObject> makeMetaObjectTest()
{
    return std::make_unique<MetaObjectTest>();
}

#include "test_meta_object.moc"
