#include "DSLocateZapisPozycji.h"

#include "GpsSql.h"
#include "Rounding.h"
#include "app/DSLocateKonfig.h"
#include "app/Log.h"
#include "config/Clock.h"
#include "db/Query.h"
#include "db/TableRow.h"

#include <cmath>

namespace pelk {

namespace {

constexpr int kStatusSilnikWylaczony = 502;
constexpr double kMinutesPerDay = 1440;

qint64 Day(TDateTime t)
{
    return qint64(std::trunc(t));
}

double TimeOfDay(TDateTime t)
{
    return t - std::trunc(t);
}

} // namespace

TDSLocateZapisPozycji::TDSLocateZapisPozycji(TLog &log, const QString &dsn) : m_log(log), m_db(log), m_dsn(dsn) {}

TDSLocateZapisPozycji::~TDSLocateZapisPozycji() = default;

void TDSLocateZapisPozycji::ThreadFinished()
{
    for (const auto &repeats : m_faults.TakeRepeats())
        m_log.Warning(1, QLatin1Char(' ') + TFaultTally::RepeatsText(repeats));
    m_connection.reset();
}

Connection &TDSLocateZapisPozycji::Polaczenie()
{
    if (!m_connection) {
        m_connection = std::make_unique<Connection>();
        m_connection->SetDsn(m_dsn);
    }
    return *m_connection;
}

bool TDSLocateZapisPozycji::Osiagalna(Connection &connection)
{
    constexpr TDateTime kPonownaProba = 60.0 / 86400.0;
    if (connection.IsOpen())
        return true;
    const TDateTime now = Now();
    if (m_nieosiagalnaOd != 0 && now - m_nieosiagalnaOd < kPonownaProba) {
        m_faults.Count(QStringLiteral("baza danych GIS nieosiągalna, postój nie został zapisany"));
        return false;
    }
    if (m_db.CheckConnection(connection)) {
        m_nieosiagalnaOd = 0;
        return true;
    }
    m_faults.Count(QStringLiteral("baza danych GIS nieosiągalna, postój nie został zapisany"));
    m_nieosiagalnaOd = now;
    return false;
}

bool TDSLocateZapisPozycji::ZapiszPozycje(const TDSLocatePozycja &p)
{
    // Positions without both coordinates, or south of the equator or west of Greenwich, are
    // not the served area.
    if (!(p.WspolX > 0 && p.WspolY > 0 && p.DlugoscGeo > 0 && p.SzerokoscGeo > 0))
        return true;
    if (m_ostatniPojazd.isEmpty() || m_ostatniPojazd != p.NazwaPojazdu) {
        m_ostatniCzas = 0;
        m_zapamietanyWiersz = -1;
    }
    bool result = true;
    const bool startsStop = p.StatusSilnika == 0
        && (m_ostatniStatus == -1 || Day(p.Czas) != Day(m_ostatniCzas) || m_ostatniStatus == 1);
    if (startsStop)
        result = WstawPostoj(p);
    const bool endsStop = Day(p.Czas) == Day(m_czasZapamietanego) && p.StatusSilnika == 1 && m_ostatniStatus == 0
        && m_zapamietanyWiersz != -1;
    if (endsStop)
        result = ZamknijPostoj(p);
    m_ostatniStatus = p.StatusSilnika;
    m_ostatniCzas = p.Czas;
    m_ostatniPojazd = p.NazwaPojazdu;
    return result;
}

bool TDSLocateZapisPozycji::WstawPostoj(const TDSLocatePozycja &p)
{
    Connection &connection = Polaczenie();
    if (!Osiagalna(connection))
        return false;
    TElementTransaction transaction(m_db, connection);
    qint64 pojazdId = 0, kierowcaId = 0;
    if (!transaction.Begun() || !ZnajdzIdPojazdu(connection, p.NazwaPojazdu, pojazdId)
        || !ZnajdzIdKierowcy(connection, p.NazwaPojazdu, pojazdId, kierowcaId))
        return false;

    Query existing(connection);
    existing.SetSQL(GpsSql::FindPostoj().For(connection.SqlDialect()));
    existing.SetParam(QStringLiteral("PojazdId"), Variant(pojazdId));
    existing.SetDateParam(QStringLiteral("DataCzas"), p.Czas);
    existing.Open();
    if (!existing.IsEmpty())
        return transaction.End(true); // stored by an earlier run: nothing to write

    TableRow row(connection, GpsSql::TrasaTable(), {QStringLiteral("TGP_ID")}, GpsSql::TrasaFields());
    row.OpenByKey(Variant(-1));
    row.Append();
    row.SetField(QStringLiteral("TGP_ID_OB1"), Variant(pojazdId));
    row.SetField(QStringLiteral("TGP_ID_OB2"), Variant(kierowcaId));
    row.SetField(QStringLiteral("TGP_DATACZAS"), Variant::Date(p.Czas));
    row.SetField(QStringLiteral("TGP_ID_SLO_STATUS"), Variant(kStatusSilnikWylaczony));
    if (p.Predkosc != kBrakWartosci)
        row.SetField(QStringLiteral("TGP_PREDKOSC"), Variant(p.Predkosc == 255 ? 0 : p.Predkosc));
    if (p.Dystans != kBrakWartosci)
        row.SetField(QStringLiteral("TGP_DYSTANS"), Variant(p.Dystans));
    row.SetField(QStringLiteral("TGP_X_KM"), Variant(p.WspolX));
    row.SetField(QStringLiteral("TGP_Y_KM"), Variant(p.WspolY));
    row.SetField(QStringLiteral("TGP_X_STO"), Variant(p.DlugoscGeo));
    row.SetField(QStringLiteral("TGP_Y_STO"), Variant(p.SzerokoscGeo));
    row.SetField(QStringLiteral("TGP_NUM1"), Variant(SzacowanyCzasPostoju(p.Czas)));
    row.Post();
    const qint64 id = row.IdentityValue().toInt64();
    // Remembered only once committed: a refused commit leaves nothing to correct later.
    if (!transaction.End(true))
        return false;
    m_zapamietanyWiersz = id;
    m_czasZapamietanego = p.Czas;
    return true;
}

bool TDSLocateZapisPozycji::ZamknijPostoj(const TDSLocatePozycja &p)
{
    Connection &connection = Polaczenie();
    if (!Osiagalna(connection))
        return false;
    TElementTransaction transaction(m_db, connection);
    if (!transaction.Begun())
        return false;
    TableRow row(connection, GpsSql::TrasaTable(), {QStringLiteral("TGP_ID")}, GpsSql::TrasaFields());
    if (row.OpenByKey(Variant(m_zapamietanyWiersz))) {
        row.Edit();
        row.SetField(QStringLiteral("TGP_NUM1"), Variant(RoundHalfEven((p.Czas - m_czasZapamietanego) * kMinutesPerDay)));
        row.Post();
    }
    return transaction.End(true);
}

qint64 TDSLocateZapisPozycji::SzacowanyCzasPostoju(TDateTime czas) const
{
    const TDateTime now = Now();
    const TDateTime end = Day(czas) == Day(now) ? now
        : m_konfig                              ? m_konfig->Harmonogram()->CzasStop
                                                : TDSLKonfiguracjaHarmonogram().CzasStop;
    // A frame after the window's end (the server sent more than was asked) stood no time in it.
    return std::max<qint64>(0, RoundHalfEven((TimeOfDay(end) - TimeOfDay(czas)) * kMinutesPerDay));
}

bool TDSLocateZapisPozycji::ZnajdzIdPojazdu(Connection &connection, const QString &name, qint64 &pojazdId)
{
    Query q(connection);
    q.SetSQL(GpsSql::FindPojazd().For(connection.SqlDialect()));
    q.SetParam(QStringLiteral("NumerRejestracyjny"), Variant(name));
    return JedynyWiersz(
        q, QStringLiteral("OB_ID"), pojazdId,
        QStringLiteral("Nie znaleziono w bazie pojazdu o nazwie %1. Proszę zmapować pojazd w polu OB_MAP1").arg(name),
        QStringLiteral(
            "Znaleziono w bazie więcej niż jeden pojazd o nazwie %1. Proszę zmapować tylko jeden pojazd w polu OB_MAP1")
            .arg(name));
}

bool TDSLocateZapisPozycji::ZnajdzIdKierowcy(Connection &connection, const QString &name, qint64 pojazdId, qint64 &kierowcaId)
{
    Query q(connection);
    q.SetSQL(GpsSql::FindKierowca().For(connection.SqlDialect()));
    q.SetParam(QStringLiteral("PojazdId"), Variant(pojazdId));
    return JedynyWiersz(
        q, QStringLiteral("KierowcaId"), kierowcaId,
        QStringLiteral(
            "Nie znaleziono w bazie kierowcy dla pojazdu o nazwie %1. Proszę dodać kierowce i pojazd do tego samego terytorium.")
            .arg(name),
        QStringLiteral(
            "Znaleziono w bazie więcej niż jednego kierowcy dla pojazdu o nazwie %1. Proszę dodać jednego kierowcę i jeden pojazd do tego samego terytorium.")
            .arg(name));
}

bool TDSLocateZapisPozycji::JedynyWiersz(Query &query, const QString &field, qint64 &value, const QString &none,
                                         const QString &many)
{
    query.Open();
    if (query.RecordCount() == 1) {
        value = query.FieldByName(field).Value().toInt64();
        return true;
    }
    // Once per vehicle and connection: every engine-off frame of an unmapped vehicle would
    // otherwise log and mail the same error.
    const QString &error = query.IsEmpty() ? none : many;
    if (m_faults.Count(error))
        m_log.Error(1, error);
    return false;
}

} // namespace pelk
