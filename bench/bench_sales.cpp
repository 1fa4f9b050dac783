// Sales end to end on SQLite: the 58 ERP steps and the element phase (stylesheet, each
// customer's zeroing and attribute writes, the zeroing of the objects no customer set) of a
// run, beside the bare attribute writes of the same values.
// Usage: bench_sales [customers] [lines]   (default 5000 customers, 60000 invoice lines)
#include "DemoInstallation.h"
#include "RoundTrips.h"
#include "support/GisDatabase.h"
#include "support/Installation.h"

#include "app/DM_Main.h"
#include "app/Process.h"
#include "app/Settings.h"
#include "config/Clock.h"
#include "db/Query.h"
#include "engine/Queue.h"
#include "exchange/sales/SalesSql.h"
#include "exchange/sales/SprzedazListQueue.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <cstdio>

using namespace pelk;
using namespace pelk::test;

namespace {

// The queue with its list phase timed.
class TimedSales : public TX2Y_SprzedazListQueue
{
public:
    using TX2Y_SprzedazListQueue::TX2Y_SprzedazListQueue;
    static inline double Steps = 0;
    bool PrepareList() override
    {
        bool ok = false;
        Steps = bench::SecondsOf([&] { ok = TX2Y_SprzedazListQueue::PrepareList(); });
        return ok;
    }
};

struct Bench : bench::DemoInstallation
{
    Bench(int customers, int lines)
    {
        CreateSqliteDatabase(erp, {QStringLiteral("erp.sql")});
        // An item of every product group; one order per line, over the last 13 months, every
        // 50th of type PRX and every 40th line of another facility.
        OdbcEnvironment::ExecSqlite(
            erp,
            QStringLiteral(
                "INSERT INTO MITMAS VALUES ('I00','C10','200',2.5),('I01','C10','202',3),('I02','C10','100',1),('I03','C20','206',1.5),"
                "('I04','C20','207',2),('I05','C20','100',1),('I06','C21','100',4),('I07','C22','100',5),('I08','E30','310',12),"
                "('I09','E31','335',9),('I10','E32','397',11),('I11','E40','322',30),('I12','E30','396',40),('I13','E30','320',25),"
                "('I14','E31','100',1),('I15','C10','100',0.5);"
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < {lines}) "
                "INSERT INTO ODHEAD SELECT printf('O%07d', i), 1, printf('E%05d', (i * 7) % {customers} + 1), "
                "CAST(strftime('%Y%m%d', date('now', '-' || ((i * 7919) % 395) || ' days')) AS INTEGER), "
                "CASE WHEN i % 50 = 0 THEN 'PRX' ELSE 'ZAM' END FROM n;"
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < {lines}) "
                "INSERT INTO ODLINE SELECT printf('O%07d', i), 1, 1, CASE WHEN i % 40 = 0 THEN 'WRO' ELSE 'BPL' END, "
                "printf('I%02d', (i * 31) % 16), ((i * 37) % 5000) / 10.0 + 0.99, (i % 9) + 1 FROM n;")
                .replace(QStringLiteral("{lines}"), QString::number(lines))
                .replace(QStringLiteral("{customers}"), QString::number(customers)));
        // (Texts with printf patterns are filled by replace(), never by arg(), which reads
        // "%02d" as a placeholder.)
        OdbcEnvironment::ExecSqlite(
            inst.gisFile,
            QStringLiteral(
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < {customers}) "
                "INSERT INTO OBIEKT (OB_ID, OB_EXID, OB_ID_SLO_TYP, OB_NAZWA1, OB_AKTYWNY) SELECT i, printf('C%05d', i), 102, 'Klient', 1 FROM n;"
                "INSERT INTO ATRYBUT_OBIEKT (ATO_ID_ATR, ATO_ID_OB, ATO_VAR_TXT) SELECT 7, OB_ID, printf('E%05d', OB_ID) FROM OBIEKT;")
                .replace(QStringLiteral("{customers}"), QString::number(customers)));
    }
};

struct Figure
{
    int attribute, object;
    double value;
};

// Runs f for each customer's (object's) figures in a transaction of its own, as the elements do.
double PerObject(Connection &gis, const QList<Figure> &figures, const std::function<void(const QList<Figure> &)> &f)
{
    return bench::SecondsOf([&] {
        for (qsizetype first = 0; first < figures.size();) {
            qsizetype end = first;
            while (end < figures.size() && figures[end].object == figures[first].object)
                ++end;
            gis.BeginTransaction();
            f(figures.mid(first, end - first));
            gis.EndTransaction(true);
            first = end;
        }
    });
}

void BindFigure(Query &write, const Figure &f)
{
    write.SetParam(QStringLiteral("A"), Variant(f.attribute));
    write.SetParam(QStringLiteral("O"), Variant(f.object));
    write.SetParam(QStringLiteral("W"), Variant(f.value));
}

// The same values inserted directly.
double BareInserts(Connection &gis, const QList<Figure> &figures)
{
    Query write(gis);
    write.SetSQL(QStringLiteral("INSERT INTO ATRYBUT_OBIEKT (ATO_ID_ATR, ATO_ID_OB, ATO_VAR_DEC) VALUES (:A, :O, :W)"));
    return PerObject(gis, figures, [&](const QList<Figure> &object) {
        for (const Figure &f : object) {
            BindFigure(write, f);
            write.ExecSQL();
        }
    });
}

