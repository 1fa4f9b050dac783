#include "CrmGenerator.h"

#include <QStringList>

namespace pelk::demo {

namespace {

const QStringList kFirstNames = {
    QStringLiteral("Anna"), QStringLiteral("Piotr"), QStringLiteral("Katarzyna"), QStringLiteral("Krzysztof"),
    QStringLiteral("Małgorzata"), QStringLiteral("Andrzej"), QStringLiteral("Agnieszka"), QStringLiteral("Tomasz"),
    QStringLiteral("Barbara"), QStringLiteral("Paweł"), QStringLiteral("Ewa"), QStringLiteral("Michał"),
    QStringLiteral("Elżbieta"), QStringLiteral("Marcin"), QStringLiteral("Zofia"), QStringLiteral("Łukasz"),
    QStringLiteral("Joanna"), QStringLiteral("Grzegorz"), QStringLiteral("Magdalena"), QStringLiteral("Wojciech")};
const QStringList kSurnames = {
    QStringLiteral("Nowak"), QStringLiteral("Kowalski"), QStringLiteral("Wiśniewski"), QStringLiteral("Wójcik"),
    QStringLiteral("Kowalczyk"), QStringLiteral("Kamiński"), QStringLiteral("Lewandowski"), QStringLiteral("Zieliński"),
    QStringLiteral("Szymański"), QStringLiteral("Woźniak"), QStringLiteral("Dąbrowski"), QStringLiteral("Kozłowski"),
    QStringLiteral("Jankowski"), QStringLiteral("Mazur"), QStringLiteral("Krawczyk"), QStringLiteral("Piotrowski"),
    QStringLiteral("Grabowski"), QStringLiteral("Pawłowski"), QStringLiteral("Michalski"), QStringLiteral("Król")};
const QStringList kTrades = {
    QStringLiteral("Sklep spożywczy"), QStringLiteral("Delikatesy"), QStringLiteral("Market"),
    QStringLiteral("Piekarnia"), QStringLiteral("Hurtownia"), QStringLiteral("Restauracja"),
    QStringLiteral("Kawiarnia"), QStringLiteral("Stacja paliw"), QStringLiteral("Kiosk"),
    QStringLiteral("Cukiernia"), QStringLiteral("Bar mleczny"), QStringLiteral("Pawilon handlowy")};
const QStringList kBrands = {
    QStringLiteral("Pod Lipami"), QStringLiteral("Żabka"), QStringLiteral("Jagódka"), QStringLiteral("Smakosz"),
    QStringLiteral("Społem"), QStringLiteral("Bałtyk"), QStringLiteral("Mazurek"), QStringLiteral("Złoty Kłos"),
    QStringLiteral("U Zbyszka"), QStringLiteral("Świeżość"), QStringLiteral("Pod Żaglami"), QStringLiteral("Gęś i Kaczka"),
    QStringLiteral("O'Brien & Syn"), QStringLiteral("Wrzos"), QStringLiteral("Łączka"), QStringLiteral("Kasztelan")};
const QStringList kForms = {QStringLiteral("sp. z o.o."), QStringLiteral("s.c."), QStringLiteral("S.A."),
                            QString(), QString(), QStringLiteral("sp.j.")};
const char *const kCities[] = {
    "Warszawa", "Kraków", "Łódź", "Wrocław", "Poznań", "Gdańsk", "Szczecin", "Bydgoszcz", "Lublin", "Białystok",
    "Katowice", "Gdynia", "Częstochowa", "Radom", "Toruń", "Kielce", "Rzeszów", "Olsztyn", "Zielona Góra", "Opole"};
const QStringList kStreets = {
    QStringLiteral("ul. Marszałkowska"), QStringLiteral("ul. Piłsudskiego"), QStringLiteral("ul. Mickiewicza"),
    QStringLiteral("ul. Słowackiego"), QStringLiteral("ul. Kościuszki"), QStringLiteral("ul. Długa"),
    QStringLiteral("ul. Krótka"), QStringLiteral("ul. Źródlana"), QStringLiteral("ul. Żeromskiego"),
    QStringLiteral("al. Jana Pawła II"), QStringLiteral("ul. Wojska Polskiego"), QStringLiteral("ul. Ogrodowa"),
    QStringLiteral("ul. Polna"), QStringLiteral("ul. Łąkowa"), QStringLiteral("pl. Grunwaldzki"), QStringLiteral("ul. Świętokrzyska")};

// Codes of the CRM dictionary: rating categories, business lines, relation categories.
struct Code { int id; const char *description; };
const Code kRatingCodes[] = {{101, "Kategoria A - kluczowy"}, {102, "Kategoria B - rozwojowy"}, {103, "Kategoria C - standardowy"}};
const Code kBusinessLines[] = {{1501, "Handel detaliczny"}, {1502, "Gastronomia"}, {1503, "Stacje paliw"},
                               {1504, "Sieci handlowe"}, {1567, "Dystrybutor hurtowy"}, {1568, "Dystrybutor regionalny"}};
const Code kCategories[] = {{2201, "Opieka stała"}, {2202, "Opieka okresowa"}, {2203, "Pozyskanie"}};
constexpr int kUsers = 24;

QString q(const QString &text)
{
    QString t = text;
    return QLatin1Char('\'') + t.replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}

QString customerNumber(int i) { return QStringLiteral("%1").arg(100000 + i); }

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
                   .arg(u).arg(q(kFirstNames.at(u % kFirstNames.size())), q(kSurnames.at((u * 7) % kSurnames.size())));
    auto codes = [&](const Code *list, size_t n) {
        for (size_t i = 0; i < n; ++i)
            sql += QStringLiteral("INSERT INTO Code (CodeID, Description, UpdateDate) VALUES (%1, %2, %3);\n")
                       .arg(list[i].id).arg(q(QString::fromUtf8(list[i].description)), q(createdAt));
    };
    codes(kRatingCodes, std::size(kRatingCodes));
    codes(kBusinessLines, std::size(kBusinessLines));
    codes(kCategories, std::size(kCategories));

    const int total = customers + distributors;
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
                        sparse ? QStringLiteral("NULL") : q(Street()),
                        q(PostalCode()),
                        q(QString::fromUtf8(city)))
                   .arg(kRatingCodes[m_random.bounded(3)].id)
                   .arg(line)
                   .arg(q(createdAt));
        if (m_random.bounded(10) != 0)
            sql += QStringLiteral("INSERT INTO relCaesarUserCustomer (CustomerID, BusinessAreaCODE, CategoryCODE, CaesarUserID, UpdateDate) "
                                  "VALUES (%1, 2112, %2, %3, %4);\n")
                       .arg(i)
                       .arg(kCategories[m_random.bounded(3)].id)
                       .arg(1 + m_random.bounded(kUsers))
                       .arg(q(createdAt));
    }
    // Rows of another region and rows without a customer number are never exchanged.
    sql += QStringLiteral("INSERT INTO Customer (CustomerID, CustomerNumber, Name1, Region, BusinessLineCODE, CreateDate, UpdateDate) "
                          "VALUES (%1, 'X1', 'Oddział czeski', 'BCZ', 1501, %2, %2), (%3, NULL, 'Bez numeru', 'BPL', 1501, %2, %2);\n")
               .arg(total + 1).arg(q(createdAt)).arg(total + 2);
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

} // namespace pelk::demo
