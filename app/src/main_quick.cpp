// The program's entry.

#include "app/pq_Application.h"

#include <colour/Kirr_colorLibrary.h>

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

}  // namespace

int main(int argc, char** argv)
{
    Kirr_setProfilesReadOnly(1);
    pq_Application application(argc, argv);
    pq_showSplashAtStart(argc);
    // The event loop ends when the last window closes; with no window open
    // there is nothing to wait for.
    if (!anyWindowShown())
        return 0;
    return application.exec();
}
