#include "ControllerLogging.h"

Q_LOGGING_CATEGORY(lcController, "pelto.app.controller", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSets, "pelto.app.controller.sets", QtWarningMsg)
