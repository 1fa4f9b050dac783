// The engine in processes of its own: runs killed in the middle of an element (every element is
// stored, staged or still in its source after each crash, and the following runs store every
// element exactly once),
// and the program's unattended run driving the queues.
#include "support/EngineTestKind.h"
#include "support/Installation.h"

#include "config/IsoLatin2.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace pelk::test;

namespace {

class Recovery : public ::testing::Test
{
protected:
    void SetUp() override
    {
        inst.WriteSettings({{QStringLiteral("TraceLevel"), QStringLiteral("1")}});
        OdbcEnvironment::ExecSqlite(Crm(), TestSourceSchema());
        OdbcEnvironment::ExecSqlite(inst.gisFile, TestTargetSchema());
        WriteFileText(inst.Path(QStringLiteral("ObjectRules.xml")),
                      TestRulesXml({{QLatin1String(TestKindName), QStringLiteral("Testowy"), QStringLiteral("Test")}}));
        WriteFileText(inst.Path(QStringLiteral("xsl/Test_X2Y.xsl")), TestStylesheet());
        settings = inst.WriteProcessSettings(QStringLiteral("p.xml"), inst.Path(QStringLiteral("work")),
                                             {{QLatin1String(TestKindName), QStringLiteral("esSysXtoSysY"), 15}});
        QString values;
        for (int i = 1; i <= kElements; ++i)
            values += QStringLiteral("%1(%2, 'element %2')").arg(i > 1 ? QStringLiteral(", ") : QString()).arg(i);
        OdbcEnvironment::ExecSqlite(Crm(), QStringLiteral("INSERT INTO SRC VALUES ") + values);
    }

    QString Crm() const { return inst.odbc.Folder() + QStringLiteral("/CRM.db"); }
    // Exit code of one run; die: "" or "stage:n".
    int RunDriver(const QString &die)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PELK_TEST_DIE"), die);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(PELK_ENGINE_DRIVER), {inst.dir.path(), settings});
        EXPECT_TRUE(p.waitForFinished(60000));
        if (p.exitStatus() != QProcess::NormalExit || (p.exitCode() != 0 && p.exitCode() != 3))
            ADD_FAILURE() << p.readAllStandardError().toStdString();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    QStringList Staged(const QString &pattern) const
    {
        return QDir(inst.Path(QStringLiteral("work"))).entryList({pattern}, QDir::Files, QDir::Name);
    }
    // Keys of the elements staged in the working folder.
    QSet<int> StagedKeys() const
    {
        QSet<int> keys;
        static const QRegularExpression id(QStringLiteral("name=\"ObjectID\"[^>]*>(\\d+)<"));
        for (const QString &f : Staged(QStringLiteral("*.xml")))
            keys.insert(id.match(ReadFileText(inst.Path(QStringLiteral("work/")) + f)).captured(1).toInt());
        return keys;
    }
    QSet<int> StoredKeys() const
    {
        QSet<int> keys;
        for (const QString &k : OdbcEnvironment::QuerySqlite(inst.gisFile, QStringLiteral("SELECT ID FROM DST;")))
            keys.insert(k.toInt());
        return keys;
    }
    void ExpectNothingLost(const char *when)
    {
        QSet<int> source;
        for (const QString &k : OdbcEnvironment::QuerySqlite(Crm(), QStringLiteral("SELECT ID FROM SRC;")))
            source.insert(k.toInt());
        for (int i = 1; i <= kElements; ++i)
            EXPECT_TRUE(source.contains(i) || StoredKeys().contains(i) || StagedKeys().contains(i))
                << "element " << i << " lost after " << when;
    }
    // The source forgets the staged elements: only their files carry them now.
    void ForgetStagedInSource()
    {
        for (int key : StagedKeys())
            OdbcEnvironment::ExecSqlite(Crm(), QStringLiteral("DELETE FROM SRC WHERE ID = %1").arg(key));
    }

    static constexpr int kElements = 20;
    Installation inst;
    QString settings;
};

} // namespace

