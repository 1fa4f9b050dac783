// The real program as a scheduler runs it: the summary lines and exit codes of unattended runs
// over generated CRM and ERP data, and the dry run, which writes nothing and counts what the
// real run after it stores.
#include "support/GisDatabase.h"
#include "support/ProgramInstallation.h"

#include "CrmGenerator.h"
#include "ErpGenerator.h"

#include <QDate>
#include <QDateTime>
#include <QMap>
#include <QRegularExpression>

using namespace pelk;
using namespace pelk::test;

namespace {

constexpr int kCustomers = 40;
constexpr int kDistributors = 3;

// An unattended run's outcome: exit code, standard output lines, standard error.
struct Outcome
{
    int code = -1;
    QStringList lines;
    QString err;
};

// A summary line's figures without its time and without the dry run's mark.
QString Figures(const QString &line)
{
    static const QRegularExpression seconds(QStringLiteral(" seconds=[0-9.]+$"));
    QString figures = line;
    figures.remove(seconds);
    return figures.startsWith(QLatin1String("dry run: ")) ? figures.mid(9) : figures;
}

// The counters of the log's summary for the label, in its order (all, processed, new,
// updated, unchanged, not processed, deleted).
QList<int> LoggedCounters(const QString &log, const QString &label)
{
    const qsizetype at = log.indexOf(QStringLiteral(" Przetworzono obiekt: ") + label + QStringLiteral("\r\n"));
    if (at < 0)
        return {};
    const QString block = log.mid(at, log.indexOf(QStringLiteral("\r\n\r\n"), at) - at);
    QList<int> counters;
    static const QRegularExpression number(QStringLiteral(": (\\d+)"));
    for (auto it = number.globalMatch(block); it.hasNext();)
        counters << it.next().captured(1).toInt();
    return counters;
}

class Unattended : public ::testing::Test, protected ProgramInstallation
{
protected:
    void SetUp() override
    {
        PrepareExchange();
        OdbcEnvironment::ExecSqlite(inst.gisFile, demo::CrmGenerator::GisRepresentatives());
    }

    Outcome Run(const QStringList &args)
    {
        QProcess *p = Launch(args);
        EXPECT_TRUE(p->waitForFinished(180000)) << "an unattended run did not end";
        Outcome outcome;
        outcome.code = p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
        outcome.lines = QString::fromUtf8(p->readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        outcome.err = QString::fromUtf8(p->readAllStandardError());
        return outcome;
    }
    // The CRM and ERP with generated customers, distributors and their orders.
    void FillSources()
    {
        CreateSqliteDatabase(Db(QStringLiteral("CRM")), {QStringLiteral("crm.sql")});
        CreateSqliteDatabase(Db(QStringLiteral("ERP")), {QStringLiteral("erp.sql")});
        OdbcEnvironment::ExecSqlite(Db(QStringLiteral("CRM")),
                                    crm.InitialData(kCustomers, kDistributors, QStringLiteral("2026-01-05 08:00:00")));
        OdbcEnvironment::ExecSqlite(Db(QStringLiteral("ERP")),
                                    demo::ErpGenerator(5).InitialData(kCustomers + kDistributors, QDate::currentDate()));
    }
    // The summary line of the label among the lines; empty when there is none.
    static QString LineOf(const Outcome &outcome, const QString &kind)
    {
        const QString head = kind + QStringLiteral(" transfer do systemu Pelk·GIS Trasar: ");
        for (const QString &line : outcome.lines)
            if (line.startsWith(head) || line.startsWith(QStringLiteral("dry run: ") + head))
                return line;
        return QString();
    }
    // The line's value of the key ("listed", "new", ...).
    static int Figure(const QString &line, const QString &key)
    {
        const QRegularExpression re(QStringLiteral(" %1=(\\d+)").arg(key));
        return re.match(line).captured(1).toInt();
    }

    demo::CrmGenerator crm{7};
};

} // namespace

TEST_F(Unattended, ASummaryLinePerKindAndAnExitCodeThatSaysWhatIsLeftForTheNextRun)
{
    const QString customers = ProcessSettings({QStringLiteral("Klient"), QStringLiteral("Dystrybutor")});
    // The CRM has no tables: neither list can be read, and the next run must list them.
    const Outcome unreadable = Run({customers, QStringLiteral("auto")});
    EXPECT_EQ(unreadable.code, 1);
    ASSERT_EQ(unreadable.lines.size(), 2) << unreadable.lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(Figures(unreadable.lines[0]).toStdString(),
              "Klient transfer do systemu Pelk·GIS Trasar: listed=0 new=0 updated=0 unchanged=0 refused=0 failed=0");
    EXPECT_TRUE(unreadable.err.contains(QStringLiteral("left work for the next run"))) << unreadable.err.toStdString();

    // Every customer listed is stored or refused for its data (a few generated ones have no
    // name): the run is complete, and its lines carry the figures of the log's summaries.
    FillSources();
    const Outcome complete = Run({customers, QStringLiteral("auto")});
    EXPECT_EQ(complete.code, 0) << complete.err.toStdString();
    EXPECT_TRUE(complete.err.isEmpty()) << complete.err.toStdString();
    const QString log = NewestLog();
    for (const QString &kind : {QStringLiteral("Klient"), QStringLiteral("Dystrybutor")}) {
        const QString line = LineOf(complete, kind);
        ASSERT_FALSE(line.isEmpty()) << complete.lines.join(QLatin1Char('\n')).toStdString();
        EXPECT_GT(Figure(line, QStringLiteral("new")), 0) << line.toStdString();
        EXPECT_EQ(Figure(line, QStringLiteral("failed")), 0) << line.toStdString();
        const QList<int> logged = LoggedCounters(log, kind + QStringLiteral(" transfer do systemu Pelk·GIS Trasar"));
        ASSERT_EQ(logged.size(), 7) << log.toStdString();
        EXPECT_EQ(logged[0], Figure(line, QStringLiteral("listed")));
        EXPECT_EQ(logged[2], Figure(line, QStringLiteral("new")));
        EXPECT_EQ(logged[3], Figure(line, QStringLiteral("updated")));
        EXPECT_EQ(logged[4], Figure(line, QStringLiteral("unchanged")));
        EXPECT_EQ(logged[5], Figure(line, QStringLiteral("refused")) + Figure(line, QStringLiteral("failed")));
    }
    EXPECT_GT(Figure(LineOf(complete, QStringLiteral("Klient")), QStringLiteral("refused")), 0);

    // Changed customers whose GIS rows a lock refuses: each is lost to a database error and
    // left for the next run.
    OdbcEnvironment::ExecSqlite(
        Db(QStringLiteral("CRM")),
        crm.Changes(8, kCustomers, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))));
    OdbcEnvironment::ExecSqlite(inst.gisFile,
                                QStringLiteral("CREATE TRIGGER lock BEFORE UPDATE ON OBIEKT"
                                               " BEGIN SELECT RAISE(ABORT, 'database is locked'); END;"));
    const Outcome locked = Run({customers, QStringLiteral("auto")});
    EXPECT_EQ(locked.code, 1);
    EXPECT_GT(Figure(LineOf(locked, QStringLiteral("Klient")), QStringLiteral("failed")), 0)
        << locked.lines.join(QLatin1Char('\n')).toStdString();
}

