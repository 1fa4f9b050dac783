// The GPS queue end to end against the simulator over TLS on loopback: the requests built on
// a fixed clock, the stops stored, the waits, and every way the server or the GIS can fail.
#include "support/GpsFeed.h"

#include "app/Log.h"
#include "app/Process.h"
#include "gps/DaneGPSPlan.h"

#include <gtest/gtest.h>

using namespace pelk;
using namespace pelk::test;

namespace {

struct PlanCase
{
    const char *name;
    const char *start, *now;
    int windowStart, windowEnd; // hours
    std::vector<std::pair<const char *, const char *>> spans;
};

std::string Spans(const std::vector<RZakres> &zakresy)
{
    std::string out;
    for (const RZakres &z : zakresy)
        out += (DateTimeToText(z.Od) + QStringLiteral(" - ") + DateTimeToText(z.Do) + QStringLiteral("; ")).toStdString();
    return out;
}

} // namespace

TEST(GpsPlan, DailySpansFromTheStartInstant)
{
    const PlanCase cases[] = {
        {"initial date two days ago at 08:00, run at 14:30",
         "2026-03-12 08:00:00",
         "2026-03-14 14:30:00",
         6,
         22,
         {{"2026-03-12 08:00:00", "2026-03-12 22:00:00"},
          {"2026-03-13 06:00:00", "2026-03-13 22:00:00"},
          {"2026-03-14 06:00:00", "2026-03-14 14:30:00"}}},
        {"last stop yesterday 23:30: yesterday has nothing left",
         "2026-03-13 23:30:00",
         "2026-03-14 14:30:00",
         6,
         22,
         {{"2026-03-14 06:00:00", "2026-03-14 14:30:00"}}},
        {"run at 23:00 ends today at the window's end",
         "2026-03-14 00:00:00",
         "2026-03-14 23:00:00",
         6,
         22,
         {{"2026-03-14 06:00:00", "2026-03-14 22:00:00"}}},
        {"a start in the future still gives its own day",
         "2026-03-16 09:00:00",
         "2026-03-14 14:30:00",
         6,
         22,
         {{"2026-03-16 09:00:00", "2026-03-16 14:30:00"}}},
        {"a start exactly at the window's end gives nothing that day",
         "2026-03-13 22:00:00",
         "2026-03-14 10:00:00",
         6,
         22,
         {{"2026-03-14 06:00:00", "2026-03-14 10:00:00"}}},
        {"a start before the window starts at the window",
         "2026-03-14 05:10:00",
         "2026-03-14 07:00:00",
         6,
         22,
         {{"2026-03-14 06:00:00", "2026-03-14 07:00:00"}}},
        {"a run before today's window opens asks nothing for today",
         "2026-03-13 10:00:00",
         "2026-03-14 05:00:00",
         6,
         22,
         {{"2026-03-13 10:00:00", "2026-03-13 22:00:00"}}},
        {"a run as today's window opens asks nothing for today", "2026-03-14 00:00:00", "2026-03-14 06:00:00", 6, 22, {}},
    };
    for (const PlanCase &c : cases) {
        std::vector<RZakres> expected;
        for (const auto &[from, to] : c.spans)
            expected.push_back({Local(from), Local(to)});
        EXPECT_EQ(Spans(ZakresyDoPobrania(Local(c.start), Local(c.now), EncodeTime(c.windowStart, 0, 0, 0),
                                          EncodeTime(c.windowEnd, 0, 0, 0))),
                  Spans(expected))
            << c.name;
    }
}

