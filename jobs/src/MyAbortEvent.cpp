#include "jobs/MyAbortEvent.h"

MyAbortEvent::MyAbortEvent() : QEvent(EventType) {}

MyAbortEvent::~MyAbortEvent() = default;
