// The real program killed (SIGKILL) at points of a customer, visit and sales run, then run to
// its end: the GIS ends exactly as after an undisturbed run, no staged file is half written,
// and no sales figure ever shows a value the ERP does not say (neither 0 nor a mix).
#include "support/GisDatabase.h"
#include "support/ProgramInstallation.h"

#include "CrmGenerator.h"
#include "ErpGenerator.h"

#include <QDate>
#include <QDateTime>
#include <QMap>
#include <QRegularExpression>
#include <csignal>

using namespace pelk;
using namespace pelk::test;

namespace {

constexpr int kCustomers = 120;
constexpr int kDistributors = 8;

// Where a run is killed: after `kindsDone` kinds ended, at its `element`-th element (0: as
// soon as the next kind began).
struct KillPoint
{
    int kindsDone;
    int element;
};

class Crash : public ::testing::Test, protected ProgramInstallation
{
protected:
    void SetUp() override
    {
        PrepareExchange();
        CreateSqliteDatabase(Db(QStringLiteral("CRM")), {QStringLiteral("crm.sql")});
        CreateSqliteDatabase(Db(QStringLiteral("ERP")), {QStringLiteral("erp.sql")});
        demo::CrmGenerator crm(11);
        OdbcEnvironment::ExecSqlite(Db(QStringLiteral("CRM")),
                                    crm.InitialData(kCustomers, kDistributors, QStringLiteral("2026-01-05 08:00:00")));
        OdbcEnvironment::ExecSqlite(inst.gisFile, demo::CrmGenerator::GisRepresentatives());
        const QDate today = QDate::currentDate();
        OdbcEnvironment::ExecSqlite(Db(QStringLiteral("ERP")),
                                    demo::ErpGenerator(11).InitialData(kCustomers + kDistributors, today));

        // An earlier exchange: the customers, their ERP numbers, the sales figures of that time.
        ASSERT_EQ(Run(ProcessSettings({QStringLiteral("Klient"), QStringLiteral("Dystrybutor")})), 0);
        OdbcEnvironment::ExecSqlite(inst.gisFile, demo::ErpGenerator::ErpIdsForGis(kCustomers + kDistributors));
        ASSERT_EQ(Run(ProcessSettings({QStringLiteral("Sprzedaz")})), 0);
        before = SalesFigures();
        ASSERT_FALSE(before.isEmpty());

        // Since then: changed customers, the representatives' visits, other invoiced lines.
        OdbcEnvironment::ExecSqlite(Db(QStringLiteral("CRM")),
                                    crm.Changes(30, kCustomers + kDistributors,
                                                QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))));
        demo::CrmGenerator::ActivityPlan plan;
        plan.lastDay = today.addDays(-1);
        plan.days = 3;
        OdbcEnvironment::ExecSqlite(Db(QStringLiteral("CRM")), crm.Activities(plan));
        OdbcEnvironment::ExecSqlite(Db(QStringLiteral("ERP")),
                                    QStringLiteral("UPDATE ODLINE SET UBLNAM = UBLNAM * 2 WHERE rowid % 3 = 0;"
                                                   "DELETE FROM ODLINE WHERE rowid % 11 = 0;"));
        // The state both scenarios start from: the GIS and the files the earlier runs left.
        pristine = inst.Path(QStringLiteral("pristine"));
        ASSERT_TRUE(QDir().mkpath(pristine));
        ASSERT_TRUE(QFile::copy(inst.gisFile, pristine + QStringLiteral("/GIS.db")));
        for (const QString &file : QDir(inst.Path(QStringLiteral("work"))).entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(inst.Path(QStringLiteral("work/")) + file, pristine + QLatin1Char('/') + file));
        all = ProcessSettings(
            {QStringLiteral("Klient"), QStringLiteral("Dystrybutor"), QStringLiteral("Wizyta"), QStringLiteral("Sprzedaz")});
    }

    // One unattended run to its end; its exit code.
    int Run(const QString &settings)
    {
        QProcess *p = Launch({settings, QStringLiteral("auto")});
        EXPECT_TRUE(p->waitForFinished(180000)) << "an unattended run did not end";
        return p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
    }
    // One unattended run of every kind, killed at the point; false when it ended before.
    bool RunKilledAt(const KillPoint &point)
    {
        const QStringList logsBefore = LogFiles();
        QProcess *p = Launch({all, QStringLiteral("auto")});
        QFile log;
        QByteArray text;
        while (!p->waitForFinished(1)) {
            if (!log.isOpen()) {
                QStringList added = LogFiles();
                for (const QString &old : logsBefore)
                    added.removeAll(old);
                if (added.isEmpty())
                    continue;
                log.setFileName(inst.Path(QStringLiteral("logs/")) + added.first());
                log.open(QIODevice::ReadOnly);
            }
            text += log.readAll();
            if (Reached(text, point)) {
                ::kill(pid_t(p->processId()), SIGKILL);
                p->waitForFinished(30000);
                return p->exitStatus() == QProcess::CrashExit;
            }
        }
        return false;
    }
    static bool Reached(const QByteArray &log, const KillPoint &point)
    {
        qsizetype at = 0;
        for (int done = 0; done < point.kindsDone; ++done) {
            at = log.indexOf(" Przetworzono obiekt: ", at);
            if (at < 0)
                return false;
            ++at;
        }
        for (int element = 0; element < point.element; ++element) {
            at = log.indexOf(" Przetwarzany element: ", at);
            if (at < 0)
                return false;
            ++at;
        }
        return true;
    }

    QStringList Gis(const QString &sql) const { return OdbcEnvironment::QuerySqlite(inst.gisFile, sql); }
    // What the exchange kinds stored, without the database's own keys (which differ with the
    // order elements are stored in) and the last-exchange times.
    QStringList Content() const
    {
        QStringList rows;
        for (const char *sql :
             {"SELECT OB_EXID, OB_ID_SLO_TYP, OB_NAZWA1, OB_NAZWA2, OB_NAZWA3, OB_X_KM, OB_Y_KM, OB_X_STO, OB_Y_STO,"
              " OB_AKTYWNY, OB_MAP1 FROM OBIEKT ORDER BY 1, 2, 3",
              "SELECT o.OB_EXID, o.OB_ID_SLO_TYP, ADR_AKTYWNY, ADR_ID_SLO_TYP, ADR_KRAJ, ADR_KOD, ADR_MIASTO, ADR_ULICA,"
              " ADR_NUMER1, ADR_NUMER2 FROM ADRES JOIN OBIEKT o ON o.OB_ID = ADR_ID_OB ORDER BY 1, 2, 3, 4, 5, 6, 7, 8",
              "SELECT o.OB_EXID, o.OB_ID_SLO_TYP, ATO_ID_ATR, ATO_VAR_NUM, ATO_VAR_TXT, ATO_VAR_DATA, ATO_VAR_DEC"
              " FROM ATRYBUT_OBIEKT JOIN OBIEKT o ON o.OB_ID = ATO_ID_OB ORDER BY 1, 2, 3",
              "SELECT UPR_ID_UZYTKOWNIK, o.OB_EXID, o.OB_ID_SLO_TYP, UPR_WIDOCZNOSC, UPR_ZARZADZANIE FROM UPRAWNIENIA"
              " JOIN OBIEKT o ON o.OB_ID = UPR_ID_OBIEKT ORDER BY 1, 2, 3",
              "SELECT WIZ_EXID, WIZ_NAZWA, o.OB_EXID, WIZ_DATA, WIZ_DLUGOSC, WIZ_CZAS, WIZ_ILOSC FROM WIZYTA"
              " JOIN OBIEKT o ON o.OB_ID = WIZ_ID_OB ORDER BY 1, 2",
              "SELECT w.WIZ_EXID, o.OB_EXID, o.OB_ID_SLO_TYP, WIO_SORT, WIO_GODZ_OD, WIO_GODZ_DO, WIO_CZAS, WIO_OPIS, WIO_NUM1"
              " FROM WIZYTA_OBIEKT JOIN WIZYTA w ON w.WIZ_ID = WIO_ID_WIZ JOIN OBIEKT o ON o.OB_ID = WIO_ID_OB"
              " ORDER BY 1, 2, 3, 4",
              "SELECT a.OB_EXID, b.OB_EXID, OBR_ID_SLO_TYP, OBR_ID_SLO_ZRODLO FROM OBIEKT_RELACJA"
              " JOIN OBIEKT a ON a.OB_ID = OBR_ID_OB1 JOIN OBIEKT b ON b.OB_ID = OBR_ID_OB2 ORDER BY 1, 2, 3",
              "SELECT SLO_ID_KAT, SLO_NAZWA, SLO_SORT, SLO_AKTYWNY, SLO_NUM1, SLO_NUM2, SLO_TXT2,"
              " CASE WHEN SLO_NAZWA LIKE 'interfejs_transport_%' THEN '' ELSE SLO_TXT1 END FROM SLOWNIK ORDER BY 1, 2"})
            rows += Gis(QString::fromLatin1(sql));
        return rows;
    }
    // Every object's sales figures: "exid|type|attribute" to value.
    QMap<QString, QString> SalesFigures() const
    {
        QMap<QString, QString> figures;
        for (const QString &row :
             Gis(QStringLiteral("SELECT o.OB_EXID || '|' || o.OB_ID_SLO_TYP || '|' || ATO_ID_ATR, ATO_VAR_DEC FROM ATRYBUT_OBIEKT"
                                " JOIN OBIEKT o ON o.OB_ID = ATO_ID_OB WHERE ATO_ID_ATR BETWEEN 100 AND 223"
                                " OR ATO_ID_ATR BETWEEN 500 AND 623")))
            figures.insert(row.section(QLatin1Char('|'), 0, 2), row.section(QLatin1Char('|'), 3));
        return figures;
    }
    // The staged files, without their unique part ("<stage name> <ObjectID>"), and the
    // temporary files a crash may leave.
    QStringList Staged() const
    {
        static const QRegularExpression id(QStringLiteral("name=\"ObjectID\"[^>]*>([^<]*)<"));
        QStringList staged;
        const QDir work(inst.Path(QStringLiteral("work")));
        for (const QString &file : work.entryList(QDir::Files))
            staged += file.endsWith(QLatin1String(".part")) ? file
                                                            : file.section(QStringLiteral("__"), 0, 0) + QLatin1Char(' ')
                    + id.match(ReadFileText(work.filePath(file))).captured(1);
        staged.sort();
        return staged;
    }

    QString pristine, all;
    QMap<QString, QString> before;
};

