// Runs the CGATS test classes in one executable.

#include "SuiteRunner.h"

int main(int argc, char** argv)
{
    return test_support::runSuites(argc, argv);
}
