#include "ControllerTestSupport.h"

#include "settings/pq_Settings.h"
#include "controller/peltoQt.h"
#include "jobs/pq_Job.h"
#include "jobs/pq_JobFileWriter.h"
#include "jobs/pq_JobListIF.h"
#include "jobs/pq_targetInfo.h"
#include "platform/program_folders.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QQmlProperty>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include <sys/stat.h>

namespace {

const char* const kEmptyJobs = "<?xml version='1.0' encoding='UTF-8'?>\n<jobs>\n</jobs>\n";

QString readText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Every XML text a map publishes must parse.
bool parses(const QString& xml, QString* error = nullptr)
{
    QDomDocument document;
    QString message;
    int line = 0;
    const bool ok = document.setContent(xml, &message, &line);
    if (error)
        *error = QString("%1 at line %2").arg(message).arg(line);
    return ok;
}

QStringList jobNamesIn(const QString& xml)
{
    QDomDocument document;
    document.setContent(xml);
    QStringList names;
    const QDomNodeList jobs = document.elementsByTagName("job");
    for (int i = 0; i < jobs.size(); ++i)
        names << jobs.at(i).firstChildElement("jobName").text();
    return names;
}

}  // namespace

// Notes which key of a map changed.
class KeyRecorder : public QObject {
    Q_OBJECT

public:
    QStringList* order = nullptr;
    QString key;

public slots:
    void hit() { order->append(key); }
};

class ControllerTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScratchHome> home;
    std::unique_ptr<peltoQt> controller;
    qint64 now = 0;

    void start()
    {
        controller = std::make_unique<peltoQt>();
        controller->setClock([this] { return now; });
        controller->init(QCoreApplication::applicationFilePath());
    }
    QVariant job(const char* key) { return controller->currentJobMap()->value(key); }
    QStringList listedJobs() { return jobNamesIn(controller->allJobs()->value("xml").toString()); }

