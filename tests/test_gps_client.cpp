// The GPS server client against the simulator over TLS on loopback: the conversation, the
// login as logged, the level filter and the outstanding count, TLS versions and certificate
// checks, and the connection's failures.
#include "support/GpsFeed.h"
#include "support/TestAuthority.h"

#include "GpsSimulator.h"
#include "SimulatorProcess.h"
#include "app/DSLocateKonfig.h"
#include "app/Log.h"
#include "config/Password.h"
#include "gps/DSLocateClient.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QTemporaryDir>
#include <QThread>
#include <future>
#include <gtest/gtest.h>

using namespace pelk;
using namespace pelk::test;

namespace {

class GpsClient : public ::testing::Test
{
protected:
    GpsClient() : key("klucz-klienta"), client(log, QStringLiteral("GIS"))
    {
        EnsureApplication();
        options.user = QStringLiteral("jan");
        options.password = QStringLiteral("tajne hasło");
        TDSLKonfiguracjaSerwera &s = *konfig.SerwerDSLocate();
        s.Host = QStringLiteral("127.0.0.1");
        s.SetLogin(Enciphered(QStringLiteral("jan")));
        s.SetHaslo(Enciphered(QStringLiteral("tajne hasło")));
        s.LimitCzasuPolaczenia = 2;
        client.SetKonfig(&konfig);
        client.OnMessage = [this](const QString &text) {
            QMutexLocker lock(&mutex);
            messages << text;
        };
        client.OnState = [this](int state, const QString &text) {
            QMutexLocker lock(&mutex);
            states << QStringLiteral("%1 %2").arg(state).arg(text);
        };
    }

    static QString Enciphered(const QString &plain)
    {
        QString cipher;
        EXPECT_TRUE(TryEncryptPassword(plain, cipher));
        return cipher;
    }
    void StartSimulator()
    {
        simulator = std::make_unique<sim::GpsSimulator>(options);
        konfig.SerwerDSLocate()->Port = simulator->Start();
    }
    // Waits (at most 5 s) until every request has been answered.
    bool AllAnswered()
    {
        QElapsedTimer waited;
        waited.start();
        while (client.Outstanding() > 0 && waited.elapsed() < 5000)
            QThread::msleep(10);
        return client.Outstanding() == 0;
    }
    QStringList Messages()
    {
        QMutexLocker lock(&mutex);
        return messages;
    }
    QStringList States()
    {
        QMutexLocker lock(&mutex);
        return states;
    }
    QString AllMessages() { return Messages().join(QLatin1Char('\n')); }

    ScopedKeyFile key;
    TLog log;
    TDSLocateKonfig konfig;
    sim::ROptions options;
    std::unique_ptr<sim::GpsSimulator> simulator;
    QMutex mutex;
    QStringList messages, states;
    TDSLocateClient client; // last: its disconnect still reports
};

const QString kLoginAsLogged = QStringLiteral(
    " Wysłano: <login opid=\"1\"  user=\"jan\" password=\"********************************\" protocol=\"2\" />");

} // namespace

