// Start-up of the main data module: settings checks, process settings, connections, versions.
#include "support/Installation.h"
#include "support/Unreadable.h"

#include "app/CommandLine.h"
#include "app/DM_Main.h"
#include "app/Log.h"
#include "app/MailHook.h"
#include "app/Process.h"
#include "app/Przelaczniki.h"
#include "app/Settings.h"

#include <QRegularExpression>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace pelk;
using namespace pelk::test;

namespace {

class StartUp : public ::testing::Test
{
protected:
    void SetUp() override { EnsureApplication(); }

    std::unique_ptr<TDM_Main> Start(const QStringList &args = {})
    {
        return std::make_unique<TDM_Main>(inst.dir.path(), args, &pane, nullptr);
    }
    QString LogFileText() const
    {
        const QStringList files = inst.LogFiles();
        return files.size() == 1 ? QString::fromLatin1(ReadFileBytes(inst.Path(QStringLiteral("logs/")) + files.first()))
                                 : QString();
    }

    Installation inst;
    RecordingLogView pane;
};

} // namespace

TEST_F(StartUp, MissingSettingsFileDisablesProcessing)
{
    auto dm = Start();
    EXPECT_FALSE(dm->Process()->CanProcess());
    EXPECT_EQ(dm->Przelaczniki(), nullptr);
    ASSERT_EQ(pane.messages.size(), 2);
    EXPECT_EQ(pane.messages[1].image, 2);
    EXPECT_EQ(
        pane.messages[1].lines,
        QStringList({QStringLiteral(" Brak pliku konfiguracyjnego: "),
                     QStringLiteral("      ") + QDir::toNativeSeparators(inst.Path(QStringLiteral("PelkDataExchanger.xml")))}));
    EXPECT_TRUE(inst.LogFiles().isEmpty());
}

TEST_F(StartUp, InvalidSettingsLogEveryFailureAndWriteNoLogFile)
{
    inst.WriteSettings({{QStringLiteral("TraceLevel"), QStringLiteral("4")},
                        {QStringLiteral("DSN_Movex"), QStringLiteral("-")},
                        {QStringLiteral("TransforSubDir"), QStringLiteral("missing")}});
    auto dm = Start();
    EXPECT_FALSE(dm->Process()->CanProcess());
    const QString text = pane.AllText();
    EXPECT_TRUE(text.contains(QStringLiteral(" Brak katalogu z plikami do transformacji:")));
    EXPECT_TRUE(text.contains(QStringLiteral(" Brak w pliku konfiguracyjnym wartości zmiennej \"DSN_Movex\".")));
    EXPECT_TRUE(
        text.contains(QStringLiteral(" Wartość zmiennej \"TraceLevel\" w pliku konfiguracyjnym poza dozwolonym zakresem.")));
    EXPECT_FALSE(text.contains(QStringLiteral("DSN_Caesar")));
    EXPECT_TRUE(inst.LogFiles().isEmpty());

    Installation zero;
    zero.WriteSettings({{QStringLiteral("TraceLevel"), QStringLiteral("0")}});
    TDM_Main dm0(zero.dir.path(), {}, nullptr, nullptr);
    EXPECT_FALSE(dm0.Process()->CanProcess());
}

TEST_F(StartUp, SettingsFileThatIsNotXmlOrHasWrongTypesIsReported)
{
    WriteFileText(inst.Path(QStringLiteral("PelkDataExchanger.xml")), QStringLiteral("this is not <xml"));
    auto dm = Start();
    EXPECT_FALSE(dm->Process()->CanProcess());
    EXPECT_TRUE(pane.AllText().contains(QStringLiteral(" Wyjątek funkcji TSettingsAplikacji.LoadFromFile ")));
    EXPECT_TRUE(pane.AllText().contains(QStringLiteral("(line 1, column "))) << pane.AllText().toStdString();

    // A file that is there but cannot be read is reported with the system's reason.
    inst.WriteSettings();
    pane.messages.clear();
    WhileUnreadable(inst.Path(QStringLiteral("PelkDataExchanger.xml")), [&] { Start().reset(); });
    EXPECT_TRUE(pane.AllText().contains(QStringLiteral(" Wyjątek funkcji TSettingsAplikacji.LoadFromFile ")));
    EXPECT_TRUE(pane.AllText().contains(QStringLiteral("Permission denied"))) << pane.AllText().toStdString();
    EXPECT_FALSE(pane.AllText().contains(QStringLiteral(" Brak pliku konfiguracyjnego")));

    Installation typed;
    typed.WriteSettings({{QStringLiteral("TraceLevel"), QStringLiteral("three")}});
    RecordingLogView pane2;
    TDM_Main dm2(typed.dir.path(), {}, &pane2, nullptr);
    EXPECT_FALSE(dm2.Process()->CanProcess());
    EXPECT_TRUE(pane2.AllText().contains(QStringLiteral("XML Serializer. Cannot set property value")));
}

