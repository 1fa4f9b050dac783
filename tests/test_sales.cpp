// Sales figures from the ERP to the GIS, end to end: the real queue, the shipped stylesheet,
// rules and reference data, SQLite databases through ODBC, a fixed clock.
#include "support/ExchangeFixture.h"
#include "support/FixedClock.h"
#include "support/StatementCounter.h"

#include "app/DM_Main.h"
#include "app/Process.h"
#include "app/Settings.h"
#include "config/Common.h"
#include "engine/Queue.h"
#include "exchange/sales/SprzedazListQueue.h"

#include <QFile>
#include <QRegularExpression>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace pelk;
using namespace pelk::test;

namespace {

class Sales : public ExchangeFixture
{
protected:
    void SetUp() override
    {
        ExchangeFixture::SetUp();
        CreateSqliteDatabase(Erp(), {QStringLiteral("erp.sql")});
        Settings();
        RegisterSalesQueues();
        // Items of the product groups (business area, item group, net weight in kg).
        ErpSql(QStringLiteral("INSERT INTO MITMAS VALUES ('RB', 'C10', '200', 2.5), ('PCE', 'C10', '100', 1), "
                              "('MMA', 'E30', '310', 10), ('TIG', 'E31', '335', 8);"));
    }
    void TearDown() override
    {
        dm.reset();
        QueueFactory::Unregister(QStringLiteral("Sprzedaz"), true);
        QueueFactory::Unregister(QStringLiteral("Sprzedaz"), false);
    }
    void Settings(const QList<QPair<QString, QString>> &overrides = {})
    {
        inst.WriteSettings(overrides);
        Objects({{QStringLiteral("Sprzedaz"), QStringLiteral("esSysXtoSysY"), 10}});
    }
    // One order with its lines (item, amount, quantity, facility).
    struct Line
    {
        const char *item;
        double amount;
        double quantity;
        const char *facility = "BPL";
    };
    void Order(const QString &customer, int invoiceDate, const QList<Line> &lines, const QString &type = QStringLiteral("ZAM"))
    {
        const QString orno = QStringLiteral("O%1").arg(++orders);
        QString quoted = customer;
        quoted.replace(QLatin1Char('\''), QLatin1String("''"));
        QString sql = QStringLiteral("INSERT INTO ODHEAD VALUES ('%1', 1, %2, %3, '%4');")
                          .arg(orno, customer.isNull() ? QStringLiteral("NULL") : QStringLiteral("'%1'").arg(quoted))
                          .arg(invoiceDate)
                          .arg(type);
        int n = 0;
        for (const Line &l : lines)
            sql += QStringLiteral("INSERT INTO ODLINE VALUES ('%1', 1, %2, '%3', '%4', %5, %6);")
                       .arg(orno)
                       .arg(++n)
                       .arg(QLatin1String(l.facility), QLatin1String(l.item))
                       .arg(std::isnan(l.amount) ? QStringLiteral("NULL") : QString::number(l.amount, 'g', 17))
                       .arg(QString::number(l.quantity, 'g', 17));
        ErpSql(sql);
    }
    // A GIS object carrying the ERP id in its "Numer ERP" attribute; returns OB_ID.
    int GisObject(const QString &exid, const QString &erpId, int active = 1, int type = 102)
    {
        QString quoted = erpId;
        quoted.replace(QLatin1Char('\''), QLatin1String("''"));
        GisSql(QStringLiteral(
                   "INSERT INTO OBIEKT (OB_EXID, OB_ID_SLO_TYP, OB_NAZWA1, OB_AKTYWNY) VALUES ('%1', %2, 'Obiekt %1', %3);"
                   "INSERT INTO ATRYBUT_OBIEKT (ATO_ID_ATR, ATO_ID_OB, ATO_VAR_TXT) "
                   "SELECT %4, OB_ID, '%5' FROM OBIEKT WHERE OB_EXID = '%1';")
                   .arg(exid)
                   .arg(type)
                   .arg(active)
                   .arg(type == 108 ? 17 : 7)
                   .arg(quoted));
        return Gis(QStringLiteral("SELECT OB_ID FROM OBIEKT WHERE OB_EXID = '%1';").arg(exid)).value(0).toInt();
    }
    void SetFigure(int obId, int attribute, double value)
    {
        GisSql(QStringLiteral("INSERT OR REPLACE INTO ATRYBUT_OBIEKT (ATO_ID_ATR, ATO_ID_OB, ATO_VAR_DEC) VALUES (%1, %2, %3);")
                   .arg(attribute)
                   .arg(obId)
                   .arg(value));
    }
    // The object's sales figures as "attribute=value" (three decimals), in attribute order.
    QStringList Figures(int obId) const
    {
        return Gis(QStringLiteral("SELECT ATO_ID_ATR || '=' || printf('%.3f', ATO_VAR_DEC) FROM ATRYBUT_OBIEKT "
                                  "WHERE ATO_ID_OB = %1 AND ATO_ID_ATR >= 100 ORDER BY ATO_ID_ATR;")
                       .arg(obId));
    }