TEST_F(Unattended, ADryRunWritesNothingAndCountsWhatTheRunAfterItStores)
{
    FillSources();
    ASSERT_EQ(Run({ProcessSettings({QStringLiteral("Klient"), QStringLiteral("Dystrybutor")}), QStringLiteral("auto")}).code, 0);
    OdbcEnvironment::ExecSqlite(inst.gisFile, demo::ErpGenerator::ErpIdsForGis(kCustomers + kDistributors));
    const QString sales = ProcessSettings({QStringLiteral("Sprzedaz")});
    ASSERT_EQ(Run({sales, QStringLiteral("auto")}).code, 0);

    // Since then: changed customers, the representatives' visits, other invoiced lines. The
    // working folder holds the files the GIS refused and a sales file of a crashed run.
    const QString now = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    OdbcEnvironment::ExecSqlite(Db(QStringLiteral("CRM")), crm.Changes(10, kCustomers + kDistributors, now));
    demo::CrmGenerator::ActivityPlan plan;
    plan.lastDay = QDate::currentDate().addDays(-1);
    plan.days = 3;
    OdbcEnvironment::ExecSqlite(Db(QStringLiteral("CRM")), crm.Activities(plan));
    OdbcEnvironment::ExecSqlite(Db(QStringLiteral("ERP")),
                                QStringLiteral("UPDATE ODLINE SET UBLNAM = UBLNAM * 2 WHERE rowid % 3 = 0;"));
    WriteFileText(inst.Path(QStringLiteral("work/Sprzedaz_SysX__{00000000-0000-0000-0000-000000000001}.xml")),
                  QStringLiteral("<classes/>"));
    auto workFolder = [this] {
        QMap<QString, QByteArray> files;
        const QDir work(inst.Path(QStringLiteral("work")));
        for (const QString &file : work.entryList(QDir::Files | QDir::Hidden))
            files.insert(file, ReadFileBytes(work.filePath(file)));
        return files;
    };
    const QByteArray gisBefore = ReadFileBytes(inst.gisFile);
    const QMap<QString, QByteArray> workBefore = workFolder();
    ASSERT_FALSE(workBefore.isEmpty());

    const QString all = ProcessSettings(
        {QStringLiteral("Klient"), QStringLiteral("Dystrybutor"), QStringLiteral("Wizyta"), QStringLiteral("Sprzedaz")});
    const Outcome dry = Run({QStringLiteral("--dry-run"), all, QStringLiteral("auto")});
    EXPECT_EQ(dry.code, 0) << dry.err.toStdString();
    EXPECT_TRUE(ReadFileBytes(inst.gisFile) == gisBefore) << "a dry run changed the GIS database";
    EXPECT_EQ(workFolder(), workBefore) << "a dry run changed the working folder";
    EXPECT_TRUE(NewestLog().contains(QStringLiteral(" Przebieg próbny: ")));

    const Outcome real = Run({all, QStringLiteral("auto")});
    EXPECT_EQ(real.code, 0) << real.err.toStdString();
    ASSERT_EQ(dry.lines.size(), 4) << dry.lines.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(real.lines.size(), 4) << real.lines.join(QLatin1Char('\n')).toStdString();
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(dry.lines[i].startsWith(QStringLiteral("dry run: "))) << dry.lines[i].toStdString();
        EXPECT_EQ(Figures(dry.lines[i]).toStdString(), Figures(real.lines[i]).toStdString());
    }
    // The run after it did store: the counts above are no zeros of a run that did nothing.
    EXPECT_GT(Figure(LineOf(real, QStringLiteral("Wizyta")), QStringLiteral("new")), 0);
    EXPECT_GT(Figure(LineOf(real, QStringLiteral("Sprzedaz")), QStringLiteral("updated")), 0);
    EXPECT_FALSE(ReadFileBytes(inst.gisFile) == gisBefore);
}
