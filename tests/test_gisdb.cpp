// GIS dictionary lookups and the GIS object save against a SQLite GIS database created from
// the shipped scripts, reached through ODBC.
#include "app/DM_Main.h"
#include "app/Log.h"
#include "app/Process.h"
#include "config/Errors.h"
#include "config/NumberText.h"
#include "gisdb/DM_PelkFun.h"
#include "gisdb/Pelk_Obiekt.h"
#include "support/GisDatabase.h"
#include "support/Installation.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace pelk;
using namespace pelk::test;

namespace {

// A target-layout file as the stylesheet writes it.
QString ObiektXml(const QString &exid, const QString &nazwa, const QString &miasto, const QString &kategoria, int typ = 102,
                  const QString &extraItems = {})
{
    auto esc = [](QString s) {
        return s.replace(QLatin1Char('&'), QLatin1String("&amp;")).replace(QLatin1Char('<'), QLatin1String("&lt;"));
    };
    auto item = [&](int n, const QString &name, const QString &value, bool edit) {
        return QStringLiteral("<class classname=\"TAtrybutyObiektCollectionItem\" name=\"Item_%1\"><properties>"
                              "<property name=\"NumerAtrybutu\" type=\"Integer\">0</property>"
                              "<property name=\"NazwaAtrybutu\" type=\"String\">%2</property>"
                              "<property name=\"Wartosc\" type=\"String\">%3</property>"
                              "<property name=\"Edytowany\" type=\"Enumeration\">%4</property>"
                              "</properties></class>\n")
            .arg(n)
            .arg(name, esc(value), edit ? QStringLiteral("True") : QStringLiteral("False"));
    };
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<classes>\n"
                          "<class classname=\"TPelk_Obiekt\" name=\"TPelk_Obiekt\"><properties>\n"
                          "<property name=\"ObjectID\" type=\"String\">%1</property>\n"
                          "<property name=\"ObiektTyp\" type=\"Integer\">%5</property>\n"
                          "<property name=\"ID\" type=\"Empty\"/>\n"
                          "<property name=\"EXID\" type=\"String\">%1</property>\n"
                          "<property name=\"Nazwa\" type=\"OleStr\">%2</property>\n"
                          "<property name=\"XKM\" type=\"String\">512345.25</property>\n"
                          "<property name=\"YKM\" type=\"Empty\"/>\n"
                          "<property name=\"XSTO\" type=\"Empty\"/>\n"
                          "<property name=\"YSTO\" type=\"Empty\"/>\n"
                          "<property name=\"Aktywny\" type=\"Integer\">1</property>\n"
                          "<property name=\"Adres\" type=\"Object\" class=\"TPelk_ObiektAdres\">"
                          "<class classname=\"TPelk_ObiektAdres\" name=\"Adres\"><properties>"
                          "<property name=\"ID\" type=\"Integer\">0</property>"
                          "<property name=\"Kraj\" type=\"String\">Polska</property>"
                          "<property name=\"Kod\" type=\"String\">00-950</property>"
                          "<property name=\"Miasto\" type=\"String\">%3</property>"
                          "<property name=\"Ulica\" type=\"String\">ul. Żółkiewskiego 5</property>"
                          "<property name=\"Numer1\" type=\"String\"></property>"
                          "<property name=\"Numer2\" type=\"String\"></property>"
                          "<property name=\"Typ\" type=\"Integer\">201</property>"
                          "<property name=\"Aktywny\" type=\"Integer\">1</property>"
                          "</properties></class></property>\n"
                          "<property name=\"Atrybuty\" type=\"Object\" class=\"TAtrybutyObiektCollection\">"
                          "<class classname=\"TAtrybutyObiektCollection\" name=\"Atrybuty\"><customdata>\n")
               .arg(esc(exid), esc(nazwa), esc(miasto))
               .arg(typ)
        + item(1, QStringLiteral("KategoriaABC"), kategoria, true)
        + item(2, QStringLiteral("DataUtworzenia"), QStringLiteral("2009-03-05 14:07:09"), true)
        + item(3, QStringLiteral("Sektor"), QStringLiteral("Hurt"), false) + extraItems
        + QStringLiteral("</customdata></class></property>\n</properties></class>\n</classes>\n");
}

