// The program's entry.

#include "app/pq_Application.h"
#include "controller/peltoQt.h"
#include "items/pq_registerItems.h"

#include <colour/Kirr_colorLibrary.h>

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

bool anyWindowShown()
{
    for (const QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->isVisible())
            return true;
    }
    return false;
}

// Ends the event loop once no window is shown. Qt ends it when the last main
// window closes, but a splash screen closing does not count; without this the
// program would stay on after a splash screen that was its only window.
class QuitWhenNoWindow : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide && watched->isWidgetType()
            && static_cast<QWidget*>(watched)->isWindow())
            QTimer::singleShot(0, this, [] {
                if (!anyWindowShown())
                    QCoreApplication::quit();
            });
        return false;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    Kirr_setProfilesReadOnly(1);
    pq_Application application(argc, argv);
    pq_showSplashAtStart(argc);
    // The controller lives inside the application object's lifetime.
    peltoQt controller;
    peltoQt::setInstance(&controller);
    controller.setApplication(&application);
    controller.init(QCoreApplication::applicationFilePath());
    pq_registerQmlItems();
    if (!anyWindowShown())
        return 0;
    QuitWhenNoWindow quitWhenNoWindow;
    application.installEventFilter(&quitWhenNoWindow);
    return application.exec();
}
