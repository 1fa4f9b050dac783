// The position store on a SQLite GIS database through ODBC: stops started, closed and
// estimated on a fixed clock, the vehicle and driver look-ups.
#include "support/FixedClock.h"
#include "support/GisDatabase.h"
#include "support/GpsStream.h"
#include "support/Installation.h"
#include "support/RecordedByteSource.h"
#include "support/WarsawZone.h"

#include "app/DSLocateKonfig.h"
#include "app/Log.h"
#include "gps/DSLocateDekodujDane.h"
#include "gps/DSLocatePojazdy.h"
#include "gps/DSLocateZapisPozycji.h"
#include "gps/GpsSql.h"

#include <QMutex>
#include <QSqlDatabase>
#include <gtest/gtest.h>

using namespace pelk;
using namespace pelk::test;

namespace {

// A vehicle and its driver in one territory; vehicles mapped wrongly in four ways.
const char *kObjects = "INSERT INTO OBIEKT (OB_ID, OB_ID_SLO_TYP, OB_NAZWA1, OB_MAP1) VALUES "
                       "(10, 106, 'Ciężarówka', 'WX 1234'), (20, 103, 'Jan Kowalski', NULL), (30, 107, 'Mazowsze', NULL),"
                       "(11, 106, 'Bez kierowcy', 'WX 0001'), (12, 106, 'Pierwszy', 'WX 0002'), (13, 106, 'Drugi', 'WX 0002'),"
                       "(14, 106, 'Dwóch kierowców', 'WX 0003'), (21, 103, 'Anna Nowak', NULL);"
                       "INSERT INTO OBIEKT_RELACJA (OBR_ID_OB1, OBR_ID_OB2, OBR_ID_SLO_TYP, OBR_ID_SLO_ZRODLO) VALUES "
                       "(30, 10, 212, 802), (30, 20, 207, 802), (31, 14, 212, 802), (31, 20, 207, 802), (31, 21, 207, 802),"
                       "(30, 11, 212, 801);";

class StoreTest : public ::testing::Test
{
protected:
    StoreTest() : clock(QDateTime(QDate(2009, 3, 14), QTime(12, 0)))
    {
        EnsureApplication();
        gisFile = odbc.AddSqliteDsn(QStringLiteral("GIS"));
        CreateGisDatabase(gisFile);
        OdbcEnvironment::ExecSqlite(gisFile, QString::fromUtf8(kObjects));
        log.SetView(&view);
        konfig.Harmonogram()->CzasStop = EncodeTime(22, 0, 0, 0);
        store = std::make_unique<TDSLocateZapisPozycji>(log, QStringLiteral("GIS"));
        store->SetKonfig(&konfig);
    }

