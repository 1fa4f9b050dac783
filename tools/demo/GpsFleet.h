#pragma once
// The demo's fleet: vehicles the GPS server simulator tracks and the GIS maps by registration
// number, each with its driver in a territory of its own.
#include <QList>
#include <QString>
#include <QStringList>

namespace pelk::demo {

struct FleetVehicle
{
    const char *id;           // the server's identifier
    const char *registration; // OB_MAP1 of the GIS vehicle
    const char *type;
    const char *driver;
    const char *territory;
};

class GpsFleet
{
public:
    static const QList<FleetVehicle> &Vehicles();
    // The vehicles, drivers, territories and their relations (212 vehicle, 207 driver, source
    // 802) for the GIS; adds only what is missing.
    static QString GisObjects();
    // The simulator's --vehicle switches.
    static QStringList SimulatorArguments();
    // The registration numbers as the setting Pojazdy lists them.
    static QString Pojazdy();
};

} // namespace pelk::demo
