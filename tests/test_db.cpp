// Database access layer and helpers against real SQLite databases behind ODBC data sources.
#include "app/DatabaseHelpers.h"
#include "app/Log.h"
#include "app/Views.h"
#include "config/Errors.h"
#include "db/Connection.h"
#include "db/Query.h"
#include "db/TableRow.h"
#include "support/RecordingLogView.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sql.h>
#include <sqlext.h>

using namespace pelk;
using pelk::test::OdbcEnvironment;

namespace {

using LoggedMessage = pelk::test::RecordingLogView::Message;
using pelk::test::RecordingLogView;

const char *kSchema = "CREATE TABLE OBIEKT (OBIEKT_ID INTEGER PRIMARY KEY AUTOINCREMENT, NAZWA VARCHAR(10),"
                      " OPIS NVARCHAR(40), DATA_MOD DATETIME, WARTOSC FLOAT, ILOSC INT);";

class DbTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        pelk::test::EnsureApplication();
        file = env.AddSqliteDsn(QStringLiteral("PELK_TEST"));
        OdbcEnvironment::ExecSqlite(file, QString::fromLatin1(kSchema));
        log.SetTraceLevel(3);
        log.SetView(&view);
    }

    QStringList Sqlite(const QString &sql) { return OdbcEnvironment::QuerySqlite(file, sql); }

    // The pane lines of every message logged since the last call.
    QList<LoggedMessage> TakeLog() { return view.Take(); }

    OdbcEnvironment env;
    QString file;
    TLog log;
    RecordingLogView view;
    TDatabaseHelpers helpers{log};
};

TEST_F(DbTest, ConnectsByDsnDetectsSqliteAndResolvesDboSchema)
{
    Connection conn;
    conn.Open(QStringLiteral("PELK_TEST"));
    EXPECT_TRUE(conn.IsOpen());
    EXPECT_EQ(conn.SqlDialect(), Dialect::SQLite);
    EXPECT_EQ(conn.ConnectionString(), QStringLiteral("Provider=MSDASQL.1;Persist Security Info=False;Data Source=PELK_TEST"));

    // "dbo.X" and "X" are the same table of the same file.
    Query q(conn);
    q.SetSQL(QStringLiteral("INSERT INTO dbo.OBIEKT (NAZWA) VALUES ('A')"));
    EXPECT_EQ(q.ExecSQL(), 1);
    EXPECT_EQ(Sqlite(QStringLiteral("SELECT NAZWA FROM OBIEKT;")), QStringList{QStringLiteral("A")});

    // A second connection object on the same data source lives beside the first.
    Connection other;
    other.Open(QStringLiteral("PELK_TEST"));
    Query q2(other);
    q2.SetSQL(QStringLiteral("SELECT COUNT(*) AS N FROM dbo.OBIEKT"));
    q2.Open();
    EXPECT_EQ(q2.FieldByName(QStringLiteral("N")).AsInteger(), 1);

    conn.Close();
    EXPECT_FALSE(conn.IsOpen());
    // A query on a closed connection connects first.
    Query q3(conn);
    q3.SetSQL(QStringLiteral("SELECT NAZWA FROM dbo.OBIEKT"));
    q3.Open();
    EXPECT_TRUE(conn.IsOpen());
    EXPECT_EQ(q3.FieldByName(QStringLiteral("NAZWA")).AsString(), QStringLiteral("A"));
}

TEST_F(DbTest, TheDboSchemaWaitsForTheDiskAsTheDataSourceSays)
{
    // The data source asks for NORMAL synchronisation; "dbo." names the same file and must not
    // make every commit wait for the disk (FULL) behind the data source's back.
    env.AddSqliteDsn(QStringLiteral("PELK_TEST"), QString(), QStringLiteral("SyncPragma=NORMAL\n"));
    Connection conn;
    conn.Open(QStringLiteral("PELK_TEST"));
    Query q(conn);
    for (const char *schema : {"main", "dbo"}) {
        q.SetSQL(QStringLiteral("PRAGMA %1.synchronous").arg(QLatin1String(schema)));
        q.Open();
        EXPECT_EQ(q.FieldAt(0).AsInteger(), 1) << schema; // NORMAL
    }
}

