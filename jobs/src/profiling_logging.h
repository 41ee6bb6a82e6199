// Logging categories of the profiling runs, quiet below warnings by default.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcProfiling)
Q_DECLARE_LOGGING_CATEGORY(lcJobProfile)
