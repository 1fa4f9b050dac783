#pragma once
// The ERP side of the sales exchange: the sixteen product-group queries (sums per customer
// over an inclusive date range) and the in-memory table the sales queue collects them in.
#include "SalesSql.h"
#include "SalesTable.h"
#include "config/DateTime.h"
#include "db/Query.h"

#include <array>
#include <memory>

namespace pelk {

class TDM_Main;

class TDM_Sprzedaz
{
public:
    // The ERP queries wait up to an hour for their sums.
    static constexpr int CommandTimeout = 3600;

    explicit TDM_Sprzedaz(TDM_Main &dm);

    // The query of one product group (open after its open operation succeeded).
    Query &Q(SalesSql::Zapytanie zapytanie) { return *m_queries.at(zapytanie); }
    TSprzedazTable kbmMemTable_Sprzedaz;

    // Makes sure the ERP connection is open, opens the query for the invoices from `od` to
    // `do_` inclusive (days; the time of day is ignored) and goes to its first row. False when the connection or the query failed
    // (logged under the query's open operation).
    bool Open(SalesSql::Zapytanie zapytanie, TDateTime od, TDateTime do_);

    // Closes the sixteen queries and empties the memory table.
    void CloseDataSets();

private:
    // The sixteen statement texts with the ERP library of the settings, built by the first
    // open of the module's life (one run); throws on a bad library name.
    void BuildTexts();

    TDM_Main &m_dm;
    std::array<std::unique_ptr<Query>, SalesSql::LiczbaZapytan> m_queries;
    std::array<QString, SalesSql::LiczbaZapytan> m_texts;
    bool m_textsBuilt = false;
};

} // namespace pelk