class GisDb : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureApplication();
        inst.WriteSettings();
        CreateGisDatabase(inst.gisFile);
        dm = std::make_unique<TDM_Main>(inst.dir.path(), QStringList(), &pane, nullptr);
        fun = &TDM_PelkFun::Of(*dm);
        ASSERT_TRUE(dm->Db().CheckConnection(dm->ADOConnection_PelkGIS));
    }

    QStringList Sql(const QString &sql) const { return OdbcEnvironment::QuerySqlite(inst.gisFile, sql); }
    void ExecSql(const QString &sql) const { OdbcEnvironment::ExecSqlite(inst.gisFile, sql); }

    // The pipeline's way: read the target-layout file, then save, each save a run of its own
    // (what is read once per run is read again). The pane shows a message of several lines
    // line by line.
    bool Save(const QString &xml, QString *log = nullptr)
    {
        dm->Process()->SetCountObj(1);
        const QString file = inst.Path(QStringLiteral("work/Pelk_Obiekt__1.xml"));
        WriteFileText(file, xml);
        TPelk_Obiekt obiekt(*dm);
        obiekt.FileName = file;
        EXPECT_TRUE(obiekt.LoadFromXML());
        pane.messages.clear();
        RObiekt element;
        const bool ok = obiekt.SaveObjectData(element);
        lastStatus = obiekt.StatusZapisu;
        if (log)
            *log = pane.AllText();
        return ok;
    }

    QStringList Dump() const
    {
        return Sql(QStringLiteral("select * from OBIEKT; select * from ADRES; select * from ATRYBUT_OBIEKT order by 1, 2;"
                                  "select * from UPRAWNIENIA;"));
    }

    Installation inst;
    RecordingLogView pane;
    std::unique_ptr<TDM_Main> dm;
    TDM_PelkFun *fun = nullptr;
    int lastStatus = -1;
};

} // namespace

TEST(GisSqlTexts, SqlServerTextsKeepTheirFormWithValuesBound)
{
    EXPECT_EQ(GisSql::FindObiektByEXID().For(Dialect::SqlServer),
              QStringLiteral("select OB_ID, OB_EXID from dbo.OBIEKT where OB_EXID = cast(:ObiektEXID as varchar(40)) and "
                             "OB_ID_SLO_TYP = :Typ"));
    EXPECT_EQ(
        GisSql::SetSlownikData().For(Dialect::SqlServer),
        QStringLiteral("update dbo.SLOWNIK set SLO_TXT1 = :Wartosc where SLO_NAZWA = :SlownikNazwa and SLO_ID_KAT = :KategID"));
    EXPECT_EQ(GisSql::InsertUprawnienia().For(Dialect::SqlServer),
              QStringLiteral("insert into dbo.UPRAWNIENIA ( UPR_ID_UZYTKOWNIK, UPR_ID_OBIEKT, UPR_WIDOCZNOSC, UPR_ZARZADZANIE)  "
                             "values( :UzytkownikID, :ObiektID, 1, 1) "));
    EXPECT_EQ(GisSql::InsertAtrybut(5)->For(Dialect::SqlServer),
              QStringLiteral("insert into dbo.ATRYBUT_OBIEKT( ATO_ID_ATR, ATO_ID_OB, ATO_VAR_DATA) "
                             "values( :AtrybutID, :ObiektID, convert(datetime, :Wartosc, 120) ) "));
    EXPECT_EQ(
        GisSql::UpdateAtrybut(4)->For(Dialect::SqlServer),
        QStringLiteral(
            "update dbo.ATRYBUT_OBIEKT set ATO_VAR_TXT = :Wartosc where ATO_ID_ATR = :AtrybutID and ATO_ID_OB = :ObiektID"));
    EXPECT_TRUE(GisSql::GetWartoscAtrybutu()
                    .For(Dialect::SqlServer)
                    .contains(QStringLiteral("when 6 then CONVERT( varchar(10), ATO_VAR_DATA, 120)")));
    EXPECT_EQ(GisSql::InsertAtrybut(9), nullptr);
    EXPECT_EQ(GisSql::UpdateAtrybut(0), nullptr);
    for (int t = 1; t <= 8; ++t)
        EXPECT_FALSE(GisSql::InsertAtrybut(t)->For(Dialect::SqlServer).contains(QLatin1Char('\'')));
}

