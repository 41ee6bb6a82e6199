// The end of a profiling pass that was not aborted.
#pragma once

#include <QEvent>
#include <QString>

class MyDoneEvent : public QEvent
{
public:
    static constexpr QEvent::Type EventType = QEvent::Type(1001);

    // path: the written profile ("/" separators), empty unless result is 0.
    MyDoneEvent(int result, const QString &path);
    ~MyDoneEvent() override;

    int result() const { return m_result; }
    QString path() const { return m_path; }

private:
    int m_result;
    QString m_path;
};
