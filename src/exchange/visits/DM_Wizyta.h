#pragma once
// The visit exchange's data module: the CRM's list of changed visits and the activities of the
// listed representative-days, and the GIS visit and stop rows that the target visit writes.
#include "config/DateTime.h"
#include "db/Query.h"
#include "db/TableRow.h"

#include <QHash>

namespace pelk {

class TDM_Main;

// One CRM activity of a representative-day: a stop of its visit.
struct RAktywnosc
{
    Variant ID, KlientID, GodzinaOd, GodzinaDo, KodAktywnosci;
    QString Opis;
};

class TDM_Wizyta
{
public:
    explicit TDM_Wizyta(TDM_Main &dm);
    ~TDM_Wizyta();
    TDM_Wizyta(const TDM_Wizyta &) = delete;
    TDM_Wizyta &operator=(const TDM_Wizyta &) = delete;

    // GIS: the visit of a representative object and day; the visit row; the stops of a visit
    // and the stop row.
    Query Q_Wizyta;
    TableRow WizytaRow;
    Query Q_WizytaObiekty;
    TableRow Q_WizytaObiekt;
    // GIS: statements without result (new stops).
    Query Q_EmptyQueryToExec;
    // CRM: the changed visits; the activities of the listed representative-days.
    Query Q_GetZamerWizytyToTransport;
    Query Q_ZamerWizyty;

    // Opens the list of activities created or updated after the time, positioned on its first
    // row. False (logged) when the CRM could not be asked.
    bool Open_GetZamerWizytaToTransport(TDateTime lastExchange);
    // The activities of the representative (CRM user id as decimal text) starting on the day
    // (whole day number), in start order. The activities of every day of the last list are
    // read by the first call, in one statement, and kept for the module's life (one run). False
    // when the day has none (`answered`) or when the CRM could not be asked (logged).
    bool GetAktywnosci(const QString &pracownikId, int dzien, QList<RAktywnosc> &aktywnosci, bool &answered);
    // Opens Q_Wizyta for the GIS object and day ("yyyy-mm-dd") and WizytaRow on the visit it
    // found; true when the visit exists. Throws on a database error.
    bool FindWizyta(int obiektId, const QString &dzien);
    // Reads the stops of the visit in one statement, for OpenWizytaObiekt.
    void ReadWizytaObiekty(int wizytaId);
    // Opens Q_WizytaObiekt on the stop of the last read visit at the object; false when the
    // visit has none there.
    bool OpenWizytaObiekt(int obiektId);

    void CloseDataSets();

private:
    // Reads the activities of the listed days into m_aktywnosci.
    bool ReadAktywnosci();

    TDM_Main &m_dm;
    TDateTime m_listaOd = 0; // the time the last list was read for
    bool m_aktywnosciRead = false;
    QHash<QString, QList<RAktywnosc>> m_aktywnosci; // "<representative>_<day>" -> activities
};

} // namespace pelk