TEST_F(DbTest, MissingDataSourceFailsWithDriverTextAndConnectionMessage)
{
    Connection conn;
    try {
        conn.Open(QStringLiteral("NO_SUCH_DSN"));
        FAIL() << "opening a missing data source succeeded";
    } catch (const Exception &e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("Data source name not found"))) << e.message().toStdString();
    }
    EXPECT_FALSE(conn.IsOpen());
    EXPECT_FALSE(conn.LastError().isEmpty());

    EXPECT_FALSE(helpers.CheckConnection(conn));
    EXPECT_FALSE(helpers.RozpocznijTranzakcje(conn));
    const auto logged = TakeLog();
    ASSERT_EQ(logged.size(), 2);
    for (const auto &m : logged) {
        EXPECT_EQ(m.image, TLog::ImageError);
        ASSERT_EQ(m.lines.size(), 2);
        EXPECT_EQ(m.lines[0],
                  QStringLiteral(" Wystąpił błąd podczas podłączenia do bazy danych: "
                                 "Provider=MSDASQL.1;Persist Security Info=False;Data Source=NO_SUCH_DSN"));
        EXPECT_TRUE(m.lines[1].contains(QLatin1String("Data source name not found"))) << m.lines[1].toStdString();
    }
}

TEST_F(DbTest, ParametersCarryTextVerbatim)
{
    Connection conn;
    conn.Open(QStringLiteral("PELK_TEST"));
    Query q(conn);
    q.SetSQL(QStringLiteral("INSERT INTO dbo.OBIEKT (NAZWA, OPIS, ILOSC) VALUES (:Nazwa, :Opis, :Ilosc)"));
    q.SetParam(QStringLiteral("nazwa"), QStringLiteral("O'Brien"));
    q.SetParam(QStringLiteral("Opis"), QStringLiteral("Zażółć gęślą jaźń; DROP TABLE x --"));
    q.SetParam(QStringLiteral("Ilosc"), 7);
    EXPECT_EQ(q.ExecSQL(), 1);
    EXPECT_THROW(q.SetParam(QStringLiteral("Brak"), 1), Exception);

    EXPECT_EQ(Sqlite(QStringLiteral("SELECT NAZWA, OPIS, typeof(ILOSC) FROM OBIEKT;")),
              QStringList{QStringLiteral("O'Brien|Zażółć gęślą jaźń; DROP TABLE x --|integer")});

    // The same name twice; text in quotes and "::" are not parameters.
    q.SetSQL(QStringLiteral("SELECT ':Nie' AS T, OPIS FROM dbo.OBIEKT WHERE NAZWA = :N OR OPIS = :N"));
    q.SetParam(QStringLiteral("N"), QStringLiteral("O'Brien"));
    q.Open();
    ASSERT_EQ(q.RecordCount(), 1);
    EXPECT_EQ(q.FieldByName(QStringLiteral("T")).AsString(), QStringLiteral(":Nie"));
    EXPECT_EQ(q.FieldByName(QStringLiteral("OPIS")).AsString(), QStringLiteral("Zażółć gęślą jaźń; DROP TABLE x --"));
    // A parameter without a value is refused rather than sent as null.
    q.SetSQL(QStringLiteral("DELETE FROM dbo.OBIEKT WHERE NAZWA = :N"));
    EXPECT_THROW(q.ExecSQL(), Exception);
    EXPECT_EQ(Sqlite(QStringLiteral("SELECT COUNT(*) FROM OBIEKT;")), QStringList{QStringLiteral("1")});
    // Setting the same text again forgets the values as well.
    q.SetParam(QStringLiteral("N"), QStringLiteral("O'Brien"));
    q.SetSQL(QStringLiteral("DELETE FROM dbo.OBIEKT WHERE NAZWA = :N"));
    EXPECT_THROW(q.ExecSQL(), Exception);
    EXPECT_EQ(Sqlite(QStringLiteral("SELECT COUNT(*) FROM OBIEKT;")), QStringList{QStringLiteral("1")});
}

// ":Name" to "?" with the names in order; quoted texts, bracketed identifiers and "::" stay.
struct PositionalCase
{
    const char *sql;
    const char *positional;
    QStringList names;
};

// The case as the test list names it.
void PrintTo(const PositionalCase &c, std::ostream *os)
{
    *os << c.sql;
}

class ToPositional : public ::testing::TestWithParam<PositionalCase>
{};

TEST_P(ToPositional, RewritesOnlyRealParameters)
{
    const PositionalCase &c = GetParam();
    QStringList names;
    EXPECT_EQ(Query::ToPositional(QString::fromUtf8(c.sql), &names), QString::fromUtf8(c.positional));
    EXPECT_EQ(names, c.names);
}

