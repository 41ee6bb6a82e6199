// Logging categories of the jobs library, quiet below warnings by default.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcJobFile)
Q_DECLARE_LOGGING_CATEGORY(lcJob)
Q_DECLARE_LOGGING_CATEGORY(lcJobList)
Q_DECLARE_LOGGING_CATEGORY(lcTemplates)
