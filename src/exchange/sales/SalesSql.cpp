#include "SalesSql.h"

#include "config/Errors.h"

#include <QRegularExpression>
#include <array>

namespace pelk::SalesSql {

namespace {

constexpr const char *kKwota = "Sum(ODLINE.UBLNAM)";
constexpr const char *kIlosc = "Sum(ODLINE.UBIVQT)";
constexpr const char *kKilogramy = "Sum(ODLINE.UBIVQT*MITMAS.MMNEWE)";

const std::array<RDefinicja, LiczbaZapytan> kDefinicje = {{
    {"Open_GetZamerSprzedazPCiPE_12M", kKwota, "MITMAS.MMBUAR in ('C10','C20','C21','C22')"},
    {"Open_GetZamerSprzedazPCiPE_12M", kKwota, "MITMAS.MMBUAR in ('E30','E31','E32','E40')"},
    {"Open_GetZamerSprzedazPCE_RB", kKilogramy, "MITMAS.MMBUAR = 'C10' and MITMAS.MMITGR in ('200','202')"},
    {"Open_GetZamerSprzedazPCE_noRB", kKilogramy, "MITMAS.MMBUAR = 'C10' and MITMAS.MMITGR not in ('200','202')"},
    {"Open_GetZamerSprzedazPCS_MM", kKilogramy, "MITMAS.MMBUAR = 'C20' and MITMAS.MMITGR in ('206','207')"},
    {"Open_GetZamerSprzedazPCS_noMM", kKilogramy, "MITMAS.MMBUAR = 'C20' and MITMAS.MMITGR not in ('206','207')"},
    {"Open_GetZamerSprzedazPCEkg", kKilogramy, "MITMAS.MMBUAR = 'C10'"},
    {"Open_GetZamerSprzedazPCSkg", kKilogramy, "MITMAS.MMBUAR = 'C20'"},
    {"Open_GetZamerSprzedazPCCkg", kKilogramy, "MITMAS.MMBUAR = 'C21'"},
    {"Open_GetZamerSprzedazPCFkg", kKilogramy, "MITMAS.MMBUAR = 'C22'"},
    {"Open_GetZamerSprzedazMMA", kIlosc, "MITMAS.MMITGR = '310'"},
    {"Open_GetZamerSprzedazTIGDC", kIlosc, "MITMAS.MMITGR = '335'"},
    {"Open_GetZamerSprzedazTIGACDC", kIlosc, "MITMAS.MMITGR = '397'"},
    {"Open_GetZamerSprzedazMIGMAGR", kIlosc, "MITMAS.MMITGR = '322'"},
    {"Open_GetZamerSprzedazMIGMAGup250", kIlosc, "MITMAS.MMITGR = '396'"},
    {"Open_GetZamerSprzedazMIGMAGdown250", kIlosc, "MITMAS.MMITGR = '320'"},
}};

} // namespace

const RDefinicja &Definicja(Zapytanie zapytanie)
{
    return kDefinicje.at(zapytanie);
}

QString AtrybutySprzedazy(Dialect dialect)
{
    const QString &zeruj = ZerujAllAtrybutySprzedaz().For(dialect);
    return zeruj.mid(zeruj.indexOf(QLatin1String("ATO_ID_ATR in (")));
}

const DialectSql &ZerujAllAtrybutySprzedaz()
{
    static const DialectSql sql{
        QStringLiteral(
            "update dbo.ATRYBUT_OBIEKT set ATO_VAR_DEC = 0 where ATO_ID_ATR in (100, 101, 110, 111, 112, 113, 114, 115, "
            "116, 117, 130, 131, 132, 133, 134, 135, 136, 137, 150, 151, 152, 153, 154, 155, 156, 157, 158, 159, 160, "
            "161, 162, 163, 164, 165, 200, 201, 202, 203, 204, 205, 206, 207, 208, 209, 210, 211, 212, 213, 214, 215, "
            "216, 217, 218, 219, 220, 221, 222, 223, 500, 501, 510, 511, 512, 513, 514, 515, 516, 517, 530, 531, 532, "
            "533, 534, 535, 536, 537, 550, 551, 552, 553, 554, 555, 556, 557, 558, 559, 560, 561, 562, 563, 564, 565, "
            "600, 601, 602, 603, 604, 605, 606, 607, 608, 609, 610, 611, 612, 613, 614, 615, 616, 617, 618, 619, 620, "
            "621, 622, 623)"),
        {}};
    return sql;
}

const DialectSql &Szablon()
{
    // SQLite sums whole amounts to integers, and its ODBC driver takes the type of a computed
    // column from the first row: a first customer with a whole sum would cut every later
    // sum to its integer part. The sums are made floating-point there.
    static const QString text = QStringLiteral(
        "SELECT TRIM( ODHEAD.UACUNO) as ID, %1 as Wartosc "
        "FROM %3ODHEAD ODHEAD "
        "inner join %3ODLINE ODLINE on ODLINE.UBORNO = ODHEAD.UAORNO and ODLINE.UBDLIX = ODHEAD.UADLIX and ODLINE.UBFACI='BPL' "
        "inner join %3MITMAS MITMAS on ODLINE.UBITNO=MITMAS.MMITNO and %2 "
        "WHERE ODHEAD.UAIVDT>= :DataOd and ODHEAD.UAIVDT<= :DataDo and ODHEAD.UAORTP Not In ('PRX','PRP') "
        "GROUP BY ODHEAD.UACUNO");
    static const DialectSql s{
        text, QString(text).replace(QStringLiteral("%1 as Wartosc"), QStringLiteral("CAST(%1 AS REAL) as Wartosc"))};
    return s;
}

QString Tekst(Zapytanie zapytanie, const QString &biblioteka, Dialect dialect)
{
    // The library as the ERP data source names it: LIBRARY, DATABASE.LIBRARY (the ERP's own
    // server, or a SQL Server database), SERVER.CATALOG.LIBRARY or SERVER..LIBRARY (a linked
    // server, the catalog left empty). A part is letters, digits, "_", "$", "#" and single "-"
    // between them, or any text in brackets but brackets, quotes and ";": never a comment
    // ("--", "/*") or a statement's end outside brackets.
    static const QString part = QStringLiteral("(?:[A-Za-z0-9_$#]+(?:-[A-Za-z0-9_$#]+)*|\\[[^\\[\\]';]+\\])");
    static const QRegularExpression nazwa(QStringLiteral("^%1(?:(?:\\.%1?)?\\.%1)?$").arg(part));
    const QString library = biblioteka.trimmed();
    if (!library.isEmpty() && !nazwa.match(library).hasMatch())
        throw Exception(QStringLiteral("Niepoprawna nazwa biblioteki ERP w ustawieniu \"BibliotekaMovex\": \"%1\"").arg(library));
    const RDefinicja &d = Definicja(zapytanie);
    return Szablon().For(dialect).arg(QLatin1String(d.Miara), QLatin1String(d.FiltrTowaru),
                                      library.isEmpty() ? QString() : library + QLatin1Char('.'));
}

// The objects with the rows they hold and their figures in one statement: a customer's figures
// are written without a read per figure, each as an update of its row where it changed or an
// insert where there is none.
QString ObiektyKlienta(Dialect dialect)
{
    return QStringLiteral(
               "select o.OB_ID, o.OB_ID_SLO_TYP, s.ATO_ID_ATR, s.ATO_VAR_DEC from (select distinct OB_ID, OB_ID_SLO_TYP "
               "from dbo.ATRYBUT_OBIEKT inner join dbo.OBIEKT on OB_ID = ATO_ID_OB and OB_AKTYWNY = 1 "
               "where ATO_VAR_TXT = cast(:ObiektERPID as varchar(128))) o "
               "left outer join dbo.ATRYBUT_OBIEKT s on s.ATO_ID_OB = o.OB_ID and s.%1 order by o.OB_ID")
        .arg(AtrybutySprzedazy(dialect));
}

QString ZerujAtrybuty(int k)
{
    return QStringLiteral("update dbo.ATRYBUT_OBIEKT set ATO_VAR_DEC = 0 where ATO_ID_OB = :Obiekt and ATO_ID_ATR in (%1)")
        .arg(ParameterList(QStringLiteral("Atrybut"), k));
}

QString ZerujObiekty(int n, Dialect dialect)
{
    return ZerujAllAtrybutySprzedaz().For(dialect)
        + QStringLiteral(" and ATO_ID_OB in (%1)").arg(ParameterList(QStringLiteral("Obiekt"), n));
}

// A NULL figure counts as one to zero, as the zeroing of all figures sets it to 0 too.
QString ObiektyZeSprzedaza(Dialect dialect)
{
    return QStringLiteral(
               "select distinct ATO_ID_OB from dbo.ATRYBUT_OBIEKT where %1 and (ATO_VAR_DEC is null or ATO_VAR_DEC <> 0)")
        .arg(AtrybutySprzedazy(dialect));
}

} // namespace pelk::SalesSql
