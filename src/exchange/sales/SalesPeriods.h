#pragma once
// The periods of the sales figures: the last 365 days and the calendar months M-k, with their
// bounds as the integers yyyymmdd the ERP queries take.
#include "config/DateTime.h"

namespace pelk {

struct ROkres
{
    TDateTime Od = 0; // first day, midnight
    TDateTime Do = 0; // last day (inclusive), midnight
};

// From the date 365 days before `now` to `now`'s day.
ROkres Okres12M(TDateTime now);
// The calendar month of `now` moved back by k months (the day kept, or the month's last day
// when that month is shorter): its first to its last day.
ROkres OkresMiesiaca(TDateTime now, int k);
// The day of the date-time as yyyymmdd (the time of day ignored).
int DzienJakoLiczba(TDateTime t);

} // namespace pelk
