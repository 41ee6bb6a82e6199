#include "widgets_logging.h"

Q_LOGGING_CATEGORY(lcWidgets, "pelto.app.widgets", QtWarningMsg)
