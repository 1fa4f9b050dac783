#pragma once
// The CRM side of the customer and distributor exchange: the lists of changed customers and
// distributors, and the record of one customer; and the two GIS statements of the sales
// exchange: the objects carrying an ERP id, and the zeroing of all sales figures.
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
    Query Q_ObiektyByERPID;           // GIS
    Query Q_ZerujAllAtrybutySprzedaz; // GIS

    // Each makes sure the CRM connection is open, opens its query positioned on the first
    // row and answers whether that worked (failures are logged).
    bool OpenQ_GetKlientToTransport(TDateTime lastExchange);
    bool Open_GetZamerDystrybutorToTransport(TDateTime lastExchange);
    bool OpenQ_GetZamerKlient(const QString &customerNumber);
    // The active GIS objects (OB_ID, OB_EXID, OB_ID_SLO_TYP) with an attribute whose text is
    // the ERP id, each once; open on the first row.
    bool Open_GetPelkObiektyByERPID(const QString &erpId);
    // Sets every stored sales figure of every GIS object to 0. False when that failed (logged).
    bool ZerujAllAtrybutySprzedaz();

    void CloseDataSets();

private:
    bool OpenQuery(Query &query, const QString &sql, const char *logName, const std::function<void(Query &)> &setParams);
    TDM_Main &m_dm;
};

} // namespace pelk
