#include "config/Clock.h"
#include "config/Common.h"
#include "config/DateTime.h"
#include "config/Errors.h"
#include "config/NumberText.h"
#include "config/Variant.h"
#include "support/FixedClock.h"

#include <ctime>
#include <gtest/gtest.h>

using namespace pelk;

TEST(NumberText, GeneralFormIndependentOfLocale)
{
    EXPECT_EQ(FloatToText(1234.5), "1234.5");
    EXPECT_EQ(FloatToText(0.5), "0.5");
    EXPECT_EQ(FloatToText(1234567.25), "1234567.25");
    EXPECT_EQ(FloatToText(-2.0), "-2");
    EXPECT_EQ(FloatToText(1e20), "1E20");
    EXPECT_EQ(FloatToText(0.0001), "0.0001");
    EXPECT_EQ(FloatToText(1.5e-7), "1.5E-7");
    EXPECT_EQ(FloatToText(0.1 + 0.2), "0.3");
    EXPECT_EQ(FloatToText(100000000000000.0), "100000000000000");
    // At the layout bounds: 15 digits before the point, 5 zeros after it.
    EXPECT_EQ(FloatToText(1e15), "1E15");
    EXPECT_EQ(FloatToText(-999999999999999.0), "-999999999999999");
    EXPECT_EQ(FloatToText(-0.000123), "-0.000123");
    EXPECT_EQ(FloatToText(0.00001), "0.00001");
    EXPECT_EQ(FloatToText(0.000001), "1E-6");
    EXPECT_EQ(FloatToText(1.7976931348623157e308), "1.79769313486232E308");
    EXPECT_EQ(FloatToText(-5e-324), "-4.94065645841247E-324");
    EXPECT_EQ(FloatToText(1234.5678), "1234.5678");
}

TEST(NumberText, ParsesPointOrCommaOnly)
{
    bool ok = false;
    EXPECT_DOUBLE_EQ(TextToFloat(" 12.5 ", &ok), 12.5);
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(TextToFloat("12,5", &ok), 12.5);
    EXPECT_TRUE(ok);
    TextToFloat("1.234,5", &ok);
    EXPECT_FALSE(ok);
    TextToFloat("abc", &ok);
    EXPECT_FALSE(ok);
    TextToFloat("", &ok);
    EXPECT_FALSE(ok);
}

TEST(Variant, TypeNamesAndCodes)
{
    EXPECT_EQ(VarTypeName(varOleStr), "OleStr");
    EXPECT_EQ(VarTypeName(varString), "String");
    EXPECT_EQ(VarTypeName(14), "");
    EXPECT_EQ(VarTypeFromName("date"), varDate);
    EXPECT_EQ(VarTypeFromName("nonsense"), 0);
    EXPECT_EQ(VarTypeFromName(""), 14);
}

TEST(Variant, StrictTextOfNullRaises)
{
    EXPECT_THROW(Variant::Null().toString(), EVariantError);
    EXPECT_EQ(Variant().toString(), "");
    EXPECT_EQ(Variant(true).toString(), "True");
    EXPECT_EQ(Variant::Date(EncodeDate(2009, 3, 14)).toString(), "2009-03-14 00:00:00");
    EXPECT_EQ(Variant(2.5).toString(), "2.5");
}

TEST(Variant, ConversionsCheckRange)
{
    EXPECT_EQ(Variant("42").convertTo(varInteger).toInt(), 42);
    EXPECT_THROW(Variant("4x").convertTo(varInteger), EVariantError);
    EXPECT_THROW(Variant(70000).convertTo(varSmallint), EVariantError);
    EXPECT_TRUE(Variant("true").convertTo(varBoolean).toBool());
    EXPECT_EQ(Variant("2009-03-14 10:30:05").convertTo(varDate).toString(), "2009-03-14 10:30:05");
    EXPECT_EQ(Variant(3), Variant(3.0));
}

TEST(DateTime, DayNumbersAndTextForm)
{
    EXPECT_DOUBLE_EQ(EncodeDate(1970, 1, 1), UnixDateDelta);
    EXPECT_EQ(DateTimeToText(EncodeDate(2026, 12, 8)), "2026-12-08 00:00:00");
    EXPECT_EQ(DateTimeToText(EncodeDate(2009, 3, 14) + EncodeTime(23, 59, 59, 999)), "2009-03-14 23:59:59");
    EXPECT_THROW(EncodeDate(2009, 2, 30), EConvertError);
}

struct DateTimeTextCase
{
    const char *name;
    const char *text;
    bool valid;
    const char *readAs; // the text form of the value read, when valid
};

class DateTimeText : public ::testing::TestWithParam<DateTimeTextCase>
{};

TEST_P(DateTimeText, ReadsOnlyTheOneFormAndRealDates)
{
    const DateTimeTextCase &c = GetParam();
    TDateTime value = -7;
    EXPECT_EQ(TextToDateTime(QString::fromUtf8(c.text), value), c.valid);
    if (c.valid)
        EXPECT_EQ(DateTimeToText(value), QString::fromUtf8(c.readAs));
    else
        EXPECT_EQ(value, -7); // untouched
}

