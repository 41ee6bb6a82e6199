// The job list: reading the jobs folder, look-ups, moves and sorting.
#include "JobTestSupport.h"

#include "jobs/pq_Job.h"
#include "jobs/pq_JobFileWriter.h"
#include "jobs/pq_JobFileReader.h"
#include "jobs/pq_JobList.h"
#include "jobs/pq_targetInfo.h"

#include <QtTest>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

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

// The text of a saved job with one ColorChecker target, with every
// occurrence of each key replaced by its value.
QByteArray jobText(const QString &name, const QList<QPair<QByteArray, QByteArray>> &replaced = {})
{
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    job.setJobName(name);
    job.setJobId(name);
    job.addTargetInfo(jobtest::colorCheckerTarget());
    QByteArray text = job.toXml().toUtf8();
    for (const auto &pair : replaced)
        text.replace(pair.first, pair.second);
    return text;
}

// Every file of the folder (links not followed) with its bytes; pipes and
// dangling links as their kind.
QMap<QString, QByteArray> folderContents(const QString &folder)
{
    QMap<QString, QByteArray> out;
    for (const QFileInfo &entry :
         QDir(folder).entryInfoList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (entry.isSymLink())
            out.insert(entry.fileName(), "link to " + entry.symLinkTarget().toUtf8());
        else if (!entry.isFile())
            out.insert(entry.fileName(), "not a file");
        else
            out.insert(entry.fileName(), jobtest::readFile(entry.absoluteFilePath()));
    }
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
    void strangeEntries_data();
    void strangeEntries();
    void onePerNameWhateverTheCase();
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

void TestJobList::strangeEntries_data()
{
    QTest::addColumn<QString>("entry");    // what is put beside the good job
    QTest::addColumn<bool>("listed");      // the entry is a job of the list
    QTest::addColumn<QString>("problem");  // what the user is told of it
    QTest::addRow("pipe") << "Pipe.xml" << false << "Pipe.xml is not read as a job: it is not a regular file.";
    QTest::addRow("dangling link") << "Gone.xml" << false << "Gone.xml is not read as a job: it is a link to nothing.";
    QTest::addRow("link to a system file")
        << "Passwd.xml" << false
        << "Passwd.xml is not read as a job: it is a link to a file outside the jobs folder.";
    QTest::addRow("file that cannot be read")
        << "Locked.xml" << false << "Locked.xml is not read as a job: it cannot be read.";
    QTest::addRow("file over the size limit")
        << "Huge.xml" << false
        << "Huge.xml is not read as a job: it is larger than a job file (67108864 bytes).";
    QTest::addRow("repeated element")
        << "Twice.xml" << true
        << "Twice.xml does not read whole, so it is listed but will not be saved over: line 110: "
           "element columns is repeated.";
    QTest::addRow("reference of 20 MB")
        << "Big.xml" << true << "Big.xml: target \"ColorChecker\": the reference file %1 is not taken: "
                                "it is larger than 16777216 bytes; the job keeps the reference data it carries.";
    QTest::addRow("binary reference")
        << "Binary.xml" << true << "Binary.xml: target \"ColorChecker\": the reference file %1 is not "
                                   "taken: it is not CGATS reference data; the job keeps the reference data it carries.";
    QTest::addRow("reference outside every folder")
        << "System.xml" << true << "System.xml: target \"ColorChecker\": the reference file %1 is not "
                                   "taken: it is not CGATS reference data; the job keeps the reference data it carries.";
    QTest::addRow("reference up through \"..\"")
        << "Up.xml" << true << "Up.xml: target \"ColorChecker\": the reference file %1 is not taken: it "
                               "is not CGATS reference data; the job keeps the reference data it carries.";
    QTest::addRow("reference through a link")
        << "Linked.xml" << true << "Linked.xml: target \"ColorChecker\": the reference file %1 is not "
                                   "taken: it is not CGATS reference data; the job keeps the reference data it carries.";
    QTest::addRow("reference of other patches")
        << "Other.xml" << true << "Other.xml: target \"ColorChecker\": the reference file %1 is not "
                                  "taken: it holds 1 patches where the target has 24; the job keeps the reference data it carries.";
    QTest::addRow("picture that is no picture")
        << "Picture.xml" << true << "Picture.xml: target \"ColorChecker\": the picture %1 is not taken: "
                                    "it is not a picture; the job keeps the picture it carries.";
}

// Whatever the folder holds beside a job, the job list reads the job, never
// blocks, follows no link out of the folder, takes no stranger's file into a
// job and names each such entry once; nothing in the folder changes.
void TestJobList::strangeEntries()
{
    QFETCH(QString, entry);
    QFETCH(bool, listed);
    QFETCH(QString, problem);
    const QString folder = jobtest::freshFolder("strange-" + QFileInfo(entry).completeBaseName());
    const QString path = folder + "/" + entry;
    const QString privateFolder = jobtest::freshFolder("private-" + QFileInfo(entry).completeBaseName());
    const QString secret = privateFolder + "/secret.txt";
    QVERIFY(jobtest::writeFile(secret, "the user's own words\n"));
    saveJob(folder, "Good", "good");
    QString named;  // the file the bad job names
    auto referTo = [&](const QString &referenceFolder, const QString &referenceName) {
        return jobText(QFileInfo(entry).completeBaseName(),
                       {{"<ReferencePath>References</ReferencePath>",
                         "<ReferencePath>" + referenceFolder.toUtf8() + "</ReferencePath>"},
                        {"<ReferenceName>ColorChecker.cie</ReferenceName>",
                         "<ReferenceName>" + referenceName.toUtf8() + "</ReferenceName>"}});
    };
    const QString templates = jobtest::templatesFolder();
    if (entry == "Pipe.xml") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (entry == "Gone.xml") {
        QVERIFY(QFile::link(folder + "/nothing.xml", path));
    } else if (entry == "Passwd.xml") {
        QVERIFY(QFile::link("/etc/passwd", path));
    } else if (entry == "Locked.xml") {
        if (::geteuid() == 0)
            QSKIP("root reads every file");
        QVERIFY(jobtest::writeFile(path, jobText("Locked")));
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
    } else if (entry == "Huge.xml") {
        QFile huge(path);
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(pq_JobFileReader::MaxFileSize + 1));
    } else if (entry == "Twice.xml") {
        QVERIFY(jobtest::writeFile(path, jobText("Twice", {{"<columns>6</columns>\n",
                                                            "<columns>6</columns>\n<columns>7</columns>\n"}})));
    } else if (entry == "Big.xml") {
        named = privateFolder + "/big.cie";
        QFile big(named);
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(20 * 1000 * 1000));
        QVERIFY(jobtest::writeFile(path, referTo(privateFolder, "big.cie")));
    } else if (entry == "Binary.xml") {
        named = privateFolder + "/data.bin";
        QByteArray bytes(4096, '\0');
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char((i * 7919) & 0xff);
        QVERIFY(jobtest::writeFile(named, bytes));
        QVERIFY(jobtest::writeFile(path, referTo(privateFolder, "data.bin")));
    } else if (entry == "System.xml") {
        named = "/etc/passwd";
        QVERIFY(jobtest::writeFile(path, referTo("/etc", "passwd")));
    } else if (entry == "Up.xml") {
        const QString up = QDir(templates).relativeFilePath(privateFolder);
        QVERIFY(up.startsWith(".."));
        named = templates + "/" + up + "/secret.txt";
        QVERIFY(jobtest::writeFile(path, referTo(up, "secret.txt")));
    } else if (entry == "Linked.xml") {
        named = templates + "/References/linked.cie";
        QFile::remove(named);
        QVERIFY(QFile::link(secret, named));
        QVERIFY(jobtest::writeFile(path, referTo("References", "linked.cie")));
    } else if (entry == "Other.xml") {
        named = privateFolder + "/one.cie";
        QVERIFY(jobtest::writeFile(named, "CGATS.17\nNUMBER_OF_FIELDS 4\nBEGIN_DATA_FORMAT\n"
                                          "SAMPLE_ID XYZ_X XYZ_Y XYZ_Z\nEND_DATA_FORMAT\n"
                                          "NUMBER_OF_SETS 1\nBEGIN_DATA\n1 10 10 10\nEND_DATA\n"));
        QVERIFY(jobtest::writeFile(path, referTo(privateFolder, "one.cie")));
    } else if (entry == "Picture.xml") {
        const QString up = QDir(templates).relativeFilePath(secret);
        named = templates + "/" + up;
        QVERIFY(jobtest::writeFile(path, jobText("Picture", {{"Pictures/ColorChecker.png", up.toUtf8()}})));
    }
    const QMap<QString, QByteArray> before = folderContents(folder);

    const auto list = listOf(folder);
    const QString bad = QFileInfo(entry).completeBaseName();
    QStringList expectedNames = listed ? QStringList{bad, "Good"} : QStringList{"Good"};
    expectedNames.sort();
    QCOMPARE(names(*list), expectedNames);
    QVERIFY(static_cast<pq_Job *>(list->jobById("good"))->lastReadOutcome().isWhole());
    QCOMPARE(list->problems(), QStringList{problem.arg(named)});
    if (listed && entry != "Twice.xml") {
        // The job keeps what it carries, and nothing of the named file.
        auto *job = static_cast<pq_Job *>(list->jobById(bad));
        const pq_targetInfo *description = job->currentTargetInfo();
        QVERIFY(job->lastReadOutcome().isWhole());
        QVERIFY(description->referenceFile.isEmpty() == (entry != "Picture.xml"));
        QVERIFY(!description->referenceData.isEmpty());
        QVERIFY(!description->targetImage.isEmpty());
        const QString written = job->toXml();
        QVERIFY(!written.contains("the user's own words"));
        QVERIFY(!written.contains("root:"));
        QCOMPARE(job->loadTargetData(false), 0);
        const pq_JobSaveResult saved = pq_JobFileWriter::save(*job, folder);
        QVERIFY2(saved.ok, qPrintable(saved.message));
        QVERIFY(!jobtest::readFile(saved.path).contains("the user's own words"));
        return;
    }
    QCOMPARE(folderContents(folder), before);
}

