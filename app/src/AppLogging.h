#pragma once
// Logging category of start-up, quiet below warning by default
// (enable with QT_LOGGING_RULES="pelto.app.startup.debug=true").

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcAppStartup)   // pelto.app.startup
