#include "Logging.h"

Q_LOGGING_CATEGORY(lcFrameworkCore, "pelto.framework.core", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFrameworkStyle, "pelto.framework.style", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFrameworkPanels, "pelto.framework.panels", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFrameworkUpdate, "pelto.framework.update", QtWarningMsg)
