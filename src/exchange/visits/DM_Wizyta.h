#pragma once
// The visit exchange's data module: the CRM's list of changed visits and the activities of one
// representative-day, and the GIS visit and stop rows that the target visit writes.
#include "config/DateTime.h"
#include "db/Query.h"
#include "db/TableRow.h"

#include <QHash>

namespace pelk {

class TDM_Main;

class TDM_Wizyta
{
public:
    explicit TDM_Wizyta(TDM_Main &dm);
    ~TDM_Wizyta();
    TDM_Wizyta(const TDM_Wizyta &) = delete;
    TDM_Wizyta &operator=(const TDM_Wizyta &) = delete;

    // GIS: the visit of a representative object and day; the visit row by WIZ_ID; the stop
    // row by visit and object.
    Query Q_Wizyta;
    TableRow WizytaRow;
    TableRow Q_WizytaObiekt;
    // GIS: statements without result (new stops).
    Query Q_EmptyQueryToExec;
    // CRM: the changed visits; the activities of one representative-day.
    Query Q_GetZamerWizytyToTransport;
    Query Q_ZamerWizyty;

    // Opens the list of activities created or updated after the time, positioned on its first
    // row. False (logged) when the CRM could not be asked.
    bool Open_GetZamerWizytaToTransport(TDateTime lastExchange);
    // Opens the activities of the representative (CRM user id as decimal text) starting on the
    // day (whole day number). True when there is at least one; Q_ZamerWizyty.IsActive() tells
    // an empty day from a failure (logged), such as an id that is no number.
    bool Open_GetZamerWizyta(const QString &pracownikId, int dzien);
    // The GIS object of the external id and type (TDM_PelkFun's look-up), remembered for the
    // module's life, one run: an object keeps its id; one not found is asked for again.
    bool GetObiektID(const QString &exid, int typ, int &id);
    // Opens Q_Wizyta for the GIS object and day ("yyyy-mm-dd"); true when the visit exists.
    // Throws on a database error.
    bool FindWizyta(int obiektId, const QString &dzien);

    void CloseDataSets();

private:
    TDM_Main &m_dm;
    QHash<QString, int> m_obiekty; // "<type>|<exid>" -> object id
};

} // namespace pelk
