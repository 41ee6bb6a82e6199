#include "SuiteRunner.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

namespace test_support {

namespace {

std::vector<SuiteFactory>& suites()
{
    static std::vector<SuiteFactory> all;
    return all;
}

}  // namespace

void registerSuite(SuiteFactory make)
{
    suites().push_back(std::move(make));
}

int runSuites(int argc, char** argv, const SuiteOptions& options)
{
    QTemporaryDir home;
    if (options.privateHome) {
        if (!home.isValid())
            return 1;
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());
        qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    }
    std::unique_ptr<QCoreApplication> app;
    if (options.gui) {
        qputenv("QT_QPA_PLATFORM", "minimal");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    int failures = 0;
    for (const SuiteFactory& make : suites()) {
        std::unique_ptr<QObject> suite = make();
        failures += QTest::qExec(suite.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace test_support
