#pragma once
// The position store: follows each vehicle's engine frame by frame and writes the places where
// it stood with the engine off (stops) to TRASA_GPS, with an estimate of the stop's length
// that is corrected when the engine starts again the same day. Runs on the decoder's thread,
// on a connection of its own.
#include "FaultTally.h"
#include "PositionSink.h"
#include "app/DatabaseHelpers.h"

#include <memory>

namespace pelk {

class Connection;
class Query;
class TLog;

class TDSLocateZapisPozycji : public IDSLocatePositionSink
{
public:
    // dsn: the GIS data source (DSN_PelkGISTrasar).
    TDSLocateZapisPozycji(TLog &log, const QString &dsn);
    ~TDSLocateZapisPozycji() override;

    void SetKonfig(const TDSLocateKonfig *konfig) override { m_konfig = konfig; }
    // Stores the frame when it starts a stop, corrects the stop's length when it ends one the
    // same day; true unless a database step failed. Database errors throw (the decoder reports
    // them) and leave the engine state as it was.
    bool ZapiszPozycje(const TDSLocatePozycja &pozycja) override;
    // Logs how often each mapping error was not logged again, and closes the connection on the
    // thread that opened it.
    void ThreadFinished() override;

    // The vehicle's OB_ID; false when none or more than one object carries the name (logged
    // the first time for the name).
    bool ZnajdzIdPojazdu(Connection &connection, const QString &name, qint64 &pojazdId);
    // The driver's OB_ID; false when none or more than one driver is related (logged the first
    // time for the vehicle).
    bool ZnajdzIdKierowcy(Connection &connection, const QString &name, qint64 pojazdId, qint64 &kierowcaId);

private:
    // The store's connection, created on first use on the calling thread; the transaction
    // bracket opens it, and opens it again after it was lost.
    Connection &Polaczenie();
    // Whether the store's connection is open or could be opened. A GIS that cannot be reached
    // is tried again once a minute, not for every stop (each failure is logged, and mailed):
    // the stops in between are counted and left to the next run, which goes on from the last
    // stop stored.
    bool Osiagalna(Connection &connection);
    // The field of the query's only row; false (logging `none` or `many`) otherwise.
    bool JedynyWiersz(Query &query, const QString &field, qint64 &value, const QString &none, const QString &many);
    bool WstawPostoj(const TDSLocatePozycja &p);
    bool ZamknijPostoj(const TDSLocatePozycja &p);
    // Minutes from the frame's time of day to now (today) or to the end of the daily window;
    // 0 when the frame lies after it.
    qint64 SzacowanyCzasPostoju(TDateTime czas) const;

    TLog &m_log;
    TDatabaseHelpers m_db;
    QString m_dsn;
    std::unique_ptr<Connection> m_connection;
    const TDSLocateKonfig *m_konfig = nullptr;

    qint32 m_ostatniStatus = 0;
    TDateTime m_ostatniCzas = 0;
    qint64 m_zapamietanyWiersz = -1; // TGP_ID of the last stop inserted here, -1 for none
    TDateTime m_czasZapamietanego = 0;
    QString m_ostatniPojazd;
    TFaultTally m_faults;           // the mapping errors, once per vehicle; an unreachable GIS
    TDateTime m_nieosiagalnaOd = 0; // the last failed opening, 0 while the GIS is reachable
};

} // namespace pelk
