#pragma once
// The installation the exchange benches run in, as the demo deploys it: trace level 1, the GIS,
// CRM and ERP SQLite data sources in WAL mode with normal synchronisation, the shipped rules
// and stylesheets, an empty GIS; and the exchange of one kind run as Start runs it.
#include "RoundTrips.h"
#include "support/GisDatabase.h"
#include "support/Installation.h"

#include "app/DM_Main.h"
#include "app/Process.h"
#include "app/Settings.h"
#include "engine/Queue.h"

#include <QDir>
#include <QFile>

namespace pelk::bench {

struct DemoInstallation
{
    test::Installation inst;
    QString crm = inst.odbc.Folder() + QStringLiteral("/CRM.db");
    QString erp = inst.odbc.Folder() + QStringLiteral("/ERP.db");

    DemoInstallation()
    {
        inst.WriteSettings({{QStringLiteral("TraceLevel"), QStringLiteral("1")}});
        for (const QString &dsn : {QStringLiteral("GIS"), QStringLiteral("CRM"), QStringLiteral("ERP")})
            inst.odbc.AddSqliteDsn(dsn, dsn + QStringLiteral(".db"), QStringLiteral("SyncPragma=NORMAL\nJournalMode=WAL\n"));
        const QString deploy = QStringLiteral(PELK_SOURCE_DIR "/deploy");
        QFile::copy(deploy + QStringLiteral("/ObjectRules.xml"), inst.Path(QStringLiteral("ObjectRules.xml")));
        for (const QString &xsl : QDir(deploy + QStringLiteral("/xsl")).entryList({QStringLiteral("*.xsl")}))
            QFile::copy(deploy + QStringLiteral("/xsl/") + xsl, inst.Path(QStringLiteral("xsl/")) + xsl);
        EmptyGis();
    }
    // A new GIS database with no objects.
    void EmptyGis()
    {
        for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(inst.gisFile + suffix);
        test::CreateGisDatabase(inst.gisFile);
    }
    // The process settings that exchange the kind from the CRM or ERP to the GIS.
    QString ProcessFile(const QString &kind)
    {
        return inst.WriteProcessSettings(QStringLiteral("p.xml"), inst.Path(QStringLiteral("work")),
                                         {{kind, QStringLiteral("esSysXtoSysY"), 10}});
    }
    // One exchange of the process file's kinds with a data module of its own, as Start runs it;
    // the number of elements stored.
    int Exchange(const QString &process)
    {
        TDM_Main dm(inst.dir.path(), {process}, nullptr, nullptr);
        TQueue queue(dm);
        queue.Objects = dm.SettingsProcess()->ObjectToProcess();
        queue.Execute();
        return dm.Process()->Processed();
    }

    // The exchange of `elements` new to the GIS, then with every element changed by the CRM
    // statement, then changed again with every statement held back as a LAN would.
    struct ThreeRuns
    {
        CountedRun added, changed, lan;
    };
    ThreeRuns NewChangedAndOverLan(const QString &process, int elements, const QString &changeInCrm)
    {
        auto exchange = [&] {
            const int stored = Exchange(process);
            if (stored != elements)
                std::printf("  %d of %d stored\n", stored, elements);
        };
        ThreeRuns runs;
        runs.added = Counted(QStringLiteral("CRM"), exchange);
        test::OdbcEnvironment::ExecSqlite(crm, changeInCrm);
        runs.changed = Counted(QStringLiteral("CRM"), exchange);
        test::OdbcEnvironment::ExecSqlite(crm, changeInCrm);
        runs.lan = Counted(QStringLiteral("CRM"), exchange, kLanDelay);
        return runs;
    }
    static void Print(const ThreeRuns &runs, int elements)
    {
        std::printf("  changed:      %7.2f s  %6.0f elements/s  %6.2f ms/element\n", runs.changed.seconds,
                    elements / runs.changed.seconds, 1000 * runs.changed.seconds / elements);
        PrintStatements("new", "CRM", runs.added, elements);
        PrintStatements("changed", "CRM", runs.changed, elements);
        PrintLan("changed", runs.lan, elements);
    }
};

} // namespace pelk::bench
