#include "ItemsLogging.h"

Q_LOGGING_CATEGORY(lcItems, "pelto.app.items", QtWarningMsg)