INSTANTIATE_TEST_SUITE_P(
    Statements, ToPositional,
    ::testing::Values(
        PositionalCase{"select * from T where A = :A and B = :Beta_2", "select * from T where A = ? and B = ?", {"A", "Beta_2"}},
        PositionalCase{"a = 'x''y:z' AND [c:d] = :P1 AND e::int", "a = 'x''y:z' AND [c:d] = ? AND e::int", {"P1"}},
        PositionalCase{"x > :D or y > :D", "x > ? or y > ?", {"D", "D"}},
        PositionalCase{"\"kol:umna\" = :Ż", "\"kol:umna\" = ?", {"Ż"}},
        PositionalCase{"t = ':nie' and u = :tak", "t = ':nie' and u = ?", {"tak"}},
        PositionalCase{"czas = '10:30' and :1 = 1", "czas = '10:30' and :1 = 1", {}},
        PositionalCase{"niedomknięty 'tekst :P", "niedomknięty 'tekst :P", {}}, PositionalCase{"koniec :", "koniec :", {}}));

TEST_F(DbTest, DatesTravelAsTypedValuesInTheOneTextForm)
{
    OdbcEnvironment::ExecSqlite(file,
                                QStringLiteral("INSERT INTO OBIEKT (NAZWA, DATA_MOD) VALUES ('stary', '2024-03-05 14:30:00');"));
    Connection conn;
    conn.Open(QStringLiteral("PELK_TEST"));

    Query q(conn);
    q.SetSQL(QStringLiteral("SELECT NAZWA, DATA_MOD FROM dbo.OBIEKT WHERE DATA_MOD = :D"));
    q.SetParam(QStringLiteral("D"), QDateTime(QDate(2024, 3, 5), QTime(14, 30, 0)));
    q.Open();
    ASSERT_EQ(q.RecordCount(), 1);
    const Field f = q.FieldByName(QStringLiteral("DATA_MOD"));
    EXPECT_EQ(f.DataType(), ftDateTime);
    EXPECT_EQ(f.Value().type(), varDate);
    EXPECT_EQ(f.AsString(), QStringLiteral("2024-03-05 14:30:00"));
    EXPECT_DOUBLE_EQ(f.AsDateTime(), EncodeDate(2024, 3, 5) + EncodeTime(14, 30, 0, 0));

    // Later-than comparison with a project date value; stored as the same text form.
    q.SetSQL(QStringLiteral("INSERT INTO dbo.OBIEKT (NAZWA, DATA_MOD) VALUES ('nowy', :D)"));
    q.SetDateParam(QStringLiteral("D"), EncodeDate(2024, 12, 31) + EncodeTime(23, 59, 58, 0));
    q.ExecSQL();
    EXPECT_EQ(Sqlite(QStringLiteral("SELECT DATA_MOD FROM OBIEKT WHERE NAZWA = 'nowy';")),
              QStringList{QStringLiteral("2024-12-31 23:59:58")});
    q.SetSQL(QStringLiteral("SELECT NAZWA FROM dbo.OBIEKT WHERE DATA_MOD > :Od"));
    q.SetParam(QStringLiteral("Od"), Variant::Date(EncodeDate(2024, 3, 5) + EncodeTime(14, 30, 0, 0)));
    q.Open();
    ASSERT_EQ(q.RecordCount(), 1);
    EXPECT_EQ(q.FieldByName(QStringLiteral("NAZWA")).AsString(), QStringLiteral("nowy"));
}

