// Visits end to end on SQLite: visits per second of the whole exchange (list, stage, transform,
// save), the time of each stage measured on its own, and the bare cost of the same GIS writes
// issued directly, one transaction per visit as the exchange commits them.
// Usage: bench_visits [visits]   (default 2000, rounded up to whole days of all 24
// representatives, 5 activities each; one size per process, since the ODBC driver manager
// keeps the data sources it read first)
#include "CrmGenerator.h"
#include "DemoInstallation.h"
#include "DocumentStages.h"
#include "RoundTrips.h"
#include "support/GisDatabase.h"
#include "support/Installation.h"

#include "app/DM_Main.h"
#include "app/Process.h"
#include "app/Settings.h"
#include "config/Clock.h"
#include "db/Query.h"
#include "engine/Queue.h"
#include "engine/Transformation.h"
#include "exchange/ExchangeKinds.h"
#include "exchange/visits/DM_Wizyta.h"
#include "exchange/visits/Pelk_Wizyta.h"
#include "exchange/visits/Zamer_Wizyta.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <cstdio>
#include <ctime>

using namespace pelk;
using namespace pelk::test;

namespace {

constexpr int kStopsPerVisit = 5;

struct Bench : bench::DemoInstallation
{
    explicit Bench(int days)
    {
        CreateSqliteDatabase(crm, {QStringLiteral("crm.sql")});
        demo::CrmGenerator generator(7);
        OdbcEnvironment::ExecSqlite(crm, generator.InitialData(500, 20, QStringLiteral("2026-01-05 08:00:00")));
        demo::CrmGenerator::ActivityPlan plan;
        plan.lastDay = QDate(2026, 3, 31);
        plan.days = days;
        plan.minPerDay = plan.maxPerDay = kStopsPerVisit;
        plan.weekdaysOnly = false;
        OdbcEnvironment::ExecSqlite(crm, generator.Activities(plan));
        FreshGis();
    }
    // The GIS with the representatives and every CRM customer as objects, and no visit.
    void FreshGis()
    {
        EmptyGis();
        OdbcEnvironment::ExecSqlite(inst.gisFile, demo::CrmGenerator::GisRepresentatives());
        OdbcEnvironment::ExecSqlite(
            inst.gisFile,
            QStringLiteral(
                "ATTACH '%1' AS crm; INSERT INTO OBIEKT (OB_EXID, OB_ID_SLO_TYP, OB_NAZWA1, OB_AKTYWNY) "
                "SELECT CustomerNumber, CASE WHEN BusinessLineCODE IN (1567, 1568) THEN 108 ELSE 102 END, ifnull(Name1, '?'), 1 "
                "FROM crm.Customer WHERE Region = 'BPL' AND CustomerNumber IS NOT NULL;")
                .arg(crm));
    }
};

struct Stages
{
    double list = 0, crmRead = 0, xmlWrite = 0, transform = 0, xmlRead = 0, gisSave = 0, gisSaveCpu = 0;
    double Sum() const { return list + crmRead + xmlWrite + transform + xmlRead + gisSave; }
};

// Each stage on its own, over all visits: the list as the queue gathers it, then each visit;
// the saved visits are left in `targets`.
Stages TimeStages(Bench &b, TDM_Main &dm, TDM_Wizyta &wiz, std::vector<std::unique_ptr<TPelk_Wizyta>> &targets)
{
    Stages t;
    std::unique_ptr<TObjectListQueue> queue = QueueFactory::Create(QStringLiteral("Wizyta"), true, dm);
    queue->Rules = std::make_unique<TQueueObjectRules>();
    queue->Rules->ObjectName = QStringLiteral("Wizyta");
    t.list = bench::SecondsOf([&] { queue->PrepareList(); });
    std::vector<std::unique_ptr<TZamer_Wizyta>> sources;
    t.crmRead = bench::SecondsOf([&] {
        for (auto &element : queue->Elements) {
            auto v = std::make_unique<TZamer_Wizyta>(dm, wiz);
            v->Connection = &dm.ADOConnection_Caesar;
            v->LoadObjectData(*element);
            sources.push_back(std::move(v));
        }
    });
    // The stages as the pipeline runs them: documents in memory, a file only where an element
    // stops.
    const bench::StageTimes documents = bench::TimeDocumentStages<TZamer_Wizyta, TPelk_Wizyta>(
        dm, sources, b.inst.Path(QStringLiteral("xsl")), QStringLiteral("Wizyta_X2Y.xsl"),
        [&] { return std::make_unique<TPelk_Wizyta>(dm, wiz); }, targets);
    t.xmlWrite = documents.xmlWrite;
    t.transform = documents.transform;
    t.xmlRead = documents.xmlRead;
    RObiekt element;
    t.gisSave = bench::SecondsOf(
        [&] {
            for (auto &v : targets) {
                v->Connection = &dm.ADOConnection_PelkGIS;
                v->SaveObjectData(element);
            }
        },
        &t.gisSaveCpu);
    return t;
}

// The same rows written directly into an empty GIS, the objects' ids known beforehand, into the
// tables as the exchange names them (on SQLite "dbo" is the database attached to itself), one
// transaction per visit; the wall time, with the CPU time in `cpu`.
double BareWrites(Bench &b, Connection &gis, const std::vector<std::unique_ptr<TPelk_Wizyta>> &targets, double &cpu)
{
    b.FreshGis();
    gis.Close();
    QHash<QString, int> ids;
    for (const QString &row :
         OdbcEnvironment::QuerySqlite(b.inst.gisFile, QStringLiteral("SELECT OB_EXID || '|' || OB_ID FROM OBIEKT;")))
        ids.insert(row.section(QLatin1Char('|'), 0, 0), row.section(QLatin1Char('|'), 1, 1).toInt());
    gis.Open();
    Query visit(gis), stop(gis);
    visit.SetSQL(QStringLiteral("INSERT INTO dbo.WIZYTA (WIZ_ID, WIZ_EXID, WIZ_NAZWA, WIZ_ID_OB, WIZ_DATA, WIZ_ILOSC) "
                                "VALUES (:Id, :Exid, :Nazwa, :Ob, :Data, :Ilosc)"));
    stop.SetSQL(QStringLiteral("INSERT INTO dbo.WIZYTA_OBIEKT (WIO_ID_WIZ, WIO_ID_OB, WIO_SORT, WIO_GODZ_OD, WIO_GODZ_DO, "
                               "WIO_CZAS, WIO_OPIS, WIO_NUM1) VALUES (:Id, :Ob, :Sort, :Od, :Do, :Czas, :Opis, :Num1)"));
    return bench::SecondsOf(
        [&] {
            int id = 0;
            for (auto &v : targets) {
                ++id;
                gis.BeginTransaction();
                visit.SetParam(QStringLiteral("Id"), Variant(id));
                visit.SetParam(QStringLiteral("Exid"), v->EXID);
                visit.SetParam(QStringLiteral("Nazwa"),
                               Variant(v->Data.toString() + QLatin1Char('.') + v->ObiektEXID.toString()));
                visit.SetParam(QStringLiteral("Ob"), Variant(ids.value(v->ObiektEXID.toString())));
                visit.SetParam(QStringLiteral("Data"), Variant(v->Data.toString() + QStringLiteral(" 00:00:00")));
                visit.SetParam(QStringLiteral("Ilosc"), Variant(v->WizytaPozycje()->Count()));
                visit.ExecSQL();
                for (int s = 0; s < v->WizytaPozycje()->Count(); ++s) {
                    const TPelk_WizytaPozycjeCollectionItem *item = v->WizytaPozycje()->Items(s);
                    stop.SetParam(QStringLiteral("Id"), Variant(id));
                    stop.SetParam(QStringLiteral("Ob"), Variant(ids.value(item->ObiektEXID.toString())));
                    stop.SetParam(QStringLiteral("Sort"), Variant(item->Sort));
                    stop.SetParam(QStringLiteral("Od"), item->GodzinaOd);
                    stop.SetParam(QStringLiteral("Do"), item->GodzinaDo);
                    stop.SetParam(QStringLiteral("Czas"), item->Czas);
                    stop.SetParam(QStringLiteral("Opis"), Variant(item->Opis));
                    stop.SetParam(QStringLiteral("Num1"), item->Num1);
                    stop.ExecSQL();
                }
                gis.EndTransaction(true);
            }
        },
        &cpu);
}

void run(int wanted)
{
    const int days = (wanted + demo::CrmGenerator::Users - 1) / demo::CrmGenerator::Users;
    const int visits = days * demo::CrmGenerator::Users;
    Bench b(days);
    const QString process = b.ProcessFile(QStringLiteral("Wizyta"));

    // The whole exchange, as Start runs it: the visits new to the GIS, then each of them
    // changed, then changed again over a simulated LAN.
    const Bench::ThreeRuns runs = b.NewChangedAndOverLan(
        process, visits,
        QStringLiteral("UPDATE Activity SET EndDate = datetime(EndDate, '+5 minutes'), "
                       "UpdateDate = datetime('now', 'localtime');"));
    const double endToEnd = runs.added.seconds;
    const QString stops =
        OdbcEnvironment::QuerySqlite(b.inst.gisFile, QStringLiteral("SELECT count(*) FROM WIZYTA_OBIEKT;")).value(0);

    b.FreshGis();
    TDM_Main dm(b.inst.dir.path(), {process}, nullptr, nullptr);
    TDM_Wizyta wiz(dm);
    std::vector<std::unique_ptr<TPelk_Wizyta>> targets;
    const Stages t = TimeStages(b, dm, wiz, targets);
    double bareCpu = 0;
    const double bare = BareWrites(b, dm.ADOConnection_PelkGIS, targets, bareCpu);

    auto share = [&](double s) { return 100.0 * s / t.Sum(); };
    std::printf("%d visits (%d representatives x %d days), %s stops\n", visits, demo::CrmGenerator::Users, days,
                qPrintable(stops));
    std::printf("  end to end:   %7.2f s  %6.0f visits/s  %6.2f ms/visit  (CPU %.2f s: %.0f visits per CPU second)\n", endToEnd,
                visits / endToEnd, 1000 * endToEnd / visits, runs.added.cpu, visits / runs.added.cpu);
    Bench::Print(runs, visits);
    std::printf("  stages alone: %7.2f s (list %.0f%%, CRM read %.0f%%, XML write %.0f%%, transform %.0f%%, XML read %.0f%%, "
                "GIS save %.0f%%)\n",
                t.Sum(), share(t.list), share(t.crmRead), share(t.xmlWrite), share(t.transform), share(t.xmlRead),
                share(t.gisSave));
    std::printf("  GIS save %.2f s against bare writes %.2f s: ratio %.2f (CPU %.2f s against %.2f s: %.2f); "
                "end to end against bare writes: %.2f\n",
                t.gisSave, bare, t.gisSave / bare, t.gisSaveCpu, bareCpu, t.gisSaveCpu / bareCpu, endToEnd / bare);
}

} // namespace

int main(int argc, char *argv[])
{
    PinSystemTimeZone(); // as the program does
    QCoreApplication app(argc, argv);
    RegisterExchangeKinds();
    run(argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 2000);
    return 0;
}
