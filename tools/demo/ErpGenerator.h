#pragma once
// Realistic ERP content for the demo: items of every product group, and orders with invoiced
// lines over the last 13 months for most demo customers, written as SQL for the ERP's SQLite
// database; and the customers' ERP numbers for their GIS objects.
#include <QDate>
#include <QRandomGenerator>
#include <QString>

namespace pelk::demo {

class ErpGenerator
{
public:
    explicit ErpGenerator(quint32 seed) : m_random(seed) {}

    // The ERP number of the CRM customer with the given CRM number (both numeric texts).
    static QString ErpNumber(int crmNumber) { return QStringLiteral("M%1").arg(crmNumber + 200000); }
    // Whether the CRM customer (1-based position) buys from the ERP at all (most do).
    static bool HasErpNumber(int i) { return i % 10 != 0; }

    // Items, and orders of the customers 1..total invoiced from `today` back 13 months; some
    // of order types PRX and PRP and some lines of another facility, which never count; one
    // ERP customer that no GIS object knows.
    QString InitialData(int total, const QDate &today);
    // For the GIS database: every customer's and distributor's ERP number as a text attribute
    // of its object (where it has none yet); the last distributor carries the ERP number of
    // the first customer (one ERP customer, two GIS objects).
    static QString ErpIdsForGis(int total);

private:
    QRandomGenerator m_random;
};

} // namespace pelk::demo
