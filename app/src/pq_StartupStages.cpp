#include "app/pq_StartupStages.h"

namespace {
pq_StartupObserver g_observer = nullptr;
}

void pq_setStartupObserver(pq_StartupObserver observer)
{
    g_observer = observer;
}

void pq_startupStage(const char* stage)
{
    if (g_observer)
        g_observer(stage);
}
