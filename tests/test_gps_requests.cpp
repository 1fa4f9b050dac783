// The requests sent to the GPS server.
#include "config/Common.h"
#include "gps/DSLocateMsg.h"
#include "support/WarsawZone.h"

#include <gtest/gtest.h>

using namespace pelk;

namespace {

// The local date-time of a UTC instant.
TDateTime LocalOfUtc(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    return UTCToLocal(EncodeDate(y, mo, d) + EncodeTime(h, mi, s, ms));
}

} // namespace

TEST(GpsRequests, ConversationTextsAndIdentifiers)
{
    TDSLocateMsg msg;
    EXPECT_EQ(msg.LoginMsg(QStringLiteral("jan"), QStringLiteral("1a7fcdd5a9fd433523268883cfded9d0")),
              QStringLiteral("<login opid=\"1\"  user=\"jan\" password=\"1a7fcdd5a9fd433523268883cfded9d0\" protocol=\"2\" />"));
    EXPECT_EQ(msg.RequestVehiclesMsg(), QStringLiteral("<requestvehicles opid=\"3\"  />"));
    EXPECT_EQ(msg.RequestArchiveMsg(QStringLiteral("12"), LocalOfUtc(2008, 1, 1), LocalOfUtc(2008, 1, 1, 23, 59, 59)),
              QStringLiteral("<requestarchive opid=\"5\"  vehicle=\"12\" from=\"1199145600\" to=\"1199231999\" />"));
    msg.ResetOpid();
    EXPECT_EQ(msg.RequestVehiclesMsg(), QStringLiteral("<requestvehicles opid=\"1\"  />"));
}

TEST(GpsRequests, IdentifierWrapsAfterTheLargestInteger)
{
    TDSLocateMsg msg(2147483645);
    EXPECT_EQ(msg.RequestVehiclesMsg(), QStringLiteral("<requestvehicles opid=\"2147483645\"  />"));
    EXPECT_EQ(msg.RequestVehiclesMsg(), QStringLiteral("<requestvehicles opid=\"2147483647\"  />"));
    EXPECT_EQ(msg.RequestVehiclesMsg(), QStringLiteral("<requestvehicles opid=\"1\"  />"));
    EXPECT_EQ(msg.RequestVehiclesMsg(), QStringLiteral("<requestvehicles opid=\"3\"  />"));
}

TEST(GpsRequests, ValuesGoUnescapedAndAsWindows1250Bytes)
{
    TDSLocateMsg msg;
    const QString login = msg.LoginMsg(QStringLiteral("a\"b<c"), QStringLiteral("h"));
    EXPECT_EQ(login, QStringLiteral("<login opid=\"1\"  user=\"a\"b<c\" password=\"h\" protocol=\"2\" />"));
    const QByteArray line = TDSLocateMsg::Line(msg.RequestArchiveMsg(QStringLiteral("Łódź"), 25569, 25569));
    EXPECT_TRUE(line.contains(QByteArray("vehicle=\"\xA3\xF3"
                                         "d\x9F\"")));
    EXPECT_TRUE(line.endsWith("/>\r\n"));
}

TEST(GpsRequests, PasswordHashIsLowercaseMd5OfTheCodePageBytes)
{
    EXPECT_EQ(TDSLocateMsg::PasswordHash(QStringLiteral("haslo123")), QStringLiteral("1a7fcdd5a9fd433523268883cfded9d0"));
    EXPECT_EQ(TDSLocateMsg::PasswordHash(QStringLiteral("Hasło: żółć")), QStringLiteral("9419dd4384fa40e0e92d7586e20681cf"));
}

TEST(GpsRequests, TimesAreUtcSecondsRoundedHalfToEven)
{
    struct Case
    {
        TDateTime local;
        quint32 seconds;
    };
    const Case cases[] = {
        {LocalOfUtc(2008, 1, 1), 1199145600u},
        {LocalOfUtc(2008, 7, 1), 1214870400u},               // summer time: two hours' offset
        {LocalOfUtc(2008, 1, 1, 0, 0, 0, 500), 1199145600u}, // half a second: to the even
        {LocalOfUtc(2008, 1, 1, 0, 0, 1, 500), 1199145602u},
        {LocalOfUtc(2008, 1, 1, 0, 0, 1, 499), 1199145601u},
        {LocalOfUtc(2106, 2, 7, 6, 28, 17), 1u}, // only the low 32 bits
    };
    for (const Case &c : cases)
        EXPECT_EQ(TDSLocateMsg::EncodeTime(c.local), c.seconds) << DateTimeToText(c.local).toStdString();
}