TEST_F(StartUp, DefaultStartUsesBuiltInSwitchesAndDefaultWorkFolder)
{
    inst.WriteSettings();
    auto dm = Start();
    ASSERT_TRUE(dm->Process()->CanProcess());
    EXPECT_TRUE(dm->Settings()->property("DefaultSettingsFileName").toString().isEmpty());
    EXPECT_EQ(dm->SettingsProcess()->WorkDirectory, QDir::toNativeSeparators(inst.dir.path()) + QDir::separator() + "work");
    ASSERT_EQ(dm->Przelaczniki()->Items.size(), 5);
    for (const auto &s : dm->Przelaczniki()->Items)
        EXPECT_EQ(s.Stan, esSysXtoSysY) << s.NazwaObiektu.toStdString();
    EXPECT_EQ(dm->Przelaczniki()->Items[3].NazwaObiektu, QStringLiteral("Sprzedaż"));
    EXPECT_EQ(dm->Przelaczniki()->Items[3].NazwaObiektRules, QStringLiteral("Sprzedaz"));
    // The pane's messages so far were copied into the new log file.
    EXPECT_TRUE(LogFileText().startsWith(QStringLiteral("*  Start aplikacji: ")));
}

TEST_F(StartUp, DefaultProcessSettingsFileIsLoaded)
{
    inst.WriteSettings();
    inst.WriteProcessSettings(QStringLiteral("default.xml"), QStringLiteral("/tmp/w"),
                              {{QStringLiteral("Wizyta"), QStringLiteral("esNone"), 10}});
    auto dm = Start();
    ASSERT_EQ(dm->Przelaczniki()->Items.size(), 1);
    EXPECT_EQ(dm->Przelaczniki()->Items[0].Stan, esNone);
    EXPECT_EQ(dm->SettingsProcess()->WorkDirectory, QStringLiteral("/tmp/w"));
}

TEST_F(StartUp, CommandLineLoadsProcessSettingsAndOnlyLowerCaseAutoIsAutomatic)
{
    inst.WriteSettings();
    const QString file = inst.WriteProcessSettings(QStringLiteral("p.xml"), QStringLiteral("/tmp/x"),
                                                   {{QStringLiteral("Klient"), QStringLiteral("esSysXtoSysY"), 15},
                                                    {QStringLiteral("DaneGPS"), QStringLiteral("esNone"), 10}});
    {
        auto dm = Start({file, QStringLiteral("AUTO")});
        EXPECT_FALSE(dm->Log()->Automatic());
        ASSERT_EQ(dm->Przelaczniki()->Items.size(), 2);
        EXPECT_EQ(dm->Przelaczniki()->Items[1].NazwaObiektu, QStringLiteral("DaneGPS"));
        EXPECT_TRUE(pane.AllText().contains(QStringLiteral(" Parametr 1: ") + file));
        EXPECT_TRUE(pane.AllText().contains(QStringLiteral(" Parametr 2: AUTO")));
    }
    auto dm = Start({file, QStringLiteral("auto")});
    EXPECT_TRUE(dm->Log()->Automatic());
    EXPECT_TRUE(dm->Process()->CanProcess());
}