TEST(GisReferenceData, SqlServerScriptHoldsEveryRowOfTheSqliteOne)
{
    // A fresh SQL Server GIS exchanges nothing without its reference data: both scripts must
    // carry the same rows.
    const QString sqlite = test::ReadFileText(QStringLiteral(PELK_SOURCE_DIR "/deploy/sqlite/gis-reference.sql"));
    const QString mssql = test::ReadFileText(QStringLiteral(PELK_SOURCE_DIR "/deploy/mssql/gis-reference.sql"))
                              .replace(QRegularExpression(QStringLiteral("([ (,])N'")), QStringLiteral("\\1'"));
    const QRegularExpression row(QStringLiteral("\\((\\d+), [^()]*\\)"));
    int rows = 0;
    for (auto it = row.globalMatch(sqlite); it.hasNext(); ++rows) {
        const QString tuple = it.next().captured(0);
        EXPECT_TRUE(mssql.contains(tuple)) << tuple.toStdString();
    }
    EXPECT_GE(rows, 26);
}

TEST(GisNumbers, NormalisedDecimalTexts)
{
    EXPECT_EQ(NormalizujLiczbe(QStringLiteral("12,50")), QStringLiteral("12.5"));
    EXPECT_EQ(NormalizujLiczbe(QStringLiteral("12.00")), QStringLiteral("12."));
    EXPECT_EQ(NormalizujLiczbe(QStringLiteral("100")), QStringLiteral("100"));
    EXPECT_TRUE(TakieSameLiczby(QStringLiteral("12.50"), QStringLiteral("12,5")));
    EXPECT_TRUE(TakieSameLiczby(QStringLiteral("12.00"), QStringLiteral("12")));
    EXPECT_TRUE(TakieSameLiczby(QStringLiteral("1234567.0"), QStringLiteral("1234567")));
    EXPECT_FALSE(TakieSameLiczby(QStringLiteral("33.33"), QStringLiteral("33.333")));
    EXPECT_FALSE(TakieSameLiczby(QStringLiteral("1.05"), QStringLiteral("1.5")));

    // A decimal column of scale 2 on SQL Server (read back "0.00") holds a share of three
    // decimals rounded: the same value again is no change; SQLite keeps every decimal.
    EXPECT_TRUE(TakieSameDziesietne(QStringLiteral("0.00"), QStringLiteral("0.004"), Dialect::SqlServer));
    EXPECT_TRUE(TakieSameDziesietne(QStringLiteral("12.35"), QStringLiteral("12.345"), Dialect::SqlServer));
    EXPECT_TRUE(TakieSameDziesietne(QStringLiteral("-12.35"), QStringLiteral("-12.345"), Dialect::SqlServer));
    EXPECT_TRUE(TakieSameDziesietne(QStringLiteral("100.00"), QStringLiteral("99.999"), Dialect::SqlServer));
    EXPECT_TRUE(TakieSameDziesietne(QStringLiteral("12.346"), QStringLiteral("12.346"), Dialect::SqlServer));
    EXPECT_FALSE(TakieSameDziesietne(QStringLiteral("12.35"), QStringLiteral("12.356"), Dialect::SqlServer));
    EXPECT_FALSE(TakieSameDziesietne(QStringLiteral("12.34"), QStringLiteral("12.345"), Dialect::SqlServer));
    EXPECT_FALSE(TakieSameDziesietne(QStringLiteral("12.5"), QStringLiteral("12.54"), Dialect::SQLite));
    EXPECT_EQ(RoundDecimalText(QStringLiteral("9.9995"), 3), QStringLiteral("10.000"));
    EXPECT_EQ(RoundDecimalText(QStringLiteral("0,125"), 0), QStringLiteral("0"));
    EXPECT_EQ(RoundDecimalText(QStringLiteral("1E5"), 2), QStringLiteral("1E5"));
}