INSTANTIATE_TEST_SUITE_P(Texts, DateTimeText,
                         ::testing::Values(DateTimeTextCase{"DateAndTime", "2009-03-14 08:30:05", true, "2009-03-14 08:30:05"},
                                           DateTimeTextCase{"DateAlone", "2009-03-14", true, "2009-03-14 00:00:00"},
                                           DateTimeTextCase{"LeapDay", "2008-02-29 23:59:59", true, "2008-02-29 23:59:59"},
                                           DateTimeTextCase{"BeforeTheEpoch", "1899-12-29 06:00:00", true, "1899-12-29 06:00:00"},
                                           DateTimeTextCase{"NoLeapDay", "2009-02-29", false, ""},
                                           DateTimeTextCase{"Month13", "2009-13-01", false, ""},
                                           DateTimeTextCase{"Hour24", "2009-03-14 24:00:00", false, ""},
                                           DateTimeTextCase{"Second60", "2009-03-14 23:59:60", false, ""},
                                           DateTimeTextCase{"YearZero", "0000-01-01", false, ""},
                                           DateTimeTextCase{"OneDigitMonth", "2009-3-14", false, ""},
                                           DateTimeTextCase{"OneDigitHour", "2009-03-14 8:30:05", false, ""},
                                           DateTimeTextCase{"IsoSeparator", "2009-03-14T08:30:05", false, ""},
                                           DateTimeTextCase{"Milliseconds", "2009-03-14 08:30:05.250", false, ""},
                                           DateTimeTextCase{"Letter", "2009-0a-14", false, ""},
                                           DateTimeTextCase{"Signed", "+009-03-14", false, ""},
                                           DateTimeTextCase{"Padded", " 2009-03-14", false, ""}),
                         [](const ::testing::TestParamInfo<DateTimeTextCase> &info) { return std::string(info.param.name); });

TEST(DateTime, TextFormPadsEveryField)
{
    // Before the epoch the time of day still counts forward from the day's start.
    EXPECT_EQ(DateTimeToText(EncodeDate(99, 1, 2) - EncodeTime(3, 4, 5, 0)), "0099-01-02 03:04:05");
    TDateTime back = 0;
    ASSERT_TRUE(TextToDateTime(QStringLiteral("0099-01-02 03:04:05"), back));
    EXPECT_DOUBLE_EQ(back, EncodeDate(99, 1, 2) - EncodeTime(3, 4, 5, 0));
}

TEST(DateTime, ValuesBeforeTheEpochKeepTheirTimeOfDay)
{
    const QDateTime dt(QDate(1899, 12, 29), QTime(6, 0));
    EXPECT_DOUBLE_EQ(FromQDateTime(dt), -1.25);
    EXPECT_EQ(ToQDateTime(-1.25), dt);
    const QDateTime old(QDate(1850, 7, 1), QTime(13, 45, 10));
    EXPECT_EQ(ToQDateTime(FromQDateTime(old)), old);
}

TEST(Clock, NowFollowsTheInstalledClockAndTheSystemClockComesBack)
{
    const QDateTime fixed(QDate(2009, 3, 14), QTime(8, 30, 0));
    {
        test::ScopedFixedClock clock(fixed);
        EXPECT_EQ(DateTimeToText(Now()), QStringLiteral("2009-03-14 08:30:00"));
        clock->AddSecs(90);
        EXPECT_EQ(DateTimeToText(Now()), QStringLiteral("2009-03-14 08:31:30"));
    }
    EXPECT_LT(std::abs(Now() - FromQDateTime(QDateTime::currentDateTime())), 1.0 / 24);
}

TEST(Clock, PinningTheSystemZoneKeepsEveryLocalOffsetAndASetZone)
{
    const QByteArray saved = qgetenv("TZ");
    const bool wasSet = qEnvironmentVariableIsSet("TZ");
    auto offsets = [] {
        QList<int> out;
        for (const QDate day : {QDate(2026, 1, 15), QDate(2026, 3, 29), QDate(2026, 7, 1), QDate(2026, 10, 25)})
            out << QDateTime(day, QTime(12, 0)).offsetFromUtc();
        return out;
    };

    qunsetenv("TZ");
    tzset();
    const QList<int> system = offsets();
    PinSystemTimeZone();
    EXPECT_EQ(qgetenv("TZ"), QByteArray(":/etc/localtime"));
    EXPECT_EQ(offsets(), system);

    qputenv("TZ", "America/New_York");
    PinSystemTimeZone();
    EXPECT_EQ(qgetenv("TZ"), QByteArray("America/New_York"));

    if (wasSet)
        qputenv("TZ", saved);
    else
        qunsetenv("TZ");
    tzset();
}
