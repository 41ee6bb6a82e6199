#include "SuiteRunner.h"

int main(int argc, char **argv)
{
    return test_support::runSuites(argc, argv);
}
