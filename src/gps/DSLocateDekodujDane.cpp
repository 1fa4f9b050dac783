#include "DSLocateDekodujDane.h"

#include "ByteSource.h"
#include "DSLocatePojazdy.h"
#include "app/DSLocateKonfig.h"
#include "app/Log.h"

#include <QStringList>

namespace pelk {

namespace {

// How long one poll of the source waits for data: the stop flag is seen this often.
constexpr std::chrono::milliseconds kPollWait{50};
constexpr qint32 kLoginOperation = 1;

QString ContentText(QByteArrayView content)
{
    return QString::fromUtf8(content);
}

} // namespace

TDSLocateDekodujDane::TDSLocateDekodujDane(std::unique_ptr<IDSLocatePositionSink> store) : m_store(std::move(store)) {}

TDSLocateDekodujDane::~TDSLocateDekodujDane()
{
    Stop();
    WaitFor();
}

void TDSLocateDekodujDane::SetKonfig(const TDSLocateKonfig *konfig)
{
    if (konfig == m_konfig)
        return;
    m_konfig = konfig;
    m_store->SetKonfig(konfig);
}

void TDSLocateDekodujDane::Resume()
{
    if (m_resumed)
        return;
    m_resumed = true;
    m_thread = std::thread([this] { Run(); });
}

void TDSLocateDekodujDane::Stop()
{
    {
        std::lock_guard<std::mutex> lock(m_wakeMutex);
        m_stop = true;
    }
    m_wake.notify_all();
}

void TDSLocateDekodujDane::WaitFor()
{
    if (m_thread.joinable())
        m_thread.join();
}

void TDSLocateDekodujDane::Report(const QString &text) const
{
    if (m_status)
        m_status(text);
}

void TDSLocateDekodujDane::Fault(const QString &kind, const QString &text)
{
    if (m_faults.Count(kind))
        Report(QStringLiteral("Error ") + text);
}

void TDSLocateDekodujDane::ReportRepeats()
{
    for (const auto &repeats : m_faults.TakeRepeats())
        Report(QStringLiteral("Error ") + TFaultTally::RepeatsText(repeats));
}

void TDSLocateDekodujDane::Answer(qint32 opid, bool ok) const
{
    if (m_answer)
        m_answer(opid, ok);
}

void TDSLocateDekodujDane::Run()
{
    try {
        while (!m_stop) {
            QByteArray chunk = m_source ? m_source->Take(kPollWait) : QByteArray();
            if (m_stop)
                break;
            if (chunk.isEmpty()) {
                // An element that waits too long is given up even when nothing more comes, so
                // what arrived behind it is handled.
                if (m_scanner.Overdue(m_clock()))
                    Decode(QByteArray());
                if (!m_source) {
                    std::unique_lock<std::mutex> lock(m_wakeMutex);
                    m_wake.wait_for(lock, kPollWait, [this] { return m_stop.load(); });
                }
                continue;
            }
            Decode(std::move(chunk));
            std::unique_lock<std::mutex> lock(m_wakeMutex);
            m_wake.wait_for(lock, m_gatherPause, [this] { return m_stop.load(); });
        }
    } catch (const std::exception &e) {
        Report(QStringLiteral("Error ") + TLog::ExceptionText(e));
    }
    ReportRepeats();
    m_store->ThreadFinished();
    m_finished = true;
}

void TDSLocateDekodujDane::Decode(QByteArray chunk)
{
    if (m_reportReceived && !chunk.isEmpty())
        Report(QStringLiteral("Odczytano") + m_received.decode(chunk));
    m_scanner.Feed(std::move(chunk), *this, m_clock());
}

void TDSLocateDekodujDane::Element(const TDSLocateCondition &condition, QByteArrayView content)
{
    // A failing element is reported and stays consumed, so it cannot block those after it.
    try {
        Handle(condition.element, content);
    } catch (const std::exception &e) {
        const QString start = QString::fromLatin1(condition.start);
        Fault(m_vehicle.isEmpty() ? QStringLiteral("Błąd elementu %1").arg(start)
                                  : QStringLiteral("Błąd elementu %1 pojazdu %2").arg(start, m_vehicle),
              TLog::ExceptionText(e));
    }
}

void TDSLocateDekodujDane::Abandoned(const TDSLocateCondition &condition, qsizetype length)
{
    const QString kind = QStringLiteral("Pominięto element %1 bez zakończenia \"%2\"")
                             .arg(QString::fromLatin1(condition.start), QString::fromLatin1(condition.end));
    Fault(kind, kind + QStringLiteral(" po %1 znakach.").arg(length));
}

void TDSLocateDekodujDane::Handle(TDSLocateElement element, QByteArrayView content)
{
    using E = TDSLocateElement;
    // Elements that close something need no content; the others do nothing without it.
    switch (element) {
    case E::UpdateClose: m_operation = 0; return;
    case E::ArchiveClose:
        ReportArchiveEnd();
        EndArchive();
        return;
    case E::FrameClose: return;
    case E::VehicleListClose:
        Report(QStringLiteral("PobranoZakończono pobieranie listy aktywnych pojazdów."));
        Answer(m_operation, true);
        m_operation = 0;
        return;
    default: break;
    }
    if (content.isEmpty())
        return;
    switch (element) {
    case E::Message: OnMessage(content); break;
    case E::ClientInfo: Report(QStringLiteral("Zalogowany")); break;
    case E::PropertyInfo: OnPropertyInfo(content); break;
    case E::UpdateOpen: OnUpdateOpen(content); break;
    case E::ArchiveOpen: OnArchiveOpen(content); break;
    case E::FrameOpen:
        // Live updates of the login operation are not positions to store.
        if (m_operation != kLoginOperation)
            OnFrame(content);
        break;
    case E::VehicleListOpen: m_operation = IntAttr("opid", content); break;
    case E::VehicleInfo: OnVehicleInfo(content); break;
    default: // hello, extcolumns-info
        break;
    }
}

void TDSLocateDekodujDane::OnMessage(QByteArrayView content)
{
    const QByteArrayView level = AttrBytes("level", content);
    if (level == "warning") {
        Report(QStringLiteral("Warning") + ElementText(content));
    } else if (level == "info") {
        Report(QStringLiteral("Info") + ElementText(content));
    } else if (level == "error") {
        const QByteArrayView code = AttrBytes("error", content);
        static const QByteArrayView unsupported[] = {"INVALID_SYNTAX",      "INTERNAL_ERROR",     "PERMISSION_DENIED",
                                                     "SERVICE_UNAVAILABLE", "NO_SUCH_DEVICE",     "NO_SUCH_VEHICLE",
                                                     "INVALID_TIME_SPAN",   "DEVICE_OUT_OF_RANGE"};
        if (code == "SERVICE_DENIED" || code == "INVALID_LOGIN")
            Report(QStringLiteral("Error") + ElementText(content));
        else if (code == "NO_ARCHIVE")
            Report(QStringLiteral("Brak archiwum") + ElementText(content));
        else if (std::find(std::begin(unsupported), std::end(unsupported), code) != std::end(unsupported))
            Report(QStringLiteral("Nie obslugiwane"));
        // Whatever its code, an error names the request it answers: no archive is an archive
        // without frames, any other error a request that failed.
        Answer(IntAttr("opid", content), code == "NO_ARCHIVE");
    }
}

void TDSLocateDekodujDane::OnPropertyInfo(QByteArrayView content)
{
    if (IntAttr("opid", content) != kLoginOperation || AttrBytes("name", content) != "autoupdate" || !m_pojazdy)
        return;
    // The vehicles of the live updates, separated by spaces; each listed once.
    const QStringList ids = Attr("value", content).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &id : ids)
        if (!m_pojazdy->AppendNrPojazdu(id))
            ListFull();
}