    // The queue alone, its list gathered.
    std::unique_ptr<TX2Y_SprzedazListQueue> Gathered(bool *prepared = nullptr)
    {
        auto queue = std::make_unique<TX2Y_SprzedazListQueue>(Dm());
        queue->Rules = std::make_unique<TQueueObjectRules>();
        queue->Rules->ObjectName = QStringLiteral("Sprzedaz");
        const bool ok = queue->PrepareList();
        if (prepared)
            *prepared = ok;
        return queue;
    }
    std::string Summary() const { return ExchangeFixture::Summary(QStringLiteral("Sprzedaz")); }

    ScopedFixedClock clock{QDateTime(QDate(2026, 3, 31), QTime(12, 0))};
    int orders = 0;
};

constexpr double kNull = std::numeric_limits<double>::quiet_NaN();

TEST_F(Sales, FiguresPerPeriodAndGroupWithFiltersAndInclusiveMonthEnds)
{
    const int k1 = GisObject(QStringLiteral("100001"), QStringLiteral("K1"));
    const int idle = GisObject(QStringLiteral("100009"), QStringLiteral("K9"));
    SetFigure(k1, 204, 55);                                      // last run's TIG of March: none now
    SetFigure(idle, 100, 999);                                   // a customer without sales this time
    Order(QStringLiteral("K0"), 20260310, {{"RB", 500, 1}});     // listed first, with whole sums
    Order(QStringLiteral("K1"), 20260331, {{"RB", 1000.25, 4}}); // last day of M
    Order(QStringLiteral("K1"), 20260301,
          {{"PCE", 30, 3}, {"RB", 88888, 100, "WRO"}});                // first day of M; a line of another facility
    Order(QStringLiteral("K1"), 20260228, {{"MMA", 5000, 1234.5678}}); // last day of M-1
    Order(QStringLiteral("K1"), 20251201, {{"TIG", 50, 2}});           // first day of M-3
    Order(QStringLiteral("K1"), 20260315, {{"RB", 99999, 100}}, QStringLiteral("PRX"));
    Order(QStringLiteral("K1"), 20260316, {{"RB", 99999, 100}}, QStringLiteral("PRP"));
    Order(QStringLiteral("K1"), 20260401, {{"RB", 99999, 100}}); // after today
    Order(QStringLiteral("K1"), 20250330, {{"RB", 99999, 100}}); // 366 days back
    RunExchange();

    EXPECT_EQ(Figures(k1),
              QStringList({QStringLiteral("100=1030.250"), // PC 12M: RB and PCE amounts
                           QStringLiteral("101=5050.000"), // PE 12M: MMA and TIG amounts
                           QStringLiteral("110=10.000"),   // PCE rutile/basic M: 4 x 2.5 kg
                           QStringLiteral("114=3.000"),    // PCE other M
                           QStringLiteral("150=13.000"),   // PCE M (kg)
                           QStringLiteral("201=1234.568"), // MMA M-1, rounded to three decimals
                           QStringLiteral("204=0.000"),    // zeroed
                           QStringLiteral("207=2.000")}))  // TIG DC M-3
        << Pane().toStdString();
    EXPECT_EQ(Figures(idle), QStringList({QStringLiteral("100=0.000")}));
    EXPECT_EQ(Summary(), Counts(2, 1, 1, 0, 0, 1)) << Pane().toStdString(); // K0 is on no GIS object
    for (const char *step :
         {" Sprzedaż PC 12M", " Sprzedaż PE 12M", " Sprzedaż PCE (rutile\\basic) M", " Sprzedaż PCE (rutile\\basic) M-3",
          " Sprzedaż PCS (MAG wire MP\\spools) M-2", " Sprzedaż PCE M-1 (kg)", " Sprzedaż TIG manual AC\\DC M",
          " Sprzedaż MIG\\MAG c. wr250A 35% M-1", " Sprzedaż MIG\\MAG c. m250A 35% M-3"})
        EXPECT_TRUE(Pane().contains(QString::fromUtf8(step) + QLatin1Char('\n'))) << step;
    EXPECT_TRUE(
        Pane().contains(QStringLiteral(" System Pelk·GIS Trasar przetwarzany obiekt Sprzedaż dla obiektu o  ERP ID: K1")));
    EXPECT_TRUE(WorkFiles().isEmpty()) << WorkFiles().join(QLatin1Char(' ')).toStdString();

    // The next run recomputes from scratch: the same figures leave the customer unchanged; a
    // figure that changed is updated and logged with the value it replaced.
    RunExchange();
    EXPECT_EQ(Figures(k1).value(5), QStringLiteral("201=1234.568"));
    EXPECT_EQ(Summary(), Counts(2, 1, 0, 0, 1, 1));
    Order(QStringLiteral("K1"), 20260302, {{"RB", 10, 1}});
    RunExchange();
    EXPECT_EQ(Figures(k1).value(0), QStringLiteral("100=1040.250"));
    EXPECT_EQ(Summary(), Counts(2, 1, 0, 1, 0, 1));
    EXPECT_TRUE(Pane().contains(QStringLiteral("stara wartosc: \"1030.25\"; nowa wartosc: \"1040.25\""))) << Pane().toStdString();
}

TEST_F(Sales, SharedAmongObjectsOnlyPositiveValuesWrittenInactiveObjectsNotFound)
{
    const int a = GisObject(QStringLiteral("100001"), QStringLiteral("K3"));
    const int b = GisObject(QStringLiteral("100002"), QStringLiteral("K3"));
    const int c = GisObject(QStringLiteral("200001"), QStringLiteral("K3"), 1, 108);
    GisObject(QStringLiteral("100003"), QStringLiteral("K4"), 0); // inactive only
    // The ERP id twice on one object (two attributes): still one object among three. The
    // object also carries K5's id: K5 adds its figures to K3's and zeroes none of them.
    GisSql(QStringLiteral("INSERT INTO ATRYBUT_OBIEKT (ATO_ID_ATR, ATO_ID_OB, ATO_VAR_TXT) VALUES (1, %1, 'K3'), (2, %1, 'K5');")
               .arg(a));
    SetFigure(a, 204, 7);
    SetFigure(a, 205, 9);
    Order(QStringLiteral("K3"), 20260310, {{"MMA", 0, 100}, {"TIG", 0, -15}});
    Order(QStringLiteral("K4"), 20260310, {{"MMA", 10, 1}});
    Order(QStringLiteral("K5"), 20260210, {{"TIG", 0, 4}});
    RunExchange();

    for (int ob : {a, b, c})
        EXPECT_EQ(Figures(ob).filter(QStringLiteral("200=")), QStringList{QStringLiteral("200=33.333")}) << ob;
    // PE 12M summed to 0 and TIG DC M to -15: neither written, the zeroed value stays.
    EXPECT_TRUE(Figures(b).filter(QStringLiteral("101=")).isEmpty());
    EXPECT_TRUE(Figures(b).filter(QStringLiteral("204=")).isEmpty());
    EXPECT_EQ(Figures(a).filter(QRegularExpression(QStringLiteral("^20[45]="))),
              QStringList({QStringLiteral("204=0.000"), QStringLiteral("205=4.000")}));
    EXPECT_TRUE(
        Pane().contains(QStringLiteral(" Atrybut nr: 204 klienta o numerze ERP ID = \"K3\": wartość -15 nie jest dodatnia")))
        << Pane().toStdString();
    EXPECT_TRUE(Pane().contains(QStringLiteral(" Brak w systemie Pelk·GIS Trasar Klient/Dystrybutora o numerze ERP ID = \"K4\" \n"
                                               "      Obiekt nie został zapisany")));
    EXPECT_EQ(Summary(), Counts(3, 2, 1, 1, 0, 1));
    EXPECT_TRUE(WorkFiles().isEmpty()) << WorkFiles().join(QLatin1Char(' ')).toStdString();
}

// One item in the filter of each product group, and the figures its sales give: the amount in
// the twelve-month attribute, and in period M-k the group's measure (kilograms or pieces) under
// base + k of each attribute the item counts in.
struct GroupCase
{
    const char *item, *area, *itemGroup;
    int twelveMonths;
    QList<QPair<int, const char *>> monthly; // base attribute, "kg" or "szt"
};

const GroupCase kGroups[] = {
    {"T01", "C10", "202", 100, {{110, "kg"}, {150, "kg"}}}, // PCE rutile/basic, PCE (kg)
    {"T02", "C10", "100", 100, {{114, "kg"}, {150, "kg"}}}, // PCE other, PCE (kg)
    {"T03", "C20", "207", 100, {{130, "kg"}, {154, "kg"}}}, // PCS MAG wire MP/spools, PCS (kg)
    {"T04", "C20", "100", 100, {{134, "kg"}, {154, "kg"}}}, // PCS other, PCS (kg)
    {"T05", "C21", "100", 100, {{158, "kg"}}},              // PCC (kg)
    {"T06", "C22", "100", 100, {{162, "kg"}}},              // PCF (kg)
    {"T07", "E30", "310", 101, {{200, "szt"}}},             // MMA rectifiers
    {"T08", "E31", "335", 101, {{204, "szt"}}},             // TIG manual DC
    {"T09", "E32", "397", 101, {{208, "szt"}}},             // TIG manual AC/DC
    {"T10", "E40", "322", 101, {{212, "szt"}}},             // MIG/MAG rectifiers
    {"T11", "E30", "396", 101, {{216, "szt"}}},             // MIG/MAG from 250 A at 35 %
    {"T12", "E31", "320", 101, {{220, "szt"}}},             // MIG/MAG below 250 A at 35 %
};

TEST_F(Sales, EveryStepSumsItsGroupsMeasureForItsPeriodUnderItsAttribute)
{
    // Every item sold once per period to a customer of its own: 1000 in amount, 4 pieces of 2.5 kg.
    QString items;
    for (const GroupCase &g : kGroups)
        items += QStringLiteral("('%1', '%2', '%3', 2.5),")
                     .arg(QLatin1String(g.item), QLatin1String(g.area), QLatin1String(g.itemGroup));
    items.chop(1);
    ErpSql(QStringLiteral("INSERT INTO MITMAS VALUES %1;").arg(items));
    const int monthDays[] = {20260310, 20260210, 20260110, 20251210}; // in M, M-1, M-2, M-3
    QMap<QString, QStringList> expected;
    for (const GroupCase &g : kGroups) {
        for (int k = 0; k < 4; ++k) {
            const QString customer = QStringLiteral("%1-M%2").arg(QLatin1String(g.item)).arg(k);
            Order(customer, monthDays[k], {{g.item, 1000, 4}});
            QStringList &figures = expected[customer];
            figures << QStringLiteral("%1=1000").arg(g.twelveMonths);
            for (const auto &[base, measure] : g.monthly)
                figures << QStringLiteral("%1=%2").arg(base + k).arg(qstrcmp(measure, "kg") == 0 ? 10 : 4);
        }
    }
    // Before M-3 and within the twelve months: only the twelve-month figures.
    Order(QStringLiteral("PC-12M"), 20250910, {{"T01", 1000, 4}});
    Order(QStringLiteral("PE-12M"), 20250910, {{"T07", 1000, 4}});
    expected[QStringLiteral("PC-12M")] = QStringList{QStringLiteral("100=1000")};
    expected[QStringLiteral("PE-12M")] = QStringList{QStringLiteral("101=1000")};

    bool prepared = false;
    auto queue = Gathered(&prepared);
    ASSERT_TRUE(prepared) << Pane().toStdString();
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        QStringList figures;
        for (const RPozycjaSprzedazy &p : queue->Sprzedaz().kbmMemTable_Sprzedaz.Pozycje(it.key()))
            figures << QStringLiteral("%1=%2").arg(p.Atrybut).arg(p.Wartosc);
        figures.sort();
        it->sort();
        EXPECT_EQ(figures.join(QLatin1Char(' ')).toStdString(), it->join(QLatin1Char(' ')).toStdString())
            << it.key().toStdString();
    }
}

