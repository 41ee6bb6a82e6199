// Runs the CGATS test classes in one executable.

#include "SuiteRunner.h"

#include <QLoggingCategory>

int main(int argc, char** argv)
{
    // The parser's per-error diagnostics would drown the test log.
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    return test_support::runSuites(argc, argv);
}
