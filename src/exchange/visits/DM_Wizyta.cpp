#include "DM_Wizyta.h"

#include "VisitSql.h"
#include "app/DM_Main.h"
#include "app/Guarded.h"
#include "config/Errors.h"
#include "engine/CloseDataSets.h"
#include "gisdb/DM_PelkFun.h"

namespace pelk {

TDM_Wizyta::TDM_Wizyta(TDM_Main &dm)
    : Q_Wizyta(dm.ADOConnection_PelkGIS),
      WizytaRow(dm.ADOConnection_PelkGIS, VisitSql::WizytaTable(), {QStringLiteral("WIZ_ID")}, VisitSql::WizytaFields()),
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

bool TDM_Wizyta::Open_GetZamerWizyta(const QString &pracownikId, int dzien)
{
    Query &q = Q_ZamerWizyty;
    q.Close();
    if (!m_dm.Db().CheckConnection(q.GetConnection()))
        return false;
    return Guarded(m_dm.Log(), Where::Heading(" TDM_Wizyta.Open_GetZamerWizyta"), [&] {
        // The id comes from the CRM: it is bound, and only as the number it must be.
        bool isNumber = false;
        const int pracownik = pracownikId.trimmed().toInt(&isNumber);
        if (!isNumber)
            throw EConvertError(QStringLiteral("'%1' nie jest numerem pracownika").arg(pracownikId));
        q.SetSQL(VisitSql::ZamerWizyty().For(q.GetConnection().SqlDialect()));
        q.SetDateParam(QStringLiteral("DzienOd"), dzien);
        q.SetDateParam(QStringLiteral("DzienDo"), dzien + 1);
        q.SetParam(QStringLiteral("PracownikID"), Variant(pracownik));
        q.Open();
        return !q.IsEmpty();
    });
}

bool TDM_Wizyta::GetObiektID(const QString &exid, int typ, int &id)
{
    const QString key = QString::number(typ) + QLatin1Char('|') + exid;
    if (const auto it = m_obiekty.constFind(key); it != m_obiekty.constEnd()) {
        id = *it;
        return true;
    }
    if (!TDM_PelkFun::Of(m_dm).GetObiektIDByEXID(exid, typ, id))
        return false;
    m_obiekty.insert(key, id);
    return true;
}

bool TDM_Wizyta::FindWizyta(int obiektId, const QString &dzien)
{
    const QString &sql = VisitSql::Wizyta().For(Q_Wizyta.GetConnection().SqlDialect());
    if (Q_Wizyta.SQL() != sql)
        Q_Wizyta.SetSQL(sql);
    Q_Wizyta.SetParam(QStringLiteral("ObiektID"), Variant(obiektId));
    Q_Wizyta.SetParam(QStringLiteral("DataWizyty"), Variant(dzien));
    Q_Wizyta.Open();
    return !Q_Wizyta.IsEmpty();
}

void TDM_Wizyta::CloseDataSets()
{
    pelk::CloseDataSets({&Q_Wizyta, &Q_EmptyQueryToExec, &Q_GetZamerWizytyToTransport, &Q_ZamerWizyty});
    WizytaRow.Close();
    Q_WizytaObiekt.Close();
}

} // namespace pelk
