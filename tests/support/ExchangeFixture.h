#pragma once
// An installation for end-to-end tests of an exchange kind: the shipped rules and stylesheets,
// the GIS database from the shipped scripts, a recording log pane, the main data module over a
// process settings file, runs of the queue driver, and what they leave.
#include "support/GisDatabase.h"
#include "support/Installation.h"
#include "support/RunSummary.h"

#include "app/DM_Main.h"
#include "app/Process.h"
#include "app/Settings.h"
#include "engine/Queue.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace pelk::test {

class ExchangeFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureApplication();
        CreateGisDatabase(inst.gisFile);
        const QString deploy = QStringLiteral(PELK_SOURCE_DIR "/deploy");
        QFile::copy(deploy + QStringLiteral("/ObjectRules.xml"), inst.Path(QStringLiteral("ObjectRules.xml")));
        for (const QString &xsl : QDir(deploy + QStringLiteral("/xsl")).entryList({QStringLiteral("*.xsl")}))
            QFile::copy(deploy + QStringLiteral("/xsl/") + xsl, inst.Path(QStringLiteral("xsl/")) + xsl);
    }

    QString Crm() const { return inst.odbc.Folder() + QStringLiteral("/CRM.db"); }
    void Crm(const QString &sql) const { OdbcEnvironment::ExecSqlite(Crm(), sql); }
    QString Erp() const { return inst.odbc.Folder() + QStringLiteral("/ERP.db"); }
    void ErpSql(const QString &sql) const { OdbcEnvironment::ExecSqlite(Erp(), sql); }
    QStringList Gis(const QString &sql) const { return OdbcEnvironment::QuerySqlite(inst.gisFile, sql); }
    void GisSql(const QString &sql) const { OdbcEnvironment::ExecSqlite(inst.gisFile, sql); }

    // The process settings: (kind, state identifier, allowed-state set) items; a new main data
    // module reads them at the next Dm().
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
    // One run of the object list, as Start runs it; the pane holds only this run's messages.
    void RunExchange()
    {
        pane.messages.clear();
        runStarted = QDateTime::currentDateTime();
        TQueue queue(Dm());
        queue.Objects = Dm().SettingsProcess()->ObjectToProcess();
        queue.Execute();
        runEnded = QDateTime::currentDateTime();
    }
    // Whether a stored last-exchange time is the source's clock during the last run less one
    // second (a SQLite source tells the system's time, whatever clock the test installed).
    bool StoredAtSourceTimeOfTheRun(const QString &stored) const
    {
        const QDateTime time = QDateTime::fromString(stored, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        return time.isValid() && time >= runStarted.addSecs(-2) && time <= runEnded;
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
    QDateTime runStarted, runEnded; // the system's time around the last RunExchange
};

} // namespace pelk::test
