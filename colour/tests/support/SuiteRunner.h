// Several Qt Test classes in one program: each test file registers its class
// with VP_TEST_SUITE, and main() hands over to runSuites().
#pragma once

#include <QObject>

#include <functional>
#include <memory>

namespace test_support {

using SuiteFactory = std::function<std::unique_ptr<QObject>()>;

// Adds a class to the ones runSuites() runs, in the order of registration.
void registerSuite(SuiteFactory make);

template <typename T>
struct SuiteRegistration {
    SuiteRegistration() { registerSuite([] { return std::make_unique<T>(); }); }
};

struct SuiteOptions {
    // A QGuiApplication on the "minimal" platform, which needs no display,
    // instead of a QCoreApplication.
    bool gui = false;
    // HOME and the XDG data and config folders in a temporary folder, so that
    // nothing of the user's own is read or changed.
    bool privateHome = false;
};

// Runs every registered class; 0 when all of them pass.
int runSuites(int argc, char** argv, const SuiteOptions& options = {});

}  // namespace test_support

#define VP_TEST_SUITE(Class) \
    static const test_support::SuiteRegistration<Class> vpTestSuite##Class
