#include "Zamer_Klient.h"

#include "DM_Obiekt.h"
#include "app/DM_Main.h"
#include "app/Guarded.h"
#include "app/Log.h"
#include "config/Errors.h"

namespace pelk {

TZamer_Klient::TZamer_Klient(TDM_Main &dm, TDM_Obiekt &crm, QObject *parent) : TZamer_KlientDane(dm, parent), m_crm(crm) {}

bool TZamer_Klient::LoadObjectData(RObiekt &element)
{
    m_rowRead = false;
    const bool loaded = Guarded(Log(), PELK_HERE, [&] {
        if (m_dm.Db().CheckRequiredField(QStringLiteral("ObjectID"), ObjectID)) {
            m_rowRead = true; // nothing to read: refused as it is
            return false;
        }
        ID = ObjectID;
        return LoadKlient();
    });
    // A record the CRM gave but that cannot be exchanged (no row, a null date) is refused; a
    // CRM that could not be asked is not, so the customer is listed again by the next run.
    element.Refused = !loaded && m_rowRead;
    return loaded;
}

bool TZamer_Klient::LoadKlient()
{
    return Guarded(Log(), PELK_HERE, [this] { return GetKlient(); });
}

bool TZamer_Klient::GetKlient()
{
    return Guarded(Log(), PELK_HERE, [this] {
        if (!m_crm.OpenQ_GetZamerKlient(ID.toString()))
            return false;
        m_rowRead = true;
        const Query &q = m_crm.Q_ZamerKlient;
        auto text = [&](const char *column) { return q.FieldByName(QLatin1String(column)).Value().toString(); };
        auto value = [&](const char *column) { return q.FieldByName(QLatin1String(column)).Value(); };
        // No row, or a row without its dates: the strict conversions raise and the element fails.
        auto date = [&](const char *column) { return Variant(DateTimeToText(value(column).toDateTime())); };
        if (q.IsEmpty())
            throw Exception(QStringLiteral("Brak klienta o numerze %1").arg(ID.toString()));
        Nazwa = text("Nazwa");
        Miasto = text("Miasto");
        Ulica = text("Ulica");
        Kod = value("Kod");
        Aktywny = Variant(1);
        DataUtworzenia = date("DataUtworzenia");
        DataAktualizacji = date("DataAktualizacji");
        KategoriaABC = value("KategoriaABC");
        Sektor = value("Sektor");
        Kategoria = value("Kategoria");
        OsobaOdpowiedzialna = value("OsobaOdpowiedzialna");
        return true;
    });
}

} // namespace pelk
