#include "profiling_logging.h"

Q_LOGGING_CATEGORY(lcProfiling, "pelto.jobs.profiling", QtWarningMsg)
Q_LOGGING_CATEGORY(lcJobProfile, "pelto.jobs.profile", QtWarningMsg)
