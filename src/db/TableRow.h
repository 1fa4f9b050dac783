#pragma once
// One row of one table: open it by key, edit it or append a new one, and post the changed
// fields as a parameterised UPDATE (by key) or INSERT. After an INSERT the identity value
// the server generated is read back.
#include "Query.h"

#include <QSet>

namespace pelk {

class TableRow
{
public:
    enum RowState { dsInactive, dsBrowse, dsEdit, dsInsert };

    // fields: the columns read and written; empty means all. Key fields are added when missing.
    TableRow(Connection &connection, const QString &table, const QStringList &keyFields,
             const QStringList &fields = QStringList());

    void SetCommandTimeout(int seconds) { m_timeout = seconds; }

    // Selects the row with these key values (one per key field). True when found (state
    // Browse); otherwise the row is open and empty (state Browse, IsEmpty()).
    bool OpenByKey(const QList<Variant> &keyValues);
    bool OpenByKey(const Variant &keyValue) { return OpenByKey(QList<Variant>{keyValue}); }
    // The same for the first row (by key) whose columns hold these values: one statement where
    // a look-up of the key and then the row would take two.
    bool OpenWhere(const QList<QPair<QString, Variant>> &columnValues);
    // Takes the current row of an open query that selected this row's columns (an empty row at
    // its end): a row read with others in one statement needs no statement of its own.
    void Adopt(const Query &q);
    void Close();
    bool IsEmpty() const { return !m_hasRow; }

    RowState State() const { return m_state; }
    void Edit();   // Browse -> Edit (an empty row appends instead)
    void Append(); // -> Insert with every field null (reads the field list once, when not known)
    void Cancel(); // drops unposted changes

    Field FieldByName(const QString &name) const;
    const QList<FieldDef> &FieldDefs() const { return m_defs; }
    // Only in Edit or Insert state.
    void SetField(const QString &name, const Variant &value);
    QStringList ChangedFields() const;

    // Writes the changed fields; returns to Browse. Throws pelk::Exception on failure.
    void Post();
    // The identity value of the last INSERT (Null when the table has none or the dialect
    // cannot tell).
    Variant IdentityValue() const { return m_identity; }

    // The statements, per dialect (one place for each).
    QString SelectText(bool noRows) const;
    QString SelectWhereText(const QStringList &columns, Dialect dialect) const;
    QString UpdateText(const QStringList &changed) const;
    QString InsertText(const QStringList &changed, Dialect dialect) const;
    static QString IdentityText(Dialect dialect);

private:
    int FieldIndex(const QString &name) const;
    void Load(Query &q);
    void SetKeyParams(Query &q, const QList<Variant> &keyValues) const;

    Connection *m_connection;
    QString m_table;
    QStringList m_keys;
    QStringList m_fields;
    int m_timeout = 30;

    RowState m_state = dsInactive;
    bool m_hasRow = false;
    QList<FieldDef> m_defs;
    QList<FieldDef> m_knownDefs; // the table's columns once read; a table keeps its columns
    QList<Variant> m_values;
    QList<Variant> m_saved;  // values before Edit/Append, for Cancel
    QList<Variant> m_rowKey; // key of the row as read or inserted
    QSet<int> m_changed;
    Variant m_identity;
};

} // namespace pelk
