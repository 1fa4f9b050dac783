#include "Zamer_Wizyta.h"

#include "DM_Wizyta.h"
#include "app/DM_Main.h"
#include "app/Guarded.h"
#include "app/Log.h"
#include "config/Errors.h"

#include <cmath>

namespace pelk {

qint64 CzasWSekundach(TDateTime od, TDateTime doDnia)
{
    // Through whole milliseconds: the day fractions of two times on the second are not exact,
    // and truncating their difference directly loses a second (1799 for half an hour).
    const qint64 ms = std::llround((doDnia - od) * MSecsPerDay);
    return ms / 1000;
}

TZamer_WizytaPozycjeCollectionItem::TZamer_WizytaPozycjeCollectionItem(TObjectCollection *collection)
    : TObjectCollectionItem(collection)
{}

TZamer_WizytaPozycjeCollection::TZamer_WizytaPozycjeCollection(QObject *parent)
    : TObjectCollection(TZamer_WizytaPozycjeCollectionItem::staticMetaObject, parent)
{}

TZamer_Wizyta::TZamer_Wizyta(TDM_Main &dm, TDM_Wizyta &crm, QObject *parent)
    : TInterfaceObject(dm, parent), m_crm(crm), m_pozycje(new TZamer_WizytaPozycjeCollection(this))
{}

bool TZamer_Wizyta::LoadObjectData(RObiekt &element)
{
    m_answered = false;
    const bool loaded = Guarded(m_dm.Log(), PELK_HERE, [&] {
        ObjectID = Variant(element.Key);
        ObiektID = Variant(element.Text1);
        Data = Variant(DateTimeToText(element.Number).left(10));
        DzienWizyty = element.Number;
        return LoadWizyta();
    });
    // A day the CRM gave but that cannot be exchanged (no activity left, a time missing) is
    // refused; a CRM that could not be asked is not, so the day is listed again next run.
    element.Refused = !loaded && m_answered;
    return loaded;
}

bool TZamer_Wizyta::LoadWizyta()
{
    return Guarded(m_dm.Log(), PELK_HERE, [&] {
        if (m_dm.Db().CheckRequiredField(QStringLiteral("ObjectID"), ObjectID)) {
            m_answered = true; // nothing to ask for: refused as it is
            return false;
        }
        return GetWizyta() && GetPozycjeWizyta();
    });
}

bool TZamer_Wizyta::GetWizyta()
{
    return Guarded(m_dm.Log(), PELK_HERE, [&] {
        const bool found = m_crm.GetAktywnosci(ObiektID.toString(), DzienWizyty, m_aktywnosci, m_answered);
        if (!found && m_answered)
            m_dm.Log()->Warning(2,
                                QStringLiteral(" Brak aktywności pracownika \"%1\" w dniu %2\r\n"
                                               "      Wizyta nie została przetworzona")
                                    .arg(ObiektID.toString(), Data.toString()));
        return found;
    });
}

bool TZamer_Wizyta::GetPozycjeWizyta()
{
    return Guarded(m_dm.Log(), PELK_HERE, [&] {
        int sort = 1;
        for (const RAktywnosc &a : m_aktywnosci) {
            TZamer_WizytaPozycjeCollectionItem *item = m_pozycje->Add();
            item->ObiektID = a.KlientID;
            item->Sort = sort++;
            if (a.GodzinaOd.isNull() || a.GodzinaDo.isNull())
                throw Exception(QStringLiteral("Aktywność %1 u klienta %2 nie ma godziny %3")
                                    .arg(a.ID.toString(), item->ObiektID.toString(),
                                         a.GodzinaOd.isNull() ? QStringLiteral("rozpoczęcia") : QStringLiteral("zakończenia")));
            const TDateTime od = a.GodzinaOd.toDateTime(), doDnia = a.GodzinaDo.toDateTime();
            item->GodzinaOd = Variant(DateTimeToText(od));
            item->GodzinaDo = Variant(DateTimeToText(doDnia));
            item->Czas = Variant(double(CzasWSekundach(od, doDnia)));
            item->KodWizyty = a.KodAktywnosci;
            item->Opis = a.Opis;
        }
        return true;
    });
}

} // namespace pelk
