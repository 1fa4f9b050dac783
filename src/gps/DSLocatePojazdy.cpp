#include "DSLocatePojazdy.h"

namespace pelk {

// The list lives on the main thread and the decoder thread adds to it; Qt parents objects
// within one thread only, so the items have no QObject parent: the list owns and frees them.
TDSLocatePojazd::TDSLocatePojazd(TObjectCollection *) : TObjectCollectionItem(nullptr) {}

TDSLocatePojazdy::TDSLocatePojazdy(QObject *parent) : TObjectCollection(TDSLocatePojazd::staticMetaObject, parent) {}

TDSLocatePojazd *TDSLocatePojazdy::AddPojazd()
{
    return static_cast<TDSLocatePojazd *>(Add());
}

TDSLocatePojazd *TDSLocatePojazdy::FindByNrPojazdu(const QString &nr) const
{
    // Vehicles appended since the last look-up are added to the index; a list that shrank
    // (cleared) is indexed anew.
    if (Count() < m_zindeksowane) {
        m_indeks.clear();
        m_zindeksowane = 0;
    }
    for (; m_zindeksowane < Count(); ++m_zindeksowane)
        if (!m_indeks.contains(Items(m_zindeksowane)->NrPojazdu))
            m_indeks.insert(Items(m_zindeksowane)->NrPojazdu, m_zindeksowane);
    const auto found = m_indeks.constFind(nr);
    return found == m_indeks.cend() ? nullptr : Items(*found);
}

TDSLocatePojazd *TDSLocatePojazdy::FindByNazwa(const QString &name) const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Nazwa == name)
            return Items(i);
    return nullptr;
}

namespace {

// A text of its own: nothing of it is shared with the list, whose texts the other thread
// replaces.
QString Own(const QString &text)
{
    return QString(text.constData(), text.size());
}

} // namespace

RPojazd TDSLocatePojazdy::Copy(const TDSLocatePojazd &p)
{
    return {Own(p.NrPojazdu), Own(p.Nazwa), Own(p.Typ), Own(p.Opis)};
}

TDSLocatePojazd *TDSLocatePojazdy::FindOrAppend(const QString &nr)
{
    if (TDSLocatePojazd *p = FindByNrPojazdu(nr))
        return p;
    if (Count() >= kMaxPojazdow)
        return nullptr;
    TDSLocatePojazd *p = AddPojazd();
    p->NrPojazdu = nr;
    return p;
}

bool TDSLocatePojazdy::AppendNrPojazdu(const QString &nr)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return FindOrAppend(nr) != nullptr;
}

void TDSLocatePojazdy::UpdateListed(const QString &nr, const QString &nazwa, const QString &typ, const QString &opis)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (TDSLocatePojazd *p = FindByNrPojazdu(nr)) {
        p->Nazwa = nazwa;
        p->Typ = typ;
        p->Opis = opis;
    }
}

bool TDSLocatePojazdy::UpdateOrAppend(const QString &nr, const QString &nazwa, const QString &typ)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    TDSLocatePojazd *p = FindOrAppend(nr);
    if (!p)
        return false;
    p->Nazwa = nazwa;
    p->Typ = typ;
    return true;
}

std::optional<RPojazd> TDSLocatePojazdy::CopyByNrPojazdu(const QString &nr) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const TDSLocatePojazd *p = FindByNrPojazdu(nr);
    return p ? std::optional<RPojazd>(Copy(*p)) : std::nullopt;
}

std::optional<RPojazd> TDSLocatePojazdy::CopyByNazwa(const QString &name) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const TDSLocatePojazd *p = FindByNazwa(name);
    return p ? std::optional<RPojazd>(Copy(*p)) : std::nullopt;
}

int TDSLocatePojazdy::LockedCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return Count();
}

void TDSLocatePojazdy::LockedClear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Clear();
}

} // namespace pelk