TEST_F(Sales, OneElementPerCustomerInOrderOfFirstOccurrence)
{
    Order(QStringLiteral("K6"), 20260310, {{"MMA", 0, 1}});  // first found by MMA M (step 35)
    Order(QStringLiteral("K5"), 20260310, {{"RB", 100, 2}}); // PC 12M, PCE rutile/basic M, PCE M (kg)
    Order(QStringLiteral("K6"), 20250401, {{"MMA", 5, 1}});  // and by PE 12M (step 2), before it
    Order(QStringLiteral("K7"), 20260110, {{"TIG", 0, 1}});  // TIG DC M-2 only
    bool prepared = false;
    auto queue = Gathered(&prepared);
    ASSERT_TRUE(prepared) << Pane().toStdString();
    QStringList keys;
    for (const auto &e : queue->Elements)
        keys << e->Key;
    EXPECT_EQ(keys, QStringList({QStringLiteral("K5"), QStringLiteral("K6"), QStringLiteral("K7")}));
    EXPECT_EQ(queue->DatabaseCount, 3);
    const auto &k5 = queue->Sprzedaz().kbmMemTable_Sprzedaz.Pozycje(QStringLiteral("K5"));
    ASSERT_EQ(k5.size(), 3);
    EXPECT_EQ(k5[0].Atrybut, 100);
    EXPECT_EQ(k5[1].Atrybut, 110);
    EXPECT_EQ(k5[2].Atrybut, 150);
    EXPECT_DOUBLE_EQ(k5[2].Wartosc, 5.0);
    EXPECT_EQ(queue->Sprzedaz().kbmMemTable_Sprzedaz.Pozycje(QStringLiteral("K7")).size(), 2); // PE 12M (0) and 206
}

