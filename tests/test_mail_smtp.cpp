// Error mails through a real mail server on loopback: what arrives, logging in, TLS, refusals,
// time-outs, the pause after a failure and the sender's texts in the log.
#include "support/FixedClock.h"
#include "support/FullBacklogPort.h"
#include "support/Installation.h"
#include "support/MailSettingsSection.h"
#include "support/ScopedKeyFile.h"
#include "support/SilentPort.h"
#include "support/SmtpRecorder.h"
#include "support/TestAuthority.h"
#include "support/WarsawZone.h"

#include "app/DM_Main.h"
#include "app/Log.h"
#include "app/MailHook.h"
#include "app/MailSettings.h"
#include "app/Process.h"
#include "app/Settings.h"
#include "config/IsoLatin2.h"
#include "mail/MailMessage.h"
#include "mail/MailSender.h"

#include <QRegularExpression>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace pelk;
using namespace pelk::test;

namespace {

using Keys = QList<QPair<QString, QString>>;

const QString kFrom = QStringLiteral("interfejs@firma.pl");
const QString kTo = QStringLiteral("admin@firma.pl");

// A loopback port nobody listens on any more: connections are refused at once.
int RefusedPort()
{
    return SilentPort().Port();
}

// 0 when a loopback port can be bound now, else the errno of the attempt.
int BindError(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(quint16(port));
    const int error = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

class MailThroughServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureApplication();
        RegisterMailSender();
    }
    void TearDown() override
    {
        dm.reset();
        SetMailSenderFactory(nullptr);
    }

    // Starts the main data module with mailing on: a server on 127.0.0.1 at the port, the
    // addresses above, and the keys given (which override those).
    TDM_Main &Start(int port, const Keys &keys = {})
    {
        Keys all = {{"PoziomLogow", "1"},
                    {"Host", "127.0.0.1"},
                    {"Port", QString::number(port)},
                    {"FromMail", kFrom},
                    {"FromMailName", QStringLiteral("Interfejs Łódź")},
                    {"ToMail", kTo}};
        for (const auto &k : keys) {
            all.removeIf([&](const auto &a) { return a.first == k.first; });
            all << k;
        }
        inst.WriteSettings({{"WysylajBledyNaMaila", "True"}}, MailSettingsSection(all));
        dm = std::make_unique<TDM_Main>(inst.dir.path(), QStringList{}, &pane, nullptr);
        EXPECT_TRUE(dm->Process()->CanProcess()) << pane.AllText().toStdString();
        return *dm;
    }
    TMailSettings &Mail() { return *dm->Settings()->MailSettings(); }
    // Against a TLS server with a self-signed certificate: refused for the certificate until
    // CaFile names it, then the mail goes through the TLS session.
    void ExpectTlsRefusedUntilTheCertificateIsKnown(const SmtpRecorder &server)
    {
        Start(server.Port(), {{"PauseAfterFailure", "0"}});
        const qsizetype mark = pane.messages.size();
        Error(QStringLiteral(" Serwer nieznany"));
        EXPECT_TRUE(server.Messages().isEmpty());
        const QStringList errors = ErrorsSince(mark);
        ASSERT_EQ(errors.size(), 2);
        EXPECT_TRUE(errors[1].contains(QStringLiteral("certificate"))) << errors[1].toStdString();
        EXPECT_TRUE(errors[1].contains(QStringLiteral("port: %1").arg(server.Port()))) << errors[1].toStdString();

        Mail().CaFile = server.CertificateFile();
        Error(QStringLiteral(" Serwer znany"));
        ASSERT_EQ(server.Messages().size(), 1);
        EXPECT_TRUE(server.Messages()[0]["tls"].toBool());
        EXPECT_EQ(server.Messages()[0]["subject"].toString(), QStringLiteral(" Serwer znany"));
    }
    void Error(const QString &text) { dm->Log()->Error(1, text); }
    // The error messages logged since the mark, their lines joined by "\n".
    QStringList ErrorsSince(qsizetype mark) const
    {
        QStringList out;
        for (qsizetype i = mark; i < pane.messages.size(); ++i)
            if (pane.messages[i].image == TLog::ImageError)
                out << pane.messages[i].lines.join(QLatin1Char('\n'));
        return out;
    }
    QString LogFileText() const
    {
        const QStringList files = inst.LogFiles();
        return files.isEmpty() ? QString() : FromIsoLatin2(ReadFileBytes(inst.Path("logs/") + files.first()));
    }

