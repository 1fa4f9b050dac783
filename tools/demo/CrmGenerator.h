#pragma once
// Realistic CRM content for the demo: representatives, codes, customers and distributors of
// region BPL and the representatives' activities at them, written as SQL for the CRM's SQLite
// database; and the representatives as GIS objects.
#include <QDate>
#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QVector>
#include <functional>

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

    // The representatives' activities (visits at customers) on the `days` days up to `lastDay`,
    // weekdays only when asked, `minPerDay` to `maxPerDay` a day each at distinct customers,
    // mostly their own (after InitialData), some at distributors; with the activity codes.
    struct ActivityPlan
    {
        QDate lastDay;
        int days = 20;
        int minPerDay = 3;
        int maxPerDay = 7;
        bool weekdaysOnly = true;
    };
    QString Activities(const ActivityPlan &plan);
    // Changes for an incremental run of visits: `count` activities of `activityTotal` end ten
    // minutes later, and `count` new activities on `day` (customers 1..customerTotal).
    QString VisitChanges(int count, int activityTotal, int customerTotal, const QDate &day, const QString &changedAt);
    // The representatives as GIS objects of type 103 (external id: the CRM user id), added
    // when missing.
    static QString GisRepresentatives();
    static constexpr int Users = 24;

private:
    QString Pick(const QStringList &list);
    QString CompanyName();
    QString Street();
    QString PostalCode();
    // One representative's activities on one day at customers taken by `pick`.
    QString DayOfActivities(int user, const QDate &day, int count, const std::function<int()> &pick, const QString &createdAt);

    QRandomGenerator m_random;
    QVector<QList<int>> m_customersOf; // per user: the customers in their care
    int m_customers = 0;
    int m_distributors = 0;
};

} // namespace pelk::demo
