// Faults injected into a customer exchange on real SQLite databases: a commit refused by a
// lock, a CRM table that is gone for one run, rows without a change date or stamped in the
// future, clocks that differ, a connection that drops in the middle of an element, a leftover
// file that cannot be deleted. Nothing may be lost and nothing may get stuck.
#include "support/CustomerExchange.h"
#include "support/FixedClock.h"
#include "support/Undeletable.h"

#include "app/Log.h"
#include "db/Query.h"

using namespace pelk;
using namespace pelk::test;

namespace {
using CustomerFaults = CustomerExchange;
}

TEST_F(CustomerFaults, ACommitRefusedByALockFailsTheElementAndTheNextRunStoresIt)
{
    inst.odbc.AddSqliteDsn(QStringLiteral("GIS"), QString(), QStringLiteral("Timeout=200\n"));
    Objects({{QStringLiteral("Klient"), QStringLiteral("esSysXtoSysY"), 10}});
    Customer(1, QStringLiteral("100001"), QStringLiteral("Sklep pod zamkiem"));
    // A reader holds the GIS database while the element commits (on SQL Server: a deadlock
    // victim); the commit fails with "database is locked".
    Connection reader;
    reader.Open(QStringLiteral("GIS"));
    reader.BeginTransaction();
    Query read(reader);
    read.SetSQL(QStringLiteral("SELECT count(*) FROM OBIEKT"));
    read.Open();
    RunExchange();
    reader.EndTransaction(false);

    EXPECT_EQ(Summary(QStringLiteral("Klient")), Counts(1, 0, 0, 0, 0, 1)) << Pane().toStdString();
    EXPECT_TRUE(Pane().contains(QStringLiteral(" TDM_Main.ZakonczTranzakcje")));
    EXPECT_EQ(Gis(QStringLiteral("SELECT count(*) FROM OBIEKT;")), QStringList{QStringLiteral("0")});
    ASSERT_EQ(WorkFiles().size(), 1);
    EXPECT_TRUE(WorkFiles().first().startsWith(QStringLiteral("Klient_SysY__")));

    RunExchange();
    EXPECT_EQ(Summary(QStringLiteral("Klient")), Counts(1, 1, 1, 0, 0, 0)) << Pane().toStdString();
    EXPECT_EQ(Gis(QStringLiteral("SELECT OB_EXID FROM OBIEKT JOIN ADRES ON ADR_ID_OB = OB_ID;")),
              QStringList{QStringLiteral("100001")});
    EXPECT_TRUE(WorkFiles().isEmpty());
}

TEST_F(CustomerFaults, AListThatCannotBeReadKeepsTheLastExchangeTime)
{
    Objects({{QStringLiteral("Klient"), QStringLiteral("esSysXtoSysY"), 10}});
    Customer(1, QStringLiteral("100001"), QStringLiteral("Sklep A"));
    Crm(QStringLiteral("ALTER TABLE Customer RENAME TO Customer_przeniesiona;"));
    RunExchange();
    EXPECT_TRUE(Pane().contains(QStringLiteral(" TDM_Obiekt.OpenQ_GetKlientToTransport")));
    EXPECT_TRUE(Pane().contains(QStringLiteral("nie została odczytana w całości")));
    EXPECT_TRUE(Watermark("interfejs_transport_klient").isEmpty());

    Crm(QStringLiteral("ALTER TABLE Customer_przeniesiona RENAME TO Customer;"));
    RunExchange();
    EXPECT_EQ(Summary(QStringLiteral("Klient")), Counts(1, 1, 1, 0, 0, 0)) << Pane().toStdString();
    EXPECT_EQ(Gis(QStringLiteral("SELECT OB_EXID FROM OBIEKT;")), QStringList{QStringLiteral("100001")});
    EXPECT_FALSE(Watermark("interfejs_transport_klient").isEmpty());
}

