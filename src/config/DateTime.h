#pragma once
// Date-time values as days since 1899-12-30 with the time of day as fraction.
#include <QDateTime>
#include <QString>

namespace pelk {

using TDateTime = double;

constexpr TDateTime UnixDateDelta = 25569.0; // 1970-01-01
constexpr double MSecsPerDay = 86400000.0;

bool IsValidDate(int year, int month, int day);
bool TryEncodeDate(int year, int month, int day, TDateTime &out);
bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime &out);
// Throws EConvertError on an impossible date or time.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec);
void DecodeDateTime(TDateTime t, int &year, int &month, int &day, int &hour, int &minute, int &second, int &msec);

// Local wall-clock time of the installed clock (config/Clock.h), no zone attached.
TDateTime Now();
TDateTime FromQDateTime(const QDateTime &dt);
QDateTime ToQDateTime(TDateTime t); // local time spec

// The one text form of a date-time in comparisons, SQL and logs: "yyyy-mm-dd hh:nn:ss".
QString DateTimeToText(TDateTime t);

} // namespace pelk
