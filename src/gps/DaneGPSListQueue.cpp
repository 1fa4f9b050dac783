#include "DaneGPSListQueue.h"

#include "DSLocateClient.h"
#include "GpsSql.h"
#include "app/DM_Main.h"
#include "app/DSLocateKonfig.h"
#include "app/Guarded.h"
#include "app/Log.h"
#include "app/Process.h"
#include "app/Settings.h"
#include "app/Views.h"
#include "db/Query.h"
#include "engine/Queue.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QScopedValueRollback>
#include <QThread>
#include <QTimer>
#include <cmath>
#include <thread>

namespace pelk {

namespace {

// The waits between polls: for the vehicle list, for the archives.
constexpr std::chrono::milliseconds kPauzaListy{250};
constexpr std::chrono::milliseconds kPauzaArchiwow{500};

QString Span(const RPojazdDoWyslania &z)
{
    return QStringLiteral("%1 od %2 do %3 .").arg(z.Nazwa, DateTimeToText(z.CzasOd), DateTimeToText(z.CzasDo));
}

} // namespace

TX2Y_DaneGPSListQueue::TX2Y_DaneGPSListQueue(TDM_Main &dm) : TNotOfferedQueue(dm, QStringLiteral("TX2Y_DaneGPSListQueue")) {}

TX2Y_DaneGPSListQueue::~TX2Y_DaneGPSListQueue() = default;

QString TX2Y_DaneGPSListQueue::Host() const
{
    return m_dm.Settings()->DSLocateKonfig()->SerwerDSLocate()->Host;
}

void TX2Y_DaneGPSListQueue::Run()
{
    // The requests left unanswered are counted as failed elements; a run that ended before it
    // could ask leaves the whole feed to the next run.
    if (!Guarded(Log(), PELK_HERE, [&] { return RunGps(); }) && !m_dm.Process()->EscProcess())
        m_dm.Process()->MarkUnfinished();
    m_zapytania.clear();
}

bool TX2Y_DaneGPSListQueue::RunGps()
{
    TSettingsAplikacji *settings = m_dm.Settings();
    TProcess *process = m_dm.Process();
    TLog *log = m_dm.Log();
    TDSLocateKonfig *konfig = settings->DSLocateKonfig();
    // A dry run asks for and decodes every archive as a run does, and stores no stop.
    const QScopedValueRollback<bool> store(konfig->Harmonogram()->ZapiszDaneDoBazyDanych,
                                           konfig->Harmonogram()->ZapiszDaneDoBazyDanych && !process->DryRun());
    if (process->DryRun())
        log->Note(1, QStringLiteral(" Przebieg próbny: dane GPS są pobierane i dekodowane, postoje nie są zapisywane"));

    TDSLocateClient client(*log, settings->DSN_PelkGISTrasar());
    m_zapytania.clear();
    m_wyslane.clear();
    m_zgloszone = 0;
    process->SetCountElem(0);
    client.SetKonfig(konfig);
    client.SetBaseFolder(settings->AppFolder);
    const QStringList numery = NumeryRejestracyjne(konfig->Pojazdy);
    client.OnMessage = [log](const QString &text) { log->Info(1, text); };
    client.SetMessageLevel(settings->TraceLevel());

    if (numery.isEmpty()) {
        log->Error(
            1, QStringLiteral(" Brak lub błędnie zdefiniowano listę numerów rejestacyjnych samochodów w pliku konfiguracyjnym."));
        return false;
    }
    if (!konfig->SerwerDSLocate()->SprawdzajCertyfikat)
        log->Warning(1,
                     QStringLiteral(" Certyfikat serwera DSLocate nie jest sprawdzany (SprawdzajCertyfikat wyłączone):"
                                    "\r\n      połączenie nie jest chronione przed podstawionym serwerem."));
    if (!client.Connect()) {
        log->Error(1, QStringLiteral(" Nie można nawiązać połączenie z serwerem: ") + Host());
        return false;
    }
    if (!CzekajNaListe(client))
        return false;

    log->Note(2, QStringLiteral(" Rozpoczęcie zbierania elementów obiektu \"%1\"").arg(Rules->ObjectName));
    const bool built = BudujZapytania(client, numery);
    process->SetCountElem(int(m_zapytania.size()));
    m_zgloszone = 0;
    log->Note(2, QStringLiteral(" Liczba elementów: %1").arg(m_zapytania.size()));
    log->Note(2, QStringLiteral(" Zakończenie zbierania elementów obiektu \"%1\"").arg(Rules->ObjectName));
    ProcessPendingEvents();
    if (process->EscProcess()) {
        PokazPostep(client);
        ProcessPendingEvents();
        return false;
    }
    WyslijZapytania(client);
    CzekajNaArchiwa(client);
    return built;
}

bool TX2Y_DaneGPSListQueue::CzekajNaListe(TDSLocateClient &client)
{
    for (;;) {
        ProcessPendingEvents();
        if (!client.IsConnected() || client.Outstanding() < 1)
            break;
        Pauza(kPauzaListy);
        if (m_dm.Process()->EscProcess() || client.IsDecoderFinished() || SerwerMilczy(client)) {
            PokazPostep(client);
            ProcessPendingEvents();
            return false;
        }
    }
    // Without the list every vehicle would be reported missing from the server. Nothing but
    // the vehicle request has been sent: an answer is its answer.
    const std::vector<TDSLocateClient::RAnswer> answers = client.TakeAnswers();
    if (answers.empty()) {
        m_dm.Log()->Error(
            1,
            QStringLiteral(" Serwer %1 zamknął połączenie przed przesłaniem listy pojazdów; dane GPS nie zostały pobrane.")
                .arg(Host()));
        return false;
    }
    if (!answers.front().ok) {
        m_dm.Log()->Error(
            1, QStringLiteral(" Serwer %1 odrzucił zapytanie o listę pojazdów; dane GPS nie zostały pobrane.").arg(Host()));
        return false;
    }
    return true;
}

void TX2Y_DaneGPSListQueue::CzekajNaArchiwa(TDSLocateClient &client)
{
    TProcess *process = m_dm.Process();
    const int wszystkie = int(m_zapytania.size());
    for (;;) {
        if (!client.IsConnected() || client.Outstanding() < 1) {
            // What came is reported as processed; what did not, when the connection ended first, is not.
            PokazPostep(client);
            if (m_zgloszone < wszystkie) {
                m_dm.Log()->Error(
                    1,
                    QStringLiteral(" Utracono połączenie z serwerem: %1; brak odpowiedzi na %2 z %3 zapytań o dane GPS.")
                        .arg(Host())
                        .arg(wszystkie - m_zgloszone)
                        .arg(wszystkie));
                ZglosNieodebrane();
            }
            client.Disconnect();
            ProcessPendingEvents();
            return;
        }
        PokazPostep(client);
        ProcessPendingEvents();
        Pauza(kPauzaArchiwow);
        if (process->EscProcess()) {
            PokazPostep(client);
            ProcessPendingEvents();
            return;
        }
        // A connection that has ended is handled at the top, with what came before its end.
        if (client.IsConnected() && (client.IsDecoderFinished() || SerwerMilczy(client))) {
            PokazPostep(client);
            if (client.IsDecoderFinished())
                m_dm.Log()->Error(
                    1,
                    QStringLiteral(
                        " Odczyt odpowiedzi serwera %1 został przerwany; brak odpowiedzi na %2 z %3 zapytań o dane GPS.")
                        .arg(Host())
                        .arg(wszystkie - m_zgloszone)
                        .arg(wszystkie));
            ZglosNieodebrane();
            ProcessPendingEvents();
            return;
        }
    }
}

bool TX2Y_DaneGPSListQueue::SerwerMilczy(TDSLocateClient &client) const
{
    const int limit = m_dm.Settings()->DSLocateKonfig()->SerwerDSLocate()->LimitOdpowiedzi();
    if (client.Outstanding() < 1 || client.SinceAnswered() < std::chrono::seconds(limit))
        return false;
    m_dm.Log()->Error(
        1,
        QStringLiteral(" Serwer %1 nie odpowiada od %2 s (LimitCzasuOdpowiedzi); przerwano oczekiwanie na dane GPS.")
            .arg(Host())
            .arg(limit));
    return true;
}

void TX2Y_DaneGPSListQueue::PokazPostep(TDSLocateClient &client)
{
    // Each answer names its request by the identifier it was sent with, whatever the order
    // the server answers in.
    for (const TDSLocateClient::RAnswer &answer : client.TakeAnswers()) {
        const auto sent = m_wyslane.constFind(answer.opid);
        if (sent == m_wyslane.cend())
            continue;
        const size_t index = *sent;
        m_wyslane.erase(sent);
        Zglos(index, answer.ok);
    }
}

void TX2Y_DaneGPSListQueue::ZglosNieodebrane()
{
    for (size_t i = 0; i < m_zapytania.size(); ++i)
        if (!m_zapytania[i].Zgloszony)
            Zglos(i, false);
    m_wyslane.clear();
}

void TX2Y_DaneGPSListQueue::Zglos(size_t index, bool ok)
{
    TProcess *process = m_dm.Process();
    RPojazdDoWyslania &z = m_zapytania[index];
    z.Zgloszony = true;
    process->ShowProgress(TProcess::KindElementQuiet, QString(), ++m_zgloszone);
    if (ok)
        m_dm.Log()->Info(2, QStringLiteral(" Przetworzono dane GPS dla pojazdu ") + Span(z));
    else
        m_dm.Log()->Warning(2, QStringLiteral(" Nie pobrano danych GPS dla pojazdu ") + Span(z));
    process->ElementDone(ok);
}

bool TX2Y_DaneGPSListQueue::BudujZapytania(TDSLocateClient &client, const QStringList &numery)
{
    return Guarded(Log(), PELK_HERE, [&] {
        const TDSLKonfiguracjaHarmonogram *harmonogram = m_dm.Settings()->DSLocateKonfig()->Harmonogram();
        Connection gis;
        gis.Open(m_dm.Settings()->DSN_PelkGISTrasar());
        for (const QString &numer : numery) {
            const std::optional<RPojazd> pojazd = client.Pojazdy().CopyByNazwa(numer);
            if (!pojazd) {
                m_dm.Log()->Error(1, QStringLiteral(" Brak w systemie DSLocate aktywnego pojazdu o numerach %1").arg(numer));
                continue;
            }
            const TDateTime start = PoczatekPobierania(gis, numer);
            for (const RZakres &z : ZakresyDoPobrania(start, Now(), harmonogram->CzasStart, harmonogram->CzasStop))
                m_zapytania.push_back({pojazd->NrPojazdu, pojazd->Nazwa, z.Od, z.Do});
        }
        return true;
    });
}

TDateTime TX2Y_DaneGPSListQueue::PoczatekPobierania(Connection &gis, const QString &numer) const
{
    const TDateTime inicjalna = m_dm.Settings()->DSLocateKonfig()->Harmonogram()->InicjalnaData;
    if (inicjalna != 0)
        return inicjalna;
    Query q(gis);
    q.SetSQL(GpsSql::OstatniPostoj().For(gis.SqlDialect()));
    q.SetParam(QStringLiteral("NumerRejestracyjny"), Variant(numer));
    q.Open();
    if (!q.IsEmpty() && !q.FieldByName(QStringLiteral("DataCzas")).IsNull())
        return q.FieldByName(QStringLiteral("DataCzas")).AsDateTime();
    return std::trunc(Now());
}

void TX2Y_DaneGPSListQueue::WyslijZapytania(TDSLocateClient &client)
{
    try {
        for (size_t i = 0; i < m_zapytania.size(); ++i) {
            // After a failed write the client has disconnected: nothing more can go out.
            if (m_dm.Process()->EscProcess() || !client.IsConnected())
                break;
            const RPojazdDoWyslania &z = m_zapytania[i];
            m_wyslane.insert(client.RequestArchive(z.NrPojazdu, z.CzasOd, z.CzasDo), i);
        }
    } catch (const std::exception &e) {
        m_dm.Log()->Error(1, QStringLiteral(" Nieznany błąd wysyłania zapytań o dane GPS."));
        m_dm.Log()->Error(1, QLatin1Char(' ') + TLog::ExceptionText(e));
    }
}

void TX2Y_DaneGPSListQueue::Pauza(std::chrono::milliseconds time) const
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) {
        std::this_thread::sleep_for(time);
        return;
    }
    // The window stays responsive and Stop can be pressed while the run waits.
    QEventLoop loop;
    QTimer::singleShot(time, &loop, &QEventLoop::quit);
    loop.exec();
}

void RegisterGpsQueues()
{
    const QString name = QStringLiteral("DaneGPS");
    QueueFactory::RegisterIntoGis(
        name, nullptr, [](TDM_Main &dm) { return std::make_unique<TX2Y_DaneGPSListQueue>(dm); },
        QStringLiteral("TY2X_DaneGPSListQueue"));
}

} // namespace pelk
