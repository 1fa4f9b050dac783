#include "ErpGenerator.h"

#include <QStringList>
#include <iterator>

namespace pelk::demo {

namespace {

struct Item
{
    const char *number, *area, *group;
    double kg;
    double price;
};

// One or more items of every product group the sales figures sum.
const Item kItems[] = {
    {"PCE-RUT-25", "C10", "200", 25, 180},  {"PCE-BAS-15", "C10", "202", 15, 120},   {"PCE-STD-05", "C10", "110", 5, 45},
    {"PCS-MAG-15", "C20", "206", 15, 210},  {"PCS-SPL-18", "C20", "207", 18, 260},   {"PCS-STD-10", "C20", "120", 10, 95},
    {"PCC-ROD-05", "C21", "130", 5, 75},    {"PCF-FLX-12", "C22", "140", 12, 150},   {"MMA-160", "E30", "310", 6.5, 1450},
    {"TIG-200DC", "E31", "335", 9.8, 3900}, {"TIG-200ACDC", "E32", "397", 18, 7600}, {"MIG-R-400", "E40", "322", 95, 12500},
    {"MIG-C-300", "E30", "396", 48, 5400},  {"MIG-C-200", "E30", "320", 32, 3100},   {"E-ACC-MASK", "E31", "900", 0.6, 240},
};

} // namespace

QString ErpGenerator::InitialData(int total, const QDate &today)
{
    QString sql = QStringLiteral("BEGIN;\n");
    for (const Item &item : kItems)
        sql += QStringLiteral("INSERT INTO MITMAS VALUES ('%1', '%2', '%3', %4);\n")
                   .arg(QLatin1String(item.number), QLatin1String(item.area), QLatin1String(item.group))
                   .arg(item.kg);
    int order = 0;
    auto addOrder = [&](const QString &customer, const QString &type, qint64 daysBack) {
        const QString number = QStringLiteral("Z%1").arg(++order, 7, 10, QLatin1Char('0'));
        const QDate invoiced = today.addDays(-daysBack);
        sql += QStringLiteral("INSERT INTO ODHEAD VALUES ('%1', 1, '%2', %3, '%4');\n")
                   .arg(number, customer, invoiced.toString(QStringLiteral("yyyyMMdd")), type);
        const int lines = 1 + int(m_random.bounded(4));
        for (int l = 1; l <= lines; ++l) {
            const Item &item = kItems[m_random.bounded(quint32(std::size(kItems)))];
            const int quantity = 1 + int(m_random.bounded(item.price > 1000 ? 3 : 40));
            // One line in twenty leaves from another facility.
            const char *facility = m_random.bounded(20) == 0 ? "WRO" : "BPL";
            sql += QStringLiteral("INSERT INTO ODLINE VALUES ('%1', 1, %2, '%3', '%4', %5, %6);\n")
                       .arg(number)
                       .arg(l)
                       .arg(QLatin1String(facility), QLatin1String(item.number))
                       .arg(QString::number(quantity * item.price * (0.9 + m_random.bounded(20) / 100.0), 'f', 2))
                       .arg(quantity);
        }
    };
    for (int i = 1; i <= total; ++i) {
        if (!HasErpNumber(i))
            continue;
        const QString customer = ErpNumber(100000 + i);
        const int orders = 1 + int(m_random.bounded(8));
        for (int o = 0; o < orders; ++o)
            addOrder(customer, QStringLiteral("ZAM"), m_random.bounded(396));
        // Internal transfers and pro-forma orders are never counted.
        if (m_random.bounded(15) == 0)
            addOrder(customer, m_random.bounded(2) ? QStringLiteral("PRX") : QStringLiteral("PRP"), m_random.bounded(396));
    }
    // The first customer (on two GIS objects) bought this month for sure.
    addOrder(ErpNumber(100001), QStringLiteral("ZAM"), 0);
    addOrder(QStringLiteral("M999999"), QStringLiteral("ZAM"), m_random.bounded(30)); // not in the GIS
    sql += QStringLiteral("COMMIT;\n");
    return sql;
}

QString ErpGenerator::ErpIdsForGis(int total)
{
    // Attribute "Numer ERP": 7 for customers, 17 for distributors.
    return QStringLiteral(
               "INSERT OR IGNORE INTO ATRYBUT_OBIEKT (ATO_ID_ATR, ATO_ID_OB, ATO_VAR_TXT) "
               "SELECT CASE OB_ID_SLO_TYP WHEN 108 THEN 17 ELSE 7 END, OB_ID, 'M' || (CAST(OB_EXID AS INTEGER) + 200000) "
               "FROM OBIEKT WHERE OB_ID_SLO_TYP IN (102, 108) AND (CAST(OB_EXID AS INTEGER) - 100000) % 10 <> 0 "
               "AND CAST(OB_EXID AS INTEGER) <> %1;\n"
               "INSERT OR REPLACE INTO ATRYBUT_OBIEKT (ATO_ID_ATR, ATO_ID_OB, ATO_VAR_TXT) "
               "SELECT 17, OB_ID, '%2' FROM OBIEKT WHERE OB_EXID = '%1' AND OB_ID_SLO_TYP = 108;\n")
        .arg(100000 + total)
        .arg(ErpNumber(100001));
}

} // namespace pelk::demo
