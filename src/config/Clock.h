#pragma once
// The one source of the current date and time. Everything that reads "now" (log stamps,
// last-exchange times, sales periods, GPS windows, stop estimates) asks this clock, so tests
// can run on a fixed instant.
#include <QDateTime>
#include <memory>

namespace pelk {

class Clock
{
public:
    virtual ~Clock() = default;
    // Local wall-clock time.
    virtual QDateTime CurrentDateTime() const = 0;

    // The clock in use (the system clock unless a test installed another). Thread-safe.
    static std::shared_ptr<const Clock> Current();
    // Installs a clock; null restores the system clock. Returns the previous one.
    static std::shared_ptr<const Clock> Install(std::shared_ptr<const Clock> clock);
};

// The current local date-time of the installed clock.
QDateTime CurrentDateTime();

// While TZ is unset, the C library looks at /etc/localtime (a stat) on every local-time
// conversion, and the ODBC driver converts every date-time it reads: dozens per element.
// Naming that same file in TZ keeps the zone and drops the checks; a change of the system's
// zone is then seen by the next start. A TZ already set is kept. Call before threads start.
void PinSystemTimeZone();

} // namespace pelk