TEST_F(StartUp, ParameterLinesNeedTraceLevelThree)
{
    inst.WriteSettings({{QStringLiteral("TraceLevel"), QStringLiteral("2")}});
    const QString file = inst.WriteProcessSettings(QStringLiteral("p.xml"), QStringLiteral("/tmp/x"), {});
    auto dm = Start({file});
    EXPECT_FALSE(pane.AllText().contains(QStringLiteral("Parametr")));
}

TEST_F(StartUp, BadProcessSettingsFileStillAllowsProcessing)
{
    inst.WriteSettings();
    WriteFileText(inst.Path(QStringLiteral("bad.xml")), QStringLiteral("<classes><class"));
    {
        auto dm = Start({inst.Path(QStringLiteral("bad.xml"))});
        EXPECT_TRUE(dm->Process()->CanProcess());
        EXPECT_TRUE(dm->Przelaczniki()->Items.isEmpty());
        EXPECT_TRUE(pane.AllText().contains(QStringLiteral(" Wyjątek funkcji TSettingsProcess.LoadFromFile ")));
    }
    pane.messages.clear();
    const QString unknown = inst.WriteProcessSettings(QStringLiteral("u.xml"), QStringLiteral("/tmp/x"),
                                                      {{QStringLiteral("Klient"), QStringLiteral("esSideways"), 15}});
    auto dm = Start({unknown});
    EXPECT_TRUE(dm->Process()->CanProcess());
    EXPECT_TRUE(pane.AllText().contains(QStringLiteral("XML Serializer. Cannot set property value")));
    auto missing = Start({inst.Path(QStringLiteral("nope.xml"))});
    EXPECT_TRUE(missing->Process()->CanProcess());
    EXPECT_TRUE(missing->Przelaczniki()->Items.isEmpty());
}

TEST_F(StartUp, GisConnectionDecidesProcessingOthersOnlyLogged)
{
    inst.WriteSettings({{QStringLiteral("DSN_Movex"), QStringLiteral("NoSuchErp")}});
    {
        auto dm = Start();
        EXPECT_TRUE(dm->Process()->CanProcess());
        EXPECT_TRUE(pane.AllText().contains(QStringLiteral(" Wystąpił błąd podczas podłączenia do bazy danych DSN = NoSuchErp")));
        EXPECT_FALSE(dm->ADOConnection_PelkGIS.IsOpen());
    }
    pane.messages.clear();
    inst.WriteSettings({{QStringLiteral("DSN_PelkGISTrasar"), QStringLiteral("NoSuchGis")},
                        {QStringLiteral("DSN_Caesar"), QStringLiteral("NoSuchCrm")}});
    auto dm = Start();
    EXPECT_FALSE(dm->Process()->CanProcess());
    EXPECT_TRUE(pane.AllText().contains(QStringLiteral("DSN = NoSuchGis")));
    EXPECT_FALSE(pane.AllText().contains(QStringLiteral("DSN = NoSuchCrm"))); // not tested after GIS failed
}

TEST_F(StartUp, FolderKeysResolveAgainstProgramFolderUnlessAbsolute)
{
    TSettingsAplikacji s;
    s.AppFolder = QStringLiteral("/opt/pelk/");
    EXPECT_EQ(s.Resolve(QStringLiteral("logs")), QStringLiteral("/opt/pelk/logs"));
    EXPECT_EQ(s.Resolve(QStringLiteral("/var/log/pelk")), QStringLiteral("/var/log/pelk"));
    EXPECT_EQ(s.Resolve(QStringLiteral("C:\\logs")), QStringLiteral("C:\\logs"));
    EXPECT_EQ(s.Resolve(QStringLiteral("\\\\server\\share\\logs")), QStringLiteral("\\\\server\\share\\logs"));
}

