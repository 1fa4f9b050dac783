#include "Views.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <atomic>

namespace pelk {

namespace {
std::atomic<int> g_interval{kEventIntervalMilliseconds};
}

void SetEventInterval(int milliseconds)
{
    g_interval = milliseconds;
}

void ProcessPendingEvents()
{
    auto *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread())
        return;
    // A run asks between every element and stage; the window needs its events (Stop, paint)
    // a few dozen times a second, not thousands: painting after every element would cost the
    // run more than the element itself.
    static QElapsedTimer since;
    if (since.isValid() && since.elapsed() < g_interval)
        return;
    QCoreApplication::processEvents();
    since.restart();
}

} // namespace pelk
