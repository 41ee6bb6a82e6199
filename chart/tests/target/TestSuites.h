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

// Counts the messages logged while it lives that would show with the default
// rules (all but the debug and info lines of the "pelto." categories), and
// passes every message on.
class MessageCount {
public:
    MessageCount();
    ~MessageCount();
    MessageCount(const MessageCount&) = delete;
    MessageCount& operator=(const MessageCount&) = delete;
    int count() const;

private:
    QtMessageHandler m_previous;
};

template <typename T>
struct RegisterSuite {
    RegisterSuite() { targetTestSuites().push_back([] { return std::make_unique<T>(); }); }
};