TEST_F(DbTest, NavigationValuesAndFieldMetadata)
{
    OdbcEnvironment::ExecSqlite(file,
                                QStringLiteral("INSERT INTO OBIEKT (NAZWA, OPIS, WARTOSC, ILOSC) VALUES ('a', 'ą', 1.5, 1);"
                                               "INSERT INTO OBIEKT (NAZWA, OPIS, WARTOSC, ILOSC) VALUES ('b', NULL, NULL, 2);"
                                               "INSERT INTO OBIEKT (NAZWA, OPIS, WARTOSC, ILOSC) VALUES ('c', 'x', 2.25, 3);"));
    Connection conn;
    conn.Open(QStringLiteral("PELK_TEST"));
    Query q(conn);
    q.SetSQL(QStringLiteral("SELECT OBIEKT_ID, NAZWA, OPIS, WARTOSC, ILOSC FROM dbo.OBIEKT ORDER BY OBIEKT_ID"));
    q.Open();
    EXPECT_TRUE(q.IsActive());
    EXPECT_EQ(q.RecordCount(), 3);
    EXPECT_FALSE(q.Eof());

    const Field nazwa = q.FieldByName(QStringLiteral("nazwa"));
    EXPECT_EQ(nazwa.Name(), QStringLiteral("NAZWA"));
    EXPECT_EQ(nazwa.DataType(), ftString);
    EXPECT_EQ(nazwa.Size(), 10);
    EXPECT_EQ(nazwa.Value().type(), varString);
    const Field opis = q.FieldByName(QStringLiteral("OPIS"));
    EXPECT_EQ(opis.DataType(), ftWideString);
    EXPECT_EQ(opis.Size(), 40);
    EXPECT_EQ(opis.Value(), Variant::OleStr(QStringLiteral("ą")));
    EXPECT_EQ(q.FieldByName(QStringLiteral("OBIEKT_ID")).DataType(), ftInteger);
    EXPECT_EQ(q.FieldByName(QStringLiteral("ILOSC")).Value().type(), varInteger);
    EXPECT_EQ(q.FieldByName(QStringLiteral("WARTOSC")).DataType(), ftFloat);
    EXPECT_EQ(q.FieldByName(QStringLiteral("WARTOSC")).Value(), Variant(1.5));
    EXPECT_THROW(q.FieldByName(QStringLiteral("BRAK")), Exception);

    q.Next();
    EXPECT_EQ(q.FieldByName(QStringLiteral("NAZWA")).AsString(), QStringLiteral("b"));
    EXPECT_TRUE(q.FieldByName(QStringLiteral("OPIS")).IsNull());
    EXPECT_TRUE(q.FieldByName(QStringLiteral("WARTOSC")).Value().isNull());
    q.Next();
    EXPECT_FALSE(q.Eof());
    q.Next();
    EXPECT_TRUE(q.Eof());
    EXPECT_EQ(q.FieldByName(QStringLiteral("NAZWA")).AsString(), QStringLiteral("c")); // stays on the last row
    q.First();
    EXPECT_FALSE(q.Eof());
    EXPECT_EQ(q.FieldByName(QStringLiteral("NAZWA")).AsString(), QStringLiteral("a"));

    q.SetSQL(QStringLiteral("SELECT NAZWA FROM dbo.OBIEKT WHERE 1 = 0"));
    q.Open();
    EXPECT_TRUE(q.Eof());
    EXPECT_TRUE(q.FieldByName(QStringLiteral("NAZWA")).IsNull());
    q.Close();
    EXPECT_FALSE(q.IsActive());
    EXPECT_THROW(q.Next(), Exception);

    q.SetSQL(QStringLiteral("UPDATE dbo.OBIEKT SET ILOSC = ILOSC + 1 WHERE ILOSC >= :Od"));
    q.SetParam(QStringLiteral("Od"), 2);
    EXPECT_EQ(q.ExecSQL(), 2);
    q.SetSQL(QStringLiteral("UPDATE dbo.OBIEKT SET ILOSC = 0"));
    EXPECT_THROW(q.Open(), Exception); // no result set

    q.SetSQL(QStringLiteral("SELECT * FROM dbo.BRAK_TABELI"));
    try {
        q.Open();
        FAIL() << "select from a missing table succeeded";
    } catch (const Exception &e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("no such table"))) << e.message().toStdString();
    }
    EXPECT_TRUE(conn.IsOpen()); // a statement error is no connection failure
}

