#pragma once
// The statements of the GIS dictionary and object modules, each as the SQL Server text beside
// the SQLite text. Values always reach them as bound parameters.
#include "db/DialectSql.h"

#include <QString>

namespace pelk {

// Value types of attributes (ATR_TYP): the column that holds a value and how it is read back.
enum TypAtrybutu : int {
    taLiczba1 = 1,
    taLiczba2 = 2,
    taLiczba3 = 3,   // ATO_VAR_NUM, floating point
    taTekst = 4,     // ATO_VAR_TXT
    taDataCzas = 5,  // ATO_VAR_DATA, written from "yyyy-mm-dd hh:nn:ss"
    taData = 6,      // ATO_VAR_DATA, read back as the date only
    taDataCzas7 = 7, // ATO_VAR_DATA
    taDziesietna = 8 // ATO_VAR_DEC
};

constexpr bool IsLiczbaAtrybutu(int typ)
{
    return typ >= taLiczba1 && typ <= taLiczba3;
}
constexpr bool IsDataAtrybutu(int typ)
{
    return typ >= taDataCzas && typ <= taDataCzas7;
}

namespace GisSql {

// Dictionary, objects, attributes, addresses, permissions (lookups and their few writes).
const DialectSql &FindObiektByEXID();
// Every object of a type (:Typ) with its external id, for the look-ups of a run.
const DialectSql &ObiektyTypu();
const DialectSql &FindSlownikByNazwa();
const DialectSql &SetSlownikData();
const DialectSql &FindAtrybutByID();
const DialectSql &FindAtrybutByNazwa();
const DialectSql &GetWartoscAtrybutu();
// The same columns for the values of `n` attributes (:Atrybut0, :Atrybut1, ...) of one object
// (:ObiektID), in one statement that the table's key serves.
QString GetWartosciAtrybutowObiektu(int n, Dialect dialect);
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
