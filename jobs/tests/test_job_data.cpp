// Target descriptions, their lists and the job information.
#include "JobTestSupport.h"

#include "jobs/pq_jobInfo.h"
#include "jobs/pq_targetInfo.h"
#include "jobs/pq_targetInfoList.h"
#include "jobs/pq_xmlText.h"

#include <QBuffer>
#include <QDomDocument>
#include <QImage>
#include <QUrl>
#include <QtTest>

#include <memory>

namespace {

QDomElement parsed(QDomDocument &document, const QString &text)
{
    QString error;
    if (!document.setContent(text, &error))
        qWarning() << "fixture does not parse:" << error;
    return document.documentElement();
}

}  // namespace

class TestJobData : public QObject
{
    Q_OBJECT

private slots:
    void readTagReportsMissingAndRepeated();
    void pagesDefaultAndZero();
    void repeatedNameIsIgnored();
    void countsThatAreNoCounts_data();
    void countsThatAreNoCounts();
    void pictureIsScaled_data();
    void pictureIsScaled();
    void missingPictureKeepsTheEmbeddedOne();
    void spectralReference_data();
    void spectralReference();
    void spectralReferenceLineMustBeginWithTheKeyword();
    void devicesAreNoReferenceFiles();
    void shotList();
    void referenceFileInTemplatesIsRelative();
    void assignLeavesShotsAndFlags();
    void listOperations();
    void jobInfoBlock();
};

void TestJobData::readTagReportsMissingAndRepeated()
{
    QDomDocument document;
    const QDomElement root =
        parsed(document, "<a><b locked='true'>x</b><c>1</c><d><c>2</c></d></a>");
    QString text;
    QString attribute = "locked";
    QCOMPARE(pq_readTag(root, "b", &text, &attribute), pq_TagE::Found);
    QCOMPARE(text, QString("x"));
    QCOMPARE(attribute, QString("true"));
    QCOMPARE(pq_readTag(root, "c", &text), pq_TagE::Repeated);
    QVERIFY(text.isEmpty());
    QCOMPARE(pq_readTag(root, "e", &text), pq_TagE::Missing);
    QVERIFY(checkAndReadTagToText(root, "e").isEmpty());
}

void TestJobData::pagesDefaultAndZero()
{
    QDomDocument document;
    pq_targetInfo noPages;
    QVERIFY(noPages.readFromXml(
        parsed(document, "<targetdescription><name>T</name><pages></pages></targetdescription>")));
    QCOMPARE(noPages.pages, 1);
    pq_targetInfo zero;
    zero.pages = 5;
    QVERIFY(zero.readFromXml(
        parsed(document, "<targetdescription><name>T</name><pages>0</pages></targetdescription>")));
    QCOMPARE(zero.pages, 0);
}

void TestJobData::repeatedNameIsIgnored()
{
    QDomDocument document;
    pq_targetInfo target;
    target.name = "kept";
    QStringList problems;
    QVERIFY(!target.readFromXml(parsed(document, "<targetdescription><name>A</name>"
                                                 "<x><name>B</name></x></targetdescription>"),
                                &problems));
    QCOMPARE(target.name, QString("kept"));
    QCOMPARE(problems.size(), 1);
    QVERIFY(problems.first().contains("name"));
}

void TestJobData::countsThatAreNoCounts_data()
{
    QTest::addColumn<QString>("element");
    QTest::addRow("not a number") << "<rows>four</rows>";
    QTest::addRow("negative") << "<columns>-6</columns>";
    QTest::addRow("absurd patches") << "<patches>2000000000</patches>";
    QTest::addRow("overflowing") << "<rows>99999999999999999999</rows>";
}

void TestJobData::countsThatAreNoCounts()
{
    QFETCH(QString, element);
    QDomDocument document;
    pq_targetInfo target;
    target.rows = 4;
    target.columns = 6;
    target.patches = 24;
    QStringList problems;
    QVERIFY(!target.readFromXml(
        parsed(document, "<targetdescription>\n<name>T</name>\n" + element + "</targetdescription>"),
        &problems));
    QCOMPARE(target.rows, 4);
    QCOMPARE(target.columns, 6);
    QCOMPARE(target.patches, 24);
    QCOMPARE(problems.size(), 1);
    QVERIFY2(problems.first().startsWith("line 1:"), qPrintable(problems.first()));
}

void TestJobData::pictureIsScaled_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("stored");
    QTest::addRow("wide") << QSize(1200, 800) << QSize(400, 267);
    QTest::addRow("high") << QSize(300, 500) << QSize(240, 400);
    QTest::addRow("square 400") << QSize(400, 400) << QSize(400, 400);
    QTest::addRow("small") << QSize(120, 80) << QSize(120, 80);
}

