#pragma once
// The ERP statements of the sales exchange: one per product-group query, each summing the
// invoiced lines of customers over an inclusive yyyymmdd range (:DataOd, :DataDo).
#include "db/DialectSql.h"

#include <QString>

namespace pelk::SalesSql {

// The sixteen product-group queries, in the order of their declaration in the module.
enum Zapytanie {
    PC_12M,
    PE_12M,
    PCE_RB,
    PCE_noRB,
    PCS_MM,
    PCS_noMM,
    PCEkg,
    PCSkg,
    PCCkg,
    PCFkg,
    MMA,
    TIGDC,
    TIGACDC,
    MIGMAGR,
    MIGMAGup250,
    MIGMAGdown250,
    LiczbaZapytan
};

// What a query sums and over which items.
struct RDefinicja
{
    const char *Open;        // its open operation, the name its failures are logged under
    const char *Miara;       // the summed measure
    const char *FiltrTowaru; // the item filter after "MITMAS.MMITNO and "
};
const RDefinicja &Definicja(Zapytanie zapytanie);

// The statement of the query with the ERP tables named through `biblioteka` (the library as
// reached from the ERP data source, for example "MOVEX.MVXADTA500"; empty: the data source's
// own tables). Throws Exception when the library name holds anything but a plain or bracketed
// multi-part name, so that nothing foreign reaches the statement text.
QString Tekst(Zapytanie zapytanie, const QString &biblioteka, Dialect dialect);

// The shape shared by the sixteen statements: %1 the measure, %2 the item filter,
// %3 the table prefix ("" or the library followed by ".").
const DialectSql &Szablon();

} // namespace pelk::SalesSql
