#pragma once
// The changes of one GIS row: each new value compared with the stored one (a difference is
// logged and assigned), then the row posted when anything changed.
#include "config/Variant.h"

#include <QString>

namespace pelk {

class TDatabaseHelpers;
class TableRow;

// Save status of an object, an address, an attribute or a visit (the result kinds of the
// processing state).
enum TStatusZapisu : quint8 { szNowy = 0, szZmieniony = 1, szBezZmian = 2 };

// Text for a wide column; an empty text is stored as such, never as NULL (a NULL would count as
// changed at every later save).
Variant WideText(const QString &text);

// Compares the column with the new value, logs a difference and assigns the value then.
void CompareAndSet(TDatabaseHelpers &db, TableRow &row, const QString &field, const Variant &value);

// Ends a row's save: posts an edited row. The status: changed when posted, else unchanged.
quint8 PostIfEdited(TableRow &row);

} // namespace pelk