    Installation inst;
    RecordingLogView pane;
    std::unique_ptr<TDM_Main> dm;
};

} // namespace

TEST_F(MailThroughServer, AnErrorArrivesAsOneMailWithTheEnvelopeAndEveryHeader)
{
    ASSERT_TRUE(kWarsawZone); // the date carries the zone's offset
    ScopedFixedClock clock(QDateTime(QDate(2026, 12, 8), QTime(3, 7, 21)));
    SmtpRecorder server;
    Start(server.Port(), {{"PoziomLogow", "0"}});
    const qsizetype mark = pane.messages.size();
    Error(QStringLiteral(" Błąd zapisu: ZAŻÓŁĆ GĘŚLĄ JAŹŃ\r\n      zażółć gęślą jaźń"));

    const QList<QJsonObject> mails = server.Messages();
    ASSERT_EQ(mails.size(), 1);
    const QJsonObject &m = mails[0];
    EXPECT_EQ(m["mail_from"].toString(), kFrom);
    EXPECT_EQ(m["rcpt_tos"].toArray(), QJsonArray({kTo}));
    QStringList names;
    QMap<QString, QString> headers;
    for (const QJsonValue &h : m["headers"].toArray()) {
        names << h[0].toString();
        headers[h[0].toString()] = h[1].toString();
    }
    EXPECT_EQ(names,
              QStringList({"Date", "From", "Reply-To", "To", "Subject", "Message-ID", "MIME-Version", "Content-Type",
                           "Content-Transfer-Encoding", "X-Priority"}));
    EXPECT_EQ(headers["Date"], QStringLiteral("08 Dec 2026 03:07:21 +0100"));
    EXPECT_EQ(m["from"].toString(), QStringLiteral("Interfejs Łódź <interfejs@firma.pl>"));
    EXPECT_EQ(headers["Reply-To"], kFrom);
    EXPECT_EQ(headers["To"], kTo);
    EXPECT_EQ(m["subject"].toString(), QStringLiteral(" Błąd zapisu: ZAŻÓŁĆ GĘŚLĄ JAŹŃ       zażółć gęślą jaźń"));
    // ś and Ś as their ISO 8859-2 codes, not their Windows-1250 ones (0x9C, 0x8C).
    EXPECT_TRUE(headers["Subject"].contains(QStringLiteral("=B6")) && headers["Subject"].contains(QStringLiteral("=A6")));
    EXPECT_EQ(m["content_type"].toString(), QStringLiteral("text/plain"));
    EXPECT_EQ(m["charset"].toString(), QStringLiteral("iso-8859-2"));
    EXPECT_EQ(headers["X-Priority"], QStringLiteral("3 (Normal)"));
    EXPECT_EQ(m["body"].toString(), QString());
    // One connection: opened, checked, the mail, closed.
    EXPECT_EQ(server.Events(), QStringList({"connect", "noop", "rcpt " + kTo, "data", "quit"}));
    EXPECT_EQ(ErrorsSince(mark).size(), 1); // the error itself; level 0 adds nothing
}

TEST_F(MailThroughServer, HeaderLikeAndVeryLongTextsStayInsideTheSubject)
{
    SmtpRecorder server;
    Start(server.Port());
    Error(QStringLiteral(" x\r\nBcc: obcy@x.pl\nTo: obcy@y.pl\r\n\r\nTreść"));
    const QString longText = QStringLiteral(" Wyjątek ") + QString(10000, QChar(0x0105));
    Error(longText);

    const QList<QJsonObject> mails = server.Messages();
    ASSERT_EQ(mails.size(), 2);
    EXPECT_EQ(mails[0]["rcpt_tos"].toArray(), QJsonArray({kTo}));
    EXPECT_EQ(mails[0]["headers"].toArray().size(), 10);
    EXPECT_EQ(mails[0]["subject"].toString(), QStringLiteral(" x Bcc: obcy@x.pl\nTo: obcy@y.pl  Treść"));
    EXPECT_EQ(mails[1]["subject"].toString(), LimitedSubject(longText));
    EXPECT_TRUE(mails[1]["subject"].toString().endsWith(QStringLiteral("(skrócono z 10009 znaków, całość w pliku logu)")));
}

