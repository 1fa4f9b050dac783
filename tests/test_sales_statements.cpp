// The sales periods and statements: the bounds each period gives the ERP queries, the
// statements' texts in both dialects and the library names they accept.
#include "config/Common.h"
#include "config/Errors.h"
#include "exchange/sales/SalesPeriods.h"
#include "exchange/sales/SalesSql.h"

#include <gtest/gtest.h>

using namespace pelk;

namespace {

struct PeriodCase
{
    const char *name;
    int y, m, d;
    int k; // -1: the twelve months
    int from, to;
};

// The case as the test list names it.
void PrintTo(const PeriodCase &c, std::ostream *os)
{
    *os << c.name;
}

class SalesPeriods : public ::testing::TestWithParam<PeriodCase>
{};

TEST_P(SalesPeriods, BoundsAsTheQueriesTakeThem)
{
    const PeriodCase &c = GetParam();
    const TDateTime now = EncodeDate(c.y, c.m, c.d) + 0.75; // 18:00: the time of day never counts
    const ROkres okres = c.k < 0 ? Okres12M(now) : OkresMiesiaca(now, c.k);
    EXPECT_EQ(DzienJakoLiczba(okres.Od), c.from);
    EXPECT_EQ(DzienJakoLiczba(okres.Do), c.to);
}

INSTANTIATE_TEST_SUITE_P(Cases, SalesPeriods,
                         ::testing::Values(PeriodCase{"Mar31_M", 2009, 3, 31, 0, 20090301, 20090331},
                                           PeriodCase{"Mar31_February", 2009, 3, 31, 1, 20090201, 20090228},
                                           PeriodCase{"Mar31_LeapFebruary", 2008, 3, 31, 1, 20080201, 20080229},
                                           PeriodCase{"Mar31_January", 2009, 3, 31, 2, 20090101, 20090131},
                                           PeriodCase{"Mar31_PreviousDecember", 2009, 3, 31, 3, 20081201, 20081231},
                                           PeriodCase{"Jan15_October", 2009, 1, 15, 3, 20081001, 20081031},
                                           PeriodCase{"Jan15_12M", 2009, 1, 15, -1, 20080116, 20090115},
                                           PeriodCase{"Mar1_12M_AfterLeapYear", 2009, 3, 1, -1, 20080301, 20090301},
                                           PeriodCase{"May31_April", 2026, 5, 31, 1, 20260401, 20260430}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(SalesStatements, SqlServerTextNamesTheLibraryAndRefusesForeignText)
{
    EXPECT_EQ(SalesSql::Tekst(SalesSql::PCE_RB, QStringLiteral("MOVEX.MVXADTA500"), Dialect::SqlServer),
              QStringLiteral("SELECT TRIM( ODHEAD.UACUNO) as ID, Sum(ODLINE.UBIVQT*MITMAS.MMNEWE) as Wartosc "
                             "FROM MOVEX.MVXADTA500.ODHEAD ODHEAD "
                             "inner join MOVEX.MVXADTA500.ODLINE ODLINE on ODLINE.UBORNO = ODHEAD.UAORNO and ODLINE.UBDLIX = "
                             "ODHEAD.UADLIX and ODLINE.UBFACI='BPL' "
                             "inner join MOVEX.MVXADTA500.MITMAS MITMAS on ODLINE.UBITNO=MITMAS.MMITNO and MITMAS.MMBUAR = 'C10' "
                             "and MITMAS.MMITGR in ('200','202') "
                             "WHERE ODHEAD.UAIVDT>= :DataOd and ODHEAD.UAIVDT<= :DataDo and ODHEAD.UAORTP Not In ('PRX','PRP') "
                             "GROUP BY ODHEAD.UACUNO"));
    EXPECT_TRUE(SalesSql::Tekst(SalesSql::MMA, QString(), Dialect::SQLite).contains(QStringLiteral("FROM ODHEAD ODHEAD")));
    EXPECT_TRUE(SalesSql::Tekst(SalesSql::MMA, QStringLiteral("[MOVEX-01].MVXADTA500"), Dialect::SqlServer)
                    .contains(QStringLiteral("[MOVEX-01].MVXADTA500.ODLINE ODLINE")));
    // Both roads to the ERP: its own database (LIBRARY, RDB.LIBRARY) or a linked server
    // (SERVER.CATALOG.LIBRARY, SERVER..LIBRARY); a comment or a statement's end never passes.
    for (const char *good :
         {"MVXADTA500", "MOVEX.MVXADTA500", "MOVEX..MVXADTA500", "MOVEX.M3DB.MVXADTA500", "[MOVEX--x].MVX", "ERP-01.MVXADTA500"})
        EXPECT_TRUE(SalesSql::Tekst(SalesSql::MMA, QString::fromLatin1(good), Dialect::SqlServer)
                        .contains(QString::fromLatin1(good) + QStringLiteral(".ODLINE ODLINE")))
            << good;
    for (const char *bad : {"MOVEX; drop table x", "MO'VEX", "MOVEX.MVX --", "MOVEX--x", "MOVEX/*x*/", "MOVEX.", ".MOVEX",
                            "A.B.C.D", "A...B", "MOVEX..", "MOVEX x"})
        EXPECT_THROW(SalesSql::Tekst(SalesSql::MMA, QString::fromLatin1(bad), Dialect::SqlServer), Exception) << bad;

    EXPECT_EQ(SalesSql::ZerujAtrybuty(2),
              QStringLiteral("update dbo.ATRYBUT_OBIEKT set ATO_VAR_DEC = 0 where ATO_ID_OB = "
                             ":Obiekt and ATO_ID_ATR in (:Atrybut0, :Atrybut1)"));
    // The GIS statements over the attributes of the zeroing of all figures, 100 to 623.
    const struct
    {
        QString text;
        const char *head, *tail;
    } gis[] = {
        {SalesSql::ObiektyKlienta(Dialect::SqlServer),
         "select o.OB_ID, o.OB_ID_SLO_TYP, s.ATO_ID_ATR, s.ATO_VAR_DEC from (select distinct OB_ID, OB_ID_SLO_TYP from dbo.ATRYBUT_OBIEKT "
         "inner join dbo.OBIEKT on OB_ID = ATO_ID_OB and OB_AKTYWNY = 1 where ATO_VAR_TXT = cast(:ObiektERPID as varchar(128))) o left outer join "
         "dbo.ATRYBUT_OBIEKT s on s.ATO_ID_OB = o.OB_ID and s.ATO_ID_ATR in (100, 101, 110, ",
         " 622, 623) order by o.OB_ID"},
        {SalesSql::ZerujObiekty(2, Dialect::SqlServer),
         "update dbo.ATRYBUT_OBIEKT set ATO_VAR_DEC = 0 where ATO_ID_ATR in (100, 101, 110, ",
         " 622, 623) and ATO_ID_OB in (:Obiekt0, :Obiekt1)"},
        {SalesSql::ObiektyZeSprzedaza(Dialect::SqlServer),
         "select distinct ATO_ID_OB from dbo.ATRYBUT_OBIEKT where ATO_ID_ATR in (100, 101, 110, ",
         " 622, 623) and (ATO_VAR_DEC is null or ATO_VAR_DEC <> 0)"},
    };
    for (const auto &g : gis) {
        EXPECT_TRUE(g.text.startsWith(QString::fromUtf8(g.head))) << g.text.toStdString();
        EXPECT_TRUE(g.text.endsWith(QString::fromUtf8(g.tail))) << g.text.toStdString();
    }
}

} // namespace
