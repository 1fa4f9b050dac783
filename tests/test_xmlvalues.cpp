// The texts of values in object files: floats and date-times in their XML forms, the offset of
// each instant's own zone rules, and the messages of texts that are no date-time.
#include "config/XmlValues.h"
#include "support/WarsawZone.h"

#include <gtest/gtest.h>

using namespace pelk;

namespace {

TEST(XmlTexts, FloatsAreLocaleIndependent)
{
    EXPECT_EQ(XMLFloatToStr(0.5), "0.5");
    EXPECT_EQ(XMLFloatToStr(1234567.25), "1234567.25");
    EXPECT_EQ(XMLStrToFloat("1234567.25"), 1234567.25);
    EXPECT_THROW(XMLStrToFloat("1 234,5"), EConvertError);
    EXPECT_THROW(XMLStrToFloat(""), EConvertError);
}

TEST(XmlTexts, DateTimesCarryTheOffsetOfTheirOwnInstant)
{
    const TDateTime march = EncodeDate(2009, 3, 14) + EncodeTime(10, 30, 0, 250);
    const TDateTime july = EncodeDate(2009, 7, 14) + EncodeTime(10, 30, 0, 250);
    EXPECT_EQ(LocalTimeZoneBias(march), -60);
    EXPECT_EQ(LocalTimeZoneBias(july), -120);
    EXPECT_EQ(DateTimeToXMLTime(march, true), "2009-03-14T10:30:00.250+01:00");
    EXPECT_EQ(DateTimeToXMLTime(july, true), "2009-07-14T10:30:00.250+02:00");
    EXPECT_EQ(DateTimeToXMLTime(march, false), "2009-03-14T10:30:00.250Z");
    EXPECT_NEAR(XMLTimeToDateTime(DateTimeToXMLTime(july, true)), july, 1e-9);
    EXPECT_NEAR(XMLTimeToDateTime(DateTimeToXMLTime(march, true)), march, 1e-9);

    EXPECT_EQ(XMLTimeToDateTime("2009-03-14"), EncodeDate(2009, 3, 14));
    EXPECT_NEAR(XMLTimeToDateTime("2009-03-14T10:30:00+05:00"), march - 0.25 / 86400, 1e-9);
    EXPECT_NEAR(XMLTimeToDateTime("2009-03-14T10:30:00.250+02:00"), EncodeDate(2009, 3, 14) + EncodeTime(9, 30, 0, 250), 1e-9);
    EXPECT_NEAR(XMLTimeToDateTime("2009-03-14T10:30:00.5Z"), EncodeDate(2009, 3, 14) + EncodeTime(10, 30, 0, 5), 1e-9);
    // A UTC time in July becomes local summer time.
    EXPECT_NEAR(XMLTimeToDateTime("2009-07-14T08:30:00.250-00:00"), july, 1e-9);
}

struct BadDateTime
{
    const char *text;
    const char *message; // null: an impossible date, refused as a plain conversion error
};

// The case as the test list names it.
void PrintTo(const BadDateTime &c, std::ostream *os)
{
    *os << c.text;
}

class XmlBadDateTimes : public ::testing::TestWithParam<BadDateTime>
{};

TEST_P(XmlBadDateTimes, GiveTheirMessages)
{
    const BadDateTime &c = GetParam();
    try {
        XMLTimeToDateTime(QString::fromLatin1(c.text));
        ADD_FAILURE() << "no error for " << c.text;
    } catch (const EXSDateTimeException &e) {
        ASSERT_NE(c.message, nullptr) << e.what();
        EXPECT_EQ(e.message(), QString::fromLatin1(c.message));
    } catch (const EConvertError &e) {
        EXPECT_EQ(c.message, nullptr) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, XmlBadDateTimes,
                         ::testing::Values(BadDateTime{"2009-03-14T10:3", "'10:3' is not a valid time"},
                                           BadDateTime{"2009-03-14T10:30:00.", "'10:30:00.' is not a valid time"},
                                           BadDateTime{"2009-03-14T", "'' is not a valid time"},
                                           BadDateTime{"20x9-03-14T10:30:00", "'20x9-03-14' is not a valid date"},
                                           BadDateTime{"20x9-03-14", "'20x9-03-14' is not a valid date"},
                                           BadDateTime{"2009-03-xxT10:xx:00",
                                                       "'2009-03-xx 10:xx:00' is not a valid date and time"},
                                           BadDateTime{"2009-02-30", nullptr}, BadDateTime{"2009-03-14T10:30:00.1234", nullptr}));

} // namespace