TEST_F(MailThroughServer, LogsInWithTheDecipheredPassword)
{
    ScopedKeyFile key("abcdefghi");
    SmtpRecorder server({QStringLiteral("jan"), QStringLiteral("haslo123")});
    Start(server.Port(), {{"Authentication", "True"}, {"Login", "jan"}, {"Password", "dB25BeGaElQVRGWZ1/fmrw=="}});
    Error(QStringLiteral(" Błąd"));
    ASSERT_EQ(server.Messages().size(), 1);
    EXPECT_EQ(server.Messages()[0]["login"].toString(), QStringLiteral("jan"));
}

TEST_F(MailThroughServer, AWrongPasswordIsLoggedOnceWithoutThePasswordAndIsNotMailedAgain)
{
    ScopedKeyFile key("abcdefghi");
    SmtpRecorder::Options options{QStringLiteral("jan"), QStringLiteral("inne")};
    options.echoCredentials = true; // a careless server repeats what it was sent
    SmtpRecorder server(options);
    Start(server.Port(),
          {{"PoziomLogow", "2"}, {"Authentication", "True"}, {"Login", "jan"}, {"Password", "dB25BeGaElQVRGWZ1/fmrw=="}});
    const qsizetype mark = pane.messages.size();
    Error(QStringLiteral(" Pierwszy błąd"));
    Error(QStringLiteral(" Drugi błąd"));

    // The sender's own error went to the log, was not mailed, and the pause spared the server
    // the second error.
    EXPECT_EQ(server.Events(), QStringList({"connect", "auth fail"}));
    EXPECT_TRUE(server.Messages().isEmpty());
    const QStringList errors = ErrorsSince(mark);
    ASSERT_EQ(errors.size(), 5) << errors.join("|").toStdString();
    EXPECT_EQ(errors[1], QStringLiteral("Szukanie: 127.0.0.1"));
    EXPECT_TRUE(errors[3].startsWith(QStringLiteral("Błąd połączenia z serwerem: 127.0.0.1  port: %1: \n").arg(server.Port())));
    EXPECT_TRUE(errors[3].contains(QStringLiteral("535 5.7.8 Niepoprawny login lub haslo (jan/***)"))) << errors[3].toStdString();
    EXPECT_EQ(errors[4], QStringLiteral(" Drugi błąd"));
    const QString everything = pane.AllText() + LogFileText();
    for (const char *secret : {"haslo123", "dB25BeGaElQVRGWZ1/fmrw==", "aGFzbG8xMjM=", "AGphbgBoYXNsbzEyMw=="})
        EXPECT_FALSE(everything.contains(QLatin1String(secret))) << secret;
}

TEST_F(MailThroughServer, StatusTextsFollowTheLevel)
{
    SmtpRecorder server;
    Start(server.Port(), {{"PoziomLogow", "2"}, {"PauseAfterFailure", "0"}});
    qsizetype mark = pane.messages.size();
    Error(QStringLiteral(" Błąd"));
    const QString port = QString::number(server.Port());
    EXPECT_EQ(ErrorsSince(mark),
              QStringList({" Błąd", "Szukanie: 127.0.0.1", "Łączenie z serwerem: 127.0.0.1  port: " + port, "Połączony.",
                           "Transfer: MAIL FROM:<" + kFrom + "> RCPT TO:<" + kTo + ">", "Gotowy: 250 2.0.0 Zapisano",
                           "Rozłączanie...", "Rozłączony z serwerem: 127.0.0.1  port: " + port}));

    Mail().PoziomLogow = 1;
    mark = pane.messages.size();
    Error(QStringLiteral(" Błąd"));
    EXPECT_EQ(ErrorsSince(mark), QStringList({" Błąd"}));
    Mail().Port = RefusedPort();
    Error(QStringLiteral(" Błąd"));
    const QStringList errors = ErrorsSince(mark);
    ASSERT_EQ(errors.size(), 3);
    EXPECT_TRUE(errors[2].startsWith(QStringLiteral("Błąd połączenia z serwerem: 127.0.0.1  port: %1: \n").arg(Mail().Port)));
    EXPECT_TRUE(errors[2].contains(QStringLiteral("Couldn't connect to server"))) << errors[2].toStdString();

    Mail().PoziomLogow = 0;
    mark = pane.messages.size();
    EXPECT_FALSE(dm->MailSender()->Connect());
    EXPECT_EQ(pane.messages.size(), mark);
    EXPECT_EQ(server.Messages().size(), 2);
}