TEST_F(CustomerFaults, ARecordThatCouldNotBeReadHoldsTheLastExchangeTimeBeforeItsChange)
{
    Objects({{QStringLiteral("Klient"), QStringLiteral("esSysXtoSysY"), 10}});
    Customer(1, QStringLiteral("100001"), QStringLiteral("Sklep A"), 1501, 101, QStringLiteral("2026-02-01 10:00:00"));
    Customer(2, QStringLiteral("100002"), QStringLiteral("Sklep B"), 1501, 101, QStringLiteral("2026-02-01 11:00:00"));
    // The CRM goes away after the list was read, while the second customer is read.
    pane.onMessage = [&](const QStringList &lines) {
        if (lines.value(0) == QStringLiteral(" Przetwarzany element: 2/2"))
            Crm(QStringLiteral("ALTER TABLE Customer RENAME TO Customer_przeniesiona;"));
    };
    RunExchange();
    pane.onMessage = nullptr;
    EXPECT_EQ(Summary(QStringLiteral("Klient")), Counts(2, 1, 1, 0, 0, 1)) << Pane().toStdString();
    // Stored up to just before the change that was never staged, so it is listed again.
    EXPECT_EQ(Watermark("interfejs_transport_klient"), QStringLiteral("2026-02-01 10:59:59"));

    Crm(QStringLiteral("ALTER TABLE Customer_przeniesiona RENAME TO Customer;"));
    RunExchange();
    EXPECT_EQ(Summary(QStringLiteral("Klient")), Counts(1, 1, 1, 0, 0, 0)) << Pane().toStdString();
    EXPECT_EQ(Gis(QStringLiteral("SELECT OB_EXID FROM OBIEKT ORDER BY 1;")),
              QStringList({QStringLiteral("100001"), QStringLiteral("100002")}));
    EXPECT_GT(Watermark("interfejs_transport_klient"), QStringLiteral("2026-02-01 11:00:00"));
}

TEST_F(CustomerFaults, ARowWithoutAChangeDateNeverStopsTheKind)
{
    Objects({{QStringLiteral("Klient"), QStringLiteral("esSysXtoSysY"), 10}});
    Customer(1, QStringLiteral("100001"), QStringLiteral("Sklep A"));
    Customer(2, QStringLiteral("100002"), QStringLiteral("Bez daty zmiany"));
    // Listed through a changed relation, with no change date of its own.
    Crm(QStringLiteral("UPDATE Customer SET UpdateDate = NULL WHERE CustomerID = 2;"
                       "UPDATE relCaesarUserCustomer SET UpdateDate = '2026-02-03 09:00:00' WHERE CustomerID = 2;"));
    RunExchange();
    // Listed with change date 0, then refused by the record's own check; the kind goes on and
    // its last-exchange time moves on.
    EXPECT_TRUE(Pane().contains(QStringLiteral(" Wyjątek funkcji TZamer_Klient.GetKlient")));
    EXPECT_EQ(Summary(QStringLiteral("Klient")), Counts(2, 1, 1, 0, 0, 1)) << Pane().toStdString();
    EXPECT_EQ(Gis(QStringLiteral("SELECT OB_EXID FROM OBIEKT;")), QStringList{QStringLiteral("100001")});
    EXPECT_FALSE(Watermark("interfejs_transport_klient").isEmpty());

    // Later changes still arrive.
    Crm(QStringLiteral("UPDATE Customer SET Name1 = 'Sklep A2', UpdateDate = '%1' WHERE CustomerID = 1;")
            .arg(DateTimeToText(Now() + 2.0 / 86400)));
    RunExchange();
    EXPECT_EQ(Gis(QStringLiteral("SELECT OB_NAZWA1 FROM OBIEKT;")), QStringList{QStringLiteral("Sklep A2")});
}

TEST_F(CustomerFaults, ARowStampedInTheFutureNeverFreezesTheKind)
{
    Objects({{QStringLiteral("Klient"), QStringLiteral("esSysXtoSysY"), 10}});
    // An import stamped the row with a date years ahead.
    Customer(1, QStringLiteral("100001"), QStringLiteral("Sklep z przyszłości"), 1501, 101,
             QStringLiteral("2099-01-01 00:00:00"));
    RunExchange();
    EXPECT_EQ(Summary(QStringLiteral("Klient")), Counts(1, 1, 1, 0, 0, 0)) << Pane().toStdString();
    EXPECT_LT(Watermark("interfejs_transport_klient"), QStringLiteral("2099"));
    EXPECT_TRUE(Pane().contains(QStringLiteral("z datą zmiany późniejszą niż czas bazy źródłowej"))) << Pane().toStdString();

    // A change made after the run arrives; the future row is listed again and found unchanged.
    Customer(2, QStringLiteral("100002"), QStringLiteral("Sklep B"), 1501, 101, DateTimeToText(Now() + 2.0 / 86400));
    RunExchange();
    EXPECT_EQ(Summary(QStringLiteral("Klient")), Counts(2, 2, 1, 0, 1, 0)) << Pane().toStdString();
    EXPECT_EQ(Gis(QStringLiteral("SELECT OB_EXID FROM OBIEKT ORDER BY 1;")),
              QStringList({QStringLiteral("100001"), QStringLiteral("100002")}));
}

