#pragma once
// Column metadata and one field value of a result row.
#include "config/Variant.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace pelk {

enum FieldType {
    ftString,     // char, varchar (narrow text)
    ftWideString, // nchar, nvarchar
    ftInteger,
    ftLargeint,
    ftFloat,
    ftBCD, // decimal, numeric, money
    ftDateTime,
    ftBoolean,
    ftBlob,
    ftUnknown
};

struct FieldDef
{
    QString name;
    FieldType type = ftUnknown;
    int size = 0;     // characters for text, column size otherwise
    int scale = 0;    // decimal digits
    int sqlType = 0;  // ODBC SQL type code
    QString typeName; // as the driver reports it ("varchar", "datetime", ...)

    // Type from the ODBC SQL type, refined by the declared type name (SQLite reports
    // declared types such as nvarchar or decimal under a plain text code).
    static FieldType Classify(int sqlType, const QString &typeName);
    // A value fetched by the driver as the project's variant of this field's type.
    Variant FromDriver(const QVariant &value) const;
};

// Index of the field named `name` (case-insensitive) among `defs`; -1 when absent.
int IndexOfField(const QList<FieldDef> &defs, const QString &name);

// A field of the current row: metadata and value (a copy, valid after navigation).
class Field
{
public:
    Field(const FieldDef &def, const Variant &value) : m_def(def), m_value(value) {}

    QString Name() const { return m_def.name; }
    FieldType DataType() const { return m_def.type; }
    int Size() const { return m_def.size; }

    const Variant &Value() const { return m_value; }
    bool IsNull() const { return m_value.isNull() || m_value.isEmpty(); }
    // Null gives "", 0 and 0 as the typed accessors of a data set field do.
    QString AsString() const { return IsNull() ? QString() : m_value.toString(); }
    int AsInteger() const { return IsNull() ? 0 : m_value.toInt(); }
    TDateTime AsDateTime() const { return IsNull() ? 0.0 : m_value.toDateTime(); }

private:
    FieldDef m_def;
    Variant m_value;
};

} // namespace pelk
