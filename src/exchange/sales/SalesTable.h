#pragma once
// The figures of one sales run in memory: per ERP customer number, the (attribute, value)
// positions the steps found, in the order they were added. Looked up by the exact number.
#include <QHash>
#include <QString>
#include <QVector>

namespace pelk {

struct RPozycjaSprzedazy
{
    int Atrybut = 0; // GIS attribute number
    double Wartosc = 0;
};

class TSprzedazTable
{
public:
    // Empties the table.
    void Clear() { m_klienci.clear(); }
    // Adds one position; true when the customer had none before.
    bool Add(const QString &id, int atrybut, double wartosc);
    // The customer's positions (none for a number the table does not hold).
    const QVector<RPozycjaSprzedazy> &Pozycje(const QString &id) const;

private:
    QHash<QString, QVector<RPozycjaSprzedazy>> m_klienci;
};

} // namespace pelk
