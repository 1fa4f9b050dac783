#pragma once
// The real program in an installation of its own: a copy of the executable beside the
// settings file (where it looks for them), started headless as a process; what its runs log.
#include "support/GisDatabase.h"
#include "support/Installation.h"

#include "config/IsoLatin2.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace pelk::test {

class ProgramInstallation
{
public:
    ProgramInstallation()
    {
        exe = inst.Path(QStringLiteral("PelkDataExchanger"));
        QFile::copy(QStringLiteral(PELK_EXECUTABLE), exe);
        env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        // The single-instance lock lies in the installation's own temporary folder.
        env.insert(QStringLiteral("TMPDIR"), inst.dir.path());
    }
    ~ProgramInstallation()
    {
        for (auto &p : processes)
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
    }
    ProgramInstallation(const ProgramInstallation &) = delete;
    ProgramInstallation &operator=(const ProgramInstallation &) = delete;

    // The shipped rules and stylesheets beside the program.
    void DeployRulesAndStylesheets() const
    {
        const QString deploy = QStringLiteral(PELK_SOURCE_DIR "/deploy");
        QFile::copy(deploy + QStringLiteral("/ObjectRules.xml"), inst.Path(QStringLiteral("ObjectRules.xml")));
        for (const QString &xsl : QDir(deploy + QStringLiteral("/xsl")).entryList({QStringLiteral("*.xsl")}))
            QFile::copy(deploy + QStringLiteral("/xsl/") + xsl, inst.Path(QStringLiteral("xsl/")) + xsl);
    }

    // An installation ready to exchange: settings at trace level 2, the shipped rules and
    // stylesheets, the GIS database with its reference data.
    void PrepareExchange() const
    {
        inst.WriteSettings({{QStringLiteral("TraceLevel"), QStringLiteral("2")}});
        DeployRulesAndStylesheets();
        CreateGisDatabase(inst.gisFile);
    }

    // The SQLite file of a data source of the installation ("GIS", "CRM", "ERP").
    QString Db(const QString &name) const { return inst.odbc.Folder() + QLatin1Char('/') + name + QStringLiteral(".db"); }
    // A process settings file running the kinds from system X to system Y, in order, with the
    // installation's working folder; named after them.
    QString ProcessSettings(const QStringList &kinds) const
    {
        QList<std::tuple<QString, QString, int>> items;
        for (const QString &kind : kinds)
            items.append({kind, QStringLiteral("esSysXtoSysY"), 10});
        return inst.WriteProcessSettings(kinds.join(QLatin1Char('-')) + QStringLiteral(".xml"), inst.Path(QStringLiteral("work")),
                                         items);
    }

    // Starts the program; the process lives until the installation ends.
    QProcess *Launch(const QStringList &args)
    {
        auto *p = new QProcess;
        p->setProcessEnvironment(env);
        p->setWorkingDirectory(inst.dir.path());
        p->start(exe, args);
        processes.emplace_back(p);
        return p;
    }

    QStringList LogFiles() const
    {
        return QDir(inst.Path(QStringLiteral("logs"))).entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Name);
    }
    QByteArray AllLogs() const
    {
        QByteArray all;
        for (const QString &f : LogFiles())
            all += ReadFileBytes(inst.Path(QStringLiteral("logs/")) + f);
        return all;
    }
    // The log file of the newest start, as text.
    QString NewestLog() const
    {
        QDir logs(inst.Path(QStringLiteral("logs")));
        const QStringList files = logs.entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Time);
        return files.isEmpty() ? QString() : FromIsoLatin2(ReadFileBytes(logs.filePath(files.first())));
    }

    Installation inst;
    QString exe;
    QProcessEnvironment env;
    std::vector<std::unique_ptr<QProcess>> processes;
};

} // namespace pelk::test
