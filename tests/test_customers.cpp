// Customers and distributors from the CRM to the GIS, end to end: the real queues, the shipped
// stylesheets and rules, SQLite databases created from the shipped scripts.
#include "support/CustomerExchange.h"
#include "support/StatementCounter.h"

#include "app/Log.h"
#include "exchange/customers/CustomerSql.h"

using namespace pelk;
using namespace pelk::test;

namespace {
using Customers = CustomerExchange;
}

TEST_F(Customers, NewCustomersLandWithAddressAttributesAndPermissionThenNothingChanges)
{
    Customer(1, QStringLiteral("100001"), QStringLiteral("Piekarnia \"Złoty Kłos\" s.c."));
    Customer(2, QStringLiteral("100002"), QStringLiteral("O'Brien & Syn"));
    Customer(3, QStringLiteral("200001"), QStringLiteral("Hurtownia Bałtyk"), 1567);
    RunExchange();

    EXPECT_EQ(Summary(QStringLiteral("Klient")), Counts(2, 2, 2, 0, 0, 0)) << Pane().toStdString();
    EXPECT_EQ(Summary(QStringLiteral("Dystrybutor")), Counts(1, 1, 1, 0, 0, 0));
    EXPECT_EQ(
        Gis(QStringLiteral(
            "SELECT OB_EXID || '|' || OB_ID_SLO_TYP || '|' || OB_NAZWA1 || '|' || OB_AKTYWNY FROM OBIEKT ORDER BY OB_EXID;")),
        QStringList({QStringLiteral("100001|102|Piekarnia \"Złoty Kłos\" s.c.|1"), QStringLiteral("100002|102|O'Brien & Syn|1"),
                     QStringLiteral("200001|108|Hurtownia Bałtyk|1")}));
    EXPECT_EQ(
        Gis(QStringLiteral("SELECT ADR_KRAJ || '|' || ADR_KOD || '|' || ADR_MIASTO || '|' || ADR_ULICA || '|' || ADR_ID_SLO_TYP "
                           "FROM ADRES JOIN OBIEKT ON OB_ID = ADR_ID_OB WHERE OB_EXID = '100002';")),
        QStringList({QStringLiteral("Polska|00-950|Warszawa|ul. Długa 1|201")}));
    EXPECT_EQ(
        Gis(QStringLiteral(
            "SELECT ATR_TXT1 || '=' || COALESCE(ATO_VAR_TXT, ATO_VAR_DATA) FROM ATRYBUT_OBIEKT "
            "JOIN ATRYBUT ON ATR_ID = ATO_ID_ATR JOIN OBIEKT ON OB_ID = ATO_ID_OB WHERE OB_EXID = '100001' ORDER BY ATR_ID;")),
        QStringList({QStringLiteral("KategoriaABC=Kategoria A"), QStringLiteral("Sektor=Handel detaliczny"),
                     QStringLiteral("Kategoria=Opieka stała"), QStringLiteral("OsobaOdpowiedzialna=Łucja Żółkiewska"),
                     QStringLiteral("DataUtworzenia=2026-01-02 08:00:00"),
                     QStringLiteral("DataAktualizacji=2026-02-01 10:00:00")}));
    EXPECT_EQ(Gis(QStringLiteral("SELECT count(*) FROM UPRAWNIENIA WHERE UPR_ID_UZYTKOWNIK = 1;")),
              QStringList({QStringLiteral("3")}));
    EXPECT_TRUE(WorkFiles().isEmpty()) << WorkFiles().join(QLatin1Char(' ')).toStdString();
    EXPECT_FALSE(Watermark("interfejs_transport_klient").isEmpty());
    EXPECT_FALSE(Watermark("interfejs_transport_dystrybutor").isEmpty());

    RunExchange();
    EXPECT_EQ(Summary(QStringLiteral("Klient")), Counts(0, 0, 0, 0, 0, 0));
    EXPECT_EQ(Gis(QStringLiteral("SELECT count(*) FROM OBIEKT;")), QStringList({QStringLiteral("3")}));
}

TEST_F(Customers, ChangeThroughACodeDescriptionListsTheCustomerAgainAndUpdatesIt)
{
    Customer(1, QStringLiteral("100001"), QStringLiteral("Sklep A"), 1501, 101);
    Customer(2, QStringLiteral("100002"), QStringLiteral("Sklep B"), 1501, 102);
    RunExchange();
    const QString later = DateTimeToText(Now() + 2.0 / 86400);
    Crm(QStringLiteral("UPDATE Code SET Description = 'Kategoria A+', UpdateDate = '%1' WHERE CodeID = 101;").arg(later));
    RunExchange();
    EXPECT_EQ(Summary(QStringLiteral("Klient")), Counts(1, 1, 0, 1, 0, 0)) << Pane().toStdString();
    EXPECT_TRUE(Pane().contains(QStringLiteral("stara wartosc: \"Kategoria A\"; nowa wartosc: \"Kategoria A+\"")));
    EXPECT_EQ(
        Gis(QStringLiteral(
            "SELECT ATO_VAR_TXT FROM ATRYBUT_OBIEKT JOIN OBIEKT ON OB_ID = ATO_ID_OB WHERE OB_EXID = '100001' AND ATO_ID_ATR = 1;")),
        QStringList({QStringLiteral("Kategoria A+")}));
}

