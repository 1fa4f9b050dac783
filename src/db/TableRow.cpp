#include "TableRow.h"

#include "config/Errors.h"

namespace pelk {

TableRow::TableRow(Connection &connection, const QString &table, const QStringList &keyFields, const QStringList &fields)
    : m_connection(&connection), m_table(table), m_keys(keyFields), m_fields(fields)
{
    if (!m_fields.isEmpty())
        for (const QString &k : m_keys)
            if (!m_fields.contains(k, Qt::CaseInsensitive))
                m_fields.prepend(k);
}

QString TableRow::SelectText(bool noRows) const
{
    QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE ")
                      .arg(m_fields.isEmpty() ? QStringLiteral("*") : m_fields.join(QStringLiteral(", ")), m_table);
    if (noRows)
        return sql + QStringLiteral("1 = 0");
    QStringList where;
    for (int i = 0; i < m_keys.size(); ++i)
        where << QStringLiteral("%1 = :K%2").arg(m_keys[i]).arg(i);
    return sql + where.join(QStringLiteral(" AND "));
}

QString TableRow::SelectWhereText(const QStringList &columns, Dialect dialect) const
{
    QStringList where;
    for (int i = 0; i < columns.size(); ++i)
        where << QStringLiteral("%1 = :W%2").arg(columns[i]).arg(i);
    const QString fields = m_fields.isEmpty() ? QStringLiteral("*") : m_fields.join(QStringLiteral(", "));
    const QString order = m_keys.join(QStringLiteral(", "));
    if (dialect == Dialect::SqlServer)
        return QStringLiteral("SELECT TOP 1 %1 FROM %2 WHERE %3 ORDER BY %4")
            .arg(fields, m_table, where.join(QStringLiteral(" AND ")), order);
    return QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY %4 LIMIT 1")
        .arg(fields, m_table, where.join(QStringLiteral(" AND ")), order);
}

QString TableRow::UpdateText(const QStringList &changed) const
{
    QStringList set, where;
    for (int i = 0; i < changed.size(); ++i)
        set << QStringLiteral("%1 = :P%2").arg(changed[i]).arg(i);
    for (int i = 0; i < m_keys.size(); ++i)
        where << QStringLiteral("%1 = :K%2").arg(m_keys[i]).arg(i);
    return QStringLiteral("UPDATE %1 SET %2 WHERE %3")
        .arg(m_table, set.join(QStringLiteral(", ")), where.join(QStringLiteral(" AND ")));
}

QString TableRow::InsertText(const QStringList &changed, Dialect dialect) const
{
    QString insert;
    if (changed.isEmpty()) {
        insert = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_table);
    } else {
        QStringList params;
        for (int i = 0; i < changed.size(); ++i)
            params << QStringLiteral(":P%1").arg(i);
        insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                     .arg(m_table, changed.join(QStringLiteral(", ")), params.join(QStringLiteral(", ")));
    }
    // SQL Server: the identity must be read in the same batch (scope), row counts off so the
    // batch's first result is the identity.
    if (dialect == Dialect::SqlServer)
        return QStringLiteral("SET NOCOUNT ON; %1; %2").arg(insert, IdentityText(dialect));
    return insert;
}

QString TableRow::IdentityText(Dialect dialect)
{
    switch (dialect) {
    case Dialect::SqlServer: return QStringLiteral("SELECT CAST(SCOPE_IDENTITY() AS BIGINT) AS IdentityValue");
    case Dialect::SQLite: return QStringLiteral("SELECT last_insert_rowid() AS IdentityValue");
    case Dialect::Other: break;
    }
    return QString();
}

void TableRow::SetKeyParams(Query &q, const QList<Variant> &keyValues) const
{
    for (int i = 0; i < m_keys.size(); ++i)
        q.SetParam(QStringLiteral("K%1").arg(i), keyValues.value(i, Variant::Null()));
}

void TableRow::Load(Query &q)
{
    q.SetCommandTimeout(m_timeout);
    q.Open();
    Adopt(q);
}

void TableRow::Adopt(const Query &q)
{
    m_defs = q.FieldDefs();
    m_knownDefs = m_defs;
    m_values.clear();
    m_saved.clear();
    m_hasRow = !q.Eof();
    for (int i = 0; i < m_defs.size(); ++i)
        m_values.append(m_hasRow ? q.FieldAt(i).Value() : Variant::Null());
    m_changed.clear();
    m_state = dsBrowse;
    m_rowKey.clear();
    if (m_hasRow)
        for (const QString &k : m_keys)
            m_rowKey.append(FieldByName(k).Value());
}

bool TableRow::OpenByKey(const QList<Variant> &keyValues)
{
    if (keyValues.size() != m_keys.size())
        throw Exception(
            QStringLiteral("%1: %2 key values given for %3 key fields").arg(m_table).arg(keyValues.size()).arg(m_keys.size()));
    Close();
    Query q(*m_connection);
    q.SetSQL(SelectText(false));
    SetKeyParams(q, keyValues);
    Load(q);
    return m_hasRow;
}

bool TableRow::OpenWhere(const QList<QPair<QString, Variant>> &columnValues)
{
    Close();
    Query q(*m_connection);
    QStringList columns;
    for (const auto &c : columnValues)
        columns << c.first;
    q.SetSQL(SelectWhereText(columns, m_connection->SqlDialect()));
    for (int i = 0; i < columnValues.size(); ++i)
        q.SetParam(QStringLiteral("W%1").arg(i), columnValues[i].second);
    Load(q);
    return m_hasRow;
}