TEST_F(Sales, CustomerNumbersWithQuotesAndPolishLettersKeepTheirOwnFigures)
{
    const int quoted = GisObject(QStringLiteral("100001"), QStringLiteral("O'Brien"));
    const int polish = GisObject(QStringLiteral("100002"), QStringLiteral("ŁÓDŹ-1"));
    const int plain = GisObject(QStringLiteral("100003"), QStringLiteral("O"));
    Order(QStringLiteral(" O'Brien "), 20260310, {{"MMA", 0, 3}}); // the ERP pads, the number is trimmed
    Order(QStringLiteral("ŁÓDŹ-1"), 20260310, {{"MMA", 0, 5}});
    Order(QStringLiteral("O"), 20260310, {{"MMA", 0, 7}});
    RunExchange();

    EXPECT_EQ(Figures(quoted), QStringList{QStringLiteral("200=3.000")}) << Pane().toStdString();
    EXPECT_EQ(Figures(polish), QStringList{QStringLiteral("200=5.000")});
    EXPECT_EQ(Figures(plain), QStringList{QStringLiteral("200=7.000")});
    EXPECT_EQ(Summary(), Counts(3, 3, 3, 0, 0, 0));
}

TEST_F(Sales, RowsWithoutCustomerNumberOrSumAreLoggedAndSkipped)
{
    const int k7 = GisObject(QStringLiteral("100007"), QStringLiteral("K7"));
    Order(QString(), 20260310, {{"RB", 100, 2}});
    Order(QStringLiteral("   "), 20260310, {{"RB", 100, 2}});
    Order(QStringLiteral("K7"), 20260310, {{"RB", kNull, 2}});
    RunExchange();

    EXPECT_TRUE(
        Pane().contains(QStringLiteral(" Pominięto wiersz sprzedaży bez numeru klienta ERP (atrybut nr: 100, wartość: 100)")))
        << Pane().toStdString();
    EXPECT_TRUE(Pane().contains(
        QStringLiteral(" Pominięto wiersz sprzedaży klienta o numerze ERP ID = \"K7\" bez wartości (atrybut nr: 100)")));
    EXPECT_EQ(Figures(k7), QStringList({QStringLiteral("110=5.000"), QStringLiteral("150=5.000")}));
    EXPECT_EQ(Summary(), Counts(1, 1, 1, 0, 0, 0));
}

