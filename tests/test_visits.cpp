// Visits from the CRM to the GIS, end to end: the real queue, the shipped stylesheet and rules,
// SQLite databases created from the shipped scripts; and the source and target visits alone.
#include "support/ExchangeFixture.h"
#include "support/FixedClock.h"
#include "support/StatementCounter.h"

#include "app/DM_Main.h"
#include "app/Log.h"
#include "app/Process.h"
#include "app/Settings.h"
#include "engine/Queue.h"
#include "exchange/visits/DM_Wizyta.h"
#include "exchange/visits/Pelk_Wizyta.h"
#include "exchange/visits/VisitSql.h"
#include "exchange/visits/WizytaListQueue.h"
#include "exchange/visits/Zamer_Wizyta.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace pelk;
using namespace pelk::test;

namespace {

constexpr int kDay = 39886; // 2009-03-14

class Visits : public ExchangeFixture
{
protected:
    void SetUp() override
    {
        ExchangeFixture::SetUp();
        inst.WriteSettings({{QStringLiteral("TraceLevel"), QStringLiteral("3")}});
        CreateSqliteDatabase(Crm(), {QStringLiteral("crm.sql")});
        Crm(QStringLiteral("INSERT INTO Code VALUES (3001, 'Wizyta handlowa', '2009-01-01 00:00:00'),"
                           " (3002, 'Zbieranie zamówienia', '2009-01-01 00:00:00');"
                           "INSERT INTO CaesarUser VALUES (1234, 'Jan', 'Kowalski'), (77, 'Ewa', 'Nowak');"));
        for (int i = 1; i <= 6; ++i)
            Customer(i, QStringLiteral("10000%1").arg(i));
        Gis(QStringLiteral("INSERT INTO OBIEKT (OB_EXID, OB_ID_SLO_TYP, OB_NAZWA1) VALUES ('1234', 103, 'Jan Kowalski'),"
                           " ('77', 103, 'Ewa Nowak'), ('100001', 102, 'A'), ('100002', 102, 'B'), ('100003', 102, 'C'),"
                           " ('100004', 102, 'D'), ('100005', 108, 'Hurtownia E');"));
        RegisterVisitQueues();
        Objects({{QStringLiteral("Wizyta"), QStringLiteral("esSysXtoSysY"), 10}});
    }
    void TearDown() override
    {
        for (bool direction : {true, false})
            QueueFactory::Unregister(QStringLiteral("Wizyta"), direction);
    }

    void Customer(int id, const QString &number) const
    {
        Crm(QStringLiteral(
                "INSERT INTO Customer (CustomerID, CustomerNumber, Region, Name1, BusinessLineCODE, CreateDate, UpdateDate)"
                " VALUES (%1, '%2', 'BPL', 'Klient %2', 1501, '2009-01-01 00:00:00', '2009-01-01 00:00:00');")
                .arg(id)
                .arg(number));
    }
    // One CRM activity; `code` 0 leaves the code NULL, an empty time is NULL.
    void Activity(int id, int customer, const QString &start, const QString &end, int user = 1234, int code = 3001,
                  const QString &created = QStringLiteral("2009-03-14 20:00:00"), const QString &updated = QString()) const
    {
        auto value = [](const QString &t) {
            return t.isEmpty() ? QStringLiteral("NULL") : QLatin1Char('\'') + t + QLatin1Char('\'');
        };
        Crm(QStringLiteral("INSERT INTO Activity VALUES (%1, %2, %3, %4, %5, %6, %7, %8);")
                .arg(id)
                .arg(customer)
                .arg(user)
                .arg(code ? QString::number(code) : QStringLiteral("NULL"))
                .arg(value(start), value(end), value(created), value(updated)));
    }
    QString Watermark() const { return ExchangeFixture::Watermark("interfejs_transport_wizyta"); }
    void SetWatermark(const QString &text) const
    {
        OdbcEnvironment::ExecSqlite(inst.gisFile,
                                    QStringLiteral("UPDATE SLOWNIK SET SLO_TXT1 = '%1' WHERE SLO_NAZWA = "
                                                   "'interfejs_transport_wizyta';")
                                        .arg(text));
    }
    // Rows as one text per line, so that a difference reads plainly.
    static std::string Lines(const QStringList &rows) { return rows.join(QLatin1Char('\n')).toStdString(); }
    // The stops of the visit with that external id: customer|sort|from|to|seconds|description|code.
    QStringList Stops(const QString &exid) const
    {
        return Gis(
            QStringLiteral("SELECT o.OB_EXID || '|' || WIO_SORT || '|' || WIO_GODZ_OD || '|' || WIO_GODZ_DO || '|' || WIO_CZAS"
                           " || '|' || WIO_OPIS || '|' || ifnull(WIO_NUM1, 'NULL') FROM WIZYTA_OBIEKT"
                           " JOIN WIZYTA ON WIZ_ID = WIO_ID_WIZ JOIN OBIEKT o ON o.OB_ID = WIO_ID_OB"
                           " WHERE WIZ_EXID = '%1' ORDER BY WIO_SORT;")
                .arg(exid));
    }
    std::string Summary() const { return ExchangeFixture::Summary(QStringLiteral("Wizyta")); }
    // Saves the visit of the representative on 2009-03-14 with two stops (the second ending
    // then), as the stylesheet writes it and read back from its file.
    bool SaveVisit(TDM_Wizyta &wiz, const QString &rep, const QString &secondEnd)
    {
        const QString file = inst.Path(QStringLiteral("work/v.xml"));
        {
            TPelk_Wizyta visit(Dm(), wiz);
            visit.ObiektEXID = Variant(rep);
            visit.Data = Variant(QStringLiteral("2009-03-14"));
            const QList<std::tuple<const char *, const char *, QString>> stops = {
                {"100001", "2009-03-14 08:00:00", QStringLiteral("2009-03-14 08:30:00")},
                {"100005", "2009-03-14 10:00:00", secondEnd}};
            for (const auto &[exid, od, doDnia] : stops) {
                TPelk_WizytaPozycjeCollectionItem *stop = visit.WizytaPozycje()->Add();
                stop->ObiektEXID = Variant(QString::fromLatin1(exid));
                stop->Sort = visit.WizytaPozycje()->Count();
                stop->GodzinaOd = Variant(QString::fromLatin1(od));
                stop->GodzinaDo = Variant(doDnia);
                stop->Czas = Variant(600);
                stop->Num1 = Variant(3001);
            }
            visit.FileName = file;
            EXPECT_TRUE(visit.SaveToXML());
        }
        TPelk_Wizyta visit(Dm(), wiz);
        visit.FileName = file;
        EXPECT_TRUE(visit.LoadFromXML());
        RObiekt element;
        return visit.SaveObjectData(element);
    }

