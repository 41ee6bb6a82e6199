// Hand-overs between threads that Qt makes under its own locks, which the
// thread checker cannot see in a Qt not built for it, made visible to it.
// Without the thread checker both do nothing.
#pragma once

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

// What the calling thread did before is visible to a later pq_takeOver on
// the same address.
inline void pq_handOver(const void *what)
{
#if defined(__SANITIZE_THREAD__)
    __tsan_release(const_cast<void *>(what));
#else
    (void)what;
#endif
}

inline void pq_takeOver(const void *what)
{
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(const_cast<void *>(what));
#else
    (void)what;
#endif
}
