#pragma once
// The controller object (the process's one peltoQt) that the application's
// dialogs report to by slot signature; null until the controller exists.

class QObject;

QObject* pq_controllerObject();
void pq_setControllerObject(QObject* controller);