void TestJobList::onePerNameWhateverTheCase()
{
    const QString folder = jobtest::freshFolder("list-case");
    saveJob(folder, "Same", "lower");
    QVERIFY(jobtest::writeFile(folder + "/Same.XML", jobText("Same", {{"<Job_ID>Same", "<Job_ID>upper"}})));
    QVERIFY(jobtest::writeFile(folder + "/Solo.Xml", jobText("Solo")));
    const QByteArray upper = jobtest::readFile(folder + "/Same.XML");
    const auto list = listOf(folder);
    QCOMPARE(names(*list), (QStringList{"Same", "Solo"}));
    QCOMPARE(list->jobAt(0)->getJobID(), QString("lower"));
    QCOMPARE(list->problems(),
             QStringList{"Same.XML is not read as a job: it differs from Same.xml only in the "
                         "case of \".xml\"; rename it to see it as a job."});
    // Each job writes its own file and no other.
    for (int i = 0; i < list->size(); ++i) {
        const pq_JobSaveResult saved =
            pq_JobFileWriter::save(*static_cast<pq_Job *>(list->jobAt(i)), folder);
        QVERIFY2(saved.ok, qPrintable(saved.message));
    }
    QCOMPARE(jobtest::readFile(folder + "/Same.XML"), upper);
    QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name),
             (QStringList{"Same.XML", "Same.xml", "Solo.Xml"}));
    QCOMPARE(pq_JobFileWriter::jobFilePath(folder, "Solo"), folder + "/Solo.Xml");
    // A link out of the folder is not written through, even to a job file.
    const QString outside = jobtest::freshFolder("list-case-outside") + "/Elsewhere.xml";
    QVERIFY(jobtest::writeFile(outside, jobText("Elsewhere")));
    const QByteArray elsewhere = jobtest::readFile(outside);
    QVERIFY(QFile::link(outside, folder + "/Elsewhere.xml"));
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    job.setJobName("Elsewhere");
    job.setJobId("Elsewhere");
    const pq_JobSaveResult saved = pq_JobFileWriter::save(job, folder);
    QVERIFY(!saved.ok && saved.keptUnreadFile);
    QCOMPARE(saved.message, QString("The job file \"Elsewhere.xml\" is kept as it is, since it is a "
                                    "link that does not lead to a file in the jobs folder."));
    QCOMPARE(jobtest::readFile(outside), elsewhere);
    QCOMPARE(pq_JobFileWriter::jobFilePath(folder, "New"), folder + "/New.xml");
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