TEST_F(StartUp, VersionListingNamesProgramRulesAndStylesheets)
{
    inst.WriteSettings();
    WriteFileText(inst.Path(QStringLiteral("ObjectRules.xml")),
                  QStringLiteral("<?xml version=\"1.0\"?>\n<!-- 2.3 z dnia 2026-12-01 -->\n<classes/>\n"));
    WriteFileText(inst.Path(QStringLiteral("xsl/Klient.xsl")), QStringLiteral("<?xml version=\"1.0\"?>\n<!-- 1.4 -->\n"));
    WriteFileText(inst.Path(QStringLiteral("xsl/Bez.xsl")), QStringLiteral("<?xml version=\"1.0\"?>\n"));
    auto dm = Start();
    pane.messages.clear();
    dm->ShowVersions();
    ASSERT_EQ(pane.messages.size(), 1);
    const QStringList lines = pane.messages[0].lines;
    EXPECT_EQ(lines.value(0), QStringLiteral(" Wersje plików:"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^      Plik: \\S+ wersja: \\d+\\.\\d+\\.\\d+\\.\\d+$"))
                    .match(lines.value(1))
                    .hasMatch())
        << lines.value(1).toStdString();
    EXPECT_EQ(lines.value(2), QStringLiteral("      Plik: ObjectRules.xml 2.3 z dnia 2026-12-01"));
    EXPECT_EQ(lines.value(3), QStringLiteral("      Plik: Klient.xsl 1.4"));
    EXPECT_FALSE(pane.AllText().contains(QStringLiteral("Bez.xsl")));
}

TEST_F(StartUp, GuidsAreBracedUpperCase)
{
    const QString g = TDM_Main::NewGuidString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$"))
                    .match(g)
                    .hasMatch());
    EXPECT_NE(g, TDM_Main::NewGuidString());
}

TEST_F(StartUp, EndOfApplicationIsLogged)
{
    inst.WriteSettings();
    Start().reset();
    EXPECT_TRUE(pane.messages.last().lines.first().startsWith(QStringLiteral(" Koniec aplikacji: ")));
    EXPECT_TRUE(LogFileText().contains(QStringLiteral("*  Koniec aplikacji: ")));
}

namespace {

// A sender whose connecting reports an error through the log, as a real sender's status
// callback does when the mail server is unreachable.
class FailingSender : public IMailSender
{
public:
    explicit FailingSender(TDM_Main *&dm) : m_dm(dm) {}
    bool Connected() const override { return false; }
    bool Connect() override
    {
        ++connects;
        m_dm->MailSenderStatus(QStringLiteral(" Błąd połączenia z serwerem poczty"));
        return false;
    }
    bool Send(const QString &subject) override { return sent << subject, true; }
    bool Disconnect() override { return true; }
    int connects = 0;
    QStringList sent;

private:
    TDM_Main *&m_dm;
};

class WorkingSender : public FailingSender
{
public:
    using FailingSender::FailingSender;
    bool Connect() override { return ++connects, true; }
};

// Throws on its first mail; records whether two mails were ever sent at the same time.
class ThrowingOnceSender : public WorkingSender
{
public:
    using WorkingSender::WorkingSender;
    bool Send(const QString &subject) override
    {
        if (busy.fetch_add(1) != 0)
            overlapped = true;
        QThread::msleep(2);
        sentCount.fetch_add(1);
        busy.fetch_sub(1);
        if (!thrown.exchange(true))
            throw std::runtime_error("serwer poczty zamknął połączenie");
        (void)subject;
        return true;
    }
    std::atomic<int> busy{0}, sentCount{0};
    std::atomic<bool> thrown{false}, overlapped{false};
};

} // namespace

TEST_F(StartUp, ErrorsAreMailedOnceAndAnErrorWhileMailingIsNotMailedAgain)
{
    inst.WriteSettings({{QStringLiteral("WysylajBledyNaMaila"), QStringLiteral("True")}});
    auto dm = Start();
    TDM_Main *raw = dm.get();
    ASSERT_TRUE(dm->Settings()->WysylajBledyNaMaila());

    FailingSender failing(raw);
    dm->SetMailSender(&failing);
    dm->Log()->Error(1, QStringLiteral(" Pierwszy błąd\r\n      druga linia"));
    EXPECT_EQ(failing.connects, 1); // the sender's own error did not start another mail
    EXPECT_TRUE(pane.AllText().contains(QStringLiteral(" Błąd połączenia z serwerem poczty")));
    dm->Log()->Error(1, QStringLiteral(" Błąd w przerwie")); // the sender rests: not mailed either

    // The errors lost meanwhile are told (a warning, not mailed) before the next mail goes out.
    WorkingSender working(raw);
    dm->SetMailSender(&working);
    dm->Log()->Error(1, QStringLiteral(" Drugi błąd\r\n      druga linia"));
    dm->Log()->Warning(1, QStringLiteral(" Ostrzeżenie nie idzie pocztą"));
    EXPECT_EQ(working.sent, QStringList({QStringLiteral(" Drugi błąd       druga linia")}));
    const QString lost = QStringLiteral(" Nie wysłano pocztą e-mail %1 zgłoszonych błędów");
    EXPECT_TRUE(pane.AllText().contains(lost.arg(2))) << pane.AllText().toStdString();

    // Errors still unmailed when the program ends are told at its end.
    dm->SetMailSender(&failing);
    dm->Log()->Error(1, QStringLiteral(" Ostatni błąd"));
    dm.reset();
    EXPECT_TRUE(pane.AllText().contains(lost.arg(1))) << pane.AllText().toStdString();
}

