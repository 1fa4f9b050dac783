#pragma once
// Shared conversions and the yes/no question. None of them keeps state, except the question
// handler the window installs.
#include "DateTime.h"

#include <QString>
#include <functional>

namespace pelk {

using AskYesNoHandler = std::function<bool(const QString &text, const QString &caption)>;

// Installs the question box (the window's modal message box, No the default button).
// An empty handler restores the default answer.
void SetAskYesNoHandler(AskYesNoHandler handler);
// Asks through the installed handler; without one (unattended, headless) the answer is No.
bool AskYesNo(const QString &text, const QString &caption);

// "." or "," as decimal point; throws Exception
// "Błąd konwersji typu łańcuchowego na zmiennoprzecinkowy" on anything else.
double StringToFloat(const QString &text);

// Conversions with the operating system's zone rules for the date given.
TDateTime UTCToLocal(TDateTime t);
// Uses the offset in force at the instant t read as UTC, so within the hours around a
// daylight-saving change the result can be off by the change.
TDateTime LocalToUTC(TDateTime t);

TDateTime FirstDayOfMonth(TDateTime d);
TDateTime LastDayOfMonth(TDateTime d);

// Date plus time; false when either part is impossible (out then holds the date alone if the
// date was valid, and is untouched otherwise).
bool TryEncodeDateTimeParts(int year, int month, int day, int hour, int minute, int second, int msec, TDateTime &out);

// Case-insensitive equality. Case folding keeps the length, so texts of other lengths are
// told apart without folding.
bool SameText(QStringView a, QStringView b);
bool SameText(QLatin1StringView a, QStringView b);
inline bool SameText(QStringView a, QLatin1StringView b)
{
    return SameText(b, a);
}

// Reads exactly the one text form "yyyy-mm-dd hh:nn:ss", or its date alone ("yyyy-mm-dd"), as
// wall-clock time; false (out untouched) for any other text or an impossible date or time.
bool TextToDateTime(QStringView text, TDateTime &out);

// Reads a date-time from text by a pattern of the tokens DD DDD DDDD MM MMM MMMM YY YYY YYYY
// HH NN SS ZZ ZZZ AP AM AMP AMPM (case-insensitive); any other character is a separator.
// Day and month names are the English ones (C locale), so results never depend on the
// machine's language. Missing parts default to 1 January of year 1, midnight; an impossible
// date-time gives 0.
TDateTime StrToDateTimeByFormat(const QString &format, const QString &text);

} // namespace pelk
