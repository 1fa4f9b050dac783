#include "config/Common.h"
#include "config/Errors.h"
#include "support/FixedClock.h"
#include "support/WarsawZone.h"

#include <QDate>
#include <QLocale>
#include <clocale>
#include <gtest/gtest.h>

using namespace pelk;

namespace {

TDateTime DT(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    return EncodeDate(y, mo, d) + EncodeTime(h, mi, s, ms);
}

std::string Text(TDateTime t)
{
    return DateTimeToText(t).toStdString();
}

} // namespace

TEST(Common, AskYesNoUsesHandlerElseNo)
{
    const QString text = QStringLiteral("Czy przerwać?"), caption = QStringLiteral("Pytanie");
    EXPECT_FALSE(AskYesNo(text, caption));
    QString seen;
    SetAskYesNoHandler([&](const QString &t, const QString &c) {
        seen = t + '|' + c;
        return true;
    });
    EXPECT_TRUE(AskYesNo(text, caption));
    EXPECT_EQ(seen, text + '|' + caption);
    SetAskYesNoHandler(nullptr);
    EXPECT_FALSE(AskYesNo(text, caption));
}

TEST(Common, StringToFloat)
{
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    const std::string cNumeric = std::setlocale(LC_NUMERIC, nullptr);

    EXPECT_DOUBLE_EQ(StringToFloat(QStringLiteral("12.5")), 12.5);
    EXPECT_DOUBLE_EQ(StringToFloat(QStringLiteral("12,5")), 12.5);
    EXPECT_DOUBLE_EQ(StringToFloat(QStringLiteral(" -3 ")), -3.0);
    for (const char *bad : {"abc", "1.234,5", "", "1 000", "nan", "inf"}) {
        try {
            StringToFloat(QString::fromLatin1(bad));
            ADD_FAILURE() << "no exception for " << bad;
        } catch (const Exception &e) {
            EXPECT_EQ(e.message(), "Błąd konwersji typu łańcuchowego na zmiennoprzecinkowy");
        }
    }
    EXPECT_EQ(QLocale().language(), QLocale::Polish);
    EXPECT_EQ(std::setlocale(LC_NUMERIC, nullptr), cNumeric);
    QLocale::setDefault(QLocale::c());
}

TEST(Common, MonthBoundariesAndEncoding)
{
    EXPECT_EQ(LastDayOfMonth(DT(2008, 2, 1)), DT(2008, 2, 29));
    EXPECT_EQ(LastDayOfMonth(DT(2008, 2, 29, 23, 59, 59)), DT(2008, 2, 29));
    EXPECT_EQ(LastDayOfMonth(DT(2009, 1, 31)), DT(2009, 1, 31));
    EXPECT_EQ(LastDayOfMonth(DT(2009, 12, 5)), DT(2009, 12, 31));
    EXPECT_EQ(FirstDayOfMonth(DT(2009, 12, 31, 18, 30)), DT(2009, 12, 1));

    TDateTime out = -1;
    EXPECT_FALSE(TryEncodeDateTimeParts(2009, 2, 29, 0, 0, 0, 0, out));
    EXPECT_EQ(out, -1);
    EXPECT_FALSE(TryEncodeDateTimeParts(2009, 3, 14, 24, 0, 0, 0, out));
    EXPECT_EQ(out, DT(2009, 3, 14)); // the date alone
}

