// Checks on what the library logs: one category's debug lines turned on for a
// scope, and a count of the messages a user's log would show.
#pragma once

#include <QLoggingCategory>
#include <QString>

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
