#include "DateTime.h"

#include "Clock.h"
#include "Errors.h"

#include <QDate>
#include <QTime>
#include <cmath>

namespace pelk {

namespace {
const QDate kEpoch(1899, 12, 30);
}

bool IsValidDate(int year, int month, int day)
{
    return year >= 1 && year <= 9999 && QDate::isValid(year, month, day);
}

bool TryEncodeDate(int year, int month, int day, TDateTime &out)
{
    if (!IsValidDate(year, month, day))
        return false;
    out = static_cast<double>(kEpoch.daysTo(QDate(year, month, day)));
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime &out)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 || msec > 999)
        return false;
    out = (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + msec) / MSecsPerDay;
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime t = 0;
    if (!TryEncodeDate(year, month, day, t))
        throw EConvertError(QStringLiteral("Invalid argument to date encode"));
    return t;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec)
{
    TDateTime t = 0;
    if (!TryEncodeTime(hour, minute, second, msec, t))
        throw EConvertError(QStringLiteral("Invalid argument to time encode"));
    return t;
}

void DecodeDateTime(TDateTime t, int &year, int &month, int &day, int &hour, int &minute, int &second, int &msec)
{
    // Whole milliseconds, rounded, so 0.999999 of a millisecond never shows as 59.999.
    const qint64 totalMs = std::llround(t * MSecsPerDay);
    qint64 days = totalMs / 86400000;
    qint64 ms = totalMs % 86400000;
    if (ms < 0) {
        // Negative values: the date part counts back, the time part is still positive.
        ms = -ms;
    }
    const QDate d = kEpoch.addDays(days);
    year = d.year();
    month = d.month();
    day = d.day();
    hour = int(ms / 3600000);
    minute = int(ms / 60000 % 60);
    second = int(ms / 1000 % 60);
    msec = int(ms % 1000);
}

TDateTime FromQDateTime(const QDateTime &dt)
{
    const double days = double(kEpoch.daysTo(dt.date()));
    const double fraction = dt.time().msecsSinceStartOfDay() / MSecsPerDay;
    // Before the epoch the time of day still counts forward: -1.25 is 1899-12-29 06:00.
    return days < 0 ? days - fraction : days + fraction;
}

QDateTime ToQDateTime(TDateTime t)
{
    int y, mo, d, h, mi, s, ms;
    DecodeDateTime(t, y, mo, d, h, mi, s, ms);
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms));
}

TDateTime Now()
{
    return FromQDateTime(CurrentDateTime());
}

QString DateTimeToText(TDateTime t)
{
    int y, mo, d, h, mi, s, ms;
    DecodeDateTime(t, y, mo, d, h, mi, s, ms);
    if (y < 0 || y > 9999)
        return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
    // Written digit by digit: this runs for every date-time bound or compared, and a formatted
    // print costs forty times as much.
    char16_t text[19];
    auto put = [&text](int at, int value, int width) {
        for (int i = at + width - 1; i >= at; --i, value /= 10)
            text[i] = char16_t(u'0' + value % 10);
    };
    put(0, y, 4);
    text[4] = u'-';
    put(5, mo, 2);
    text[7] = u'-';
    put(8, d, 2);
    text[10] = u' ';
    put(11, h, 2);
    text[13] = u':';
    put(14, mi, 2);
    text[16] = u':';
    put(17, s, 2);
    return QString(reinterpret_cast<const QChar *>(text), 19);
}

} // namespace pelk
