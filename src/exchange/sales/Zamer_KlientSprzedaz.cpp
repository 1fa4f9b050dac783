#include "Zamer_KlientSprzedaz.h"

#include "DM_Sprzedaz.h"
#include "app/DM_Main.h"
#include "app/Guarded.h"

namespace pelk {

TZamer_KlientSprzedazPozycjaCollectionItem::TZamer_KlientSprzedazPozycjaCollectionItem(TObjectCollection *collection)
    : TObjectCollectionItem(collection)
{}

TZamer_KlientSprzedazPozycjaCollection::TZamer_KlientSprzedazPozycjaCollection(QObject *parent)
    : TObjectCollection(TZamer_KlientSprzedazPozycjaCollectionItem::staticMetaObject, parent)
{}

TZamer_KlientSprzedaz::TZamer_KlientSprzedaz(TDM_Main &dm, TDM_Sprzedaz &sprzedaz, QObject *parent)
    : TZamer_KlientDane(dm, parent), m_sprzedaz(sprzedaz), m_pozycje(new TZamer_KlientSprzedazPozycjaCollection(this))
{}

bool TZamer_KlientSprzedaz::LoadObjectData(RObiekt &)
{
    return Guarded(Log(), PELK_HERE, [&] {
        if (m_dm.Db().CheckRequiredField(QStringLiteral("ObjectID"), ObjectID))
            return false;
        ID = ObjectID;
        return LoadKlientSprzedaz();
    });
}

bool TZamer_KlientSprzedaz::LoadKlientSprzedaz()
{
    return Guarded(Log(), PELK_HERE, [&] {
        // Looked up by the exact number: any character in it (a quote, a Polish letter) is
        // part of the key and nothing else.
        for (const RPozycjaSprzedazy &p : m_sprzedaz.kbmMemTable_Sprzedaz.Pozycje(ID.toString())) {
            TZamer_KlientSprzedazPozycjaCollectionItem *item = m_pozycje->Add();
            item->Atrybut = QString::number(p.Atrybut);
            item->Wartosc = Variant(p.Wartosc);
        }
        return true;
    });
}

} // namespace pelk
