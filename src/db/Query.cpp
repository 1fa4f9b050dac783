#include "Query.h"

#include "config/Errors.h"

#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>

#include <sql.h>
#include <sqlext.h>

namespace pelk {

namespace {

StatementHook &CurrentStatementHook()
{
    static StatementHook hook;
    return hook;
}

bool IsNameStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}
bool IsNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

SQLHSTMT StatementHandle(const QSqlQuery &q)
{
    if (!q.result())
        return nullptr;
    const QVariant h = q.result()->handle();
    if (!h.isValid() || !h.constData())
        return nullptr;
    return *static_cast<SQLHANDLE const *>(h.constData());
}

QVariant ToDriver(const Variant &v, Dialect dialect)
{
    switch (v.type()) {
    case varEmpty:
    case varNull: return QVariant(QMetaType(QMetaType::QString));
    case varDate:
        // SQLite keeps date-times as text in the one form; other servers get a typed timestamp.
        if (dialect == Dialect::SQLite)
            return QVariant(DateTimeToText(v.toDouble()));
        return QVariant(ToQDateTime(v.toDouble()));
    case varBoolean: return QVariant(v.toBool());
    case varString:
    case varOleStr: return QVariant(v.toString());
    case varSingle:
    case varDouble:
    case varCurrency: return QVariant(v.toDouble());
    case varInt64:
    case varLongWord: return QVariant(qlonglong(v.toInt64()));
    default:
        if (v.isIntegral())
            return QVariant(int(v.toInt64()));
        return QVariant(v.toString());
    }
}

QString ColumnTypeName(SQLHSTMT h, int column)
{
    if (!h)
        return QString();
    SQLCHAR buf[128] = {0};
    SQLSMALLINT len = 0;
    const SQLRETURN r = SQLColAttribute(h, SQLUSMALLINT(column + 1), SQL_DESC_TYPE_NAME, buf, sizeof buf, &len, nullptr);
    if (!SQL_SUCCEEDED(r))
        return QString();
    return QString::fromLatin1(reinterpret_cast<const char *>(buf));
}

} // namespace

void SetStatementHook(StatementHook hook)
{
    CurrentStatementHook() = std::move(hook);
}

Query::Query(Connection &connection) : m_connection(&connection) {}

