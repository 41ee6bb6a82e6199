// Opens each profiling page in a real window over the stand-ins, works it
// through mouse, key and drop events, checks what the page did, and saves a
// screenshot after every step:
//   app_qml_profile_screens [folder]   (the screenshots go there, "screens" by default)
#include "FakeController.h"
#include "FakeItems.h"
#include "TestHost.h"

#include <QDir>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>

#include <cstdio>
#include <dlfcn.h>

namespace {

int failures = 0;

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "FAIL: %s\n", what);
        ++failures;
    }
}

QQuickItem* findItem(QQuickItem* root, const QString& name)
{
    if (!root)
        return nullptr;
    if (root->objectName() == name)
        return root;
    const auto children = root->childItems();
    for (QQuickItem* child : children) {
        if (QQuickItem* found = findItem(child, name))
            return found;
    }
    return nullptr;
}

class Tour
{
public:
    Tour(QQmlEngine& engine, TestHost& host, const QString& folder) : m_engine(engine), m_host(host), m_folder(folder)
    {
    }

    // Loads one page type into a fresh window of 1200 x 800.
    bool open(const QString& type)
    {
        close();
        const QByteArray source = QStringLiteral("import QtQuick 2.3\nimport QtQuick.Window 2.2\nimport \"qrc:/qml/profile\"\n"
                                                 "Window {\n  width: 1200; height: 800; visible: true; color: \"white\"\n"
                                                 "  %1 { objectName: \"page\"; anchors.fill: parent }\n}\n")
                                      .arg(type)
                                      .toUtf8();
        QQmlComponent component(&m_engine);
        component.setData(source, QUrl(QStringLiteral("qrc:/screens/%1Host.qml").arg(type)));
        QObject* object = component.create();
        m_window = qobject_cast<QQuickWindow*>(object);
        if (!m_window) {
            std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(type), qPrintable(component.errorString()));
            delete object;
            return false;
        }
        if (!QTest::qWaitForWindowExposed(m_window)) {
            std::fprintf(stderr, "window of %s not exposed\n", qPrintable(type));
            return false;
        }
        m_page = item(QStringLiteral("page"));
        return m_page != nullptr;
    }

    void close()
    {
        delete m_window;
        m_window = nullptr;
        m_page = nullptr;
    }

    QQuickItem* item(const QString& name) const
    {
        QQuickItem* found = findItem(m_window->contentItem(), name);
        if (!found)
            std::fprintf(stderr, "no item %s\n", qPrintable(name));
        return found;
    }
    QQuickItem* page() const { return m_page; }

    QPoint centre(QQuickItem* it) const
    {
        return it->mapToScene(QPointF(it->width() / 2, it->height() / 2)).toPoint();
    }

    void click(const QString& name)
    {
        if (QQuickItem* it = item(name)) {
            QTest::mouseClick(m_window, Qt::LeftButton, Qt::NoModifier, centre(it));
            settle();
        }
    }

    void hover(const QString& name)
    {
        if (QQuickItem* it = item(name)) {
            QTest::mouseMove(m_window, centre(it));
            settle();
        }
    }

    void type(const QString& text)
    {
        for (const QChar c : text)
            QTest::keyClick(m_window, c.toLatin1());
        settle();
    }

    // A drop from the desktop: drag-enter, drag-move and drop with a uri-list.
    void drop(const QString& name, const QList<QUrl>& urls)
    {
        QQuickItem* it = item(name);
        if (!it)
            return;
        const QPoint at = centre(it);
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QGuiApplication::sendEvent(m_window, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QGuiApplication::sendEvent(m_window, &move);
        settle();
        QDropEvent dropEvent(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QGuiApplication::sendEvent(m_window, &dropEvent);
        settle();
    }

    void settle() { QTest::qWait(50); }

    void shot(const QString& name)
    {
        settle();
        QTest::qWait(150);
        const QString path = QDir(m_folder).filePath(name + QStringLiteral(".png"));
        const QImage image = m_window->grabWindow();
        check(!image.isNull() && image.save(path), "screenshot saved");
        std::printf("screenshot: %s\n", qPrintable(QDir::cleanPath(QDir::current().absoluteFilePath(path))));
    }

    bool called(const QString& call) const { return m_host.controller->calls().contains(call); }
    void clearCalls() const { m_host.controller->clearCalls(); }

private:
    QQmlEngine& m_engine;
    TestHost& m_host;
    QString m_folder;
    QQuickWindow* m_window = nullptr;
    QQuickItem* m_page = nullptr;
};

FakeImageWidget* imageItem(Tour& tour)
{
    return qobject_cast<FakeImageWidget*>(tour.item(QStringLiteral("imageWidget")));
}

void gridPage(Tour& tour, TestHost& host)
{
    host.currentJob.insert(QStringLiteral("targets"), targetsXml(3, 0));
    host.currentJob.insert(QStringLiteral("profileNamePrefix"), QStringLiteral("NikonD800 "));
    host.currentJob.insert(QStringLiteral("profileName"), QStringLiteral("Studio"));
    host.currentJob.insert(QStringLiteral("profileNameTag"), QStringLiteral("ICC"));
    host.controller->setProperty("expertLocked", true);
    if (!tour.open(QStringLiteral("Profiling")))
        return ++failures, void();
    QMetaObject::invokeMethod(tour.page(), "show", Q_ARG(QVariant, false));
    tour.settle();
    FakeImageWidget* image = imageItem(tour);
    tour.shot(QStringLiteral("01-grid"));

    tour.click(QStringLiteral("zoomIn"));
    tour.click(QStringLiteral("zoomIn"));
    tour.click(QStringLiteral("zoomOut"));
    tour.click(QStringLiteral("rotateRight"));
    check(image && image->actions() == QStringList({"zoomIn", "zoomIn", "zoomOut", "rotateCW"}), "grid tools act");
    tour.shot(QStringLiteral("02-grid-zoomed-rotated"));
    tour.click(QStringLiteral("rotateLeft"));

    // Typing into the name: the refused characters do not arrive.
    tour.click(QStringLiteral("profileName"));
    QTest::keyClick(tour.item(QStringLiteral("profileName"))->window(), Qt::Key_End);
    tour.type(QStringLiteral(" Day/light:*1"));
    check(tour.item(QStringLiteral("profileName"))->property("text").toString() == QStringLiteral("Studio Daylight1"),
          "refused characters not typed");
    check(tour.called(QStringLiteral("setProfileName(NikonD800 Studio Daylight1,10)")), "name reaches controller");

    tour.clearCalls();
    tour.click(QStringLiteral("gridForward"));
    tour.click(QStringLiteral("gridForward"));
    check(tour.item(QStringLiteral("gridBottomBar"))->property("forwardText").toString()
              == QStringLiteral("START PROFILING"),
          "last target reads START PROFILING");
    tour.shot(QStringLiteral("03-grid-last-target"));

    host.controller->setProperty("existingProfiles", QStringList{QStringLiteral("NikonD800 Studio Daylight1")});
    tour.click(QStringLiteral("gridForward"));
    tour.shot(QStringLiteral("04-grid-profile-exists"));
    tour.click(QStringLiteral("alertCancel"));
    check(image && !image->actions().contains(QStringLiteral("startProfiling")), "RENAME starts nothing");

    host.qaColorPicker.insert(QStringLiteral("x"), 420);
    host.qaColorPicker.insert(QStringLiteral("y"), 300);
    tour.click(QStringLiteral("picker"));
    check(image && image->actions().endsWith(QStringLiteral("togglePicker")), "picker tool asks for the picker");
    // The real item has the controller show the picker.
    host.controller->toggleColorPicker(false);
    tour.shot(QStringLiteral("05-grid-picker"));
    tour.click(QStringLiteral("pickerPanel"));
    check(!host.qaColorPicker.value(QStringLiteral("visible")).toBool(), "picker panel hides it");

    host.currentJob.insert(QStringLiteral("alertCriticalTitle"), QStringLiteral("Error"));
    host.currentJob.insert(QStringLiteral("alertCriticalMessage"), QStringLiteral("No Reference Data in job!"));
    tour.shot(QStringLiteral("06-grid-critical"));
    tour.clearCalls();
    tour.click(QStringLiteral("alertOk"));
    check(tour.called(QStringLiteral("resetRuntime(false,true)")) && tour.called(QStringLiteral("Script.goFrontPage(false)")),
          "critical alert leaves for the front page");
}

void qaPage(Tour& tour, TestHost& host)
{
    host.currentJob.insert(QStringLiteral("targets"), targetsXml(1, 0));
    host.allProfiles.insert(QStringLiteral("list"), QStringLiteral("NikonD800 Studio|NikonD800 Tungsten"));
    if (!tour.open(QStringLiteral("Profiling")))
        return ++failures, void();
    FakeImageWidget* image = imageItem(tour);
    image->setProperty("qualityColours", true);
    image->setProperty("deltaLabel", QStringLiteral("ΔE 2000:"));
    image->setProperty("deltaEValue", QStringLiteral("1.2"));
    image->setProperty("deltaEStatistics",
                       QStringLiteral("10%/mean/90% ΔE: 0.4 / 1.2 / 2.6\nMetamorfoze Quality Criteria Passed"));
    image->setProperty("deltaEIsGood", true);
    QMetaObject::invokeMethod(tour.page(), "show", Q_ARG(QVariant, true));
    tour.settle();

    const QPoint patch(520, 240);
    const QVariantMap values{{"isGrey", true},      {"refColor", "#c8c8c8"}, {"profColor", "#c5c6c9"},
                             {"refL", "81.3"},      {"refA", "-0.6"},       {"refB", "0.2"},
                             {"refC", "0.6"},       {"refH", "161.6"},      {"profL", "79.2"},
                             {"profA", "-0.1"},     {"profB", "-1.1"},      {"profC", "1.1"},
                             {"profH", "264.8"},    {"delL", "-2.1"},       {"delA", "0.5"},
                             {"delB", "-1.3"},      {"delC", "0.5"},        {"delH", "1.2"},
                             {"delE", "2.2"},       {"avgDE", "1.3"},       {"maxDE", "3.4"}};
    for (auto it = values.begin(); it != values.end(); ++it)
        host.qaPatchInfo.insert(it.key(), it.value());
    host.qaPatchInfo.insert(QStringLiteral("x"), patch.x());
    host.qaPatchInfo.insert(QStringLiteral("y"), patch.y());
    host.qaPatchInfo.insert(QStringLiteral("visible"), true);
    tour.shot(QStringLiteral("07-qa-patch-info"));
    check(tour.item(QStringLiteral("lightnessDot"))->property("verdict").toString() == QStringLiteral("red"),
          "lightness beyond its limit shows red");

    host.qaPatchInfo.insert(QStringLiteral("visible"), false);
    tour.click(QStringLiteral("greenCheck"));
    check(image->property("greenDelta").toBool() == false, "green check box writes greenDelta");
    tour.shot(QStringLiteral("08-qa-green-off"));
    tour.click(QStringLiteral("greenCheck"));

    tour.clearCalls();
    tour.click(QStringLiteral("compareCheck"));
    check(tour.called(QStringLiteral("setCompareProfileActiveChecked(true)")), "compare check box");
    host.qaColorPicker.insert(QStringLiteral("x"), 700);
    host.qaColorPicker.insert(QStringLiteral("y"), 400);
    host.qaColorPicker.insert(QStringLiteral("visible"), true);
    tour.shot(QStringLiteral("09-qa-picker"));
    host.qaColorPicker.insert(QStringLiteral("visible"), false);

    tour.clearCalls();
    tour.click(QStringLiteral("qaBack"));
    check(tour.called(QStringLiteral("resetRuntime(true,false)")) && tour.called(QStringLiteral("Script.goProfiling(false)")),
          "BACK returns to grid mode");
}

void progressPage(Tour& tour, TestHost& host)
{
    if (!tour.open(QStringLiteral("ProfilingProgress")))
        return ++failures, void();
    FakeImageWidget target;
    QMetaObject::invokeMethod(tour.page(), "show", Q_ARG(QVariant, QVariant::fromValue<QObject*>(&target)));
    host.currentJob.insert(QStringLiteral("progressValue"), QStringLiteral("50"));
    tour.shot(QStringLiteral("10-progress-50"));
    tour.click(QStringLiteral("cancelProfiling"));
    check(target.actions() == QStringList{QStringLiteral("cancelProfiling")}, "CANCEL cancels the run");

    host.currentJob.insert(QStringLiteral("alertWarningTitle"), QStringLiteral("Aborted by user"));
    host.currentJob.insert(QStringLiteral("alertWarningMessage"), QStringLiteral("Profile creation aborted by user"));
    tour.shot(QStringLiteral("11-progress-aborted"));
    tour.clearCalls();
    tour.click(QStringLiteral("alertOk"));
    check(tour.called(QStringLiteral("Script.goProfiling(false)")), "aborted run returns to the grid");

    host.currentJob.insert(QStringLiteral("progressValue"), QStringLiteral("100"));
    host.currentJob.insert(QStringLiteral("alertInformationTitle"), QStringLiteral("Successfully completed"));
    host.currentJob.insert(QStringLiteral("alertInformationMessage"),
                           QStringLiteral("Profile creation successfully completed"));
    check(!tour.item(QStringLiteral("cancelProfiling"))->isVisible(), "no CANCEL at 100");
    tour.shot(QStringLiteral("12-progress-done"));
    tour.clearCalls();
    tour.click(QStringLiteral("alertOk"));
    check(tour.called(QStringLiteral("Script.goProfiling(true)")), "finished run opens quality control");
    tour.close();
}

void filmCurvePages(Tour& tour, TestHost& host)
{
    if (!tour.open(QStringLiteral("FilmCurveMissing")))
        return ++failures, void();
    QMetaObject::invokeMethod(tour.page(), "show");
    tour.shot(QStringLiteral("13-film-curve-missing"));
    tour.clearCalls();
    tour.click(QStringLiteral("alertOk"));
    check(tour.called(QStringLiteral("Script.goFilmCurveExtraction()")), "OK goes to the extraction page");

    if (!tour.open(QStringLiteral("FilmCurveExtraction")))
        return ++failures, void();
    QMetaObject::invokeMethod(tour.page(), "show");
    tour.shot(QStringLiteral("14-film-curve-extraction"));
    tour.clearCalls();
    const QUrl tiff = QUrl::fromLocalFile(QStringLiteral("/data/shots/Studio C1.tif"));
    tour.drop(QStringLiteral("filmCurveDropArea"), {tiff});
    check(tour.called(QStringLiteral("dropC1Tif(%1)").arg(tiff.toString())), "dropped TIFF reaches dropC1Tif");
    host.currentJob.insert(QStringLiteral("C1TifProgress"), 42);
    tour.shot(QStringLiteral("15-film-curve-loading"));
    host.currentJob.insert(QStringLiteral("C1TifProgress"), 100);
    QMetaObject::invokeMethod(tour.page(), "showAlert", Q_ARG(QVariant, QStringLiteral("File is from wrong camera!")));
    tour.shot(QStringLiteral("16-film-curve-error"));
    tour.click(QStringLiteral("alertOk"));
    tour.close();
}

} // namespace

int main(int argc, char** argv)
{
    // Mesa unloads its driver when the display closes; kept loaded, the leak
    // report can name it, and the suppression of Mesa's own leaks applies.
    dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_NOW | RTLD_NODELETE);
    QGuiApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("Vandrelith"));
    QCoreApplication::setApplicationName(QStringLiteral("pelto profile page tour"));
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screens");
    QDir().mkpath(folder);

    QQmlEngine engine;
    TestHost host;
    host.install(&engine);
    {
        Tour tour(engine, host, folder);
        gridPage(tour, host);
        qaPage(tour, host);
        progressPage(tour, host);
        filmCurvePages(tour, host);
        tour.close();
    }
    if (failures)
        std::fprintf(stderr, "%d check(s) failed\n", failures);
    return failures ? 1 : 0;
}
