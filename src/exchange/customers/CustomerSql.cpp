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
               "          krkat.UpdateDate > :DataOd )  and        c.BusinessLineCode %1 ('1567','1568')"
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
            "where c.Region='BPL' and c.CustomerNumber = :KlientID"),
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

// "distinct": an object holding the id in two of its attributes is still one object, and
// gets its whole share.
const DialectSql &ObiektyByERPID()
{
    static const DialectSql sql{
        QStringLiteral("select distinct OB_ID, OB_EXID, OB_ID_SLO_TYP, ATO_VAR_TXT from dbo.ATRYBUT_OBIEKT "
                       "inner join dbo.OBIEKT on OB_ID = ATO_ID_OB and OB_AKTYWNY = 1 where ATO_VAR_TXT = :ObiektERPID "),
        {}};
    return sql;
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

} // namespace pelk::CustomerSql
