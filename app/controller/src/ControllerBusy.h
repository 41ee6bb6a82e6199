#pragma once

#include "ControllerLogging.h"
#include "controller/peltoQt.h"

#include <QMutex>

// The controller mutex, taken by the operations that change the current job's
// content. Every user runs on the GUI thread, so a lock that is already held
// means a nested call (a receiver of a signal emitted under the lock): it is
// refused instead of deadlocking.
class peltoQt::Busy {
public:
    Busy(QMutex& mutex, const char* operation) : m_mutex(mutex), m_locked(mutex.tryLock())
    {
        if (!m_locked)
            qCWarning(lcController) << operation << "refused: called while another job operation runs";
    }
    ~Busy()
    {
        if (m_locked)
            m_mutex.unlock();
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;
    explicit operator bool() const { return m_locked; }

private:
    QMutex& m_mutex;
    bool m_locked;
};

