#include "ChartLogging.h"

Q_LOGGING_CATEGORY(lcCgats, "pelto.chart.cgats", QtWarningMsg)
Q_LOGGING_CATEGORY(lcScience, "pelto.chart.science", QtWarningMsg)
Q_LOGGING_CATEGORY(lcTarget, "pelto.chart.target", QtWarningMsg)
Q_LOGGING_CATEGORY(lcImage, "pelto.chart.image", QtWarningMsg)
