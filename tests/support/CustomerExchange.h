#pragma once
// The customer and distributor exchange set up end to end: an installation with the shipped
// rules and stylesheets, GIS and CRM databases from the shipped SQLite scripts, the real
// queues, and helpers to fill the CRM, run the exchange and read what landed.
#include "support/GisDatabase.h"
#include "support/Installation.h"
#include "support/RunSummary.h"

#include "app/DM_Main.h"
#include "app/Process.h"
#include "app/Settings.h"
#include "engine/Queue.h"
#include "exchange/customers/ObiektListQueue.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace pelk::test {

class CustomerExchange : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureApplication();
        inst.WriteSettings({{QStringLiteral("TraceLevel"), QStringLiteral("3")}});
        CreateGisDatabase(inst.gisFile);
        CreateSqliteDatabase(Crm(), {QStringLiteral("crm.sql")});
        const QString deploy = QStringLiteral(PELK_SOURCE_DIR "/deploy");
        QFile::copy(deploy + QStringLiteral("/ObjectRules.xml"), inst.Path(QStringLiteral("ObjectRules.xml")));
        for (const QString &xsl : QDir(deploy + QStringLiteral("/xsl")).entryList({QStringLiteral("*.xsl")}))
            QFile::copy(deploy + QStringLiteral("/xsl/") + xsl, inst.Path(QStringLiteral("xsl/")) + xsl);
        Crm(QStringLiteral(
            "INSERT INTO Code VALUES (101, 'Kategoria A', '2026-01-01 00:00:00'), (102, 'Kategoria B', '2026-01-01 00:00:00'),"
            " (1501, 'Handel detaliczny', '2026-01-01 00:00:00'), (1567, 'Dystrybutor hurtowy', '2026-01-01 00:00:00'),"
            " (2201, 'Opieka stała', '2026-01-01 00:00:00');"
            "INSERT INTO CaesarUser VALUES (7, 'Łucja', 'Żółkiewska');"));
        RegisterCustomerQueues();
        Objects({{QStringLiteral("Klient"), QStringLiteral("esSysXtoSysY"), 10},
                 {QStringLiteral("Dystrybutor"), QStringLiteral("esSysXtoSysY"), 10}});
    }
    void TearDown() override
    {
        for (const char *name : {"Klient", "Dystrybutor"})
            for (bool direction : {true, false})
                QueueFactory::Unregister(QString::fromLatin1(name), direction);
    }

    QString Crm() const { return inst.odbc.Folder() + QStringLiteral("/CRM.db"); }
    void Crm(const QString &sql) const { OdbcEnvironment::ExecSqlite(Crm(), sql); }
    QStringList Gis(const QString &sql) const { return OdbcEnvironment::QuerySqlite(inst.gisFile, sql); }
    void Customer(int id, const QString &number, const QString &name, int line = 1501, int rating = 101,
                  const QString &updated = QStringLiteral("2026-02-01 10:00:00"))
    {
        QString n = name;
        Crm(QStringLiteral("INSERT INTO Customer VALUES (%1, '%2', 'BPL', '%3', 'ul. Długa 1', '00-950', 'Warszawa', %4, %5, "
                           "'2026-01-02 08:00:00', '%6');"
                           "INSERT INTO relCaesarUserCustomer VALUES (%1, 7, 2112, 2201, '2026-01-02 08:00:00');")
                .arg(id).arg(number, n.replace(QLatin1Char('\''), QLatin1String("''"))).arg(rating).arg(line).arg(updated));
    }
    void Objects(const QList<std::tuple<QString, QString, int>> &items)
    {
        settingsFile = inst.WriteProcessSettings(QStringLiteral("p.xml"), inst.Path(QStringLiteral("work")), items);
        dm.reset();
    }
    TDM_Main &Dm()
    {
        if (!dm)
            dm = std::make_unique<TDM_Main>(inst.dir.path(), QStringList{settingsFile}, &pane, nullptr);
        return *dm;
    }
    void RunExchange()
    {
        pane.messages.clear();
        TQueue queue(Dm());
        queue.Objects = Dm().SettingsProcess()->ObjectToProcess();
        queue.Execute();
    }
    QString Watermark(const char *key) const
    {
        return Gis(QStringLiteral("SELECT SLO_TXT1 FROM SLOWNIK WHERE SLO_NAZWA = '%1';").arg(QLatin1String(key))).value(0);
    }
    QStringList WorkFiles() const { return QDir(inst.Path(QStringLiteral("work"))).entryList(QDir::Files); }
    QString Pane() const { return pane.AllText(); }
    std::string Summary(const QString &kind) const { return RunSummary(pane, kind); }
    static std::string Counts(int all, int done, int added, int updated, int unchanged, int failed)
    {
        return SummaryCounts(all, done, added, updated, unchanged, failed);
    }

    Installation inst;
    RecordingLogView pane;
    QString settingsFile;
    std::unique_ptr<TDM_Main> dm;
};


} // namespace pelk::test