TEST_F(Sales, AFailingStepOrAnUnreachableErpLeavesThePreviousFigures)
{
    const int k1 = GisObject(QStringLiteral("100001"), QStringLiteral("K1"));
    SetFigure(k1, 100, 777);
    Order(QStringLiteral("K1"), 20260310, {{"RB", 100, 2}});
    // Two quantities whose sum no integer holds: the MMA query of month M fails.
    Order(QStringLiteral("K2"), 20260310, {{"MMA", 0, 9.2e18}});
    ErpSql(QStringLiteral(
        "UPDATE ODLINE SET UBIVQT = 9223372036854775807 WHERE UBITNO = 'MMA';"
        "INSERT INTO ODLINE SELECT UBORNO, UBDLIX, 2, UBFACI, UBITNO, UBLNAM, UBIVQT FROM ODLINE WHERE UBITNO = 'MMA';"));
    RunExchange();

    EXPECT_TRUE(Pane().contains(QStringLiteral(" TDM_Sprzedaz.Open_GetZamerSprzedazMMA\n"))) << Pane().toStdString();
    EXPECT_TRUE(Pane().contains(QStringLiteral(" Sprzedaż MMA rectifiers M\n")));
    EXPECT_FALSE(Pane().contains(QStringLiteral(" Sprzedaż MMA rectifiers M-1")));
    EXPECT_FALSE(Pane().contains(QStringLiteral(" Liczba elementów")));
    EXPECT_EQ(Figures(k1), QStringList{QStringLiteral("100=777.000")});

    Settings({{QStringLiteral("DSN_Movex"), QStringLiteral("NoSuchErp")}});
    RunExchange();
    EXPECT_TRUE(Pane().contains(QStringLiteral(" Wystąpił błąd podczas podłączenia do bazy danych")));
    EXPECT_FALSE(Pane().contains(QStringLiteral(" Sprzedaż PE 12M")));
    EXPECT_EQ(Figures(k1), QStringList{QStringLiteral("100=777.000")});
}

