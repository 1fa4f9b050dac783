#pragma once
// An installation in a temporary folder: settings file, folders and SQLite data sources.
#include "support/TestSupport.h"

#include "support/RecordingLogView.h"

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>

namespace pelk::test {

struct Installation
{
    QTemporaryDir dir;
    OdbcEnvironment odbc;
    QString gisFile;

    Installation()
    {
        for (const char *sub : {"logs", "work", "xsl"})
            QDir(dir.path()).mkpath(QString::fromLatin1(sub));
        gisFile = odbc.AddSqliteDsn(QStringLiteral("GIS"));
        odbc.AddSqliteDsn(QStringLiteral("CRM"));
        odbc.AddSqliteDsn(QStringLiteral("ERP"));
        for (const char *db : {"GIS.db", "CRM.db", "ERP.db"})
            OdbcEnvironment::ExecSqlite(odbc.Folder() + QStringLiteral("/") + QString::fromLatin1(db),
                                        QStringLiteral("PRAGMA user_version = 1;"));
    }

    QString Path(const QString &name) const { return dir.filePath(name); }

    // The application settings file; keys can be overridden, removed (value "-") or added
    // (typed Enumeration for True/False, String otherwise); objectProperties: property elements
    // of nested objects, written after the keys.
    void WriteSettings(const QList<QPair<QString, QString>> &overrides = {}, const QString &objectProperties = {}) const
    {
        QList<QPair<QString, QString>> keys = {{QStringLiteral("DefaultSubDirLog"), QStringLiteral("logs")},
                                               {QStringLiteral("DefaultSubDirWork"), QStringLiteral("work")},
                                               {QStringLiteral("TransforSubDir"), QStringLiteral("xsl")},
                                               {QStringLiteral("DefaultSettingsFileName"), QStringLiteral("default.xml")},
                                               {QStringLiteral("DSN_PelkGISTrasar"), QStringLiteral("GIS")},
                                               {QStringLiteral("DSN_Movex"), QStringLiteral("ERP")},
                                               {QStringLiteral("DSN_Caesar"), QStringLiteral("CRM")},
                                               {QStringLiteral("TraceLevel"), QStringLiteral("3")}};
        for (const auto &o : overrides) {
            auto known = std::find_if(keys.begin(), keys.end(), [&](const auto &k) { return k.first == o.first; });
            if (known != keys.end())
                known->second = o.second;
            else
                keys.append(o);
        }
        QString props;
        for (const auto &k : keys) {
            if (k.second == QLatin1String("-"))
                continue;
            const bool boolean = k.second == QLatin1String("True") || k.second == QLatin1String("False");
            const QString type = k.first == QLatin1String("TraceLevel") ? QStringLiteral("Integer")
                : boolean                                               ? QStringLiteral("Enumeration")
                                                                        : QStringLiteral("String");
            props += QStringLiteral("      <property name=\"%1\" type=\"%2\">%3</property>\r\n").arg(k.first, type, k.second);
        }
        WriteFileText(Path(QStringLiteral("PelkDataExchanger.xml")),
                      QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<classes>\r\n"
                                     "  <class classname=\"TSettingsAplikacji\" name=\"TSettingsAplikacji\">\r\n"
                                     "    <properties>\r\n%1    </properties>\r\n  </class>\r\n</classes>\r\n")
                          .arg(props + objectProperties));
    }

    // A process settings file with the given (name, state identifier, allowed-set) items.
    QString WriteProcessSettings(const QString &fileName, const QString &workDir,
                                 const QList<std::tuple<QString, QString, int>> &items) const
    {
        QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<classes>\n"
                                     "<class classname=\"TSettingsProcess\" name=\"TSettingsProcess\"><properties>\n"
                                     "<property name=\"WorkDirectory\" type=\"String\">%1</property>\n"
                                     "<property name=\"ObjectToProcess\" type=\"Object\" class=\"TObjectToProcessCollection\">"
                                     "<class classname=\"TObjectToProcessCollection\" name=\"ObjectToProcess\"><customdata>\n")
                          .arg(workDir);
        int i = 0;
        for (const auto &[name, state, allowed] : items)
            xml += QStringLiteral("<class classname=\"TObjectToProcessCollectionItem\" name=\"Item_%1\"><properties>"
                                  "<property name=\"NazwaObiektu\" type=\"String\">%2</property>"
                                  "<property name=\"NazwaObiektRules\" type=\"String\">%2</property>"
                                  "<property name=\"ListaDozwolonychStanow\" type=\"Integer\">%3</property>"
                                  "<property name=\"Stan\" type=\"Enumeration\">%4</property>"
                                  "</properties></class>\n")
                       .arg(++i)
                       .arg(name)
                       .arg(allowed)
                       .arg(state);
        xml += QStringLiteral("</customdata></class></property></properties></class></classes>\n");
        const QString path = Path(fileName);
        WriteFileText(path, xml);
        return path;
    }

    QStringList LogFiles() const { return QDir(Path(QStringLiteral("logs"))).entryList({QStringLiteral("*.log")}, QDir::Files); }
};

} // namespace pelk::test
