#pragma once
// One archive frame as a position: local time, geographic and grid coordinates, engine state
// and the values the frame carried.
#include "config/DateTime.h"

#include <QString>
#include <limits>

namespace pelk {

// An integer value the frame did not carry.
inline constexpr qint32 kBrakWartosci = std::numeric_limits<qint32>::min();

class TDSLocatePozycja
{
public:
    QString NrPojazdu;        // the server's vehicle identifier of the archive
    QString NazwaPojazdu;     // the vehicle's registration number
    QString Urzadzenie;       // the frame's "device"
    TDateTime Czas = 0;       // local time
    double DlugoscGeo = 0;    // degrees, east positive
    double SzerokoscGeo = 0;  // degrees, north positive
    double WspolX = 0;        // grid easting, metres
    double WspolY = 0;        // grid northing, metres
    qint32 StatusSilnika = 0; // 1 running, 0 off, -1 not read
    qint32 Predkosc = 0;
    qint32 Dystans = 0;
    qint32 Kierunek = 0;
    qint32 IloscSatelit = 0;
    double IloscPaliwa = 0; // -1 when not read
    QString NazwaKierowcy;

    // The local date-time of a frame's "time": seconds since 1970-01-01 00:00:00 UTC.
    static TDateTime SetCzas(quint32 seconds);
    // Projects DlugoscGeo/SzerokoscGeo into WspolX/WspolY: UTM zone 34 on WGS 84 (zone -34,
    // false northing 10000000 m, south of the equator). Metres, not kilometres.
    void ObliczWspolXYKm();
};

} // namespace pelk