TEST_F(GisDb, ObjectTypeNamesAndLookups)
{
    EXPECT_EQ(TDM_PelkFun::GetObiektTypNazwa(108), QStringLiteral("DYSTRYBUTOR"));
    EXPECT_EQ(TDM_PelkFun::GetObiektTypNazwa(109), QStringLiteral("NIEZNANY"));
    EXPECT_EQ(TDM_PelkFun::GetObiektTypNazwa(0), QStringLiteral("NIEZNANY"));
    ExecSql(QStringLiteral("insert into OBIEKT (OB_ID, OB_EXID, OB_ID_SLO_TYP, OB_AKTYWNY) values (50, 'K1', 102, 0);"
                           "insert into ADRES (ADR_ID, ADR_ID_OB, ADR_AKTYWNY, ADR_ID_SLO_TYP) values (7, 50, 0, 201);"));
    int id = -1;
    EXPECT_TRUE(fun->GetObiektIDByEXID(QStringLiteral("K1"), TDM_PelkFun::TypKlient, id)); // inactive objects are found
    EXPECT_EQ(id, 50);
    id = -1;
    EXPECT_FALSE(fun->GetObiektIDByEXID(QStringLiteral("K1"), TDM_PelkFun::TypDystrybutor, id));
    EXPECT_EQ(id, -1);
    // An inactive address is not the object's address.
    EXPECT_FALSE(fun->AdresRow.OpenWhere({{QStringLiteral("ADR_ID_OB"), Variant(50)},
                                          {QStringLiteral("ADR_AKTYWNY"), Variant(1)},
                                          {QStringLiteral("ADR_ID_SLO_TYP"), Variant(201)}}));
    int nr = 0, typ = 0;
    EXPECT_TRUE(fun->GetAtrybutByNazwa(QStringLiteral("DataUtworzenia"), TDM_PelkFun::TypDystrybutor, nr, typ));
    EXPECT_EQ(nr, 15);
    EXPECT_EQ(typ, 5);
    EXPECT_FALSE(fun->GetAtrybutByNazwa(QStringLiteral("Data utworzenia"), TDM_PelkFun::TypKlient, nr,
                                        typ)); // display name is not the key
}

TEST_F(GisDb, WatermarkRoundTripAndDictionaryNumbers)
{
    const QString key = QStringLiteral("interfejs_transport_klient");
    TDateTime t = 123.0;
    EXPECT_TRUE(fun->GetSlownikData(key, 0, t)); // empty value leaves the date alone
    EXPECT_EQ(t, 123.0);
    EXPECT_FALSE(fun->GetSlownikData(QStringLiteral("brak"), 0, t));

    const TDateTime when = EncodeDate(2009, 3, 5) + EncodeTime(14, 7, 9, 0);
    fun->SetSlownikData(key, 0, when);
    EXPECT_EQ(Sql(QStringLiteral("select SLO_TXT1 from SLOWNIK where SLO_NAZWA = '%1'").arg(key)),
              QStringList{QStringLiteral("2009-03-05 14:07:09")});
    t = 0;
    EXPECT_TRUE(fun->GetSlownikData(key, 0, t));
    EXPECT_EQ(DateTimeToText(t), QStringLiteral("2009-03-05 14:07:09"));

    ExecSql(QStringLiteral("update SLOWNIK set SLO_TXT1 = '2009-03-05' where SLO_NAZWA = 'interfejs_transport_wizyta';"));
    EXPECT_TRUE(fun->GetSlownikData(QStringLiteral("interfejs_transport_wizyta"), 0, t));
    EXPECT_EQ(DateTimeToText(t), QStringLiteral("2009-03-05 00:00:00"));

    // A name that would break out of a quoted literal changes nothing.
    const QStringList before = Sql(QStringLiteral("select SLO_NAZWA, SLO_TXT1 from SLOWNIK order by SLO_ID"));
    fun->SetSlownikData(QStringLiteral("x' or '1'='1"), 0, when);
    fun->SetSlownikData(QStringLiteral("brak"), 0, when);
    EXPECT_EQ(Sql(QStringLiteral("select SLO_NAZWA, SLO_TXT1 from SLOWNIK order by SLO_ID")), before);

    int user = -1;
    EXPECT_TRUE(fun->GetSlownikLiczba(QStringLiteral("interfejs_uprawnienia_userid"), 0, user));
    EXPECT_EQ(user, 1);
    // Read once per run: a change is seen by the next run.
    ExecSql(QStringLiteral("update SLOWNIK set SLO_TXT1 = 'abc' where SLO_NAZWA = 'interfejs_uprawnienia_userid';"));
    EXPECT_TRUE(fun->GetSlownikLiczba(QStringLiteral("interfejs_uprawnienia_userid"), 0, user));
    dm->Process()->SetCountObj(1);
    EXPECT_THROW(fun->GetSlownikLiczba(QStringLiteral("interfejs_uprawnienia_userid"), 0, user), EConvertError);
}

