#include "jobs/MyTextEvent.h"

MyTextEvent::MyTextEvent(const QString &text) : QEvent(EventType), m_text(text) {}

MyTextEvent::~MyTextEvent() = default;
