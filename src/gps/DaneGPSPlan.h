#pragma once
// What a GPS run asks for, worked out without the server: the registration numbers of the
// settings and the daily spans of one vehicle's archive requests.
#include "config/DateTime.h"

#include <QStringList>
#include <vector>

namespace pelk {

// The registration numbers of the setting Pojazdy: separated by ";" or line breaks (CR LF, CR
// or LF), in order and untrimmed; empty entries name no vehicle and are left out.
QStringList NumeryRejestracyjne(const QString &pojazdy);

struct RZakres
{
    TDateTime Od, Do; // local date-times
};

// One span per day from the start instant's day to today (`now`'s day), each within the
// daily window's times of day: the start day from the later of the start's time and the
// window's start (no span when the start lies at or after the window's end), later days from
// the window's start; past days to the window's end, today to the earlier of now and the
// window's end. A start after today gives one span, on its own day. A span that would end at
// or before its start (today, before the window opens) is left out.
std::vector<RZakres> ZakresyDoPobrania(TDateTime start, TDateTime now, TDateTime czasStart, TDateTime czasStop);

} // namespace pelk
