#include "CustomerSql.h"

namespace pelk::CustomerSql {

namespace {

// The last-exchange time is a typed date-time parameter, never a day-number literal: servers
// that count days from 1900 would read such a literal two days late and miss changes.
QString ChangedList(const char *businessLineTest)
{
    return QStringLiteral(
               "select c.CustomerNumber as 'ID',         c.UpdateDate as 'DataAktualizacji'    from dbo.Customer c"
               "        left outer join dbo.relCaesarUserCustomer rkat on rkat.CustomerID = c.CustomerID and rkat.BusinessAreaCODE = 2112"
               "        left outer join dbo.Code katABC on katABC.CodeID = c.ratingCode"
               "        left outer join dbo.Code sek on sek.CodeID = c.BusinessLineCODE"
               "        left outer join dbo.Code krkat on krkat.CodeID = rkat.CategoryCODE"
               "  where c.Region='BPL' and        c.CustomerNumber is not null and"
               "        ( c.UpdateDate > :DataOd or          rkat.UpdateDate > :DataOd or"
               "          katABC.UpdateDate > :DataOd or          sek.UpdateDate > :DataOd or"
               "          krkat.UpdateDate > :DataOd )  and        c.BusinessLineCODE %1 ('1567','1568')"
               "  order by c.UpdateDate")
        .arg(QLatin1String(businessLineTest));
}

} // namespace

const DialectSql &KlienciDoTransportu()
{
    static const DialectSql sql{ChangedList("not in"), {}};
    return sql;
}

const DialectSql &DystrybutorzyDoTransportu()
{
    static const DialectSql sql{ChangedList("in"), {}};
    return sql;
}

const DialectSql &ZamerKlient()
{
    static const DialectSql sql{
        QStringLiteral(
            "select distinct c.CustomerNumber as 'ID', ISNULL(c.Name1,'') as 'Nazwa', ISNULL(c.Address,'') as 'Ulica', "
            "ISNULL(c.ZipCode,'') as 'Kod', ISNULL(c.City,'') as 'Miasto', c.CreateDate as 'DataUtworzenia', "
            "c.UpdateDate as 'DataAktualizacji', ISNULL(katABC.Description ,'') as 'KategoriaABC', "
            "ISNULL(sek.Description ,'') as 'Sektor', ISNULL(krkat.Description ,'') as 'Kategoria', "
            "ISNULL(cu.FirstName + ' ' + cu.Surname ,'') as 'OsobaOdpowiedzialna' from dbo.Customer c "
            "left outer join dbo.Code katABC on katABC.CodeID = c.ratingCode "
            "left outer join dbo.Code sek on sek.CodeID = c.BusinessLineCODE "
            "left outer join dbo.relCaesarUserCustomer rkat on rkat.CustomerID = c.CustomerID and rkat.BusinessAreaCODE = 2112 "
            "left outer join dbo.Code krkat on krkat.CodeID = rkat.CategoryCODE "
            "left outer join dbo.CaesarUser cu on cu.CaesarUserID=rkat.CaesarUserID "
            "where c.Region='BPL' and c.CustomerNumber = cast(:KlientID as varchar(20))"),
        QStringLiteral(
            "select distinct c.CustomerNumber as 'ID', IFNULL(c.Name1,'') as 'Nazwa', IFNULL(c.Address,'') as 'Ulica', "
            "IFNULL(c.ZipCode,'') as 'Kod', IFNULL(c.City,'') as 'Miasto', c.CreateDate as 'DataUtworzenia', "
            "c.UpdateDate as 'DataAktualizacji', IFNULL(katABC.Description ,'') as 'KategoriaABC', "
            "IFNULL(sek.Description ,'') as 'Sektor', IFNULL(krkat.Description ,'') as 'Kategoria', "
            "IFNULL(cu.FirstName || ' ' || cu.Surname ,'') as 'OsobaOdpowiedzialna' from dbo.Customer c "
            "left outer join dbo.Code katABC on katABC.CodeID = c.ratingCode "
            "left outer join dbo.Code sek on sek.CodeID = c.BusinessLineCODE "
            "left outer join dbo.relCaesarUserCustomer rkat on rkat.CustomerID = c.CustomerID and rkat.BusinessAreaCODE = 2112 "
            "left outer join dbo.Code krkat on krkat.CodeID = rkat.CategoryCODE "
            "left outer join dbo.CaesarUser cu on cu.CaesarUserID=rkat.CaesarUserID "
            "where c.Region='BPL' and c.CustomerNumber = :KlientID")};
    return sql;
}

} // namespace pelk::CustomerSql