TEST_F(DbTest, TableRowInsertsWithIdentityAndUpdatesOnlyChangedFields)
{
    OdbcEnvironment::ExecSqlite(file, QStringLiteral("INSERT INTO OBIEKT (NAZWA) VALUES ('zajety');"));
    Connection conn;
    conn.Open(QStringLiteral("PELK_TEST"));
    TableRow row(conn, QStringLiteral("dbo.OBIEKT"), {QStringLiteral("OBIEKT_ID")},
                 {QStringLiteral("NAZWA"), QStringLiteral("OPIS"), QStringLiteral("DATA_MOD"), QStringLiteral("ILOSC")});
    EXPECT_EQ(row.State(), TableRow::dsInactive);
    EXPECT_FALSE(row.OpenByKey(Variant(999)));
    EXPECT_TRUE(row.IsEmpty());
    EXPECT_EQ(row.State(), TableRow::dsBrowse);
    EXPECT_THROW(row.SetField(QStringLiteral("NAZWA"), Variant("x")), Exception);

    row.Append();
    EXPECT_EQ(row.State(), TableRow::dsInsert);
    row.SetField(QStringLiteral("NAZWA"), QStringLiteral("O'Brien"));
    row.SetField(QStringLiteral("OPIS"), Variant::OleStr(QStringLiteral("Zażółć")));
    row.SetField(QStringLiteral("DATA_MOD"), Variant::Date(EncodeDate(2024, 1, 2) + EncodeTime(3, 4, 5, 0)));
    row.Post();
    EXPECT_EQ(row.State(), TableRow::dsBrowse);
    EXPECT_EQ(row.IdentityValue().toInt64(), 2);
    EXPECT_EQ(row.FieldByName(QStringLiteral("OBIEKT_ID")).AsInteger(), 2);
    EXPECT_EQ(Sqlite(QStringLiteral("SELECT NAZWA, OPIS, DATA_MOD, ILOSC IS NULL FROM OBIEKT WHERE OBIEKT_ID = 2;")),
              QStringList{QStringLiteral("O'Brien|Zażółć|2024-01-02 03:04:05|1")});

    // Another writer changes OPIS; posting ILOSC alone must not write OPIS back.
    ASSERT_TRUE(row.OpenByKey(Variant(2)));
    OdbcEnvironment::ExecSqlite(file, QStringLiteral("UPDATE OBIEKT SET OPIS = 'inny' WHERE OBIEKT_ID = 2;"));
    row.Edit();
    row.SetField(QStringLiteral("ILOSC"), 5);
    EXPECT_EQ(row.ChangedFields(), QStringList{QStringLiteral("ILOSC")});
    row.Post();
    EXPECT_EQ(Sqlite(QStringLiteral("SELECT NAZWA, OPIS, ILOSC FROM OBIEKT WHERE OBIEKT_ID = 2;")),
              QStringList{QStringLiteral("O'Brien|inny|5")});
    EXPECT_EQ(Sqlite(QStringLiteral("SELECT NAZWA FROM OBIEKT WHERE OBIEKT_ID = 1;")), QStringList{QStringLiteral("zajety")});

    // The row vanished meanwhile: the update is reported, not silently lost.
    OdbcEnvironment::ExecSqlite(file, QStringLiteral("DELETE FROM OBIEKT WHERE OBIEKT_ID = 2;"));
    row.Edit();
    row.SetField(QStringLiteral("ILOSC"), 6);
    EXPECT_THROW(row.Post(), Exception);
}

TEST(DbStatements, SqlServerTextsReadTheIdentityInTheSameBatch)
{
    pelk::test::EnsureApplication();
    Connection conn;
    TableRow row(conn, QStringLiteral("dbo.OBIEKT"), {QStringLiteral("OBIEKT_ID")}, {QStringLiteral("NAZWA")});
    EXPECT_EQ(row.InsertText({QStringLiteral("NAZWA")}, Dialect::SqlServer),
              QStringLiteral("SET NOCOUNT ON; INSERT INTO dbo.OBIEKT (NAZWA) VALUES (:P0); "
                             "SELECT CAST(SCOPE_IDENTITY() AS BIGINT) AS IdentityValue"));
    EXPECT_EQ(row.InsertText({QStringLiteral("NAZWA")}, Dialect::SQLite),
              QStringLiteral("INSERT INTO dbo.OBIEKT (NAZWA) VALUES (:P0)"));
    EXPECT_EQ(row.UpdateText({QStringLiteral("NAZWA")}),
              QStringLiteral("UPDATE dbo.OBIEKT SET NAZWA = :P0 WHERE OBIEKT_ID = :K0"));
    EXPECT_EQ(row.SelectText(false), QStringLiteral("SELECT OBIEKT_ID, NAZWA FROM dbo.OBIEKT WHERE OBIEKT_ID = :K0"));
}

TEST_F(DbTest, ExecSQLQueryLogsFailureWithTheStatement)
{
    Connection conn;
    conn.Open(QStringLiteral("PELK_TEST"));
    Query q(conn);
    q.SetSQL(QStringLiteral("SELECT :X"));
    q.SetParam(QStringLiteral("X"), 1);
    EXPECT_TRUE(helpers.ExecSQLQuery(q, QStringLiteral("UPDATE dbo.OBIEKT SET NAZWA = '12:30' WHERE 1 = 0")));
    EXPECT_EQ(q.SQL(), QStringLiteral("UPDATE dbo.OBIEKT SET NAZWA = '12:30' WHERE 1 = 0"));
    EXPECT_TRUE(TakeLog().isEmpty());

    const QString bad = QStringLiteral("INSERT INTO dbo.NIE_MA (A) VALUES (1)");
    EXPECT_FALSE(helpers.ExecSQLQuery(q, bad));
    const auto logged = TakeLog();
    ASSERT_EQ(logged.size(), 3);
    EXPECT_EQ(logged[0].lines, QStringList{QStringLiteral(" Wyjątek funkcji TDM_Main.ExecSQLQuery")});
    EXPECT_EQ(logged[1].lines, QStringList{bad});
    ASSERT_EQ(logged[2].lines.size(), 1);
    EXPECT_TRUE(logged[2].lines[0].startsWith(QLatin1Char(' ')));
    EXPECT_TRUE(logged[2].lines[0].contains(QLatin1String("no such table")));
    for (const auto &m : logged)
        EXPECT_EQ(m.image, TLog::ImageError);
}