void TDSLocateDekodujDane::ListFull()
{
    const QString kind = QStringLiteral("Lista pojazdów serwera ma już %1 pozycji; kolejnych pojazdów nie dodano")
                             .arg(TDSLocatePojazdy::kMaxPojazdow);
    Fault(kind, kind + QLatin1Char('.'));
}

void TDSLocateDekodujDane::OnUpdateOpen(QByteArrayView content)
{
    m_operation = IntAttr("opid", content);
    if (m_operation != kLoginOperation)
        return;
    m_vehicle = Attr("vehicle", content);
    if (m_pojazdy)
        m_pojazdy->UpdateListed(m_vehicle, Attr("name", content), Attr("type", content), Attr("description", content));
}

void TDSLocateDekodujDane::OnArchiveOpen(QByteArrayView content)
{
    m_operation = IntAttr("opid", content);
    m_vehicle = Attr("vehicle", content);
    // "<archive .../>": an empty archive ends at once. Only the tag's own end tells it; a "/"
    // in a value (a vehicle "AB/1") does not.
    if (content.trimmed().endsWith('/')) {
        ReportArchiveEnd();
        EndArchive();
    }
}

void TDSLocateDekodujDane::ReportArchiveEnd()
{
    Report(
        QStringLiteral("PobranoZakończono pobieranie danych wiadomości nr: %1 dla pojazdu: %2").arg(m_operation).arg(m_vehicle));
    Answer(m_operation, true);
}

