// The program itself, started as a process: unattended runs and the single-instance rule.
#include "support/MailSettingsSection.h"
#include "support/ProgramInstallation.h"
#include "support/SilentPort.h"
#include "support/SmtpRecorder.h"

#include "config/IsoLatin2.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <gtest/gtest.h>
#include <iostream>

using namespace pelk::test;

namespace {

class Program : public ::testing::Test, protected ProgramInstallation
{
protected:
    void SetUp() override
    {
        inst.WriteSettings({{QStringLiteral("TraceLevel"), QStringLiteral("2")}});
        ASSERT_TRUE(QFile::exists(exe));
    }
    // What an unattended start that must fail tells on standard error. It must end by itself:
    // a hanging one holds its lock and refuses every later scheduled run.
    QString FailedStartUp(const QStringList &args)
    {
        QProcess *p = Launch(args);
        EXPECT_TRUE(p->waitForFinished(60000)) << "an unattended run whose start-up failed did not end";
        EXPECT_EQ(p->exitCode(), 2);
        return QString::fromUtf8(p->readAllStandardError());
    }
};

} // namespace

TEST_F(Program, UnattendedRunWithoutDisplayWritesItsLogAndEndsQuietly)
{
    DeployRulesAndStylesheets();
    const QString file = inst.WriteProcessSettings(QStringLiteral("p.xml"), inst.Path(QStringLiteral("work")), {});
    // Outside a desktop session, as under a scheduler.
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    QProcess *p = Launch({file, QStringLiteral("auto")});
    ASSERT_TRUE(p->waitForFinished(20000)) << "the unattended run did not end by itself";
    EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p->exitCode(), 0);
    const QByteArray err = p->readAllStandardError();
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
    const QString log = NewestLog();
    EXPECT_TRUE(log.startsWith(QStringLiteral("*  Start aplikacji: "))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("*  Koniec aplikacji: ")));
    EXPECT_TRUE(log.contains(QStringLiteral("\r\n*  Zako"))); // end of the run
}

TEST_F(Program, AnUnattendedRunMailsItsErrors)
{
    SmtpRecorder server;
    inst.WriteSettings(
        {{QStringLiteral("TraceLevel"), QStringLiteral("2")}, {QStringLiteral("WysylajBledyNaMaila"), QStringLiteral("True")}},
        MailSettingsSection({{"Host", "127.0.0.1"},
                             {"Port", QString::number(server.Port())},
                             {"FromMail", "interfejs@firma.pl"},
                             {"ToMail", "admin@firma.pl"}}));
    // The CRM has no tables: listing the customers fails, and that error is mailed.
    DeployRulesAndStylesheets();
    const QString file = inst.WriteProcessSettings(QStringLiteral("p.xml"), inst.Path(QStringLiteral("work")),
                                                   {{QStringLiteral("Klient"), QStringLiteral("esSysXtoSysY"), 10}});
    QProcess *p = Launch({file, QStringLiteral("auto")});
    ASSERT_TRUE(p->waitForFinished(20000));
    EXPECT_EQ(p->exitCode(), 1); // the list is left for the next run
    const QList<QJsonObject> mails = server.Messages();
    ASSERT_FALSE(mails.isEmpty()) << NewestLog().toStdString();
    const QString log = NewestLog();
    for (const QJsonObject &m : mails)
        EXPECT_TRUE(log.contains(m["subject"].toString().left(30))) << m["subject"].toString().toStdString();
}

TEST_F(Program, SecondInstanceRefusesToRun)
{
    const QString file = inst.WriteProcessSettings(QStringLiteral("p.xml"), inst.Path(QStringLiteral("work")), {});
    QProcess *first = Launch({file});
    ASSERT_TRUE(first->waitForStarted(10000));
    // Wait until the first window is shown, which takes the lock.
    const QString lock = inst.Path(QStringLiteral("PelkDataExchanger.lock"));
    for (int i = 0; i < 200 && !QFile::exists(lock); ++i)
        QThread::msleep(50);
    ASSERT_TRUE(QFile::exists(lock));

    QProcess *second = Launch({file, QStringLiteral("auto")});
    ASSERT_TRUE(second->waitForFinished(20000));
    EXPECT_EQ(second->exitCode(), 3); // a refused start is a failed start
    const QByteArray refusal = pelk::ToIsoLatin2(
        QStringLiteral("*  Nie można uruchomić aplikacji, ponieważ w tle działa już jedna instancja tego programu.\r\n"));
    EXPECT_TRUE(AllLogs().contains(refusal));
    EXPECT_EQ(first->state(), QProcess::Running);
}

