#include "Common.h"

#include "Clock.h"
#include "Errors.h"
#include "NumberText.h"

#include <QDate>
#include <QLocale>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>
#include <QTime>
#include <cmath>

namespace pelk {

namespace {

QMutex g_askMutex;
AskYesNoHandler g_askHandler;

// Date plus time of day; before 1899-12-30 the time counts away from zero, as DecodeDateTime
// reads it.
TDateTime Compose(TDateTime date, TDateTime time)
{
    return date < 0 ? date - time : date + time;
}

QDateTime DecodeAsUtc(TDateTime t)
{
    int y, mo, d, h, mi, s, ms;
    DecodeDateTime(t, y, mo, d, h, mi, s, ms);
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
}

TDateTime Encode(const QDateTime &dt)
{
    const QDate d = dt.date();
    const QTime tm = dt.time();
    TDateTime date = 0, time = 0;
    if (!TryEncodeDate(d.year(), d.month(), d.day(), date)
        || !TryEncodeTime(tm.hour(), tm.minute(), tm.second(), tm.msec(), time))
        throw EConvertError(QStringLiteral("Invalid argument to date encode"));
    return Compose(date, time);
}

QString UpperAscii(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - ('a' - 'A'));
    return out;
}

// A number of the date-time text; anything that is not one counts as 0.
int NumberOrZero(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : 0;
}

bool IsDateToken(const QString &token)
{
    static const QStringList tokens = {
        QStringLiteral("DD"),   QStringLiteral("DDD"), QStringLiteral("DDDD"), QStringLiteral("MM"),   QStringLiteral("MMM"),
        QStringLiteral("MMMM"), QStringLiteral("YY"),  QStringLiteral("YYY"),  QStringLiteral("YYYY"), QStringLiteral("HH"),
        QStringLiteral("NN"),   QStringLiteral("SS"),  QStringLiteral("ZZ"),   QStringLiteral("ZZZ"),  QStringLiteral("AP"),
        QStringLiteral("AM"),   QStringLiteral("AMP"), QStringLiteral("AMPM")};
    return tokens.contains(token);
}

// Long names in the C locale, upper-cased: days Sunday first, months January first.
const QStringList &DayNames()
{
    static const QStringList names = [] {
        QStringList n;
        const QLocale c = QLocale::c();
        n << UpperAscii(c.dayName(7, QLocale::LongFormat));
        for (int d = 1; d <= 6; ++d)
            n << UpperAscii(c.dayName(d, QLocale::LongFormat));
        return n;
    }();
    return names;
}

const QStringList &MonthNames()
{
    static const QStringList names = [] {
        QStringList n;
        const QLocale c = QLocale::c();
        for (int m = 1; m <= 12; ++m)
            n << UpperAscii(c.monthName(m, QLocale::LongFormat));
        return n;
    }();
    return names;
}

// Index of the name whose first three letters open the text; -1 when none does.
int MatchName(const QStringList &names, const QString &text)
{
    const QString head = text.left(3);
    if (head.size() < 3)
        return -1;
    for (int i = 0; i < names.size(); ++i)
        if (names.at(i).left(3) == head)
            return i;
    return -1;
}

} // namespace

void SetAskYesNoHandler(AskYesNoHandler handler)
{
    QMutexLocker lock(&g_askMutex);
    g_askHandler = std::move(handler);
}

bool AskYesNo(const QString &text, const QString &caption)
{
    AskYesNoHandler handler;
    {
        QMutexLocker lock(&g_askMutex);
        handler = g_askHandler;
    }
    return handler ? handler(text, caption) : false;
}

double StringToFloat(const QString &text)
{
    bool ok = false;
    const double value = TextToFloat(text, &ok);
    if (!ok || !std::isfinite(value))
        throw Exception(QStringLiteral("Błąd konwersji typu łańcuchowego na zmiennoprzecinkowy"));
    return value;
}

TDateTime UTCToLocal(TDateTime t)
{
    return Encode(DecodeAsUtc(t).toLocalTime());
}

TDateTime LocalToUTC(TDateTime t)
{
    const QDateTime asUtc = DecodeAsUtc(t);
    const int offset = asUtc.toLocalTime().offsetFromUtc();
    return Encode(asUtc.addSecs(-offset));
}

TDateTime FirstDayOfMonth(TDateTime d)
{
    int y, mo, day, h, mi, s, ms;
    DecodeDateTime(d, y, mo, day, h, mi, s, ms);
    return EncodeDate(y, mo, 1);
}

TDateTime LastDayOfMonth(TDateTime d)
{
    int y, mo, day, h, mi, s, ms;
    DecodeDateTime(d, y, mo, day, h, mi, s, ms);
    return EncodeDate(y, mo, QDate(y, mo, 1).daysInMonth());
}

bool TryEncodeDateTimeParts(int year, int month, int day, int hour, int minute, int second, int msec, TDateTime &out)
{
    TDateTime date = 0;
    if (!TryEncodeDate(year, month, day, date))
        return false;
    TDateTime time = 0;
    if (!TryEncodeTime(hour, minute, second, msec, time)) {
        out = date;
        return false;
    }
    out = Compose(date, time);
    return true;
}

bool SameText(QStringView a, QStringView b)
{
    return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
}

bool SameText(QLatin1StringView a, QStringView b)
{
    return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
}

