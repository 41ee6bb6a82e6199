// The program's entry.

#include "app/pq_Application.h"
#include "settings/pq_Settings.h"
#include "app/pq_StartupStages.h"
#include "controller/peltoQt.h"
#include "items/pq_registerItems.h"
#include "jobs/pq_targetTemplates.h"
#include "profile_pages.h"

#include <colour/Kirr_colorLibrary.h>

#include <QLoggingCategory>
#include <QOpenGLContext>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QUrl>

namespace {

Q_LOGGING_CATEGORY(lcMain, "pelto.app.main", QtWarningMsg)

// Qt Quick draws through OpenGL and ends the program where no context can
// be made (no driver, a platform without it); the screens are then drawn in
// software instead.
void chooseSceneGraphBackend()
{
    if (!qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        return;
    QOpenGLContext probe;
    if (probe.create())
        return;
    qCWarning(lcMain) << "no OpenGL context can be made; the screens are drawn in software";
    QQuickWindow::setSceneGraphBackend(QSGRendererInterface::Software);
}

}  // namespace

int main(int argc, char** argv)
{
    Kirr_setProfilesReadOnly(1);
    pq_Application application(argc, argv);
    // The controller lives inside the application object's lifetime.
    peltoQt controller;
    peltoQt::setInstance(&controller);
    controller.setApplication(&application);
    pq_showSplashAtStart(argc);
    pq_registerQmlItems();
    pq_writeStarterTargetTemplates(QStringLiteral("/usr/share/color/argyll/ref"));
    controller.init(QCoreApplication::applicationFilePath());
    pq_startupStage("ready");

    chooseSceneGraphBackend();
    int result = 1;
    {
        QQmlApplicationEngine engine;
        pq_initProfilePages();
        pq_addTargetIconProvider(&engine);
        controller.publishTo(engine.rootContext());
        engine.load(QUrl(QStringLiteral("qrc:/qml/main.qml"), QUrl::TolerantMode));
        pq_startupStage("loaded");
        if (engine.rootObjects().isEmpty()) {
            qCCritical(lcMain) << "the main window could not be loaded";
        } else {
            emit application.setShowIntroMessage(pq_Settings::instance()->showIntro());
            result = application.exec();
        }
    }
    peltoQt::setInstance(nullptr);
    return result;
}
