#include "DM_Obiekt.h"

#include "CustomerSql.h"
#include "app/DM_Main.h"
#include "app/Guarded.h"
#include "app/Log.h"
#include "engine/CloseDataSets.h"

namespace pelk {

TDM_Obiekt::TDM_Obiekt(TDM_Main &dm)
    : Q_GetZamerKlientToTransport(dm.ADOConnection_Caesar), Q_GetZamerDystrybutorToTransport(dm.ADOConnection_Caesar),
      Q_ZamerKlient(dm.ADOConnection_Caesar), m_dm(dm)
{}

bool TDM_Obiekt::OpenQuery(Query &query, const QString &sql, const char *logName, const std::function<void(Query &)> &setParams)
{
    if (!m_dm.Db().CheckConnection(query.GetConnection()))
        return false;
    return Guarded(m_dm.Log(), Where::Heading(QStringLiteral(" TDM_Obiekt.") + QLatin1String(logName)), [&] {
        query.Close();
        query.SetSQL(sql);
        setParams(query);
        query.Open();
        query.First();
        return true;
    });
}

bool TDM_Obiekt::OpenQ_GetKlientToTransport(TDateTime lastExchange)
{
    Query &q = Q_GetZamerKlientToTransport;
    return OpenQuery(q, CustomerSql::KlienciDoTransportu().For(q.GetConnection().SqlDialect()), "OpenQ_GetKlientToTransport",
                     [&](Query &query) { query.SetDateParam(QStringLiteral("DataOd"), lastExchange); });
}

bool TDM_Obiekt::Open_GetZamerDystrybutorToTransport(TDateTime lastExchange)
{
    Query &q = Q_GetZamerDystrybutorToTransport;
    return OpenQuery(q, CustomerSql::DystrybutorzyDoTransportu().For(q.GetConnection().SqlDialect()),
                     "Open_GetZamerDystrybutorToTransport",
                     [&](Query &query) { query.SetDateParam(QStringLiteral("DataOd"), lastExchange); });
}

bool TDM_Obiekt::OpenQ_GetZamerKlient(const QString &customerNumber)
{
    Query &q = Q_ZamerKlient;
    // Logged under the list's name, as the module always did.
    return OpenQuery(q, CustomerSql::ZamerKlient().For(q.GetConnection().SqlDialect()), "OpenQ_GetKlientToTransport",
                     [&](Query &query) { query.SetParam(QStringLiteral("KlientID"), Variant(customerNumber)); });
}

void TDM_Obiekt::CloseDataSets()
{
    pelk::CloseDataSets({&Q_GetZamerKlientToTransport, &Q_GetZamerDystrybutorToTransport, &Q_ZamerKlient});
}

} // namespace pelk
