#include "jobs_logging.h"

Q_LOGGING_CATEGORY(lcJobFile, "pelto.jobs.file", QtWarningMsg)
Q_LOGGING_CATEGORY(lcJob, "pelto.jobs.job", QtWarningMsg)
Q_LOGGING_CATEGORY(lcJobList, "pelto.jobs.list", QtWarningMsg)
Q_LOGGING_CATEGORY(lcTemplates, "pelto.jobs.templates", QtWarningMsg)