TEST_F(GpsClient, LoginThenTheVehicleRequestThenArchivesAndTheCountFollowsTheAnswers)
{
    options.vehicles = sim::GpsSimulator::DefaultVehicles();
    options.vehicles[1].archive = sim::RVehicle::Archive::Empty;
    options.vehicles[2].archive = sim::RVehicle::Archive::NoArchive;
    StartSimulator();
    ASSERT_TRUE(client.Connect()) << AllMessages().toStdString();
    ASSERT_TRUE(AllAnswered());
    const QString hash = TDSLocateMsg::PasswordHash(QStringLiteral("tajne hasło"));
    EXPECT_EQ(simulator->Received(),
              QStringList({QStringLiteral("<login opid=\"1\"  user=\"jan\" password=\"%1\" protocol=\"2\" />").arg(hash),
                           QStringLiteral("<requestvehicles opid=\"3\"  />")}));
    ASSERT_EQ(client.Pojazdy().LockedCount(), 3);
    EXPECT_EQ(client.Pojazdy().CopyByNazwa(QStringLiteral("KR 5678B"))->NrPojazdu, QStringLiteral("102"));
    EXPECT_EQ(States(), QStringList({QStringLiteral("1 Połączony."), QStringLiteral("2 Zalogowany.")}));

    // A track, an empty archive and a missing one: each answer takes one away.
    for (const char *vehicle : {"101", "102", "103"})
        client.RequestArchive(QString::fromLatin1(vehicle), Local("2026-03-10 08:00:00"), Local("2026-03-10 09:00:00"));
    EXPECT_GE(client.Outstanding(), 1);
    ASSERT_TRUE(AllAnswered());
    EXPECT_EQ(client.Answers(), 4);
    EXPECT_TRUE(AllMessages().contains(QStringLiteral("Zakończono pobieranie danych wiadomości nr: 7 dla pojazdu: 102")));
    EXPECT_TRUE(AllMessages().contains(QStringLiteral("Brak danych pojazdu 103 w podanym okresie.")));
    EXPECT_TRUE(simulator->Received().last().startsWith(QStringLiteral("<requestarchive opid=\"9\"  vehicle=\"103\" from=\"")));

    client.Disconnect();
    EXPECT_EQ(client.Pojazdy().LockedCount(), 0);
    EXPECT_EQ(client.Outstanding(), 0);
    EXPECT_EQ(States().last(), QStringLiteral("3 Rozłączony."));
    // A new connection numbers its requests from 1 again.
    ASSERT_TRUE(client.Connect());
    ASSERT_TRUE(AllAnswered());
    EXPECT_TRUE(simulator->Received().at(simulator->Received().size() - 2).startsWith(QStringLiteral("<login opid=\"1\" ")));
    EXPECT_EQ(simulator->Connections(), 2);
}

TEST_F(GpsClient, TheLoginIsLoggedWithThePasswordHashMasked)
{
    StartSimulator();
    ASSERT_TRUE(client.Connect());
    ASSERT_TRUE(AllAnswered());
    EXPECT_TRUE(Messages().contains(kLoginAsLogged)) << AllMessages().toStdString();
    EXPECT_FALSE(AllMessages().contains(TDSLocateMsg::PasswordHash(QStringLiteral("tajne hasło"))));
    EXPECT_TRUE(Messages().contains(QStringLiteral(" Wysłano: <requestvehicles opid=\"3\"  />")));
    EXPECT_TRUE(AllMessages().contains(QStringLiteral(" Odczytano: <?xml version=\"1.0\" encoding=\"UTF-8\"?>")));
}

TEST_F(GpsClient, AtLevelOneOnlyErrorsAndConnectionMessagesPassButTheCountMoves)
{
    options.vehicles = {{QStringLiteral("7"), QStringLiteral("WX 7")}};
    StartSimulator();
    client.SetMessageLevel(1);
    ASSERT_TRUE(client.Connect());
    client.RequestArchive(QStringLiteral("8"), Local("2026-03-10 08:00:00"), Local("2026-03-10 09:00:00")); // not listed
    client.RequestArchive(QStringLiteral("7"), Local("2026-03-10 08:00:00"), Local("2026-03-10 09:00:00"));
    ASSERT_TRUE(AllAnswered());
    EXPECT_EQ(client.Answers(), 3); // the list, the unknown vehicle's error and the archive
    const QStringList expected = {QStringLiteral("Szukanie: 127.0.0.1"), QStringLiteral("Łączenie...")};
    ASSERT_GE(Messages().size(), 3);
    EXPECT_EQ(Messages().mid(0, 2), expected);
    EXPECT_TRUE(Messages().at(2).startsWith(QStringLiteral(" Połączenie TLS: TLSv1.3, ")));
    EXPECT_EQ(Messages().size(), 3) << AllMessages().toStdString();
    client.Disconnect();
    EXPECT_EQ(Messages().last(), QStringLiteral("Rozłączanie..."));
}

