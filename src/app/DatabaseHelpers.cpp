#include "DatabaseHelpers.h"

#include "Guarded.h"
#include "Log.h"
#include "config/Common.h"
#include "config/Errors.h"
#include "db/Connection.h"
#include "db/Query.h"
#include "db/TableRow.h"

namespace pelk {

TDatabaseHelpers::TDatabaseHelpers(TLog &log) : m_log(log) {}

TDatabaseHelpers::~TDatabaseHelpers() = default;

bool TDatabaseHelpers::ExecSQLQuery(Query &query, const QString &sql)
{
    return ExecSQLQuery(query, sql, {});
}

bool TDatabaseHelpers::ExecSQLQuery(Query &query, const QString &sql, const QList<QPair<QString, Variant>> &params)
{
    return Guarded(m_log, Where::Heading(QStringLiteral(" Wyjątek funkcji TDM_Main.ExecSQLQuery"), sql), [&] {
        query.Close();
        query.SetSQL(sql);
        for (const auto &p : params)
            query.SetParam(p.first, p.second);
        query.ExecSQL();
        return true;
    });
}

bool TDatabaseHelpers::RozpocznijTranzakcje(Connection &connection)
{
    return Guarded(m_log, Where::Heading(QStringLiteral(" TDM_Main.RozpocznijTranzakcje")), [&] {
        if (!CheckConnection(connection))
            return false;
        connection.BeginTransaction();
        return true;
    });
}

bool TDatabaseHelpers::ZakonczTranzakcje(Connection &connection, bool success)
{
    // An element is stored whole or not at all: a failure half-way leaves no rows behind, and
    // its staged file brings it back complete at the next run. A commit the database refuses
    // (a lock, a deadlock victim, a dropped connection) fails the element the same way.
    return Guarded(m_log, Where::Heading(QStringLiteral(" TDM_Main.ZakonczTranzakcje")), [&] {
        if (m_rollbackOnly) {
            // What a commit would have met: writes lost with their connection are no preview.
            const bool lost = connection.TransactionLost();
            connection.EndTransaction(false);
            return success && !lost;
        }
        connection.EndTransaction(success);
        return success;
    });
}

TElementTransaction::TElementTransaction(TDatabaseHelpers &db, Connection &connection)
    : m_db(db), m_connection(connection), m_begun(db.RozpocznijTranzakcje(connection)), m_open(true)
{}

TElementTransaction::~TElementTransaction()
{
    if (m_open)
        m_db.ZakonczTranzakcje(m_connection, false);
}

bool TElementTransaction::End(bool success)
{
    if (!m_open)
        return false;
    m_open = false;
    return m_db.ZakonczTranzakcje(m_connection, success && m_begun);
}

bool TDatabaseHelpers::CheckConnection(Connection &connection)
{
    if (connection.IsOpen())
        return true;
    try {
        connection.Close();
        connection.Open();
        return true;
    } catch (const Exception &e) {
        m_log.Error(1,
                    QStringLiteral(" Wystąpił błąd podczas podłączenia do bazy danych: %1\r\n      %2")
                        .arg(connection.ConnectionString(), e.message()));
        return false;
    }
}

const DialectSql &TDatabaseHelpers::ServerNowSql()
{
    static const DialectSql sql{QStringLiteral("select getdate() as Teraz"),
                                QStringLiteral("select datetime('now', 'localtime') as Teraz")};
    return sql;
}

bool TDatabaseHelpers::ServerNow(Connection &connection, TDateTime &now)
{
    if (!CheckConnection(connection))
        return false;
    return Guarded(m_log, Where::Heading(QStringLiteral(" TDM_Main.ServerNow")), [&] {
        Query query(connection);
        query.SetSQL(ServerNowSql().For(connection.SqlDialect()));
        query.Open();
        const Variant value = query.FieldByName(QStringLiteral("Teraz")).Value();
        // SQLite gives its time as text, SQL Server as a typed date-time.
        if (value.isNull())
            throw Exception(QStringLiteral("Serwer nie podał bieżącego czasu"));
        now = value.toDateTime();
        return true;
    });
}

bool TDatabaseHelpers::IsEmptyValue(const Variant &value)
{
    return value.isEmpty() || value.toString().isEmpty();
}

bool TDatabaseHelpers::CheckRequiredField(const QString &fieldName, const Variant &value)
{
    if (!IsEmptyValue(value))
        return false;
    m_log.Error(2, QStringLiteral(" Pole \"%1\" nie może być puste\r\n      Obiekt nie został przetworzony").arg(fieldName));
    return true;
}

bool TDatabaseHelpers::CompareFieldValue(TableRow &row, const QString &field, const Variant &newValue)
{
    const Field f = row.FieldByName(field);
    Variant candidate = newValue;
    if (f.DataType() == ftString && f.Size() > 0)
        candidate = Variant(newValue.toString().left(f.Size()));

    bool changed = false;
    if (f.IsNull()) {
        m_log.Info(3,
                   QStringLiteral(" Pole: %1: stara wartosc: \"NULL\"; nowa wartosc: \"%2\" ").arg(field, candidate.toString()));
        changed = true;
    } else {
        const QString oldText = f.Value().toString();
        const QString newText = candidate.toString();
        if (oldText != newText) {
            m_log.Info(3, QStringLiteral(" Pole: %1: stara wartosc: \"%2\"; nowa wartosc: \"%3\" ").arg(field, oldText, newText));
            changed = true;
        }
    }
    if (changed && row.State() == TableRow::dsBrowse)
        row.Edit();
    return changed;
}

} // namespace pelk
