#pragma once
// The sales queue (ERP to GIS): every run sums the sales of each ERP customer in 58 steps and
// replaces each customer's figures in the GIS by the new ones, customer by customer, each in
// its own transaction; after a run that stored every customer, the figures of the objects no
// customer has set become 0. The opposite direction is not offered.
#include "DM_Sprzedaz.h"
#include "engine/ObjectListQueue.h"

namespace pelk {

class TX2Y_SprzedazListQueue : public TObjectListQueue
{
public:
    explicit TX2Y_SprzedazListQueue(TDM_Main &dm);
    ~TX2Y_SprzedazListQueue() override;

    // The 58 steps in order, all for the date the clock gives at the start; one element per
    // customer, in order of first occurrence. False (the run ends, nothing zeroed) at the
    // first step that fails or on Stop.
    bool PrepareList() override;
    // True for every file of an earlier run (logged): it is deleted unread.
    bool FindFileObject(RObiekt &element) override;
    bool SerializeObject(RObiekt &element) override;
    bool DeSerializeObject(RObiekt &element) override;
    // Gathers the elements and processes every element; when the run was not stopped, then
    // ZerujNieustawione. Nothing of an element is kept for the next run.
    void Run() override;
    // When every element was stored or refused (on no GIS object): the figures of the objects
    // no element set become 0, in one transaction. Otherwise (logged) they stay as they are.
    bool ZerujNieustawione();

    // Adds the rows of the open query to the memory table under the attribute number, and an
    // element for each customer not listed yet. Rows without a customer number or a sum are
    // logged and skipped. False on Stop.
    bool PrepareListSprzedaz(Query &query, int atrybut);

    TDM_Sprzedaz &Sprzedaz() { return m_sprzedaz; }

    // One product group's step (defined beside the step table).
    struct RKrok;

private:
    // One step: logs its name, opens its query for the period M-k of the run's date (k < 0:
    // the twelve months) and collects the rows.
    bool Krok(const RKrok &krok, int k);
    // Forgets the element's stages, stored or not: no file is kept for the next run. Notes
    // an element that was neither stored nor refused.
    void FinishElement(RObiekt &element, bool result) override;

    TDM_Sprzedaz m_sprzedaz;
    TDateTime m_teraz = 0; // the run's date, read once by PrepareList
    bool m_wszystkieZapisane = true;
};

// Registers both directions of "Sprzedaz" with the queue factory.
void RegisterSalesQueues();

} // namespace pelk