TEST(GpsClientStatus, TextsPassByLevel)
{
    struct Case
    {
        TConnectionStatus status;
        const char *text;
        const char *atLevel1, *atLevel2, *atLevel3; // message passed on ("" none), or "state N ..." for OnState
    };
    using S = TConnectionStatus;
    const Case cases[] = {
        {S::Resolving, "host", "Szukanie: host", "Szukanie: host", "Szukanie: host"},
        {S::Connecting, "", "Łączenie...", "Łączenie...", "Łączenie..."},
        {S::Connected, "", "state 1 Połączony.", "state 1 Połączony.", "state 1 Połączony."},
        {S::Disconnecting, "", "Rozłączanie...", "Rozłączanie...", "Rozłączanie..."},
        {S::Disconnected, "", "state 3 Rozłączony.", "state 3 Rozłączony.", "state 3 Rozłączony."},
        {S::Transfer, "x", "Transfer: x", "Transfer: x", "Transfer: x"},
        {S::Ready, "x", "Gotowy: x", "Gotowy: x", "Gotowy: x"},
        {S::Aborted, "x", "Porzucony: x", "Porzucony: x", "Porzucony: x"},
        {S::Text, "Zalogowany", "", "state 2 Zalogowany.", "state 2 Zalogowany."},
        {S::Text, "Error Coś", " Coś", " Coś", " Coś"},
        {S::Text, "Odczytano<a/>", "", "", " Odczytano: <a/>"},
        {S::Text, "Warningw", "", "w", "w"},
        {S::Text, "Infoabc", "", "", "abc"},
        {S::Text, "Wysyłanie<r/>", "", "", " Wysłano: <r/>"},
        {S::Text, "Bez odpowiedzi<l/>", "", "", " Wysłano: <l/>"},
        {S::Text, "Inicjalizacjai", "", "i", "i"},
        {S::Text, "Komentarzk", "", "k", "k"},
        {S::Text, "PobranoKoniec", "", "", "Koniec"},
        {S::Text, "Brak archiwumBrak", "", "", "Brak"},
        {S::Text, "Nie obslugiwane", "", " Status: Nie obslugiwane", " Status: Nie obslugiwane"},
        // The word a text begins with decides, whatever server text follows it.
        {S::Text, "Brak archiwumError: no data", "", "", "Error: no data"},
        {S::Text, "InfoPobrano 3", "", "", "Pobrano 3"},
        // A text that begins with no word is classified by the first word found in it.
        {S::Text, "serwer: Pobrano", "", "", ""},
    };
    TLog log;
    for (const Case &c : cases) {
        const char *expected[] = {c.atLevel1, c.atLevel2, c.atLevel3};
        for (int level = 1; level <= 3; ++level) {
            TDSLocateClient client(log, QStringLiteral("GIS"));
            QString passed;
            client.OnMessage = [&](const QString &text) { passed = text; };
            client.OnState = [&](int state, const QString &text) { passed = QStringLiteral("state %1 %2").arg(state).arg(text); };
            client.SetMessageLevel(level);
            client.StatusHandler(c.status, QString::fromUtf8(c.text));
            EXPECT_EQ(passed, QString::fromUtf8(expected[level - 1])) << c.text << " at level " << level;
            // Requests are counted by their identifiers, never by texts.
            EXPECT_EQ(client.Outstanding(), 0) << c.text;
        }
    }
}

