#pragma once
// Logging categories of the controller, quiet below warning by default.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcController)  // pelto.app.controller
Q_DECLARE_LOGGING_CATEGORY(lcSets)        // pelto.app.controller.sets