QString Query::ToPositional(const QString &sql, QStringList *names)
{
    QString out;
    out.reserve(sql.size());
    const int n = int(sql.size());
    int i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            int j = i + 1;
            while (j < n) {
                if (sql[j] == close) {
                    if (close != QLatin1Char(']') && j + 1 < n && sql[j + 1] == close) {
                        j += 2; // doubled quote inside the text
                        continue;
                    }
                    break;
                }
                ++j;
            }
            j = qMin(j + 1, n);
            out += QStringView(sql).mid(i, j - i);
            i = j;
        } else if (c == QLatin1Char(':') && i + 1 < n && sql[i + 1] == QLatin1Char(':')) {
            out += QLatin1String("::");
            i += 2;
        } else if (c == QLatin1Char(':') && i + 1 < n && IsNameStart(sql[i + 1])) {
            int j = i + 1;
            while (j < n && IsNameChar(sql[j]))
                ++j;
            if (names)
                names->append(sql.mid(i + 1, j - i - 1));
            out += QLatin1Char('?');
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

void Query::SetSQL(const QString &sql)
{
    Close();
    m_params.clear();
    if (sql == m_sql && !m_sql.isEmpty())
        return; // the same statement again: its parameters are known
    m_sql = sql;
    m_order.clear();
    m_positional = ToPositional(sql, &m_order);
    m_orderKeys.clear();
    for (const QString &n : m_order)
        m_orderKeys.append(n.toUpper());
}

void Query::SetParam(const QString &name, const Variant &value)
{
    QString key = name.toUpper();
    if (m_orderKeys.contains(key)) {
        m_params.insert(std::move(key), value);
        return;
    }
    throw Exception(QStringLiteral("Parameter '%1' not found").arg(name));
}

void Query::SetParam(const QString &name, const QDateTime &value)
{
    SetParam(name, value.isValid() ? Variant::Date(FromQDateTime(value)) : Variant::Null());
}

void Query::Open()
{
    Execute(true);
}

int Query::ExecSQL()
{
    return Execute(false);
}

void Query::Close()
{
    m_active = false;
    m_defs.clear();
    m_rows.clear();
    m_pos = 0;
    m_eof = true;
}

int Query::Execute(bool withResult)
{
    Close();
    if (m_sql.trimmed().isEmpty())
        throw Exception(QStringLiteral("Query has no SQL text"));
    for (int i = 0; i < m_order.size(); ++i)
        if (!m_params.contains(m_orderKeys[i]))
            throw Exception(QStringLiteral("No value given for parameter '%1'").arg(m_order[i]));

    Connection &conn = *m_connection;
    conn.EnsureOpen();

    bool prepared = false;
    const std::shared_ptr<QSqlQuery> statement = conn.Statement(m_positional, prepared);
    QSqlQuery &q = *statement;
    auto fail = [&]() {
        conn.NoteFailure(StatementHandle(q));
        const QString text = Connection::ErrorText(q.lastError());
        conn.SetLastError(text);
        conn.ForgetStatement(m_positional);
        throw Exception(text);
    };
    if (!prepared)
        fail();
    if (SQLHSTMT h = StatementHandle(q))
        SQLSetStmtAttr(h, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(qMax(0, m_timeout))), 0);
    for (int i = 0; i < m_order.size(); ++i)
        q.bindValue(i, ToDriver(m_params.value(m_orderKeys[i]), conn.SqlDialect()));
    if (const StatementHook &hook = CurrentStatementHook())
        hook(conn, m_positional);
    if (!q.exec())
        fail();

    if (!withResult) {
        const int affected = q.numRowsAffected();
        q.finish();
        return affected;
    }
    // A batch may report row counts before its result set.
    while (!q.isSelect() && q.nextResult()) {
    }
    if (!q.isSelect())
        throw Exception(QStringLiteral("The statement returned no result set"));

    ReadResult(q);
    if (q.lastError().type() != QSqlError::NoError)
        fail();
    q.finish(); // every row is read: release the cursor (and the database's read lock)
    m_active = true;
    First();
    return int(m_rows.size());
}

void Query::ReadResult(QSqlQuery &q)
{
    const QSqlRecord rec = q.record();
    const SQLHSTMT h = StatementHandle(q);
    for (int i = 0; i < rec.count(); ++i) {
        const QSqlField f = rec.field(i);
        FieldDef d;
        d.name = f.name();
        d.sqlType = f.typeID();
        d.size = f.length();
        d.scale = qMax(0, f.precision());
        d.typeName = ColumnTypeName(h, i);
        d.type = FieldDef::Classify(d.sqlType, d.typeName);
        m_defs.append(d);
    }
    while (q.next()) {
        QList<Variant> row;
        row.reserve(m_defs.size());
        for (int i = 0; i < m_defs.size(); ++i)
            row.append(m_defs[i].FromDriver(q.value(i)));
        m_rows.append(row);
    }
}

void Query::EnsureActive() const
{
    if (!m_active)
        throw Exception(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void Query::First()
{
    EnsureActive();
    m_pos = 0;
    m_eof = m_rows.isEmpty();
}

void Query::Next()
{
    EnsureActive();
    if (m_pos + 1 < m_rows.size())
        ++m_pos;
    else
        m_eof = true;
}

int Query::FieldIndex(const QString &name) const
{
    return IndexOfField(m_defs, name);
}

Field Query::FieldAt(int index) const
{
    EnsureActive();
    if (index < 0 || index >= m_defs.size())
        throw Exception(QStringLiteral("Field index %1 out of range").arg(index));
    const Variant v = m_rows.isEmpty() ? Variant::Null() : m_rows[m_pos][index];
    return Field(m_defs[index], v);
}

Field Query::FieldByName(const QString &name) const
{
    EnsureActive();
    const int i = FieldIndex(name);
    if (i < 0)
        throw Exception(QStringLiteral("Field '%1' not found").arg(name));
    return FieldAt(i);
}

} // namespace pelk