TEST_F(DbTest, CompareFieldValueComparesByTextAndPreparesEdit)
{
    OdbcEnvironment::ExecSqlite(
        file,
        QStringLiteral(
            "INSERT INTO OBIEKT (NAZWA, OPIS, DATA_MOD, WARTOSC) VALUES ('ABCDEFGHIJ', NULL, '2024-03-05 14:30:00', 1.5);"));
    Connection conn;
    conn.Open(QStringLiteral("PELK_TEST"));
    TableRow row(conn, QStringLiteral("dbo.OBIEKT"), {QStringLiteral("OBIEKT_ID")});
    ASSERT_TRUE(row.OpenByKey(Variant(1)));

    // Equal after cutting to the field's 10 characters, equal date and number texts: no change.
    EXPECT_FALSE(helpers.CompareFieldValue(row, QStringLiteral("NAZWA"), QStringLiteral("ABCDEFGHIJKLMNO")));
    EXPECT_FALSE(helpers.CompareFieldValue(row, QStringLiteral("DATA_MOD"),
                                           Variant::Date(EncodeDate(2024, 3, 5) + EncodeTime(14, 30, 0, 0))));
    EXPECT_FALSE(helpers.CompareFieldValue(row, QStringLiteral("DATA_MOD"), QStringLiteral("2024-03-05 14:30:00")));
    EXPECT_FALSE(helpers.CompareFieldValue(row, QStringLiteral("WARTOSC"), 1.5));
    EXPECT_EQ(row.State(), TableRow::dsBrowse);
    EXPECT_TRUE(TakeLog().isEmpty());

    EXPECT_TRUE(helpers.CompareFieldValue(row, QStringLiteral("NAZWA"), QStringLiteral("ABCDEFGHIXKLMNO")));
    EXPECT_EQ(row.State(), TableRow::dsEdit);
    auto logged = TakeLog();
    ASSERT_EQ(logged.size(), 1);
    EXPECT_EQ(logged[0].image, TLog::ImageInfo);
    EXPECT_EQ(logged[0].lines,
              QStringList{QStringLiteral(" Pole: NAZWA: stara wartosc: \"ABCDEFGHIJ\"; nowa wartosc: \"ABCDEFGHIX\" ")});

    // A null field is a change even to an empty value.
    EXPECT_TRUE(helpers.CompareFieldValue(row, QStringLiteral("OPIS"), QStringLiteral("")));
    logged = TakeLog();
    ASSERT_EQ(logged.size(), 1);
    EXPECT_EQ(logged[0].lines, QStringList{QStringLiteral(" Pole: OPIS: stara wartosc: \"NULL\"; nowa wartosc: \"\" ")});
    EXPECT_EQ(row.State(), TableRow::dsEdit);

    // A null new value cannot become text.
    EXPECT_THROW(helpers.CompareFieldValue(row, QStringLiteral("NAZWA"), Variant::Null()), EVariantError);

    // Diagnostics level: nothing logged below trace level 3, the result stays.
    log.SetTraceLevel(2);
    EXPECT_TRUE(helpers.CompareFieldValue(row, QStringLiteral("WARTOSC"), 2.5));
    EXPECT_TRUE(TakeLog().isEmpty());
}

TEST_F(DbTest, RequiredFieldsAndEmptyValues)
{
    EXPECT_TRUE(TDatabaseHelpers::IsEmptyValue(Variant()));
    EXPECT_TRUE(TDatabaseHelpers::IsEmptyValue(Variant(QString())));
    EXPECT_FALSE(TDatabaseHelpers::IsEmptyValue(Variant(0)));
    EXPECT_FALSE(TDatabaseHelpers::IsEmptyValue(Variant(QStringLiteral(" "))));
    EXPECT_THROW(TDatabaseHelpers::IsEmptyValue(Variant::Null()), EVariantError);

    EXPECT_FALSE(helpers.CheckRequiredField(QStringLiteral("NAZWA"), QStringLiteral("x")));
    EXPECT_TRUE(TakeLog().isEmpty());
    EXPECT_TRUE(helpers.CheckRequiredField(QStringLiteral("NAZWA"), QStringLiteral("")));
    const auto logged = TakeLog();
    ASSERT_EQ(logged.size(), 1);
    EXPECT_EQ(logged[0].image, TLog::ImageError);
    EXPECT_EQ(logged[0].lines,
              (QStringList{QStringLiteral(" Pole \"NAZWA\" nie może być puste"),
                           QStringLiteral("      Obiekt nie został przetworzony")}));
    log.SetTraceLevel(1); // the message is of level 2
    EXPECT_TRUE(helpers.CheckRequiredField(QStringLiteral("NAZWA"), Variant()));
    EXPECT_TRUE(TakeLog().isEmpty());
    EXPECT_THROW(helpers.CheckRequiredField(QStringLiteral("NAZWA"), Variant::Null()), EVariantError);
}