TEST(GpsPlan, RegistrationNumbersAreSplitUntrimmed)
{
    struct Case
    {
        const char *pojazdy;
        QStringList numbers;
    };
    const Case cases[] = {
        {"WX 1234A;KR 5678B", {QStringLiteral("WX 1234A"), QStringLiteral("KR 5678B")}},
        {"WX 1234A; KR 5678B", {QStringLiteral("WX 1234A"), QStringLiteral(" KR 5678B")}},
        {"A\r\nB\rC\nD;E\r\n",
         {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D"), QStringLiteral("E")}},
        {"A;;B;", {QStringLiteral("A"), QStringLiteral("B")}},
        {"", {}},
        {";\r\n", {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(NumeryRejestracyjne(QString::fromLatin1(c.pojazdy)), c.numbers) << c.pojazdy;
}

class GpsQueue : public GpsFeed
{};

TEST_F(GpsQueue, StopsOfEveryVehicleLandInTrasaGpsAndTheNextRunGoesOnFromTheLastStop)
{
    StartSimulator();
    Konfig().Harmonogram()->InicjalnaData = Local("2026-03-12 08:00:00");
    RunExchange();
    EXPECT_EQ(
        ArchiveRequests(),
        QStringList(
            {QStringLiteral("101 2026-03-12 08:00 2026-03-12 22:00"), QStringLiteral("101 2026-03-13 06:00 2026-03-13 22:00"),
             QStringLiteral("101 2026-03-14 06:00 2026-03-14 14:30"), QStringLiteral("102 2026-03-12 08:00 2026-03-12 22:00"),
             QStringLiteral("102 2026-03-13 06:00 2026-03-13 22:00"), QStringLiteral("102 2026-03-14 06:00 2026-03-14 14:30"),
             QStringLiteral("103 2026-03-12 08:00 2026-03-12 22:00"), QStringLiteral("103 2026-03-13 06:00 2026-03-13 22:00"),
             QStringLiteral("103 2026-03-14 06:00 2026-03-14 14:30")}));
    EXPECT_EQ(Summary(), Counts(9, 9)) << Pane().toStdString();
    EXPECT_EQ(Dm().Process()->RunExitCode(), ExitCode::Complete);
    const QStringList stops = Stops();
    for (const char *vehicle : {"WX 1234A", "KR 5678B", "GD 9012C"})
        EXPECT_GE(stops.filter(QLatin1String(vehicle)).size(), 20) << vehicle;
    EXPECT_TRUE(Pane().contains(
        QStringLiteral(" Przetworzono dane GPS dla pojazdu WX 1234A od 2026-03-12 08:00:00 do 2026-03-12 22:00:00 .")));
}

TEST_F(GpsQueue, TheLastStoredStopIsTheNextStart)
{
    StartSimulator();
    Konfig().Pojazdy = QStringLiteral("WX 1234A\r\nKR 5678B");
    // WX 1234A stood last yesterday at 23:30, after the window; KR 5678B has no stop stored.
    OdbcEnvironment::ExecSqlite(inst.gisFile,
                                QStringLiteral("INSERT INTO TRASA_GPS (TGP_ID_OB1, TGP_DATACZAS, TGP_ID_SLO_STATUS) "
                                               "VALUES (10, '2026-03-13 23:30:00', 502), (10, '2026-03-10 09:00:00', 502);"));
    RunExchange();
    EXPECT_EQ(ArchiveRequests(),
              QStringList({QStringLiteral("101 2026-03-14 06:00 2026-03-14 14:30"),
                           QStringLiteral("102 2026-03-14 06:00 2026-03-14 14:30")}));
    EXPECT_EQ(Summary(), Counts(2, 2));
}

TEST_F(GpsQueue, AStraySpaceAfterTheSeparatorNamesAVehicleTheServerDoesNotList)
{
    StartSimulator();
    Konfig().Pojazdy = QStringLiteral("WX 1234A; KR 5678B;XX 0000");
    RunExchange();
    EXPECT_TRUE(Pane().contains(QStringLiteral(" Brak w systemie DSLocate aktywnego pojazdu o numerach  KR 5678B\n")));
    EXPECT_TRUE(Pane().contains(QStringLiteral(" Brak w systemie DSLocate aktywnego pojazdu o numerach XX 0000\n")));
    EXPECT_EQ(ArchiveRequests(), QStringList{QStringLiteral("101 2026-03-14 06:00 2026-03-14 14:30")});
    EXPECT_EQ(Summary(), Counts(1, 1));
    EXPECT_FALSE(Stops().isEmpty());
    EXPECT_TRUE(Stops().filter(QStringLiteral("KR 5678B")).isEmpty());
}

TEST_F(GpsQueue, EmptyArchivesAndMissingArchivesAreAnsweredRequests)
{
    options.vehicles = sim::GpsSimulator::DefaultVehicles();
    options.vehicles[1].archive = sim::RVehicle::Archive::Empty;
    options.vehicles[2].archive = sim::RVehicle::Archive::NoArchive;
    StartSimulator();
    RunExchange();
    EXPECT_EQ(Summary(), Counts(3, 3)) << Pane().toStdString();
    EXPECT_TRUE(Pane().contains(QStringLiteral("Brak danych pojazdu 103 w podanym okresie.")));
    EXPECT_TRUE(Stops().filter(QStringLiteral("KR 5678B")).isEmpty());
    EXPECT_FALSE(Stops().filter(QStringLiteral("WX 1234A")).isEmpty());
}

TEST_F(GpsQueue, NoRegistrationNumbersNoConnection)
{
    StartSimulator();
    Konfig().Pojazdy = QStringLiteral(";\r\n");
    RunExchange();
    EXPECT_TRUE(Pane().contains(
        QStringLiteral(" Brak lub błędnie zdefiniowano listę numerów rejestacyjnych samochodów w pliku konfiguracyjnym.")));
    EXPECT_EQ(simulator->Connections(), 0);
    EXPECT_EQ(Summary(), Counts(0, 0));
}

TEST_F(GpsQueue, AWrongPasswordIsRefusedAndNothingIsRequested)
{
    options.password = QStringLiteral("inne hasło");
    StartSimulator();
    RunExchange();
    EXPECT_TRUE(Pane().contains(QStringLiteral("\nNieprawidłowa nazwa użytkownika lub hasło.\n"))) << Pane().toStdString();
    EXPECT_TRUE(Pane().contains(
        QStringLiteral(" Serwer 127.0.0.1 zamknął połączenie przed przesłaniem listy pojazdów; dane GPS nie zostały pobrane.")));
    EXPECT_FALSE(Pane().contains(QStringLiteral("Brak w systemie DSLocate")));
    EXPECT_TRUE(ArchiveRequests().isEmpty());
    EXPECT_EQ(Summary(), Counts(0, 0));
    EXPECT_EQ(Dm().Process()->RunExitCode(), ExitCode::Unfinished); // nothing asked: all left for the next run
}

TEST_F(GpsQueue, AConnectionDroppedDuringTheArchivesCountsTheRestAsNotFetched)
{
    options.dropAfter = 3; // login, vehicle list and one archive; the second archive breaks off
    StartSimulator();
    RunExchange();
    EXPECT_TRUE(Pane().contains(
        QStringLiteral(" Utracono połączenie z serwerem: 127.0.0.1; brak odpowiedzi na 2 z 3 zapytań o dane GPS.")))
        << Pane().toStdString();
    EXPECT_TRUE(Pane().contains(
        QStringLiteral(" Nie pobrano danych GPS dla pojazdu KR 5678B od 2026-03-14 06:00:00 do 2026-03-14 14:30:00 .")));
    EXPECT_EQ(Summary(), Counts(3, 1));
    EXPECT_EQ(Dm().Process()->RunExitCode(), ExitCode::Unfinished);
    EXPECT_FALSE(Stops().filter(QStringLiteral("WX 1234A")).isEmpty());
    // The next run asks again from the last stop stored.
    const QStringList before = Stops();
    simulator.reset();
    options.dropAfter = -1;
    StartSimulator();
    Konfig().SerwerDSLocate()->Port = simulator->Port();
    RunExchange();
    EXPECT_EQ(Summary(), Counts(3, 3));
    EXPECT_GT(Stops().size(), before.size());
}

TEST_F(GpsQueue, ASilentServerEndsTheRunAfterTheReplyLimit)
{
    struct Case
    {
        const char *name;
        int answerLimit;
        const char *summary;
    };
    const Case cases[] = {{"never answers the login", 0, ""}, {"stops answering after one archive", 3, "3|1"}};
    for (const Case &c : cases) {
        options.answerLimit = c.answerLimit;
        StartSimulator();
        Objects(QStringLiteral("esSysXtoSysY"));
        Konfig().SerwerDSLocate()->LimitCzasuOdpowiedzi = 1;
        RunExchange();
        EXPECT_TRUE(Pane().contains(
            QStringLiteral(" Serwer 127.0.0.1 nie odpowiada od 1 s (LimitCzasuOdpowiedzi); przerwano oczekiwanie na dane GPS.")))
            << c.name;
        if (*c.summary) {
            const QStringList counts = QString::fromLatin1(c.summary).split(QLatin1Char('|'));
            EXPECT_EQ(Summary(), Counts(counts[0].toInt(), counts[1].toInt())) << c.name;
        }
    }
}

TEST_F(GpsQueue, ConnectionFailuresAreLoggedWithTheirCause)
{
    struct Case
    {
        const char *name;
        void (*set)(sim::ROptions &);
        const char *cause;
    };
    const Case cases[] = {
        {"no TLS handshake in time", [](sim::ROptions &o) { o.stallHandshake = true; },
         "przekroczono czas uzgadniania połączenia TLS (1 s)"},
        {"a plain-text greeting", [](sim::ROptions &o) { o.plainGreeting = true; }, "uzgadnianie TLS nie powiodło się: "},
    };
    for (const Case &c : cases) {
        options = sim::ROptions();
        c.set(options);
        StartSimulator();
        Objects(QStringLiteral("esSysXtoSysY"));
        Konfig().SerwerDSLocate()->LimitCzasuPolaczenia = 1;
        RunExchange();
        EXPECT_TRUE(Pane().contains(QStringLiteral("Nie można nawiązać połączenie z serwerem: 127.0.0.1\n      ")
                                    + QString::fromUtf8(c.cause)))
            << c.name << "\n"
            << Pane().toStdString();
        EXPECT_TRUE(Pane().contains(QStringLiteral("\n Nie można nawiązać połączenie z serwerem: 127.0.0.1\n"))) << c.name;
    }
}

TEST_F(GpsQueue, GarbageBeforeTheGreetingDoesNotStopTheRun)
{
    options.garbage = sim::ROptions::Garbage::BeforeGreeting;
    StartSimulator();
    RunExchange();
    EXPECT_EQ(Summary(), Counts(3, 3)) << Pane().toStdString();
    EXPECT_EQ(Stops().filter(QStringLiteral("GD 9012C")).size() > 0, true);
}

TEST_F(GpsQueue, GarbageInsteadOfAnswersEndsAtTheReplyLimit)
{
    options.garbage = sim::ROptions::Garbage::Only;
    StartSimulator();
    Dm();
    Konfig().SerwerDSLocate()->LimitCzasuOdpowiedzi = 1;
    RunExchange();
    EXPECT_TRUE(Pane().contains(QStringLiteral(" nie odpowiada od 1 s"))) << Pane().toStdString();
    EXPECT_TRUE(Stops().isEmpty());
}

TEST_F(GpsQueue, OutputSplitInsideElementsAndLettersStoresTheSameStops)
{
    StartSimulator();
    RunExchange();
    const QStringList whole = Stops();
    ASSERT_FALSE(whole.isEmpty()) << Pane().toStdString();
    for (auto split : {sim::ROptions::Split::InsideElement, sim::ROptions::Split::InsideLetter}) {
        OdbcEnvironment::ExecSqlite(inst.gisFile, QStringLiteral("DELETE FROM TRASA_GPS;"));
        options.split = split;
        StartSimulator();
        Objects(QStringLiteral("esSysXtoSysY"));
        RunExchange();
        EXPECT_EQ(Stops(), whole) << int(split);
        // The received text at level 3, a letter cut between two chunks included.
        EXPECT_TRUE(Pane().contains(QStringLiteral("driver=\"Łukasz Żółć\""))) << int(split);
        EXPECT_FALSE(Pane().contains(QChar(QChar::ReplacementCharacter))) << int(split);
    }
}

TEST_F(GpsQueue, StopDuringTheWaitEndsAfterThePauseWithTheAnswersSoFar)
{
    options.answerDelayMs = 300;
    StartSimulator();
    Konfig().Harmonogram()->InicjalnaData = Local("2026-03-12 08:00:00");
    pane.onMessage = [this](const QStringList &lines) {
        if (lines.value(0).startsWith(QLatin1String(" Przetworzono dane GPS dla pojazdu")))
            dm->Process()->SetEscProcess(true);
    };
    RunExchange();
    const QString pane = Pane();
    const qsizetype done = pane.count(QStringLiteral(" Przetworzono dane GPS dla pojazdu"));
    EXPECT_GE(done, 1);
    EXPECT_LT(done, 9);
    EXPECT_EQ(Summary(), Counts(9, int(done)));
    EXPECT_FALSE(pane.contains(QStringLiteral(" Nie pobrano danych GPS")));
}

TEST_F(GpsQueue, AGisThatCannotBeReachedEndsTheBuildingWithItsCause)
{
    StartSimulator();
    Dm();
    // The data source now names a folder that does not exist.
    inst.odbc.AddSqliteDsn(QStringLiteral("GIS"), QStringLiteral("missing/GIS.db"));
    RunExchange();
    EXPECT_TRUE(Pane().contains(QStringLiteral(" Wyjątek funkcji TX2Y_DaneGPSListQueue.BudujZapytania\n")))
        << Pane().toStdString();
    EXPECT_TRUE(ArchiveRequests().isEmpty());
    EXPECT_EQ(Summary(), Counts(0, 0));
}

TEST_F(GpsQueue, TheFilePipelineAndTheOppositeDirectionAreNotImplemented)
{
    TX2Y_DaneGPSListQueue x2y(Dm());
    RObiekt element;
    EXPECT_FALSE(x2y.PrepareList());
    EXPECT_FALSE(x2y.FindFileObject(element));
    EXPECT_FALSE(x2y.SerializeObject(element));
    EXPECT_FALSE(x2y.DeSerializeObject(element));
    for (const char *op : {"PrepareList", "FindFileObject", "SerializeObject", "DeSerializeObject"})
        EXPECT_TRUE(Pane().contains(
            QStringLiteral(" Funkcja TX2Y_DaneGPSListQueue.%1 nie jest zaimplementowana\n").arg(QLatin1String(op))))
            << op;
    Objects(QStringLiteral("esSysYtoSysX"));
    RunExchange();
    EXPECT_TRUE(Pane().contains(QStringLiteral(" Funkcja TY2X_DaneGPSListQueue.PrepareList nie jest zaimplementowana\n")));
    EXPECT_TRUE(Pane().contains(QStringLiteral(" Przetworzono obiekt: DaneGPS transfer z systemu Pelk·GIS Trasar\n")));
}

TEST_F(GpsQueue, TheCertificateIsCheckedAgainstACaFileBesideTheProgramOrAWarningIsLoggedOnce)
{
    StartSimulator();
    RunExchange();
    EXPECT_EQ(Pane().count(QStringLiteral(" Certyfikat serwera DSLocate nie jest sprawdzany")), 1);

    WriteFileText(inst.Path(QStringLiteral("dslocate.pem")), QString::fromLatin1(simulator->CertificatePem()));
    Konfig().SerwerDSLocate()->SprawdzajCertyfikat = true;
    Konfig().SerwerDSLocate()->PlikCertyfikatowCA = QStringLiteral("dslocate.pem");
    RunExchange();
    EXPECT_FALSE(Pane().contains(QStringLiteral("Certyfikat serwera DSLocate nie jest sprawdzany")));
    EXPECT_EQ(Summary(), Counts(3, 3)) << Pane().toStdString();
}

TEST_F(GpsQueue, ARegistrationNumberWithAQuoteFindsItsLastStop)
{
    options.vehicles = {{QStringLiteral("301"), QStringLiteral("WX 'O1")}};
    StartSimulator();
    OdbcEnvironment::ExecSqlite(inst.gisFile,
                                QStringLiteral("UPDATE OBIEKT SET OB_MAP1 = 'WX ''O1' WHERE OB_ID = 10;"
                                               "INSERT INTO TRASA_GPS (TGP_ID_OB1, TGP_DATACZAS, TGP_ID_SLO_STATUS) "
                                               "VALUES (10, '2026-03-14 09:15:00', 502);"));
    Konfig().Pojazdy = QStringLiteral("WX 'O1");
    RunExchange();
    EXPECT_EQ(ArchiveRequests(), QStringList{QStringLiteral("301 2026-03-14 09:15 2026-03-14 14:30")}) << Pane().toStdString();
    EXPECT_EQ(Summary(), Counts(1, 1));
}

TEST_F(GpsQueue, LiveUpdatesDoNotHoldARunWhoseRequestsGoUnanswered)
{
    // The list is answered, the archives never; live updates come every 20 ms meanwhile.
    options.answerLimit = 2;
    options.liveIntervalMs = 20;
    StartSimulator();
    Dm();
    Konfig().SerwerDSLocate()->LimitCzasuOdpowiedzi = 1;
    // A run that waited for them for good would be stopped here, after many chunks read.
    int chunks = 0;
    pane.onMessage = [&](const QStringList &lines) {
        if (lines.value(0).startsWith(QLatin1String(" Odczytano: ")) && ++chunks == 60)
            dm->Process()->SetEscProcess(true);
    };
    RunExchange();
    pane.onMessage = nullptr;
    EXPECT_TRUE(Pane().contains(
        QStringLiteral(" Serwer 127.0.0.1 nie odpowiada od 1 s (LimitCzasuOdpowiedzi); przerwano oczekiwanie na dane GPS.")))
        << chunks << " chunks read";
    EXPECT_EQ(Summary(), Counts(3, 0));
    EXPECT_TRUE(Pane().contains(
        QStringLiteral(" Nie pobrano danych GPS dla pojazdu GD 9012C od 2026-03-14 06:00:00 do 2026-03-14 14:30:00 .")));
}

TEST_F(GpsQueue, ErrorRepliesAnswerTheirOwnRequestsAndNameTheirOwnVehicles)
{
    using A = sim::RVehicle::Archive;
    auto refused = [](const char *id, const char *name, const char *error) {
        sim::RVehicle v{QString::fromLatin1(id), QString::fromLatin1(name)};
        v.archive = A::Error;
        v.error = QString::fromLatin1(error);
        return v;
    };
    options.vehicles = {{QStringLiteral("101"), QStringLiteral("WX 1234A")}, refused("102", "KR 5678B", "INVALID_TIME_SPAN"),
                        {QStringLiteral("103"), QStringLiteral("GD 9012C")}, refused("104", "PO 4", "NO_SUCH_VEHICLE"),
                        refused("105", "PO 5", "PERMISSION_DENIED"),         refused("106", "PO 6", "SERVICE_UNAVAILABLE")};
    StartSimulator();
    Konfig().Pojazdy = QStringLiteral("WX 1234A;KR 5678B;GD 9012C;PO 4;PO 5;PO 6");
    RunExchange();
    const QString pane = Pane();
    EXPECT_FALSE(pane.contains(QStringLiteral("nie odpowiada"))) << pane.toStdString();
    EXPECT_EQ(Summary(), Counts(6, 2));
    const QString span = QStringLiteral(" od 2026-03-14 06:00:00 do 2026-03-14 14:30:00 .");
    for (const char *fetched : {"WX 1234A", "GD 9012C"})
        EXPECT_TRUE(pane.contains(QStringLiteral(" Przetworzono dane GPS dla pojazdu ") + QLatin1String(fetched) + span))
            << fetched;
    for (const char *refusedName : {"KR 5678B", "PO 4", "PO 5", "PO 6"})
        EXPECT_TRUE(pane.contains(QStringLiteral(" Nie pobrano danych GPS dla pojazdu ") + QLatin1String(refusedName) + span))
            << refusedName;
    EXPECT_FALSE(Stops().filter(QStringLiteral("GD 9012C")).isEmpty());
}

TEST_F(GpsQueue, ARunBeforeTheWindowOpensAsksNothingForToday)
{
    clock->Set(QDateTime(QDate(2026, 3, 14), QTime(5, 0)));
    StartSimulator();
    Konfig().Pojazdy = QStringLiteral("WX 1234A");
    OdbcEnvironment::ExecSqlite(inst.gisFile,
                                QStringLiteral("INSERT INTO TRASA_GPS (TGP_ID_OB1, TGP_DATACZAS, TGP_ID_SLO_STATUS) "
                                               "VALUES (10, '2026-03-13 10:00:00', 502);"));
    RunExchange();
    EXPECT_EQ(ArchiveRequests(), QStringList{QStringLiteral("101 2026-03-13 10:00 2026-03-13 22:00")});
    EXPECT_EQ(Summary(), Counts(1, 1)) << Pane().toStdString();
}

TEST_F(GpsQueue, VehicleIdsWithASlashKeepTheirFramesAndEveryArchiveIsWaitedFor)
{
    options.vehicles = {{QStringLiteral("AB/1"), QStringLiteral("WX 1234A")},
                        {QStringLiteral("CD/2"), QStringLiteral("KR 5678B")}};
    StartSimulator();
    Konfig().Pojazdy = QStringLiteral("WX 1234A;KR 5678B");
    RunExchange();
    EXPECT_EQ(Summary(), Counts(2, 2)) << Pane().toStdString();
    for (const char *vehicle : {"WX 1234A", "KR 5678B"})
        EXPECT_FALSE(Stops().filter(QLatin1String(vehicle)).isEmpty()) << vehicle;
    EXPECT_FALSE(Pane().contains(QStringLiteral("spoza listy pojazdów")));
}

TEST_F(GpsQueue, AMessageThatNeverClosesHoldsBackTheAnswersBehindItOnlyForAWhile)
{
    options.unclosedMessage = true;
    StartSimulator();
    Dm();
    // An element waits at most half the reply limit: 2 s here.
    Konfig().SerwerDSLocate()->LimitCzasuOdpowiedzi = 4;
    RunExchange();
    EXPECT_EQ(Summary(), Counts(3, 3)) << Pane().toStdString();
    EXPECT_TRUE(Pane().contains(QStringLiteral(" Pominięto element <message bez zakończenia \"</message>\" po ")));
    EXPECT_FALSE(Stops().filter(QStringLiteral("GD 9012C")).isEmpty());
}

TEST_F(GpsQueue, AVehicleTheGisDoesNotKnowIsLoggedOnceWithACountAtTheEnd)
{
    options.vehicles = sim::GpsSimulator::DefaultVehicles();
    options.vehicles << sim::RVehicle{QStringLiteral("104"), QStringLiteral("PO 404")};
    StartSimulator();
    Konfig().Pojazdy = QStringLiteral("WX 1234A;PO 404");
    Konfig().Harmonogram()->InicjalnaData = Local("2026-03-12 08:00:00");
    RunExchange();
    EXPECT_EQ(Summary(), Counts(6, 6));
    const QString unmapped = QStringLiteral(
        "Nie znaleziono w bazie pojazdu o nazwie PO 404. Proszę zmapować pojazd w polu OB_MAP1");
    // One error (one mail) for the vehicle, and how many more stops it had.
    const auto errors = std::count_if(pane.messages.cbegin(), pane.messages.cend(), [&](const RecordingLogView::Message &m) {
        return m.style == TLog::StyleError && m.lines.contains(unmapped);
    });
    EXPECT_EQ(errors, 1) << Pane().toStdString();
    static const QRegularExpression repeats(QStringLiteral(" Nie zgłoszono (\\d+) kolejnych wystąpień: ") + unmapped);
    const QRegularExpressionMatch m = repeats.match(Pane());
    ASSERT_TRUE(m.hasMatch());
    EXPECT_GE(m.captured(1).toInt(), 10);
    EXPECT_FALSE(Stops().filter(QStringLiteral("WX 1234A")).isEmpty());
}

TEST_F(GpsQueue, ADryRunFetchesAndDecodesEveryArchiveAndStoresNoStop)
{
    StartSimulator();
    Dm().SetDryRun(true);
    RunExchange();
    EXPECT_EQ(ArchiveRequests().size(), 3);
    EXPECT_EQ(Summary(), Counts(3, 3)) << Pane().toStdString();
    EXPECT_TRUE(Stops().isEmpty());
    // The settings say to store, as before the run: a real run after it does.
    EXPECT_TRUE(Konfig().Harmonogram()->ZapiszDaneDoBazyDanych);
    Dm().SetDryRun(false);
    RunExchange();
    EXPECT_FALSE(Stops().isEmpty());
}
