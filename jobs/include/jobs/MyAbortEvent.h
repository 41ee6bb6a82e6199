// The end of a profiling pass that was asked to stop.
#pragma once

#include <QEvent>

class MyAbortEvent : public QEvent
{
public:
    static constexpr QEvent::Type EventType = QEvent::Type(1002);

    MyAbortEvent();
    ~MyAbortEvent() override;
};
