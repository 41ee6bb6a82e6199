#pragma once
// Logging categories of the application, quiet below warning by default
// (enable with QT_LOGGING_RULES="pelto.app.*.debug=true").

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcAppStartup)   // pelto.app.startup
Q_DECLARE_LOGGING_CATEGORY(lcAppSettings)  // pelto.app.settings