TEST_F(GisDb, NewObjectInsertedThenUnchangedThenUpdated)
{
    QString log;
    ASSERT_TRUE(
        Save(ObiektXml(QStringLiteral("K100"), QStringLiteral("Hurtownia Łąka"), QStringLiteral("Warszawa"), QStringLiteral("A")),
             &log));
    EXPECT_EQ(lastStatus, szNowy);
    EXPECT_EQ(dm->Process()->NewCount(), 1);
    EXPECT_TRUE(
        log.contains(QStringLiteral(" System Pelk·GIS Trasar przetwarzany obiekt KLIENT: EXID: K100; Nazwa: Hurtownia Łąka")));
    EXPECT_EQ(Sql(QStringLiteral(
                  "select OB_EXID, OB_ID_SLO_TYP, OB_NAZWA1, OB_NAZWA2, OB_X_KM, OB_Y_KM is null, OB_AKTYWNY from OBIEKT")),
              QStringList{QStringLiteral("K100|102|Hurtownia Łąka||512345.25|1|1")});
    EXPECT_EQ(
        Sql(QStringLiteral("select ADR_ID_OB, ADR_KRAJ, ADR_KOD, ADR_MIASTO, ADR_ULICA, ADR_AKTYWNY, ADR_ID_SLO_TYP from ADRES")),
        QStringList{QStringLiteral("1|Polska|00-950|Warszawa|ul. Żółkiewskiego 5|1|201")});
    EXPECT_EQ(Sql(QStringLiteral("select ATO_ID_ATR, ATO_ID_OB, ATO_VAR_TXT, ATO_VAR_DATA from ATRYBUT_OBIEKT order by 1")),
              (QStringList{QStringLiteral("1|1|A|"), QStringLiteral("2|1|Hurt|"), QStringLiteral("5|1||2009-03-05 14:07:09")}));
    EXPECT_EQ(Sql(QStringLiteral("select * from UPRAWNIENIA")), QStringList{QStringLiteral("1|1|1|1")});

    const QStringList stored = Dump();
    ASSERT_TRUE(
        Save(ObiektXml(QStringLiteral("K100"), QStringLiteral("Hurtownia Łąka"), QStringLiteral("Warszawa"), QStringLiteral("A")),
             &log));
    EXPECT_EQ(lastStatus, szBezZmian);
    EXPECT_EQ(dm->Process()->UnchangedCount(), 1);
    EXPECT_FALSE(log.contains(QStringLiteral("stara wartosc"))) << log.toStdString();
    EXPECT_EQ(Dump(), stored);

    ASSERT_TRUE(
        Save(ObiektXml(QStringLiteral("K100"), QStringLiteral("Hurtownia Łąka"), QStringLiteral("Kraków"), QStringLiteral("B")),
             &log));
    EXPECT_EQ(lastStatus, szZmieniony);
    EXPECT_TRUE(log.contains(QStringLiteral(" Pole: ADR_MIASTO: stara wartosc: \"Warszawa\"; nowa wartosc: \"Kraków\" ")));
    EXPECT_TRUE(log.contains(QStringLiteral(" Atrybut nr: 1 nazwa: KategoriaABC - stara wartosc: \"A\"; nowa wartosc: \"B\" ")));
    EXPECT_EQ(Sql(QStringLiteral("select ADR_MIASTO from ADRES")), QStringList{QStringLiteral("Kraków")});
    EXPECT_EQ(Sql(QStringLiteral("select ATO_VAR_TXT from ATRYBUT_OBIEKT where ATO_ID_ATR = 1")),
              QStringList{QStringLiteral("B")});
    EXPECT_EQ(Sql(QStringLiteral("select count(*) from UPRAWNIENIA")), QStringList{QStringLiteral("1")});
}