void TestJobData::pictureIsScaled()
{
    QFETCH(QSize, size);
    QFETCH(QSize, stored);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString relative = QString("Pictures/scaled-%1x%2.png").arg(size.width()).arg(size.height());
    QDir().mkpath(jobtest::templatesFolder() + "/Pictures");
    QVERIFY(image.save(jobtest::templatesFolder() + "/" + relative));
    pq_targetInfo target;
    target.name = "T";
    target.targetFullResFilePath = relative;
    const QString xml = target.makeExportXMLString(true);
    QDomDocument document;
    const QDomElement root = parsed(document, xml);
    pq_targetInfo back;
    QVERIFY(back.readFromXml(root));
    QImage decoded;
    QVERIFY(decoded.loadFromData(QByteArray::fromBase64(back.targetImage.toLatin1()), "PNG"));
    QCOMPARE(decoded.size(), stored);
}

void TestJobData::missingPictureKeepsTheEmbeddedOne()
{
    pq_targetInfo target;
    target.name = "T";
    target.targetFullResFilePath = "Pictures/not-on-this-machine.png";
    target.targetImage = "iVBORw0KGgo=";
    target.referenceData = "CGATS.17\nBEGIN_DATA\nEND_DATA";
    target.referenceFile = "/nowhere/ref.cie";
    const QString xml = target.makeExportXMLString(true);
    QDomDocument document;
    pq_targetInfo back;
    QVERIFY(back.readFromXml(parsed(document, xml)));
    QCOMPARE(back.targetImage, target.targetImage);
    QCOMPARE(back.referenceData, target.referenceData);
}

void TestJobData::spectralReference_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("spectral");
    QTest::addColumn<bool>("failed");
    QTest::addRow("20 fields") << "CGATS\r\nnumber_of_fields 20\r\nBEGIN_DATA" << true << false;
    QTest::addRow("7 fields") << "CGATS\nNUMBER_OF_FIELDS   7\n" << false << false;
    QTest::addRow("19 fields") << "NUMBER_OF_FIELDS 19" << false << false;
    QTest::addRow("no such line") << "CGATS\nBEGIN_DATA\n" << false << true;
    QTest::addRow("not a number") << "NUMBER_OF_FIELDS many" << false << true;
    QTest::addRow("no text") << "" << false << true;
}

void TestJobData::spectralReference()
{
    QFETCH(QString, text);
    QFETCH(bool, spectral);
    QFETCH(bool, failed);
    pq_targetInfo target;
    target.referenceData = text;
    bool didFail = !failed;
    QCOMPARE(target.hasSpectralReference(&didFail), spectral);
    QCOMPARE(didFail, failed);
}

void TestJobData::spectralReferenceLineMustBeginWithTheKeyword()
{
    pq_targetInfo target;
    target.referenceData = "KEYWORD \"NUMBER_OF_FIELDS 40\"\nNUMBER_OF_FIELDS 4\n";
    bool failed = true;
    QVERIFY(!target.hasSpectralReference(&failed));
    QVERIFY(!failed);
}

void TestJobData::devicesAreNoReferenceFiles()
{
    QDomDocument document;
    pq_targetInfo target;
    QVERIFY(target.readFromXml(parsed(document, "<targetdescription><name>T</name>"
                                                "<ReferencePath>/dev</ReferencePath>"
                                                "<ReferenceName>zero</ReferenceName>"
                                                "<TargetFullResFilePath>../../../../../../dev/zero"
                                                "</TargetFullResFilePath></targetdescription>")));
    QCOMPARE(target.referenceFile, QString("/dev/zero"));
    QVERIFY(target.referenceFileText().isEmpty());
    QVERIFY(!target.makeExportXMLString(true).contains("<targetimage>"));
}

void TestJobData::shotList()
{
    pq_targetInfo target;
    target.targetFullResFilePath = "Pictures/a#b.png";
    target.addShot("/shots/one.tif");
    target.addShot("/shots/two & three.tif");
    target.addShot("/shots/four.tif");
    QDomDocument document;
    const QDomElement root = parsed(document, target.shotsXml(1));
    const QDomNodeList shots = root.elementsByTagName("shot");
    QCOMPARE(shots.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QDomElement shot = shots.at(i).toElement();
        QCOMPARE(shot.firstChildElement("index").text(), QString::number(i + 1));
        QCOMPARE(shot.attribute("current"), QString(i == 1 ? "true" : ""));
        QCOMPARE(shot.firstChildElement("path").text(), target.shotPath(i));
    }
    const QUrl icon(shots.at(0).firstChildElement("targetIcon").text());
    QCOMPARE(icon.toLocalFile(), jobtest::templatesFolder() + "/Pictures/a#b.png");
}

