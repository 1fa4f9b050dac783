#pragma once
// The incremental customer and distributor queues (CRM to GIS); the opposite direction is not
// offered.
#include "DM_Obiekt.h"
#include "engine/ObjectListQueue.h"
#include "gisdb/DM_PelkFun.h"

namespace pelk {

class TX2Y_ObiektListQueue : public TObjectListQueue
{
public:
    // typObiektu: 102 customers, 108 distributors.
    TX2Y_ObiektListQueue(TDM_Main &dm, int typObiektu);
    ~TX2Y_ObiektListQueue() override;

    int TypObiektu;
    TDateTime DataOstatniejWymiany = 0;

    bool PrepareList() override;
    bool FindFileObject(RObiekt &element) override;
    bool SerializeObject(RObiekt &element) override;
    bool DeSerializeObject(RObiekt &element) override;
    void Run() override;

    bool PrepareListKlient();
    bool PrepareListDystrybutor();
    // The dictionary key of the last-exchange time; empty for other object types.
    static QString WatermarkKey(int typObiektu);

private:
    bool PrepareChanged(const QString &watermarkKey, const std::function<bool(TDateTime)> &openList, Query &list);
    void AppendListRow(const Query &list);
    bool IsCustomerType() const;

    TDM_Obiekt m_crm;
    TDM_PelkFun &m_gis;
};

// Registers both directions of "Klient" and "Dystrybutor" with the queue factory.
void RegisterCustomerQueues();

} // namespace pelk
