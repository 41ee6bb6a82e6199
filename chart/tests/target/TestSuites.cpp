#include "TestSuites.h"

std::vector<SuiteFactory>& targetTestSuites()
{
    static std::vector<SuiteFactory> suites;
    return suites;
}
