// Runs the colour-science test classes in one executable.

#include "SuiteRunner.h"

#include <QLoggingCategory>

int main(int argc, char** argv)
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    return test_support::runSuites(argc, argv);
}
