// Target templates written on a fresh data folder from the installed chart
// reference files, as the controller lists them and a first job uses them.
#include "ControllerTestSupport.h"

#include "controller/peltoQt.h"
#include "jobs/pq_Job.h"
#include "jobs/pq_targetInfo.h"
#include "jobs/pq_targetTemplates.h"
#include "platform/program_folders.h"

#include "chart/Patch.h"

#include <QDomDocument>
#include <QFileInfo>
#include <QImage>
#include <QTest>

#include <memory>

namespace {

const QString kReferences = QStringLiteral("/usr/share/color/argyll/ref");

// Name, columns and rows of each target entry of a targets text.
struct Entry
{
    QString name;
    int columns = 0;
    int rows = 0;
    int patches = 0;
};

QVector<Entry> entries(const QString& xml)
{
    QDomDocument document;
    document.setContent(xml);
    QVector<Entry> list;
    const QDomNodeList targets = document.elementsByTagName("target");
    for (int i = 0; i < targets.size(); ++i) {
        const QDomElement target = targets.at(i).toElement();
        list.append({target.firstChildElement("name").text(),
                     target.firstChildElement("columns").text().toInt(),
                     target.firstChildElement("rows").text().toInt(),
                     target.firstChildElement("patches").text().toInt()});
    }
    return list;
}

}  // namespace

class TargetTemplatesTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScratchHome> home;
    std::unique_ptr<peltoQt> controller;

    void start()
    {
        controller = std::make_unique<peltoQt>();
        controller->init(QCoreApplication::applicationFilePath());
    }

private slots:
    void initTestCase()
    {
        if (!QFileInfo(kReferences + "/ColorChecker.cie").isFile())
            QSKIP("argyll-ref is not installed");
    }
    void init() { home = std::make_unique<ScratchHome>(); }
    void cleanup()
    {
        controller.reset();
        home.reset();
    }

    void installedChartsLoad_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("columns");  // 0: no template (no grid in row order)
        QTest::addColumn<int>("rows");
        QTest::addRow("ColorChecker") << "ColorChecker" << 6 << 4;
        QTest::addRow("CMP Digital Target-4") << "CMP Digital Target-4" << 30 << 19;
        QTest::addRow("QPcard 201") << "QPcard 201" << 10 << 3;
        QTest::addRow("QPcard 202") << "QPcard 202" << 7 << 5;
        QTest::addRow("ColorChecker Passport") << "ColorCheckerPassport" << 0 << 0;
        QTest::addRow("SpyderChecker") << "SpyderChecker" << 0 << 0;
        QTest::addRow("SpyderChecker 24") << "SpyderChecker24" << 0 << 0;
    }
    void installedChartsLoad()
    {
        QFETCH(QString, name);
        QFETCH(int, columns);
        QFETCH(int, rows);
        const int written = pq_writeStarterTargetTemplates(kReferences);
        QVERIFY(written >= 4);
        start();

        // Every written template is listed, whole.
        const QVector<Entry> listed = entries(controller->allTargets()->value("xml").toString());
        QCOMPARE(listed.size(), written);
        for (const Entry& entry : listed) {
            QVERIFY2(entry.columns > 1 && entry.rows > 0, qPrintable(entry.name));
            QCOMPARE(entry.patches, entry.columns * entry.rows);
        }
        const pq_targetInfo* description = controller->findTargetTemplate(name);
        QCOMPARE(description != nullptr, columns > 0);
        if (!description)
            return;
        QCOMPARE(description->columns, columns);
        QCOMPARE(description->rows, rows);
        QCOMPARE(description->patches, columns * rows);
        QCOMPARE(QFileInfo(description->referenceFile).absolutePath(), kReferences);
        const QImage picture(platform::templatesFolderPath() + "/" + description->targetFullResFilePath);
        QVERIFY(!picture.isNull());
    }

    // The chart's orientation: the top row runs from dark skin to bluish
    // green, the bottom row is the grey row from white to black.
    void colorCheckerLayout()
    {
        pq_writeStarterTargetTemplates(kReferences);
        start();
        controller->setCurrentJob(QString(), "new job", true);
        controller->targetSelected("ColorChecker");
        pq_Job* job = controller->templateJob();
        QCOMPARE(job->targetInfos().size(), 1);
        QVERIFY(job->loadCurrentTarget());
        TargetIF* target = job->currentTarget();
        QCOMPARE(target->columns(), 6u);
        QCOMPARE(target->rows(), 4u);
        const struct {
            unsigned column, row;
            const char* name;
            bool grey;
        } patches[] = {{0, 0, "A01", false}, {5, 0, "A06", false}, {0, 1, "B01", false},
                       {0, 3, "D01", true},  {5, 3, "D06", true}};
        for (const auto& p : patches) {
            const PatchIF* patch = target->patch(p.column, p.row);
            QVERIFY(patch);
            QCOMPARE(patch->name(), QString(p.name));
            QCOMPARE(patch->type() == PatchIF::TypeGrey, p.grey);
        }
        QVERIFY(target->patch(0, 3)->referenceLab(0) > 95);
        QVERIFY(target->patch(5, 3)->referenceLab(0) < 25);
    }

    // A job made from the first template and saved reaches the targets
    // overview.
    void firstJobReachesTargetsOverview()
    {
        QVERIFY(pq_writeStarterTargetTemplates(kReferences) > 0);
        start();
        const QVector<Entry> listed = entries(controller->allTargets()->value("xml").toString());
        QVERIFY(!listed.isEmpty());
        const QString first = listed.first().name;

        controller->setCurrentJob(QString(), "new job", true);
        controller->targetSelected(first);
        controller->currentJobMap()->insert("name", "First job");
        QVERIFY(controller->saveCurrentJob(false));
        pq_Job* job = controller->currentJob();
        QVERIFY(job);
        QCOMPARE(job->getJobName(), QString("First job"));
        controller->refreshCurrentJob4UI();
        const QVector<Entry> overview = entries(controller->currentJobMap()->value("targets").toString());
        QCOMPARE(overview.size(), 1);
        QCOMPARE(overview.first().name, first);
        QVERIFY(job->loadCurrentTarget());
    }
};

std::unique_ptr<QObject> makeTargetTemplatesTest()
{
    return std::make_unique<TargetTemplatesTest>();
}

#include "test_target_templates.moc"