// The same values over the stored ones: each object's figures read, then the changed ones
// updated (a change is logged with its old value, so the old values are read either way).
double BareReadAndUpdate(Connection &gis, const QList<Figure> &figures)
{
    Query read(gis), write(gis);
    read.SetSQL(QStringLiteral("SELECT ATO_ID_ATR, ATO_VAR_DEC FROM ATRYBUT_OBIEKT WHERE ATO_ID_OB = :O AND ")
                + SalesSql::AtrybutySprzedazy(Dialect::SQLite));
    write.SetSQL(QStringLiteral("UPDATE ATRYBUT_OBIEKT SET ATO_VAR_DEC = :W WHERE ATO_ID_ATR = :A AND ATO_ID_OB = :O"));
    return PerObject(gis, figures, [&](const QList<Figure> &object) {
        read.SetParam(QStringLiteral("O"), Variant(object.first().object));
        read.Open();
        QHash<int, double> stored;
        for (read.First(); !read.Eof(); read.Next())
            stored.insert(read.FieldAt(0).Value().toInt(), read.FieldAt(1).Value().toDouble());
        for (const Figure &f : object)
            if (stored.value(f.attribute, -1) != f.value) {
                BindFigure(write, f);
                write.ExecSQL();
            }
    });
}

void run(int customers, int lines)
{
    Bench b(customers, lines);
    const QString process = b.ProcessFile(QStringLiteral("Sprzedaz"));
    TDM_Main dm(b.inst.dir.path(), {process}, nullptr, nullptr);
    std::printf("%d customers, %d invoice lines\n", customers, lines);
    double elementSeconds[2] = {0, 0};
    int elements = 0;
    auto exchange = [&] {
        TQueue queue(dm);
        queue.Objects = dm.SettingsProcess()->ObjectToProcess();
        queue.Execute();
        elements = dm.Process()->TotalElements();
    };
    bench::CountedRun runs[2];
    for (int pass = 0; pass < 2; ++pass) {
        runs[pass] = bench::Counted(QStringLiteral("ERP"), exchange);
        elementSeconds[pass] = runs[pass].seconds - TimedSales::Steps;
        std::printf("  run %d (%s): 58 steps %.2f s; element phase %.2f s, %d customers (%d stored), %.0f customers/s\n",
                    pass + 1, pass == 0 ? "values inserted" : "the same values again", TimedSales::Steps, elementSeconds[pass],
                    elements, dm.Process()->Processed(), elements / elementSeconds[pass]);
    }
    bench::PrintStatements("run 1", "ERP", runs[0], elements);
    bench::PrintStatements("run 2", "ERP", runs[1], elements);
    // Over a LAN the ERP's 58 steps would wait too: only the element phase is reported.
    const bench::CountedRun lan = bench::Counted(QStringLiteral("ERP"), exchange, bench::kLanDelay);
    std::printf("  simulated LAN (%.1f ms a statement): element phase %.2f s  %6.0f customers/s  [run 2 again]\n",
                bench::kLanDelay.count() / 1000.0, lan.seconds - TimedSales::Steps, elements / (lan.seconds - TimedSales::Steps));

    Query read(dm.ADOConnection_PelkGIS);
    read.SetSQL(QStringLiteral("SELECT ATO_ID_ATR, ATO_ID_OB, ATO_VAR_DEC FROM ATRYBUT_OBIEKT WHERE ATO_ID_ATR >= 100 "
                               "AND ATO_VAR_DEC > 0 ORDER BY ATO_ID_OB, ATO_ID_ATR"));
    read.Open();
    QList<Figure> figures;
    for (read.First(); !read.Eof(); read.Next())
        figures.append({read.FieldAt(0).Value().toInt(), read.FieldAt(1).Value().toInt(), read.FieldAt(2).Value().toDouble()});
    read.Close();
    dm.Db().ExecSQLQuery(read, QStringLiteral("DELETE FROM ATRYBUT_OBIEKT WHERE ATO_ID_ATR >= 100"));
    const double inserts = BareInserts(dm.ADOConnection_PelkGIS, figures);
    const double updates = BareReadAndUpdate(dm.ADOConnection_PelkGIS, figures);
    std::printf("  bare writes of the same %d values: inserts %.2f s, read and update of the changed %.2f s\n",
                int(figures.size()), inserts, updates);
    std::printf("  element phase against bare writes: run 1 %.2fx, run 2 %.2fx\n", elementSeconds[0] / inserts,
                elementSeconds[1] / updates);
}

} // namespace

int main(int argc, char *argv[])
{
    PinSystemTimeZone(); // as the program does
    QCoreApplication app(argc, argv);
    QueueFactory::Register(QStringLiteral("Sprzedaz"), true, [](TDM_Main &dm) {
        auto q = std::make_unique<TimedSales>(dm);
        q->SourceConnection = &dm.ADOConnection_Movex;
        q->TargetConnection = &dm.ADOConnection_PelkGIS;
        return std::unique_ptr<TObjectListQueue>(std::move(q));
    });
    run(argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 5000, argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 60000);
    return 0;
}