TEST_F(Program, UnattendedRunWithBrokenSettingsEndsAtOnceWithAnErrorCode)
{
    const QString file = inst.WriteProcessSettings(QStringLiteral("p.xml"), inst.Path(QStringLiteral("work")),
                                                   {{QStringLiteral("Klient"), QStringLiteral("esSysXtoSysY"), 10}});
    // A working folder on a drive that is not mounted, then no settings file at all.
    inst.WriteSettings({{QStringLiteral("DefaultSubDirWork"), QStringLiteral("/niezamontowany/praca")}});
    EXPECT_TRUE(FailedStartUp({file, QStringLiteral("auto")}).contains(QStringLiteral(" Brak domyślnego, roboczego katalogu:")));
    QFile::remove(inst.Path(QStringLiteral("PelkDataExchanger.xml")));
    EXPECT_TRUE(FailedStartUp({file, QStringLiteral("auto")}).contains(QStringLiteral(" Brak pliku konfiguracyjnego:")));

    // A settings file read only up to a value it cannot take (every key after it would keep
    // its default) names the key, the value and the reason.
    inst.WriteSettings({},
                       QStringLiteral("<property name=\"DSLocateKonfig\" type=\"Object\" class=\"TDSLocateKonfig\">"
                                      "<class classname=\"TDSLocateKonfig\" name=\"DSLocateKonfig\"><properties>"
                                      "<property name=\"SerwerDSLocate\" type=\"Object\" class=\"TDSLKonfiguracjaSerwera\">"
                                      "<class classname=\"TDSLKonfiguracjaSerwera\" name=\"SerwerDSLocate\"><properties>"
                                      "<property name=\"Port\" type=\"Integer\">70000</property>"
                                      "</properties></class></property></properties></class></property>"));
    const QString halfRead = FailedStartUp({file, QStringLiteral("auto")});
    EXPECT_TRUE(halfRead.contains(QStringLiteral(" Błędna wartość klucza \"DSLocateKonfig.SerwerDSLocate.Port\"")))
        << halfRead.toStdString();
    EXPECT_TRUE(halfRead.contains(QStringLiteral("wartość: \"70000\""))) << halfRead.toStdString();

    // A process settings file that is no XML, and a GIS that cannot be reached: each with the
    // message and its reason (the parser's line and column, the driver's diagnostic).
    inst.WriteSettings();
    WriteFileText(inst.Path(QStringLiteral("broken.xml")), QStringLiteral("<classes><class"));
    const QString broken = FailedStartUp({inst.Path(QStringLiteral("broken.xml")), QStringLiteral("auto")});
    EXPECT_TRUE(broken.contains(QStringLiteral(" Błąd ładowania pliku konfiguracyjnego o nazwie ")
                                + inst.Path(QStringLiteral("broken.xml"))))
        << broken.toStdString();
    EXPECT_TRUE(broken.contains(QStringLiteral("(line 1, column "))) << broken.toStdString();
    inst.WriteSettings({{QStringLiteral("DSN_PelkGISTrasar"), QStringLiteral("NoSuchGis")}});
    const QString noGis = FailedStartUp({file, QStringLiteral("auto")});
    EXPECT_TRUE(noGis.contains(QStringLiteral(" Wystąpił błąd podczas podłączenia do bazy danych DSN = NoSuchGis\n      ")))
        << noGis.toStdString();
    EXPECT_TRUE(noGis.contains(QStringLiteral("Data source name not found"))) << noGis.toStdString();

    // Nothing was left holding the lock: a run with good settings goes ahead.
    inst.WriteSettings();
    DeployRulesAndStylesheets();
    QProcess *good = Launch(
        {inst.WriteProcessSettings(QStringLiteral("empty.xml"), inst.Path(QStringLiteral("work")), {}), QStringLiteral("auto")});
    ASSERT_TRUE(good->waitForFinished(20000));
    EXPECT_EQ(good->exitCode(), 0);
    EXPECT_FALSE(QFile::exists(inst.Path(QStringLiteral("PelkDataExchanger.lock"))));
}

TEST_F(Program, AGisServerThatRefusesOrNeverAnswersEndsTheStartWithinTheLoginTimeOut)
{
    const QString file = inst.WriteProcessSettings(QStringLiteral("p.xml"), inst.Path(QStringLiteral("work")),
                                                   {{QStringLiteral("Klient"), QStringLiteral("esSysXtoSysY"), 10}});
    inst.WriteSettings({{QStringLiteral("LimitCzasuLogowania"), QStringLiteral("2")}});
    auto expectReason = [](const QString &err, const char *reason) {
        EXPECT_TRUE(err.contains(QStringLiteral(" Wystąpił błąd podczas podłączenia do bazy danych DSN = GIS\n      ")))
            << err.toStdString();
        EXPECT_TRUE(err.contains(QLatin1String(reason))) << err.toStdString();
    };
    {
        // A SQL Server (through FreeTDS) whose port takes the connection and never answers.
        SilentPort silent;
        inst.odbc.AddFreeTdsDsn(QStringLiteral("GIS"), silent.Port());
        QElapsedTimer waited;
        waited.start();
        expectReason(FailedStartUp({file, QStringLiteral("auto")}), "Timeout expired");
        std::cout << "an unattended start against a silent server ended after " << waited.elapsed() << " ms\n";
    }
    // A port nobody listens on: refused at once.
    int closedPort = 0;
    {
        SilentPort gone;
        closedPort = gone.Port();
    }
    inst.odbc.AddFreeTdsDsn(QStringLiteral("GIS"), closedPort);
    expectReason(FailedStartUp({file, QStringLiteral("auto")}), "Unable to connect to data source");
}