TEST_F(StartUp, AThrowingSenderNeitherEscapesTheLogNorSwitchesMailingOffAndThreadsTakeTurns)
{
    inst.WriteSettings({{QStringLiteral("WysylajBledyNaMaila"), QStringLiteral("True")}});
    auto dm = Start();
    TDM_Main *raw = dm.get();
    ThrowingOnceSender sender(raw);
    dm->SetMailSender(&sender);

    EXPECT_NO_THROW(dm->Log()->Error(1, QStringLiteral(" Pierwszy błąd")));
    EXPECT_TRUE(pane.AllText().contains(QStringLiteral("serwer poczty zamknął połączenie")));
    dm->Log()->Error(1, QStringLiteral(" Drugi błąd")); // mailing is still on
    EXPECT_EQ(sender.sentCount.load(), 2);

    // Errors of a worker thread (the GPS decoder) and of the main thread, at the same time.
    std::thread worker([&] {
        for (int i = 0; i < 20; ++i)
            dm->Log()->Error(1, QStringLiteral(" Błąd wątku %1").arg(i));
    });
    for (int i = 0; i < 20; ++i)
        dm->Log()->Error(1, QStringLiteral(" Błąd główny %1").arg(i));
    worker.join();
    EXPECT_EQ(sender.sentCount.load(), 42);
    EXPECT_FALSE(sender.overlapped.load());
    dm->SetMailSender(nullptr);
}

TEST(CommandLine, OptionsStandAnywhereAndThePositionalFormStaysAsItIs)
{
    struct Case
    {
        QStringList arguments;
        RCommandLine::Action action;
        QStringList positional;
        bool dryRun;
    };
    const QString p = QStringLiteral("p.xml"), a = QStringLiteral("auto");
    const Case cases[] = {
        {{}, RCommandLine::Run, {}, false},
        {{p, a, QStringLiteral("ignored")}, RCommandLine::Run, {p, a, QStringLiteral("ignored")}, false},
        {{QStringLiteral("--dry-run"), p, a}, RCommandLine::Run, {p, a}, true},
        {{p, a, QStringLiteral("--dry-run")}, RCommandLine::Run, {p, a}, true},
        {{p, QStringLiteral("--dry-run")}, RCommandLine::Usage, {p}, true},
        {{QStringLiteral("--"), QStringLiteral("-p.xml"), a}, RCommandLine::Run, {QStringLiteral("-p.xml"), a}, false},
        {{QStringLiteral("-"), a}, RCommandLine::Run, {QStringLiteral("-"), a}, false},
        {{p, QStringLiteral("--help"), QStringLiteral("--bogus")}, RCommandLine::Help, {p}, false},
        {{QStringLiteral("--version")}, RCommandLine::Version, {}, false},
        {{QStringLiteral("--bogus"), QStringLiteral("--help")}, RCommandLine::Usage, {}, false},
        {{QStringLiteral("-v")}, RCommandLine::Usage, {}, false},
    };
    for (const Case &c : cases) {
        const RCommandLine line = ParseCommandLine(c.arguments);
        const std::string name = c.arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(line.action, c.action) << name;
        EXPECT_EQ(line.Positional, c.positional) << name;
        EXPECT_EQ(line.DryRun, c.dryRun) << name;
    }
}
