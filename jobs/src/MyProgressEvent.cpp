#include "jobs/MyProgressEvent.h"

MyProgressEvent::MyProgressEvent(int value) : QEvent(EventType), m_value(value) {}

MyProgressEvent::~MyProgressEvent() = default;
