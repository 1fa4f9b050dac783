#pragma once
// One database connection opened by ODBC data source name (Qt's ODBC driver over the
// system's ODBC driver manager).
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <memory>

namespace pelk {

enum class Dialect { SqlServer, SQLite, Other };

class Connection
{
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Opens the data source; throws pelk::Exception with the driver's text on failure.
    void Open(const QString &dsn);
    // Opens the data source given last (again).
    void Open();
    // Closes the connection; an open transaction is rolled back and counts as lost.
    void Close();
    bool IsOpen() const;
    // Before a statement: opens a closed connection (like a data set on a closed connection),
    // but never under a lost transaction -- that throws, so the element fails whole and the
    // next element's bracket reconnects.
    void EnsureOpen();

    // One database transaction at a time; EndTransaction commits or rolls back (nothing when
    // none is open). Both throw with the driver's text on failure. A transaction whose
    // connection was dropped or closed before its end is lost: no statement runs on it any
    // more (Query refuses to reconnect under it), and committing it throws.
    void BeginTransaction();
    void EndTransaction(bool commit);
    bool InTransaction() const { return m_inTransaction; }
    bool TransactionLost() const { return m_inTransaction && (m_transactionLost || !IsOpen()); }

    // How long a connection may take to log in, and a request on it to be answered, in
    // seconds (0: the driver's own default); the application setting, for every connection of
    // the process. A server that accepts and never answers ends an Open within this time.
    static void SetLoginTimeout(int seconds);
    static int LoginTimeout();

    QString Dsn() const { return m_dsn; }
    void SetDsn(const QString &dsn) { m_dsn = dsn; }
    // The connection text used in messages.
    QString ConnectionString() const { return ConnectionStringFor(m_dsn); }
    static QString ConnectionStringFor(const QString &dsn);
    QString LastError() const { return m_lastError; }
    void SetLastError(const QString &text) { m_lastError = text; }
    // The driver's message of a Qt SQL error.
    static QString ErrorText(const QSqlError &error);

    // Detected on opening from the DBMS name the driver reports.
    pelk::Dialect SqlDialect() const { return m_dialect; }

    // For Query and TableRow: the Qt connection and the ODBC connection handle.
    QSqlDatabase &Database() { return m_db; }
    // A statement prepared for this SQL text, kept while the connection stays open, so that
    // the many single-row statements of an exchange are parsed once. `prepared` is false
    // (and the statement, with its error, not kept) when preparing failed. The caller uses it
    // at once and to the end (results read, then finish()).
    std::shared_ptr<QSqlQuery> Statement(const QString &sql, bool &prepared);
    // Drops a statement whose execution failed.
    void ForgetStatement(const QString &sql) { m_statements.remove(sql); }
    void *OdbcHandle() const;
    // Records a failed statement; a connection-class failure (SQLSTATE 08xxx) of the given
    // statement handle (may be null) or of the connection handle, or a database handle that
    // is no longer open, marks the connection dropped (it is reopened by the next element's
    // bracket). Returns the SQLSTATE found first ("" when none).
    QString NoteFailure(void *statementHandle);

private:
    void AttachSelfAsDbo();

    QString m_name;
    QSqlDatabase m_db;
    QHash<QString, std::shared_ptr<QSqlQuery>> m_statements;
    QString m_dsn;
    QString m_lastError;
    pelk::Dialect m_dialect = pelk::Dialect::Other;
    bool m_open = false;
    bool m_inTransaction = false;
    bool m_transactionLost = false;
};

} // namespace pelk
