#pragma once
// The incremental visit queue (CRM to GIS): one element per representative and day whose
// activities changed since the last exchange; the opposite direction is not offered.
#include "DM_Wizyta.h"
#include "engine/ObjectListQueue.h"
#include "gisdb/DM_PelkFun.h"

namespace pelk {

class TX2Y_WizytaListQueue : public TObjectListQueue
{
public:
    explicit TX2Y_WizytaListQueue(TDM_Main &dm);
    ~TX2Y_WizytaListQueue() override;

    TDateTime DataOstatniejWymiany = 0;

    // One element per representative-day (Key "<id>_<day number>", Text1 the id, Number the
    // day, ChangeDate the creation time of its first listed activity). A row that cannot be
    // read is logged and skipped; a list that cannot be read leaves the stored time alone.
    bool PrepareList() override;
    bool FindFileObject(RObiekt &element) override;
    bool SerializeObject(RObiekt &element) override;
    bool DeSerializeObject(RObiekt &element) override;
    // The run; the last-exchange time is stored only when it was complete.
    void Run() override;

    static QString WatermarkKey() { return QStringLiteral("interfejs_transport_wizyta"); }

private:
    // Adds the row's representative-day unless it is the one made last (the rows come ordered
    // by representative and start time).
    void AppendListRow(const Query &list);

    TDM_Wizyta m_wiz;
    TDM_PelkFun &m_gis;
};

// Registers both directions of "Wizyta" with the queue factory.
void RegisterVisitQueues();

} // namespace pelk
