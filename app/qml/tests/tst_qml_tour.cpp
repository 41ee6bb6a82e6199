// Opens the main window over the stand-in controller on a real display (run
// under xvfb-run), works it through mouse input and saves a screenshot of
// every page into the folder named by QML_TOUR_DIR.
#include "support/FakeController.h"

#include "FakeItems.h"
#include "profile_pages.h"

#include <QDir>
#include <QQmlExpression>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

class QmlTour : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void tour();
    void cleanupTestCase();

private:
    QQuickItem* item(const QString& name);
    void click(const QString& name);
    void shoot(const QString& name);
    void call(const QString& code);

    QQmlApplicationEngine* m_engine = nullptr;
    FakeController* m_controller = nullptr;
    QQuickWindow* m_window = nullptr;
    QString m_folder;
};

void QmlTour::initTestCase()
{
    QCoreApplication::setOrganizationName("Vandrelith");
    QCoreApplication::setApplicationName("pelto-qml-tour");
    m_folder = qEnvironmentVariable("QML_TOUR_DIR", QDir::currentPath() + "/qml-tour");
    QDir().mkpath(m_folder);
    pq_initProfilePages();
    registerFakeItems();
    m_engine = new QQmlApplicationEngine(this);
    m_controller = new FakeController(m_engine);
    m_controller->install(m_engine);
    m_controller->setAnswer("isIntroEnabled", true);
    QVariantList jobs;
    const char* const names[] = {"Studio Daylight", "Smith & Sons", "Museum \"Repro\"", "Копия Δ", "Off", "Scanner"};
    for (int i = 0; i < 6; ++i)
        jobs << QVariantMap{{"name", names[i]}, {"targets", i == 2 ? 3 : 1}, {"enabled", i != 4},
                            {"set", i == 1 ? "Daylight" : "Unnamed"}};
    m_controller->setJobs(jobs);
    m_controller->setTargets({QVariantMap{{"name", "ColorChecker"}, {"manufacturer", "X-Rite"}, {"selected", true}},
                              QVariantMap{{"name", "ColorChecker Passport"}, {"manufacturer", "X-Rite"}},
                              QVariantMap{{"name", "IT8.7/2"}, {"patches", 288}, {"rows", 12}, {"columns", 24}}});
    m_controller->allSets.insert("list", "Daylight|Museum");
    m_controller->currentJob.insert(
        "expert",
        "<expertSettings>\n"
        "<itemCamera><name>profileTypeCamera</name><value>Art Repro / Archival</value><locked>true</locked>"
        "<lockFixed>true</lockFixed></itemCamera>\n"
        "<itemCamera><name>profileOptimization</name><value>ΔE 2000</value><locked>false</locked>"
        "<lockFixed>false</lockFixed></itemCamera>\n"
        "<itemCamera><name>ICCIlluminant</name><value>CIE_D50</value><locked>false</locked>"
        "<lockFixed>false</lockFixed></itemCamera>\n"
        "<itemCamera><name>exposureOffset</name><value>None</value><locked>true</locked>"
        "<lockFixed>false</lockFixed></itemCamera>\n"
        "<itemAll><name>observer</name><value>2-Degree</value><locked>false</locked>"
        "<lockFixed>false</lockFixed></itemAll>\n"
        "</expertSettings>\n");
    m_controller->currentJob.insert(
        "info", "<info>\n<item><index>0</index><name>Photographer</name><value>A. Smith</value></item>\n"
                "<item><index>1</index><name>Copyright</name><value>© 2026</value></item>\n</info>\n");
    m_controller->currentJob.insert(
        "targets", "<targets>\n<target current='true'>\n<name>ColorChecker</name>\n<index>0</index>\n"
                   "<model>ColorChecker 24</model>\n</target>\n<target>\n<name>IT8</name>\n<index>1</index>\n"
                   "<model>IT8.7/2</model>\n</target>\n</targets>\n");
    m_engine->load(QUrl("qrc:/qml/main.qml"));
    QVERIFY(!m_engine->rootObjects().isEmpty());
    m_window = qobject_cast<QQuickWindow*>(m_engine->rootObjects().first());
    QVERIFY(m_window);
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

namespace {

// The first visible item of that name in the visual tree below root.
QQuickItem* findVisible(QQuickItem* root, const QString& name)
{
    if (!root->isVisible())
        return nullptr;
    if (root->objectName() == name)
        return root;
    for (QQuickItem* child : root->childItems()) {
        if (QQuickItem* found = findVisible(child, name))
            return found;
    }
    return nullptr;
}

}  // namespace

QQuickItem* QmlTour::item(const QString& name)
{
    return findVisible(m_window->contentItem(), name);
}

void QmlTour::click(const QString& name)
{
    QQuickItem* target = nullptr;
    QTRY_VERIFY2((target = item(name)) != nullptr, qPrintable(name));
    const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
    QTest::mouseClick(m_window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    QTest::qWait(350);
}

void QmlTour::call(const QString& code)
{
    QQmlExpression expression(qmlContext(m_window), m_window, "script." + code);
    expression.evaluate();
    QVERIFY2(!expression.hasError(), qPrintable(expression.error().toString()));
    QTest::qWait(350);
}

void QmlTour::shoot(const QString& name)
{
    QTest::qWait(300);
    const QString path = m_folder + "/" + name + ".png";
    QVERIFY(m_window->grabWindow().save(path));
    qInfo("screenshot %s", qPrintable(path));
}

#define STEP(x) \
    do { \
        x; \
        if (QTest::currentTestFailed()) \
            return; \
    } while (false)

void QmlTour::tour()
{
    STEP(shoot("01-intro-welcome"));
    STEP(click("startTour"));
    STEP(shoot("02-intro-select"));
    STEP(click("introNext"));
    STEP(click("introNext"));
    STEP(click("introNext"));
    STEP(shoot("03-intro-jobs"));
    STEP(click("introNext"));
    STEP(shoot("04-front-page"));
    STEP(click("navJob1"));
    STEP(shoot("05-front-page-second-job"));
    STEP(click("viewButton"));
    STEP(shoot("06-jobs-slide"));
    STEP(click("segment_JOB EDITOR"));
    STEP(shoot("07-job-manager"));
    STEP(click("tileDuplicate"));
    STEP(shoot("08-duplicate-job"));
    STEP(click("alertCancel"));
    STEP(click("newJob"));
    STEP(shoot("09-select-targets"));
    m_controller->currentJob.insert("name", "Studio Daylight");
    m_controller->currentJob.insert("targetCount", 1);
    STEP(call("goSelectTargets()"));
    STEP(click("selectTarget_ColorChecker Passport"));
    STEP(shoot("10-multi-target-alert"));
    STEP(click("alertCancel"));
    STEP(click("expertMode"));
    STEP(click("segment_CAMERA"));
    STEP(shoot("11-job-settings"));
    STEP(click("settingsInfoSwitch"));
    STEP(shoot("12-custom-info"));
    STEP(click("settingsInfoSwitch"));
    STEP(click("settingsBack"));
    STEP(click("saveJob"));
    STEP(shoot("13-save-job"));
    STEP(click("saveJobCancel"));
    STEP(call("goTargetOverview(2)"));
    STEP(shoot("14-targets-overview"));
    STEP(call("goSelectTargets()"));
    QQuickItem* further = nullptr;
    further = m_window->findChild<QQuickItem*>("selectTargetsFurther");
    QVERIFY(further);
    QMetaObject::invokeMethod(further, "show");
    STEP(shoot("15-select-targets-further"));
    further->setVisible(false);
    m_controller->setAnswer("isJobD65StdAWithoutSpectral", true);
    STEP(call("saveCurrentJob(true, true, \"front\", null)"));
    STEP(shoot("16-cannot-save"));
    STEP(click("alertOK"));
    m_controller->currentJob.insert("alertWarningTitle", "Cannot read the shot");
    m_controller->currentJob.insert("alertWarningMessage", "The dropped file is not an image this program can read.");
    STEP(call("goFrontPage(false)"));
    STEP(shoot("17-front-page-alert"));
}

void QmlTour::cleanupTestCase()
{
    delete m_engine;
    m_engine = nullptr;
}

QTEST_MAIN(QmlTour)
#include "tst_qml_tour.moc"
