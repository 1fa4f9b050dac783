// pelk-sql-texts: prints every SQL Server statement the program can send, as a JSON array of
// {"name", "sql"}: each module's texts, the row helper's generated statements for the tables
// it writes, and the sales texts for a realistic linked-server library name. A check parses
// them all with a T-SQL parser (tests/sqlcheck).
#include "app/DatabaseHelpers.h"
#include "db/Connection.h"
#include "db/TableRow.h"
#include "exchange/customers/CustomerSql.h"
#include "exchange/sales/SalesSql.h"
#include "exchange/visits/VisitSql.h"
#include "gisdb/GisSql.h"
#include "gps/GpsSql.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

using namespace pelk;

namespace {

class Texts
{
public:
    void Add(const QString &name, const QString &sql) { m_all.append(QJsonObject{{"name", name}, {"sql", sql}}); }
    void Add(const QString &name, const DialectSql &sql) { Add(name, sql.For(Dialect::SqlServer)); }
    // The statements the row helper generates for a table: select by key, the empty select that
    // reads the columns, update and insert of every column but the identity key.
    void AddRow(const QString &table, const QStringList &keys, const QStringList &fields, bool identityKey)
    {
        Connection unopened;
        const TableRow row(unopened, table, keys, fields);
        QStringList written = fields;
        for (const QString &key : keys)
            written.removeAll(key);
        Add(table + QStringLiteral(" select"), row.SelectText(false));
        Add(table + QStringLiteral(" columns"), row.SelectText(true));
        Add(table + QStringLiteral(" update"), row.UpdateText(written));
        Add(table + QStringLiteral(" insert"), row.InsertText(identityKey ? written : fields, Dialect::SqlServer));
    }
    QByteArray Json() const { return QJsonDocument(m_all).toJson(); }

private:
    QJsonArray m_all;
};

// The GIS statements and rows.
void AddGisTexts(Texts &t)
{
    t.Add(QStringLiteral("FindObiektByEXID"), GisSql::FindObiektByEXID());
    t.Add(QStringLiteral("FindSlownikByNazwa"), GisSql::FindSlownikByNazwa());
    t.Add(QStringLiteral("SetSlownikData"), GisSql::SetSlownikData());
    t.Add(QStringLiteral("FindAtrybutByID"), GisSql::FindAtrybutByID());
    t.Add(QStringLiteral("FindAtrybutByNazwa"), GisSql::FindAtrybutByNazwa());
    t.Add(QStringLiteral("GetWartoscAtrybutu"), GisSql::GetWartoscAtrybutu());
    t.Add(QStringLiteral("GetWartosciAtrybutowObiektu"), GisSql::GetWartosciAtrybutowObiektu(3, Dialect::SqlServer));
    t.Add(QStringLiteral("InsertUprawnienia"), GisSql::InsertUprawnienia());
    for (int typ = 1; typ <= 8; ++typ) {
        t.Add(QStringLiteral("InsertAtrybut %1").arg(typ), *GisSql::InsertAtrybut(typ));
        t.Add(QStringLiteral("UpdateAtrybut %1").arg(typ), *GisSql::UpdateAtrybut(typ));
    }
    t.AddRow(GisSql::ObiektTable(), {QStringLiteral("OB_ID")}, GisSql::ObiektFields(), true);
    t.AddRow(GisSql::AdresTable(), {QStringLiteral("ADR_ID")}, GisSql::AdresFields(), true);
    {
        Connection unopened;
        const TableRow adres(unopened, GisSql::AdresTable(), {QStringLiteral("ADR_ID")}, GisSql::AdresFields());
        t.Add(
            QStringLiteral("ADRES by object"),
            adres.SelectWhereText({QStringLiteral("ADR_ID_OB"), QStringLiteral("ADR_AKTYWNY"), QStringLiteral("ADR_ID_SLO_TYP")},
                                  Dialect::SqlServer));
    }
}

// The CRM kinds' statements and rows.
void AddCustomerAndVisitTexts(Texts &t)
{
    t.Add(QStringLiteral("KlienciDoTransportu"), CustomerSql::KlienciDoTransportu());
    t.Add(QStringLiteral("DystrybutorzyDoTransportu"), CustomerSql::DystrybutorzyDoTransportu());
    t.Add(QStringLiteral("ZamerKlient"), CustomerSql::ZamerKlient());

    t.Add(QStringLiteral("WizytyDoTransportu"), VisitSql::WizytyDoTransportu());
    t.Add(QStringLiteral("ZamerWizytyListy"), VisitSql::ZamerWizytyListy());
    t.Add(QStringLiteral("WizytaObiekty"), VisitSql::WizytaObiekty());
    t.Add(QStringLiteral("Wizyta"), VisitSql::Wizyta());
    t.Add(QStringLiteral("InsertWizytaObiekt"), VisitSql::InsertWizytaObiekt());
    t.AddRow(VisitSql::WizytaTable(), {QStringLiteral("WIZ_ID")}, VisitSql::WizytaFields(), true);
    t.AddRow(VisitSql::WizytaObiektTable(), {QStringLiteral("WIO_ID_WIZ"), QStringLiteral("WIO_ID_OB")},
             VisitSql::WizytaObiektFields(), false);
}

// The sales statements.
void AddSalesTexts(Texts &t)
{
    // The ERP's tables by four-part names through a linked server; and once with the catalog
    // left empty, as many sites name it.
    for (int q = 0; q < SalesSql::LiczbaZapytan; ++q) {
        const auto zapytanie = SalesSql::Zapytanie(q);
        t.Add(QString::fromLatin1(SalesSql::Definicja(zapytanie).Open),
              SalesSql::Tekst(zapytanie, QStringLiteral("MOVEX.M3BE.MVXADTA500"), Dialect::SqlServer));
    }
    t.Add(QStringLiteral("Open_GetZamerSprzedazMMA, empty catalog"),
          SalesSql::Tekst(SalesSql::MMA, QStringLiteral("MOVEX..MVXADTA500"), Dialect::SqlServer));
    t.Add(QStringLiteral("ZerujAllAtrybutySprzedaz"), SalesSql::ZerujAllAtrybutySprzedaz());
    t.Add(QStringLiteral("ObiektyKlienta"), SalesSql::ObiektyKlienta(Dialect::SqlServer));
    t.Add(QStringLiteral("ZerujAtrybuty"), SalesSql::ZerujAtrybuty(3));
    t.Add(QStringLiteral("ZerujObiekty"), SalesSql::ZerujObiekty(3, Dialect::SqlServer));
    t.Add(QStringLiteral("ObiektyZeSprzedaza"), SalesSql::ObiektyZeSprzedaza(Dialect::SqlServer));
}

// The GPS feed's statements and rows.
void AddGpsTexts(Texts &t)
{
    t.Add(QStringLiteral("FindPojazd"), GpsSql::FindPojazd());
    t.Add(QStringLiteral("FindKierowca"), GpsSql::FindKierowca());
    t.Add(QStringLiteral("FindPostoj"), GpsSql::FindPostoj());
    t.Add(QStringLiteral("OstatniPostoj"), GpsSql::OstatniPostoj());
    t.AddRow(GpsSql::TrasaTable(), {QStringLiteral("TGP_ID")}, GpsSql::TrasaFields(), true);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Texts t;
    t.Add(QStringLiteral("ServerNow"), TDatabaseHelpers::ServerNowSql());
    AddGisTexts(t);
    AddCustomerAndVisitTexts(t);
    AddSalesTexts(t);
    AddGpsTexts(t);
    const QByteArray json = t.Json();
    std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    return 0;
}
