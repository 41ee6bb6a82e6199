#include "settings/pq_ControllerObject.h"

#include <QPointer>

namespace {
QPointer<QObject>& controller()
{
    static QPointer<QObject> theController;
    return theController;
}
}  // namespace

QObject* pq_controllerObject()
{
    return controller();
}

void pq_setControllerObject(QObject* object)
{
    controller() = object;
}
