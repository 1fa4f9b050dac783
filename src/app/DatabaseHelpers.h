#pragma once
// The database helpers every database module uses: one statement through a query, the
// per-element bracket that makes sure the connection is open, value checks and the
// compare-and-log of one field before it is written.
#include "config/Variant.h"
#include "db/DialectSql.h"

#include <QList>
#include <QPair>
#include <QString>

namespace pelk {

class Connection;
class Query;
class TableRow;
class TLog;

class TDatabaseHelpers
{
public:
    explicit TDatabaseHelpers(TLog &log);
    virtual ~TDatabaseHelpers();

    // Replaces the query's text by the statement and executes it. False (logged) on failure.
    bool ExecSQLQuery(Query &query, const QString &sql);
    // The same with values bound to the statement's ":Name" parameters.
    bool ExecSQLQuery(Query &query, const QString &sql, const QList<QPair<QString, Variant>> &params);
    // The bracket around one element's writes: opens the connection when it is not and
    // begins a transaction. ZakonczTranzakcje commits it when `success`, else rolls it back;
    // true only when the element's writes are committed (a failed commit is logged, rolled
    // back and gives false). Prefer TElementTransaction, which cannot be left open.
    bool RozpocznijTranzakcje(Connection &connection);
    bool ZakonczTranzakcje(Connection &connection, bool success);
    // A dry run: every bracket rolls back, and ZakonczTranzakcje answers as a commit would
    // have (true when `success`).
    void SetRollbackOnly(bool rollbackOnly) { m_rollbackOnly = rollbackOnly; }
    bool RollbackOnly() const { return m_rollbackOnly; }
    bool CheckConnection(Connection &connection);
    // The database server's own local date and time (it stamps the rows it changes). False
    // (logged) when the server could not be asked.
    bool ServerNow(Connection &connection, TDateTime &now);
    static const DialectSql &ServerNowSql();

    // Empty variant or empty text; Null throws EVariantError.
    static bool IsEmptyValue(const Variant &value);
    // True (and logged) when the value is empty.
    bool CheckRequiredField(const QString &fieldName, const Variant &value);
    // Whether the field must change to the new value; logs the change and puts a browsing
    // row into edit state. Text for narrow string fields is cut to the field size.
    bool CompareFieldValue(TableRow &row, const QString &field, const Variant &newValue);

private:
    TLog &m_log;
    bool m_rollbackOnly = false;
};

// One element's writes on one connection, stored whole or not at all. Begins the bracket on
// construction; End() commits or rolls back; a bracket never ended (an early return, any
// exception) rolls back when it goes out of scope, so no later element joins it.
class TElementTransaction
{
public:
    TElementTransaction(TDatabaseHelpers &db, Connection &connection);
    ~TElementTransaction();
    TElementTransaction(const TElementTransaction &) = delete;
    TElementTransaction &operator=(const TElementTransaction &) = delete;

    // False when the connection could not be opened or the transaction begun (logged).
    bool Begun() const { return m_begun; }
    // Ends the bracket; true only when `success` and the writes were committed.
    bool End(bool success);

private:
    TDatabaseHelpers &m_db;
    Connection &m_connection;
    bool m_begun;
    bool m_open;
};

} // namespace pelk
