#pragma once
// A clock that tests set: installed for the fixture's life, it answers a fixed local instant
// (moved on by hand) instead of the system time.
#include "config/Clock.h"

#include <QMutex>
#include <QMutexLocker>

namespace pelk::test {

class FixedClock : public Clock
{
public:
    explicit FixedClock(const QDateTime &now) : m_now(now) {}
    QDateTime CurrentDateTime() const override
    {
        QMutexLocker lock(&m_mutex);
        return m_now;
    }
    void Set(const QDateTime &now)
    {
        QMutexLocker lock(&m_mutex);
        m_now = now;
    }
    void AddSecs(qint64 seconds)
    {
        QMutexLocker lock(&m_mutex);
        m_now = m_now.addSecs(seconds);
    }

private:
    mutable QMutex m_mutex;
    QDateTime m_now;
};

// Installs a fixed clock for its scope and restores the previous one.
class ScopedFixedClock
{
public:
    explicit ScopedFixedClock(const QDateTime &now)
        : m_clock(std::make_shared<FixedClock>(now)), m_previous(Clock::Install(m_clock))
    {}
    ~ScopedFixedClock() { Clock::Install(m_previous); }
    ScopedFixedClock(const ScopedFixedClock &) = delete;
    ScopedFixedClock &operator=(const ScopedFixedClock &) = delete;
    FixedClock &operator*() const { return *m_clock; }
    FixedClock *operator->() const { return m_clock.get(); }

private:
    std::shared_ptr<FixedClock> m_clock;
    std::shared_ptr<const Clock> m_previous;
};

} // namespace pelk::test