TEST_F(MailThroughServer, AFailureStopsMailingForThePauseThenMailingResumes)
{
    ScopedFixedClock clock(QDateTime(QDate(2026, 3, 2), QTime(10, 0)));
    SmtpRecorder server;
    Start(RefusedPort());
    const qsizetype mark = pane.messages.size();
    for (int i = 0; i < 3; ++i)
        Error(QStringLiteral(" Błąd %1").arg(i));
    const QStringList errors = ErrorsSince(mark);
    ASSERT_EQ(errors.size(), 4);
    EXPECT_TRUE(errors[1].endsWith(QStringLiteral("\nWysyłanie poczty wstrzymane do 2026-03-02 10:05:00.")))
        << errors[1].toStdString();

    Mail().Port = server.Port(); // the server is back
    Error(QStringLiteral(" W przerwie"));
    clock->AddSecs(300);
    Error(QStringLiteral(" Po przerwie"));
    ASSERT_EQ(server.Messages().size(), 1);
    EXPECT_EQ(server.Messages()[0]["subject"].toString(), QStringLiteral(" Po przerwie"));
}

TEST_F(MailThroughServer, AServerThatStopsAnsweringFailsTheAttemptByItsTimeOut)
{
    FullBacklogPort unreachable; // the connection is never accepted
    SilentPort silent;           // accepted, never greeted
    SmtpRecorder::Options options;
    options.hangAtData = true; // the message is never answered
    SmtpRecorder hanging(options);
    Start(unreachable.Port(), {{"ConnectTimeout", "1"}, {"TransferTimeout", "3"}, {"PauseAfterFailure", "0"}});
    const struct
    {
        int port;
        const char *heading;
    } cases[] = {{unreachable.Port(), "Błąd połączenia z serwerem: 127.0.0.1  port: %1: \n"},
                 {silent.Port(), "Błąd połączenia z serwerem: 127.0.0.1  port: %1: \n"},
                 {hanging.Port(), "Błąd wysyłania poczyt email\n"}};
    for (const auto &c : cases) {
        Mail().Port = c.port;
        const qsizetype mark = pane.messages.size();
        Error(QStringLiteral(" Błąd"));
        // One failure, for its time-out; nothing more is tried on that server.
        const QStringList errors = ErrorsSince(mark);
        ASSERT_EQ(errors.size(), 2);
        const QString heading = QString::fromUtf8(c.heading).replace(QStringLiteral("%1"), QString::number(c.port));
        EXPECT_TRUE(errors[1].startsWith(heading)) << errors[1].toStdString();
        EXPECT_TRUE(errors[1].contains(QRegularExpression(QStringLiteral("(?i)time(d)? ?out")))) << errors[1].toStdString();
    }
    EXPECT_TRUE(hanging.Events().contains(QStringLiteral("data hangs")));
}

TEST_F(MailThroughServer, StartTlsIsUsedWhenOfferedAndTheCertificateIsChecked)
{
    SmtpRecorder::Options options;
    options.starttls = true;
    SmtpRecorder server(options);
    ExpectTlsRefusedUntilTheCertificateIsKnown(server);
}

