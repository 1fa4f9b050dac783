#pragma once
// The statements of the GIS dictionary and object modules, each as the SQL Server text beside
// the SQLite text. Values always reach them as bound parameters.
#include "db/DialectSql.h"

#include <QString>

namespace pelk {

namespace GisSql {

// Dictionary, objects, attributes, addresses, permissions (lookups and their few writes).
const DialectSql &FindObiektByEXID();
const DialectSql &FindSlownikByNazwa();
const DialectSql &SetSlownikData();
const DialectSql &FindAtrybutByID();
const DialectSql &FindAtrybutByNazwa();
const DialectSql &GetWartoscAtrybutu();
const DialectSql &GetAdresID();
const DialectSql &InsertUprawnienia();

// Attribute values by attribute type (1..8); null for a type without a statement.
const DialectSql *InsertAtrybut(int typAtrybutu);
const DialectSql *UpdateAtrybut(int typAtrybutu);

// The object and address rows: table, key and columns read and written.
QString ObiektTable();
QStringList ObiektFields();
QString AdresTable();
QStringList AdresFields();

} // namespace GisSql
} // namespace pelk
