#pragma once
// The Universal Transverse Mercator grid on WGS 84, with a zone that can be fixed whatever
// the longitude: the ellipsoidal series of the PROJ library's tmerc ("+approx").
#include <QString>

namespace pelk {

struct GridPoint
{
    double easting = 0;  // metres
    double northing = 0; // metres
};

class TPelk_CSProjUniversalTransverseMercatorZone
{
public:
    // code and datumName name the grid (the system uses 32634 and "WGS_1984"); the ellipsoid
    // is WGS 84 in any case. fixedZone 0: the zone follows the first longitude projected.
    TPelk_CSProjUniversalTransverseMercatorZone(int code, const QString &datumName, int fixedZone)
        : m_code(code), m_datumName(datumName), m_fixedZone(fixedZone)
    {}

    int Code() const { return m_code; }
    const QString &DatumName() const { return m_datumName; }
    // Zone in use, negative in the southern hemisphere; 0 before the first projection.
    int Zone() const { return m_zone; }

    // Radians in, metres out. The first call settles the zone: the fixed one or the
    // longitude's, negated for a negative latitude (false northing 10000000 m). Throws
    // pelk::Exception when the projection fails.
    GridPoint Project(double longitudeRad, double latitudeRad);

private:
    int m_code;
    QString m_datumName;
    int m_fixedZone;
    int m_zone = 0;
};

} // namespace pelk
