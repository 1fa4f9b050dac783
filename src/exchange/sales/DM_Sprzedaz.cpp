#include "DM_Sprzedaz.h"

#include "SalesPeriods.h"
#include "app/DM_Main.h"
#include "app/Guarded.h"
#include "app/Log.h"
#include "app/Settings.h"
#include "config/Errors.h"
#include "engine/CloseDataSets.h"

#include <algorithm>

namespace pelk {

TDM_Sprzedaz::TDM_Sprzedaz(TDM_Main &dm)
    : Q_ObiektyByERPID(dm.ADOConnection_PelkGIS), Q_ObiektyZeSprzedaza(dm.ADOConnection_PelkGIS),
      Q_ZerujObiekty(dm.ADOConnection_PelkGIS), Q_ZerujAtrybuty(dm.ADOConnection_PelkGIS), m_dm(dm)
{
    for (auto &query : m_queries) {
        query = std::make_unique<Query>(dm.ADOConnection_Movex);
        query->SetCommandTimeout(CommandTimeout);
    }
}

void TDM_Sprzedaz::BuildTexts()
{
    // Once the connection is open, so its dialect is known. A bad library name throws, and
    // so fails every open with its reason, never the program's start.
    const QString library = m_dm.Settings() ? m_dm.Settings()->BibliotekaMovex() : QString();
    const Dialect dialect = m_dm.ADOConnection_Movex.SqlDialect();
    for (int i = 0; i < SalesSql::LiczbaZapytan; ++i)
        m_texts[i] = SalesSql::Tekst(SalesSql::Zapytanie(i), library, dialect);
    m_textsBuilt = true;
}

bool TDM_Sprzedaz::RunQuery(Query &query, const QString &operation, const std::function<QString()> &sql,
                            const QList<QPair<QString, Variant>> &params, bool open)
{
    if (!m_dm.Db().CheckConnection(query.GetConnection()))
        return false;
    return Guarded(m_dm.Log(), Where::Heading(QStringLiteral(" TDM_Sprzedaz.") + operation), [&] {
        query.SetSQL(sql());
        for (const auto &p : params)
            query.SetParam(p.first, p.second);
        if (!open) {
            query.ExecSQL();
            return true;
        }
        query.Open();
        query.First();
        return true;
    });
}

bool TDM_Sprzedaz::Open(SalesSql::Zapytanie zapytanie, TDateTime od, TDateTime do_)
{
    const auto text = [&] {
        if (!m_textsBuilt)
            BuildTexts();
        return m_texts[zapytanie];
    };
    return RunQuery(
        Q(zapytanie), QLatin1String(SalesSql::Definicja(zapytanie).Open), text,
        {{QStringLiteral("DataOd"), Variant(DzienJakoLiczba(od))}, {QStringLiteral("DataDo"), Variant(DzienJakoLiczba(do_))}});
}

bool TDM_Sprzedaz::Open_GetPelkObiektyByERPID(const QString &erpId)
{
    Query &q = Q_ObiektyByERPID;
    return RunQuery(q, QStringLiteral("Open_GetPelkObiektyByERPID"),
                    [&] { return SalesSql::ObiektyKlienta(q.GetConnection().SqlDialect()); },
                    {{QStringLiteral("ObiektERPID"), Variant(erpId)}});
}

bool TDM_Sprzedaz::ZerujAtrybuty(int obiekt, const QSet<int> &atrybuty)
{
    if (atrybuty.isEmpty())
        return true;
    QList<int> numery(atrybuty.begin(), atrybuty.end());
    std::sort(numery.begin(), numery.end());
    QList<QPair<QString, Variant>> params{{QStringLiteral("Obiekt"), Variant(obiekt)}};
    for (int i = 0; i < numery.size(); ++i)
        params.append({QStringLiteral("Atrybut%1").arg(i), Variant(numery[i])});
    return RunQuery(
        Q_ZerujAtrybuty, QStringLiteral("ZerujAtrybuty"), [&] { return SalesSql::ZerujAtrybuty(int(numery.size())); }, params,
        false);
}

bool TDM_Sprzedaz::ZerujObiekty(const QList<int> &obiekty)
{
    // SQL Server takes up to 2100 values in a statement.
    constexpr int kNaRaz = 500;
    for (int i = 0; i < obiekty.size(); i += kNaRaz) {
        const QList<int> czesc = obiekty.mid(i, kNaRaz);
        QList<QPair<QString, Variant>> params;
        for (int j = 0; j < czesc.size(); ++j)
            params.append({QStringLiteral("Obiekt%1").arg(j), Variant(czesc[j])});
        const auto text = [&] { return SalesSql::ZerujObiekty(int(czesc.size()), Q_ZerujObiekty.GetConnection().SqlDialect()); };
        if (!RunQuery(Q_ZerujObiekty, QStringLiteral("ZerujObiekty"), text, params, false))
            return false;
    }
    return true;
}

bool TDM_Sprzedaz::ZerujNieustawione()
{
    Query &q = Q_ObiektyZeSprzedaza;
    if (!RunQuery(q, QStringLiteral("Open_ObiektyZeSprzedaza"),
                  [&] { return SalesSql::ObiektyZeSprzedaza(q.GetConnection().SqlDialect()); }, {}))
        return false;
    QList<int> obiekty;
    for (q.First(); !q.Eof(); q.Next()) {
        const int id = q.FieldAt(0).AsInteger();
        if (!Ustawione.contains(id))
            obiekty.append(id);
    }
    q.Close();
    return ZerujObiekty(obiekty);
}

void TDM_Sprzedaz::CloseDataSets()
{
    for (auto &query : m_queries)
        pelk::CloseDataSets({query.get()});
    pelk::CloseDataSets({&Q_ObiektyByERPID, &Q_ObiektyZeSprzedaza, &Q_ZerujObiekty, &Q_ZerujAtrybuty});
    kbmMemTable_Sprzedaz.Clear();
    Ustawione.clear();
}

} // namespace pelk
