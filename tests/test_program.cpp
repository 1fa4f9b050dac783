// The program itself, started as a process: unattended runs and the single-instance rule.
#include "support/Installation.h"
#include "support/MailSettingsSection.h"
#include "support/SmtpRecorder.h"

#include "app/Log.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

using namespace pelk::test;

namespace {

class Program : public ::testing::Test
{
protected:
    void SetUp() override
    {
        inst.WriteSettings({{QStringLiteral("TraceLevel"), QStringLiteral("2")}});
        // The settings file lies beside the executable: run a copy inside the installation.
        exe = inst.Path(QStringLiteral("PelkDataExchanger"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(PELK_EXECUTABLE), exe));
        env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.insert(QStringLiteral("TMPDIR"), inst.dir.path());
    }

    QProcess *Launch(const QStringList &args)
    {
        auto *p = new QProcess;
        p->setProcessEnvironment(env);
        p->setWorkingDirectory(inst.dir.path());
        p->start(exe, args);
        processes.emplace_back(p);
        return p;
    }
    void TearDown() override
    {
        for (auto &p : processes)
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
    }
    QByteArray AllLogs() const
    {
        QDir logs(inst.Path(QStringLiteral("logs")));
        QByteArray all;
        for (const QString &f : logs.entryList({QStringLiteral("*.log")}, QDir::Files))
            all += ReadFileBytes(logs.filePath(f));
        return all;
    }
    QString NewestLog() const
    {
        QDir logs(inst.Path(QStringLiteral("logs")));
        const QStringList files = logs.entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Time);
        return files.isEmpty() ? QString() : QString::fromLatin1(ReadFileBytes(logs.filePath(files.first())));
    }

    Installation inst;
    QString exe;
    QProcessEnvironment env;
    std::vector<std::unique_ptr<QProcess>> processes;
};

} // namespace

TEST_F(Program, UnattendedRunWithoutDisplayWritesItsLogAndEnds)
{
    const QString file = inst.WriteProcessSettings(QStringLiteral("p.xml"), inst.Path(QStringLiteral("work")),
                                                   {{QStringLiteral("Klient"), QStringLiteral("esSysXtoSysY"), 10}});
    QProcess *p = Launch({file, QStringLiteral("auto")});
    ASSERT_TRUE(p->waitForFinished(20000)) << "the unattended run did not end by itself";
    EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p->exitCode(), 0);
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
    const QString file = inst.WriteProcessSettings(QStringLiteral("p.xml"), inst.Path(QStringLiteral("work")),
                                                   {{QStringLiteral("Klient"), QStringLiteral("esSysXtoSysY"), 10}});
    QProcess *p = Launch({file, QStringLiteral("auto")});
    ASSERT_TRUE(p->waitForFinished(20000));
    EXPECT_EQ(p->exitCode(), 0);
    const QList<QJsonObject> mails = server.Messages();
    ASSERT_FALSE(mails.isEmpty()) << NewestLog().toStdString();
    const QString log = pelk::TLog::FromIsoLatin2(NewestLog().toLatin1());
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
    const QByteArray refusal = pelk::TLog::ToIsoLatin2(
        QStringLiteral("*  Nie można uruchomić aplikacji, ponieważ w tle działa już jedna instancja tego programu.\r\n"));
    EXPECT_TRUE(AllLogs().contains(refusal));
    EXPECT_EQ(first->state(), QProcess::Running);
}

TEST_F(Program, UnattendedRunWithBrokenSettingsEndsAtOnceWithAnErrorCode)
{
    const QString file = inst.WriteProcessSettings(QStringLiteral("p.xml"), inst.Path(QStringLiteral("work")),
                                                   {{QStringLiteral("Klient"), QStringLiteral("esSysXtoSysY"), 10}});
    // A working folder on a drive that is not mounted, then no settings file at all: neither
    // run may hang (holding its lock and refusing every later scheduled run).
    inst.WriteSettings({{QStringLiteral("DefaultSubDirWork"), QStringLiteral("/niezamontowany/praca")}});
    QProcess *invalid = Launch({file, QStringLiteral("auto")});
    ASSERT_TRUE(invalid->waitForFinished(20000)) << "an unattended run with invalid settings did not end";
    EXPECT_EQ(invalid->exitCode(), 2);
    EXPECT_TRUE(
        QString::fromUtf8(invalid->readAllStandardError()).contains(QStringLiteral(" Brak domyślnego, roboczego katalogu:")));

    QFile::remove(inst.Path(QStringLiteral("PelkDataExchanger.xml")));
    QProcess *missing = Launch({file, QStringLiteral("auto")});
    ASSERT_TRUE(missing->waitForFinished(20000)) << "an unattended run without settings did not end";
    EXPECT_EQ(missing->exitCode(), 2);
    EXPECT_TRUE(QString::fromUtf8(missing->readAllStandardError()).contains(QStringLiteral(" Brak pliku konfiguracyjnego:")));

    // Nothing was left holding the lock: a run with good settings goes ahead.
    inst.WriteSettings();
    QProcess *good = Launch({file, QStringLiteral("auto")});
    ASSERT_TRUE(good->waitForFinished(20000));
    EXPECT_EQ(good->exitCode(), 0);
    EXPECT_FALSE(QFile::exists(inst.Path(QStringLiteral("PelkDataExchanger.lock"))));
}
