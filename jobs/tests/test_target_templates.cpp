// Target templates written from a folder of chart reference files: which
// files give a grid, how it is laid out, and when nothing is written.
#include "JobTestSupport.h"

#include "jobs/pq_targetInfo.h"
#include "jobs/pq_targetTemplates.h"

#include "chart/Patch.h"
#include "chart/Target.h"
#include "engine/target_image.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString targetsFolder()
{
    return jobtest::templatesFolder() + "/Targets";
}

// Records the messages of the templates' category.
QStringList *recorded = nullptr;
QtMessageHandler previousHandler = nullptr;

void recordingHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (recorded && context.category && QByteArray(context.category) == "pelto.jobs.templates") {
        recorded->append(message);
        return;
    }
    previousHandler(type, context, message);
}

struct MessageLog
{
    QStringList messages;
    MessageLog()
    {
        recorded = &messages;
        previousHandler = qInstallMessageHandler(recordingHandler);
    }
    ~MessageLog()
    {
        qInstallMessageHandler(previousHandler);
        recorded = nullptr;
    }
};

// A reference file of Lab values, one set per name.
QByteArray referenceText(const QStringList &names)
{
    QByteArray text = "CGATS.17\nORIGINATOR \"test\"\nMANUFACTURER \"Maker & Co\"\n"
                      "NUMBER_OF_FIELDS 4\nBEGIN_DATA_FORMAT\nSAMPLE_ID LAB_L LAB_A LAB_B\n"
                      "END_DATA_FORMAT\nNUMBER_OF_SETS "
        + QByteArray::number(names.size()) + "\nBEGIN_DATA\n";
    for (int i = 0; i < names.size(); ++i)
        text += names.at(i).toUtf8() + ' ' + QByteArray::number(95 - 10 * i) + " 30 -20\n";
    return text + "END_DATA\n";
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

class TestTargetTemplates : public QObject
{
    Q_OBJECT

private slots:
    void init() { QDir(targetsFolder()).removeRecursively(); }
    void cleanup() { QDir(targetsFolder()).removeRecursively(); }

    void gridFromNames_data();
    void gridFromNames();
    void folderWithTemplateIsUntouched();
    void missingReferenceFolderWritesNothing();
};

void TestTargetTemplates::gridFromNames_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("columns");  // 0: no template
    QTest::addColumn<int>("rows");
    QTest::addRow("numbers along a row") << QStringList{"A1", "A2", "A3", "B1", "B2", "B3"} << 3 << 2;
    QTest::addRow("letters along a row") << QStringList{"A1", "B1", "C1", "A2", "B2", "C2"} << 3 << 2;
    QTest::addRow("zero-padded numbers") << QStringList{"A01", "A02", "B01", "B02"} << 2 << 2;
    QTest::addRow("prefixed letters") << QStringList{"Z1", "2A1", "Z2", "2A2"} << 2 << 2;
    QTest::addRow("one strip") << QStringList{"A1", "A2", "A3"} << 3 << 1;
    QTest::addRow("rows of different lengths") << QStringList{"A1", "A2", "A3", "B1", "B2"} << 0 << 0;
    QTest::addRow("repeated row") << QStringList{"A1", "A2", "B1", "B2", "A1", "A2"} << 0 << 0;
    QTest::addRow("repeated name in a row") << QStringList{"A1", "A1", "B1", "B1"} << 0 << 0;
    QTest::addRow("rows in other orders") << QStringList{"A1", "A2", "B2", "B1"} << 0 << 0;
    QTest::addRow("named groups") << QStringList{"SAT1", "SAT2", "WBP1", "NEU1"} << 0 << 0;
    QTest::addRow("plain numbers") << QStringList{"1", "2", "3", "4"} << 0 << 0;
}

void TestTargetTemplates::gridFromNames()
{
    QFETCH(QStringList, names);
    QFETCH(int, columns);
    QFETCH(int, rows);
    QTemporaryDir references;
    QVERIFY(writeFile(references.filePath("Test_Chart.cie"), referenceText(names)));
    QVERIFY(writeFile(references.filePath("notes.txt"), "not a reference"));

    QCOMPARE(pq_writeStarterTargetTemplates(references.path()), columns ? 1 : 0);
    const QString path = targetsFolder() + "/Test_Chart.xml";
    QCOMPARE(QFile::exists(path), columns > 0);
    if (!columns)
        return;

    pq_targetInfo description;
    QVERIFY(description.readFromFile(path));
    QCOMPARE(description.name, QString("Test Chart"));
    QCOMPARE(description.targetVendor, QString("Maker & Co"));
    QCOMPARE(description.columns, columns);
    QCOMPARE(description.rows, rows);
    QCOMPARE(description.patches, names.size());
    QCOMPARE(description.referenceFile, references.filePath("Test_Chart.cie"));
    QVERIFY(description.referenceData.isEmpty());

    // The definition pairs with the reference as a job loads it: patch i of
    // the grid, row by row, takes the file's set i.
    Target target;
    target.setRows(unsigned(rows));
    target.setColumns(unsigned(columns));
    const QString reference = description.referenceFileText();
    QCOMPARE(int(target.loadReferenceFromISO12642(reference, TargetIF::ReadCounting)), 0);
    QCOMPARE(int(target.loadDefFromISO12642(description.targetDefinition)), 0);
    QCOMPARE(int(target.loadReferenceFromISO12642(reference, TargetIF::ReadValues)), 0);
    for (int i = 0; i < names.size(); ++i) {
        const PatchIF *patch = target.patch(unsigned(i % columns), unsigned(i / columns));
        QVERIFY(patch);
        QCOMPARE(patch->name(), names.at(i));
        QCOMPARE(patch->referenceLab(0), 95.0 - 10 * i);
    }

    const QImage picture(description.fullResFilePath(true));
    target_image_layout layout{};
    QVERIFY(target_image_layout_for(columns, rows, &layout));
    QCOMPARE(picture.size(), QSize(layout.width, layout.height));
}

void TestTargetTemplates::folderWithTemplateIsUntouched()
{
    QTemporaryDir references;
    QVERIFY(writeFile(references.filePath("Chart.cie"), referenceText({"A1", "A2", "B1", "B2"})));
    QVERIFY(QDir().mkpath(targetsFolder()));
    QVERIFY(writeFile(targetsFolder() + "/Mine.xml", "<targetdescription/>"));

    QCOMPARE(pq_writeStarterTargetTemplates(references.path()), 0);
    QCOMPARE(QDir(targetsFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"Mine.xml"});
}

void TestTargetTemplates::missingReferenceFolderWritesNothing()
{
    QTemporaryDir scratch;
    const QString missing = scratch.filePath("no such folder");
    MessageLog log;
    QCOMPARE(pq_writeStarterTargetTemplates(missing), 0);
    QCOMPARE(log.messages.size(), 1);
    QVERIFY2(log.messages.at(0).contains(missing), qPrintable(log.messages.at(0)));
    QVERIFY(!QFileInfo::exists(targetsFolder()));
}

static RegisterSuite<TestTargetTemplates> registerTargetTemplates;
#include "test_target_templates.moc"
