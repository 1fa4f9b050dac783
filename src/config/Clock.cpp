#include "Clock.h"

#include <QtGlobal>
#include <atomic>
#include <ctime>

namespace pelk {

namespace {

class SystemClock : public Clock
{
public:
    QDateTime CurrentDateTime() const override { return QDateTime::currentDateTime(); }
};

std::shared_ptr<const Clock> &SystemInstance()
{
    static std::shared_ptr<const Clock> system = std::make_shared<SystemClock>();
    return system;
}

// Read on the decoder thread too; atomic operations on the shared pointer keep it consistent.
std::shared_ptr<const Clock> &Installed()
{
    static std::shared_ptr<const Clock> installed = SystemInstance();
    return installed;
}

} // namespace

std::shared_ptr<const Clock> Clock::Current()
{
    return std::atomic_load(&Installed());
}

std::shared_ptr<const Clock> Clock::Install(std::shared_ptr<const Clock> clock)
{
    return std::atomic_exchange(&Installed(), clock ? std::move(clock) : SystemInstance());
}

QDateTime CurrentDateTime()
{
    return Clock::Current()->CurrentDateTime();
}

void PinSystemTimeZone()
{
    if (qEnvironmentVariableIsSet("TZ"))
        return;
    qputenv("TZ", ":/etc/localtime");
    tzset();
}

} // namespace pelk