TEST(GpsClientAnswers, EachAnswerTakesAwayTheRequestWithItsIdentifierOnce)
{
    TLog log;
    TDSLocateClient client(log, QStringLiteral("GIS"));
    EXPECT_EQ(client.SinceAnswered(), std::chrono::steady_clock::duration::zero());
    // Sent while closed: counted all the same, numbered 1 and 3.
    EXPECT_EQ(client.RequestArchive(QStringLiteral("12"), 0, 0), 1);
    EXPECT_EQ(client.RequestArchive(QStringLiteral("13"), 0, 0), 3);
    EXPECT_EQ(client.Outstanding(), 2);
    client.Answered(5, true); // never requested
    client.Answered(3, false);
    client.Answered(3, true); // answered already
    EXPECT_EQ(client.Outstanding(), 1);
    client.Answered(1, true);
    EXPECT_EQ(client.Outstanding(), 0);
    const std::vector<TDSLocateClient::RAnswer> answers = client.TakeAnswers();
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].opid, 3);
    EXPECT_FALSE(answers[0].ok);
    EXPECT_EQ(answers[1].opid, 1);
    EXPECT_TRUE(answers[1].ok);
    EXPECT_TRUE(client.TakeAnswers().empty());
    EXPECT_EQ(client.Answers(), 2);
    EXPECT_EQ(client.SinceAnswered(), std::chrono::steady_clock::duration::zero());
}

TEST_F(GpsClient, ARequestWhileClosedIsCountedAndDisconnectResetsEverything)
{
    client.RequestArchive(QStringLiteral("12"), Local("2008-01-01 01:00:00"), Local("2008-01-01 02:00:00"));
    EXPECT_EQ(client.Outstanding(), 1);
    EXPECT_EQ(Messages(),
              QStringList{QStringLiteral(
                  " Wysłano: <requestarchive opid=\"1\"  vehicle=\"12\" from=\"1199145600\" to=\"1199149200\" />")});
    client.Disconnect();
    EXPECT_EQ(client.Outstanding(), 0);
    client.RequestArchive(QStringLiteral("12"), 0, 0);
    EXPECT_TRUE(Messages().last().startsWith(QStringLiteral(" Wysłano: <requestarchive opid=\"1\" ")));
}

TEST_F(GpsClient, TlsIsNegotiatedToTheHighestVersionBothOffer)
{
    struct Case
    {
        const char *serverMax, *negotiated;
    };
    const Case cases[] = {{"", "TLSv1.3"}, {"1.2", "TLSv1.2"}, {"1.0", "TLSv1,"}};
    for (const Case &c : cases) {
        options.tlsMax = QString::fromLatin1(c.serverMax);
        StartSimulator();
        ASSERT_TRUE(client.Connect()) << c.serverMax << AllMessages().toStdString();
        EXPECT_TRUE(AllMessages().contains(QStringLiteral(" Połączenie TLS: ") + QLatin1String(c.negotiated))) << c.serverMax;
        EXPECT_TRUE(AllAnswered());
        client.Disconnect();
    }
}

TEST_F(GpsClient, CertificatesAreCheckedAgainstTheCaFileOrThePinnedFingerprint)
{
    StartSimulator();
    sim::GpsSimulator other(options);
    other.Start();
    QTemporaryDir dir;
    const QString ours = dir.filePath(QStringLiteral("ours.pem")), theirs = dir.filePath(QStringLiteral("theirs.pem"));
    for (const auto &[file, pem] : {std::pair{ours, simulator->CertificatePem()}, std::pair{theirs, other.CertificatePem()}}) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(pem);
    }
    QString colons;
    for (int i = 0; i < simulator->Fingerprint().size(); i += 2)
        colons += (i ? QStringLiteral(":") : QString()) + simulator->Fingerprint().mid(i, 2).toUpper();

    struct Case
    {
        const char *name;
        bool verify;
        QString caFile, fingerprint;
        const char *failure;
    };
    const Case cases[] = {
        {"not checked", false, QString(), QString(), nullptr},
        {"our certificate as CA", true, ours, QString(), nullptr},
        {"pinned, written with colons", true, QString(), colons, nullptr},
        {"the system's authorities", true, QString(), QString(), "certyfikat serwera odrzucony: self-signed certificate"},
        {"another server's certificate", true, theirs, QString(), "certyfikat serwera odrzucony: "},
        {"another fingerprint", true, QString(), other.Fingerprint(), "odcisk SHA-256 certyfikatu serwera "},
        {"no CA file", true, dir.filePath(QStringLiteral("none.pem")), QString(), "nie można wczytać certyfikatów CA "},
    };
    for (const Case &c : cases) {
        TDSLKonfiguracjaSerwera &s = *konfig.SerwerDSLocate();
        s.SprawdzajCertyfikat = c.verify;
        s.PlikCertyfikatowCA = c.caFile;
        s.OdciskCertyfikatu = c.fingerprint;
        messages.clear();
        EXPECT_EQ(client.Connect(), c.failure == nullptr) << c.name << AllMessages().toStdString();
        if (c.failure) {
            EXPECT_TRUE(AllMessages().contains(QStringLiteral("Nie można nawiązać połączenie z serwerem: 127.0.0.1\r\n      ")
                                               + QString::fromUtf8(c.failure)))
                << c.name << AllMessages().toStdString();
        }
        client.Disconnect();
    }
}

