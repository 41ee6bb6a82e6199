#include "jobs/MyDoneEvent.h"

MyDoneEvent::MyDoneEvent(int result, const QString &path)
    : QEvent(EventType), m_result(result), m_path(path)
{
}

MyDoneEvent::~MyDoneEvent() = default;