void TableRow::Close()
{
    m_state = dsInactive;
    m_hasRow = false;
    m_defs.clear();
    m_values.clear();
    m_saved.clear();
    m_rowKey.clear();
    m_changed.clear();
}

void TableRow::Edit()
{
    if (m_state == dsEdit || m_state == dsInsert)
        return;
    if (m_state != dsBrowse)
        throw Exception(QStringLiteral("%1: cannot perform this operation on a closed dataset").arg(m_table));
    if (!m_hasRow) {
        Append(); // editing an empty result appends, as a data set does
        return;
    }
    m_saved = m_values;
    m_changed.clear();
    m_state = dsEdit;
}

void TableRow::Append()
{
    if (m_state == dsInactive && !m_knownDefs.isEmpty()) {
        m_defs = m_knownDefs;
        m_values = QList<Variant>(m_defs.size(), Variant::Null());
        m_hasRow = false;
        m_rowKey.clear();
        m_changed.clear();
        m_state = dsBrowse;
    } else if (m_state == dsInactive) {
        Query q(*m_connection);
        q.SetSQL(SelectText(true));
        Load(q);
    }
    if (m_state == dsEdit || m_state == dsInsert)
        Cancel();
    m_saved = m_values;
    for (Variant &v : m_values)
        v = Variant::Null();
    m_changed.clear();
    m_identity = Variant();
    m_state = dsInsert;
}

void TableRow::Cancel()
{
    if (m_state == dsEdit || m_state == dsInsert) {
        m_values = m_saved;
        m_changed.clear();
        m_state = dsBrowse;
    }
}

int TableRow::FieldIndex(const QString &name) const
{
    return IndexOfField(m_defs, name);
}

Field TableRow::FieldByName(const QString &name) const
{
    if (m_state == dsInactive)
        throw Exception(QStringLiteral("%1: cannot perform this operation on a closed dataset").arg(m_table));
    const int i = FieldIndex(name);
    if (i < 0)
        throw Exception(QStringLiteral("%1: Field '%2' not found").arg(m_table, name));
    return Field(m_defs[i], m_values[i]);
}

void TableRow::SetField(const QString &name, const Variant &value)
{
    if (m_state != dsEdit && m_state != dsInsert)
        throw Exception(QStringLiteral("%1: dataset not in edit or insert mode").arg(m_table));
    const int i = FieldIndex(name);
    if (i < 0)
        throw Exception(QStringLiteral("%1: Field '%2' not found").arg(m_table, name));
    m_values[i] = value.isEmpty() ? Variant::Null() : value;
    m_changed.insert(i);
}

QStringList TableRow::ChangedFields() const
{
    QStringList out;
    for (int i = 0; i < m_defs.size(); ++i)
        if (m_changed.contains(i))
            out << m_defs[i].name;
    return out;
}

void TableRow::Post()
{
    if (m_state != dsEdit && m_state != dsInsert)
        throw Exception(QStringLiteral("%1: dataset not in edit or insert mode").arg(m_table));
    const QStringList changed = ChangedFields();
    Query q(*m_connection);
    q.SetCommandTimeout(m_timeout);

    if (m_state == dsEdit) {
        if (!changed.isEmpty()) {
            q.SetSQL(UpdateText(changed));
            for (int i = 0; i < changed.size(); ++i)
                q.SetParam(QStringLiteral("P%1").arg(i), FieldByName(changed[i]).Value());
            SetKeyParams(q, m_rowKey);
            if (q.ExecSQL() == 0)
                throw Exception(QStringLiteral("%1: row cannot be located for updating").arg(m_table));
        }
    } else {
        // The connection may be (re)opened by the statement: take the dialect it reports then.
        m_connection->EnsureOpen();
        const Dialect d = m_connection->SqlDialect();
        q.SetSQL(InsertText(changed, d));
        for (int i = 0; i < changed.size(); ++i)
            q.SetParam(QStringLiteral("P%1").arg(i), FieldByName(changed[i]).Value());
        m_identity = Variant::Null();
        if (d == Dialect::SqlServer) {
            q.Open();
            if (!q.IsEmpty())
                m_identity = q.FieldAt(0).Value();
        } else {
            q.ExecSQL();
            const QString identity = IdentityText(d);
            if (!identity.isEmpty()) {
                Query id(*m_connection);
                id.SetSQL(identity);
                id.Open();
                if (!id.IsEmpty())
                    m_identity = id.FieldAt(0).Value();
            }
        }
        // A single key left unset is the identity column.
        if (m_keys.size() == 1 && !m_identity.isNull()) {
            const int k = FieldIndex(m_keys.first());
            if (k >= 0 && !m_changed.contains(k))
                m_values[k] = m_defs[k].FromDriver(QVariant(qlonglong(m_identity.toInt64())));
        }
        m_rowKey.clear();
        for (const QString &k : m_keys) {
            const int i = FieldIndex(k);
            m_rowKey.append(i >= 0 ? m_values[i] : Variant::Null());
        }
        m_hasRow = true;
    }
    m_changed.clear();
    m_saved.clear();
    m_state = dsBrowse;
}

} // namespace pelk