TEST(Common, StrToDateTimeByFormatNumericTokens)
{
    const QString f = QStringLiteral("yyyy-mm-dd hh:nn:ss");
    EXPECT_EQ(StrToDateTimeByFormat(f, QStringLiteral("2009-03-14 10:30:05")), DT(2009, 3, 14, 10, 30, 5));
    EXPECT_EQ(StrToDateTimeByFormat(f, QStringLiteral("2009-03-14")), DT(2009, 3, 14));
    EXPECT_EQ(StrToDateTimeByFormat(f, QStringLiteral("2009-02-30 10:00:00")), 0.0);
    EXPECT_EQ(StrToDateTimeByFormat(f, QStringLiteral("2009-03-xx 10:00:00")), 0.0);
    EXPECT_EQ(StrToDateTimeByFormat(f, QString()), EncodeDate(1, 1, 1));
    EXPECT_EQ(Text(StrToDateTimeByFormat(f, QStringLiteral("1850-06-01 18:15:00"))), "1850-06-01 18:15:00");

    {
        // Two-digit years take the century of the project clock's date.
        const test::ScopedFixedClock clock(QDateTime(QDate(2107, 5, 1), QTime(12, 0)));
        EXPECT_EQ(StrToDateTimeByFormat(QStringLiteral("YY-MM-DD"), QStringLiteral("09-03-14")), EncodeDate(2109, 3, 14));
        EXPECT_EQ(StrToDateTimeByFormat(QStringLiteral("YY-MM-DD"), QStringLiteral("75-03-14")), EncodeDate(2075, 3, 14));
    }
    EXPECT_EQ(StrToDateTimeByFormat(QStringLiteral("dd.mm.yyyy hh:nn:ss.zzz"), QStringLiteral(" 4. 3.2009  7:05:09.120")),
              DT(2009, 3, 4, 7, 5, 9, 120));
}

TEST(Common, StrToDateTimeByFormatNamesAndMarks)
{
    EXPECT_EQ(StrToDateTimeByFormat(QStringLiteral("dddd, dd mmmm yyyy"), QStringLiteral("Saturday, 14 March 2009")),
              DT(2009, 3, 14));
    EXPECT_EQ(StrToDateTimeByFormat(QStringLiteral("ddd dd-mmm-yyyy"), QStringLiteral("sat 14-mar-2009")), DT(2009, 3, 14));
    // An unknown month name consumes nothing, so the rest no longer lines up.
    EXPECT_EQ(StrToDateTimeByFormat(QStringLiteral("dd-mmm-yyyy"), QStringLiteral("14-mrz-2009")), 0.0);

    const QString f = QStringLiteral("yyyy-mm-dd hh:nn ampm");
    EXPECT_EQ(StrToDateTimeByFormat(f, QStringLiteral("2009-03-14 01:15 pm")), DT(2009, 3, 14, 13, 15));
    EXPECT_EQ(StrToDateTimeByFormat(f, QStringLiteral("2009-03-14 12:30 PM")), DT(2009, 3, 14, 12, 30));
    EXPECT_EQ(StrToDateTimeByFormat(f, QStringLiteral("2009-03-14 12:05 AM")), DT(2009, 3, 14, 0, 5));
    EXPECT_EQ(Text(StrToDateTimeByFormat(QStringLiteral("hh:nn ap"), QStringLiteral("09:00 p"))), "0001-01-01 21:00:00");
}

TEST(Common, UtcAndLocalInWarsaw)
{
    ASSERT_TRUE(test::kWarsawZone);
    EXPECT_EQ(Text(UTCToLocal(DT(2009, 1, 15, 12))), "2009-01-15 13:00:00");
    EXPECT_EQ(Text(UTCToLocal(DT(2009, 7, 15, 12))), "2009-07-15 14:00:00");
    EXPECT_EQ(Text(LocalToUTC(DT(2009, 7, 15, 14))), "2009-07-15 12:00:00");
    // The offset is the one in force at the local time read as UTC: off by the change here.
    EXPECT_EQ(Text(LocalToUTC(DT(2009, 3, 29, 1, 30))), "2009-03-28 23:30:00");

    // Round trips hour by hour across both changes of 2009 (01:00 UTC on 29 March and
    // 25 October); only the windows just before each change are off, by the change.
    for (TDateTime start : {DT(2009, 3, 27), DT(2009, 10, 23)}) {
        for (int h = 0; h < 5 * 24; ++h) {
            const TDateTime utc = start + h / 24.0 + 0.25 / 24.0;
            const TDateTime back = LocalToUTC(UTCToLocal(utc));
            const bool springWindow = utc > DT(2009, 3, 29, 0) && utc < DT(2009, 3, 29, 1);
            const bool autumnWindow = utc > DT(2009, 10, 24, 23) && utc < DT(2009, 10, 25, 1);
            if (springWindow)
                EXPECT_NEAR(back, utc - 1.0 / 24, 1e-9) << Text(utc);
            else if (autumnWindow)
                EXPECT_NEAR(back, utc + 1.0 / 24, 1e-9) << Text(utc);
            else
                EXPECT_NEAR(back, utc, 1e-9) << Text(utc);
        }
    }
}