private slots:
    void init()
    {
        now = 0;
        home = std::make_unique<ScratchHome>();
    }
    void cleanup()
    {
        controller.reset();
        home.reset();
    }

    void emptyJobsFolder()
    {
        start();
        QCOMPARE(controller->allJobs()->value("xml").toString(), QString(kEmptyJobs));
        QCOMPARE(controller->allEnabledJobs()->value("xml").toString(), QString(kEmptyJobs));
        QVERIFY(QFileInfo(home->jobsFolder()).isDir());
        QCOMPARE(job("name").toString(), QString("unnamed"));
        QCOMPARE(job("currentTarget").toInt(), -1);
        QCOMPARE(job("targetCount").toInt(), 0);
        QCOMPARE(controller->allSets()->value("list").toString(), QString());
        controller->saveSortedJobsList();
        QVERIFY(pq_Settings::instance()->hasAutoJobsList());
        QCOMPARE(pq_Settings::instance()->autoJobsList(), QString());
        QCOMPARE(pq_Settings::instance()->fixedJobsList(), QString());
    }

    // The temporary folder is this user's alone from the start, made anew or
    // found with wider rights, whatever the umask allows.
    void privateTemporaryFolder()
    {
        const QFileDevice::Permissions all = QFileDevice::ReadOwner | QFileDevice::WriteOwner
            | QFileDevice::ExeOwner | QFileDevice::ReadGroup | QFileDevice::WriteGroup
            | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther
            | QFileDevice::ExeOther;
        const QFileDevice::Permissions ownerOnly =
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
        const QString folder = platform::tempFolderPath();
        QVERIFY(!folder.isEmpty() && !QFileInfo::exists(folder));
        for (const bool existing : {false, true}) {
            if (existing)
                QVERIFY(QFile::setPermissions(folder, all));
            const mode_t umaskBefore = ::umask(0);
            start();
            ::umask(umaskBefore);
            QVERIFY(QFileInfo(folder).isDir());
            QCOMPARE(QFileInfo(folder).permissions() & all, ownerOnly);
            controller.reset();
        }
    }

    void selectionAndRefresh()
    {
        home->writeJob("A");
        home->writeJob("B");
        start();
        QSignalSpy named(controller.get(), &peltoQt::currentJobNameChanged);
        QVERIFY(controller->setCurrentJob("A", "tileView", false));
        QCOMPARE(controller->currentJob()->getJobName(), QString("A"));
        QCOMPARE(named.count(), 1);
        // Not refreshed yet: QML still has to refresh.
        QVERIFY(controller->setCurrentJob("A", "tileView", false));
        controller->refreshCurrentJob4UI();
        QVERIFY(!controller->setCurrentJob("A", "tileView", false));
        QCOMPARE(named.count(), 1);
        QVERIFY(controller->setCurrentJob("B", "tileView", false));
        QCOMPARE(controller->allJobs()->value("currentIndex").toInt(), listedJobs().indexOf("B"));
        // Unknown names leave no job current.
        QVERIFY(controller->setCurrentJob("Nope", "tileView", false));
        QVERIFY(!controller->currentJob());
        QCOMPARE(controller->allJobs()->value("currentIndex").toInt(), -1);
    }

    void newJobWithExistingName()
    {
        home->writeJob("A");
        start();
        QVERIFY(controller->setCurrentJob("A", "new job", false));
        QVERIFY(!controller->currentJob());
        QCOMPARE(job("name").toString(), QString("A"));
        QCOMPARE(job("targetCount").toInt(), 0);
    }

    void saveUnderNewName()
    {
        home->writeJob("A");
        start();
        controller->setCurrentJob("A", "tileView", false);
        controller->refreshCurrentJob4UI();
        controller->currentJobMap()->insert("name", "Repro 1.5");
        QVERIFY(controller->saveCurrentJob(false));
        QVERIFY(QFile::exists(home->jobsFolder() + "/A.xml"));
        QVERIFY(QFile::exists(home->jobsFolder() + "/Repro 1.5.xml"));
        QVERIFY(controller->currentJob());
        QCOMPARE(controller->currentJob()->getJobName(), QString("Repro 1.5"));
        QCOMPARE(controller->currentJob()->getJobID(), QString("Repro 1.5"));
        QVERIFY(listedJobs().contains("Repro 1.5"));
        QVERIFY(controller->doesJobExist("Repro 1.5"));
        QVERIFY(!controller->isJobModified("Repro 1.5"));
    }

    void newJobThatCannotBeWritten()
    {
        home->writeJob("A");
        start();
        // A folder where the new job's file would go.
        QVERIFY(QDir().mkpath(home->jobsFolder() + "/New.xml"));
        controller->setCurrentJob("A", "tileView", false);
        controller->refreshCurrentJob4UI();
        const QString before = controller->allJobs()->value("xml").toString();
        controller->currentJobMap()->insert("name", "New");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("saveCurrentJob:"));
        QVERIFY(!controller->saveCurrentJob(false));
        QCOMPARE(controller->currentJob()->getJobName(), QString("A"));
        QCOMPARE(controller->allJobs()->value("xml").toString(), before);
        QVERIFY(QFileInfo(home->jobsFolder() + "/New.xml").isDir());
    }

    void saveGuard()
    {
        home->writeJob("A");
        start();
        controller->currentJobMap()->insert("name", "New");
        QVERIFY(controller->saveCurrentJob(false));
        QCOMPARE(controller->currentJob()->getJobName(), QString("New"));
        now = 1500;
        QVERIFY(controller->setCurrentJob("A", "auto", false));
        QCOMPARE(controller->currentJob()->getJobName(), QString("New"));
        now = 2001;
        QVERIFY(controller->setCurrentJob("A", "auto", false));
        QCOMPARE(controller->currentJob()->getJobName(), QString("A"));

        // A selection of the user's own ends the guard at once.
        controller->currentJobMap()->insert("name", "Other");
        QVERIFY(controller->saveCurrentJob(false));
        QVERIFY(controller->setCurrentJob("A", "dropped", false));
        QCOMPARE(controller->currentJob()->getJobName(), QString("A"));
    }

    void refusedNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        int row = 0;
        for (const char* bad : {"", ".", "..", "../../x", "a/b", "a\\b", "a|b", "a:b", "a*b",
                                "a?b", "a\"b", "a<b", "a>b", "tab\there", "nl\nx"})
            QTest::addRow("refused %d", row++) << QString::fromUtf8(bad) << false;
        QTest::newRow("long") << QString(200, 'x') << true;
        QTest::newRow("blanks") << QString("Studio north wall") << true;
        QTest::newRow("dots") << QString("Repro 1.5.2") << true;
        QTest::newRow("ampersand") << QString("Smith & Sons") << true;
        QTest::newRow("non-latin") << QString::fromUtf8("Студия 東京") << true;
    }

    void refusedNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QCOMPARE(pq_JobFileWriter::isValidJobName(name), valid);
        start();
        controller->currentJobMap()->insert("name", name);
        if (!valid)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("saveCurrentJob refused"));
        QCOMPARE(controller->saveCurrentJob(false), valid);
        if (!valid)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("saveSet refused"));
        QCOMPARE(controller->saveSet(name), valid);
        // Nothing was written outside the two folders.
        QVERIFY(!QFile::exists(QFileInfo(home->jobsFolder() + "/../../x.xml").absoluteFilePath()));
        QCOMPARE(QDir(home->jobsFolder()).entryList(QDir::Files).size(), valid ? 1 : 0);
    }

    void deleteSetCannotReachJobs()
    {
        home->writeJob("Studio");
        start();
        QDir().mkpath(home->setsFolder());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("deleteSet refused"));
        controller->deleteSet("../../Jobs/Studio");
        QVERIFY(QFile::exists(home->jobsFolder() + "/Studio.xml"));
    }

    void duplicateJob()
    {
        home->writeJob("A");
        home->writeJob("B");
        start();
        QVERIFY(controller->duplicateJob("A", "C"));
        const QString copy = readText(home->jobsFolder() + "/C.xml");
        QVERIFY(copy.contains("<Job_ID>C</Job_ID>"));
        QVERIFY(copy.contains("<Job_HumanReadable>C</Job_HumanReadable>"));
        pq_Job a{QString(), QString()};
        a.readFromXML(home->jobsFolder() + "/A.xml");
        a.setJobId("C");
        a.setJobName("C");
        QCOMPARE(copy, a.toXml() + "\n");
        QCOMPARE(controller->currentJob()->getJobName(), QString("C"));
        // An existing job of the new name stays.
        const QString b = readText(home->jobsFolder() + "/B.xml");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("exists already"));
        QVERIFY(!controller->duplicateJob("A", "B"));
        QCOMPARE(readText(home->jobsFolder() + "/B.xml"), b);
        QVERIFY(!controller->duplicateJob("Nope", "D"));
    }

    void deleteJobForgetsItsDisabledState()
    {
        home->writeJob("A");
        home->writeJob("B");
        start();
        controller->jobDisabled("B");
        QCOMPARE(pq_Settings::instance()->disabledJobsList(), QString("B"));
        QVERIFY(!jobNamesIn(controller->allEnabledJobs()->value("xml").toString()).contains("B"));
        controller->deleteJob("B");
        QVERIFY(!QFile::exists(home->jobsFolder() + "/B.xml"));
        QCOMPARE(pq_Settings::instance()->disabledJobsList(), QString());
        QCOMPARE(listedJobs(), QStringList{"A"});
        QVERIFY(!controller->currentJob());
    }

    void reloadAndModified()
    {
        home->writeJob("A");
        start();
        controller->setCurrentJob("A", "tileView", false);
        QVERIFY(!controller->isJobModified("A"));
        controller->expertParamChanged("cameraIlluminant", "D65 + Std. Illuminant A", false);
        QVERIFY(controller->isJobModified("A"));
        QVERIFY(controller->isJobD65StdAWithoutSpectral(QString()));
        auto description = new pq_targetInfo;
        description->name = "Unsaved";
        controller->currentJob()->addTargetInfo(description);
        controller->reloadJob("A");
        QVERIFY(!controller->isJobModified("A"));
        QCOMPARE(controller->currentJob()->targetInfos().size(), 1);
        QCOMPARE(controller->currentJob()->targetInfos().first()->name, QString("ColorChecker"));
        QVERIFY(!controller->isJobModified("Nope"));
    }

    // A second new job does not inherit the first one's settings, set,
    // information or kind; the first keeps them in its file.
    void newJobStartsFromDefaults()
    {
        start();
        const pq_jobExpertSettings defaults;
        controller->setCurrentJob("First", "new job", false);
        controller->refreshCurrentJob4UI();
        controller->expertParamChanged("cameraIlluminant", "D65 + Std. Illuminant A", false);
        controller->infoParamChanged("CREATOR", "Kim");
        QVERIFY(controller->saveSet("Studio"));
        QCOMPARE(job("expertSetName").toString(), QString("Studio"));
        controller->currentJobMap()->insert("name", "First");
        QVERIFY(controller->saveCurrentJob(true));
        QVERIFY(controller->currentJob());
        QCOMPARE(controller->currentJob()->jobExpertSettings().illuminantCamera(),
                 QString("D65 + Std. Illuminant A"));

        now += 5000;  // past the guard that follows a save
        controller->setCurrentJob("Second", "new job", false);
        controller->refreshCurrentJob4UI();
        QVERIFY(!controller->currentJob());
        const pq_Job* fresh = controller->templateJob();
        QCOMPARE(fresh->jobExpertSettings().illuminantCamera(), defaults.illuminantCamera());
        QCOMPARE(fresh->expertSetName(), QString());
        QVERIFY(!fresh->isC1InsteadOfDCP());
        QCOMPARE(job("expertSetName").toString(), QString());
        QCOMPARE(job("illuminantCamera").toString(), defaults.illuminantCamera());
        QCOMPARE(job("isC1InsteadOfDCP").toBool(), false);
        QVERIFY(!job("info").toString().contains("Kim"));

        pq_Job stored{QString(), QString()};
        stored.readFromXML(home->jobsFolder() + "/First.xml");
        QCOMPARE(stored.jobExpertSettings().illuminantCamera(), QString("D65 + Std. Illuminant A"));
        QCOMPARE(stored.expertSetName(), QString("Studio"));
        QVERIFY(stored.isC1InsteadOfDCP());
    }

    void newJobIsCheckedForSpectralData()
    {
        start();
        controller->setCurrentJob("New", "new job", false);
        controller->templateJob()->addTargetInfo(ScratchHome::colourTarget());
        QVERIFY(!controller->isJobD65StdAWithoutSpectral(QString()));
        controller->expertParamChanged("cameraIlluminant", "D65 + Std. Illuminant A", false);
        QVERIFY(controller->isJobD65StdAWithoutSpectral(QString()));
    }

    void orderLists()
    {
        for (const char* name : {"A", "B", "C"})
            home->writeJob(name);
        pq_Settings::instance()->setAutoJobsList("A|B|C|B");
        pq_Settings::instance()->setFixedJobsList("A|B|C");
        start();
        QCOMPARE(controller->autoOrderList(), (QStringList{"A", "B", "C"}));
        controller->justUsedJob("B");
        QCOMPARE(controller->autoOrderList(), (QStringList{"B", "A", "C"}));
        QCOMPARE(pq_Settings::instance()->autoJobsList(), QString("B|A|C"));
        QCOMPARE(listedJobs(), (QStringList{"B", "A", "C"}));

        controller->movedJob("C", 2, 0);
        QCOMPARE(controller->fixedOrderList(), (QStringList{"C", "A", "B"}));
        controller->movedJob("C", 0, 2);
        QCOMPARE(controller->fixedOrderList(), (QStringList{"A", "B", "C"}));
        controller->movedJob("A", 0, 2);
        QCOMPARE(controller->fixedOrderList(), (QStringList{"B", "C", "A"}));
        controller->movedJob("A", 0, 3);
        QCOMPARE(controller->fixedOrderList(), (QStringList{"B", "C", "A"}));
        // The named job moves even when another stands at the start index.
        controller->movedJob("A", 0, 1);
        QCOMPARE(controller->fixedOrderList(), (QStringList{"B", "A", "C"}));
        QCOMPARE(pq_Settings::instance()->fixedJobsList(), QString("B|A|C"));
    }

    void integrity()
    {
        home->writeJob("A");
        home->writeJob("B");
        start();
        QStringList list{"A", "X", "A"};
        QVERIFY(controller->checkSortedListIntegrity(list));
        QCOMPARE(list, (QStringList{"A", "B"}));
        QVERIFY(!controller->checkSortedListIntegrity(list));
        QStringList many;
        for (int i = 0; i < 5000; ++i)
            many << QString::number(i) << QString() << "A";
        QVERIFY(controller->checkSortedListIntegrity(many));
        QCOMPARE(many, (QStringList{"A", "B"}));
    }

    void missingDisabledList()
    {
        home->writeJob("A");
        home->writeJob("B", true);
        start();
        QCOMPARE(pq_Settings::instance()->disabledJobsList(), QString("B"));
        QCOMPARE(jobNamesIn(controller->allEnabledJobs()->value("xml").toString()), QStringList{"A"});
        QCOMPARE(listedJobs().size(), 2);
    }

    void applySortedOnlyAfterSave()
    {
        home->writeJob("A");
        start();
        controller->allJobs()->insert("xml", "stale");
        controller->applySortedJobsList(true, true);
        QCOMPARE(controller->allJobs()->value("xml").toString(), QString("stale"));
        controller->saveSortedJobsList();
        controller->applySortedJobsList(true, true);
        QVERIFY(controller->allJobs()->value("xml").toString() != "stale");
        controller->allJobs()->insert("xml", "stale");
        controller->applySortedJobsList(true, true);
        QCOMPARE(controller->allJobs()->value("xml").toString(), QString("stale"));
    }

    void dragState()
    {
        for (const char* name : {"A", "B", "C"})
            home->writeJob(name);
        pq_Settings::instance()->setFixedJobsList("A|B|C");
        start();
        controller->movedJobReset();
        controller->movedJobPrepare("A", 0, 1);
        controller->movedJobPrepare("A", 1, 2);
        controller->movedJobNow();
        QCOMPARE(controller->fixedOrderList(), (QStringList{"B", "C", "A"}));
        controller->movedJobReset();
        controller->movedJobNow();
        QCOMPARE(controller->fixedOrderList(), (QStringList{"B", "C", "A"}));
    }

    void sortingSwitch()
    {
        home->writeJob("A");
        home->writeJob("B");
        pq_Settings::instance()->setAutoJobsList("B|A");
        pq_Settings::instance()->setFixedJobsList("A|B");
        start();
        QSignalSpy changed(controller.get(), &peltoQt::sortingJobsChanged);
        QCOMPARE(listedJobs(), (QStringList{"B", "A"}));
        controller->setSortingJobsAuto(false);
        QCOMPARE(listedJobs(), (QStringList{"A", "B"}));
        QCOMPARE(changed.count(), 1);
        QVERIFY(!pq_Settings::instance()->sortingJobsAuto());
    }

    void setRoundTrip()
    {
        home->writeSet("x|y", "<Set/>");
        start();
        controller->expertParamChanged("cameraIlluminant", "D65 + Std. Illuminant A", false);
        controller->infoParamChanged("CREATOR", "Kim");
        QVERIFY(controller->saveSet("Studio v1.2 (*)"));
        QCOMPARE(controller->allSets()->value("list").toString(), QString("Studio v1.2"));
        QCOMPARE(job("expertSetName").toString(), QString("Studio v1.2"));
        QVERIFY(!readText(home->setsFolder() + "/Studio v1.2.xml").contains("JobInfo"));
        QVERIFY(controller->doesSetExist("Studio v1.2 (*)"));

        controller->expertParamChanged("cameraIlluminant", "As Shot", false);
        QCOMPARE(job("expertSetName").toString(), QString());
        QCOMPARE(controller->applySet("Studio v1.2"), QString());
        QCOMPARE(controller->templateJob()->jobExpertSettings().illuminantCamera(),
                 QString("D65 + Std. Illuminant A"));
        QCOMPARE(job("expertSetName").toString(), QString("Studio v1.2"));
        // The job information stays the job's.
        QVERIFY(job("info").toString().contains("Kim"));
        controller->expertParamLockChanged("cameraIlluminant", true);
        QCOMPARE(job("expertSetName").toString(), QString("Studio v1.2"));

        QVERIFY(controller->duplicateSet("Studio v1.2", "A&B"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("exists already"));
        QVERIFY(!controller->duplicateSet("Studio v1.2", "A&B"));
        QCOMPARE(controller->allSets()->value("list").toString(), QString("A&B|Studio v1.2"));
        controller->deleteSet("A&B (*)");
        QCOMPARE(controller->allSets()->value("list").toString(), QString("Studio v1.2"));
        QCOMPARE(job("expertSetName").toString(), QString("Studio v1.2"));
        // Deleting the job's own set keeps its settings but drops the name.
        controller->deleteSet("Studio v1.2");
        QCOMPARE(controller->allSets()->value("list").toString(), QString());
        QCOMPARE(job("expertSetName").toString(), QString());
        QCOMPARE(controller->templateJob()->expertSetName(), QString());
        QCOMPARE(controller->templateJob()->jobExpertSettings().illuminantCamera(),
                 QString("D65 + Std. Illuminant A"));
    }

    void setThatCannotBeWritten()
    {
        start();
        QDir().mkpath(QFileInfo(home->setsFolder()).path());
        QFile blocker(home->setsFolder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("saveSet"));
        QVERIFY(!controller->saveSet("Studio"));
        QCOMPARE(job("expertSetName").toString(), QString());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("sets folder cannot be made"));
        QVERIFY(!controller->duplicateSet("Studio", "Copy"));
    }

    void badSetFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray expert = "<ExpertSettings><ExpertIlluminantCamera>D65 + Std. Illuminant A"
                                  "</ExpertIlluminantCamera></ExpertSettings>";
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not xml") << QByteArray("just text");
        QTest::newRow("truncated") << QByteArray("<Set>" + expert.left(40));
        QTest::newRow("other root") << QByteArray("<Job>" + expert + "</Job>");
        QTest::newRow("two expert blocks") << QByteArray("<Set>" + expert + expert + "</Set>");
        QTest::newRow("two info blocks")
            << QByteArray("<Set>" + expert + "<JobInfo/><JobInfo/></Set>");
        QTest::newRow("deep") << QByteArray("<Set>" + QByteArray("<a>").repeated(100000) + "</Set>");
        QTest::newRow("missing") << QByteArray();
    }

    // A set that cannot be applied changes nothing and says why.
    void badSetFiles()
    {
        QFETCH(QByteArray, bytes);
        const bool missing = QByteArray(QTest::currentDataTag()) == "missing";
        home->writeSet(missing ? "Other" : "Bad", bytes);
        start();
        const QString before = job("expert").toString();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("applySet"));
        const QString refusal = controller->applySet("Bad");
        QVERIFY2(refusal.contains("\"Bad\""), qPrintable(refusal));
        QCOMPARE(controller->templateJob()->jobExpertSettings().illuminantCamera(), QString("As Shot"));
        QCOMPARE(job("expertSetName").toString(), QString());
        QCOMPARE(job("expert").toString(), before);
    }

    void expertModeLocked_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<bool>("locked");
        // Every item is locked but the ICC profile type.
        QTest::newRow("all") << QString() << false;
        QTest::newRow("ICC") << QString("ICC") << false;
        QTest::newRow("DCP") << QString("DCP") << true;
        QTest::newRow("C1") << QString("C1") << true;
    }

    void expertModeLocked()
    {
        QFETCH(QString, tag);
        QFETCH(bool, locked);
        start();
        for (const char* item : {"exposureOffset", "profileOptimization", "ICCIlluminant", "observer"})
            controller->expertParamLockChanged(item, true);
        controller->setProfileNameTag(tag);
        QCOMPARE(controller->isExpertModeLocked(), locked);
        controller->expertParamLockChanged("profileTypeICC", true);
        QVERIFY(controller->isExpertModeLocked());
    }

    void customIlluminantsAndEnabledIndex()
    {
        home->writeJob("A");
        home->writeJob("B");
        home->writeJob("C");
        QDir().mkpath(platform::illuminantsFolderPath());
        for (const char* name : {"Studio LED.v2.txt", "Daylight.txt"}) {
            QFile file(platform::illuminantsFolderPath() + "/" + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        start();
        QStringList illuminants = controller->getCustomIlluminants().split('|');
        illuminants.sort();
        QCOMPARE(illuminants, (QStringList{"Daylight", "Studio LED.v2"}));
        const QStringList order = listedJobs();
        controller->jobDisabled(order.at(0));
        QVERIFY(controller->setCurrentEnabledJobByIndex(1, "FrontPage", false));
        QCOMPARE(controller->currentJob()->getJobName(), order.at(2));
        QCOMPARE(controller->allEnabledJobs()->value("currentIndex").toInt(), 1);
        QCOMPARE(controller->allJobs()->value("currentIndex").toInt(), 2);
        QVERIFY(!controller->setCurrentEnabledJobByIndex(2, "FrontPage", false));
    }

    void expertBlockOrder()
    {
        start();
        QStringList order;
        const char* keys[] = {"expert", "expertTrimmed", "expertAllAllLocked", "expertRemoveAllTab",
                              "expertIccAllLocked", "expertCameraAllLocked", "expertC1AllLocked"};
        controller->refreshCurrentJob4UI();
        // The per-key notify signals fire in the order of the writes.
        std::vector<std::unique_ptr<KeyRecorder>> recorders;
        for (const char* key : keys) {
            auto recorder = std::make_unique<KeyRecorder>();
            recorder->order = &order;
            recorder->key = key;
            QQmlProperty property(controller->currentJobMap(), key);
            QVERIFY(property.connectNotifySignal(recorder.get(),
                                                 recorder->metaObject()->indexOfMethod("hit()")));
            recorders.push_back(std::move(recorder));
        }
        controller->expertParamLockChanged("observer", true);
        QStringList expected;
        for (const char* key : keys)
            expected << key;
        // Values that did not change send no notification.
        for (const QString& key : order)
            QVERIFY(expected.contains(key));
        QStringList sorted = order;
        std::sort(sorted.begin(), sorted.end(),
                  [&](const QString& a, const QString& b) { return expected.indexOf(a) < expected.indexOf(b); });
        QCOMPARE(order, sorted);
        QVERIFY(order.contains("expert"));
    }

    void markupInNames()
    {
        home->writeJob("Smith & Sons");
        home->writeJob("Plain");
        start();
        QString error;
        QVERIFY2(parses(controller->allJobs()->value("xml").toString(), &error), qPrintable(error));
        QCOMPARE(listedJobs().size(), 2);
        QVERIFY(listedJobs().contains("Smith & Sons"));
        controller->setCurrentJob("Smith & Sons", "tileView", false);
        controller->currentJob()->currentTargetInfo()->addShot("/R&D/a<b>.tif");
        controller->refreshCurrentJob4UI();
        for (const char* key : {"targets", "currentTargetShots", "expert", "expertTrimmed", "info"}) {
            const QString xml = job(key).toString();
            QVERIFY2(xml.isEmpty() || parses(xml, &error), qPrintable(QString(key) + ": " + error));
        }
        QVERIFY(parses(controller->allTargets()->value("xml").toString()));
    }

    void strangeJobsFolder()
    {
        home->writeJob("A");
        QDir().mkpath(home->jobsFolder() + "/x.xml");
        QFile broken(home->jobsFolder() + "/broken.xml");
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("<Job><Job_ID>");
        broken.close();
        QFile locked(home->jobsFolder() + "/locked.xml");
        QVERIFY(locked.open(QIODevice::WriteOnly));
        locked.close();
        locked.setPermissions(QFileDevice::Permissions());
        start();
        QVERIFY(listedJobs().contains("A"));
        QVERIFY(parses(controller->allJobs()->value("xml").toString()));
    }

    // A job file that does not read whole is listed and named to the user
    // once; saving over it is refused in words, with the offer of a new
    // name, and the file stays as it was.
    void jobThatCannotBeSavedOver()
    {
        home->writeJob("A");
        home->writeJob("Twice");
        const QString path = home->jobsFolder() + "/Twice.xml";
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray bytes = file.readAll();
        file.close();
        const int at = bytes.indexOf("<Job_ExpertSetName>");
        QVERIFY(at > 0);
        bytes.insert(at, "<Job_ExpertSetName>again</Job_ExpertSetName>\n\t");
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        QVERIFY(QFile::link("/etc/passwd", home->jobsFolder() + "/System.xml"));

        start();
        QCOMPARE(listedJobs(), (QStringList{"A", "Twice"}));
        const QString told =
            "Twice.xml does not read whole, so it is listed but will not be saved over: line 7: "
            "element Job_ExpertSetName is repeated.\n"
            "System.xml is not read as a job: it is a link to a file outside the jobs folder.";
        QCOMPARE(job("alertWarningTitle").toString(), QString("Jobs Folder"));
        QSet<QString> lines;
        for (const QString& line : job("alertWarningMessage").toString().split('\n'))
            lines.insert(line);
        QCOMPARE(lines, QSet<QString>({told.section('\n', 0, 0), told.section('\n', 1, 1)}));
        // The first screen that shows a job shows the warning, once.
        QVERIFY(controller->setCurrentJob("Twice", "tileView", false));
        controller->refreshCurrentJob4UI();
        QCOMPARE(job("alertWarningTitle").toString(), QString("Jobs Folder"));
        controller->currentJobMap()->insert("alertWarningTitle", QString());
        QVERIFY(controller->setCurrentJob("A", "tileView", false));
        controller->refreshCurrentJob4UI();
        QCOMPARE(job("alertWarningTitle").toString(), QString());

        QVERIFY(controller->setCurrentJob("Twice", "tileView", false));
        controller->refreshCurrentJob4UI();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("saveCurrentJob:"));
        QVERIFY(!controller->saveCurrentJob(false));
        QCOMPARE(job("saveFailure").toString(),
                 QString("The job file \"Twice.xml\" is kept as it is, since it does not read whole "
                         "as a job: line 7: element Job_ExpertSetName is repeated."));
        QCOMPARE(job("saveFailureOffersNewName").toBool(), true);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
        file.close();
        // Rebuilding the list does not tell it again.
        controller->currentJobMap()->insert("name", "Twice copy");
        QVERIFY(controller->saveCurrentJob(false));
        QCOMPARE(job("saveFailure").toString(), QString());
        QVERIFY(listedJobs().contains("Twice copy"));
        controller->refreshCurrentJob4UI();
        QCOMPARE(job("alertWarningTitle").toString(), QString());
    }

    void itemDestroyedFirst()
    {
        home->writeJob("A");
        start();
        auto item = std::make_unique<RecordingImageItem>();
        controller->setImageItem(item.get(), item.get());
        controller->setMagnifier(item.get(), item.get());
        controller->setCurrentJob("A", "tileView", false);
        controller->refreshCurrentJob4UI();
        QVERIFY(item->calls.contains("setJobByName:A"));
        QVERIFY(item->calls.contains("resetShotState:0"));
        item.reset();
        QVERIFY(!controller->imageItem());
        QVERIFY(!controller->magnifier());
        controller->setCurrentJob("A", "tileView", true);
        controller->refreshCurrentJob4UI();
        controller->deleteJob("A");
    }

    void progressConnectedOnce()
    {
        home->writeJob("A");
        home->writeJob("B");
        start();
        controller->setCurrentJob("A", "tileView", false);
        controller->refreshCurrentJob4UI();
        controller->refreshCurrentJob4UI();
        pq_Job* a = controller->currentJob();
        controller->setCurrentJob("B", "tileView", false);
        controller->refreshCurrentJob4UI();
        controller->currentJobMap()->insert("imageProgress", 0);
        emit a->chartImageProgress(0.5);
        QCOMPARE(job("imageProgress").toInt(), 0);
        emit controller->currentJob()->chartImageProgress(0.999);
        QCOMPARE(job("imageProgress").toInt(), 99);
    }

    void nestedCallIsRefused()
    {
        home->writeJob("A");
        start();
        bool nestedRan = false;
        connect(controller.get(), &peltoQt::currentJobNameChanged, this, [&] {
            controller->expertParamChanged("observer", "10-Degree", false);
            nestedRan = true;
        });
        controller->currentJobMap()->insert("name", "New");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("expertParamChanged refused"));
        QVERIFY(controller->saveCurrentJob(false));
        QVERIFY(nestedRan);
    }

    void switchJobsDuringShotLoad()
    {
        home->writeJob("A");
        home->writeJob("B");
        const QString shot = home->path() + "/shot.png";
        QImage image(3000, 2000, QImage::Format_RGB32);
        image.fill(Qt::gray);
        QVERIFY(image.save(shot));
        start();
        controller->setCurrentJob("A", "tileView", false);
        controller->refreshCurrentJob4UI();
        controller->currentJob()->setChartImagePath(shot);
        // The job list goes while the load runs.
        QVERIFY(controller->duplicateJob("A", "C"));
        QVERIFY(controller->setCurrentJob("B", "tileView", false));
        controller->refreshCurrentJob4UI();
        controller->currentJob()->setChartImagePath(shot);
        controller->deleteJob("B");
        QTest::qWait(50);
        QCOMPARE(listedJobs().size(), 2);
    }

    void instanceAccessor()
    {
        start();
        peltoQt::setInstance(controller.get());
        QCOMPARE(peltoQt::instance(), controller.get());
        controller.reset();
        QVERIFY(!peltoQt::instance());
    }
};

std::unique_ptr<QObject> makeControllerTest()
{
    return std::make_unique<ControllerTest>();
}

#include "test_controller.moc"