TEST_F(Customers, RowsOutsideTheRegionOrWithoutNumberAreNeverExchangedAndLongNamesAreSliced)
{
    const QString longName = QString(40, QLatin1Char('a')) + QString(40, QLatin1Char('b')) + QString(40, QLatin1Char('c'))
        + QStringLiteral("0123456789");
    Customer(1, QStringLiteral("100001"), longName);
    Crm(QStringLiteral(
        "INSERT INTO Customer (CustomerID, CustomerNumber, Region, Name1, BusinessLineCODE, CreateDate, UpdateDate) VALUES "
        "(2, 'X1', 'BCZ', 'Czechy', 1501, '2026-01-01 00:00:00', '2026-01-01 00:00:00'),"
        "(3, NULL, 'BPL', 'Bez numeru', 1501, '2026-01-01 00:00:00', '2026-01-01 00:00:00');"));
    RunExchange();
    EXPECT_EQ(
        Gis(QStringLiteral("SELECT OB_NAZWA1 || '|' || OB_NAZWA2 || '|' || OB_NAZWA3 FROM OBIEKT;")),
        QStringList({longName.left(40) + QLatin1Char('|') + longName.mid(40, 40) + QLatin1Char('|') + longName.mid(80, 40)}));
}

TEST_F(Customers, NullColumnsGiveEmptyTextsAndAMissingDateFailsOnlyThatCustomer)
{
    Crm(QStringLiteral(
        "INSERT INTO Customer (CustomerID, CustomerNumber, Region, BusinessLineCODE, CreateDate, UpdateDate) VALUES "
        "(1, '100001', 'BPL', 1501, '2026-01-01 00:00:00', '2026-02-01 00:00:00'),"
        "(2, '100002', 'BPL', 1501, NULL, '2026-02-02 00:00:00');"));
    Customer(3, QStringLiteral("100003"), QStringLiteral("Sklep C"));
    RunExchange();
    EXPECT_EQ(Summary(QStringLiteral("Klient")), Counts(3, 1, 1, 0, 0, 2)) << Pane().toStdString();
    // No creation date: the record cannot be read, no file is written.
    EXPECT_TRUE(Pane().contains(QStringLiteral(" Wyjątek funkcji TZamer_Klient.GetKlient")));
    // No name: read as empty texts, then refused by the GIS side; its target-layout file stays.
    EXPECT_TRUE(Pane().contains(QStringLiteral(" Pole \"Nazwa\" nie może być puste\n      Obiekt nie został przetworzony")));
    ASSERT_EQ(WorkFiles().size(), 1);
    const QString staged = ReadFileText(inst.Path(QStringLiteral("work/")) + WorkFiles().first());
    EXPECT_TRUE(staged.contains(QStringLiteral("<property name=\"EXID\" type=\"String\">100001</property>")))
        << staged.toStdString();
    EXPECT_TRUE(staged.contains(QStringLiteral("<property name=\"Miasto\" type=\"String\"")));
    EXPECT_EQ(Gis(QStringLiteral("SELECT OB_EXID FROM OBIEKT;")), QStringList({QStringLiteral("100003")}));
    // Failing elements never hold the last-exchange time back.
    EXPECT_FALSE(Watermark("interfejs_transport_klient").isEmpty());
}

TEST_F(Customers, MissingDictionaryEntryExchangesAndStoresNothing)
{
    Customer(1, QStringLiteral("100001"), QStringLiteral("Sklep A"));
    OdbcEnvironment::ExecSqlite(inst.gisFile,
                                QStringLiteral("DELETE FROM SLOWNIK WHERE SLO_NAZWA = 'interfejs_transport_klient';"));
    RunExchange();
    EXPECT_EQ(Summary(QStringLiteral("Klient")), Counts(0, 0, 0, 0, 0, 0));
    EXPECT_EQ(Gis(QStringLiteral("SELECT count(*) FROM OBIEKT;")), QStringList({QStringLiteral("0")}));
}