void TestJobData::referenceFileInTemplatesIsRelative()
{
    std::unique_ptr<pq_targetInfo> target(jobtest::colorCheckerTarget());
    QCOMPARE(target->referencePath, QString("References"));
    QCOMPARE(target->referenceName, QString("ColorChecker.cie"));
    QVERIFY(target->referenceData.contains("ColorChecker 24"));

    pq_targetInfo outside;
    outside.setTargetFile(QUrl::fromLocalFile(jobtest::argyllReference("CMP_Digital_Target-4.cie"))
                              .toString());
    QCOMPARE(outside.referencePath, QString("/usr/share/color/argyll/ref"));
    QCOMPARE(outside.referenceFile, jobtest::argyllReference("CMP_Digital_Target-4.cie"));

    // Read back, the relative folder resolves inside the templates folder.
    QDomDocument document;
    pq_targetInfo back;
    QVERIFY(back.readFromXml(parsed(document, target->makeExportXMLString(false))));
    QCOMPARE(back.referenceFile, target->referenceFile);
}

void TestJobData::assignLeavesShotsAndFlags()
{
    std::unique_ptr<pq_targetInfo> source(jobtest::colorCheckerTarget());
    source->addShot("/a.tif");
    source->isClone = true;
    source->selected = false;
    pq_targetInfo copy;
    copy.addShot("/b.tif");
    copy.assign(*source);
    QCOMPARE(copy.name, source->name);
    QCOMPARE(copy.targetDefinition, source->targetDefinition);
    QCOMPARE(copy.shots, QStringList{"/b.tif"});
    QVERIFY(copy.selected);
    QVERIFY(!copy.isClone);
}

void TestJobData::listOperations()
{
    pq_targetInfoList list;
    for (const char *name : {"A", "B", "C"}) {
        auto *target = new pq_targetInfo;
        target->name = name;
        list.append(target);
    }
    list[1]->isClone = true;
    auto *again = new pq_targetInfo;
    again->name = "A";
    replaceOrAppendTarget(list, again);
    QCOMPARE(list.size(), 3);
    QCOMPARE(list.last(), again);
    replaceOrAppendTarget(list, again);
    QCOMPARE(list.size(), 3);
    QVERIFY(!targetsToJobXml(list, false).contains("<name>B</name>"));
    deleteClones(list);
    QCOMPARE(list.size(), 2);
    QCOMPARE(list.at(0)->name, QString("C"));
    QCOMPARE(findTargetInList(list, "A"), 1);
    deleteTargetInfos(list);
    QVERIFY(list.isEmpty());

    QStringList paths{"/a", "/b", "/a"};
    QCOMPARE(findStringInList(paths, "/a"), 0);
    QVERIFY(removeStringFromList(paths, "/a"));
    QCOMPARE(paths, (QStringList{"/b", "/a"}));
    QVERIFY(!removeStringFromList(paths, "/c"));
}

void TestJobData::jobInfoBlock()
{
    pq_jobInfo info;
    QVERIFY(info.toJobXml().isEmpty());
    info.setItem("CREATOR", "Ann & <Bo>");
    info.setItem("COPYRIGHT", QString::fromUtf8("© Åsa\nline two"));
    info.setItem("NO SUCH FIELD", "x");
    const QString block = info.toJobXml();
    QVERIFY(block.startsWith("\t<JobInfo>\n\t\t<InfoCreator>Ann &amp; &lt;Bo&gt;</InfoCreator>\n"));
    QVERIFY(block.endsWith("\t</JobInfo>\n"));
    QCOMPARE(block.count("\n"), 2 + pq_jobInfo::FieldCount + 1);

    QDomDocument document;
    pq_jobInfo back;
    back.readFromXml(parsed(document, block));
    for (int i = 0; i < pq_jobInfo::FieldCount; ++i)
        QCOMPARE(back.item(i), info.item(i));

    QDomDocument qml;
    const QDomElement list = parsed(qml, info.toQmlXml());
    const QDomNodeList items = list.elementsByTagName("item");
    QCOMPARE(items.size(), pq_jobInfo::FieldCount);
    QCOMPARE(items.at(0).firstChildElement("index").text(), QString("8"));
    QCOMPARE(items.at(0).firstChildElement("name").text(), QString("CREATOR"));
    QCOMPARE(items.at(0).firstChildElement("value").text(), QString("Ann & <Bo>"));
    QCOMPARE(items.at(8).firstChildElement("index").text(), QString("0"));
}

static RegisterSuite<TestJobData> registerJobData;
#include "test_job_data.moc"
