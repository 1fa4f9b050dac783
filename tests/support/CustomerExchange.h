#pragma once
// The customer and distributor exchange set up end to end: an installation with the shipped
// rules and stylesheets, GIS and CRM databases from the shipped SQLite scripts, the real
// queues, and helpers to fill the CRM, run the exchange and read what landed.
#include "support/ExchangeFixture.h"

#include "exchange/customers/ObiektListQueue.h"

namespace pelk::test {

class CustomerExchange : public ExchangeFixture
{
protected:
    void SetUp() override
    {
        ExchangeFixture::SetUp();
        inst.WriteSettings({{QStringLiteral("TraceLevel"), QStringLiteral("3")}});
        CreateSqliteDatabase(Crm(), {QStringLiteral("crm.sql")});
        Crm(QStringLiteral(
            "INSERT INTO Code VALUES (101, 'Kategoria A', '2026-01-01 00:00:00'), (102, 'Kategoria B', '2026-01-01 00:00:00'),"
            " (1501, 'Handel detaliczny', '2026-01-01 00:00:00'), (1567, 'Dystrybutor hurtowy', '2026-01-01 00:00:00'),"
            " (2201, 'Opieka stała', '2026-01-01 00:00:00');"
            "INSERT INTO CaesarUser VALUES (7, 'Łucja', 'Żółkiewska');"));
        RegisterCustomerQueues();
        Objects({{QStringLiteral("Klient"), QStringLiteral("esSysXtoSysY"), 10},
                 {QStringLiteral("Dystrybutor"), QStringLiteral("esSysXtoSysY"), 10}});
    }
    void TearDown() override
    {
        for (const char *name : {"Klient", "Dystrybutor"})
            for (bool direction : {true, false})
                QueueFactory::Unregister(QString::fromLatin1(name), direction);
    }

    void Customer(int id, const QString &number, const QString &name, int line = 1501, int rating = 101,
                  const QString &updated = QStringLiteral("2026-02-01 10:00:00"))
    {
        QString n = name;
        Crm(QStringLiteral("INSERT INTO Customer VALUES (%1, '%2', 'BPL', '%3', 'ul. Długa 1', '00-950', 'Warszawa', %4, %5, "
                           "'2026-01-02 08:00:00', '%6');"
                           "INSERT INTO relCaesarUserCustomer VALUES (%1, 7, 2112, 2201, '2026-01-02 08:00:00');")
                .arg(id)
                .arg(number, n.replace(QLatin1Char('\''), QLatin1String("''")))
                .arg(rating)
                .arg(line)
                .arg(updated));
    }
};

} // namespace pelk::test
