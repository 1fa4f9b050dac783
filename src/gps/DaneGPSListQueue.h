#pragma once
// The GPS queue (GPS server to GIS): connects to the GPS server, waits for its vehicle list,
// asks for each configured vehicle's archive day by day since its last stored stop and waits
// until the server has answered every request, while the decoder stores the stops. The file
// pipeline is not used; the opposite direction is not offered.
#include "DaneGPSPlan.h"
#include "engine/NotOfferedQueue.h"

#include <QHash>
#include <chrono>

namespace pelk {

class TDSLocateClient;

// One archive request of a run.
struct RPojazdDoWyslania
{
    QString NrPojazdu; // the server's identifier
    QString Nazwa;     // the registration number, for the progress messages
    TDateTime CzasOd = 0;
    TDateTime CzasDo = 0;
    bool Zgloszony = false; // reported as processed or not fetched
};

// The file pipeline's operations are not offered (logged, false).
class TX2Y_DaneGPSListQueue : public TNotOfferedQueue
{
public:
    explicit TX2Y_DaneGPSListQueue(TDM_Main &dm);
    ~TX2Y_DaneGPSListQueue() override;

    // The GPS run.
    void Run() override;
    bool ShortSummary() const override { return true; }

    // The requests for the registration numbers, vehicle by vehicle in settings order, from
    // the vehicles the client has listed; a number the server does not list is logged and
    // skipped. A failure (the GIS unreachable) is logged and ends the building (false); the
    // requests built before it stand.
    bool BudujZapytania(TDSLocateClient &client, const QStringList &numery);
    // Sends the requests in order until the escape flag is set or nothing more can be sent.
    void WyslijZapytania(TDSLocateClient &client);

private:
    // False when the run ended before it had asked for every archive it should.
    bool RunGps();
    // The start instant of the vehicle: InicjalnaData, or its last stored stop, or today at
    // midnight.
    TDateTime PoczatekPobierania(Connection &gis, const QString &numer) const;
    // Waits for the vehicle list; false when the run ends there.
    bool CzekajNaListe(TDSLocateClient &client);
    // Waits for the answers to the requests sent.
    void CzekajNaArchiwa(TDSLocateClient &client);
    // Whether the requests waiting have had no answer for the reply time-out (logged).
    bool SerwerMilczy(TDSLocateClient &client) const;
    // Reports each request answered since the last report, in the order the answers came:
    // processed, or not fetched when the server answered with an error.
    void PokazPostep(TDSLocateClient &client);
    // The requests left unanswered when the run cannot wait for them any more.
    void ZglosNieodebrane();
    // Reports the request at the index as processed or not fetched.
    void Zglos(size_t index, bool ok);
    // Waits, the window's events processed meanwhile.
    void Pauza(std::chrono::milliseconds time) const;
    QString Host() const;

    std::vector<RPojazdDoWyslania> m_zapytania;
    QHash<qint32, size_t> m_wyslane; // the requests sent, by the identifier their answer carries
    int m_zgloszone = 0;             // requests reported so far
};

// Registers both directions of "DaneGPS" with the queue factory.
void RegisterGpsQueues();

} // namespace pelk