TEST_F(GpsClient, OnlyAStrongCertificateIssuedForTheHostPassesTheCheckAndNothingIsSentBeforeIt)
{
    using Weak = TestAuthority::Weakness;
    TestAuthority ca;
    struct Case
    {
        const char *name, *host, *names;
        Weak weakness;
        bool verify;
        const char *failure; // after "certyfikat serwera odrzucony: "; nullptr: logged in
    };
    const Case cases[] = {
        {"issued for the address", "127.0.0.1", "IP:127.0.0.1", Weak::None, true, nullptr},
        {"issued for the name", "localhost", "DNS:localhost", Weak::None, true, nullptr},
        {"issued for another name, reached by address", "127.0.0.1", "DNS:gps.example.com", Weak::None, true,
         "IP address mismatch"},
        {"issued for another name, reached by name", "localhost", "DNS:gps.example.com", Weak::None, true, "hostname mismatch"},
        {"issued for another address", "127.0.0.1", "IP:127.0.0.2", Weak::None, true, "IP address mismatch"},
        {"a 768-bit key", "127.0.0.1", "IP:127.0.0.1", Weak::SmallKey, true, "EE certificate key too weak"},
        {"an MD5 signature", "127.0.0.1", "IP:127.0.0.1", Weak::Md5Signature, true, "CA signature digest algorithm too weak"},
        // Old servers still connect while the check is off.
        {"a 768-bit key, not checked", "127.0.0.1", "IP:127.0.0.1", Weak::SmallKey, false, nullptr},
    };
    for (const Case &c : cases) {
        const TestAuthority::RIssued issued = ca.Issue(QString::fromLatin1(c.names), c.weakness);
        options.certificateFile = issued.certificateFile;
        options.keyFile = issued.keyFile;
        StartSimulator();
        TDSLKonfiguracjaSerwera &s = *konfig.SerwerDSLocate();
        s.Host = QString::fromLatin1(c.host);
        s.SprawdzajCertyfikat = c.verify;
        s.PlikCertyfikatowCA = ca.CertificateFile();
        messages.clear();
        EXPECT_EQ(client.Connect(), c.failure == nullptr) << c.name << AllMessages().toStdString();
        if (c.failure) {
            EXPECT_TRUE(
                AllMessages().contains(QStringLiteral("\r\n      certyfikat serwera odrzucony: ") + QLatin1String(c.failure)))
                << c.name << AllMessages().toStdString();
            EXPECT_TRUE(simulator->Received().isEmpty()) << c.name;
        } else {
            EXPECT_TRUE(AllAnswered()) << c.name;
            EXPECT_TRUE(simulator->Received().value(0).startsWith(QStringLiteral("<login "))) << c.name;
        }
        client.Disconnect();
    }
}

