#include "SalesTable.h"

namespace pelk {

bool TSprzedazTable::Add(const QString &id, int atrybut, double wartosc)
{
    auto it = m_klienci.find(id);
    const bool nowy = it == m_klienci.end();
    if (nowy)
        it = m_klienci.insert(id, {});
    it->append({atrybut, wartosc});
    return nowy;
}

const QVector<RPozycjaSprzedazy> &TSprzedazTable::Pozycje(const QString &id) const
{
    static const QVector<RPozycjaSprzedazy> none;
    const auto it = m_klienci.constFind(id);
    return it == m_klienci.constEnd() ? none : *it;
}

} // namespace pelk