TEST_F(GisDb, LongNamesSlicedAndQuotedTextsStoredVerbatim)
{
    QString name;
    for (int i = 0; i < 13; ++i)
        name += QStringLiteral("%1O'Brień_x").arg(i % 10); // 10 characters each
    ASSERT_EQ(name.size(), 130);
    const QString quoted = QStringLiteral("'; drop table OBIEKT; -- \"Ząb\"");
    ASSERT_TRUE(Save(ObiektXml(QStringLiteral("O'B"), name, QStringLiteral("Łódź O'Hara"), quoted)));
    EXPECT_EQ(Sql(QStringLiteral("select OB_EXID, OB_NAZWA1, OB_NAZWA2, OB_NAZWA3 from OBIEKT")),
              QStringList{QStringLiteral("O'B|%1|%2|%3").arg(name.mid(0, 40), name.mid(40, 40), name.mid(80, 40))});
    EXPECT_EQ(Sql(QStringLiteral("select ADR_MIASTO from ADRES")), QStringList{QStringLiteral("Łódź O'Hara")});
    EXPECT_EQ(Sql(QStringLiteral("select ATO_VAR_TXT from ATRYBUT_OBIEKT where ATO_ID_ATR = 1")), QStringList{quoted});

    // Saved again: the object is found by its quoted EXID and nothing changes.
    ASSERT_TRUE(Save(ObiektXml(QStringLiteral("O'B"), name, QStringLiteral("Łódź O'Hara"), quoted)));
    EXPECT_EQ(lastStatus, szBezZmian);
    EXPECT_EQ(Sql(QStringLiteral("select count(*) from OBIEKT")), QStringList{QStringLiteral("1")});
}

TEST_F(GisDb, DecimalAttributesComparedAsNumbers)
{
    ExecSql(QStringLiteral(
        "insert into ATRYBUT (ATR_ID, ATR_NAZWA, ATR_TYP, ATR_TXT1, ATR_ID_SLO_OBTYP) values (90, 'Obrót', 8, 'Obrot', 102);"));
    auto dec = [](const QString &v) {
        return QStringLiteral("<class classname=\"TAtrybutyObiektCollectionItem\" name=\"Item_4\"><properties>"
                              "<property name=\"NumerAtrybutu\" type=\"Integer\">90</property>"
                              "<property name=\"NazwaAtrybutu\" type=\"String\">Obrot</property>"
                              "<property name=\"Wartosc\" type=\"String\">%1</property>"
                              "<property name=\"Edytowany\" type=\"Enumeration\">True</property></properties></class>")
            .arg(v);
    };
    const QString k = QStringLiteral("K7"), n = QStringLiteral("Sklep"), c = QStringLiteral("Gdańsk"), a = QStringLiteral("A");
    ASSERT_TRUE(Save(ObiektXml(k, n, c, a, 102, dec(QStringLiteral("12,50")))));
    EXPECT_EQ(Sql(QStringLiteral("select printf('%.2f', ATO_VAR_DEC) from ATRYBUT_OBIEKT where ATO_ID_ATR = 90")),
              QStringList{QStringLiteral("12.50")});
    QString log;
    ASSERT_TRUE(Save(ObiektXml(k, n, c, a, 102, dec(QStringLiteral("12,5"))), &log));
    EXPECT_EQ(lastStatus, szBezZmian);
    ExecSql(QStringLiteral("update ATRYBUT_OBIEKT set ATO_VAR_DEC = 12.0 where ATO_ID_ATR = 90;"));
    ASSERT_TRUE(Save(ObiektXml(k, n, c, a, 102, dec(QStringLiteral("12"))), &log));
    EXPECT_EQ(lastStatus, szBezZmian);
    EXPECT_FALSE(log.contains(QStringLiteral(" Atrybut nr: 90")));
    // Three decimals are read back whole: a different third decimal is a change.
    ASSERT_TRUE(Save(ObiektXml(k, n, c, a, 102, dec(QStringLiteral("12.345"))), &log));
    ASSERT_TRUE(Save(ObiektXml(k, n, c, a, 102, dec(QStringLiteral("12.346"))), &log));
    EXPECT_EQ(lastStatus, szZmieniony);
    EXPECT_TRUE(
        log.contains(QStringLiteral(" Atrybut nr: 90 nazwa: Obrot - stara wartosc: \"12.345\"; nowa wartosc: \"12.346\" ")));

    // A value that is no number is refused before anything is written.
    ASSERT_TRUE(Save(ObiektXml(k, n, c, a, 102, dec(QStringLiteral("12; delete from OBIEKT"))), &log));
    EXPECT_TRUE(log.contains(QStringLiteral(" Wyjątek funkcji TAtrybutyObiektCollectionItem.UpdateAtrybut")));
    EXPECT_EQ(Sql(QStringLiteral("select ATO_VAR_DEC from ATRYBUT_OBIEKT where ATO_ID_ATR = 90")),
              QStringList{QStringLiteral("12.346")});
    EXPECT_EQ(Sql(QStringLiteral("select count(*) from OBIEKT")), QStringList{QStringLiteral("1")});
}

