#include "RowChanges.h"

#include "app/DatabaseHelpers.h"
#include "db/TableRow.h"

namespace pelk {

Variant WideText(const QString &text)
{
    return Variant::OleStr(text.isNull() ? QStringLiteral("") : text);
}

void CompareAndSet(TDatabaseHelpers &db, TableRow &row, const QString &field, const Variant &value)
{
    if (db.CompareFieldValue(row, field, value))
        row.SetField(field, value);
}

quint8 PostIfEdited(TableRow &row)
{
    if (row.State() != TableRow::dsEdit)
        return szBezZmian;
    row.Post();
    return szZmieniony;
}

} // namespace pelk
