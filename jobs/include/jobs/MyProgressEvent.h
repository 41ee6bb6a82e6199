// Progress of a profiling run, posted from the profiling thread.
#pragma once

#include <QEvent>

class MyProgressEvent : public QEvent
{
public:
    static constexpr QEvent::Type EventType = QEvent::Type(1000);

    // In tenths of a percent, 0 to 1000.
    explicit MyProgressEvent(int value);
    ~MyProgressEvent() override;

    int value() const { return m_value; }

private:
    int m_value;
};