    static TDSLocatePozycja Frame(const QString &vehicle, const char *localTime, int engine)
    {
        TDSLocatePozycja p;
        p.NazwaPojazdu = vehicle;
        p.Czas = FromQDateTime(QDateTime::fromString(QLatin1String(localTime), QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        p.DlugoscGeo = 21;
        p.SzerokoscGeo = 52;
        p.ObliczWspolXYKm();
        p.StatusSilnika = engine;
        p.Predkosc = 255;
        p.Dystans = kBrakWartosci;
        return p;
    }
    bool Store(const char *localTime, int engine, const QString &vehicle = QStringLiteral("WX 1234"))
    {
        return store->ZapiszPozycje(Frame(vehicle, localTime, engine));
    }
    QStringList Rows() const
    {
        return OdbcEnvironment::QuerySqlite(gisFile,
                                            QStringLiteral("SELECT TGP_ID_OB1, TGP_ID_OB2, TGP_DATACZAS, TGP_ID_SLO_STATUS, "
                                                           "ifnull(TGP_PREDKOSC, 'null'), ifnull(TGP_DYSTANS, 'null'), TGP_NUM1 "
                                                           "FROM TRASA_GPS ORDER BY TGP_ID;"));
    }
    QStringList Minutes() const
    {
        return OdbcEnvironment::QuerySqlite(gisFile, QStringLiteral("SELECT TGP_NUM1 FROM TRASA_GPS ORDER BY TGP_ID;"));
    }

    ScopedFixedClock clock;
    OdbcEnvironment odbc;
    QString gisFile;
    RecordingLogView view;
    TLog log;
    TDSLocateKonfig konfig;
    std::unique_ptr<TDSLocateZapisPozycji> store;

    // A decoder storing through a store of its own, vehicle 12 being WX 1234.
    std::unique_ptr<TDSLocateDekodujDane> Decoder()
    {
        TDSLocatePojazd *v = pojazdy.AddPojazd();
        v->NrPojazdu = QStringLiteral("12");
        v->Nazwa = QStringLiteral("WX 1234");
        konfig.Harmonogram()->ZapiszDaneDoBazyDanych = true;
        auto decoder = std::make_unique<TDSLocateDekodujDane>(
            std::make_unique<TDSLocateZapisPozycji>(log, QStringLiteral("GIS")));
        decoder->SetKonfig(&konfig);
        decoder->SetPojazdy(&pojazdy);
        decoder->SetReportReceived(false);
        decoder->SetStatusHandler([this](const QString &text) {
            QMutexLocker lock(&statusMutex);
            statuses << text;
        });
        return decoder;
    }
    QStringList Statuses()
    {
        QMutexLocker lock(&statusMutex);
        return statuses;
    }
    TDSLocatePojazdy pojazdy;
    QMutex statusMutex;
    QStringList statuses;
};

} // namespace

TEST_F(StoreTest, StopOnAPastDayIsEstimatedToTheWindowEndThenCorrected)
{
    EXPECT_TRUE(Store("2009-03-10 09:30:00", 1));
    EXPECT_TRUE(Store("2009-03-10 10:00:00", 0));
    EXPECT_EQ(Rows().join(QLatin1Char(';')).toStdString(), "10|20|2009-03-10 10:00:00|502|0|null|720");
    EXPECT_TRUE(Store("2009-03-10 10:20:00", 0)); // the engine stayed off: nothing new
    EXPECT_TRUE(Store("2009-03-10 10:45:00", 1));
    EXPECT_EQ(Minutes(), QStringList{QStringLiteral("45")});
    EXPECT_TRUE(view.messages.isEmpty());
}

TEST_F(StoreTest, StopTodayIsEstimatedToNow)
{
    EXPECT_TRUE(Store("2009-03-14 10:00:00", 0)); // the first frame of the vehicle starts a stop
    EXPECT_EQ(Minutes(), QStringList{QStringLiteral("120")});
    EXPECT_TRUE(Store("2009-03-14 10:45:00", 1));
    EXPECT_EQ(Minutes(), QStringList{QStringLiteral("45")});
}

TEST_F(StoreTest, EstimatesRoundHalfToEvenAndAreNeverNegative)
{
    EXPECT_TRUE(Store("2009-03-10 10:00:30", 0)); // 719.5 minutes
    EXPECT_TRUE(Store("2009-03-11 10:01:30", 0)); // 718.5, a new day
    EXPECT_TRUE(Store("2009-03-12 22:30:00", 0)); // after the window's end: no time in it
    EXPECT_EQ(Minutes(), QStringList({QStringLiteral("720"), QStringLiteral("718"), QStringLiteral("0")}));
}

TEST_F(StoreTest, EngineStartOnALaterDayLeavesTheStop)
{
    EXPECT_TRUE(Store("2009-03-10 10:00:00", 0));
    EXPECT_TRUE(Store("2009-03-11 07:00:00", 1));
    EXPECT_EQ(Minutes(), QStringList{QStringLiteral("720")});
}

TEST_F(StoreTest, PositionsOutsideTheAreaChangeNothing)
{
    EXPECT_TRUE(Store("2009-03-10 10:00:00", 0));
    TDSLocatePozycja south = Frame(QStringLiteral("WX 1234"), "2009-03-10 10:30:00", 1);
    south.SzerokoscGeo = -52;
    south.ObliczWspolXYKm();
    EXPECT_TRUE(store->ZapiszPozycje(south));
    TDSLocatePozycja zero = Frame(QStringLiteral("WX 1234"), "2009-03-10 10:40:00", 1);
    zero.DlugoscGeo = 0;
    EXPECT_TRUE(store->ZapiszPozycje(zero));
    EXPECT_EQ(Minutes(), QStringList{QStringLiteral("720")});
    EXPECT_TRUE(Store("2009-03-10 10:45:00", 1)); // the engine state was not touched by them
    EXPECT_EQ(Minutes(), QStringList{QStringLiteral("45")});
}

TEST_F(StoreTest, SameArchiveTwiceInsertsNothingNew)
{
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_TRUE(Store("2009-03-10 10:00:00", 0));
        EXPECT_TRUE(Store("2009-03-10 10:45:00", 1));
        EXPECT_TRUE(Store("2009-03-10 12:00:00", 0));
        EXPECT_TRUE(Store("2009-03-10 12:10:00", 1));
    }
    EXPECT_EQ(Minutes(), QStringList({QStringLiteral("45"), QStringLiteral("10")}));
}

TEST_F(StoreTest, AnotherVehicleStartsAfresh)
{
    EXPECT_TRUE(Store("2009-03-10 10:00:00", 0));
    OdbcEnvironment::ExecSqlite(gisFile, QStringLiteral("UPDATE OBIEKT SET OB_MAP1 = 'WX 9' WHERE OB_ID = 10;"));
    // Off again the same day, but for another vehicle: a stop of its own, and the engine start
    // of that vehicle does not correct the first one's row.
    EXPECT_TRUE(Store("2009-03-10 10:05:00", 0, QStringLiteral("WX 9")));
    EXPECT_EQ(Minutes(), QStringList({QStringLiteral("720"), QStringLiteral("715")}));
}

TEST_F(StoreTest, WithoutEngineStateNothingIsStored)
{
    EXPECT_TRUE(Store("2009-03-10 10:00:00", -1));
    EXPECT_TRUE(Store("2009-03-10 11:00:00", -1));
    EXPECT_TRUE(Rows().isEmpty());
}

TEST_F(StoreTest, MappingFaultsGiveTheirMessagesAndNoRow)
{
    struct Case
    {
        const char *vehicle, *message;
    };
    const Case cases[] = {
        {"XX 404", "Nie znaleziono w bazie pojazdu o nazwie XX 404. Proszę zmapować pojazd w polu OB_MAP1"},
        {"WX 0002",
         "Znaleziono w bazie więcej niż jeden pojazd o nazwie WX 0002. Proszę zmapować tylko jeden pojazd w polu OB_MAP1"},
        {"WX 0001",
         "Nie znaleziono w bazie kierowcy dla pojazdu o nazwie WX 0001. Proszę dodać kierowce i pojazd do tego samego terytorium."},
        {"WX 0003",
         "Znaleziono w bazie więcej niż jednego kierowcy dla pojazdu o nazwie WX 0003. Proszę dodać jednego kierowcę i jeden pojazd do tego samego terytorium."},
    };
    for (const Case &c : cases) {
        view.messages.clear();
        EXPECT_FALSE(Store("2009-03-10 10:00:00", 0, QString::fromUtf8(c.vehicle)));
        ASSERT_EQ(view.messages.size(), 1) << c.vehicle;
        EXPECT_EQ(view.messages[0].lines, QStringList{QString::fromUtf8(c.message)});
    }
    EXPECT_TRUE(Rows().isEmpty());
}

TEST_F(StoreTest, AnUnmappedVehicleIsLoggedOncePerConnectionWithACountAtTheEnd)
{
    // Every engine-off frame of a new day would start a stop.
    for (const char *day : {"2009-03-10", "2009-03-11", "2009-03-12", "2009-03-13"}) {
        EXPECT_FALSE(Store((QByteArray(day) + " 10:00:00").constData(), 0, QStringLiteral("XX 404")));
        EXPECT_FALSE(Store((QByteArray(day) + " 11:00:00").constData(), 0, QStringLiteral("WX 0001")));
    }
    const QString unmapped = QStringLiteral(
        "Nie znaleziono w bazie pojazdu o nazwie XX 404. Proszę zmapować pojazd w polu OB_MAP1");
    const QString noDriver = QStringLiteral(
        "Nie znaleziono w bazie kierowcy dla pojazdu o nazwie WX 0001. Proszę dodać kierowce i pojazd do tego samego terytorium.");
    ASSERT_EQ(view.messages.size(), 2);
    EXPECT_EQ(view.messages[0].lines, QStringList{unmapped});
    EXPECT_EQ(view.messages[0].style, TLog::StyleError);
    EXPECT_EQ(view.messages[1].lines, QStringList{noDriver});
    store->ThreadFinished();
    ASSERT_EQ(view.messages.size(), 4);
    EXPECT_EQ(view.messages[2].lines, QStringList{QStringLiteral(" Nie zgłoszono 3 kolejnych wystąpień: ") + unmapped});
    EXPECT_EQ(view.messages[2].style, TLog::StyleWarning);
    EXPECT_EQ(view.messages[3].lines, QStringList{QStringLiteral(" Nie zgłoszono 3 kolejnych wystąpień: ") + noDriver});
    EXPECT_TRUE(Rows().isEmpty());
}

TEST_F(StoreTest, OneConnectionForAllStopsReopenedAfterAFailure)
{
    // The data source's folder is missing at first: opening fails, and works once it is there.
    const QString laterFile = odbc.AddSqliteDsn(QStringLiteral("LATER"), QStringLiteral("later/GIS.db"));
    const qsizetype before = QSqlDatabase::connectionNames().size();
    TDSLocateZapisPozycji late(log, QStringLiteral("LATER"));
    late.SetKonfig(&konfig);
    EXPECT_FALSE(late.ZapiszPozycje(Frame(QStringLiteral("WX 1234"), "2009-03-10 10:00:00", 0)));
    EXPECT_TRUE(view.AllText().contains(QStringLiteral(" Wystąpił błąd podczas podłączenia do bazy danych:")));
    // Every further stop within the minute is counted, not tried: one error, one mail.
    ASSERT_TRUE(QDir().mkpath(QFileInfo(laterFile).path()));
    ASSERT_TRUE(QFile::copy(gisFile, laterFile));
    for (char day = '1'; day <= '9'; ++day)
        EXPECT_FALSE(late.ZapiszPozycje(
            Frame(QStringLiteral("WX 1234"), QByteArray("2009-03-0").append(day).append(" 10:00:00").constData(), 0)));
    EXPECT_EQ(view.AllText().count(QStringLiteral(" Wystąpił błąd podczas podłączenia do bazy danych:")), 1);

    clock->AddSecs(60);
    EXPECT_TRUE(late.ZapiszPozycje(Frame(QStringLiteral("WX 1234"), "2009-03-11 10:00:00", 0)));
    EXPECT_TRUE(late.ZapiszPozycje(Frame(QStringLiteral("WX 1234"), "2009-03-12 10:00:00", 0)));
    EXPECT_EQ(OdbcEnvironment::QuerySqlite(laterFile, QStringLiteral("SELECT count(*) FROM TRASA_GPS;")),
              QStringList{QStringLiteral("2")});
    EXPECT_EQ(QSqlDatabase::connectionNames().size(), before + 1);
    late.ThreadFinished();
    EXPECT_EQ(QSqlDatabase::connectionNames().size(), before);
    EXPECT_TRUE(view.AllText().contains(
        QStringLiteral(" Nie zgłoszono 9 kolejnych wystąpień: baza danych GIS nieosiągalna, postój nie został zapisany")))
        << view.AllText().toStdString();
}

TEST_F(StoreTest, DatabaseErrorsReachTheDecoder)
{
    OdbcEnvironment::ExecSqlite(
        gisFile,
        QStringLiteral("CREATE TRIGGER no_sunday BEFORE INSERT ON TRASA_GPS WHEN NEW.TGP_DATACZAS LIKE '2009-03-15%' "
                       "BEGIN SELECT RAISE(ABORT, 'niedziela zamknięta'); END;"));
    auto decoder = Decoder();
    gps::Frame sunday;
    sunday.time = 1237107600; // 2009-03-15 09:00 UTC
    gps::Frame monday = sunday;
    monday.time += 86400;
    decoder->Decode(gps::Archive(5, QStringLiteral("12"), {sunday, monday}));
    ASSERT_EQ(statuses.size(), 2);
    EXPECT_TRUE(statuses[0].startsWith(QStringLiteral("Error "))) << statuses[0].toStdString();
    EXPECT_TRUE(statuses[0].contains(QStringLiteral("niedziela zamknięta")));
    EXPECT_EQ(Rows().join(QLatin1Char(';')).toStdString(), "10|20|2009-03-16 10:00:00|502|0|1200|720");
}

TEST_F(StoreTest, DecoderThreadStoresOnAConnectionOfItsOwn)
{
    const qsizetype before = QSqlDatabase::connectionNames().size();
    RecordedByteSource source;
    auto decoder = Decoder();
    decoder->SetSource(&source);
    decoder->SetGatherPause(std::chrono::milliseconds(0));
    gps::Frame off;
    off.time = 1236675600; // 2009-03-10 09:00 UTC, 10:00 local
    gps::Frame on = off;
    on.engine = true;
    on.time += 45 * 60;
    source.Push(gps::Archive(5, QStringLiteral("12"), {off, on}));
    decoder->Resume();
    for (int i = 0; i < 1000 && Statuses().isEmpty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    decoder->Stop();
    decoder->WaitFor();
    EXPECT_EQ(statuses, QStringList{QStringLiteral("PobranoZakończono pobieranie danych wiadomości nr: 5 dla pojazdu: 12")});
    EXPECT_EQ(Minutes(), QStringList{QStringLiteral("45")});
    // Closed on the thread that opened it, when the loop ended.
    EXPECT_EQ(QSqlDatabase::connectionNames().size(), before);
}

TEST(GpsSqlTexts, ServerStatementsAsSentWithTheInstantBound)
{
    EXPECT_EQ(GpsSql::FindPojazd().sqlServer, QStringLiteral("Select OB_ID from dbo.OBIEKT where OB_MAP1 =:NumerRejestracyjny"));
    EXPECT_TRUE(GpsSql::FindKierowca().sqlServer.startsWith(
        QStringLiteral("Select Kierowca.OBR_ID_OB2 as KierowcaId \n\r from dbo.OBIEKT_RELACJA Pojazd \n\r      inner join")));
    EXPECT_TRUE(GpsSql::FindKierowca().sqlServer.endsWith(
        QStringLiteral("Pojazd.OBR_ID_SLO_TYP = 212 and \n\r       Pojazd.OBR_ID_SLO_ZRODLO = 802")));
    EXPECT_EQ(GpsSql::FindPostoj().sqlServer,
              QStringLiteral("Select * from dbo.TRASA_GPS where TGP_ID_OB1 =:PojazdId and TGP_DATACZAS =:DataCzas"));
    // The registration number is bound, not pasted into the text.
    EXPECT_EQ(
        GpsSql::OstatniPostoj().sqlServer,
        QStringLiteral("select DataCzas = Max(TGP_DATACZAS) from dbo.TRASA_GPS inner join  dbo.OBIEKT on OB_ID = TGP_ID_OB1 "
                       "where OB_ID_SLO_TYP = 106 and OB_MAP1 = :NumerRejestracyjny"));
}