TEST_F(GisDb, FloatValuesReadBackAsTheSameNumberAndBadDatesAreRefused)
{
    ExecSql(QStringLiteral("insert into ATRYBUT (ATR_ID, ATR_NAZWA, ATR_TYP, ATR_TXT1, ATR_ID_SLO_OBTYP) values "
                           "(95, 'Obrót roczny', 1, 'ObrotRoczny', 102), (96, 'Ostatnia wizyta', 5, 'OstatniaWizyta', 102);"));
    auto item = [](int number, const QString &v) {
        return QStringLiteral("<class classname=\"TAtrybutyObiektCollectionItem\" name=\"Item_4\"><properties>"
                              "<property name=\"NumerAtrybutu\" type=\"Integer\">%1</property>"
                              "<property name=\"Wartosc\" type=\"String\">%2</property>"
                              "<property name=\"Edytowany\" type=\"Enumeration\">True</property></properties></class>")
            .arg(number)
            .arg(v);
    };
    const QString k = QStringLiteral("K9"), n = QStringLiteral("Sklep"), c = QStringLiteral("Opole"), a = QStringLiteral("A");
    for (const char *value : {"1234567", "0.1", "98765432.125"}) {
        ASSERT_TRUE(Save(ObiektXml(k, n, c, a, 102, item(95, QString::fromLatin1(value)))));
        // Saved again in another text of the same number: nothing changes.
        QString again = QString::fromLatin1(value);
        again = again.contains(QLatin1Char('.')) ? again.replace(QLatin1Char('.'), QLatin1Char(','))
                                                 : again + QStringLiteral(".0");
        QString log;
        ASSERT_TRUE(Save(ObiektXml(k, n, c, a, 102, item(95, again)), &log));
        EXPECT_EQ(lastStatus, szBezZmian) << value << " " << log.toStdString();
    }
    // The SQL Server text reads floats back with all 17 digits, not the 6 of a plain cast.
    EXPECT_TRUE(GisSql::GetWartoscAtrybutu()
                    .For(Dialect::SqlServer)
                    .contains(QStringLiteral("when 1 then convert(varchar(32), ATO_VAR_NUM, 3)")));

    // A date the database cannot read is refused, not stored as NULL.
    QString log;
    ASSERT_TRUE(Save(ObiektXml(k, n, c, a, 102, item(96, QStringLiteral("jutro rano"))), &log));
    EXPECT_TRUE(log.contains(QStringLiteral(" Wyjątek funkcji TAtrybutyObiektCollectionItem.InsertAtrybut")));
    EXPECT_TRUE(log.contains(QStringLiteral("'jutro rano' is not a valid date and time")));
    EXPECT_EQ(Sql(QStringLiteral("select count(*) from ATRYBUT_OBIEKT where ATO_ID_ATR = 96")), QStringList{QStringLiteral("0")});
    ASSERT_TRUE(Save(ObiektXml(k, n, c, a, 102, item(96, QStringLiteral("2026-03-01 12:30:00")))));
    EXPECT_EQ(Sql(QStringLiteral("select ATO_VAR_DATA from ATRYBUT_OBIEKT where ATO_ID_ATR = 96")),
              QStringList{QStringLiteral("2026-03-01 12:30:00")});

    // Every date type is bound as a typed date-time: SQL Server reads a 'yyyy-mm-dd' text by
    // the login's date format (under dmy 2024-03-05 would be 3 May, 2024-03-25 an error).
    TAtrybutyObiektCollection items(*dm);
    TAtrybutyObiektCollectionItem &date = *items.Add();
    for (int typ : {taDataCzas, taData, taDataCzas7}) {
        date.TypAtrybutu = typ;
        date.Wartosc = Variant(QStringLiteral("2024-03-25"));
        const Variant bound = date.BoundValue();
        EXPECT_EQ(bound.type(), varDate) << typ;
        EXPECT_EQ(DateTimeToText(bound.toDateTime()), QStringLiteral("2024-03-25 00:00:00")) << typ;
    }
}