void TDSLocateDekodujDane::EndArchive()
{
    m_operation = 0;
    m_vehicle.clear();
}

void TDSLocateDekodujDane::OnVehicleInfo(QByteArrayView content)
{
    if (m_pojazdy && !m_pojazdy->UpdateOrAppend(Attr("id", content), Attr("name", content), Attr("type", content)))
        ListFull();
}

void TDSLocateDekodujDane::OnFrame(QByteArrayView content)
{
    const qint32 time = IntAttr("time", content);
    if (time == kBrakWartosci) {
        const QString kind = QStringLiteral("Pominięto ramkę pojazdu %1 bez poprawnego czasu").arg(m_vehicle);
        Fault(kind, kind + QStringLiteral(":\r\n      <frame%1>").arg(ContentText(content)));
        return;
    }
    const std::optional<RPojazd> pojazd = m_pojazdy ? m_pojazdy->CopyByNrPojazdu(m_vehicle) : std::nullopt;
    if (!pojazd) {
        const QString kind = QStringLiteral("Pominięto ramki pojazdu %1 spoza listy pojazdów serwera").arg(m_vehicle);
        Fault(kind, kind + QStringLiteral(", pierwsza:\r\n      <frame%1>").arg(ContentText(content)));
        return;
    }
    const TDSLKonfiguracjaSerwera *serwer = m_konfig ? m_konfig->SerwerDSLocate() : nullptr;
    const TDSLKonfiguracjaHarmonogram *harmonogram = m_konfig ? m_konfig->Harmonogram() : nullptr;
    if (!serwer || !harmonogram) {
        const QString kind = QStringLiteral("Pominięto ramkę pojazdu %1: brak konfiguracji DSLocateKonfig.").arg(m_vehicle);
        Fault(kind, kind);
        return;
    }

    TDSLocatePozycja p;
    p.NrPojazdu = m_vehicle;
    p.NazwaPojazdu = pojazd->Nazwa;
    p.Urzadzenie = Attr("device", content);
    p.Czas = TDSLocatePozycja::SetCzas(quint32(time));
    p.DlugoscGeo = DecimalAttr(AttrBytes("lon", content));
    p.SzerokoscGeo = DecimalAttr(AttrBytes("lat", content));
    p.ObliczWspolXYKm();

    p.StatusSilnika = !serwer->PobierajStatusPojazdu() ? -1 : AttrBytes("digital", content).contains("inEngine") ? 1 : 0;
    p.Predkosc = serwer->PobierajPredkosc() ? IntAttr("speed", content) : kBrakWartosci;
    p.Dystans = serwer->PobierajDystans() ? IntAttr("dist", content) : kBrakWartosci;
    p.Kierunek = serwer->PobierajKierunek() ? IntAttr("hdg", content) : kBrakWartosci;
    p.IloscSatelit = serwer->PobierajIloscSatelit() ? IntAttr("sat", content) : kBrakWartosci;
    const QByteArrayView fuel = AttrBytes("fuel", content);
    p.IloscPaliwa = serwer->PobierajIloscPaliwa() && !fuel.isEmpty() ? DecimalAttr(fuel) : -1;
    if (serwer->PobierajNazweKierowcy())
        p.NazwaKierowcy = Attr("driver", content);
    if (harmonogram->ZapiszDaneDoBazyDanych)
        m_store->ZapiszPozycje(p);
}

} // namespace pelk