TEST_F(Recovery, KilledRunsLoseNothingAndStoreEveryElementOnce)
{
    // Killed after the third element was serialised: a database element's stages pass in
    // memory, so nothing of it is on disk, and it is still in its source.
    ASSERT_EQ(RunDriver(QStringLiteral("serialized:3")), 3);
    EXPECT_TRUE(Staged(QStringLiteral("*")).isEmpty()) << Staged(QStringLiteral("*")).join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(StoredKeys().size(), 2);
    ExpectNothingLost("a kill after serialization");

    // Without the stylesheet every other element stops at its transformation: its source-layout
    // file is staged, and from now on only that file carries it.
    const QString sheet = inst.Path(QStringLiteral("xsl/Test_X2Y.xsl"));
    QFile::remove(sheet);
    ASSERT_EQ(RunDriver(QString()), 0);
    EXPECT_EQ(Staged(QStringLiteral("Test_SysX__*.xml")).size(), kElements - 2);
    ForgetStagedInSource();
    ExpectNothingLost("failed transformations");
    WriteFileText(sheet, TestStylesheet());

    // Killed after the second file's transformation: its result reached the disk before its
    // source file was deleted.
    ASSERT_EQ(RunDriver(QStringLiteral("transformed:2")), 3);
    EXPECT_EQ(Staged(QStringLiteral("Test_SysY__*.xml")).size(), 1);
    ExpectNothingLost("a kill after transformation");

    // Killed right after an element was stored, before its last file was deleted.
    ASSERT_EQ(RunDriver(QStringLiteral("stored:4")), 3);
    ExpectNothingLost("a kill after storing");
    EXPECT_FALSE(Staged(QStringLiteral("*.xml")).isEmpty());

    // Killed again while leftovers of the earlier kills are being taken up.
    ASSERT_EQ(RunDriver(QStringLiteral("transformed:1")), 3);
    ExpectNothingLost("a kill during recovery");

    ASSERT_EQ(RunDriver(QString()), 0);
    EXPECT_TRUE(Staged(QStringLiteral("*.xml")).isEmpty()) << Staged(QStringLiteral("*")).join(QLatin1Char(' ')).toStdString();
    const QStringList rows = OdbcEnvironment::QuerySqlite(
        inst.gisFile, QStringLiteral("SELECT ID, COUNT(*), MIN(NAZWA) FROM DST GROUP BY ID ORDER BY ID;"));
    ASSERT_EQ(rows.size(), kElements);
    for (int i = 1; i <= kElements; ++i)
        EXPECT_EQ(rows[i - 1], QStringLiteral("%1|1|element %1").arg(i));
    // No temporary file of a crashed write is left either.
    EXPECT_TRUE(Staged(QStringLiteral("*.part")).isEmpty());
}

TEST_F(Recovery, UnattendedProgramRunDrivesTheQueuesOfTheObjectList)
{
    // The program finds ObjectRules.xml beside itself: run a copy inside the installation.
    const QString exe = inst.Path(QStringLiteral("PelkDataExchanger"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(PELK_EXECUTABLE), exe));
    QFile::remove(inst.Path(QStringLiteral("ObjectRules.xml")));
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(PELK_SOURCE_DIR "/deploy/ObjectRules.xml"), inst.Path(QStringLiteral("ObjectRules.xml"))));
    const QString file = inst.WriteProcessSettings(QStringLiteral("auto.xml"), inst.Path(QStringLiteral("work")),
                                                   {{QStringLiteral("Klient"), QStringLiteral("esNone"), 15},
                                                    {QStringLiteral("Inny"), QStringLiteral("esBothDirection"), 15}});
    auto runProgram = [&] {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), inst.dir.path());
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        p.setProcessEnvironment(env);
        p.start(exe, {file, QStringLiteral("auto")});
        EXPECT_TRUE(p.waitForFinished(30000));
        QDir logs(inst.Path(QStringLiteral("logs")));
        const QStringList files = logs.entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Time);
        const QString log = files.isEmpty() ? QString() : pelk::FromIsoLatin2(ReadFileBytes(logs.filePath(files.first())));
        for (const QString &f : files)
            QFile::remove(logs.filePath(f));
        return log;
    };
    QString log = runProgram();
    EXPECT_EQ(log.count(QStringLiteral(" Nieznany obiekt Inny transfer ")), 2) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral(" Zakończenie procesu przetwarzania")));
    EXPECT_FALSE(log.contains(QStringLiteral("Klient")));
    EXPECT_FALSE(log.contains(QStringLiteral(" Przetworzono obiekt: ")));

    QFile::remove(inst.Path(QStringLiteral("ObjectRules.xml")));
    log = runProgram();
    EXPECT_TRUE(log.contains(QStringLiteral(" Brak pliku konfiguracyjnego zasad przetwarzania:"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral(" Zakończenie procesu przetwarzania")));
}
