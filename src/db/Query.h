#pragma once
// An SQL statement with named parameters (":Name") run on one connection. Open() buffers the
// whole result in memory and releases the statement; ExecSQL() runs a statement without result.
#include "Connection.h"
#include "Field.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QStringList>
#include <functional>

class QSqlQuery;

namespace pelk {

class Query
{
public:
    explicit Query(Connection &connection);

    Connection &GetConnection() const { return *m_connection; }

    // Replaces the text (and forgets the parameter values); closes the query. The same text
    // again keeps its parsed parameter list.
    void SetSQL(const QString &sql);
    QString SQL() const { return m_sql; }

    // Sets every occurrence of the parameter; throws when the text has no such parameter.
    void SetParam(const QString &name, const Variant &value);
    void SetParam(const QString &name, const QDateTime &value);
    void SetDateParam(const QString &name, TDateTime value) { SetParam(name, Variant::Date(value)); }

    // Statement time-out in seconds, 0 for none.
    void SetCommandTimeout(int seconds) { m_timeout = seconds; }
    int CommandTimeout() const { return m_timeout; }

    void Open();
    // Returns the number of rows affected (-1 when the driver does not tell).
    int ExecSQL();
    void Close();
    bool IsActive() const { return m_active; }

    void First();
    void Next();
    bool Eof() const { return m_eof; }
    int RecordCount() const { return int(m_rows.size()); }
    bool IsEmpty() const { return m_rows.isEmpty(); }

    const QList<FieldDef> &FieldDefs() const { return m_defs; }
    // Case-insensitive; throws when the result has no such field.
    Field FieldByName(const QString &name) const;
    Field FieldAt(int index) const;
    int FieldIndex(const QString &name) const; // -1 when absent

    // The statement text with ":Name" replaced by "?" and the names in order; quoted texts,
    // quoted and bracketed identifiers and "::" are left alone.
    static QString ToPositional(const QString &sql, QStringList *names);

private:
    int Execute(bool withResult);
    // The field definitions and every row of the executed statement's result set.
    void ReadResult(QSqlQuery &q);
    void EnsureActive() const;

    Connection *m_connection;
    QString m_sql;
    QString m_positional;
    QStringList m_order;              // one entry per placeholder
    QStringList m_orderKeys;          // the same names in upper case
    QHash<QString, Variant> m_params; // key: upper-case name
    int m_timeout = 30;

    bool m_active = false;
    QList<FieldDef> m_defs;
    QList<QList<Variant>> m_rows;
    int m_pos = 0;
    bool m_eof = true;
};

// Sees every statement a query sends, just before it goes to the server: the benches and the
// tests count round trips per element with it, or hold each one back to play a network. The
// program's own runs install none. Install it before any thread runs statements.
using StatementHook = std::function<void(const Connection &connection, const QString &sql)>;
void SetStatementHook(StatementHook hook);

} // namespace pelk