TEST(GpsConnection, AnAddressLookUpFailsWithItsCauseOrIsGivenUpAtTheConnectionLimitAndEndsAlone)
{
    RTlsOptions options;
    options.connectTimeout = std::chrono::seconds(1);
    const auto OpenError = [&](TTlsConnection &connection) {
        try {
            connection.Open(QStringLiteral("gps.example.com"), 1, options);
        } catch (const Exception &e) {
            return e.message();
        }
        return QStringLiteral("connected");
    };
    TTlsConnection failing;
    failing.SetAddressLookup(
        [](const QString &host) -> QString { throw Exception(QStringLiteral("nie znaleziono adresu ") + host); });
    EXPECT_EQ(OpenError(failing), QStringLiteral("nie znaleziono adresu gps.example.com"));

    // The look-up holds until released (or for 30 s, so that a connection that waits for it
    // fails instead of hanging); once the connection is gone, only its thread keeps it.
    std::promise<void> release;
    auto held = std::make_shared<std::shared_future<void>>(release.get_future().share());
    const std::weak_ptr<std::shared_future<void>> inUse = held;
    {
        TTlsConnection connection;
        connection.SetAddressLookup([held = std::exchange(held, nullptr)](const QString &) {
            held->wait_for(std::chrono::seconds(30));
            return QStringLiteral("127.0.0.1");
        });
        QElapsedTimer waited;
        waited.start();
        EXPECT_EQ(OpenError(connection), QStringLiteral("przekroczono czas wyszukiwania adresu gps.example.com (1 s)"));
        std::printf("a look-up that never answers was given up after %lld ms\n", static_cast<long long>(waited.elapsed()));
    }
    EXPECT_FALSE(inUse.expired());
    release.set_value();
    for (int polls = 0; polls < 1000 && !inUse.expired(); ++polls)
        QThread::msleep(10);
    EXPECT_TRUE(inUse.expired()) << "the look-up's thread never ended";
}

TEST_F(GpsClient, MissingSettingsAndARefusedConnectionFailWithTheirReason)
{
    konfig.SerwerDSLocate()->Port = 0;
    EXPECT_FALSE(client.Connect());
    EXPECT_TRUE(
        AllMessages().contains(QStringLiteral("Brak adresu serwera DSLocate w ustawieniach (SerwerDSLocate: Host, Port).")));

    StartSimulator();
    konfig.SerwerDSLocate()->SetHaslo(QString());
    EXPECT_FALSE(client.Connect());
    EXPECT_TRUE(AllMessages().contains(QStringLiteral("Brak nazwy użytkownika lub hasła serwera DSLocate w ustawieniach")));
    EXPECT_EQ(simulator->Received(), QStringList());

    simulator->Stop();
    konfig.SerwerDSLocate()->SetHaslo(Enciphered(QStringLiteral("tajne hasło")));
    client.Disconnect();
    messages.clear();
    EXPECT_FALSE(client.Connect());
    EXPECT_TRUE(AllMessages().startsWith(
        QStringLiteral("Szukanie: 127.0.0.1\nŁączenie...\nNie można nawiązać połączenie z serwerem: 127.0.0.1\r\n      ")))
        << AllMessages().toStdString();
}

TEST_F(GpsClient, LiveUpdatesRenameVehiclesWhileTheListIsRead)
{
    options.liveIntervalMs = 5;
    StartSimulator();
    ASSERT_TRUE(client.Connect());
    ASSERT_TRUE(AllAnswered());
    // The decoder renames every vehicle from each live update meanwhile; every copy read here
    // is whole.
    QElapsedTimer reading;
    reading.start();
    int reads = 0;
    while (reading.elapsed() < 300) {
        for (const sim::RVehicle &v : simulator->Options().vehicles) {
            const std::optional<RPojazd> p = client.Pojazdy().CopyByNazwa(v.name);
            ASSERT_TRUE(p.has_value()) << v.name.toStdString();
            EXPECT_EQ(p->NrPojazdu, v.id);
            EXPECT_EQ(p->Opis, QStringLiteral("Symulator"));
            ++reads;
        }
    }
    EXPECT_GT(reads, 0);
}

