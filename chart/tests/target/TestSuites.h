#pragma once
// Registration of the test classes that main.cpp runs.

#include <QLoggingCategory>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

using SuiteFactory = std::function<std::unique_ptr<QObject>()>;

std::vector<SuiteFactory>& targetTestSuites();

// Turns one logging category's debug lines on for a scope, so that a test can
// expect them with QTest::ignoreMessage.
class DebugLines {
public:
    explicit DebugLines(const char* category)
    {
        QLoggingCategory::setFilterRules(QLatin1String(category) + QLatin1String(".debug=true"));
    }
    ~DebugLines() { QLoggingCategory::setFilterRules(QString()); }
    DebugLines(const DebugLines&) = delete;
    DebugLines& operator=(const DebugLines&) = delete;
};

template <typename T>
struct RegisterSuite {
    RegisterSuite() { targetTestSuites().push_back([] { return std::make_unique<T>(); }); }
};
