#pragma once
// Realistic CRM content for the demo: representatives, codes, customers and distributors of
// region BPL, written as SQL for the CRM's SQLite database.
#include <QRandomGenerator>
#include <QString>

namespace pelk::demo {

class CrmGenerator
{
public:
    explicit CrmGenerator(quint32 seed) : m_random(seed) {}

    // The whole CRM content: users, codes, `customers` customers and `distributors` distributors.
    QString InitialData(int customers, int distributors, const QString &createdAt);
    // Changes for an incremental run: `count` customers renamed or moved, and one rating-code
    // description changed (so its customers are listed again through the code alone).
    QString Changes(int count, int customerTotal, const QString &changedAt);

private:
    QString Pick(const QStringList &list);
    QString CompanyName();
    QString Street();
    QString PostalCode();

    QRandomGenerator m_random;
};

} // namespace pelk::demo