TEST_F(Sales, ABadLibraryNameFailsTheFirstStepWithItsReason)
{
    const int k1 = GisObject(QStringLiteral("100001"), QStringLiteral("K1"));
    SetFigure(k1, 100, 777);
    Settings({{QStringLiteral("TraceLevel"), QStringLiteral("3")}});
    // The key is not among the fixture's, so the file is written with it by hand.
    QString text = ReadFileText(inst.Path(QStringLiteral("PelkDataExchanger.xml")));
    text.replace(
        QStringLiteral("    </properties>"),
        QStringLiteral("      <property name=\"BibliotekaMovex\" type=\"String\">MOVEX;DROP</property>\r\n    </properties>"));
    WriteFileText(inst.Path(QStringLiteral("PelkDataExchanger.xml")), text);
    RunExchange();
    EXPECT_TRUE(
        Pane().contains(QStringLiteral(" TDM_Sprzedaz.Open_GetZamerSprzedazPCiPE_12M\n"
                                       " Niepoprawna nazwa biblioteki ERP w ustawieniu \"BibliotekaMovex\": \"MOVEX;DROP\"")))
        << Pane().toStdString();
    EXPECT_EQ(Figures(k1), QStringList{QStringLiteral("100=777.000")});
}

TEST_F(Sales, OneDateForTheWholeRunWhenMidnightPassesAtTheMonthsEnd)
{
    const int k1 = GisObject(QStringLiteral("100001"), QStringLiteral("K1"));
    Order(QStringLiteral("K1"), 20260331, {{"RB", 1000, 4}});
    Order(QStringLiteral("K1"), 20250331, {{"MMA", 50, 1}}); // the first day of the twelve months
    clock->Set(QDateTime(QDate(2026, 3, 31), QTime(23, 59, 30)));
    pane.onMessage = [&](const QStringList &lines) {
        if (lines.value(0) == QStringLiteral(" Sprzedaż PE 12M"))
            clock->Set(QDateTime(QDate(2026, 4, 1), QTime(0, 0, 30)));
    };
    RunExchange();
    pane.onMessage = nullptr;

    // Every step counts from 31 March: the order of that day is in M, not in M-1 of April.
    EXPECT_EQ(Figures(k1),
              QStringList({QStringLiteral("100=1000.000"), QStringLiteral("101=50.000"), QStringLiteral("110=10.000"),
                           QStringLiteral("150=10.000")}))
        << Pane().toStdString();
}

TEST_F(Sales, DuringARunAndAfterStopEveryCustomerNotYetStoredKeepsItsPreviousFigures)
{
    const int k1 = GisObject(QStringLiteral("100001"), QStringLiteral("K1"));
    const int k2 = GisObject(QStringLiteral("100002"), QStringLiteral("K2"));
    const int k3 = GisObject(QStringLiteral("100003"), QStringLiteral("K3"));
    const int idle = GisObject(QStringLiteral("100009"), QStringLiteral("K9"));
    for (int ob : {k1, k2, k3, idle})
        SetFigure(ob, 100, 777);
    for (const char *k : {"K1", "K2", "K3"})
        Order(QString::fromLatin1(k), 20260310, {{"PCE", 100, 1}});
    QStringList duringK2;
    pane.onMessage = [&](const QStringList &lines) {
        if (!lines.value(0).endsWith(QStringLiteral("ERP ID: K2")))
            return;
        duringK2 = Figures(k3) + Figures(idle);
        Dm().Process()->SetEscProcess(true); // Stop while K2 is stored
    };
    RunExchange();
    pane.onMessage = nullptr;
    Dm().Process()->SetEscProcess(false);

    const QStringList previous{QStringLiteral("100=777.000")};
    const QStringList now{QStringLiteral("100=100.000"), QStringLiteral("114=1.000"), QStringLiteral("150=1.000")};
    EXPECT_EQ(duringK2, previous + previous) << Pane().toStdString();
    EXPECT_EQ(Figures(k1), now);
    EXPECT_EQ(Figures(k2), now);
    EXPECT_EQ(Figures(k3), previous);
    EXPECT_EQ(Figures(idle), previous);

    // The next complete run sets them all.
    RunExchange();
    EXPECT_EQ(Figures(k3), now);
    EXPECT_EQ(Figures(idle), QStringList{QStringLiteral("100=0.000")});
}