TEST_F(GisDb, BadInputIsReportedAndStoresNothingWrong)
{
    QString log;
    // Unknown object type: rejected before any lookup or write.
    EXPECT_FALSE(Save(ObiektXml(QStringLiteral("K1"), QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("A"), 101), &log));
    EXPECT_TRUE(
        log.contains(QStringLiteral(" Pole \"ObiektTyp\" jest błędnie zdefiniowane: 101\r\n      Obiekt nie został przetworzony")
                         .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))));
    EXPECT_EQ(Sql(QStringLiteral("select count(*) from OBIEKT")), QStringList{QStringLiteral("0")});

    // Unknown exchange name: that attribute is reported, the rest is saved.
    const QString unknown = QStringLiteral(
        "<class classname=\"TAtrybutyObiektCollectionItem\" name=\"Item_4\"><properties>"
        "<property name=\"NumerAtrybutu\" type=\"Integer\">0</property>"
        "<property name=\"NazwaAtrybutu\" type=\"String\">Nieznany</property>"
        "<property name=\"Wartosc\" type=\"String\">1</property>"
        "<property name=\"Edytowany\" type=\"Enumeration\">True</property></properties></class>");
    EXPECT_TRUE(Save(
        ObiektXml(QStringLiteral("D1"), QStringLiteral("Dystrybutor"), QStringLiteral("Y"), QStringLiteral("A"), 108, unknown),
        &log));
    EXPECT_EQ(lastStatus, szNowy);
    EXPECT_TRUE(log.contains(QStringLiteral(" Brak w systemie Pelk·GIS Trasar atrybutu o numerze \"0\" i nazwie \"Nieznany\" "
                                            "dla obiektu DYSTRYBUTOR\r\n      Obiekt nie został zapisany")
                                 .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))));
    EXPECT_EQ(Sql(QStringLiteral("select group_concat(ATO_ID_ATR) from ATRYBUT_OBIEKT")),
              QStringList{QStringLiteral("11,12,15")});

    // A permission entry that holds no number: the object is refused before its row is written.
    ExecSql(QStringLiteral("update SLOWNIK set SLO_TXT1 = 'abc' where SLO_NAZWA = 'interfejs_uprawnienia_userid';"));
    EXPECT_FALSE(Save(ObiektXml(QStringLiteral("K2"), QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("A")), &log));
    EXPECT_TRUE(log.contains(QStringLiteral(" Wyjątek funkcji TPelk_Obiekt.SaveObiekt")));
    EXPECT_EQ(Sql(QStringLiteral("select count(*) from OBIEKT where OB_EXID = 'K2'")), QStringList{QStringLiteral("0")});
    // An empty entry grants nothing.
    ExecSql(QStringLiteral("update SLOWNIK set SLO_TXT1 = '' where SLO_NAZWA = 'interfejs_uprawnienia_userid';"));
    EXPECT_TRUE(Save(ObiektXml(QStringLiteral("K2"), QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("A"))));
    EXPECT_EQ(Sql(QStringLiteral("select count(*) from UPRAWNIENIA")), QStringList{QStringLiteral("1")});
}
