// Named stages of the program's start-up, reported to an observer when one is
// set (a probe in a copy of the program built for benchmarks); the program
// itself sets none, and then a stage costs one test of a pointer.
#pragma once

using pq_StartupObserver = void (*)(const char* stage);

void pq_setStartupObserver(pq_StartupObserver observer);
void pq_startupStage(const char* stage);
