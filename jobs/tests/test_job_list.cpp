// The job list: reading the jobs folder, look-ups, moves and sorting.
#include "JobTestSupport.h"

#include "jobs/pq_Job.h"
#include "jobs/pq_JobFileWriter.h"
#include "jobs/pq_JobList.h"

#include <QtTest>

#include <memory>

namespace {

void saveJob(const QString &folder, const QString &name, const QString &id)
{
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    job.setJobName(name);
    job.setJobId(id);
    job.addTargetInfo(jobtest::colorCheckerTarget());
    const pq_JobSaveResult result = pq_JobFileWriter::save(job, folder);
    QVERIFY2(result.ok, qPrintable(result.message));
}

QStringList names(const pq_JobListIF &list)
{
    QStringList out;
    for (int i = 0; i < list.size(); ++i)
        out.append(list.jobAt(i)->getJobName());
    return out;
}

std::unique_ptr<pq_JobListIF> listOf(const QString &folder)
{
    return std::unique_ptr<pq_JobListIF>(
        pq_JobListIF::create(folder, jobtest::filmCurvesFolder(), jobtest::tempFolder()));
}

}  // namespace

class TestJobList : public QObject
{
    Q_OBJECT

private slots:
    void readsTheFolderInNameOrder();
    void badFilesStayInTheList();
    void missingFolder();
    void lookUps();
    void moveJob();
    void sortJobList_data();
    void sortJobList();
    void addJobs();
};

void TestJobList::readsTheFolderInNameOrder()
{
    const QString folder = jobtest::freshFolder("list-order");
    saveJob(folder, "a", "id-a");
    saveJob(folder, "B", "id-B");
    QVERIFY(jobtest::writeFile(folder + "/c.txt", "not a job"));
    const auto list = listOf(folder);
    QCOMPARE(list->size(), 2);
    QCOMPARE(list->count(), 2);
    QCOMPARE(names(*list), (QStringList{"B", "a"}));
    QCOMPARE(list->jobIds(), (QStringList{"id-B", "id-a"}));
}

void TestJobList::badFilesStayInTheList()
{
    const QString folder = jobtest::freshFolder("list-bad");
    saveJob(folder, "Good 1", "g1");
    QVERIFY(jobtest::writeFile(folder + "/Half.xml", "<Job><Job_ID>h</Job_ID><Job_Hum"));
    saveJob(folder, "Good 2", "g2");
    const auto list = listOf(folder);
    QCOMPARE(names(*list), (QStringList{"Good 1", "Good 2", "Half"}));
    auto *half = static_cast<pq_Job *>(list->jobAt(2));
    QVERIFY(!half->lastReadOutcome().isWhole());
    QVERIFY(static_cast<pq_Job *>(list->jobAt(0))->lastReadOutcome().isWhole());
    QCOMPARE(list->jobAt(1)->currentTargetInfo()->name, QString("ColorChecker"));
}

void TestJobList::missingFolder()
{
    const auto list = listOf(jobtest::documentsFolder() + "/no such folder");
    QCOMPARE(list->size(), 0);
    QVERIFY(!list->jobAt(0));
}

void TestJobList::lookUps()
{
    const QString folder = jobtest::freshFolder("list-lookups");
    saveJob(folder, "One", "1");
    saveJob(folder, "Two", "2");
    const auto list = listOf(folder);
    QCOMPARE(list->jobById("2")->getJobName(), QString("Two"));
    QVERIFY(!list->jobById("Two"));
    QCOMPARE(list->jobName("1"), QString("One"));
    QVERIFY(list->jobName("3").isEmpty());
    QCOMPARE(list->jobSummary("1").name, QString("ColorChecker"));
    const pq_targetSummary none = list->jobSummary("3");
    QVERIFY(none.name.isEmpty() && none.vendor.isEmpty() && !none.spectral);
    QCOMPARE(list->jobPixmap("1").size(), QSize(600, 400));
    QVERIFY(list->jobPixmap("3").isNull());
    QVERIFY(!list->jobAt(-1));
    QVERIFY(!list->jobAt(list->size()));
    const pq_JobListIF &constList = *list;
    QVERIFY(constList.jobAt(1) && constList.jobById("1"));
}

void TestJobList::moveJob()
{
    const QString folder = jobtest::freshFolder("list-move");
    for (const char *name : {"a", "b", "c"})
        saveJob(folder, name, name);
    const auto list = listOf(folder);
    QVERIFY(list->moveJob(0, list->size() - 1));
    QCOMPARE(names(*list), (QStringList{"b", "c", "a"}));
    QVERIFY(!list->moveJob(0, list->size()));
    QVERIFY(!list->moveJob(-1, 0));
    QCOMPARE(names(*list), (QStringList{"b", "c", "a"}));
}

void TestJobList::sortJobList_data()
{
    QTest::addColumn<QStringList>("jobs");   // job names in list order
    QTest::addColumn<QStringList>("order");  // the names to sort by
    QTest::addColumn<QStringList>("sorted");
    QTest::addRow("full order") << QStringList{"a", "b", "c"} << QStringList{"c", "a", "b"}
                                << QStringList{"c", "a", "b"};
    QTest::addRow("no names") << QStringList{"a", "b"} << QStringList() << QStringList{"a", "b"};
    QTest::addRow("unknown name") << QStringList{"a", "b"} << QStringList{"x", "b"}
                                  << QStringList{"b", "a"};
    QTest::addRow("two jobs of one name") << QStringList{"s", "t", "s"} << QStringList{"t", "s"}
                                          << QStringList{"t", "s", "s"};
    QTest::addRow("a name given twice") << QStringList{"s", "t"} << QStringList{"s", "s", "t"}
                                        << QStringList{"s", "t"};
}

void TestJobList::sortJobList()
{
    QFETCH(QStringList, jobs);
    QFETCH(QStringList, order);
    QFETCH(QStringList, sorted);
    pq_JobList list(QString(), jobtest::filmCurvesFolder(), jobtest::tempFolder());
    QList<const pq_JobIF *> made;
    for (const QString &name : jobs) {
        list.addEmptyJob();
        list.jobAt(list.size() - 1)->setJobName(name);
        made.append(list.jobAt(list.size() - 1));
    }
    list.sortJobList(order);
    QCOMPARE(names(list), sorted);
    // Every job is in the list exactly once.
    for (const pq_JobIF *job : made) {
        int seen = 0;
        for (int i = 0; i < list.size(); ++i)
            seen += list.jobAt(i) == job ? 1 : 0;
        QCOMPARE(seen, 1);
    }
    // Two jobs of one name: the first one is placed where the name occurs.
    if (jobs == QStringList{"s", "t", "s"})
        QCOMPARE(list.jobAt(1), made.at(0));
}

void TestJobList::addJobs()
{
    pq_JobList list(QString(), jobtest::filmCurvesFolder(), jobtest::tempFolder());
    list.addJob("Profile", QString(), QString());
    list.addEmptyJob();
    QCOMPARE(list.size(), 2);
    QCOMPARE(list.jobAt(0)->profileName(), QString("Profile"));
    QVERIFY(list.jobAt(1)->profileName().isEmpty());
}

static RegisterSuite<TestJobList> registerJobList;
#include "test_job_list.moc"
