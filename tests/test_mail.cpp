// Error mails without a server: the mail settings in the settings file and their check, the
// message an error becomes, and the sender's status texts by level.
#include "support/MailSettingsSection.h"
#include "support/RecordingLogView.h"
#include "support/ScopedKeyFile.h"
#include "support/ScopedKeyLibraryMessages.h"
#include "support/TestSupport.h"
#include "support/WarsawZone.h"

#include "app/Log.h"
#include "app/Settings.h"
#include "config/PasswordCipher.h"
#include "mail/MailMessage.h"
#include "mail/MailSender.h"
#include "mail/SmtpClient.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pelk;
using namespace pelk::test;

namespace {

const QByteArray kKeyText = "abcdefghi";
const QString kHaslo123 = QStringLiteral("dB25BeGaElQVRGWZ1/fmrw=="); // "haslo123" under kKeyText

QString MailSettingsFile(const QList<QPair<QString, QString>> &mailKeys)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><classes>"
                          "<class classname=\"TSettingsAplikacji\" name=\"TSettingsAplikacji\"><properties>%1"
                          "</properties></class></classes>")
        .arg(MailSettingsSection(mailKeys));
}

class MailSettingsFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureApplication(); // the key library is looked for beside the program
        log.SetView(&view);
        settings.SetLog(&log);
    }
    bool Load(const QList<QPair<QString, QString>> &mailKeys)
    {
        const QString file = dir.filePath(QStringLiteral("PelkDataExchanger.xml"));
        WriteFileText(file, MailSettingsFile(mailKeys));
        return settings.LoadFromFile(file);
    }
    TMailSettings &Mail() { return *settings.MailSettings(); }

    QTemporaryDir dir;
    RecordingLogView view;
    TLog log;
    TSettingsAplikacji settings;
};

} // namespace

TEST_F(MailSettingsFileTest, PasswordIsDecipheredOnLoadAndWrittenBackEnciphered)
{
    ScopedKeyFile key(kKeyText);
    ASSERT_TRUE(Load({{"Host", "smtp.firma.pl"}, {"Authentication", "True"}, {"Password", kHaslo123}}));
    EXPECT_EQ(Mail().Password(), kHaslo123);
    EXPECT_EQ(Mail().PlainPassword(), QStringLiteral("haslo123"));
    EXPECT_EQ(Mail().ConnectTimeout, 10);
    EXPECT_EQ(Mail().TransferTimeout, 30);
    EXPECT_EQ(Mail().PauseAfterFailure, 300);

    const QString saved = dir.filePath(QStringLiteral("saved.xml"));
    ASSERT_TRUE(settings.SaveToFile(saved));
    const QString text = ReadFileText(saved);
    EXPECT_TRUE(text.contains(kHaslo123));
    EXPECT_FALSE(text.contains(QStringLiteral("haslo123")));
    // The keys in their order, the mail section before the GPS one.
    QStringList keys;
    const QRegularExpression name(QStringLiteral("<property name=\"(\\w+)\""));
    for (auto m = name.globalMatch(text.section(QStringLiteral("\"MailSettings\""), 1)); m.hasNext();)
        keys << m.next().captured(1);
    EXPECT_EQ(keys.mid(0, 14),
              QStringList({"PoziomLogow", "Host", "Port", "Authentication", "Login", "Password", "FromMail", "FromMailName",
                           "ToMail", "ConnectTimeout", "TransferTimeout", "PauseAfterFailure", "CaFile", "DSLocateKonfig"}));
}

TEST_F(MailSettingsFileTest, AnEmptyPasswordNeverCallsTheKeyLibraryAndAMalformedOneFailsTheLoad)
{
    qputenv("PELK_KEY_FILE", QFile::encodeName(dir.filePath(QStringLiteral("absent.key"))));
    ScopedKeyLibraryMessages messages;
    ASSERT_TRUE(Load({{"Password", ""}}));
    EXPECT_TRUE(Mail().PlainPassword().isEmpty());
    EXPECT_TRUE(messages.shown.isEmpty());
    qunsetenv("PELK_KEY_FILE");

    ScopedKeyFile key(kKeyText);
    EXPECT_FALSE(Load({{"Password", "to nie szyfr!"}}));
    EXPECT_TRUE(view.AllText().contains(QStringLiteral(" Błędna wartość klucza \"MailSettings.Password\"")))
        << view.AllText().toStdString();
}

