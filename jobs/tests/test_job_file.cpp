// The stored job file: exact round trips, files that do not read whole, and
// the writer that never replaces them.
#include "JobTestSupport.h"

#include "jobs/pq_Job.h"
#include "jobs/pq_JobFileReader.h"
#include "jobs/pq_JobFileWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

#include <memory>

#include <sys/stat.h>

namespace {

const QString kMarkup = QString::fromUtf8("A & B <c> \"d\" 'e' Ä→ ]]>");

// A job with every field set, markup in every text, a transmissive negative
// target whose reference file and picture are not on this machine, and job
// information.
std::unique_ptr<pq_Job> fullJob(const QString &name)
{
    auto job = std::make_unique<pq_Job>(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    job->setJobName(name);
    job->setJobId("id & <1>");
    job->setExpertSetName("Set " + kMarkup);
    job->setC1InsteadOfDCP(true);
    job->setInitiallyDisabled(true);
    job->jobExpertSettings().applyScannerRule("profileTypeICC", "Photography", false);
    job->jobExpertSettings().setLocked("observer", true);
    for (int i = 0; i < pq_jobInfo::FieldCount; ++i)
        job->jobInfo().setItem(pq_jobInfo::displayName(i), kMarkup + "\nline " + QString::number(i));

    pq_targetInfo *present = jobtest::colorCheckerTarget("ColorChecker " + kMarkup);
    present->targetVendor = kMarkup;
    present->fieldOrder = "TLR";
    present->addShot("/shots/a&b #1?.tif");
    job->addTargetInfo(present);

    auto *away = new pq_targetInfo;
    away->name = QString::fromUtf8("Dia \"négatif\" <35mm>");
    away->model = away->name;
    away->targetVendor = "Vendor\nwith line break";
    away->targetFullResFilePath = "Pictures/not here & <there>.png";
    away->referencePath = "/media/elsewhere";
    away->referenceName = "IT8 & co.txt";
    away->referenceFile = "/media/elsewhere/IT8 & co.txt";
    away->referenceData = "CGATS.17\r\nORIGINATOR \"A & B <c>\"\r\nBEGIN_DATA\r\nEND_DATA";
    away->targetImage = "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAIAAACQd1PeAAAADElEQVR4nGNgYGAAAAAEAAH2FzhVAAAAAElFTkSuQmCC";
    away->targetDefinition = "IS12642\n\tDESCRIPTOR \"x & y\"\n";
    away->patches = 264;
    away->rows = 12;
    away->columns = 22;
    away->pages = 2;
    away->isNegative = true;
    away->isTransmissive = true;
    job->addTargetInfo(away);
    return job;
}

QString jobPath(const QString &folder, const QString &name)
{
    return folder + "/" + name + ".xml";
}

}  // namespace

class TestJobFile : public QObject
{
    Q_OBJECT

private slots:
    void roundTripIsExact();
    void fileLayout();
    void nameIsTheFileNameWithoutXml();
    void refusesNamesOutsideTheFolder_data();
    void refusesNamesOutsideTheFolder();
    void controlCharactersBecomeReplacements();
    void truncatedFileIsNeverReplaced_data();
    void truncatedFileIsNeverReplaced();
    void badFiles_data();
    void badFiles();
    void tooLargeFile();
    void unopenableFile();
    void pipeIsNoJobFile();
    void olderFilesRead();
    void repeatedTargetNames();
    void jobWithoutTargets();
};

void TestJobFile::roundTripIsExact()
{
    const QString folder = jobtest::freshFolder("round-trip") + "/Jobs";
    const QString name = QString::fromUtf8("Repro & 'Studio' 1.5 Ä");
    std::unique_ptr<pq_Job> job = fullJob(name);
    const pq_JobSaveResult saved = pq_JobFileWriter::save(*job, folder);
    QVERIFY2(saved.ok, qPrintable(saved.message));
    QCOMPARE(saved.path, jobPath(folder, name));
    const QByteArray first = jobtest::readFile(saved.path);
    QVERIFY(first.endsWith("</Job>\n"));

    pq_Job back(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    back.readFromXML(saved.path);
    QVERIFY2(back.lastReadOutcome().isWhole(), qPrintable(back.lastReadOutcome().message));
    QCOMPARE(back.getJobName(), name);
    QCOMPARE(back.getJobID(), job->getJobID());
    QCOMPARE(back.expertSetName(), job->expertSetName());
    QVERIFY(back.isC1InsteadOfDCP());
    QVERIFY(back.isInitiallyDisabled());
    QCOMPARE(back.jobExpertSettings().toJobXml(), job->jobExpertSettings().toJobXml());
    for (int i = 0; i < pq_jobInfo::FieldCount; ++i)
        QCOMPARE(back.jobInfo().item(i), job->jobInfo().item(i));
    QCOMPARE(back.targetInfos().size(), 2);
    for (int i = 0; i < 2; ++i) {
        const pq_targetInfo *a = job->targetInfos().at(i);
        const pq_targetInfo *b = back.targetInfos().at(i);
        QCOMPARE(b->name, a->name);
        QCOMPARE(b->targetVendor, a->targetVendor);
        QCOMPARE(b->targetFullResFilePath, a->targetFullResFilePath);
        QCOMPARE(b->referenceName, a->referenceName);
        QCOMPARE(b->referencePath, a->referencePath);
        QCOMPARE(b->targetDefinition, a->targetDefinition);
        QCOMPARE(b->fieldOrder, a->fieldOrder);
        QCOMPARE(b->patches, a->patches);
        QCOMPARE(b->pages, a->pages);
        QCOMPARE(b->rows, a->rows);
        QCOMPARE(b->columns, a->columns);
        QCOMPARE(b->isNegative, a->isNegative);
        QCOMPARE(b->isTransmissive, a->isTransmissive);
    }
    // The reference text round-trips unchanged, "&" and line ends included.
    QCOMPARE(back.targetInfos().at(0)->referenceData, job->targetInfos().at(0)->referenceFileText());
    QCOMPARE(back.targetInfos().at(1)->referenceData, job->targetInfos().at(1)->referenceData);
    QCOMPARE(back.targetInfos().at(1)->targetImage, job->targetInfos().at(1)->targetImage);
    QVERIFY(!back.targetInfos().at(0)->targetImage.isEmpty());

    const pq_JobSaveResult again = pq_JobFileWriter::save(back, folder);
    QVERIFY2(again.ok, qPrintable(again.message));
    QCOMPARE(jobtest::readFile(again.path), first);
}

void TestJobFile::fileLayout()
{
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    job.setJobName("Studio");
    job.setJobId("42");
    const QString text = job.toXml();
    const QStringList lines = text.split('\n');
    QCOMPARE(lines.at(0), QString("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    QCOMPARE(lines.at(1), QString("<Job>"));
    QCOMPARE(lines.at(2), QString("\t<Job_HumanReadable>Studio</Job_HumanReadable>"));
    QCOMPARE(lines.at(3), QString("\t<Job_InitiallyDisabled>false</Job_InitiallyDisabled>"));
    QCOMPARE(lines.at(4), QString("\t<Job_ID>42</Job_ID>"));
    QCOMPARE(lines.at(5), QString("\t<Job_ExpertSetName></Job_ExpertSetName>"));
    QCOMPARE(lines.at(6), QString("\t<Job_IsC1InsteadOfDCP>false</Job_IsC1InsteadOfDCP>"));
    QCOMPARE(lines.at(7), QString("\t<ExpertSettings>"));
    QVERIFY(!text.contains("JobInfo"));
    QVERIFY(text.endsWith("\t<Targets>\n\t</Targets>\n</Job>"));

    std::unique_ptr<pq_Job> full = fullJob("Full");
    const QString fullText = full->toXml();
    QVERIFY(fullText.contains("\t\t\t\t<field_order>TLR</field_order>\n\t\t\t<targetimage>"));
    QVERIFY(fullText.contains("\t\t\t\t<field_order></field_order>\n"
                              "\t\t\t\t<isnegative>true</isnegative>\n"
                              "\t\t\t\t<istransmissive>true</istransmissive>\n"));
    QVERIFY(fullText.contains("\t</ExpertSettings>\n\t<JobInfo>\n"));
}

void TestJobFile::nameIsTheFileNameWithoutXml()
{
    const QString folder = jobtest::freshFolder("names");
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    job.setJobName("Repro 1.5");
    job.setJobId("r");
    QVERIFY(pq_JobFileWriter::save(job, folder).ok);
    pq_Job back(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    back.readFromXML(folder + "/Repro 1.5.xml");
    QCOMPARE(back.getJobName(), QString("Repro 1.5"));

    // The file name wins over Job_HumanReadable.
    QVERIFY(jobtest::writeFile(folder + "/Repro.xml",
                               "<Job><Job_ID>1</Job_ID><Job_HumanReadable>Studio"
                               "</Job_HumanReadable></Job>"));
    pq_Job renamed(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    renamed.readFromXML(folder + "/Repro.xml");
    QCOMPARE(renamed.getJobName(), QString("Repro"));
    QVERIFY(renamed.lastReadOutcome().isWhole());
}

void TestJobFile::refusesNamesOutsideTheFolder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addRow("empty") << "";
    QTest::addRow("dot") << ".";
    QTest::addRow("dot dot") << "..";
    QTest::addRow("slash") << "../escape";
    QTest::addRow("absolute") << "/tmp/escape";
    QTest::addRow("backslash") << "a\\b";
    QTest::addRow("list separator") << "a|b";
    QTest::addRow("markup") << "a<b>";
    QTest::addRow("quote") << "a\"b";
    QTest::addRow("colon") << "a:b";
    QTest::addRow("wildcards") << "a*?";
    QTest::addRow("control character") << "a\tb";
}

void TestJobFile::refusesNamesOutsideTheFolder()
{
    QFETCH(QString, name);
    const QString folder = jobtest::freshFolder("bad-names") + "/Jobs";
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    job.setJobName(name);
    const pq_JobSaveResult result = pq_JobFileWriter::save(job, folder);
    QVERIFY(!result.ok);
    QVERIFY(!result.message.isEmpty());
    QVERIFY(!QFileInfo::exists(folder));
}

void TestJobFile::controlCharactersBecomeReplacements()
{
    const QString folder = jobtest::freshFolder("control-characters");
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    job.setJobName("Control");
    job.setJobId("c");
    job.setExpertSetName(QString("bell ") + QChar(7) + " tab\t");
    const pq_JobSaveResult result = pq_JobFileWriter::save(job, folder);
    QVERIFY2(result.ok, qPrintable(result.message));
    pq_Job back(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    back.readFromXML(result.path);
    QVERIFY(back.lastReadOutcome().isWhole());
    QCOMPARE(back.expertSetName(), QString("bell ") + QChar(QChar::ReplacementCharacter) + " tab\t");
}

void TestJobFile::truncatedFileIsNeverReplaced_data()
{
    QTest::addColumn<double>("fraction");
    QTest::addRow("after the declaration") << 0.01;
    QTest::addRow("in the settings") << 0.05;
    QTest::addRow("in the reference data") << 0.3;
    QTest::addRow("in the picture") << 0.7;
    QTest::addRow("before the last line end") << -1.0;
}

void TestJobFile::truncatedFileIsNeverReplaced()
{
    QFETCH(double, fraction);
    const QString folder = jobtest::freshFolder("truncated");
    std::unique_ptr<pq_Job> job = fullJob("Truncated");
    const pq_JobSaveResult saved = pq_JobFileWriter::save(*job, folder);
    QVERIFY(saved.ok);
    const QByteArray whole = jobtest::readFile(saved.path);
    const int length = fraction < 0 ? whole.size() - 3 : int(whole.size() * fraction);
    const QByteArray cut = whole.left(length);
    QVERIFY(jobtest::writeFile(saved.path, cut));

    pq_Job back(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    back.readFromXML(saved.path);
    QVERIFY(!back.lastReadOutcome().isWhole());
    QCOMPARE(back.getJobName(), QString("Truncated"));
    QVERIFY(back.targetInfos().isEmpty());
    QVERIFY(back.getJobID().isEmpty());
    QVERIFY(back.lastReadOutcome().message.contains(saved.path));
    QVERIFY(back.lastReadOutcome().message.contains("line"));

    const pq_JobSaveResult replaced = pq_JobFileWriter::save(back, folder);
    QVERIFY(!replaced.ok);
    QVERIFY(replaced.message.contains("does not read whole"));
    QCOMPARE(jobtest::readFile(saved.path), cut);
    QVERIFY(!pq_JobFileWriter::save(*job, folder).ok);
    QCOMPARE(jobtest::readFile(saved.path), cut);
}

void TestJobFile::badFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Job>\n"
                            "\t<Job_HumanReadable>X</Job_HumanReadable>\n\t<Job_ID>1</Job_ID>\n";
    const QByteArray target = "\t<Targets>\n\t\t<targetdescription><name>T</name>"
                              "<rows>4</rows></targetdescription>\n\t</Targets>\n";
    QTest::addRow("empty") << QByteArray() << int(pq_JobReadOutcome::NotParsed);
    QTest::addRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)
                            << int(pq_JobReadOutcome::NotParsed);
    QTest::addRow("not well-formed") << head + "<Job_ExpertSetName>a & b</Job_ExpertSetName>"
                                     << int(pq_JobReadOutcome::NotParsed);
    QTest::addRow("markup in a name before the ID")
        << QByteArray("<Job><Job_HumanReadable>A & B</Job_HumanReadable><Job_ID>1</Job_ID>"
                      "</Job>")
        << int(pq_JobReadOutcome::NotParsed);
    QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE Job [\n<!ENTITY a \"aaaaaaaaaa\">\n";
    for (char c = 'b'; c <= 'j'; ++c)
        laughs += QByteArray("<!ENTITY ") + c + " \"&" + char(c - 1) + ";&" + char(c - 1) + ";&"
            + char(c - 1) + ";&" + char(c - 1) + ";&" + char(c - 1) + ";&" + char(c - 1)
            + ";&" + char(c - 1) + ";&" + char(c - 1) + ";&" + char(c - 1) + ";&"
            + char(c - 1) + ";\">\n";
    laughs += "]>\n<Job><Job_ID>&j;</Job_ID><Job_HumanReadable>x</Job_HumanReadable></Job>";
    QTest::addRow("entity expanding without end") << laughs << int(pq_JobReadOutcome::NotParsed);
    QTest::addRow("100000 levels deep")
        << head + QByteArray(100000 * 3, 'x').replace("xxx", "<a>")
        << int(pq_JobReadOutcome::NotParsed);
    QTest::addRow("other root") << QByteArray("<Set><Job_ID>1</Job_ID></Set>")
                                << int(pq_JobReadOutcome::NotJob);
    QTest::addRow("empty ID")
        << QByteArray("<Job><Job_ID></Job_ID><Job_HumanReadable>x</Job_HumanReadable></Job>")
        << int(pq_JobReadOutcome::NoId);
    QTest::addRow("repeated ID") << head + "<Job_ID>2</Job_ID></Job>"
                                 << int(pq_JobReadOutcome::NoId);
    QTest::addRow("no name") << QByteArray("<Job><Job_ID>1</Job_ID></Job>")
                             << int(pq_JobReadOutcome::NoName);
    QTest::addRow("repeated settings")
        << head + "<ExpertSettings/><ExpertSettings/>" + target + "</Job>"
        << int(pq_JobReadOutcome::RepeatedExpertSettings);
    QTest::addRow("repeated information")
        << head + "<JobInfo/><JobInfo/>" + target + "</Job>"
        << int(pq_JobReadOutcome::RepeatedJobInfo);
    QTest::addRow("count that is no number")
        << head + QByteArray(target).replace("<rows>4</rows>", "<rows>4x</rows>") + "</Job>"
        << int(pq_JobReadOutcome::BadContent);
    QTest::addRow("negative count")
        << head + QByteArray(target).replace("<rows>4</rows>", "<rows>-4</rows>") + "</Job>"
        << int(pq_JobReadOutcome::BadContent);
    QTest::addRow("absurd count")
        << head + QByteArray(target).replace("<rows>4</rows>", "<patches>4000000000</patches>")
            + "</Job>"
        << int(pq_JobReadOutcome::BadContent);
    QTest::addRow("repeated set name")
        << head + "<Job_ExpertSetName>a</Job_ExpertSetName><Job_ExpertSetName>b"
                  "</Job_ExpertSetName></Job>"
        << int(pq_JobReadOutcome::BadContent);
    QTest::addRow("repeated setting")
        << head + "<ExpertSettings><ExpertObserver>2-Degree</ExpertObserver>"
                  "<ExpertObserver>10-Degree</ExpertObserver></ExpertSettings>" + target + "</Job>"
        << int(pq_JobReadOutcome::BadContent);
    QTest::addRow("repeated information field")
        << head + "<JobInfo><InfoCity>A</InfoCity><InfoCity>B</InfoCity></JobInfo></Job>"
        << int(pq_JobReadOutcome::BadContent);
    QTest::addRow("repeated element in a target")
        << head + QByteArray(target).replace("<rows>4</rows>", "<rows>4</rows><rows>5</rows>")
            + "</Job>"
        << int(pq_JobReadOutcome::BadContent);
}

void TestJobFile::badFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    const QString folder = jobtest::freshFolder("bad-files");
    const QString path = folder + "/Bad one.xml";
    QVERIFY(jobtest::writeFile(path, bytes));

    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    job.readFromXML(path);
    const pq_JobReadOutcome outcome = job.lastReadOutcome();
    QCOMPARE(int(outcome.status), status);
    QVERIFY(!outcome.isWhole());
    QCOMPARE(job.getJobName(), QString("Bad one"));
    QVERIFY2(outcome.message.contains(path), qPrintable(outcome.message));
    QVERIFY2(outcome.message.contains("line"), qPrintable(outcome.message));
    QVERIFY(!job.loadCurrentTarget());

    job.setJobId("new");
    QVERIFY(!pq_JobFileWriter::save(job, folder).ok);
    QCOMPARE(jobtest::readFile(path), bytes);
}

void TestJobFile::tooLargeFile()
{
    const QString folder = jobtest::freshFolder("large");
    const QString path = folder + "/Large.xml";
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(pq_JobFileReader::MaxFileSize + 1));
    }
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    job.readFromXML(path);
    QCOMPARE(job.lastReadOutcome().status, pq_JobReadOutcome::NotParsed);
    QCOMPARE(job.getJobName(), QString("Large"));
    QVERIFY(!pq_JobFileWriter::save(job, folder).ok);
    QCOMPARE(QFileInfo(path).size(), pq_JobFileReader::MaxFileSize + 1);
}

void TestJobFile::unopenableFile()
{
    const QString folder = jobtest::freshFolder("unopenable");
    const QString path = folder + "/Locked.xml";
    QVERIFY(QDir().mkpath(path));  // a folder where the file should be
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    job.readFromXML(path);
    QCOMPARE(job.lastReadOutcome().status, pq_JobReadOutcome::CannotOpen);
    QCOMPARE(job.jobFilePath(), path);
    job.setJobName("Locked");
    QVERIFY(!pq_JobFileWriter::save(job, folder).ok);
    QVERIFY(QFileInfo(path).isDir());
}

void TestJobFile::pipeIsNoJobFile()
{
    const QString folder = jobtest::freshFolder("pipe");
    const QString path = folder + "/Pipe.xml";
    QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    job.readFromXML(path);
    QCOMPARE(job.lastReadOutcome().status, pq_JobReadOutcome::CannotOpen);
    job.setJobName("Pipe");
    QVERIFY(!pq_JobFileWriter::save(job, folder).ok);
}

void TestJobFile::olderFilesRead()
{
    // The layout of files written before: values as they were, "&" of the
    // reference written as "and", a definition that gathered line breaks.
    const QByteArray old =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Job>\n"
        "\t<Job_HumanReadable>Old</Job_HumanReadable>\n"
        "\t<Job_InitiallyDisabled>false</Job_InitiallyDisabled>\n"
        "\t<Job_ID>7</Job_ID>\n\t<Job_ExpertSetName></Job_ExpertSetName>\n"
        "\t<Job_IsC1InsteadOfDCP>false</Job_IsC1InsteadOfDCP>\n"
        "\t<ExpertSettings>\n\t\t<ExpertProfileOptimization>?E 76</ExpertProfileOptimization>\n"
        "\t</ExpertSettings>\n\t<Targets>\n\t\t<targetdescription>\n\t\t\t<TargetInfo>\n"
        "\t\t\t\t<TargetFullResFilePath>Pictures/x.png</TargetFullResFilePath>\n"
        "\t\t\t\t<TargetVendor>Vendor</TargetVendor>\n\t\t\t\t<ReferenceInfo>\n"
        "\t\t\t\t\t<ReferenceName>r.cie</ReferenceName>\n"
        "\t\t\t\t\t<ReferencePath>/gone</ReferencePath>\n"
        "\t\t\t\t\t<ReferenceData>\nORIGINATOR \"A and B\"\nBEGIN_DATA\nEND_DATA\n"
        "\t\t\t\t\t</ReferenceData>\n"
        "\t\t\t\t</ReferenceInfo>\n\t\t\t</TargetInfo>\n"
        "\t\t\t<targetdefinition>\nIS12642\n\t\t\t</targetdefinition>\n"
        "\t\t\t\t<name>Old target</name>\n\t\t\t\t<patches>24</patches>\n"
        "\t\t\t\t<rows>4</rows>\n\t\t\t\t<columns>6</columns>\n"
        "\t\t\t\t<istransmissive>true</istransmissive>\n"
        "\t\t\t\t<field_order></field_order>\n\t\t</targetdescription>\n\t</Targets>\n</Job>\n";
    const QString folder = jobtest::freshFolder("old");
    QVERIFY(jobtest::writeFile(folder + "/Old.xml", old));
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    job.readFromXML(folder + "/Old.xml");
    QVERIFY(job.lastReadOutcome().isWhole());
    QCOMPARE(job.jobExpertSettings().deltaEFormula(), 0);
    QCOMPARE(job.targetInfos().size(), 1);
    const pq_targetInfo *target = job.targetInfos().first();
    QCOMPARE(target->referenceData, QString("ORIGINATOR \"A and B\"\nBEGIN_DATA\nEND_DATA"));
    QCOMPARE(target->targetDefinition, QString("IS12642\n"));
    QVERIFY(target->isTransmissive);
    QVERIFY(!target->isNegative);
    // Saved over, the file reads back the same.
    QVERIFY(pq_JobFileWriter::save(job, folder).ok);
    pq_Job back(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    back.readFromXML(folder + "/Old.xml");
    QCOMPARE(back.toXml(), job.toXml());
}

void TestJobFile::repeatedTargetNames()
{
    const QByteArray bytes =
        "<Job><Job_ID>1</Job_ID><Job_HumanReadable>x</Job_HumanReadable><Targets>"
        "<targetdescription><name>A</name><rows>1</rows></targetdescription>"
        "<targetdescription><name>B</name></targetdescription>"
        "<targetdescription><name>A</name><rows>2</rows></targetdescription>"
        "<targetdescription><rows>9</rows></targetdescription>"
        "</Targets></Job>";
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    job.readFromBytes(bytes, "/jobs/Repeated.xml");
    QVERIFY(job.lastReadOutcome().isWhole());
    QCOMPARE(job.targetInfos().size(), 2);
    QCOMPARE(job.targetInfos().at(0)->name, QString("B"));
    QCOMPARE(job.targetInfos().at(1)->name, QString("A"));
    QCOMPARE(job.targetInfos().at(1)->rows, 2);
}

void TestJobFile::jobWithoutTargets()
{
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    QCOMPARE(job.toQmlXml(), QString("<job enabled='true'>\n</job>\n"));
    job.setEnabled(false);
    QCOMPARE(job.toQmlXml(), QString("<job>\n</job>\n"));
    job.setJobName("Empty");
    job.setJobId("e");
    const QString folder = jobtest::freshFolder("no-targets");
    QVERIFY(pq_JobFileWriter::save(job, folder).ok);
    pq_Job back(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    back.readFromXML(folder + "/Empty.xml");
    QVERIFY(back.lastReadOutcome().isWhole());
    // A job without targets may be saved over.
    QVERIFY(pq_JobFileWriter::save(back, folder).ok);
}

static RegisterSuite<TestJobFile> registerJobFile;
#include "test_job_file.moc"
