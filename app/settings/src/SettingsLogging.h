#pragma once
// Logging category of the settings, quiet below warning by default
// (enable with QT_LOGGING_RULES="pelto.app.settings.debug=true").

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcAppSettings)  // pelto.app.settings
