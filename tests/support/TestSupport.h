#pragma once
// Shared test fixtures: temporary folders, a private ODBC set-up with SQLite data sources,
// and the Qt application object.
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace pelk {
class Connection;
}

namespace pelk::test {

// Creates the QApplication (offscreen platform) once per test process.
void EnsureApplication();

// A private odbc.ini / odbcinst.ini in a temporary folder, active through ODBCINI and
// ODBCSYSINI for this process. DSNs point at SQLite database files in the same folder.
class OdbcEnvironment
{
public:
    OdbcEnvironment();
    ~OdbcEnvironment();
    // Adds (or replaces) a DSN for the SQLite file; returns the file path.
    // `options`: further odbc.ini lines of the DSN ("Key=Value\n"...).
    QString AddSqliteDsn(const QString &dsn, const QString &fileName = QString(), const QString &options = QString());
    // Adds (or replaces) a DSN of a SQL Server reached through FreeTDS on 127.0.0.1:port.
    void AddFreeTdsDsn(const QString &dsn, int port);
    // Runs SQL statements (separated by ';') on the SQLite file directly, outside ODBC.
    static void ExecSqlite(const QString &dbFile, const QString &sql);
    // Runs one query on the SQLite file directly (sqlite3 shell, list mode, '|' between
    // columns); returns its output lines.
    static QStringList QuerySqlite(const QString &dbFile, const QString &sql);
    QString Folder() const { return m_dir.path(); }

private:
    void WriteIni();
    QTemporaryDir m_dir;
    struct Dsn
    {
        QString name, file, options;
        int tdsPort = 0; // a FreeTDS data source on this port when set
    };
    void ReplaceDsn(const Dsn &dsn);
    QList<Dsn> m_dsns;
};

// What a server that goes away does to a connection of ours: the open transaction is discarded
// and the link is gone (the handle closes), without the Connection object being told.
void DropUnderneath(pelk::Connection &connection);

QString ReadFileText(const QString &path);
QByteArray ReadFileBytes(const QString &path);
void WriteFileText(const QString &path, const QString &text);

} // namespace pelk::test
