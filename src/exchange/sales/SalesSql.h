#pragma once
// The statements of the sales exchange: one ERP query per product group, each summing the
// invoiced lines of customers over an inclusive yyyymmdd range (:DataOd, :DataDo); and the GIS
// statements that find a customer's objects and zero their figures.
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

// Every stored value of the sales attributes set to 0.
const DialectSql &ZerujAllAtrybutySprzedaz();
// "ATO_ID_ATR in (...)" over the sales attributes, as the zeroing of all figures names them.
QString AtrybutySprzedazy(Dialect dialect);

// The statement of the query with the ERP tables named through `biblioteka` (the library as
// reached from the ERP data source, for example "MOVEX.MVXADTA500"; empty: the data source's
// own tables). Throws Exception when the library name holds anything but a plain or bracketed
// multi-part name, so that nothing foreign reaches the statement text.
QString Tekst(Zapytanie zapytanie, const QString &biblioteka, Dialect dialect);

// The shape shared by the sixteen statements: %1 the measure, %2 the item filter,
// %3 the table prefix ("" or the library followed by ".").
const DialectSql &Szablon();

// GIS, each over the sales attributes exactly as the zeroing of all figures names them.
// The active objects with an attribute whose text is the ERP id (:ObiektERPID): OB_ID and
// OB_ID_SLO_TYP with ATO_ID_ATR and ATO_VAR_DEC, one row per sales attribute the object holds a
// row of (NULL for an object that holds none), ordered by OB_ID.
QString ObiektyKlienta(Dialect dialect);
// The figures of `k` attributes (:Atrybut0, :Atrybut1, ...) of one object (:Obiekt) set to 0.
QString ZerujAtrybuty(int k);
// Every sales figure of `n` objects (:Obiekt0, :Obiekt1, ...) set to 0.
QString ZerujObiekty(int n, Dialect dialect);
// The objects (ATO_ID_OB) holding a sales figure other than 0.
QString ObiektyZeSprzedaza(Dialect dialect);

} // namespace pelk::SalesSql