TEST_F(GpsClient, AVehicleListTheServerRepeatsListsEachVehicleOnce)
{
    options.listRepeats = 3;
    StartSimulator();
    ASSERT_TRUE(client.Connect());
    ASSERT_TRUE(AllAnswered());
    EXPECT_EQ(client.Pojazdy().LockedCount(), 3);
    EXPECT_EQ(client.Pojazdy().CopyByNrPojazdu(QStringLiteral("103"))->Nazwa, QStringLiteral("GD 9012C"));
}

TEST_F(GpsClient, ReadingStopsAtTheInputLimitInsideTheReadLoop)
{
    // Days of frames a second: far more than the input limit, written as fast as the server can.
    options.frameInterval = 1;
    StartSimulator();
    TTlsConnection connection;
    connection.Open(QStringLiteral("127.0.0.1"), konfig.SerwerDSLocate()->Port, RTlsOptions());
    TDSLocateMsg msg;
    connection.WriteLine(
        TDSLocateMsg::Line(msg.LoginMsg(QStringLiteral("jan"), TDSLocateMsg::PasswordHash(QStringLiteral("tajne hasło")))));
    connection.WriteLine(TDSLocateMsg::Line(
        msg.RequestArchiveMsg(QStringLiteral("101"), Local("2026-03-01 00:00:00"), Local("2026-03-10 00:00:00"))));
    // Until the sockets hold far more than one TLS record past the limit and the server is
    // blocked on them.
    const qint64 beyond = TTlsConnection::kMaxBuffered + 32 * 1024;
    qint64 sent = 0;
    for (int polls = 0, still = 0; polls < 1500 && (sent < beyond || still < 10); ++polls) {
        QThread::msleep(20);
        const qint64 now = simulator->BytesSent();
        still = now == sent ? still + 1 : 0;
        sent = now;
    }
    ASSERT_GE(sent, beyond);
    EXPECT_TRUE(connection.IsOpen());
    // One TLS record (at most 16 KiB) past the limit is read; the rest stays on the socket.
    const qsizetype most = TTlsConnection::kMaxBuffered + 16 * 1024;
    EXPECT_LE(connection.Take(std::chrono::milliseconds(0)).size(), most) << sent << " bytes sent";
    EXPECT_LE(connection.Take(std::chrono::milliseconds(0)).size(), most);
    connection.Close();
}

TEST_F(GpsClient, TheSimulatorProgramServesAsAProcessOfItsOwn)
{
    TestAuthority ca;
    const TestAuthority::RIssued issued = ca.Issue(QStringLiteral("IP:127.0.0.1"));
    sim::SimulatorProcess process;
    process.Start(QStringLiteral(PELK_GPS_SIMULATOR),
                  {QStringLiteral("--user"), QStringLiteral("jan"), QStringLiteral("--password"), QStringLiteral("tajne hasło"),
                   QStringLiteral("--vehicle"), QStringLiteral("7=WX 7777=dostawczy"), QStringLiteral("--no-archive"),
                   QStringLiteral("7"), QStringLiteral("--cert"), issued.certificateFile, QStringLiteral("--key"),
                   issued.keyFile});
    konfig.SerwerDSLocate()->Port = process.Port();
    konfig.SerwerDSLocate()->SprawdzajCertyfikat = true;
    konfig.SerwerDSLocate()->PlikCertyfikatowCA = ca.CertificateFile();
    konfig.SerwerDSLocate()->OdciskCertyfikatu = process.Fingerprint();
    ASSERT_TRUE(client.Connect()) << AllMessages().toStdString();
    ASSERT_TRUE(AllAnswered());
    EXPECT_EQ(client.Pojazdy().CopyByNrPojazdu(QStringLiteral("7"))->Nazwa, QStringLiteral("WX 7777"));
    client.RequestArchive(QStringLiteral("7"), Local("2026-03-10 08:00:00"), Local("2026-03-10 09:00:00"));
    ASSERT_TRUE(AllAnswered());
    EXPECT_TRUE(AllMessages().contains(QStringLiteral("Brak danych pojazdu 7 w podanym okresie.")));
}