    // The runs happen the evening after the day of the worked example.
    ScopedFixedClock clock{QDateTime(QDate(2009, 3, 15), QTime(22, 0))};
};

} // namespace

TEST_F(Visits, WorkedExampleSourceFileHasTheExactLayoutTypesAndTexts)
{
    Activity(1, 1, QStringLiteral("2009-03-14 10:00:00"), QStringLiteral("2009-03-14 10:15:00"));
    TDM_Wizyta wiz(Dm());
    TZamer_Wizyta visit(Dm(), wiz);
    RObiekt element;
    element.Key = QStringLiteral("1234_39886");
    element.Text1 = QStringLiteral("1234");
    element.Number = kDay;
    ASSERT_TRUE(visit.LoadObjectData(element)) << Pane().toStdString();
    visit.FileName = inst.Path(QStringLiteral("work/x.xml"));
    ASSERT_TRUE(visit.SaveToXML());
    EXPECT_EQ(ReadFileText(visit.FileName).toStdString(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
              "<classes>\r\n"
              "  <class classname=\"TZamer_Wizyta\" name=\"TZamer_Wizyta\">\r\n"
              "    <properties>\r\n"
              "      <property name=\"ObjectID\" type=\"String\">1234_39886</property>\r\n"
              "      <property name=\"ObiektID\" type=\"String\">1234</property>\r\n"
              "      <property name=\"ObiektEXID\" type=\"Empty\"/>\r\n"
              "      <property name=\"Data\" type=\"String\">2009-03-14</property>\r\n"
              "      <property name=\"WizytaPozycje\" type=\"Object\" class=\"TZamer_WizytaPozycjeCollection\">\r\n"
              "        <class classname=\"TZamer_WizytaPozycjeCollection\" name=\"WizytaPozycje\">\r\n"
              "          <customdata>\r\n"
              "            <class classname=\"TZamer_WizytaPozycjeCollectionItem\" name=\"Item_1\">\r\n"
              "              <properties>\r\n"
              "                <property name=\"ObiektID\" type=\"String\">100001</property>\r\n"
              "                <property name=\"ObiektEXID\" type=\"Empty\"/>\r\n"
              "                <property name=\"Sort\" type=\"Integer\">1</property>\r\n"
              "                <property name=\"GodzinaOd\" type=\"String\">2009-03-14 10:00:00</property>\r\n"
              "                <property name=\"GodzinaDo\" type=\"String\">2009-03-14 10:15:00</property>\r\n"
              "                <property name=\"Czas\" type=\"Double\">900</property>\r\n"
              "                <property name=\"KodWizyty\" type=\"Integer\">3001</property>\r\n"
              "                <property name=\"Opis\" type=\"String\">Wizyta handlowa</property>\r\n"
              "              </properties>\r\n"
              "            </class>\r\n"
              "          </customdata>\r\n"
              "        </class>\r\n"
              "      </property>\r\n"
              "    </properties>\r\n"
              "  </class>\r\n"
              "</classes>\r\n");
}

TEST(VisitDuration, IsTheExactWholeNumberOfSecondsBetweenTheTimes)
{
    struct Case
    {
        const char *name;
        TDateTime od, doDnia;
        qint64 seconds;
    };
    const TDateTime day = EncodeDate(2009, 3, 14);
    const Case cases[] = {
        {"half an hour", day + EncodeTime(8, 0, 0, 0), day + EncodeTime(8, 30, 0, 0), 1800},
        {"quarter of an hour", day + EncodeTime(10, 0, 0, 0), day + EncodeTime(10, 15, 0, 0), 900},
        {"one second", day + EncodeTime(23, 59, 58, 0), day + EncodeTime(23, 59, 59, 0), 1},
        {"over midnight", day + EncodeTime(23, 30, 0, 0), day + 1 + EncodeTime(0, 30, 0, 0), 3600},
        {"a fraction is dropped", day + EncodeTime(9, 0, 0, 0), day + EncodeTime(9, 0, 59, 999), 59},
        {"nothing", day + EncodeTime(12, 0, 0, 0), day + EncodeTime(12, 0, 0, 0), 0},
        {"end before start", day + EncodeTime(12, 0, 0, 0), day + EncodeTime(11, 59, 0, 0), -60},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CzasWSekundach(c.od, c.doDnia), c.seconds) << c.name;
}

TEST_F(Visits, RowsOfOneRepresentativeDayMergeIntoOneVisitWithStopsInStartOrder)
{
    SetWatermark(QStringLiteral("2009-03-14 12:00:00"));
    // Created and updated after the last exchange (two list rows), updated only (one), and
    // the next day (one): two visits, keyed by representative and day number.
    Activity(1, 3, QStringLiteral("2009-03-14 13:00:00"), QStringLiteral("2009-03-14 13:20:00"), 1234, 3001,
             QStringLiteral("2009-03-14 13:30:00"), QStringLiteral("2009-03-14 18:00:00"));
    Activity(2, 1, QStringLiteral("2009-03-14 08:00:00"), QStringLiteral("2009-03-14 08:30:00"), 1234, 3002,
             QStringLiteral("2009-03-13 20:00:00"), QStringLiteral("2009-03-14 19:00:00"));
    Activity(3, 5, QStringLiteral("2009-03-14 15:00:00"), QStringLiteral("2009-03-14 16:00:00"), 1234, 0,
             QStringLiteral("2009-03-13 20:00:00"), QStringLiteral("2009-03-14 19:00:00"));
    Activity(4, 2, QStringLiteral("2009-03-14 10:00:00"), QStringLiteral("2009-03-14 10:15:00"), 1234, 3001,
             QStringLiteral("2009-03-14 21:00:00"));
    Activity(5, 4, QStringLiteral("2009-03-15 09:00:00"), QStringLiteral("2009-03-15 09:45:00"), 1234, 3001,
             QStringLiteral("2009-03-15 21:00:00"));
    // Not listed: changed before the last exchange, another region, or no customer number.
    Activity(6, 6, QStringLiteral("2009-03-14 11:00:00"), QStringLiteral("2009-03-14 11:10:00"), 77, 3001,
             QStringLiteral("2009-03-14 12:00:00"), QStringLiteral("2009-03-14 11:59:59"));
    Crm(QStringLiteral("UPDATE Customer SET Region = 'BCZ' WHERE CustomerID = 6;"));
    RunExchange();

    EXPECT_EQ(Summary(), Counts(2, 1, 1, 0, 0, 1)) << Pane().toStdString();
    EXPECT_EQ(
        Lines(Gis(QStringLiteral("SELECT WIZ_EXID || '|' || WIZ_NAZWA || '|' || WIZ_DATA || '|' || WIZ_ILOSC || '|' || o.OB_EXID"
                                 " FROM WIZYTA JOIN OBIEKT o ON o.OB_ID = WIZ_ID_OB ORDER BY WIZ_EXID;"))),
        "1234_39886|2009-03-14.1234|2009-03-14 00:00:00|4|1234\n"
        "1234_39887|2009-03-15.1234|2009-03-15 00:00:00|1|1234");
    // The first day's stop at the distributor has no activity code: it is refused by name, the
    // other stops are kept, and the visit stays staged until its stops are complete.
    EXPECT_TRUE(Pane().contains(QStringLiteral(" Pole \"Num1\" nie może być puste\n      Obiekt nie został przetworzony")));
    EXPECT_EQ(Lines(Stops(QStringLiteral("1234_39886"))),
              "100001|1|2009-03-14 08:00:00|2009-03-14 08:30:00|1800|Zbieranie zamówienia|3002\n"
              "100002|2|2009-03-14 10:00:00|2009-03-14 10:15:00|900|Wizyta handlowa|3001\n"
              "100003|3|2009-03-14 13:00:00|2009-03-14 13:20:00|1200|Wizyta handlowa|3001");
    ASSERT_EQ(WorkFiles().size(), 1);
    EXPECT_TRUE(WorkFiles().first().startsWith(QStringLiteral("Wizyta_SysY__")));
    EXPECT_TRUE(ReadFileText(inst.Path(QStringLiteral("work/")) + WorkFiles().first())
                    .contains(QStringLiteral("<property name=\"ObjectID\" type=\"String\">1234_39886</property>")));
    EXPECT_TRUE(StoredAtSourceTimeOfTheRun(Watermark())) << Watermark().toStdString();

    // The code is mended (the CRM stamps it by its own clock): the day is listed again, its
    // file superseded, the missing stop added.
    clock->Set(QDateTime(QDate(2009, 3, 16), QTime(9, 0)));
    Crm(QStringLiteral(
        "UPDATE Activity SET ActivityTypeCode = 3002, UpdateDate = datetime('now', 'localtime') WHERE ActivityID = 3;"));
    RunExchange();
    EXPECT_EQ(Summary(), Counts(1, 1, 1, 0, 0, 0)) << Pane().toStdString();
    EXPECT_TRUE(WorkFiles().isEmpty());
    EXPECT_EQ(Stops(QStringLiteral("1234_39886")).value(3).toStdString(),
              "100005|4|2009-03-14 15:00:00|2009-03-14 16:00:00|3600|Zbieranie zamówienia|3002");
}

TEST_F(Visits, SavingAVisitCountsNewThenUnchangedThenUpdatedWithEveryChangedFieldLogged)
{
    TDM_Wizyta wiz(Dm());
    auto save = [&](const QString &rep, const QString &secondEnd) { return SaveVisit(wiz, rep, secondEnd); };
    auto counts = [&] {
        const TProcess &p = *Dm().Process();
        return QStringLiteral("%1 new, %2 updated, %3 unchanged")
            .arg(p.NewCount())
            .arg(p.UpdatedCount())
            .arg(p.UnchangedCount())
            .toStdString();
    };
    const QString end = QStringLiteral("2009-03-14 10:15:00");
    ASSERT_TRUE(save(QStringLiteral("1234"), end)) << Pane().toStdString();
    EXPECT_EQ(counts(), "1 new, 0 updated, 0 unchanged");
    pane.messages.clear();
    ASSERT_TRUE(save(QStringLiteral("1234"), end));
    EXPECT_EQ(counts(), "1 new, 0 updated, 1 unchanged");
    EXPECT_FALSE(Pane().contains(QStringLiteral(" Pole: "))) << Pane().toStdString();

    // The row is unchanged but a stop ends later: the visit counts as updated.
    ASSERT_TRUE(save(QStringLiteral("1234"), QStringLiteral("2009-03-14 10:20:00")));
    EXPECT_EQ(counts(), "1 new, 1 updated, 1 unchanged");
    EXPECT_TRUE(Pane().contains(QStringLiteral(" Pole: WIO_GODZ_DO: stara wartosc: \"2009-03-14 10:15:00\"; "
                                               "nowa wartosc: \"2009-03-14 10:20:00\" ")))
        << Pane().toStdString();
    EXPECT_EQ(Gis(QStringLiteral("SELECT WIO_GODZ_DO FROM WIZYTA_OBIEKT WHERE WIO_SORT = 2;")),
              QStringList({QStringLiteral("2009-03-14 10:20:00")}));

    // A visit row that existed without stops, whose stops are all new, counts as new.
    Gis(QStringLiteral("INSERT INTO WIZYTA (WIZ_NAZWA, WIZ_ID_OB, WIZ_DATA, WIZ_ILOSC) "
                       "SELECT '2009-03-14.77', OB_ID, '2009-03-14 00:00:00', 2 FROM OBIEKT WHERE OB_EXID = '77';"));
    ASSERT_TRUE(save(QStringLiteral("77"), end));
    EXPECT_EQ(counts(), "2 new, 1 updated, 1 unchanged");
    EXPECT_EQ(Gis(QStringLiteral("SELECT count(*) || '/' || count(DISTINCT WIO_ID_WIZ) FROM WIZYTA_OBIEKT;")),
              QStringList({QStringLiteral("4/2")}));
    EXPECT_EQ(Gis(QStringLiteral("SELECT count(*) FROM WIZYTA;")), QStringList({QStringLiteral("2")}));
}

TEST_F(Visits, AStopAtACustomerUnknownToTheGisKeepsTheOtherStopsAndTheFileUntilTheCustomerArrives)
{
    Customer(7, QStringLiteral("100007"));
    Activity(1, 1, QStringLiteral("2009-03-14 08:00:00"), QStringLiteral("2009-03-14 08:30:00"));
    Activity(2, 7, QStringLiteral("2009-03-14 09:00:00"), QStringLiteral("2009-03-14 09:30:00"));
    Activity(3, 2, QStringLiteral("2009-03-14 10:00:00"), QStringLiteral("2009-03-14 10:30:00"));
    RunExchange();
    EXPECT_EQ(Summary(), Counts(1, 0, 0, 0, 0, 1)) << Pane().toStdString();
    EXPECT_TRUE(Pane().contains(QStringLiteral(" Brak w systemie Pelk·GIS Trasar Klienta\\Dystrybutora o numerze \"100007\" \n"
                                               "      Pozycja nie została zapisana")));
    EXPECT_EQ(
        Lines(Gis(QStringLiteral("SELECT o.OB_EXID || '|' || WIO_SORT FROM WIZYTA_OBIEKT JOIN OBIEKT o ON o.OB_ID = WIO_ID_OB"
                                 " ORDER BY WIO_SORT;"))),
        "100001|1\n100002|3");
    ASSERT_EQ(WorkFiles().size(), 1);

    // The customer reaches the GIS: the staged visit is stored whole and counts as new.
    Gis(QStringLiteral("INSERT INTO OBIEKT (OB_EXID, OB_ID_SLO_TYP, OB_NAZWA1) VALUES ('100007', 102, 'G');"));
    RunExchange();
    EXPECT_EQ(Summary(), Counts(1, 1, 1, 0, 0, 0)) << Pane().toStdString();
    EXPECT_TRUE(WorkFiles().isEmpty());
    EXPECT_EQ(Gis(QStringLiteral("SELECT group_concat(WIO_SORT) FROM (SELECT WIO_SORT FROM WIZYTA_OBIEKT ORDER BY WIO_SORT);")),
              QStringList({QStringLiteral("1,2,3")}));
}

TEST_F(Visits, ASecondStopAtTheSameCustomerTakesTheFirstOnesRow)
{
    Activity(1, 1, QStringLiteral("2009-03-14 08:00:00"), QStringLiteral("2009-03-14 08:30:00"));
    Activity(2, 2, QStringLiteral("2009-03-14 09:00:00"), QStringLiteral("2009-03-14 09:30:00"));
    Activity(3, 1, QStringLiteral("2009-03-14 15:00:00"), QStringLiteral("2009-03-14 15:05:00"));
    RunExchange();
    EXPECT_EQ(Summary(), Counts(1, 1, 1, 0, 0, 0)) << Pane().toStdString();
    EXPECT_EQ(Lines(Stops(QStringLiteral("1234_39886"))),
              "100002|2|2009-03-14 09:00:00|2009-03-14 09:30:00|1800|Wizyta handlowa|3001\n"
              "100001|3|2009-03-14 15:00:00|2009-03-14 15:05:00|300|Wizyta handlowa|3001");
}

TEST_F(Visits, StopsAtIdsTheGisTakesForOneObjectShareOneRow)
{
    // A GIS that compares external ids without regard to case, as SQL Server's usual
    // collations do: two CRM customers "K7" and "k7" are one GIS object.
    GisSql(QStringLiteral("PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = replace(sql, 'OB_EXID VARCHAR(40)',"
                          " 'OB_EXID VARCHAR(40) COLLATE NOCASE') WHERE name = 'OBIEKT';"));
    GisSql(QStringLiteral("REINDEX; INSERT INTO OBIEKT (OB_EXID, OB_ID_SLO_TYP, OB_NAZWA1) VALUES ('K7', 102, 'K');"));
    Customer(7, QStringLiteral("K7"));
    Customer(8, QStringLiteral("k7"));
    Activity(1, 7, QStringLiteral("2009-03-14 08:00:00"), QStringLiteral("2009-03-14 08:30:00"));
    Activity(2, 8, QStringLiteral("2009-03-14 09:00:00"), QStringLiteral("2009-03-14 09:30:00"));
    RunExchange();
    EXPECT_EQ(Summary(), Counts(1, 1, 1, 0, 0, 0)) << Pane().toStdString();
    EXPECT_EQ(Lines(Stops(QStringLiteral("1234_39886"))),
              "K7|2|2009-03-14 09:00:00|2009-03-14 09:30:00|1800|Wizyta handlowa|3001");
}

TEST_F(Visits, AGisFailureInTheMiddleOfAVisitLeavesNoRowOfItAndTheNextRunStoresIt)
{
    Activity(1, 1, QStringLiteral("2009-03-14 08:00:00"), QStringLiteral("2009-03-14 08:30:00"));
    Activity(2, 2, QStringLiteral("2009-03-14 09:00:00"), QStringLiteral("2009-03-14 09:30:00"));
    Activity(3, 3, QStringLiteral("2009-03-15 09:00:00"), QStringLiteral("2009-03-15 09:30:00"));
    Gis(QStringLiteral("CREATE TRIGGER no_stop BEFORE INSERT ON WIZYTA_OBIEKT WHEN NEW.WIO_SORT = 2"
                       " BEGIN SELECT RAISE(ABORT, 'awaria zapisu'); END;"));
    RunExchange();
    EXPECT_EQ(Summary(), Counts(2, 1, 1, 0, 0, 1)) << Pane().toStdString();
    EXPECT_TRUE(Pane().contains(QStringLiteral("awaria zapisu")));
    // Neither the visit row nor its first stop were kept.
    EXPECT_EQ(Lines(Gis(QStringLiteral("SELECT WIZ_EXID FROM WIZYTA;"))), "1234_39887");
    EXPECT_EQ(Gis(QStringLiteral("SELECT count(*) FROM WIZYTA_OBIEKT;")), QStringList({QStringLiteral("1")}));
    ASSERT_EQ(WorkFiles().size(), 1);

    Gis(QStringLiteral("DROP TRIGGER no_stop;"));
    RunExchange();
    EXPECT_EQ(Summary(), Counts(1, 1, 1, 0, 0, 0)) << Pane().toStdString();
    EXPECT_EQ(Gis(QStringLiteral("SELECT count(*) FROM WIZYTA_OBIEKT;")), QStringList({QStringLiteral("3")}));
    EXPECT_TRUE(WorkFiles().isEmpty());
}

TEST_F(Visits, AGisThatGoesDownMidRunKeepsTheFilesAndTheNextRunStoresThem)
{
    for (int day = 0; day < 3; ++day)
        Activity(day + 1, day + 1, QStringLiteral("2009-03-1%1 08:00:00").arg(2 + day),
                 QStringLiteral("2009-03-1%1 08:30:00").arg(2 + day));
    const QString away = inst.gisFile + QStringLiteral(".away");
    int visits = 0;
    pane.onMessage = [&](const QStringList &lines) {
        if (!lines.value(0).startsWith(QStringLiteral(" System Pelk·GIS Trasar wizyty z dnia")) || ++visits != 2)
            return;
        // The server goes away while the second visit is being written, and stays away.
        DropUnderneath(Dm().ADOConnection_PelkGIS);
        QFile::rename(inst.gisFile, away);
    };
    RunExchange();
    pane.onMessage = nullptr;
    QFile::remove(inst.gisFile);
    ASSERT_TRUE(QFile::rename(away, inst.gisFile));
    EXPECT_EQ(Summary(), Counts(3, 1, 1, 0, 0, 2)) << Pane().toStdString();
    EXPECT_EQ(WorkFiles().size(), 2);
    EXPECT_EQ(Gis(QStringLiteral("SELECT count(*) || '/' || (SELECT count(*) FROM WIZYTA_OBIEKT) FROM WIZYTA;")),
              QStringList({QStringLiteral("1/1")}));
    EXPECT_TRUE(Watermark().isEmpty());

    Dm().ADOConnection_PelkGIS.Close();
    RunExchange();
    EXPECT_EQ(Gis(QStringLiteral("SELECT count(*) || '/' || (SELECT count(*) FROM WIZYTA_OBIEKT) FROM WIZYTA;")),
              QStringList({QStringLiteral("3/3")}))
        << Pane().toStdString();
    EXPECT_TRUE(WorkFiles().isEmpty());
    EXPECT_FALSE(Watermark().isEmpty());
}

TEST_F(Visits, UnreadableListRowsAreLoggedWithTheirActivityAndSkippedAndTheRunGoesOn)
{
    Activity(1, 1, QStringLiteral("2009-03-14 08:00:00"), QStringLiteral("2009-03-14 08:30:00"));
    Crm(QStringLiteral(
        "INSERT INTO Activity VALUES (7, 2, NULL, 3001, '2009-03-14 09:00:00', '2009-03-14 09:30:00',"
        " '2009-03-14 20:00:00', NULL), (8, 3, 77, 3001, NULL, '2009-03-14 09:30:00', '2009-03-14 20:00:00', NULL);"));
    RunExchange();
    EXPECT_EQ(Summary(), Counts(1, 1, 1, 0, 0, 0)) << Pane().toStdString();
    EXPECT_TRUE(Pane().contains(QStringLiteral(" Pominięto element listy obiektu \"Wizyta transfer do systemu Pelk·GIS Trasar\" "
                                               "(aktywność ID: 7, PracownikID: NULL, DataWizyty: 2009-03-14 09:00:00, "
                                               "DataUtworzenia: 2009-03-14 20:00:00)")))
        << Pane().toStdString();
    EXPECT_TRUE(Pane().contains(QStringLiteral("(aktywność ID: 8, PracownikID: 77, DataWizyty: NULL,")));
    // Such rows never hold the last-exchange time back: the next run does not list them again.
    EXPECT_TRUE(StoredAtSourceTimeOfTheRun(Watermark())) << Watermark().toStdString();
}

TEST_F(Visits, AnActivityWithoutEndTimeRefusesItsDayWithItsReasonAndOtherDaysGoOn)
{
    Activity(1, 1, QStringLiteral("2009-03-14 08:00:00"), QString());
    Activity(2, 2, QStringLiteral("2009-03-14 09:00:00"), QStringLiteral("2009-03-14 09:30:00"));
    Activity(3, 3, QStringLiteral("2009-03-15 09:00:00"), QStringLiteral("2009-03-15 09:30:00"));
    RunExchange();
    EXPECT_EQ(Summary(), Counts(2, 1, 1, 0, 0, 1)) << Pane().toStdString();
    EXPECT_TRUE(Pane().contains(QStringLiteral(" Wyjątek funkcji TZamer_Wizyta.GetPozycjeWizyta\n"
                                               " Aktywność 1 u klienta 100001 nie ma godziny zakończenia")))
        << Pane().toStdString();
    // The CRM's record stays as it is; nothing is staged for it and it holds no time back.
    EXPECT_TRUE(WorkFiles().isEmpty());
    EXPECT_EQ(Lines(Gis(QStringLiteral("SELECT WIZ_EXID FROM WIZYTA;"))), "1234_39887");
    EXPECT_TRUE(StoredAtSourceTimeOfTheRun(Watermark())) << Watermark().toStdString();
}

TEST_F(Visits, AVisitOfARepresentativeUnknownToTheGisStaysStagedUntilTheRepresentativeArrives)
{
    Crm(QStringLiteral("INSERT INTO CaesarUser VALUES (55, 'Adam', 'Nieznany');"));
    Activity(1, 1, QStringLiteral("2009-03-14 08:00:00"), QStringLiteral("2009-03-14 08:30:00"), 55);
    RunExchange();
    EXPECT_EQ(Summary(), Counts(1, 0, 0, 0, 0, 1));
    EXPECT_TRUE(Pane().contains(QStringLiteral(" Brak w systemie Pelk·GIS Trasar Pracownika o numerze \"55\" \n"
                                               "      Obiekt nie został zapisany")))
        << Pane().toStdString();
    EXPECT_EQ(WorkFiles().size(), 1);
    Gis(QStringLiteral("INSERT INTO OBIEKT (OB_EXID, OB_ID_SLO_TYP, OB_NAZWA1) VALUES ('55', 103, 'Adam Nieznany');"));
    RunExchange();
    EXPECT_EQ(Summary(), Counts(1, 1, 1, 0, 0, 0)) << Pane().toStdString();
    EXPECT_EQ(Lines(Gis(QStringLiteral("SELECT WIZ_NAZWA FROM WIZYTA;"))), "2009-03-14.55");
}

TEST_F(Visits, AMalformedVisitFileIsReportedAndKeptWhileTheOtherVisitsAreStored)
{
    const QString broken = QStringLiteral("Wizyta_SysY__{0A0A0A0A-0000-0000-0000-000000000000}.xml");
    WriteFileText(inst.Path(QStringLiteral("work/")) + broken, QStringLiteral("<classes><class classname=\"TPelk_Wizyta\""));
    Activity(1, 1, QStringLiteral("2009-03-14 08:00:00"), QStringLiteral("2009-03-14 08:30:00"));
    RunExchange();
    EXPECT_EQ(Summary(), Counts(2, 1, 1, 0, 0, 1)) << Pane().toStdString();
    EXPECT_TRUE(Pane().contains(QStringLiteral(" Wyjątek funkcji TPelk_Wizyta.LoadFromXML \n")));
    EXPECT_EQ(WorkFiles(), QStringList({broken}));
    EXPECT_EQ(Gis(QStringLiteral("SELECT count(*) FROM WIZYTA;")), QStringList({QStringLiteral("1")}));
}

TEST_F(Visits, NothingChangedAndAnEmptyWorkFolderEndTheRunQuietlyAndAdvanceTheTime)
{
    RunExchange();
    EXPECT_EQ(Summary(), Counts(0, 0, 0, 0, 0, 0));
    for (const auto &m : pane.messages)
        EXPECT_NE(m.image, int(TLog::ImageError)) << m.lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(StoredAtSourceTimeOfTheRun(Watermark())) << Watermark().toStdString();
}

TEST_F(Visits, StopDuringTheListingLeavesTheStoredTimeAndTheGisUnchanged)
{
    SetWatermark(QStringLiteral("2009-03-01 00:00:00"));
    for (int i = 1; i <= 3; ++i)
        Activity(i, i, QStringLiteral("2009-03-1%1 08:00:00").arg(i), QStringLiteral("2009-03-1%1 08:30:00").arg(i));
    pane.onMessage = [&](const QStringList &lines) {
        if (lines.value(0).startsWith(QStringLiteral(" Rozpoczęcie zbierania elementów obiektu")))
            Dm().Process()->SetEscProcess(true);
    };
    RunExchange();
    pane.onMessage = nullptr;
    EXPECT_EQ(Watermark(), QStringLiteral("2009-03-01 00:00:00"));
    EXPECT_EQ(Gis(QStringLiteral("SELECT count(*) FROM WIZYTA;")), QStringList({QStringLiteral("0")}));
    EXPECT_TRUE(WorkFiles().isEmpty());
}

TEST_F(Visits, DaysAndTheLastExchangeTimeAreBoundAsTimesWithHalfOpenDays)
{
    SetWatermark(QStringLiteral("2009-03-14 20:00:00"));
    // Created exactly at the stored time: exchanged before, not listed again.
    Activity(1, 1, QStringLiteral("2009-03-13 09:00:00"), QStringLiteral("2009-03-13 09:30:00"), 1234, 3001,
             QStringLiteral("2009-03-14 20:00:00"));
    Activity(2, 2, QStringLiteral("2009-03-14 23:59:59"), QStringLiteral("2009-03-15 00:10:00"), 1234, 3001,
             QStringLiteral("2009-03-14 20:00:01"));
    // A code without an entry in the code table: an empty description.
    Activity(3, 3, QStringLiteral("2009-03-15 00:00:00"), QStringLiteral("2009-03-15 00:20:00"), 1234, 3099,
             QStringLiteral("2009-03-14 20:00:01"));
    RunExchange();
    EXPECT_EQ(Summary(), Counts(2, 2, 2, 0, 0, 0)) << Pane().toStdString();
    EXPECT_EQ(Lines(Gis(QStringLiteral(
                  "SELECT WIZ_EXID || ':' || group_concat(o.OB_EXID) FROM WIZYTA JOIN WIZYTA_OBIEKT ON WIO_ID_WIZ = WIZ_ID"
                  " JOIN OBIEKT o ON o.OB_ID = WIO_ID_OB GROUP BY WIZ_EXID ORDER BY WIZ_EXID;"))),
              "1234_39886:100002\n1234_39887:100003");
    EXPECT_EQ(Stops(QStringLiteral("1234_39886")).value(0).section(QLatin1Char('|'), 4, 4), QStringLiteral("601"));
    EXPECT_EQ(Lines(Stops(QStringLiteral("1234_39887"))), "100003|1|2009-03-15 00:00:00|2009-03-15 00:20:00|1200||3099");
}

TEST_F(Visits, OneQueryReadsTheWholeOfEveryListedDayAndNoOtherDay)
{
    SetWatermark(QStringLiteral("2009-03-14 20:00:00"));
    const QString before = QStringLiteral("2009-03-14 19:00:00"), after = QStringLiteral("2009-03-14 21:00:00");
    // 1234 on the 14th: one activity changed since the last exchange, one not, both go.
    Activity(1, 1, QStringLiteral("2009-03-14 08:00:00"), QStringLiteral("2009-03-14 08:30:00"), 1234, 3001, before);
    Activity(2, 2, QStringLiteral("2009-03-14 09:00:00"), QStringLiteral("2009-03-14 09:30:00"), 1234, 3001, before, after);
    // 1234 on the 13th and 77 on the 14th: nothing changed, not listed.
    Activity(3, 3, QStringLiteral("2009-03-13 09:00:00"), QStringLiteral("2009-03-13 09:30:00"), 1234, 3001, before);
    Activity(4, 4, QStringLiteral("2009-03-14 10:00:00"), QStringLiteral("2009-03-14 10:30:00"), 77, 3001, before);
    // 77 on the 15th, just after midnight: listed on its own day.
    Activity(5, 4, QStringLiteral("2009-03-15 00:00:00"), QStringLiteral("2009-03-15 00:30:00"), 77, 3001, after);
    StatementCounter counter;
    RunExchange();
    EXPECT_EQ(Summary(), Counts(2, 2, 2, 0, 0, 0)) << Pane().toStdString();
    // The clock, the list and one query for the activities of every listed day.
    EXPECT_EQ(counter.Of(QStringLiteral("CRM")).All(), 3);
    EXPECT_EQ(Lines(Stops(QStringLiteral("1234_39886"))).substr(0, 13), "100001|1|2009");
    EXPECT_EQ(Stops(QStringLiteral("1234_39886")).size(), 2);
    EXPECT_EQ(Stops(QStringLiteral("77_39887")),
              QStringList({QStringLiteral("100004|1|2009-03-15 00:00:00|2009-03-15 00:30:00|1800|Wizyta handlowa|3001")}));
    EXPECT_TRUE(Stops(QStringLiteral("1234_39885")).isEmpty());
    EXPECT_TRUE(Stops(QStringLiteral("77_39886")).isEmpty());
}

TEST_F(Visits, TheOtherDirectionIsNotImplementedAndTouchesNoFile)
{
    settingsFile = inst.WriteProcessSettings(QStringLiteral("p.xml"), inst.Path(QStringLiteral("work")),
                                             {{QStringLiteral("Wizyta"), QStringLiteral("esSysYtoSysX"), 15}});
    Activity(1, 1, QStringLiteral("2009-03-14 08:00:00"), QStringLiteral("2009-03-14 08:30:00"));
    WriteFileText(inst.Path(QStringLiteral("work/Wizyta_SysX__{X}.xml")), QStringLiteral("<classes/>"));
    RunExchange();
    EXPECT_TRUE(Pane().contains(QStringLiteral(" Funkcja TY2X_WizytaListQueue.PrepareList nie jest zaimplementowana")));
    EXPECT_EQ(WorkFiles(), QStringList({QStringLiteral("Wizyta_SysX__{X}.xml")}));
    EXPECT_EQ(Gis(QStringLiteral("SELECT count(*) FROM WIZYTA;")), QStringList({QStringLiteral("0")}));
}

TEST(VisitStatements, SqlServerTextsAsTheCrmAndTheGisKnowThem)
{
    const QString list = VisitSql::WizytyDoTransportu().sqlServer;
    EXPECT_EQ(list.count(QStringLiteral(" > :DataOd and c.CustomerNumber is not null")), 2);
    EXPECT_TRUE(list.contains(QStringLiteral("where a.CreateDate  > :DataOd"))
                && list.contains(QStringLiteral("where a.UpdateDate > :DataOd")));
    EXPECT_TRUE(list.endsWith(QStringLiteral(" is not null   order by 1, 2  ")));
    EXPECT_TRUE(
        list.startsWith(QStringLiteral(" select a.CreatedbyCaesarUserID as PracownikID,         a.StartDate as DataWizyty,"
                                       "         a.CreateDate as DataUtworzenia,")));
    EXPECT_EQ(VisitSql::Wizyta().sqlServer.toStdString(),
              "select WIZ_ID, WIZ_EXID, WIZ_NAZWA, WIZ_ID_OB, WIZ_DATA, WIZ_DLUGOSC, WIZ_CZAS, WIZ_ILOSC\r\n  from dbo.WIZYTA\r\n"
              " where WIZ_ID_OB = :ObiektID and\r\n       convert(varchar(10),WIZ_DATA,120) = :DataWizyty \r\n");
}

// The round trips of a visit against the CRM and the GIS: a change that adds a statement per
// visit or per stop fails here.
TEST_F(Visits, TheStatementsOfNewAndOfChangedVisitsArePinned)
{
    for (int day = 0; day < 3; ++day)
        for (int stop = 0; stop < 3; ++stop)
            Activity(day * 3 + stop + 1, stop + 1,
                     QStringLiteral("2009-03-1%1 %2:00:00").arg(2 + day).arg(8 + stop, 2, 10, QLatin1Char('0')),
                     QStringLiteral("2009-03-1%1 %2:30:00").arg(2 + day).arg(8 + stop, 2, 10, QLatin1Char('0')));
    StatementCounter counter;
    RunExchange();
    const auto newGis = counter.Of(QStringLiteral("GIS")), newCrm = counter.Of(QStringLiteral("CRM"));
    Crm(QStringLiteral(
        "UPDATE Activity SET EndDate = datetime(EndDate, '+5 minutes'), UpdateDate = datetime('now', 'localtime');"));
    counter.Reset();
    RunExchange();
    const auto changedGis = counter.Of(QStringLiteral("GIS")), changedCrm = counter.Of(QStringLiteral("CRM"));
    EXPECT_EQ(Summary(), Counts(3, 3, 0, 3, 0, 0)) << Pane().toStdString();
    // The CRM: its clock, the list, the activities of the listed days.
    EXPECT_EQ(newCrm.All(), 3);
    EXPECT_EQ(changedCrm.All(), 3);
    // The GIS per run: the last-exchange time read and stored, the representatives and the
    // customers read once. Per new visit: the look-up, the insert and its identity, one insert
    // per stop. Per changed visit: the visit with its row, its stops, one update per stop.
    EXPECT_EQ(newGis.reads, 3 + 2 * 3);
    EXPECT_EQ(newGis.writes, 1 + 4 * 3);
    EXPECT_EQ(changedGis.reads, 3 + 2 * 3);
    EXPECT_EQ(changedGis.writes, 1 + 3 * 3);
}
