#include "DSLocatePozycja.h"

#include "UtmProjection.h"
#include "config/Common.h"

namespace pelk {

namespace {
constexpr double kPi = 3.1415926535897932385;
}

TDateTime TDSLocatePozycja::SetCzas(quint32 seconds)
{
    return UTCToLocal(seconds / 86400.0 + UnixDateDelta);
}

void TDSLocatePozycja::ObliczWspolXYKm()
{
    TPelk_CSProjUniversalTransverseMercatorZone projection(34);
    const GridPoint p = projection.Project(DlugoscGeo * kPi / 180, SzerokoscGeo * kPi / 180);
    WspolX = p.easting;
    WspolY = p.northing;
}

} // namespace pelk
