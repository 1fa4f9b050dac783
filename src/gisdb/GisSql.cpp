#include "GisSql.h"

#include <QStringList>

namespace pelk::GisSql {

// A text parameter reaches SQL Server as nvarchar: compared with a varchar column as it is, it
// makes the server convert the column, and under a SQL collation every look-up scans. Cast to
// the column's type, it seeks the index.
const DialectSql &FindObiektByEXID()
{
    static const DialectSql s{QStringLiteral("select OB_ID, OB_EXID from dbo.OBIEKT where OB_EXID = cast(:ObiektEXID as "
                                             "varchar(40)) and OB_ID_SLO_TYP = :Typ"),
                              {}};
    return s;
}

const DialectSql &ObiektyTypu()
{
    static const DialectSql s{QStringLiteral("select OB_ID, OB_EXID from dbo.OBIEKT where OB_ID_SLO_TYP = :Typ"), {}};
    return s;
}

const DialectSql &FindSlownikByNazwa()
{
    static const DialectSql s{
        QStringLiteral("select SLO_ID, SLO_ID_KAT, SLO_NAZWA, SLO_SORT, SLO_AKTYWNY, SLO_NUM1, SLO_NUM2, SLO_TXT1, SLO_TXT2 "
                       "from dbo.SLOWNIK where SLO_NAZWA = :SlownikNazwa and SLO_ID_KAT = :KategID"),
        {}};
    return s;
}

// The value, the name and the category are bound, not pasted into the text.
const DialectSql &SetSlownikData()
{
    static const DialectSql s{
        QStringLiteral("update dbo.SLOWNIK set SLO_TXT1 = :Wartosc where SLO_NAZWA = :SlownikNazwa and SLO_ID_KAT = :KategID"),
        {}};
    return s;
}

const DialectSql &FindAtrybutByID()
{
    static const DialectSql s{
        QStringLiteral("select ATR_ID, ATR_NAZWA, ATR_TYP, ATR_TXT1 from dbo.ATRYBUT where ATR_ID = :AtrybutID"), {}};
    return s;
}

const DialectSql &FindAtrybutByNazwa()
{
    static const DialectSql s{
        QStringLiteral("select ATR_ID, ATR_NAZWA, ATR_TYP, ATR_TXT1 from dbo.ATRYBUT "
                       "where ATR_TXT1 = cast(:AtrybutNazwa as varchar(40)) and ATR_ID_SLO_OBTYP = :AtrybutObiektTyp"),
        {}};
    return s;
}

// Floating-point values come back with 17 significant digits, which round-trip exactly (a
// plain cast keeps 6, so 1234567 would read as 1.23457e+006 and look changed on every run);
// decimals are read back as stored. The save compares numbers as numbers, not as texts.
// SQLite keeps dates as text "yyyy-mm-dd hh:nn:ss".
const DialectSql &GetWartoscAtrybutu()
{
    static const DialectSql s{
        QStringLiteral(
            "select ATR_ID, ATR_NAZWA, ATR_TYP, ATR_TXT1, (case ATR_TYP when 1 then convert(varchar(32), ATO_VAR_NUM, 3) "
            "when 2 then convert(varchar(32), ATO_VAR_NUM, 3) when 3 then convert(varchar(32), ATO_VAR_NUM, 3) "
            "when 4 then ATO_VAR_TXT when 5 then CONVERT( varchar(128), ATO_VAR_DATA, 120) "
            "when 6 then CONVERT( varchar(10), ATO_VAR_DATA, 120) when 7 then CONVERT( varchar(128), ATO_VAR_DATA, 120) "
            "when 8 then cast(ATO_VAR_DEC as varchar(128)) end) as ATR_WARTOSC "
            "from dbo.ATRYBUT_OBIEKT inner join dbo.ATRYBUT on ATR_ID = ATO_ID_ATR "
            "where ATR_ID = :AtrybutID and ATO_ID_OB = :ObiektID"),
        QStringLiteral(
            "select ATR_ID, ATR_NAZWA, ATR_TYP, ATR_TXT1, (case when ATR_TYP in (1, 2, 3) then printf('%.17g', ATO_VAR_NUM) "
            "when ATR_TYP = 4 then ATO_VAR_TXT "
            "when ATR_TYP in (5, 7) then strftime('%Y-%m-%d %H:%M:%S', ATO_VAR_DATA) "
            "when ATR_TYP = 6 then strftime('%Y-%m-%d', ATO_VAR_DATA) "
            "when ATR_TYP = 8 and ATO_VAR_DEC is not null then cast(ATO_VAR_DEC as varchar(128)) end) as ATR_WARTOSC "
            "from dbo.ATRYBUT_OBIEKT inner join dbo.ATRYBUT on ATR_ID = ATO_ID_ATR "
            "where ATR_ID = :AtrybutID and ATO_ID_OB = :ObiektID")};
    return s;
}

QString GetWartosciAtrybutowObiektu(int n, Dialect dialect)
{
    return QString(GetWartoscAtrybutu().For(dialect))
        .replace(QStringLiteral("where ATR_ID = :AtrybutID and ATO_ID_OB = :ObiektID"),
                 QStringLiteral("where ATO_ID_ATR in (%1) and ATO_ID_OB = :ObiektID")
                     .arg(ParameterList(QStringLiteral("Atrybut"), n)));
}

const DialectSql &InsertUprawnienia()
{
    static const DialectSql s{
        QStringLiteral("insert into dbo.UPRAWNIENIA ( UPR_ID_UZYTKOWNIK, UPR_ID_OBIEKT, UPR_WIDOCZNOSC, UPR_ZARZADZANIE)  "
                       "values( :UzytkownikID, :ObiektID, 1, 1) "),
        {}};
    return s;
}

namespace {

// The statement of an attribute type among those of each value column: numbers, text, a
// date-time given as text (style 120), a date, a decimal; null for an unknown type.
const DialectSql *ForValueColumn(int typAtrybutu, const DialectSql &num, const DialectSql &txt, const DialectSql &data120,
                                 const DialectSql &data, const DialectSql &dec)
{
    switch (typAtrybutu) {
    case taLiczba1:
    case taLiczba2:
    case taLiczba3: return &num;
    case taTekst: return &txt;
    case taDataCzas: return &data120;
    case taData:
    case taDataCzas7: return &data;
    case taDziesietna: return &dec;
    default: return nullptr;
    }
}

} // namespace

const DialectSql *InsertAtrybut(int typAtrybutu)
{
    static const DialectSql num{
        QStringLiteral(
            "insert into dbo.ATRYBUT_OBIEKT( ATO_ID_ATR, ATO_ID_OB, ATO_VAR_NUM) values( :AtrybutID, :ObiektID, :Wartosc ) "),
        {}};
    static const DialectSql txt{
        QStringLiteral(
            "insert into dbo.ATRYBUT_OBIEKT( ATO_ID_ATR, ATO_ID_OB, ATO_VAR_TXT) values( :AtrybutID, :ObiektID, :Wartosc ) "),
        {}};
    static const DialectSql data120{QStringLiteral("insert into dbo.ATRYBUT_OBIEKT( ATO_ID_ATR, ATO_ID_OB, ATO_VAR_DATA) "
                                                   "values( :AtrybutID, :ObiektID, convert(datetime, :Wartosc, 120) ) "),
                                    QStringLiteral("insert into dbo.ATRYBUT_OBIEKT( ATO_ID_ATR, ATO_ID_OB, ATO_VAR_DATA) "
                                                   "values( :AtrybutID, :ObiektID, datetime(:Wartosc) ) ")};
    static const DialectSql data{QStringLiteral("insert into dbo.ATRYBUT_OBIEKT( ATO_ID_ATR, ATO_ID_OB, ATO_VAR_DATA) "
                                                "values( :AtrybutID, :ObiektID, :Wartosc ) "),
                                 QStringLiteral("insert into dbo.ATRYBUT_OBIEKT( ATO_ID_ATR, ATO_ID_OB, ATO_VAR_DATA) "
                                                "values( :AtrybutID, :ObiektID, datetime(:Wartosc) ) ")};
    static const DialectSql dec{
        QStringLiteral(
            "insert into dbo.ATRYBUT_OBIEKT( ATO_ID_ATR, ATO_ID_OB, ATO_VAR_DEC) values( :AtrybutID, :ObiektID, :Wartosc ) "),
        {}};
    return ForValueColumn(typAtrybutu, num, txt, data120, data, dec);
}

const DialectSql *UpdateAtrybut(int typAtrybutu)
{
    static const DialectSql num{
        QStringLiteral(
            "update dbo.ATRYBUT_OBIEKT set ATO_VAR_NUM = :Wartosc where ATO_ID_ATR = :AtrybutID and ATO_ID_OB = :ObiektID"),
        {}};
    static const DialectSql txt{
        QStringLiteral(
            "update dbo.ATRYBUT_OBIEKT set ATO_VAR_TXT = :Wartosc where ATO_ID_ATR = :AtrybutID and ATO_ID_OB = :ObiektID"),
        {}};
    static const DialectSql data120{
        QStringLiteral("update dbo.ATRYBUT_OBIEKT set ATO_VAR_DATA = convert(datetime, :Wartosc, 120) "
                       "where ATO_ID_ATR = :AtrybutID and ATO_ID_OB = :ObiektID"),
        QStringLiteral("update dbo.ATRYBUT_OBIEKT set ATO_VAR_DATA = datetime(:Wartosc) "
                       "where ATO_ID_ATR = :AtrybutID and ATO_ID_OB = :ObiektID")};
    static const DialectSql data{QStringLiteral("update dbo.ATRYBUT_OBIEKT set ATO_VAR_DATA = :Wartosc "
                                                "where ATO_ID_ATR = :AtrybutID and ATO_ID_OB = :ObiektID"),
                                 QStringLiteral("update dbo.ATRYBUT_OBIEKT set ATO_VAR_DATA = datetime(:Wartosc) "
                                                "where ATO_ID_ATR = :AtrybutID and ATO_ID_OB = :ObiektID")};
    static const DialectSql dec{
        QStringLiteral(
            "update dbo.ATRYBUT_OBIEKT set ATO_VAR_DEC = :Wartosc where ATO_ID_ATR = :AtrybutID and ATO_ID_OB = :ObiektID"),
        {}};
    return ForValueColumn(typAtrybutu, num, txt, data120, data, dec);
}

QString ObiektTable()
{
    return QStringLiteral("dbo.OBIEKT");
}

QStringList ObiektFields()
{
    return {QStringLiteral("OB_ID"),     QStringLiteral("OB_EXID"),   QStringLiteral("OB_ID_SLO_TYP"),
            QStringLiteral("OB_NAZWA1"), QStringLiteral("OB_NAZWA2"), QStringLiteral("OB_NAZWA3"),
            QStringLiteral("OB_X_KM"),   QStringLiteral("OB_Y_KM"),   QStringLiteral("OB_X_STO"),
            QStringLiteral("OB_Y_STO"),  QStringLiteral("OB_AKTYWNY")};
}

QString AdresTable()
{
    return QStringLiteral("dbo.ADRES");
}

QStringList AdresFields()
{
    return {QStringLiteral("ADR_ID"),        QStringLiteral("ADR_ID_OB"),  QStringLiteral("ADR_KRAJ"),
            QStringLiteral("ADR_KOD"),       QStringLiteral("ADR_MIASTO"), QStringLiteral("ADR_ULICA"),
            QStringLiteral("ADR_NUMER1"),    QStringLiteral("ADR_NUMER2"), QStringLiteral("ADR_AKTYWNY"),
            QStringLiteral("ADR_ID_SLO_TYP")};
}

} // namespace pelk::GisSql
