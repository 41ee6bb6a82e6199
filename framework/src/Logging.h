#pragma once
// Logging categories of the framework library, quiet below warning by default
// (enable with QT_LOGGING_RULES="pelto.framework.*.debug=true").

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcFrameworkCore)    // pelto.framework.core
Q_DECLARE_LOGGING_CATEGORY(lcFrameworkStyle)   // pelto.framework.style
Q_DECLARE_LOGGING_CATEGORY(lcFrameworkPanels)  // pelto.framework.panels
Q_DECLARE_LOGGING_CATEGORY(lcFrameworkUpdate)  // pelto.framework.update
