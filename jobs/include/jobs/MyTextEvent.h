// A profiling run starts: the output path it writes.
#pragma once

#include <QEvent>
#include <QString>

class MyTextEvent : public QEvent
{
public:
    static constexpr QEvent::Type EventType = QEvent::Type(1003);

    explicit MyTextEvent(const QString &text);
    ~MyTextEvent() override;

    QString text() const { return m_text; }

private:
    QString m_text;
};