TEST_F(Program, TheCommandLineAnswersWithoutSettingsDisplayOrDataSources)
{
    QFile::remove(inst.Path(QStringLiteral("PelkDataExchanger.xml")));
    DeployRulesAndStylesheets();
    auto answer = [this](const QStringList &args, int code) {
        QProcess *p = Launch(args);
        EXPECT_TRUE(p->waitForFinished(20000)) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(p->exitCode(), code) << args.join(QLatin1Char(' ')).toStdString();
        return std::pair{QString::fromUtf8(p->readAllStandardOutput()), QString::fromUtf8(p->readAllStandardError())};
    };
    const auto [help, helpErr] = answer({QStringLiteral("--help")}, 0);
    for (const char *part :
         {"PelkDataExchanger [process-settings.xml [auto]]", "Exit codes", "ODBCINI", "ODBCSYSINI", "PELK_KEY_FILE", "--dry-run"})
        EXPECT_TRUE(help.contains(QLatin1String(part))) << part;
    EXPECT_TRUE(helpErr.isEmpty()) << helpErr.toStdString();

    // The program's version, then the rules' and each stylesheet's, as the window lists them.
    const QStringList version = answer({QStringLiteral("--version")}, 0).first.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(version.size(), 2 + QDir(inst.Path(QStringLiteral("xsl"))).entryList({QStringLiteral("*.xsl")}).size());
    EXPECT_TRUE(version[0].startsWith(QStringLiteral("PelkDataExchanger 1."))) << version[0].toStdString();
    EXPECT_TRUE(version[1].startsWith(QStringLiteral("ObjectRules.xml 1."))) << version[1].toStdString();
    EXPECT_TRUE(version[2].startsWith(QStringLiteral("Dystrybutor_X2Y.xsl 1."))) << version[2].toStdString();

    // A word the program does not take, and a dry run with nothing to run: the usage, on
    // standard error only.
    for (const QStringList &wrong : {QStringList{QStringLiteral("--verbose")},
                                     QStringList{QStringLiteral("p.xml"), QStringLiteral("auto"), QStringLiteral("-x")},
                                     QStringList{QStringLiteral("--dry-run"), QStringLiteral("p.xml")}}) {
        const auto [out, err] = answer(wrong, 64);
        EXPECT_TRUE(out.isEmpty()) << out.toStdString();
        EXPECT_TRUE(err.contains(QStringLiteral("Usage: PelkDataExchanger"))) << err.toStdString();
    }
    EXPECT_TRUE(LogFiles().isEmpty()) << "an answer of the command line wrote a log";
}

TEST_F(Program, EachStartDeletesTheLogFilesOlderThanTheSettingAndNothingElse)
{
    DeployRulesAndStylesheets();
    const QString file = inst.WriteProcessSettings(QStringLiteral("p.xml"), inst.Path(QStringLiteral("work")), {});
    const QDateTime now = QDateTime::currentDateTime();
    const QString old = now.addDays(-31).toString(QStringLiteral("yyyyMMdd_hhmmss"));
    const QString recent = now.addDays(-29).toString(QStringLiteral("yyyyMMdd_hhmmss"));
    const QStringList doomed = {old + QStringLiteral(".log"), old + QStringLiteral("_2.log")};
    const QStringList kept = {recent + QStringLiteral(".log"), old + QStringLiteral(".log.bak"), QStringLiteral("notatki.log"),
                              QStringLiteral("20261399_000000.log"), old + QStringLiteral(".txt")};
    for (const QString &name : doomed + kept)
        WriteFileText(inst.Path(QStringLiteral("logs/")) + name, QStringLiteral("x"));
    auto run = [&] {
        QProcess *p = Launch({file, QStringLiteral("auto")});
        EXPECT_TRUE(p->waitForFinished(20000));
        return p->exitCode();
    };
    auto present = [this](const QStringList &names) {
        const QStringList files = QDir(inst.Path(QStringLiteral("logs"))).entryList(QDir::Files);
        return std::all_of(names.begin(), names.end(), [&](const QString &n) { return files.contains(n); });
    };

    ASSERT_EQ(run(), 0); // without the setting every file is kept
    EXPECT_TRUE(present(doomed + kept));
    inst.WriteSettings(
        {{QStringLiteral("TraceLevel"), QStringLiteral("2")}, {QStringLiteral("DniPrzechowywaniaLogow"), QStringLiteral("30")}});
    ASSERT_EQ(run(), 0);
    EXPECT_TRUE(present(kept));
    for (const QString &name : doomed)
        EXPECT_FALSE(QFile::exists(inst.Path(QStringLiteral("logs/")) + name)) << name.toStdString();
    // The three kept ".log" files, and the logs of both runs.
    EXPECT_EQ(LogFiles().size(), 5) << LogFiles().join(QLatin1Char(' ')).toStdString();

    inst.WriteSettings({{QStringLiteral("DniPrzechowywaniaLogow"), QStringLiteral("-1")}});
    EXPECT_TRUE(FailedStartUp({file, QStringLiteral("auto")}).contains(QStringLiteral("\"DniPrzechowywaniaLogow\"")));
}
