// The chart subsystem's logging categories. Each is quiet below warning
// unless a logging rule (QT_LOGGING_RULES) turns its debug lines on.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcCgats)    // "pelto.chart.cgats"
Q_DECLARE_LOGGING_CATEGORY(lcScience)  // "pelto.chart.science"
Q_DECLARE_LOGGING_CATEGORY(lcTarget)   // "pelto.chart.target"
Q_DECLARE_LOGGING_CATEGORY(lcImage)    // "pelto.chart.image"