TEST_F(Sales, AFailedOrRefusedCustomerAndEveryUntouchedOneKeepTheirPreviousFigures)
{
    // A stylesheet that refuses one customer: its transformation fails.
    const QString xsl = inst.Path(QStringLiteral("xsl/"));
    QFile::rename(xsl + QStringLiteral("Sprzedaz_X2Y.xsl"), xsl + QStringLiteral("Sprzedaz_Shipped.xsl"));
    WriteFileText(xsl + QStringLiteral("Sprzedaz_X2Y.xsl"),
                  QStringLiteral("<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                                 "<xsl:import href=\"Sprzedaz_Shipped.xsl\"/>"
                                 "<xsl:template match=\"class[properties/property[@name='ID']='BAD']\">"
                                 "<xsl:message terminate=\"yes\">odrzucony</xsl:message></xsl:template></xsl:stylesheet>"));
    const int good = GisObject(QStringLiteral("100001"), QStringLiteral("GOOD"));
    const int bad = GisObject(QStringLiteral("100002"), QStringLiteral("BAD"));
    const int locked = GisObject(QStringLiteral("100003"), QStringLiteral("LOCKED"));
    const int idle = GisObject(QStringLiteral("100009"), QStringLiteral("IDLE"));
    SetFigure(good, 204, 5);
    SetFigure(bad, 200, 7);
    SetFigure(locked, 200, 8);
    SetFigure(idle, 100, 999);
    Order(QStringLiteral("BAD"), 20260310, {{"MMA", 0, 1}});
    Order(QStringLiteral("GOOD"), 20260310, {{"MMA", 0, 2}});
    Order(QStringLiteral("LOCKED"), 20260310, {{"MMA", 0, 3}});
    // The GIS refuses every change to one customer's figures.
    GisSql(QStringLiteral("CREATE TRIGGER zablokowany BEFORE UPDATE ON ATRYBUT_OBIEKT WHEN OLD.ATO_ID_OB = %1 "
                          "BEGIN SELECT RAISE(ABORT, 'zapis zablokowany'); END;")
               .arg(locked));
    RunExchange();

    EXPECT_EQ(Figures(good), QStringList({QStringLiteral("200=2.000"), QStringLiteral("204=0.000")})) << Pane().toStdString();
    EXPECT_EQ(Figures(bad), QStringList{QStringLiteral("200=7.000")});
    EXPECT_EQ(Figures(locked), QStringList{QStringLiteral("200=8.000")});
    EXPECT_EQ(Figures(idle), QStringList{QStringLiteral("100=999.000")});
    EXPECT_TRUE(Pane().contains(QStringLiteral("zapis zablokowany")));
    EXPECT_EQ(Summary(), Counts(3, 1, 1, 0, 0, 2));
    EXPECT_TRUE(WorkFiles().isEmpty()) << WorkFiles().join(QLatin1Char(' ')).toStdString();

    GisSql(QStringLiteral("DROP TRIGGER zablokowany;"));
    QFile::remove(xsl + QStringLiteral("Sprzedaz_X2Y.xsl"));
    QFile::rename(xsl + QStringLiteral("Sprzedaz_Shipped.xsl"), xsl + QStringLiteral("Sprzedaz_X2Y.xsl"));
    RunExchange();
    EXPECT_EQ(Figures(bad), QStringList{QStringLiteral("200=1.000")}) << Pane().toStdString();
    EXPECT_EQ(Figures(locked), QStringList{QStringLiteral("200=3.000")});
    EXPECT_EQ(Figures(idle), QStringList{QStringLiteral("100=0.000")});
}

