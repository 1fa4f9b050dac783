#include "UtmProjection.h"

#include "config/Errors.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <proj.h>

namespace pelk {

namespace {

constexpr double kPi = 3.1415926535897932385;

// PROJ objects are not shared between threads: each thread keeps one per zone it used.
class ThreadProjections
{
public:
    ThreadProjections() : m_context(proj_context_create()) {}
    ~ThreadProjections()
    {
        for (const auto &entry : m_byZone)
            proj_destroy(entry.second);
        proj_context_destroy(m_context);
    }
    ThreadProjections(const ThreadProjections &) = delete;
    ThreadProjections &operator=(const ThreadProjections &) = delete;

    PJ *ForZone(int zone)
    {
        auto it = m_byZone.find(zone);
        if (it != m_byZone.end())
            return it->second;
        const QByteArray definition = QStringLiteral("+proj=utm +zone=%1%2 +ellps=WGS84 +approx")
                                          .arg(std::abs(zone))
                                          .arg(zone < 0 ? QStringLiteral(" +south") : QString())
                                          .toLatin1();
        PJ *pj = proj_create(m_context, definition.constData());
        if (!pj)
            throw Exception(QStringLiteral("Błąd projekcji UTM strefy %1: %2").arg(zone).arg(ErrorText()));
        m_byZone.emplace(zone, pj);
        return pj;
    }

    QString ErrorText() const { return QString::fromUtf8(proj_context_errno_string(m_context, proj_context_errno(m_context))); }

private:
    PJ_CONTEXT *m_context;
    std::map<int, PJ *> m_byZone;
};

ThreadProjections &Projections()
{
    thread_local ThreadProjections projections;
    return projections;
}

int ZoneOfLongitude(double longitudeRad)
{
    const double lambda = std::remainder(longitudeRad, 2 * kPi); // into -pi..pi
    return int(std::floor((lambda + kPi) * 30 / kPi)) + 1;
}

} // namespace

GridPoint TPelk_CSProjUniversalTransverseMercatorZone::Project(double longitudeRad, double latitudeRad)
{
    if (m_zone == 0) {
        const int zone = std::clamp(m_fixedZone != 0 ? m_fixedZone : ZoneOfLongitude(longitudeRad), 1, 60);
        m_zone = latitudeRad < 0 ? -zone : zone;
    }
    PJ *pj = Projections().ForZone(m_zone);
    const PJ_COORD out = proj_trans(pj, PJ_FWD, proj_coord(longitudeRad, latitudeRad, 0, 0));
    if (!std::isfinite(out.enu.e) || !std::isfinite(out.enu.n))
        throw Exception(QStringLiteral("Błąd projekcji UTM strefy %1: %2").arg(m_zone).arg(Projections().ErrorText()));
    return {out.enu.e, out.enu.n};
}

} // namespace pelk