TEST_F(CustomerFaults, TheStoredTimeFollowsTheSourcesClockNotThisMachines)
{
    // This machine's clock runs ten minutes ahead of the CRM's.
    ScopedFixedClock clock(QDateTime::currentDateTime().addSecs(600));
    Objects({{QStringLiteral("Klient"), QStringLiteral("esSysXtoSysY"), 10}});
    Customer(1, QStringLiteral("100001"), QStringLiteral("Sklep A"));
    RunExchange();
    EXPECT_EQ(Summary(QStringLiteral("Klient")), Counts(1, 1, 1, 0, 0, 0)) << Pane().toStdString();
    EXPECT_TRUE(Pane().contains(QStringLiteral("różni się od zegara tego komputera"))) << Pane().toStdString();

    // The CRM stamps a change by its own clock right after the run: the next run lists it.
    Crm(QStringLiteral("UPDATE Customer SET Name1 = 'Sklep A2', UpdateDate = datetime('now', 'localtime');"));
    RunExchange();
    EXPECT_EQ(Summary(QStringLiteral("Klient")), Counts(1, 1, 0, 1, 0, 0)) << Pane().toStdString();
    EXPECT_EQ(Gis(QStringLiteral("SELECT OB_NAZWA1 FROM OBIEKT;")), QStringList{QStringLiteral("Sklep A2")});
}

TEST_F(CustomerFaults, ASupersededFileThatCannotBeDeletedIsReportedAndHoldsTheLastExchangeTime)
{
    Objects({{QStringLiteral("Klient"), QStringLiteral("esSysXtoSysY"), 10}});
    Customer(1, QStringLiteral("100001"), QStringLiteral("Sklep A"));
    // The GIS refuses the first run: the element stays as its target-layout file.
    GisSql(QStringLiteral("CREATE TRIGGER odmowa BEFORE INSERT ON OBIEKT BEGIN SELECT RAISE(ABORT, 'odmowa'); END;"));
    RunExchange();
    GisSql(QStringLiteral("DROP TRIGGER odmowa;"));
    ASSERT_EQ(WorkFiles().size(), 1);
    const QString stale = inst.Path(QStringLiteral("work/")) + WorkFiles().first();
    const QString before = QStringLiteral("2026-06-01 00:00:00");
    GisSql(QStringLiteral("UPDATE SLOWNIK SET SLO_TXT1 = '%1' WHERE SLO_NAZWA = 'interfejs_transport_klient';").arg(before));

    // The customer changes; its old file is superseded but held by another program.
    Crm(QStringLiteral("UPDATE Customer SET Name1 = 'Sklep A2', UpdateDate = '%1';").arg(DateTimeToText(Now() + 2.0 / 86400)));
    const bool made = WhileUndeletable(stale, [&] { RunExchange(); });
    if (!made)
        GTEST_SKIP() << "the file system here cannot make a file undeletable";
    EXPECT_EQ(Gis(QStringLiteral("SELECT OB_NAZWA1 FROM OBIEKT;")), QStringList{QStringLiteral("Sklep A2")});
    EXPECT_TRUE(Pane().contains(QStringLiteral(" Nie można usunąć pliku z katalogu roboczego:\n      ") + stale))
        << Pane().toStdString();
    EXPECT_EQ(Watermark("interfejs_transport_klient"), before);

    // Once it can go, the next run lists the customer again and deletes the stale file
    // instead of storing its older state.
    RunExchange();
    EXPECT_EQ(Summary(QStringLiteral("Klient")), Counts(1, 1, 0, 0, 1, 0)) << Pane().toStdString();
    EXPECT_TRUE(WorkFiles().isEmpty());
    EXPECT_EQ(Gis(QStringLiteral("SELECT OB_NAZWA1 FROM OBIEKT;")), QStringList{QStringLiteral("Sklep A2")});
    EXPECT_TRUE(StoredAtSourceTimeOfTheRun(Watermark("interfejs_transport_klient")));
}

