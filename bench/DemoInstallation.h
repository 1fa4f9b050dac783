#pragma once
// The installation the exchange benches run in, as the demo deploys it: trace level 1, the GIS,
// CRM and ERP SQLite data sources in WAL mode with normal synchronisation, the shipped rules
// and stylesheets, an empty GIS; and the exchange of one kind run as Start runs it.
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
};

} // namespace pelk::bench
