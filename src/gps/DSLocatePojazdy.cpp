#include "DSLocatePojazdy.h"

namespace pelk {

// The list lives on the main thread and the decoder thread adds to it; Qt parents objects
// within one thread only, so the items have no QObject parent: the list owns and frees them.
TDSLocatePojazd::TDSLocatePojazd(TObjectCollection *) : TObjectCollectionItem(nullptr) {}

TDSLocatePojazdy::TDSLocatePojazdy(QObject *parent)
    : TObjectCollection(TDSLocatePojazd::staticMetaObject, parent)
{
}

TDSLocatePojazd *TDSLocatePojazdy::AddPojazd()
{
    return static_cast<TDSLocatePojazd *>(Add());
}

TDSLocatePojazd *TDSLocatePojazdy::FindByNrPojazdu(const QString &nr) const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->NrPojazdu == nr)
            return Items(i);
    return nullptr;
}

TDSLocatePojazd *TDSLocatePojazdy::FindByNazwa(const QString &name) const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Nazwa == name)
            return Items(i);
    return nullptr;
}

} // namespace pelk
