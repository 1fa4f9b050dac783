#include "VisitSql.h"

namespace pelk::VisitSql {

// Times reach the CRM as typed date-time parameters, never as day-number literals: a server
// counting days from 1900 would read such a literal two days late. The activity id closes the
// row, so that a row that cannot be read can be named in the log.
const DialectSql &WizytyDoTransportu()
{
    static const DialectSql sql{
        QStringLiteral(" select a.CreatedbyCaesarUserID as PracownikID,         a.StartDate as DataWizyty,"
                       "         a.CreateDate as DataUtworzenia,         a.ActivityID as ID    from dbo.Activity a"
                       "         inner join dbo.Customer c on c.CustomerID = a.CustomerID and c.Region='BPL'"
                       "   where a.CreateDate  > :DataOd and c.CustomerNumber is not null union all "
                       " select a.CreatedbyCaesarUserID as PracownikID,         a.StartDate as DataWizyty,"
                       "         a.CreateDate as DataUtworzenia,         a.ActivityID as ID    from dbo.Activity a"
                       "         inner join dbo.Customer c on c.CustomerID = a.CustomerID and c.Region='BPL'"
                       "   where a.UpdateDate > :DataOd and c.CustomerNumber is not null   order by 1, 2  "),
        {}};
    return sql;
}

namespace {

// The day is the half-open range [:DzienOd, :DzienDo) and the representative a bound value.
QString dayOfRepresentative(const char *isNull)
{
    return QStringLiteral(" select a.ActivityID as ID,        a.CreatedbyCaesarUserID as PracownikID,"
                          "        c.CustomerNumber as KlientID,        a.StartDate as GodzinaOd,        a.EndDate as GodzinaDo,"
                          "        a.CreateDate as DataUtworzenia,        a.ActivityTypeCode as KodAktywnosci,"
                          "        %1( ac.Description, '') as Opis   from dbo.Activity a"
                          "        inner join dbo.Customer c on c.CustomerID=a.CustomerID and c.Region='BPL'"
                          "        left outer join dbo.Code ac on ac.CodeID = a.ActivityTypeCode"
                          "  where a.StartDate >= :DzienOd and a.StartDate < :DzienDo and"
                          "        a.CreatedbyCaesarUserID = :PracownikID and        c.CustomerNumber  is not null"
                          "  order by a.StartDate ")
        .arg(QLatin1String(isNull));
}

} // namespace

const DialectSql &ZamerWizyty()
{
    static const DialectSql sql{dayOfRepresentative("ISNULL"), dayOfRepresentative("IFNULL")};
    return sql;
}

// SQLite keeps WIZ_DATA as text "yyyy-mm-dd hh:nn:ss": the day is a range over that text, which
// the index on (WIZ_ID_OB, WIZ_DATA) serves.
const DialectSql &Wizyta()
{
    static const DialectSql sql{
        QStringLiteral("select WIZ_ID, WIZ_EXID, WIZ_NAZWA, WIZ_ID_OB, WIZ_DATA, WIZ_DLUGOSC, WIZ_CZAS, WIZ_ILOSC\r\n"
                       "  from dbo.WIZYTA\r\n"
                       " where WIZ_ID_OB = :ObiektID and\r\n"
                       "       convert(varchar(10),WIZ_DATA,120) = :DataWizyty \r\n"),
        QStringLiteral("select WIZ_ID, WIZ_EXID, WIZ_NAZWA, WIZ_ID_OB, WIZ_DATA, WIZ_DLUGOSC, WIZ_CZAS, WIZ_ILOSC\r\n"
                       "  from dbo.WIZYTA\r\n"
                       " where WIZ_ID_OB = :ObiektID and\r\n"
                       "       WIZ_DATA >= :DataWizyty and WIZ_DATA < date(:DataWizyty, '+1 day') \r\n")};
    return sql;
}

const DialectSql &InsertWizytaObiekt()
{
    static const DialectSql sql{
        QStringLiteral(
            "insert into dbo.WIZYTA_OBIEKT ( WIO_ID_WIZ, WIO_ID_OB, WIO_SORT, WIO_GODZ_OD, WIO_GODZ_DO, WIO_CZAS, WIO_OPIS, WIO_NUM1) "
            "values( :WizytaID, :ObiektID, :Sort, :GodzinaOd, :GodzinaDo, :Czas, :Opis, :Num1)"),
        {}};
    return sql;
}

QString WizytaTable()
{
    return QStringLiteral("dbo.WIZYTA");
}

QStringList WizytaFields()
{
    return {QStringLiteral("WIZ_ID"),   QStringLiteral("WIZ_EXID"),    QStringLiteral("WIZ_NAZWA"), QStringLiteral("WIZ_ID_OB"),
            QStringLiteral("WIZ_DATA"), QStringLiteral("WIZ_DLUGOSC"), QStringLiteral("WIZ_CZAS"),  QStringLiteral("WIZ_ILOSC")};
}

QString WizytaObiektTable()
{
    return QStringLiteral("dbo.WIZYTA_OBIEKT");
}

QStringList WizytaObiektFields()
{
    return {QStringLiteral("WIO_ID_WIZ"),  QStringLiteral("WIO_ID_OB"), QStringLiteral("WIO_SORT"), QStringLiteral("WIO_GODZ_OD"),
            QStringLiteral("WIO_GODZ_DO"), QStringLiteral("WIO_CZAS"),  QStringLiteral("WIO_OPIS"), QStringLiteral("WIO_NUM1")};
}

} // namespace pelk::VisitSql