bool TextToDateTime(QStringView text, TDateTime &out)
{
    if (text.size() != 10 && text.size() != 19)
        return false;
    // The digits at `at`, `width` of them; -1 when any is no digit.
    auto number = [text](int at, int width) {
        int value = 0;
        for (int i = at; i < at + width; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9')
                return -1;
            value = value * 10 + (c - u'0');
        }
        return value;
    };
    if (text[4] != u'-' || text[7] != u'-')
        return false;
    const bool withTime = text.size() == 19;
    if (withTime && (text[10] != u' ' || text[13] != u':' || text[16] != u':'))
        return false;
    TDateTime value = 0;
    if (!TryEncodeDateTimeParts(number(0, 4), number(5, 2), number(8, 2), withTime ? number(11, 2) : 0,
                                withTime ? number(14, 2) : 0, withTime ? number(17, 2) : 0, 0, value))
        return false;
    out = value;
    return true;
}

namespace {

QString TakeFront(QString &rest, int n)
{
    const QString part = rest.left(n);
    rest.remove(0, n);
    return part;
}

// What StrToDateTimeByFormat reads, token by token; a field the format lacks keeps its
// default (0001-01-01 00:00:00.000).
struct DateTimeFields
{
    int year = 1, month = 1, day = 1, hour = 0, minute = 0, second = 0, msec = 0;
    enum { NoMark, AmMark, PmMark } mark = NoMark;

    // Reads a date token (D, M, Y) from the front of `rest`; false for any other token.
    bool TakeDate(const QString &token, QString &rest);
    // Reads a time token (H, N, S, Z and the AM/PM marks) from the front of `rest`.
    void TakeTime(const QString &token, QString &rest);
    // The fields as a date-time, or 0 when they name no valid instant.
    TDateTime Value() const;
};

bool DateTimeFields::TakeDate(const QString &token, QString &rest)
{
    if (token == QLatin1String("DD")) {
        day = NumberOrZero(TakeFront(rest, 2).trimmed());
    } else if (token == QLatin1String("DDD")) {
        TakeFront(rest, 3);
    } else if (token == QLatin1String("DDDD")) {
        const int k = MatchName(DayNames(), rest);
        if (k >= 0)
            TakeFront(rest, DayNames().at(k).size());
    } else if (token == QLatin1String("MM")) {
        month = NumberOrZero(TakeFront(rest, 2).trimmed());
    } else if (token == QLatin1String("MMM") || token == QLatin1String("MMMM")) {
        const int k = MatchName(MonthNames(), rest);
        if (k >= 0) {
            month = k + 1;
            TakeFront(rest, token.size() == 3 ? 3 : MonthNames().at(k).size());
        }
    } else if (token == QLatin1String("YY")) {
        const int n = NumberOrZero(TakeFront(rest, 2));
        const int century = CurrentDateTime().date().year() / 100 * 100;
        year = n < 50 ? century + n : century - 100 + n;
    } else if (token == QLatin1String("YYYY")) {
        year = NumberOrZero(TakeFront(rest, 4));
    } else {
        return false;
    }
    return true;
}

void DateTimeFields::TakeTime(const QString &token, QString &rest)
{
    if (token == QLatin1String("HH"))
        hour = NumberOrZero(TakeFront(rest, 2).trimmed());
    else if (token == QLatin1String("NN"))
        minute = NumberOrZero(TakeFront(rest, 2).trimmed());
    else if (token == QLatin1String("SS"))
        second = NumberOrZero(TakeFront(rest, 2).trimmed());
    else if (token == QLatin1String("ZZ") || token == QLatin1String("ZZZ"))
        msec = NumberOrZero(TakeFront(rest, 3).trimmed());
    else if (token == QLatin1String("AP"))
        mark = TakeFront(rest, 1) == QLatin1String("A") ? AmMark : PmMark;
    else if (token.startsWith(QLatin1String("AM")))
        mark = TakeFront(rest, 2) == QLatin1String("AM") ? AmMark : PmMark;
    // "YYY" and letters that form no token consume nothing.
}

TDateTime DateTimeFields::Value() const
{
    // Twelve-hour clock: 12 AM is midnight, 12 PM is noon.
    int hour24 = hour;
    if (mark == PmMark && hour < 12)
        hour24 += 12;
    else if (mark == AmMark && hour == 12)
        hour24 = 0;
    TDateTime result = 0;
    return TryEncodeDateTimeParts(year, month, day, hour24, minute, second, msec, result) ? result : 0;
}

// The token starting at `i` of the upper-cased format: the longest run of letters that forms
// a token; `i` moves past it.
QString NextToken(const QString &fmt, int &i)
{
    QString token(fmt.at(i++));
    while (i < fmt.size() && IsDateToken(token + fmt.at(i)))
        token += fmt.at(i++);
    return token;
}

} // namespace

TDateTime StrToDateTimeByFormat(const QString &format, const QString &text)
{
    static const QString tokenLetters = QStringLiteral("ADHMNPSYZ");
    const QString fmt = UpperAscii(format);
    QString rest = UpperAscii(text);
    DateTimeFields fields;
    int i = 0;
    // The last format character never starts a token.
    while (i < fmt.size() - 1 && !rest.isEmpty()) {
        if (!tokenLetters.contains(fmt.at(i))) {
            // A separator skips one character of the text, never its last.
            if (rest.size() > 1)
                rest.remove(0, 1);
            ++i;
            continue;
        }
        const QString token = NextToken(fmt, i);
        if (!fields.TakeDate(token, rest))
            fields.TakeTime(token, rest);
    }
    return fields.Value();
}

} // namespace pelk
