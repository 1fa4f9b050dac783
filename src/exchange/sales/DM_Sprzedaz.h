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

    // The last 365 days.
    bool Open_GetZamerSprzedazPC_12M();
    bool Open_GetZamerSprzedazPE_12M();
    // Invoices from `od` to `do_` inclusive (days; the time of day is ignored).
    bool Open_GetZamerSprzedazPCE_RB(TDateTime od, TDateTime do_) { return Open(SalesSql::PCE_RB, od, do_); }
    bool Open_GetZamerSprzedazPCE_noRB(TDateTime od, TDateTime do_) { return Open(SalesSql::PCE_noRB, od, do_); }
    bool Open_GetZamerSprzedazPCS_MM(TDateTime od, TDateTime do_) { return Open(SalesSql::PCS_MM, od, do_); }
    bool Open_GetZamerSprzedazPCS_noMM(TDateTime od, TDateTime do_) { return Open(SalesSql::PCS_noMM, od, do_); }
    bool Open_GetZamerSprzedazPCEkg(TDateTime od, TDateTime do_) { return Open(SalesSql::PCEkg, od, do_); }
    bool Open_GetZamerSprzedazPCSkg(TDateTime od, TDateTime do_) { return Open(SalesSql::PCSkg, od, do_); }
    bool Open_GetZamerSprzedazPCCkg(TDateTime od, TDateTime do_) { return Open(SalesSql::PCCkg, od, do_); }
    bool Open_GetZamerSprzedazPCFkg(TDateTime od, TDateTime do_) { return Open(SalesSql::PCFkg, od, do_); }
    bool Open_GetZamerSprzedazMMA(TDateTime od, TDateTime do_) { return Open(SalesSql::MMA, od, do_); }
    bool Open_GetZamerSprzedazTIGDC(TDateTime od, TDateTime do_) { return Open(SalesSql::TIGDC, od, do_); }
    bool Open_GetZamerSprzedazTIGACDC(TDateTime od, TDateTime do_) { return Open(SalesSql::TIGACDC, od, do_); }
    bool Open_GetZamerSprzedazMIGMAGR(TDateTime od, TDateTime do_) { return Open(SalesSql::MIGMAGR, od, do_); }
    bool Open_GetZamerSprzedazMIGMAGup250(TDateTime od, TDateTime do_) { return Open(SalesSql::MIGMAGup250, od, do_); }
    bool Open_GetZamerSprzedazMIGMAGdown250(TDateTime od, TDateTime do_) { return Open(SalesSql::MIGMAGdown250, od, do_); }

    // Makes sure the ERP connection is open, opens the query for the range and goes to its
    // first row. False when the connection or the query failed (logged under the query's
    // open operation).
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
