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

// The list's representative-days are those of WizytyDoTransportu; each day is the half-open
// range [day, next day) of start times, so that a start time's index serves it.
QString activitiesOfListedDays(const char *isNull, const char *day, const char *nextDay)
{
    return QStringLiteral(
               " select a.ActivityID as ID,        a.CreatedbyCaesarUserID as PracownikID,"
               "        c.CustomerNumber as KlientID,        a.StartDate as GodzinaOd,        a.EndDate as GodzinaDo,"
               "        a.CreateDate as DataUtworzenia,        a.ActivityTypeCode as KodAktywnosci,"
               "        %1( ac.Description, '') as Opis   from dbo.Activity a"
               "        inner join dbo.Customer c on c.CustomerID=a.CustomerID and c.Region='BPL'"
               "        left outer join dbo.Code ac on ac.CodeID = a.ActivityTypeCode"
               "        inner join ( select distinct z.CreatedbyCaesarUserID as PracownikID, %2 as Dzien"
               "                       from dbo.Activity z"
               "                            inner join dbo.Customer zc on zc.CustomerID = z.CustomerID and zc.Region='BPL'"
               "                      where (z.CreateDate > :DataOd or z.UpdateDate > :DataOd) and"
               "                            zc.CustomerNumber is not null ) d"
               "           on d.PracownikID = a.CreatedbyCaesarUserID and a.StartDate >= d.Dzien and a.StartDate < %3"
               "  where c.CustomerNumber  is not null"
               "  order by a.CreatedbyCaesarUserID, a.StartDate ")
        .arg(QLatin1String(isNull), QLatin1String(day), QLatin1String(nextDay));
}

} // namespace

const DialectSql &ZamerWizytyListy()
{
    static const DialectSql sql{
        activitiesOfListedDays("ISNULL", "dateadd(day, datediff(day, 0, z.StartDate), 0)", "dateadd(day, 1, d.Dzien)"),
        activitiesOfListedDays("IFNULL", "date(z.StartDate)", "date(d.Dzien, '+1 day')")};
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

const DialectSql &WizytaObiekty()
{
    static const DialectSql sql{QStringLiteral("select %1 from dbo.WIZYTA_OBIEKT where WIO_ID_WIZ = :WizytaID")
                                    .arg(WizytaObiektFields().join(QStringLiteral(", "))),
                                {}};
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