TEST_F(MailThroughServer, Port465SpeaksTlsFromTheFirstByteAndChecksTheCertificate)
{
    constexpr int kSmtps = 465;
    if (const int error = BindError(kSmtps)) // binding it needs root, and the port must be free
        GTEST_SKIP() << "127.0.0.1:465 cannot be bound here: " << std::strerror(error);
    SmtpRecorder::Options options;
    options.smtpsPort = kSmtps;
    SmtpRecorder server(options);
    ASSERT_EQ(server.Port(), kSmtps);
    ExpectTlsRefusedUntilTheCertificateIsKnown(server);
}

TEST_F(MailThroughServer, OnlyACertificateIssuedForTheHostIsTrustedWithTheLogin)
{
    ScopedKeyFile key("abcdefghi");
    TestAuthority ca;
    struct Case
    {
        const char *names;
        bool delivered;
    };
    for (const Case &c : {Case{"IP:127.0.0.1", true}, Case{"DNS:poczta.example.com", false}}) {
        const TestAuthority::RIssued issued = ca.Issue(QString::fromLatin1(c.names));
        SmtpRecorder::Options options{QStringLiteral("jan"), QStringLiteral("haslo123")};
        options.starttls = true;
        options.certificateFile = issued.certificateFile;
        options.keyFile = issued.keyFile;
        SmtpRecorder server(options);
        dm.reset();
        Start(server.Port(),
              {{"PauseAfterFailure", "0"},
               {"CaFile", ca.CertificateFile()},
               {"Authentication", "True"},
               {"Login", "jan"},
               {"Password", "dB25BeGaElQVRGWZ1/fmrw=="}});
        const qsizetype mark = pane.messages.size();
        Error(QStringLiteral(" Błąd"));
        EXPECT_EQ(server.Messages().size(), c.delivered ? 1 : 0) << c.names;
        if (!c.delivered) {
            // Refused in the handshake: the password never left.
            EXPECT_EQ(server.Events(), QStringList{"connect"}) << c.names;
            const QStringList errors = ErrorsSince(mark);
            ASSERT_EQ(errors.size(), 2) << c.names;
            EXPECT_TRUE(errors[1].contains(QStringLiteral("'127.0.0.1'"))) << errors[1].toStdString();
        }
    }
}

TEST_F(MailThroughServer, ARefusedRecipientIsLoggedAndTheSessionClosed)
{
    SmtpRecorder::Options options;
    options.refuseRecipients = true;
    SmtpRecorder server(options);
    Start(server.Port());
    const qsizetype mark = pane.messages.size();
    Error(QStringLiteral(" Błąd"));
    const QStringList errors = ErrorsSince(mark);
    ASSERT_EQ(errors.size(), 2);
    EXPECT_TRUE(errors[1].startsWith(QStringLiteral("Błąd wysyłania poczyt email\n")));
    EXPECT_TRUE(errors[1].contains(QStringLiteral("550 5.1.1 Nieznany odbiorca"))) << errors[1].toStdString();
    EXPECT_EQ(server.Events().last(), QStringLiteral("quit"));
}

TEST_F(MailThroughServer, MailingOnWithoutAHostIsReportedAtStartUpAndNeverMails)
{
    inst.WriteSettings({{"WysylajBledyNaMaila", "True"}}, MailSettingsSection({{"PoziomLogow", "2"}, {"ToMail", kTo}}));
    dm = std::make_unique<TDM_Main>(inst.dir.path(), QStringList{}, &pane, nullptr);
    EXPECT_FALSE(dm->Process()->CanProcess());
    const QString settingsFile = QDir::toNativeSeparators(inst.Path("PelkDataExchanger.xml"));
    EXPECT_TRUE(pane.AllText().contains(
        " Błąd konfiguracji email.\n       Brak zdefinowanej wartości zmiennej \"Host\" w pliku konfiguracyjnym " + settingsFile))
        << pane.AllText().toStdString();
    ASSERT_NE(dm->MailSender(), nullptr);
    const qsizetype mark = pane.messages.size();
    EXPECT_FALSE(dm->MailSender()->Connect());
    Error(QStringLiteral(" Błąd"));
    EXPECT_EQ(ErrorsSince(mark), QStringList({" Błąd"}));
}
