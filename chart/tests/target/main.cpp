// Runs every test class of the target area in one executable.
#include "SuiteRunner.h"

int main(int argc, char** argv)
{
    test_support::SuiteOptions options;
    options.gui = true;
    return test_support::runSuites(argc, argv, options);
}
