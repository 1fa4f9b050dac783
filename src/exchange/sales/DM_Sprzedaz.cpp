#include "DM_Sprzedaz.h"

#include "SalesPeriods.h"
#include "app/DM_Main.h"
#include "app/Guarded.h"
#include "app/Log.h"
#include "app/Settings.h"
#include "config/Errors.h"
#include "engine/CloseDataSets.h"

namespace pelk {

TDM_Sprzedaz::TDM_Sprzedaz(TDM_Main &dm) : m_dm(dm)
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

bool TDM_Sprzedaz::Open(SalesSql::Zapytanie zapytanie, TDateTime od, TDateTime do_)
{
    Query &query = Q(zapytanie);
    if (!m_dm.Db().CheckConnection(query.GetConnection()))
        return false;
    return Guarded(m_dm.Log(),
                   Where::Heading(QStringLiteral(" TDM_Sprzedaz.") + QLatin1String(SalesSql::Definicja(zapytanie).Open)), [&] {
                       if (!m_textsBuilt)
                           BuildTexts();
                       query.Close();
                       if (query.SQL() != m_texts[zapytanie])
                           query.SetSQL(m_texts[zapytanie]);
                       query.SetParam(QStringLiteral("DataOd"), Variant(DzienJakoLiczba(od)));
                       query.SetParam(QStringLiteral("DataDo"), Variant(DzienJakoLiczba(do_)));
                       query.Open();
                       query.First();
                       return true;
                   });
}

void TDM_Sprzedaz::CloseDataSets()
{
    for (auto &query : m_queries)
        pelk::CloseDataSets({query.get()});
    kbmMemTable_Sprzedaz.Clear();
}

} // namespace pelk
