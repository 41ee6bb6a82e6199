#include "AppLogging.h"

Q_LOGGING_CATEGORY(lcAppStartup, "pelto.app.startup", QtWarningMsg)
Q_LOGGING_CATEGORY(lcAppSettings, "pelto.app.settings", QtWarningMsg)
