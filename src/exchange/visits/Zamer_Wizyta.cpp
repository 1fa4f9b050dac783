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
        const bool found = m_crm.Open_GetZamerWizyta(ObiektID.toString(), DzienWizyty);
        m_answered = m_crm.Q_ZamerWizyty.IsActive();
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
        Query &q = m_crm.Q_ZamerWizyty;
        auto value = [&](const char *column) { return q.FieldByName(QLatin1String(column)).Value(); };
        int sort = 1;
        for (q.First(); !q.Eof(); q.Next(), ++sort) {
            TZamer_WizytaPozycjeCollectionItem *item = m_pozycje->Add();
            item->ObiektID = value("KlientID");
            item->Sort = sort;
            const Variant od = value("GodzinaOd");
            const Variant doDnia = value("GodzinaDo");
            if (od.isNull() || doDnia.isNull())
                throw Exception(QStringLiteral("Aktywność %1 u klienta %2 nie ma godziny %3")
                                    .arg(value("ID").toString(), item->ObiektID.toString(),
                                         od.isNull() ? QStringLiteral("rozpoczęcia") : QStringLiteral("zakończenia")));
            item->GodzinaOd = Variant(DateTimeToText(od.toDateTime()));
            item->GodzinaDo = Variant(DateTimeToText(doDnia.toDateTime()));
            item->Czas = Variant(double(CzasWSekundach(od.toDateTime(), doDnia.toDateTime())));
            item->KodWizyty = value("KodAktywnosci");
            item->Opis = value("Opis").toString();
        }
        return true;
    });
}

} // namespace pelk
