#pragma once
// The Universal Transverse Mercator grid on WGS 84, with a zone that can be fixed whatever
// the longitude: the ellipsoidal series of the PROJ library's tmerc ("+approx").

namespace pelk {

struct GridPoint
{
    double easting = 0;  // metres
    double northing = 0; // metres
};

class TPelk_CSProjUniversalTransverseMercatorZone
{
public:
    // fixedZone 0: the zone follows the first longitude projected (the system fixes zone 34,
    // the grid EPSG 32634).
    explicit TPelk_CSProjUniversalTransverseMercatorZone(int fixedZone) : m_fixedZone(fixedZone) {}

    // Zone in use, negative in the southern hemisphere; 0 before the first projection.
    int Zone() const { return m_zone; }

    // Radians in, metres out. The first call settles the zone: the fixed one or the
    // longitude's, negated for a negative latitude (false northing 10000000 m). Throws
    // pelk::Exception when the projection fails.
    GridPoint Project(double longitudeRad, double latitudeRad);

private:
    int m_fixedZone;
    int m_zone = 0;
};

} // namespace pelk
