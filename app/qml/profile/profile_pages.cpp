#include "profile_pages.h"

#include <QtGlobal>

static void initResources()
{
    Q_INIT_RESOURCE(profile);
    Q_INIT_RESOURCE(profile_pictures);
}

void pq_initProfilePages()
{
    static const bool done = (initResources(), true);
    Q_UNUSED(done);
}