// A figure shown is the one before the run or the one the run computes, never another.
::testing::AssertionResult FiguresAreOldOrNew(const QMap<QString, QString> &now, const QMap<QString, QString> &before,
                                              const QMap<QString, QString> &after)
{
    QStringList keys = now.keys() + before.keys() + after.keys();
    keys.removeDuplicates();
    for (const QString &key : keys) {
        const QString value = now.value(key, QStringLiteral("-")), old = before.value(key, QStringLiteral("-")),
                      computed = after.value(key, QStringLiteral("-"));
        if (value != old && value != computed)
            return ::testing::AssertionFailure()
                << key.toStdString() << " shows " << value.toStdString() << ", neither " << old.toStdString() << " (before) nor "
                << computed.toStdString() << " (computed)";
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST_F(Crash, KilledRunsOfEveryKindEndAsAnUndisturbedRunAndFiguresAreNeverWrongMeanwhile)
{
    // The undisturbed run, on a copy of the same databases.
    ASSERT_EQ(Run(all), 0);
    const QStringList expected = Content();
    const QMap<QString, QString> computed = SalesFigures();
    const QStringList staged = Staged();
    ASSERT_NE(computed, before) << "the ERP's changes must change figures";
    ASSERT_TRUE(staged.filter(QStringLiteral(".part")).isEmpty());

    QFile::remove(inst.gisFile);
    ASSERT_TRUE(QFile::copy(pristine + QStringLiteral("/GIS.db"), inst.gisFile));
    QDir work(inst.Path(QStringLiteral("work")));
    for (const QString &file : work.entryList(QDir::Files))
        work.remove(file);
    for (const QString &file : QDir(pristine).entryList({QStringLiteral("*.xml")}, QDir::Files))
        ASSERT_TRUE(QFile::copy(pristine + QLatin1Char('/') + file, work.filePath(file)));

    // Customers, distributors, visits, then sales: while it computes its steps, and in its
    // elements.
    const KillPoint points[] = {{0, 25}, {1, 3}, {2, 20}, {3, 0}, {3, 30}, {3, 100}};
    for (const KillPoint &point : points) {
        SCOPED_TRACE(testing::Message() << "killed after " << point.kindsDone << " kinds at element " << point.element);
        ASSERT_TRUE(RunKilledAt(point)) << "the run ended before the point it was to be killed at";
        EXPECT_TRUE(FiguresAreOldOrNew(SalesFigures(), before, computed));
    }
    ASSERT_EQ(Run(all), 0);
    EXPECT_EQ(Content(), expected);
    EXPECT_EQ(Staged().join(QLatin1Char('\n')).toStdString(), staged.join(QLatin1Char('\n')).toStdString());
}
