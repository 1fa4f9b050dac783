#include "DaneGPSPlan.h"

#include <QRegularExpression>
#include <cmath>

namespace pelk {

namespace {

double Day(TDateTime t)
{
    return std::trunc(t);
}

// Whole milliseconds, so that times of day compare equal however they were computed.
double TimeOfDay(TDateTime t)
{
    return std::round((t - std::trunc(t)) * MSecsPerDay) / MSecsPerDay;
}

} // namespace

QStringList NumeryRejestracyjne(const QString &pojazdy)
{
    static const QRegularExpression separators(QStringLiteral("\r\n|\r|\n|;"));
    QStringList numbers = pojazdy.split(separators);
    numbers.removeAll(QString());
    return numbers;
}

std::vector<RZakres> ZakresyDoPobrania(TDateTime start, TDateTime now, TDateTime czasStart, TDateTime czasStop)
{
    std::vector<RZakres> zakresy;
    const double today = Day(now);
    const double windowStart = TimeOfDay(czasStart);
    const double windowEnd = TimeOfDay(czasStop);
    double startTime = TimeOfDay(start);
    int days = int(std::nearbyint(today - Day(start)));
    do {
        const double day = today - days;
        if (startTime < windowEnd || startTime <= windowStart) {
            const double from = day + std::max(startTime, windowStart);
            const double to = day + (days > 0 ? windowEnd : std::min(TimeOfDay(now), windowEnd));
            // Today before the window opens (or a window that ends before it starts) has
            // nothing to ask for.
            if (to > from)
                zakresy.push_back({from, to});
        }
        // Every later day begins at the window's start.
        startTime = 0;
        --days;
    } while (days >= 0);
    return zakresy;
}

} // namespace pelk
