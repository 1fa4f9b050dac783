#include "SalesPeriods.h"

#include "config/Common.h"

#include <cmath>

namespace pelk {

namespace {

TDateTime Dzien(TDateTime t)
{
    return std::floor(t);
}

} // namespace

ROkres Okres12M(TDateTime now)
{
    return {Dzien(now) - 365, Dzien(now)};
}

ROkres OkresMiesiaca(TDateTime now, int k)
{
    // QDate::addMonths keeps the day, or takes the target month's last day when it is shorter.
    const QDate date = ToQDateTime(now).date().addMonths(-k);
    const TDateTime moved = EncodeDate(date.year(), date.month(), date.day());
    return {FirstDayOfMonth(moved), LastDayOfMonth(moved)};
}

int DzienJakoLiczba(TDateTime t)
{
    int year, month, day, hour, minute, second, msec;
    DecodeDateTime(t, year, month, day, hour, minute, second, msec);
    return year * 10000 + month * 100 + day;
}

} // namespace pelk
