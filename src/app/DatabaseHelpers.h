#pragma once
// The database helpers every database module uses: one statement through a query, the
// per-element bracket that makes sure the connection is open, value checks and the
// compare-and-log of one field before it is written.
#include "config/Variant.h"

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
    // Opens the connection when it is not (no database transaction is begun).
    bool RozpocznijTranzakcje(Connection &connection);
    void ZakonczTranzakcje(Connection &connection, bool success);
    bool CheckConnection(Connection &connection);

    // Empty variant or empty text; Null throws EVariantError.
    static bool IsEmptyValue(const Variant &value);
    // True (and logged) when the value is empty.
    bool CheckRequiredField(const QString &fieldName, const Variant &value);
    // Whether the field must change to the new value; logs the change and puts a browsing
    // row into edit state. Text for narrow string fields is cut to the field size.
    bool CompareFieldValue(TableRow &row, const QString &field, const Variant &newValue);

protected:
    TLog &LogRef() const { return m_log; }

private:
    TLog &m_log;
};

} // namespace pelk
