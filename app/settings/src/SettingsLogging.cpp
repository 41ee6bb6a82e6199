#include "SettingsLogging.h"

Q_LOGGING_CATEGORY(lcAppSettings, "pelto.app.settings", QtWarningMsg)
