#include "TestSuites.h"

namespace {

int g_messages = 0;
QtMessageHandler g_next = nullptr;

void countMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    // Debug and info lines of our own categories are off unless a logging
    // rule turns them on; everything else would reach a user's log.
    const bool chatter = type == QtDebugMsg || type == QtInfoMsg;
    if (!chatter || !QByteArray(context.category).startsWith("pelto."))
        ++g_messages;
    if (g_next)
        g_next(type, context, text);
}

}  // namespace

MessageCount::MessageCount()
{
    g_messages = 0;
    m_previous = qInstallMessageHandler(countMessage);
    g_next = m_previous;
}

MessageCount::~MessageCount()
{
    qInstallMessageHandler(m_previous);
    g_next = nullptr;
}

int MessageCount::count() const { return g_messages; }

std::vector<SuiteFactory>& targetTestSuites()
{
    static std::vector<SuiteFactory> suites;
    return suites;
}