TEST_F(Customers, ChangesAfterTheStoredTimeAreListedWithATypedTimeParameter)
{
    OdbcEnvironment::ExecSqlite(
        inst.gisFile,
        QStringLiteral("UPDATE SLOWNIK SET SLO_TXT1 = '2026-02-01 10:00:00' WHERE SLO_NAZWA = 'interfejs_transport_klient';"));
    Customer(1, QStringLiteral("100001"), QStringLiteral("Wczoraj"), 1501, 101, QStringLiteral("2026-02-01 10:00:00"));
    Customer(2, QStringLiteral("100002"), QStringLiteral("Sekundę później"), 1501, 101, QStringLiteral("2026-02-01 10:00:01"));
    Crm(QStringLiteral("UPDATE Code SET UpdateDate = '2026-01-01 00:00:00';"
                       "UPDATE relCaesarUserCustomer SET UpdateDate = '2026-01-01 00:00:00';"));
    RunExchange();
    EXPECT_EQ(Gis(QStringLiteral("SELECT OB_EXID FROM OBIEKT;")), QStringList({QStringLiteral("100002")}));
    EXPECT_TRUE(CustomerSql::KlienciDoTransportu().sqlServer.contains(QStringLiteral("c.UpdateDate > :DataOd")));
    EXPECT_FALSE(CustomerSql::KlienciDoTransportu().sqlServer.contains(QStringLiteral("%s")));
}

TEST_F(Customers, StopAfterTheSecondElementKeepsTheStoredTimeAndGisFailureKeepsTheTargetFile)
{
    for (int i = 1; i <= 5; ++i)
        Customer(i, QStringLiteral("10000%1").arg(i), QStringLiteral("Sklep %1").arg(i));
    Objects({{QStringLiteral("Klient"), QStringLiteral("esSysXtoSysY"), 10}});
    int stored = 0;
    pane.onMessage = [&](const QStringList &lines) {
        if (lines.value(0) == QStringLiteral(" Obiekt przetworzony poprawnie") && ++stored == 2)
            Dm().Process()->SetEscProcess(true);
    };
    RunExchange();
    pane.onMessage = nullptr;
    EXPECT_EQ(Gis(QStringLiteral("SELECT count(*) FROM OBIEKT;")), QStringList({QStringLiteral("2")}));
    EXPECT_TRUE(Watermark("interfejs_transport_klient").isEmpty());
    Dm().Process()->SetEscProcess(false);

    // The GIS rejects writes of one customer's address: its target-layout file stays, and the
    // next run stores it once the database accepts it again.
    OdbcEnvironment::ExecSqlite(
        inst.gisFile,
        QStringLiteral(
            "CREATE TRIGGER no_addr BEFORE INSERT ON ADRES WHEN NEW.ADR_ULICA = 'ul. Zepsuta 3' BEGIN SELECT RAISE(ABORT, 'awaria'); END;"));
    Crm(QStringLiteral("UPDATE Customer SET Address = 'ul. Zepsuta 3' WHERE CustomerID = 4;"));
    RunExchange();
    // The stopped run stored no time: all five are listed again, the first two unchanged.
    EXPECT_EQ(Summary(QStringLiteral("Klient")), Counts(5, 4, 2, 0, 2, 1)) << Pane().toStdString();
    ASSERT_EQ(WorkFiles().size(), 1);
    EXPECT_TRUE(WorkFiles().first().startsWith(QStringLiteral("Klient_SysY__")));
    // The element is stored whole or not at all: no object row without its address.
    EXPECT_EQ(Gis(QStringLiteral("SELECT count(*) FROM OBIEKT WHERE OB_EXID = '100004';")), QStringList({QStringLiteral("0")}));
    EXPECT_FALSE(Watermark("interfejs_transport_klient").isEmpty());

    OdbcEnvironment::ExecSqlite(inst.gisFile, QStringLiteral("DROP TRIGGER no_addr;"));
    RunExchange();
    EXPECT_EQ(Summary(QStringLiteral("Klient")), Counts(1, 1, 1, 0, 0, 0)) << Pane().toStdString();
    EXPECT_TRUE(WorkFiles().isEmpty());
    EXPECT_EQ(Gis(QStringLiteral("SELECT count(*) FROM ADRES;")), QStringList({QStringLiteral("5")}));
}

TEST_F(Customers, TheOtherDirectionIsNotImplementedAndTouchesNoFile)
{
    Customer(1, QStringLiteral("100001"), QStringLiteral("Sklep A"));
    Objects({{QStringLiteral("Klient"), QStringLiteral("esSysYtoSysX"), 15}});
    WriteFileText(inst.Path(QStringLiteral("work/Klient_SysX__{X}.xml")), QStringLiteral("<classes/>"));
    RunExchange();
    EXPECT_TRUE(Pane().contains(QStringLiteral(" Funkcja TY2X_ObiektListQueue.PrepareList nie jest zaimplementowana")));
    EXPECT_EQ(WorkFiles(), QStringList({QStringLiteral("Klient_SysX__{X}.xml")}));
    EXPECT_EQ(Gis(QStringLiteral("SELECT count(*) FROM OBIEKT;")), QStringList({QStringLiteral("0")}));
}

