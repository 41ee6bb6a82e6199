#include <QtGlobal>

// The pictures drawn at build time live in a resource of this static library.
void pq_initWidgetPictures()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(pictures);
        return true;
    }();
    Q_UNUSED(done)
}
