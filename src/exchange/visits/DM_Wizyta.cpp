#include "DM_Wizyta.h"

#include "VisitSql.h"
#include "app/DM_Main.h"
#include "app/Guarded.h"
#include "engine/CloseDataSets.h"

#include <cmath>

namespace pelk {

TDM_Wizyta::TDM_Wizyta(TDM_Main &dm)
    : Q_Wizyta(dm.ADOConnection_PelkGIS),
      WizytaRow(dm.ADOConnection_PelkGIS, VisitSql::WizytaTable(), {QStringLiteral("WIZ_ID")}, VisitSql::WizytaFields()),
      Q_WizytaObiekty(dm.ADOConnection_PelkGIS),
      Q_WizytaObiekt(dm.ADOConnection_PelkGIS, VisitSql::WizytaObiektTable(),
                     {QStringLiteral("WIO_ID_WIZ"), QStringLiteral("WIO_ID_OB")}, VisitSql::WizytaObiektFields()),
      Q_EmptyQueryToExec(dm.ADOConnection_PelkGIS), Q_GetZamerWizytyToTransport(dm.ADOConnection_Caesar),
      Q_ZamerWizyty(dm.ADOConnection_Caesar), m_dm(dm)
{}

TDM_Wizyta::~TDM_Wizyta()
{
    CloseDataSets();
}

bool TDM_Wizyta::Open_GetZamerWizytaToTransport(TDateTime lastExchange)
{
    Query &q = Q_GetZamerWizytyToTransport;
    m_listaOd = lastExchange;
    m_aktywnosciRead = false;
    m_aktywnosci.clear();
    if (!m_dm.Db().CheckConnection(q.GetConnection()))
        return false;
    return Guarded(m_dm.Log(), Where::Heading(" TDM_Wizyta.Open_GetZamerWizytaToTransport"), [&] {
        q.Close();
        q.SetSQL(VisitSql::WizytyDoTransportu().For(q.GetConnection().SqlDialect()));
        q.SetDateParam(QStringLiteral("DataOd"), lastExchange);
        q.Open();
        return true;
    });
}

bool TDM_Wizyta::ReadAktywnosci()
{
    Query &q = Q_ZamerWizyty;
    q.Close();
    if (!m_dm.Db().CheckConnection(q.GetConnection()))
        return false;
    return Guarded(m_dm.Log(), PELK_HERE, [&] {
        q.SetSQL(VisitSql::ZamerWizytyListy().For(q.GetConnection().SqlDialect()));
        q.SetDateParam(QStringLiteral("DataOd"), m_listaOd);
        q.Open();
        auto value = [&](const char *column) { return q.FieldByName(QLatin1String(column)).Value(); };
        for (q.First(); !q.Eof(); q.Next()) {
            const Variant od = value("GodzinaOd");
            const QString key = QString::number(value("PracownikID").toInt64()) + QLatin1Char('_')
                + QString::number(int(std::floor(od.toDateTime())));
            m_aktywnosci[key].append(
                {value("ID"), value("KlientID"), od, value("GodzinaDo"), value("KodAktywnosci"), value("Opis").toString()});
        }
        q.Close();
        m_aktywnosciRead = true;
        return true;
    });
}

bool TDM_Wizyta::GetAktywnosci(const QString &pracownikId, int dzien, QList<RAktywnosc> &aktywnosci, bool &answered)
{
    answered = m_aktywnosciRead || ReadAktywnosci();
    if (!answered)
        return false;
    aktywnosci = m_aktywnosci.value(pracownikId.trimmed() + QLatin1Char('_') + QString::number(dzien));
    return !aktywnosci.isEmpty();
}

bool TDM_Wizyta::FindWizyta(int obiektId, const QString &dzien)
{
    Q_Wizyta.SetSQL(VisitSql::Wizyta().For(Q_Wizyta.GetConnection().SqlDialect()));
    Q_Wizyta.SetParam(QStringLiteral("ObiektID"), Variant(obiektId));
    Q_Wizyta.SetParam(QStringLiteral("DataWizyty"), Variant(dzien));
    Q_Wizyta.Open();
    WizytaRow.Adopt(Q_Wizyta);
    return !Q_Wizyta.IsEmpty();
}

void TDM_Wizyta::ReadWizytaObiekty(int wizytaId)
{
    Q_WizytaObiekty.SetSQL(VisitSql::WizytaObiekty().For(Q_WizytaObiekty.GetConnection().SqlDialect()));
    Q_WizytaObiekty.SetParam(QStringLiteral("WizytaID"), Variant(wizytaId));
    Q_WizytaObiekty.Open();
}

bool TDM_Wizyta::OpenWizytaObiekt(int obiektId)
{
    Query &q = Q_WizytaObiekty;
    for (q.First(); !q.Eof(); q.Next())
        if (q.FieldByName(QStringLiteral("WIO_ID_OB")).AsInteger() == obiektId)
            break;
    Q_WizytaObiekt.Adopt(q);
    return !Q_WizytaObiekt.IsEmpty();
}

void TDM_Wizyta::CloseDataSets()
{
    pelk::CloseDataSets({&Q_Wizyta, &Q_WizytaObiekty, &Q_EmptyQueryToExec, &Q_GetZamerWizytyToTransport, &Q_ZamerWizyty});
    WizytaRow.Close();
    Q_WizytaObiekt.Close();
}

} // namespace pelk