TEST_F(DbTest, DroppedConnectionIsReopenedByTheNextBracket)
{
    Connection conn;
    conn.Open(QStringLiteral("PELK_TEST"));
    Query q(conn);
    q.SetSQL(QStringLiteral("INSERT INTO dbo.OBIEKT (NAZWA) VALUES ('przed')"));
    q.ExecSQL();

    // The link goes away underneath (as when the server drops it): outside a bracket the next
    // statement reconnects, like a data set on a closed connection.
    pelk::test::DropUnderneath(conn);
    EXPECT_FALSE(conn.IsOpen());
    EXPECT_TRUE(helpers.RozpocznijTranzakcje(conn));
    EXPECT_TRUE(conn.IsOpen());
    EXPECT_EQ(q.ExecSQL(), 1);
    EXPECT_TRUE(helpers.ZakonczTranzakcje(conn, true));
    q.SetSQL(QStringLiteral("SELECT COUNT(*) AS N FROM dbo.OBIEKT")); // dbo attached again
    q.Open();
    EXPECT_EQ(q.FieldByName(QStringLiteral("N")).AsInteger(), 2);

    // An explicit close counts as dropped too; a data source gone for good fails the bracket.
    conn.Close();
    EXPECT_TRUE(helpers.RozpocznijTranzakcje(conn));
    EXPECT_TRUE(conn.IsOpen());
    EXPECT_FALSE(helpers.ZakonczTranzakcje(conn, false)); // rolled back: nothing stored
    conn.Close();
    conn.SetDsn(QStringLiteral("ZNIKNAL"));
    EXPECT_FALSE(helpers.RozpocznijTranzakcje(conn));
    EXPECT_EQ(TakeLog().size(), 1);
    EXPECT_FALSE(conn.IsOpen());
}

TEST_F(DbTest, ADropInsideTheBracketFailsTheElementInsteadOfReconnectingUnderIt)
{
    Connection conn;
    conn.Open(QStringLiteral("PELK_TEST"));
    Query q(conn);
    q.SetSQL(QStringLiteral("INSERT INTO dbo.OBIEKT (NAZWA) VALUES (:N)"));
    auto insert = [&](const char *name) {
        q.SetParam(QStringLiteral("N"), Variant(QString::fromLatin1(name)));
        q.ExecSQL();
    };
    {
        TElementTransaction element(helpers, conn);
        ASSERT_TRUE(element.Begun());
        insert("pierwszy");
        pelk::test::DropUnderneath(conn); // the first row goes with the connection
        // Neither this statement nor a later one may reconnect and commit on its own.
        EXPECT_THROW(insert("drugi"), Exception);
        EXPECT_THROW(insert("trzeci"), Exception);
        EXPECT_FALSE(element.End(true));
    }
    const auto logged = TakeLog();
    ASSERT_EQ(logged.size(), 2);
    EXPECT_EQ(logged[0].lines, QStringList{QStringLiteral(" TDM_Main.ZakonczTranzakcje")});
    EXPECT_TRUE(Sqlite(QStringLiteral("SELECT NAZWA FROM OBIEKT;")).isEmpty());

    // The next element's bracket reconnects and stores it whole.
    {
        TElementTransaction element(helpers, conn);
        ASSERT_TRUE(element.Begun());
        insert("ponownie");
        EXPECT_TRUE(element.End(true));
    }
    EXPECT_EQ(Sqlite(QStringLiteral("SELECT NAZWA FROM OBIEKT;")), QStringList{QStringLiteral("ponownie")});
}