TEST(CustomerStatements, SqlServerTextsAsTheCrmKnowsThem)
{
    EXPECT_EQ(CustomerSql::ZamerKlient().sqlServer,
              QStringLiteral(
                  "select distinct c.CustomerNumber as 'ID', ISNULL(c.Name1,'') as 'Nazwa', ISNULL(c.Address,'') as 'Ulica', "
                  "ISNULL(c.ZipCode,'') as 'Kod', ISNULL(c.City,'') as 'Miasto', c.CreateDate as 'DataUtworzenia', "
                  "c.UpdateDate as 'DataAktualizacji', ISNULL(katABC.Description ,'') as 'KategoriaABC', "
                  "ISNULL(sek.Description ,'') as 'Sektor', ISNULL(krkat.Description ,'') as 'Kategoria', "
                  "ISNULL(cu.FirstName + ' ' + cu.Surname ,'') as 'OsobaOdpowiedzialna' from dbo.Customer c "
                  "left outer join dbo.Code katABC on katABC.CodeID = c.ratingCode left outer join dbo.Code sek on "
                  "sek.CodeID = c.BusinessLineCODE left outer join dbo.relCaesarUserCustomer rkat on rkat.CustomerID = "
                  "c.CustomerID and rkat.BusinessAreaCODE = 2112 left outer join dbo.Code krkat on krkat.CodeID = "
                  "rkat.CategoryCODE left outer join dbo.CaesarUser cu on cu.CaesarUserID=rkat.CaesarUserID where "
                  "c.Region='BPL' and c.CustomerNumber = cast(:KlientID as varchar(20))"));
    // The change lists: the five comparisons take the typed :DataOd; customers and distributors
    // differ only in the business-line test.
    const QString customers = CustomerSql::KlienciDoTransportu().sqlServer;
    EXPECT_EQ(customers.count(QStringLiteral(" > :DataOd")), 5);
    EXPECT_TRUE(customers.contains(QStringLiteral("c.BusinessLineCODE not in ('1567','1568')  order by c.UpdateDate")));
    EXPECT_EQ(QString(customers).replace(QStringLiteral(" not in "), QStringLiteral(" in ")),
              CustomerSql::DystrybutorzyDoTransportu().sqlServer);
    EXPECT_TRUE(customers.startsWith(
        QStringLiteral("select c.CustomerNumber as 'ID',         c.UpdateDate as 'DataAktualizacji'    from dbo.Customer c")));
}

// The round trips of a customer (against SQL Server across a network each costs 0.2-1 ms before
// any work): a change that adds a statement per element fails here.
TEST_F(Customers, TheStatementsOfANewAndOfAChangedCustomerArePinned)
{
    Objects({{QStringLiteral("Klient"), QStringLiteral("esSysXtoSysY"), 10}});
    for (int i = 1; i <= 4; ++i)
        Customer(i, QStringLiteral("10000%1").arg(i), QStringLiteral("Sklep %1").arg(i));
    StatementCounter counter;
    RunExchange();
    const auto newGis = counter.Of(QStringLiteral("GIS")), newCrm = counter.Of(QStringLiteral("CRM"));
    Crm(QStringLiteral("UPDATE Customer SET Name1 = Name1 || ' nowy', City = 'Kraków', UpdateDate = '%1';")
            .arg(DateTimeToText(Now() + 2.0 / 86400)));
    counter.Reset();
    RunExchange();
    const auto changedGis = counter.Of(QStringLiteral("GIS")), changedCrm = counter.Of(QStringLiteral("CRM"));
    // The CRM: its clock, the list, one record per customer.
    EXPECT_EQ(newCrm.All(), 2 + 4);
    EXPECT_EQ(changedCrm.All(), 2 + 4);
    // The GIS, per run: the last-exchange time read and stored, the objects of the type, the
    // attribute definitions and the permission entry (once each). Per new customer: its
    // look-up, the object, address, attribute and permission rows (SQLite tells the object's
    // and the address's identity in a statement of its own). Per changed customer: its object
    // row, its address and all its attribute values at once (3 reads), and the changed rows.
    EXPECT_EQ(newGis.reads, 23);
    EXPECT_EQ(newGis.writes, 37);
    EXPECT_EQ(changedGis.reads, 8 + 3 * 4);
    EXPECT_EQ(changedGis.writes, 1 + 3 * 4);
}
