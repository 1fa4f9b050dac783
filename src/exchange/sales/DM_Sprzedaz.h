#pragma once
// The data of the sales exchange: the sixteen ERP product-group queries (sums per customer
// over an inclusive date range), the in-memory table the sales queue collects them in, and
// the GIS statements that find a customer's objects and zero their figures.
#include "SalesSql.h"
#include "SalesTable.h"
#include "config/DateTime.h"
#include "db/Query.h"

#include <QSet>
#include <array>
#include <functional>
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
    // `do_` inclusive (days; the time of day is ignored) and goes to its first row. False when
    // the connection or the query failed (logged under the query's open operation).
    bool Open(SalesSql::Zapytanie zapytanie, TDateTime od, TDateTime do_);

    // GIS. The objects whose figures a stored element of this run has set (zeroed, then
    // written); emptied by CloseDataSets.
    QSet<int> Ustawione;
    Query Q_ObiektyByERPID;
    Query Q_ObiektyZeSprzedaza;
    Query Q_ZerujObiekty;
    Query Q_ZerujAtrybuty;
    // The active objects carrying the ERP id, with the sales attributes they hold a row of
    // (SalesSql::ObiektyKlienta), open on the first row. False when the query failed (logged).
    bool Open_GetPelkObiektyByERPID(const QString &erpId);
    // Sets the object's figures of the attributes to 0. False when that failed (logged).
    bool ZerujAtrybuty(int obiekt, const QSet<int> &atrybuty);
    // Sets every sales figure of the objects to 0. False when that failed (logged).
    bool ZerujObiekty(const QList<int> &obiekty);
    // Sets to 0 every sales figure other than 0 of the objects not in Ustawione. False when
    // that failed (logged).
    bool ZerujNieustawione();

    // Closes the queries and empties the memory table and Ustawione.
    void CloseDataSets();

private:
    // The sixteen statement texts with the ERP library of the settings, built by the first
    // open of the module's life (one run); throws on a bad library name.
    void BuildTexts();
    // Makes sure the query's connection is open, then runs the statement `sql` gives with the
    // values bound: opened on its first row, or executed when not `open`. Failures are logged
    // under " TDM_Sprzedaz.<operation>".
    bool RunQuery(Query &query, const QString &operation, const std::function<QString()> &sql,
                  const QList<QPair<QString, Variant>> &params, bool open = true);

    TDM_Main &m_dm;
    std::array<std::unique_ptr<Query>, SalesSql::LiczbaZapytan> m_queries;
    std::array<QString, SalesSql::LiczbaZapytan> m_texts;
    bool m_textsBuilt = false;
};

} // namespace pelk