TEST_F(DbTest, AnExceptionOfAnyTypeEndsTheBracketWithARollback)
{
    Connection conn;
    conn.Open(QStringLiteral("PELK_TEST"));
    Query q(conn);
    q.SetSQL(QStringLiteral("INSERT INTO dbo.OBIEKT (NAZWA) VALUES (:N)"));
    try {
        TElementTransaction element(helpers, conn);
        q.SetParam(QStringLiteral("N"), Variant(QStringLiteral("porzucony")));
        q.ExecSQL();
        throw 42; // not a std::exception: nobody logs it, the bracket still ends
    } catch (int) {
    }
    EXPECT_FALSE(conn.InTransaction());
    // The next statement commits by itself and does not carry the abandoned row along.
    q.SetParam(QStringLiteral("N"), Variant(QStringLiteral("sam")));
    q.ExecSQL();
    EXPECT_EQ(Sqlite(QStringLiteral("SELECT NAZWA FROM OBIEKT;")), QStringList{QStringLiteral("sam")});
}

TEST_F(DbTest, ACommitTheDatabaseRefusesFailsTheElement)
{
    // A short busy time-out: a second connection holding a read lock makes the commit fail
    // with "database is locked" (on SQL Server: a deadlock victim).
    env.AddSqliteDsn(QStringLiteral("PELK_TEST"), QString(), QStringLiteral("Timeout=200\n"));
    Connection conn, reader;
    conn.Open(QStringLiteral("PELK_TEST"));
    reader.Open(QStringLiteral("PELK_TEST"));
    reader.BeginTransaction();
    Query read(reader);
    read.SetSQL(QStringLiteral("SELECT COUNT(*) FROM OBIEKT"));
    read.Open();

    Query q(conn);
    q.SetSQL(QStringLiteral("INSERT INTO dbo.OBIEKT (NAZWA) VALUES ('zablokowany')"));
    {
        TElementTransaction element(helpers, conn);
        ASSERT_TRUE(element.Begun());
        q.ExecSQL();
        EXPECT_FALSE(element.End(true));
    }
    const auto logged = TakeLog();
    ASSERT_EQ(logged.size(), 2);
    EXPECT_EQ(logged[0].lines, QStringList{QStringLiteral(" TDM_Main.ZakonczTranzakcje")});
    EXPECT_TRUE(logged[1].lines.value(0).contains(QLatin1String("locked"))) << logged[1].lines.join('|').toStdString();
    reader.EndTransaction(false);
    EXPECT_TRUE(Sqlite(QStringLiteral("SELECT NAZWA FROM OBIEKT;")).isEmpty());

    // Nothing is left open: the next element goes through.
    {
        TElementTransaction element(helpers, conn);
        q.ExecSQL();
        EXPECT_TRUE(element.End(true));
    }
    EXPECT_EQ(Sqlite(QStringLiteral("SELECT NAZWA FROM OBIEKT;")), QStringList{QStringLiteral("zablokowany")});
}

} // namespace

namespace {

TEST_F(DbTest, TheBracketStoresAnElementWholeOrNotAtAll)
{
    Connection conn;
    conn.Open(QStringLiteral("PELK_TEST"));
    Query q(conn);
    q.SetSQL(QStringLiteral("INSERT INTO dbo.OBIEKT (NAZWA) VALUES (:N)"));

    ASSERT_TRUE(helpers.RozpocznijTranzakcje(conn));
    q.SetParam(QStringLiteral("N"), Variant(QStringLiteral("porzucony")));
    q.ExecSQL();
    EXPECT_TRUE(Sqlite(QStringLiteral("SELECT NAZWA FROM OBIEKT;")).isEmpty()); // not yet visible outside
    helpers.ZakonczTranzakcje(conn, false);
    EXPECT_TRUE(Sqlite(QStringLiteral("SELECT NAZWA FROM OBIEKT;")).isEmpty());

    ASSERT_TRUE(helpers.RozpocznijTranzakcje(conn));
    q.SetParam(QStringLiteral("N"), Variant(QStringLiteral("zapisany")));
    q.ExecSQL();
    helpers.ZakonczTranzakcje(conn, true);
    EXPECT_EQ(Sqlite(QStringLiteral("SELECT NAZWA FROM OBIEKT;")), QStringList({QStringLiteral("zapisany")}));

    // Outside a bracket every statement commits by itself, and ending no bracket does nothing.
    helpers.ZakonczTranzakcje(conn, false);
    q.SetParam(QStringLiteral("N"), Variant(QStringLiteral("sam")));
    q.ExecSQL();
    EXPECT_EQ(Sqlite(QStringLiteral("SELECT count(*) FROM OBIEKT;")), QStringList({QStringLiteral("2")}));
    EXPECT_TRUE(TakeLog().isEmpty());
}

} // namespace
