#pragma once
// The CRM side of the customer and distributor exchange: the lists of changed customers and
// distributors, and the record of one customer.
#include "config/DateTime.h"
#include "db/Query.h"

namespace pelk {

class TDM_Main;

class TDM_Obiekt
{
public:
    explicit TDM_Obiekt(TDM_Main &dm);

    Query Q_GetZamerKlientToTransport;
    Query Q_GetZamerDystrybutorToTransport;
    Query Q_ZamerKlient;

    // Each makes sure the CRM connection is open, opens its query positioned on the first
    // row and answers whether that worked (failures are logged).
    bool OpenQ_GetKlientToTransport(TDateTime lastExchange);
    bool Open_GetZamerDystrybutorToTransport(TDateTime lastExchange);
    bool OpenQ_GetZamerKlient(const QString &customerNumber);

    void CloseDataSets();

private:
    bool OpenQuery(Query &query, const QString &sql, const char *logName, const std::function<void(Query &)> &setParams);
    TDM_Main &m_dm;
};

} // namespace pelk
