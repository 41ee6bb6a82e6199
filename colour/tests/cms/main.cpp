#include "SuiteRunner.h"

int main(int argc, char **argv)
{
    // The colour folders of the user lie under a temporary home.
    test_support::SuiteOptions options;
    options.privateHome = true;
    return test_support::runSuites(argc, argv, options);
}
