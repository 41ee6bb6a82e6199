#pragma once
// Tolerance comparison that reports both values and the caller's line.

#include <QTest>

#include <cmath>

#define VP_COMPARE_CLOSE(actual, expected, tolerance)                                         \
    do {                                                                                      \
        const double vpActual = (actual);                                                     \
        const double vpExpected = (expected);                                                 \
        if (!(std::fabs(vpActual - vpExpected) <= (tolerance)))                               \
            QFAIL(qPrintable(QStringLiteral("%1 = %2, expected %3 +- %4")                     \
                                 .arg(QLatin1String(#actual))                                 \
                                 .arg(vpActual, 0, 'g', 9)                                    \
                                 .arg(vpExpected, 0, 'g', 9)                                  \
                                 .arg(double(tolerance))));                                   \
    } while (false)