namespace {

struct CheckCase
{
    const char *name;
    std::function<void(TMailSettings &)> change;
    QString missingKey; // empty: the check passes
};

// The case as the test list names it.
void PrintTo(const CheckCase &c, std::ostream *os)
{
    *os << c.name;
}

class MailSettingsCheck : public ::testing::TestWithParam<CheckCase>
{};

} // namespace

TEST_P(MailSettingsCheck, NamesTheFirstMissingValue)
{
    TMailSettings s;
    s.SettingsFile = QStringLiteral("/opt/pelk/PelkDataExchanger.xml");
    s.Host = QStringLiteral("smtp.firma.pl");
    s.FromMail = QStringLiteral("interfejs@firma.pl");
    s.ToMail = QStringLiteral("admin@firma.pl");
    GetParam().change(s);
    const bool ok = s.CheckMailSettings();
    EXPECT_EQ(ok, GetParam().missingKey.isEmpty());
    EXPECT_EQ(s.Poprawne(), ok);
    if (GetParam().missingKey.startsWith(QLatin1Char(' '))) {
        EXPECT_EQ(s.BladKonfiguracji(), GetParam().missingKey);
    } else if (!ok) {
        EXPECT_EQ(s.BladKonfiguracji(),
                  QStringLiteral(" Brak zdefinowanej wartości zmiennej \"%1\" w pliku konfiguracyjnym "
                                 "/opt/pelk/PelkDataExchanger.xml")
                      .arg(GetParam().missingKey));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MailSettingsCheck,
    ::testing::Values(CheckCase{"Complete", [](TMailSettings &) {}, {}},
                      CheckCase{"NoAuthenticationNeedsNoAccount", [](TMailSettings &s) { s.Login.clear(); }, {}},
                      CheckCase{"NoHost",
                                [](TMailSettings &s) {
                                    s.Host.clear();
                                    s.ToMail.clear();
                                },
                                QStringLiteral("Host")},
                      CheckCase{"AuthenticationWithoutLogin", [](TMailSettings &s) { s.Authentication = true; },
                                QStringLiteral("Login")},
                      CheckCase{"AuthenticationWithoutPassword",
                                [](TMailSettings &s) {
                                    s.Authentication = true;
                                    s.Login = QStringLiteral("jan");
                                },
                                QStringLiteral("Password")},
                      CheckCase{"NoSender", [](TMailSettings &s) { s.FromMail.clear(); }, QStringLiteral("FromMail")},
                      CheckCase{"NoRecipient", [](TMailSettings &s) { s.ToMail.clear(); }, QStringLiteral("ToMail")},
                      CheckCase{"NoConnectTimeout", [](TMailSettings &s) { s.ConnectTimeout = 0; },
                                QStringLiteral(" Wartość zmiennej \"ConnectTimeout\" w pliku konfiguracyjnym "
                                               "/opt/pelk/PelkDataExchanger.xml poza dozwolonym zakresem 1..3600.")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(MailSettingsCheckState, AFailedCheckLeavesTheSettingsValidIfTheyWere)
{
    TMailSettings s;
    s.Host = QStringLiteral("h");
    s.FromMail = s.ToMail = QStringLiteral("a@b");
    ASSERT_TRUE(s.CheckMailSettings());
    s.Host.clear();
    EXPECT_FALSE(s.CheckMailSettings());
    EXPECT_TRUE(s.Poprawne());
}

namespace {

struct WordsCase
{
    const char *name;
    QString text;
    QList<QByteArray> words;
};

// The case as the test list names it.
void PrintTo(const WordsCase &c, std::ostream *os)
{
    *os << c.name;
}

class EncodedWordsTest : public ::testing::TestWithParam<WordsCase>
{};

} // namespace

TEST_P(EncodedWordsTest, EncodeIso88592WithoutAnyCharacterAHeaderCouldReadAsItsOwn)
{
    EXPECT_EQ(EncodedWords(GetParam().text, 67), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EncodedWordsTest,
    ::testing::Values(
        WordsCase{"Empty", QString(), {}},
        WordsCase{"PolishLetters",
                  QStringLiteral("ĄĆĘŁŃÓŚŹŻ ąćęłńóśźż"),
                  {"=?ISO-8859-2?Q?=A1=C6=CA=A3=D1=D3=A6=AC=AF_=B1=E6=EA=B3=F1=F3=B6?=", "=?ISO-8859-2?Q?=BC=BF?="}},
        WordsCase{"Specials", QStringLiteral("a_b=c?d:\"e\"<f@g>"), {"=?ISO-8859-2?Q?a=5Fb=3Dc=3Fd=3A=22e=22=3Cf=40g=3E?="}},
        WordsCase{
            "LineBreaksAndHeaders", QStringLiteral("x\r\nBcc: z@y\nTo: w"), {"=?ISO-8859-2?Q?x=0D=0ABcc=3A_z=40y=0ATo=3A_w?="}},
        WordsCase{"OutsideTheCharset", QStringLiteral("€ 日"), {"=?ISO-8859-2?Q?=3F_=3F?="}},
        // 50 characters fit the first word (67), 58 every further one (75); "=B3" is never split.
        WordsCase{"Folded",
                  QString(49, QLatin1Char('a')) + QStringLiteral("ł") + QString(60, QLatin1Char('b')),
                  {"=?ISO-8859-2?Q?" + QByteArray(49, 'a') + "?=", "=?ISO-8859-2?Q?=B3" + QByteArray(55, 'b') + "?=",
                   "=?ISO-8859-2?Q?bbbbb?="}}),
    [](const auto &info) { return std::string(info.param.name); });

namespace {

MailFields Fields(const QString &subject)
{
    return {QStringLiteral("interfejs@firma.pl"), QStringLiteral("Interfejs Łódź"), QStringLiteral("admin@firma.pl"), subject,
            QDateTime(QDate(2026, 12, 8), QTime(3, 7, 21))};
}

// The header names of a message, one per unfolded header.
QStringList HeaderNames(const QByteArray &message)
{
    QStringList names;
    for (const QByteArray &line : message.split('\n'))
        if (!line.startsWith(' ') && line.contains(':'))
            names << QString::fromLatin1(line.left(line.indexOf(':')));
    return names;
}

} // namespace

TEST(MailMessage, HasTheListedHeadersOnShortLinesWhateverTheSubject)
{
    ASSERT_TRUE(kWarsawZone); // the date carries the zone's offset
    const QString huge = QStringLiteral("Błąd\r\nBcc: obcy@x.pl ") + QString(10000, QChar(0x015B));
    for (const QString &subject : {QStringLiteral(" Błąd zapisu"), huge}) {
        QString error;
        const QByteArray m = BuildMailMessage(Fields(subject), &error);
        EXPECT_EQ(HeaderNames(m),
                  QStringList({"Date", "From", "Reply-To", "To", "Subject", "Message-ID", "MIME-Version", "Content-Type",
                               "Content-Transfer-Encoding", "X-Priority"}));
        EXPECT_TRUE(m.startsWith("Date: 08 Dec 2026 03:07:21 +0100\r\n"
                                 "From: =?ISO-8859-2?Q?Interfejs_=A3=F3d=BC?= <interfejs@firma.pl>\r\n"
                                 "Reply-To: interfejs@firma.pl\r\nTo: admin@firma.pl\r\nSubject: =?ISO-8859-2?Q?"));
        EXPECT_TRUE(m.endsWith("Content-Type: text/plain; charset=ISO-8859-2\r\nContent-Transfer-Encoding: 7bit\r\n"
                               "X-Priority: 3 (Normal)\r\n\r\n"));
        for (const QByteArray &line : m.split('\n')) {
            EXPECT_LE(line.size(), 77) << line.constData(); // 76 and its CR
            EXPECT_EQ(line.count('\r'), line.isEmpty() ? 0 : 1) << line.constData();
        }
    }
    QString error;
    EXPECT_TRUE(BuildMailMessage({QStringLiteral("a@b\r\nRCPT TO:<c@d>"), {}, QStringLiteral("x@y"), {}, {}}, &error).isEmpty());
    EXPECT_EQ(error, QStringLiteral("Niepoprawny adres e-mail w zmiennej \"FromMail\"."));
}

TEST(MailMessage, ASubjectLongerThanTheLimitIsCutWithANote)
{
    EXPECT_EQ(LimitedSubject(QString(kSubjectLimit, QLatin1Char('x'))), QString(kSubjectLimit, QLatin1Char('x')));
    EXPECT_EQ(LimitedSubject(QString(10000, QLatin1Char('x'))),
              QString(kSubjectLimit, QLatin1Char('x')) + QStringLiteral(" ... (skrócono z 10000 znaków, całość w pliku logu)"));
}

TEST(MailAddress, OnlyPlainAddressesPass)
{
    EXPECT_TRUE(IsPlainAddress(QStringLiteral("jan.kowalski+bledy@firma-x.pl")));
    for (const char *bad : {"", "bez-malpy", "a b@c", "a@b\r\nc", "<a@b>", "a@b,c@d", "\"a\"@b", "a@b;c", "ż@b.pl"})
        EXPECT_FALSE(IsPlainAddress(QString::fromUtf8(bad))) << bad;
}

TEST(MailStatus, OnlyErrorTextsFromLevelOneWithoutTheirErrorWord)
{
    using S = TMailSender::Status;
    const QString text = QStringLiteral("ErrorBłąd\r\nErrorpowód");
    EXPECT_EQ(TMailSender::StatusReport(S::StatusText, text, 0, {}, 25), QString());
    EXPECT_EQ(TMailSender::StatusReport(S::StatusText, text, 1, {}, 25), QStringLiteral("Błąd\r\nErrorpowód"));
    EXPECT_EQ(TMailSender::StatusReport(S::StatusText, QStringLiteral("250 OK"), 2, {}, 25), QString());
    EXPECT_EQ(TMailSender::StatusReport(S::Ready, QStringLiteral("250 OK"), 1, {}, 25), QString());
}

TEST(SmtpAddress, PortChoosesTheProtocolAndZeroMeansTheSmtpPort)
{
    EXPECT_EQ(TSmtpClient::Url(QStringLiteral("smtp.firma.pl"), 0), QStringLiteral("smtp://smtp.firma.pl:25"));
    EXPECT_EQ(TSmtpClient::Url(QStringLiteral("smtp.firma.pl"), 587), QStringLiteral("smtp://smtp.firma.pl:587"));
    EXPECT_EQ(TSmtpClient::Url(QStringLiteral("smtp.firma.pl"), 465), QStringLiteral("smtps://smtp.firma.pl:465"));
    EXPECT_EQ(TSmtpClient::Url(QStringLiteral("fd00::25"), 25), QStringLiteral("smtp://[fd00::25]:25"));
    // A host that would carry a user or a path into the address is refused before any connection.
    for (const char *host : {"jan@127.0.0.1", "127.0.0.1/x", "127.0.0.1 x"}) {
        TSmtpClient client;
        SmtpServer server;
        server.host = QLatin1String(host);
        EXPECT_FALSE(client.Open(server)) << host;
        EXPECT_EQ(client.LastError(), QStringLiteral("Niepoprawna nazwa serwera w zmiennej \"Host\".")) << host;
    }
}