TEST_F(CustomerFaults, AnObjectAddedDuringTheRunIsFoundAndOneDeletedFailsItsElementAlone)
{
    Objects({{QStringLiteral("Klient"), QStringLiteral("esSysXtoSysY"), 10}});
    for (int i = 1; i <= 3; ++i)
        Customer(i, QStringLiteral("10000%1").arg(i), QStringLiteral("Sklep %1").arg(i));
    RunExchange();
    Crm(QStringLiteral("UPDATE Customer SET Name1 = Name1 || ' nowy', UpdateDate = '%1';")
            .arg(DateTimeToText(Now() + 2.0 / 86400)));
    Customer(4, QStringLiteral("100004"), QStringLiteral("Sklep 4"), 1501, 101, DateTimeToText(Now() + 2.0 / 86400));
    // After the first element (the run has read its objects' ids), another user deletes
    // customer 100002's object and adds one for 100004.
    pane.onMessage = [&](const QStringList &lines) {
        if (lines.value(0) != QStringLiteral(" Przetwarzany element: 2/4"))
            return;
        GisSql(
            QStringLiteral("DELETE FROM ATRYBUT_OBIEKT WHERE ATO_ID_OB IN (SELECT OB_ID FROM OBIEKT WHERE OB_EXID = '100002');"
                           "DELETE FROM ADRES WHERE ADR_ID_OB IN (SELECT OB_ID FROM OBIEKT WHERE OB_EXID = '100002');"
                           "DELETE FROM UPRAWNIENIA WHERE UPR_ID_OBIEKT IN (SELECT OB_ID FROM OBIEKT WHERE OB_EXID = '100002');"
                           "DELETE FROM OBIEKT WHERE OB_EXID = '100002';"
                           "INSERT INTO OBIEKT (OB_EXID, OB_ID_SLO_TYP, OB_NAZWA1) VALUES ('100004', 102, 'Dodany');"));
    };
    RunExchange();
    pane.onMessage = nullptr;
    EXPECT_EQ(Summary(QStringLiteral("Klient")), Counts(4, 3, 0, 3, 0, 1)) << Pane().toStdString();
    EXPECT_TRUE(Pane().contains(QStringLiteral("Obiekt 100002 (OB_ID 2) został usunięty z bazy danych w trakcie wymiany")));
    // The added object was updated, not doubled.
    EXPECT_EQ(Gis(QStringLiteral("SELECT OB_EXID || '|' || OB_NAZWA1 FROM OBIEKT ORDER BY 1;")),
              QStringList({QStringLiteral("100001|Sklep 1 nowy"), QStringLiteral("100003|Sklep 3 nowy"),
                           QStringLiteral("100004|Sklep 4")}));
    ASSERT_EQ(WorkFiles().size(), 1);

    // The next run (which lists the changes again: they were stamped after its start) finds the
    // object gone and stores the customer anew.
    RunExchange();
    EXPECT_EQ(Summary(QStringLiteral("Klient")), Counts(4, 4, 1, 0, 3, 0)) << Pane().toStdString();
    EXPECT_EQ(Gis(QStringLiteral("SELECT count(*) FROM OBIEKT WHERE OB_EXID = '100002';")), QStringList{QStringLiteral("1")});
    EXPECT_TRUE(WorkFiles().isEmpty());
}

TEST_F(CustomerFaults, AConnectionDroppedInsideAnElementFailsItWholeAndTheNextRunStoresIt)
{
    Objects({{QStringLiteral("Klient"), QStringLiteral("esSysXtoSysY"), 10}});
    Customer(1, QStringLiteral("100001"), QStringLiteral("Sklep A"));
    RunExchange();
    Crm(QStringLiteral("UPDATE Customer SET Name1 = 'Sklep A po zmianie', City = 'Kraków', UpdateDate = '%1';")
            .arg(DateTimeToText(Now() + 2.0 / 86400)));
    // The object row is updated inside the element's transaction; then, while the address is
    // compared, the GIS connection goes away with that transaction.
    bool dropped = false;
    pane.onMessage = [&](const QStringList &lines) {
        if (!dropped && lines.value(0).startsWith(QStringLiteral(" Pole: ADR_MIASTO"))) {
            dropped = true;
            DropUnderneath(Dm().ADOConnection_PelkGIS);
        }
    };
    RunExchange();
    pane.onMessage = nullptr;
    ASSERT_TRUE(dropped);
    EXPECT_EQ(Summary(QStringLiteral("Klient")), Counts(1, 0, 0, 0, 0, 1)) << Pane().toStdString();
    // Nothing of the element was committed on its own after the drop.
    EXPECT_EQ(Gis(QStringLiteral("SELECT OB_NAZWA1 || '|' || ADR_MIASTO FROM OBIEKT JOIN ADRES ON ADR_ID_OB = OB_ID;")),
              QStringList{QStringLiteral("Sklep A|Warszawa")});
    ASSERT_EQ(WorkFiles().size(), 1);

    RunExchange();
    EXPECT_EQ(Summary(QStringLiteral("Klient")), Counts(1, 1, 0, 1, 0, 0)) << Pane().toStdString();
    EXPECT_EQ(Gis(QStringLiteral("SELECT OB_NAZWA1 || '|' || ADR_MIASTO FROM OBIEKT JOIN ADRES ON ADR_ID_OB = OB_ID;")),
              QStringList{QStringLiteral("Sklep A po zmianie|Kraków")});
    EXPECT_TRUE(WorkFiles().isEmpty());
}