TEST_F(Sales, FilesOfAnEarlierRunAreDeletedUnread)
{
    // Every run recomputes every figure: a result left by an earlier run holds stale figures,
    // here for a customer without sales now.
    const int stale = GisObject(QStringLiteral("100002"), QStringLiteral("STALE"));
    SetFigure(stale, 100, 5);
    const QString work = inst.Path(QStringLiteral("work/"));
    WriteFileText(work + QStringLiteral("Sprzedaz_SysY__{00000000-0000-0000-0000-000000000001}.xml"),
                  QStringLiteral("<classes><class classname=\"TPelk_ObiektSprzedaz\" name=\"TPelk_ObiektSprzedaz\"><properties>"
                                 "<property name=\"ObjectID\" type=\"String\">STALE</property>"
                                 "<property name=\"EXID\" type=\"String\">STALE</property>"
                                 "<property name=\"Atrybuty\" type=\"Object\" class=\"TAtrybutyObiektCollection\">"
                                 "<class classname=\"TAtrybutyObiektCollection\" name=\"Atrybuty\"><customdata>"
                                 "<class classname=\"TAtrybutyObiektCollectionItem\" name=\"Item_1\"><properties>"
                                 "<property name=\"NumerAtrybutu\" type=\"Integer\">100</property>"
                                 "<property name=\"Wartosc\" type=\"Double\">999</property>"
                                 "<property name=\"Edytowany\" type=\"Enumeration\">True</property>"
                                 "</properties></class></customdata></class></property></properties></class></classes>"));
    WriteFileText(work + QStringLiteral("Sprzedaz_SysX__{00000000-0000-0000-0000-000000000002}.xml"),
                  QStringLiteral("<classes>"));
    WriteFileText(work + QStringLiteral("Sprzedaz_SysY__{00000000-0000-0000-0000-000000000003}.xml.part"),
                  QStringLiteral("<clas"));
    const int good = GisObject(QStringLiteral("100001"), QStringLiteral("GOOD"));
    Order(QStringLiteral("GOOD"), 20260310, {{"MMA", 0, 2}});
    RunExchange();

    EXPECT_EQ(Figures(good), QStringList{QStringLiteral("200=2.000")}) << Pane().toStdString();
    EXPECT_EQ(Figures(stale), QStringList{QStringLiteral("100=0.000")});
    EXPECT_EQ(Summary(), Counts(1, 1, 1, 0, 0, 0));
    EXPECT_TRUE(WorkFiles().isEmpty()) << WorkFiles().join(QLatin1Char(' ')).toStdString();
}

TEST_F(Sales, OppositeDirectionIsNotImplemented)
{
    settingsFile = inst.WriteProcessSettings(QStringLiteral("p.xml"), inst.Path(QStringLiteral("work")),
                                             {{QStringLiteral("Sprzedaz"), QStringLiteral("esSysYtoSysX"), 10}});
    RunExchange();
    EXPECT_TRUE(Pane().contains(QStringLiteral(" Funkcja TY2X_SprzedazListQueue.PrepareList nie jest zaimplementowana")))
        << Pane().toStdString();
}

} // namespace

// The round trips of a sales customer: a change that adds a statement per customer fails here.
TEST_F(Sales, TheStatementsOfACustomerArePinned)
{
    for (int k = 1; k <= 3; ++k) {
        GisObject(QStringLiteral("10000%1").arg(k), QStringLiteral("K%1").arg(k));
        Order(QStringLiteral("K%1").arg(k), 20260310, {{"RB", 100.0 * k, 2}});
    }
    StatementCounter counter;
    RunExchange();
    const auto first = counter.Of(QStringLiteral("GIS"));
    counter.Reset();
    RunExchange();
    const auto second = counter.Of(QStringLiteral("GIS"));
    EXPECT_EQ(Summary(), Counts(3, 3, 0, 0, 3, 0)) << Pane().toStdString();
    // Per run: the three attribute definitions (once each) and the objects holding figures.
    // Per customer: its objects with their rows and figures (1 read); on the first run one
    // insert per figure (PC 12M, PCE rutile/basic M, PCE M (kg)), on the second nothing.
    EXPECT_EQ(first.reads, 3 + 1 + 3);
    EXPECT_EQ(second.reads, 3 + 1 + 3);
    EXPECT_EQ(first.writes, 3 * 3);
    EXPECT_EQ(second.writes, 0);
}
