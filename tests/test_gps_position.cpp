// Positions of archive frames: local times and the UTM grid of zone 34.
#include "config/Common.h"
#include "gps/DSLocatePozycja.h"
#include "gps/UtmProjection.h"
#include "support/WarsawZone.h"

#include <cmath>
#include <gtest/gtest.h>
#include <thread>

using namespace pelk;

namespace {

TDSLocatePozycja Projected(double lon, double lat)
{
    TDSLocatePozycja p;
    p.DlugoscGeo = lon;
    p.SzerokoscGeo = lat;
    p.ObliczWspolXYKm();
    return p;
}

double Rad(double degrees)
{
    return degrees * 3.1415926535897932385 / 180;
}

} // namespace

TEST(GpsPosition, ProjectsIntoZone34ToTheMillimetre)
{
    struct Case
    {
        double lon, lat, easting, northing;
    };
    const Case cases[] = {
        {21, 52, 500000.000, 5761038.213},  // on the central meridian
        {19, 50, 356670.876, 5540547.370},  // in the western neighbour's band: still zone 34
        {21, -10, 500000.000, 8894587.509}, // south: zone -34, false northing 10000000 m
    };
    for (const Case &c : cases) {
        const TDSLocatePozycja p = Projected(c.lon, c.lat);
        EXPECT_NEAR(p.WspolX, c.easting, 0.0005) << c.lon << " " << c.lat;
        EXPECT_NEAR(p.WspolY, c.northing, 0.0005) << c.lon << " " << c.lat;
    }
}

TEST(GpsPosition, ZoneIsSettledByTheFirstPoint)
{
    TPelk_CSProjUniversalTransverseMercatorZone fixed(34);
    fixed.Project(Rad(21), Rad(-1));
    EXPECT_EQ(fixed.Zone(), -34);
    // Later points keep the zone and its false northing, north of the equator too.
    EXPECT_GT(fixed.Project(Rad(21), Rad(1)).northing, 10000000.0);
    EXPECT_EQ(fixed.Zone(), -34);

    TPelk_CSProjUniversalTransverseMercatorZone free(0);
    const GridPoint p = free.Project(Rad(19), Rad(50));
    EXPECT_EQ(free.Zone(), 34);
    EXPECT_NEAR(p.easting, 356670.876, 0.0005);
    TPelk_CSProjUniversalTransverseMercatorZone west(0);
    west.Project(Rad(17.9), Rad(50));
    EXPECT_EQ(west.Zone(), 33);
    TPelk_CSProjUniversalTransverseMercatorZone edge(0);
    edge.Project(Rad(180), Rad(50));
    EXPECT_GE(edge.Zone(), 1);
    EXPECT_LE(edge.Zone(), 60);
}

TEST(GpsPosition, ThreadsProjectIndependently)
{
    double results[4] = {};
    std::thread threads[4];
    for (int i = 0; i < 4; ++i)
        threads[i] = std::thread([&results, i] {
            for (int n = 0; n < 200; ++n)
                results[i] = Projected(19, 50).WspolX;
        });
    for (std::thread &t : threads)
        t.join();
    for (double r : results)
        EXPECT_NEAR(r, 356670.876, 0.0005);
}

TEST(GpsPosition, FrameTimesBecomeLocalTimes)
{
    ASSERT_TRUE(test::kWarsawZone);
    EXPECT_EQ(DateTimeToText(TDSLocatePozycja::SetCzas(0)), QStringLiteral("1970-01-01 01:00:00"));
    EXPECT_EQ(DateTimeToText(TDSLocatePozycja::SetCzas(1199145600)), QStringLiteral("2008-01-01 01:00:00"));
    EXPECT_EQ(DateTimeToText(TDSLocatePozycja::SetCzas(1214870400)), QStringLiteral("2008-07-01 02:00:00"));
    // The none marker read as unsigned: 2038-01-19 03:14:08 UTC.
    EXPECT_EQ(DateTimeToText(TDSLocatePozycja::SetCzas(quint32(kBrakWartosci))), QStringLiteral("2038-01-19 04:14:08"));
}
