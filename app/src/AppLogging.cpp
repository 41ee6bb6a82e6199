#include "AppLogging.h"

Q_LOGGING_CATEGORY(lcAppStartup, "pelto.app.startup", QtWarningMsg)
