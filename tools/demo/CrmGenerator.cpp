#include "CrmGenerator.h"

#include <QStringList>

namespace pelk::demo {

namespace {

const QStringList kFirstNames = {
    QStringLiteral("Anna"),       QStringLiteral("Piotr"),    QStringLiteral("Katarzyna"), QStringLiteral("Krzysztof"),
    QStringLiteral("Małgorzata"), QStringLiteral("Andrzej"),  QStringLiteral("Agnieszka"), QStringLiteral("Tomasz"),
    QStringLiteral("Barbara"),    QStringLiteral("Paweł"),    QStringLiteral("Ewa"),       QStringLiteral("Michał"),
    QStringLiteral("Elżbieta"),   QStringLiteral("Marcin"),   QStringLiteral("Zofia"),     QStringLiteral("Łukasz"),
    QStringLiteral("Joanna"),     QStringLiteral("Grzegorz"), QStringLiteral("Magdalena"), QStringLiteral("Wojciech")};
const QStringList kSurnames = {
    QStringLiteral("Nowak"),     QStringLiteral("Kowalski"),  QStringLiteral("Wiśniewski"),  QStringLiteral("Wójcik"),
    QStringLiteral("Kowalczyk"), QStringLiteral("Kamiński"),  QStringLiteral("Lewandowski"), QStringLiteral("Zieliński"),
    QStringLiteral("Szymański"), QStringLiteral("Woźniak"),   QStringLiteral("Dąbrowski"),   QStringLiteral("Kozłowski"),
    QStringLiteral("Jankowski"), QStringLiteral("Mazur"),     QStringLiteral("Krawczyk"),    QStringLiteral("Piotrowski"),
    QStringLiteral("Grabowski"), QStringLiteral("Pawłowski"), QStringLiteral("Michalski"),   QStringLiteral("Król")};
const QStringList kTrades = {
    QStringLiteral("Sklep spożywczy"), QStringLiteral("Delikatesy"),   QStringLiteral("Market"),
    QStringLiteral("Piekarnia"),       QStringLiteral("Hurtownia"),    QStringLiteral("Restauracja"),
    QStringLiteral("Kawiarnia"),       QStringLiteral("Stacja paliw"), QStringLiteral("Kiosk"),
    QStringLiteral("Cukiernia"),       QStringLiteral("Bar mleczny"),  QStringLiteral("Pawilon handlowy")};
const QStringList kBrands = {
    QStringLiteral("Pod Lipami"),    QStringLiteral("Żabka"),    QStringLiteral("Jagódka"),     QStringLiteral("Smakosz"),
    QStringLiteral("Społem"),        QStringLiteral("Bałtyk"),   QStringLiteral("Mazurek"),     QStringLiteral("Złoty Kłos"),
    QStringLiteral("U Zbyszka"),     QStringLiteral("Świeżość"), QStringLiteral("Pod Żaglami"), QStringLiteral("Gęś i Kaczka"),
    QStringLiteral("O'Brien & Syn"), QStringLiteral("Wrzos"),    QStringLiteral("Łączka"),      QStringLiteral("Kasztelan")};
const QStringList kForms = {QStringLiteral("sp. z o.o."), QStringLiteral("s.c."), QStringLiteral("S.A."), QString(), QString(),
                            QStringLiteral("sp.j.")};
const char *const kCities[] = {"Warszawa",  "Kraków", "Łódź",      "Wrocław",  "Poznań",       "Gdańsk",      "Szczecin",
                               "Bydgoszcz", "Lublin", "Białystok", "Katowice", "Gdynia",       "Częstochowa", "Radom",
                               "Toruń",     "Kielce", "Rzeszów",   "Olsztyn",  "Zielona Góra", "Opole"};
const QStringList kStreets = {
    QStringLiteral("ul. Marszałkowska"), QStringLiteral("ul. Piłsudskiego"),     QStringLiteral("ul. Mickiewicza"),
    QStringLiteral("ul. Słowackiego"),   QStringLiteral("ul. Kościuszki"),       QStringLiteral("ul. Długa"),
    QStringLiteral("ul. Krótka"),        QStringLiteral("ul. Źródlana"),         QStringLiteral("ul. Żeromskiego"),
    QStringLiteral("al. Jana Pawła II"), QStringLiteral("ul. Wojska Polskiego"), QStringLiteral("ul. Ogrodowa"),
    QStringLiteral("ul. Polna"),         QStringLiteral("ul. Łąkowa"),           QStringLiteral("pl. Grunwaldzki"),
    QStringLiteral("ul. Świętokrzyska")};

// Codes of the CRM dictionary: rating categories, business lines, relation categories.
struct Code
{
    int id;
    const char *description;
};
const Code kRatingCodes[] = {
    {101, "Kategoria A - kluczowy"}, {102, "Kategoria B - rozwojowy"}, {103, "Kategoria C - standardowy"}};
const Code kBusinessLines[] = {{1501, "Handel detaliczny"}, {1502, "Gastronomia"},         {1503, "Stacje paliw"},
                               {1504, "Sieci handlowe"},    {1567, "Dystrybutor hurtowy"}, {1568, "Dystrybutor regionalny"}};
const Code kCategories[] = {{2201, "Opieka stała"}, {2202, "Opieka okresowa"}, {2203, "Pozyskanie"}};
// Activity types; 3099 is used without an entry in the code table (its description is empty).
const Code kActivityCodes[] = {{3001, "Wizyta handlowa"},
                               {3002, "Zbieranie zamówienia"},
                               {3003, "Prezentacja nowości"},
                               {3004, "Merchandising"},
                               {3005, "Reklamacja"}};
constexpr int kCodeWithoutEntry = 3099;
constexpr int kUsers = CrmGenerator::Users;

QString q(const QString &text)
{
    QString t = text;
    return QLatin1Char('\'') + t.replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}

QString customerNumber(int i)
{
    return QStringLiteral("%1").arg(100000 + i);
}

QString firstName(int user)
{
    return kFirstNames.at(user % kFirstNames.size());
}
QString surname(int user)
{
    return kSurnames.at((user * 7) % kSurnames.size());
}

QString dateTime(const QDate &day, int minutes)
{
    return QStringLiteral("%1 %2:%3:00")
        .arg(day.toString(Qt::ISODate))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

QString CrmGenerator::Pick(const QStringList &list)
{
    return list.at(int(m_random.bounded(quint32(list.size()))));
}

QString CrmGenerator::CompanyName()
{
    QString name = Pick(kTrades) + QStringLiteral(" \"") + Pick(kBrands) + QStringLiteral("\"");
    if (m_random.bounded(3) == 0)
        name += QLatin1Char(' ') + Pick(kFirstNames) + QLatin1Char(' ') + Pick(kSurnames);
    const QString form = Pick(kForms);
    return form.isEmpty() ? name : name + QLatin1Char(' ') + form;
}

QString CrmGenerator::Street()
{
    QString s = Pick(kStreets) + QLatin1Char(' ') + QString::number(1 + m_random.bounded(180));
    if (m_random.bounded(4) == 0)
        s += QLatin1Char('/') + QString::number(1 + m_random.bounded(60));
    return s;
}

QString CrmGenerator::PostalCode()
{
    return QStringLiteral("%1-%2").arg(10 + m_random.bounded(90)).arg(m_random.bounded(1000), 3, 10, QLatin1Char('0'));
}

QString CrmGenerator::InitialData(int customers, int distributors, const QString &createdAt)
{
    QString sql = QStringLiteral("BEGIN;\n");
    for (int u = 1; u <= kUsers; ++u)
        sql += QStringLiteral("INSERT INTO CaesarUser (CaesarUserID, FirstName, Surname) VALUES (%1, %2, %3);\n")
                   .arg(u)
                   .arg(q(firstName(u)), q(surname(u)));
    auto codes = [&](const Code *list, size_t n) {
        for (size_t i = 0; i < n; ++i)
            sql += QStringLiteral("INSERT INTO Code (CodeID, Description, UpdateDate) VALUES (%1, %2, %3);\n")
                       .arg(list[i].id)
                       .arg(q(QString::fromUtf8(list[i].description)), q(createdAt));
    };
    codes(kRatingCodes, std::size(kRatingCodes));
    codes(kBusinessLines, std::size(kBusinessLines));
    codes(kCategories, std::size(kCategories));

    const int total = customers + distributors;
    m_customers = customers;
    m_distributors = distributors;
    m_customersOf = QVector<QList<int>>(kUsers + 1);
    for (int i = 1; i <= total; ++i) {
        const bool distributor = i > customers;
        const char *city = kCities[m_random.bounded(quint32(std::size(kCities)))];
        const int line = distributor ? kBusinessLines[4 + m_random.bounded(2)].id : kBusinessLines[m_random.bounded(4)].id;
        // A few rows without name or street, as real CRM data has them.
        const bool sparse = m_random.bounded(97) == 0;
        sql += QStringLiteral("INSERT INTO Customer (CustomerID, CustomerNumber, Name1, Address, ZipCode, City, Region, "
                              "ratingCode, BusinessLineCODE, CreateDate, UpdateDate) VALUES "
                              "(%1, %2, %3, %4, %5, %6, 'BPL', %7, %8, %9, %9);\n")
                   .arg(i)
                   .arg(q(customerNumber(i)), sparse ? QStringLiteral("NULL") : q(CompanyName()),
                        sparse ? QStringLiteral("NULL") : q(Street()), q(PostalCode()), q(QString::fromUtf8(city)))
                   .arg(kRatingCodes[m_random.bounded(3)].id)
                   .arg(line)
                   .arg(q(createdAt));
        if (m_random.bounded(10) != 0) {
            const int category = kCategories[m_random.bounded(3)].id;
            const int user = 1 + int(m_random.bounded(kUsers));
            m_customersOf[user].append(i);
            sql += QStringLiteral(
                       "INSERT INTO relCaesarUserCustomer (CustomerID, BusinessAreaCODE, CategoryCODE, CaesarUserID, UpdateDate) "
                       "VALUES (%1, 2112, %2, %3, %4);\n")
                       .arg(i)
                       .arg(category)
                       .arg(user)
                       .arg(q(createdAt));
        }
    }
    // Rows of another region and rows without a customer number are never exchanged.
    sql += QStringLiteral(
               "INSERT INTO Customer (CustomerID, CustomerNumber, Name1, Region, BusinessLineCODE, CreateDate, UpdateDate) "
               "VALUES (%1, 'X1', 'Oddział czeski', 'BCZ', 1501, %2, %2), (%3, NULL, 'Bez numeru', 'BPL', 1501, %2, %2);\n")
               .arg(total + 1)
               .arg(q(createdAt))
               .arg(total + 2);
    sql += QStringLiteral("COMMIT;\n");
    return sql;
}

QString CrmGenerator::Changes(int count, int customerTotal, const QString &changedAt)
{
    QString sql = QStringLiteral("BEGIN;\n");
    for (int n = 0; n < count; ++n) {
        const int id = 1 + int(m_random.bounded(quint32(qMax(1, customerTotal))));
        sql += QStringLiteral("UPDATE Customer SET Name1 = %1, Address = %2, UpdateDate = %3 WHERE CustomerID = %4;\n")
                   .arg(q(CompanyName()), q(Street()), q(changedAt))
                   .arg(id);
    }
    sql += QStringLiteral("UPDATE Code SET Description = %1, UpdateDate = %2 WHERE CodeID = 101;\n")
               .arg(q(QStringLiteral("Kategoria A - strategiczny")), q(changedAt));
    sql += QStringLiteral("COMMIT;\n");
    return sql;
}

QString CrmGenerator::DayOfActivities(int user, const QDate &day, int count, const std::function<int()> &pick,
                                      const QString &createdAt)
{
    QString sql;
    QList<int> visited;
    int minute = 7 * 60 + 30 + 5 * int(m_random.bounded(12));
    for (int n = 0; n < count; ++n) {
        // One stop per customer and day: a second one would replace the first in the GIS.
        int customer = pick();
        for (int tries = 0; visited.contains(customer) && tries < 20; ++tries)
            customer = pick();
        if (visited.contains(customer))
            continue;
        visited.append(customer);
        const int length = 15 + 5 * int(m_random.bounded(13));
        const int code = m_random.bounded(40) == 0 ? kCodeWithoutEntry : kActivityCodes[m_random.bounded(5)].id;
        sql += QStringLiteral("INSERT INTO Activity (CustomerID, CreatedbyCaesarUserID, ActivityTypeCode, StartDate, EndDate, "
                              "CreateDate, UpdateDate) VALUES (%1, %2, %3, %4, %5, %6, %6);\n")
                   .arg(customer)
                   .arg(user)
                   .arg(code)
                   .arg(q(dateTime(day, minute)), q(dateTime(day, minute + length)), q(createdAt));
        minute += length + 10 + 5 * int(m_random.bounded(10));
    }
    return sql;
}

QString CrmGenerator::Activities(const ActivityPlan &plan)
{
    QString sql = QStringLiteral("BEGIN;\n");
    for (const Code &c : kActivityCodes)
        sql += QStringLiteral(
                   "INSERT OR IGNORE INTO Code (CodeID, Description, UpdateDate) VALUES (%1, %2, '2026-01-01 00:00:00');\n")
                   .arg(c.id)
                   .arg(q(QString::fromUtf8(c.description)));
    const int total = m_customers + m_distributors;
    for (int back = plan.days - 1; back >= 0; --back) {
        const QDate day = plan.lastDay.addDays(-back);
        if (plan.weekdaysOnly && day.dayOfWeek() > 5)
            continue;
        // Entered into the CRM in the evening of the day.
        const QString createdAt = dateTime(day, 18 * 60 + int(m_random.bounded(180)));
        for (int user = 1; user <= kUsers; ++user) {
            const QList<int> &own = m_customersOf.value(user);
            auto pick = [&] {
                if (m_distributors > 0 && m_random.bounded(8) == 0)
                    return m_customers + 1 + int(m_random.bounded(m_distributors));
                if (!own.isEmpty())
                    return own.at(int(m_random.bounded(quint32(own.size()))));
                return 1 + int(m_random.bounded(quint32(qMax(1, total))));
            };
            const int count = plan.minPerDay + int(m_random.bounded(plan.maxPerDay - plan.minPerDay + 1));
            sql += DayOfActivities(user, day, count, pick, createdAt);
        }
    }
    sql += QStringLiteral("COMMIT;\n");
    return sql;
}

QString CrmGenerator::VisitChanges(int count, int activityTotal, int customerTotal, const QDate &day, const QString &changedAt)
{
    QString sql = QStringLiteral("BEGIN;\n");
    for (int n = 0; n < count && activityTotal > 0; ++n)
        sql += QStringLiteral(
                   "UPDATE Activity SET EndDate = datetime(EndDate, '+10 minutes'), UpdateDate = %1 WHERE ActivityID = %2;\n")
                   .arg(q(changedAt))
                   .arg(1 + m_random.bounded(quint32(activityTotal)));
    auto pick = [&] { return 1 + int(m_random.bounded(quint32(qMax(1, customerTotal)))); };
    for (int added = 0; added < count;) {
        const int perDay = qMin(count - added, 3);
        sql += DayOfActivities(1 + int(m_random.bounded(kUsers)), day, perDay, pick, changedAt);
        added += perDay;
    }
    sql += QStringLiteral("COMMIT;\n");
    return sql;
}

QString CrmGenerator::GisRepresentatives()
{
    QString sql;
    for (int u = 1; u <= kUsers; ++u)
        sql += QStringLiteral("INSERT INTO OBIEKT (OB_EXID, OB_ID_SLO_TYP, OB_NAZWA1, OB_AKTYWNY) SELECT '%1', 103, %2, 1 "
                              "WHERE NOT EXISTS (SELECT 1 FROM OBIEKT WHERE OB_EXID = '%1' AND OB_ID_SLO_TYP = 103);\n")
                   .arg(u)
                   .arg(q(firstName(u) + QLatin1Char(' ') + surname(u)));
    return sql;
}

} // namespace pelk::demo
