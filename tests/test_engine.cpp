// The exchange engine: staged-file pipeline, transformation, queue driver and rules, driven
// with a test kind over SQLite tables and real stylesheets in a temporary installation.
#include "support/EngineTestKind.h"
#include "support/Installation.h"

#include "app/DM_Main.h"
#include "app/Log.h"
#include "app/Process.h"
#include "app/Settings.h"
#include "app/Views.h"
#include "config/Common.h"
#include "config/Errors.h"
#include "config/XMLSerializer.h"
#include "db/Query.h"
#include "engine/CloseDataSets.h"
#include "engine/Queue.h"
#include "engine/RunControl.h"
#include "engine/Transformation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

using namespace pelk;
using namespace pelk::test;

namespace {

class Engine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureApplication();
        inst.WriteSettings();
        OdbcEnvironment::ExecSqlite(Crm(), TestSourceSchema());
        OdbcEnvironment::ExecSqlite(inst.gisFile, TestTargetSchema());
        WriteRules({{QStringLiteral("Testowy"), QStringLiteral("Testowy"), QStringLiteral("Test")}});
        WriteFileText(Xsl(QStringLiteral("Test_X2Y.xsl")), TestStylesheet());
        WriteFileText(Xsl(QStringLiteral("Test_Y2X.xsl")), TestStylesheet());
        RegisterTestKind();
        Objects({{QStringLiteral("Testowy"), QStringLiteral("esSysXtoSysY"), 15}});
    }
    void TearDown() override
    {
        UnregisterTestKind();
        SetStageHook(nullptr);
        SetAskYesNoHandler(nullptr);
    }

    QString Crm() const { return inst.odbc.Folder() + QStringLiteral("/CRM.db"); }
    QString Work() const { return inst.Path(QStringLiteral("work")); }
    QString WorkFile(const QString &name) const { return Work() + QStringLiteral("/") + name; }
    QString Xsl(const QString &name) const { return inst.Path(QStringLiteral("xsl/")) + name; }
    void WriteRules(const QList<std::tuple<QString, QString, QString>> &entries)
    {
        WriteFileText(inst.Path(QStringLiteral("ObjectRules.xml")), TestRulesXml(entries));
    }
    void Objects(const QList<std::tuple<QString, QString, int>> &items)
    {
        settingsFile = inst.WriteProcessSettings(QStringLiteral("p.xml"), Work(), items);
        dm.reset();
    }
    TDM_Main &Dm()
    {
        if (!dm) {
            dm = std::make_unique<TDM_Main>(inst.dir.path(), QStringList{settingsFile}, &pane, nullptr);
            EXPECT_TRUE(dm->Process()->CanProcess());
        }
        return *dm;
    }
    void RunExchange()
    {
        TQueue queue(Dm());
        queue.Objects = Dm().SettingsProcess()->ObjectToProcess();
        queue.Execute();
    }
    void Source(const QString &values) { OdbcEnvironment::ExecSqlite(Crm(), QStringLiteral("INSERT INTO SRC VALUES ") + values); }
    QStringList Stored() const
    {
        return OdbcEnvironment::QuerySqlite(inst.gisFile, QStringLiteral("SELECT ID, NAZWA FROM DST ORDER BY ID, NAZWA;"));
    }
    QStringList WorkFiles() const { return QDir(Work()).entryList(QDir::Files, QDir::Name); }
    QStringList WorkFiles(const QString &pattern) const { return QDir(Work()).entryList({pattern}, QDir::Files, QDir::Name); }
    QString Pane() const { return pane.AllText(); }
    bool Logged(QString text) const { return Pane().contains(text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))); }
    int CountLogged(QString text) const { return int(Pane().count(text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")))); }
    // A staged file written as the pipeline writes it.
    template <class T>
    QString Stage(const QString &prefix, const QString &key, const QString &nazwa)
    {
        T object(Dm());
        object.ObjectID = Variant(key);
        object.Nazwa = nazwa;
        const QString name = TObjectListQueue::StagedFileName(prefix);
        object.FileName = WorkFile(name);
        EXPECT_TRUE(object.SaveToXML());
        return name;
    }
    static QString Label(const QString &name, bool x2y) { return TQueue::Label(name, x2y); }

    Installation inst;
    RecordingLogView pane;
    QString settingsFile;
    std::unique_ptr<TDM_Main> dm;
};

const QString kSummaryHead = QStringLiteral(" Przetworzono obiekt: ");

} // namespace

TEST_F(Engine, AllStagesSucceedAndNothingStaysInTheWorkingFolder)
{
    Source(QStringLiteral("(1, 'jeden'), (2, 'Żółw'), (3, 'trzy')"));
    int serialized = 0, transformed = 0;
    QStringList seenDuringStore;
    SetStageHook([&](const char *stage) {
        const QString s = QLatin1String(stage);
        serialized += s == QLatin1String("serialized");
        transformed += s == QLatin1String("transformed");
        if (s == QLatin1String("transformed"))
            seenDuringStore = WorkFiles();
    });
    RunExchange();
    EXPECT_EQ(Stored(), QStringList({QStringLiteral("1|jeden"), QStringLiteral("2|Żółw"), QStringLiteral("3|trzy")}));
    EXPECT_EQ(serialized, 3);
    EXPECT_EQ(transformed, 3);
    // A database element's stages pass in memory: while it is stored, nothing of it is on disk.
    EXPECT_TRUE(seenDuringStore.isEmpty()) << seenDuringStore.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(WorkFiles().isEmpty()) << WorkFiles().join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(Logged(Dm().Process()->FullSummary(Label(QStringLiteral("Testowy"), true))));
    EXPECT_EQ(Dm().Process()->NewCount(), 3);
    EXPECT_EQ(Dm().Process()->Processed(), 3);
    EXPECT_TRUE(Logged(QStringLiteral(" Przetwarzany element: 3/3")));
    EXPECT_TRUE(Logged(QStringLiteral(" Liczba elementów: 0")));

    // Nothing new: no element, an immediate end, one more summary.
    pane.messages.clear();
    RunExchange();
    EXPECT_FALSE(Logged(QStringLiteral(" Przetwarzany element")));
    EXPECT_EQ(Dm().Process()->TotalElements(), 0);
    EXPECT_EQ(CountLogged(kSummaryHead), 1);
}

TEST_F(Engine, FailureAtEachStageKeepsItsInputAndTheNextRunRedoesTheElement)
{
    Source(QStringLiteral("(1, 'jeden'), (2, NULL), (3, 'XSLFAIL'), (4, 'SAVEFAIL')"));
    RunExchange();
    EXPECT_EQ(Stored(), QStringList({QStringLiteral("1|jeden")}));
    EXPECT_EQ(Dm().Process()->NotProcessed(), 3);
    EXPECT_TRUE(Logged(QStringLiteral(" Brak nazwy rekordu 2")));
    // Load failed: no file. Transformation failed: the source-layout file. Store failed: the
    // target-layout file.
    const QStringList sourceFiles = WorkFiles(QStringLiteral("Test_SysX__*"));
    const QStringList targetFiles = WorkFiles(QStringLiteral("Test_SysY__*"));
    ASSERT_EQ(sourceFiles.size(), 1);
    ASSERT_EQ(targetFiles.size(), 1);
    EXPECT_EQ(WorkFiles().size(), 2);
    EXPECT_TRUE(ReadFileText(WorkFile(sourceFiles[0])).contains(QStringLiteral("XSLFAIL")));
    EXPECT_TRUE(ReadFileText(WorkFile(targetFiles[0])).contains(QStringLiteral("SAVEFAIL")));
    EXPECT_TRUE(ReadFileText(WorkFile(targetFiles[0])).contains(QStringLiteral("classname=\"TTest_Cel\"")));

    // The source is mended: the elements come from the database again, the leftover files are
    // superseded (deleted, not stored) and every element is stored with its new data.
    OdbcEnvironment::ExecSqlite(Crm(), QStringLiteral("UPDATE SRC SET NAZWA = 'nowa' || ID WHERE ID > 1"));
    pane.messages.clear();
    RunExchange();
    EXPECT_TRUE(Logged(QStringLiteral(" Liczba elementów: 0")));
    EXPECT_EQ(Stored(),
              QStringList(
                  {QStringLiteral("1|jeden"), QStringLiteral("2|nowa2"), QStringLiteral("3|nowa3"), QStringLiteral("4|nowa4")}));
    EXPECT_TRUE(WorkFiles().isEmpty());
}

TEST_F(Engine, LeftoverFilesOfBothLayoutsAreTakenUpAndIncompleteOnesRemoved)
{
    Source(QStringLiteral("(5, 'nowa')"));
    const QString source = Stage<TTest_Zrodlo>(QStringLiteral("Test_SysX"), QStringLiteral("7"), QStringLiteral("siedem"));
    const QString target = Stage<TTest_Cel>(QStringLiteral("Test_SysY"), QStringLiteral("8"), QStringLiteral("osiem"));
    const QString superseded = Stage<TTest_Cel>(QStringLiteral("Test_SysY"), QStringLiteral("5"), QStringLiteral("stara"));
    // What a crash while writing leaves: a staged file under its temporary name (an object
    // file or a transformation result). Neither is an element; both are removed. Another
    // kind's, and files the program never writes, are left alone.
    const QString guid = QStringLiteral("{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}");
    QFile::copy(WorkFile(source), WorkFile(QStringLiteral("Test_SysX__") + guid + QStringLiteral(".xml.part")));
    WriteFileText(WorkFile(QStringLiteral("Test_SysY__") + guid + QStringLiteral(".xml.part")), QStringLiteral("<classes"));
    WriteFileText(WorkFile(QStringLiteral("Test_SysY__") + guid + QStringLiteral(".xml.backup")), QStringLiteral("<kopia/>"));
    WriteFileText(WorkFile(QStringLiteral("Test_SysY__notatki.xml.part")), QStringLiteral("notatki"));
    // A staged name whose content is no XML: an element that fails and stays.
    WriteFileText(WorkFile(QStringLiteral("Test_SysY__broken.xml")), QStringLiteral("<classes><class"));
    WriteFileText(WorkFile(QStringLiteral("Inny__{A}.xml")), QStringLiteral("<classes/>"));
    WriteFileText(WorkFile(QStringLiteral("Inny__{B}.xml.part")), QStringLiteral("<classes"));

    RunExchange();
    EXPECT_TRUE(Logged(QStringLiteral(" Liczba elementów: 3")));
    EXPECT_EQ(Dm().Process()->TotalElements(), 4);
    EXPECT_EQ(Dm().Process()->Processed(), 3);
    EXPECT_EQ(Stored(), QStringList({QStringLiteral("5|nowa"), QStringLiteral("7|siedem"), QStringLiteral("8|osiem")}));
    EXPECT_EQ(WorkFiles(),
              QStringList({QStringLiteral("Inny__{A}.xml"), QStringLiteral("Inny__{B}.xml.part"),
                           QStringLiteral("Test_SysY__broken.xml"), QStringLiteral("Test_SysY__notatki.xml.part"),
                           QStringLiteral("Test_SysY__") + guid + QStringLiteral(".xml.backup")}));
    Q_UNUSED(target);
    Q_UNUSED(superseded);
}

TEST_F(Engine, StopBetweenTransformationAndStoreLeavesTheTargetFileForTheNextRun)
{
    Objects({{QStringLiteral("Testowy"), QStringLiteral("esSysXtoSysY"), 15},
             {QStringLiteral("Drugi"), QStringLiteral("esSysXtoSysY"), 15}});
    WriteRules({{QStringLiteral("Testowy"), QStringLiteral("Testowy"), QStringLiteral("Test")},
                {QStringLiteral("Drugi"), QStringLiteral("Drugi"), QStringLiteral("Test")}});
    RegisterTestKind(QStringLiteral("Drugi"));
    Source(QStringLiteral("(1, 'jeden'), (2, 'dwa'), (3, 'trzy')"));
    TRunControl run(Dm());
    SetAskYesNoHandler([](const QString &, const QString &) { return true; });
    // Stop is pressed while the second element is being transformed: the press is delivered at
    // the test after the transformation (two posted hops from the end of its serialization,
    // with events processed at every test).
    SetEventInterval(0);
    const auto restore = qScopeGuard([] { SetEventInterval(kEventIntervalMilliseconds); });
    int serialized = 0;
    SetStageHook([&](const char *stage) {
        if (QLatin1String(stage) == QLatin1String("serialized") && ++serialized == 2)
            QTimer::singleShot(0, [&run] { QTimer::singleShot(0, [&run] { run.Stop(); }); });
    });
    run.Start();
    UnregisterTestKind(QStringLiteral("Drugi"));
    SetStageHook(nullptr);

    EXPECT_EQ(Stored(), QStringList({QStringLiteral("1|jeden")}));
    const QStringList left = WorkFiles();
    ASSERT_EQ(left.size(), 1) << left.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(left[0].startsWith(QStringLiteral("Test_SysY__")));
    EXPECT_TRUE(Logged(QStringLiteral(" Przerwano proces przetwarzania")));
    // The interrupted queue still has its summary; the second queue does not run.
    EXPECT_EQ(CountLogged(kSummaryHead), 1);
    EXPECT_FALSE(Logged(Label(QStringLiteral("Drugi"), true)));
    EXPECT_FALSE(Logged(QStringLiteral(" Zakończenie procesu przetwarzania")));
    EXPECT_FALSE(Dm().Process()->EscProcess());
    EXPECT_FALSE(Dm().Process()->RunProcess());

    // The element is no longer listed by the source: the next run stores the staged file.
    OdbcEnvironment::ExecSqlite(Crm(), QStringLiteral("DELETE FROM SRC WHERE ID = 2"));
    pane.messages.clear();
    Objects({{QStringLiteral("Testowy"), QStringLiteral("esSysXtoSysY"), 15}});
    RunExchange();
    EXPECT_TRUE(Logged(QStringLiteral(" Liczba elementów: 1")));
    EXPECT_EQ(Stored(), QStringList({QStringLiteral("1|jeden"), QStringLiteral("2|dwa"), QStringLiteral("3|trzy")}));
    EXPECT_TRUE(WorkFiles().isEmpty());
}

TEST_F(Engine, StopRightAfterSerializationKeepsTheSourceFile)
{
    Source(QStringLiteral("(1, 'jeden'), (2, 'dwa')"));
    SetStageHook([&](const char *stage) {
        if (QLatin1String(stage) == QLatin1String("serialized"))
            Dm().Process()->SetEscProcess(true);
    });
    TQueue driver(Dm());
    driver.Objects = Dm().SettingsProcess()->ObjectToProcess();
    ASSERT_TRUE(driver.BuildQueues());
    ASSERT_EQ(driver.Queues.size(), 1u);
    TObjectListQueue &queue = *driver.Queues[0];
    EXPECT_FALSE(queue.RunElements()); // ended early
    EXPECT_TRUE(Stored().isEmpty());
    EXPECT_EQ(WorkFiles(QStringLiteral("Test_SysX__*")).size(), 1);
    EXPECT_EQ(WorkFiles().size(), 1);
    EXPECT_EQ(Dm().Process()->TotalElements(), 2);
    EXPECT_EQ(Dm().Process()->NotProcessed(), 1);

    SetStageHook(nullptr);
    Dm().Process()->SetEscProcess(false);
    EXPECT_TRUE(queue.RunElements());
    EXPECT_EQ(Stored().size(), 2);
    EXPECT_TRUE(WorkFiles().isEmpty());
}

TEST_F(Engine, TransformationMessagesAndOutputRules)
{
    TLog &log = *Dm().Log();
    TTransformationObject t(log, Work(), inst.Path(QStringLiteral("xsl")));
    t.InputName = QStringLiteral("in.xml");
    t.OutputName = QStringLiteral("out.xml");
    t.StylesheetName = QStringLiteral("Test_X2Y.xsl");
    EXPECT_FALSE(t.Transform());
    EXPECT_TRUE(Logged(QStringLiteral(" Brak pliku do transformacj: \r\n      ") + WorkFile(QStringLiteral("in.xml"))));

    const QString in = Stage<TTest_Zrodlo>(QStringLiteral("Test_SysX"), QStringLiteral("9"), QStringLiteral("Żółw"));
    t.InputName = in;
    t.StylesheetName.clear();
    EXPECT_FALSE(t.Transform());
    EXPECT_TRUE(Logged(QStringLiteral(" Brak pliku transformacyjnego: \r\n      ") + inst.Path(QStringLiteral("xsl"))));

    // The stylesheet asks for ISO-8859-2 with its own declaration: the result is UTF-8 and
    // begins with the UTF-8 declaration, without a line break.
    t.StylesheetName = QStringLiteral("Test_X2Y.xsl");
    ASSERT_TRUE(t.Transform());
    const QByteArray out = ReadFileBytes(WorkFile(QStringLiteral("out.xml")));
    EXPECT_TRUE(out.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?><classes>")) << out.left(80).toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Żółw").toUtf8()));
    EXPECT_TRUE(out.contains("classname=\"TTest_Cel\""));
    EXPECT_TRUE(QFileInfo::exists(WorkFile(in))); // the input is the queue's business

    // An existing output is never overwritten; both files stay.
    WriteFileText(WorkFile(QStringLiteral("out.xml")), QStringLiteral("<stare/>"));
    EXPECT_FALSE(t.Transform());
    EXPECT_TRUE(Logged(QStringLiteral(" W katalogu roboczym znajduje się plik: \r\n      ") + WorkFile(QStringLiteral("out.xml"))
                       + QStringLiteral("\r\n      Proces transformacji został przerwany")));
    EXPECT_EQ(ReadFileText(WorkFile(QStringLiteral("out.xml"))), QStringLiteral("<stare/>"));
    EXPECT_TRUE(QFileInfo::exists(WorkFile(in)));

    // A result that is no XML document, a stylesheet that is no stylesheet: false, no file.
    const int before = int(pane.messages.size());
    WriteFileText(
        Xsl(QStringLiteral("text.xsl")),
        QStringLiteral("<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                       "<xsl:output method=\"text\"/><xsl:template match=\"/\">a &lt; b</xsl:template></xsl:stylesheet>"));
    WriteFileText(Xsl(QStringLiteral("broken.xsl")), QStringLiteral("<xsl:stylesheet"));
    for (const char *sheet : {"text.xsl", "broken.xsl"}) {
        t.StylesheetName = QLatin1String(sheet);
        t.OutputName = QStringLiteral("out2.xml");
        EXPECT_FALSE(t.Transform()) << sheet;
        EXPECT_FALSE(QFileInfo::exists(WorkFile(QStringLiteral("out2.xml"))));
    }
    EXPECT_EQ(pane.messages.size(), before);
    EXPECT_TRUE(WorkFiles(QStringLiteral("*.part")).isEmpty());
}

TEST_F(Engine, StylesheetIsCompiledOncePerRunAndAChangedOneIsPickedUp)
{
    const QString path = Xsl(QStringLiteral("Test_X2Y.xsl"));
    TStylesheetCache cache;
    auto *first = cache.Get(path);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(cache.Get(path), first);
    EXPECT_EQ(cache.Compilations(), 1);

    // Same results through the cache as with a compilation per file.
    const QString in = Stage<TTest_Zrodlo>(QStringLiteral("Test_SysX"), QStringLiteral("1"), QStringLiteral("jeden"));
    TTransformationObject cached(*Dm().Log(), Work(), inst.Path(QStringLiteral("xsl")), &cache);
    TTransformationObject uncached(*Dm().Log(), Work(), inst.Path(QStringLiteral("xsl")));
    for (auto *t : {&cached, &uncached}) {
        t->InputName = in;
        t->StylesheetName = QStringLiteral("Test_X2Y.xsl");
    }
    cached.OutputName = QStringLiteral("a.xml");
    uncached.OutputName = QStringLiteral("b.xml");
    ASSERT_TRUE(cached.Transform());
    ASSERT_TRUE(uncached.Transform());
    EXPECT_EQ(ReadFileBytes(WorkFile(QStringLiteral("a.xml"))), ReadFileBytes(WorkFile(QStringLiteral("b.xml"))));
    EXPECT_EQ(cache.Compilations(), 1);

    // An edited stylesheet (new content, new time stamp) is compiled again.
    QString edited = TestStylesheet();
    edited.replace(QStringLiteral("<xsl:apply-templates select=\"node()\"/></class>"),
                   QStringLiteral("<xsl:apply-templates select=\"node()\"/><zmieniony/></class>"));
    WriteFileText(path, edited);
    QFile(path).setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
    cached.OutputName = QStringLiteral("c.xml");
    ASSERT_TRUE(cached.Transform());
    EXPECT_EQ(cache.Compilations(), 2);
    EXPECT_TRUE(ReadFileText(WorkFile(QStringLiteral("c.xml"))).contains(QStringLiteral("<zmieniony/>")));

    // Through the driver: many elements, one queue's stylesheet, and the edited sheet is used.
    QFile::remove(WorkFile(in));
    for (const char *f : {"a.xml", "b.xml", "c.xml"})
        QFile::remove(WorkFile(QLatin1String(f)));
    Source(QStringLiteral("(1, 'a'), (2, 'b'), (3, 'c'), (4, 'd')"));
    edited.replace(QStringLiteral("</xsl:stylesheet>"),
                   QStringLiteral("<xsl:template match=\"property[@name='Nazwa']/text()\">"
                                  "<xsl:value-of select=\"concat(., '+')\"/></xsl:template></xsl:stylesheet>"));
    WriteFileText(path, edited);
    QFile(path).setFileTime(QDateTime::currentDateTime().addSecs(10), QFileDevice::FileModificationTime);
    RunExchange();
    EXPECT_EQ(Stored(),
              QStringList({QStringLiteral("1|a+"), QStringLiteral("2|b+"), QStringLiteral("3|c+"), QStringLiteral("4|d+")}));
}

TEST_F(Engine, MissingStylesheetKeepsEverySourceFileForTheNextRun)
{
    QFile::remove(Xsl(QStringLiteral("Test_X2Y.xsl")));
    Source(QStringLiteral("(1, 'jeden'), (2, 'dwa')"));
    RunExchange();
    EXPECT_EQ(CountLogged(QStringLiteral(" Brak pliku transformacyjnego: \r\n      ") + Xsl(QStringLiteral("Test_X2Y.xsl"))), 2);
    EXPECT_EQ(WorkFiles(QStringLiteral("Test_SysX__*")).size(), 2);
    EXPECT_EQ(WorkFiles().size(), 2);

    // The stylesheet is back and the source no longer lists the elements: the files carry them.
    WriteFileText(Xsl(QStringLiteral("Test_X2Y.xsl")), TestStylesheet());
    OdbcEnvironment::ExecSqlite(Crm(), QStringLiteral("DELETE FROM SRC"));
    RunExchange();
    EXPECT_EQ(Stored(), QStringList({QStringLiteral("1|jeden"), QStringLiteral("2|dwa")}));
    EXPECT_TRUE(WorkFiles().isEmpty());
}

TEST_F(Engine, DriverBuildsQueuesFromTheObjectListAndTheRules)
{
    RegisterTestKind(QStringLiteral("Krotki"), true);
    RegisterTestKind(QStringLiteral("BezNazwy"));
    RegisterTestKind(QStringLiteral("BezWpisu"));
    WriteRules({{QStringLiteral("Testowy"), QStringLiteral("x"), QStringLiteral("Test")},
                {QStringLiteral("Krotki"), QStringLiteral("x"), QStringLiteral("Test")},
                {QStringLiteral("BezNazwy"), QString(), QStringLiteral("Test")}});
    Objects({{QStringLiteral("Klient"), QStringLiteral("esSysXtoSysY"), 15},
             {QStringLiteral("Testowy"), QStringLiteral("esBothDirection"), 15},
             {QStringLiteral("BezNazwy"), QStringLiteral("esSysXtoSysY"), 15},
             {QStringLiteral("BezWpisu"), QStringLiteral("esSysYtoSysX"), 15},
             {QStringLiteral("Nic"), QStringLiteral("esNone"), 15},
             {QStringLiteral("Krotki"), QStringLiteral("esSysXtoSysY"), 15}});
    Source(QStringLiteral("(1, 'jeden')"));
    RunExchange();
    const QString rules = inst.Path(QStringLiteral("ObjectRules.xml"));
    EXPECT_TRUE(Logged(
        QStringLiteral(" Nieznany obiekt Klient transfer do systemu Pelk·GIS Trasar\r\n      Przetwarzanie obiektu przerwane")));
    EXPECT_TRUE(Logged(
        QStringLiteral(" Brak parametrów obiektu BezNazwy w pliku konfiguracyjnym %1\r\n      Przetwarzanie obiektu przerwane")
            .arg(rules)));
    EXPECT_TRUE(Logged(
        QStringLiteral(" Brak parametrów obiektu BezWpisu w pliku konfiguracyjnym %1\r\n      Przetwarzanie obiektu przerwane")
            .arg(rules)));
    // Summaries in run order: X to Y before Y to X; the short form for the short-summary kind.
    QStringList summaries;
    for (const auto &m : pane.messages)
        if (!m.lines.isEmpty() && m.lines[0].startsWith(kSummaryHead))
            summaries << m.lines[0].mid(kSummaryHead.size()) + QString::number(m.lines.size());
    EXPECT_EQ(summaries,
              QStringList({Label(QStringLiteral("Testowy"), true) + QStringLiteral("8"),
                           Label(QStringLiteral("Testowy"), false) + QStringLiteral("8"),
                           Label(QStringLiteral("Krotki"), true) + QStringLiteral("3")}));
    EXPECT_EQ(Stored(), QStringList({QStringLiteral("1|jeden")}));

    // The queues built, with their rules and direction.
    TQueue queue(Dm());
    queue.Objects = Dm().SettingsProcess()->ObjectToProcess();
    EXPECT_TRUE(queue.BuildQueues());
    ASSERT_EQ(queue.Queues.size(), 3u);
    EXPECT_EQ(queue.Queues[1]->Rules->ObjectName, Label(QStringLiteral("Testowy"), false));
    EXPECT_FALSE(queue.Queues[1]->Direction);
    EXPECT_EQ(queue.Queues[1]->Rules->SysXSaveName, QStringLiteral("Test_DoSysX"));
    for (const char *k : {"Krotki", "BezNazwy", "BezWpisu"})
        UnregisterTestKind(QLatin1String(k));
}

TEST_F(Engine, DirectionYtoXUsesItsOwnStylesheetAndFileNames)
{
    Objects({{QStringLiteral("Testowy"), QStringLiteral("esSysYtoSysX"), 15}});
    QFile::remove(Xsl(QStringLiteral("Test_X2Y.xsl")));
    Source(QStringLiteral("(1, 'jeden')"));
    // Refused by the target for one run, the element keeps the target file of this direction;
    // the next run stores it.
    OdbcEnvironment::ExecSqlite(
        inst.gisFile, QStringLiteral("CREATE TRIGGER odmowa BEFORE INSERT ON DST BEGIN SELECT RAISE(ABORT, 'odmowa'); END;"));
    RunExchange();
    OdbcEnvironment::ExecSqlite(inst.gisFile, QStringLiteral("DROP TRIGGER odmowa;"));
    const QStringList staged = WorkFiles();
    ASSERT_EQ(staged.size(), 1);
    EXPECT_TRUE(staged[0].startsWith(QStringLiteral("Test_DoSysX__")));
    RunExchange();
    EXPECT_EQ(Stored(), QStringList({QStringLiteral("1|jeden")}));
}

TEST_F(Engine, MissingRulesFileRunsNothingAndTheStartCommandEndsNormally)
{
    QFile::remove(inst.Path(QStringLiteral("ObjectRules.xml")));
    Source(QStringLiteral("(1, 'jeden')"));
    TRunControl run(Dm());
    run.Start();
    const QString path = QDir::toNativeSeparators(inst.dir.path()) + QDir::separator() + QStringLiteral("ObjectRules.xml");
    EXPECT_EQ(CountLogged(QStringLiteral(" Brak pliku konfiguracyjnego zasad przetwarzania:\r\n      %1\r\n"
                                         "      Przetwarzanie danych przerwane.")
                              .arg(path)),
              1);
    EXPECT_FALSE(Logged(kSummaryHead));
    EXPECT_TRUE(Logged(QStringLiteral(" Zakończenie procesu przetwarzania")));
    EXPECT_TRUE(Stored().isEmpty());

    // With the rules back, Start runs the queue: summary, stored element, end line.
    WriteRules({{QStringLiteral("Testowy"), QStringLiteral("Testowy"), QStringLiteral("Test")}});
    pane.messages.clear();
    run.Start();
    EXPECT_TRUE(Logged(kSummaryHead + Label(QStringLiteral("Testowy"), true)));
    EXPECT_EQ(Stored(), QStringList({QStringLiteral("1|jeden")}));
    EXPECT_TRUE(Logged(QStringLiteral(" Zakończenie procesu przetwarzania")));

    // A rules file that is no XML: the serializer's error leaves the run to the caller, with
    // the run flags reset.
    WriteFileText(inst.Path(QStringLiteral("ObjectRules.xml")), QStringLiteral("<classes><class"));
    EXPECT_THROW(run.Start(), EXMLParseError);
    EXPECT_FALSE(Dm().Process()->RunProcess());
}

TEST_F(Engine, ExchangeObjectsBaseAndTemporaryObjects)
{
    TSysY_TempObj y(Dm());
    TSysX_TempObj x(Dm());
    RObiekt element;
    EXPECT_FALSE(y.LoadObjectData(element));
    EXPECT_FALSE(x.SaveObjectData(element));
    EXPECT_TRUE(Logged(QStringLiteral(" Funkcja TSysY_TempObj.LoadObjectData nie jest zaimplementowana")));
    EXPECT_TRUE(Logged(QStringLiteral(" Funkcja TSysX_TempObj.SaveObjectData nie jest zaimplementowana")));

    // Saving over an existing file replaces it; the element is named after the class.
    x.FileName = WorkFile(QStringLiteral("x.xml"));
    WriteFileText(x.FileName,
                  QStringLiteral("stara zawartość, dłuższa niż nowa ............................................"
                                 "......................................................................"));
    x.ObjectID = Variant(QStringLiteral("K-17"));
    ASSERT_TRUE(x.SaveToXML());
    const QString text = ReadFileText(x.FileName);
    EXPECT_FALSE(text.contains(QStringLiteral("stara")));
    EXPECT_TRUE(text.contains(QStringLiteral("classname=\"TSysX_TempObj\" name=\"TSysX_TempObj\"")));
    TSysX_TempObj back(Dm());
    back.FileName = x.FileName;
    ASSERT_TRUE(back.LoadFromXML());
    EXPECT_EQ(back.ObjectID.toString(), QStringLiteral("K-17"));
    back.FileName = WorkFile(QStringLiteral("brak.xml"));
    EXPECT_FALSE(back.LoadFromXML());
    EXPECT_TRUE(Logged(QStringLiteral(" Wyjątek funkcji TSysX_TempObj.LoadFromXML ")));
}

TEST_F(Engine, ASourceObjectThatCannotLoadWritesNoFileAndCloseDataSetsClosesTheQueries)
{
    // A queue of the Y-to-X kind with the temporary objects: nothing is written for an element
    // whose load is not implemented, nor for one whose load throws (logged as an exception).
    class Throwing : public TInterfaceObject
    {
    public:
        using TInterfaceObject::TInterfaceObject;
        bool LoadObjectData(RObiekt &) override { throw Exception(QStringLiteral(" Brak danych")); }
    };
    class TempQueue : public TTestListQueue
    {
    public:
        using TTestListQueue::TTestListQueue;
        bool SerializeObject(RObiekt &e) override { return SerializeSysObject(e, std::make_unique<TSysY_TempObj>(m_dm)); }
        bool ThrowingSerialize(RObiekt &e) { return SerializeSysObject(e, std::make_unique<Throwing>(m_dm)); }
    };
    TempQueue queue(Dm());
    queue.Rules = std::make_unique<TQueueObjectRules>();
    queue.Rules->SysXLoadName = QStringLiteral("T_SysX");
    RObiekt element;
    element.Key = QStringLiteral("1");
    EXPECT_FALSE(queue.SerializeObject(element));
    EXPECT_FALSE(queue.ThrowingSerialize(element));
    EXPECT_TRUE(Logged(QStringLiteral(" Wyjątek funkcji TObjectListQueue.SerializeSysObject\n  Brak danych")));
    EXPECT_TRUE(WorkFiles(QStringLiteral("T_SysX*")).isEmpty());

    // CloseDataSets leaves the queries closed.
    Connection &gis = Dm().ADOConnection_PelkGIS;
    ASSERT_TRUE(Dm().Db().CheckConnection(gis));
    Query a(gis), b(gis);
    a.SetSQL(QStringLiteral("SELECT 1"));
    b.SetSQL(QStringLiteral("SELECT 2"));
    a.Open();
    b.Open();
    CloseDataSets({&a, &b, nullptr});
    EXPECT_FALSE(a.IsActive());
    EXPECT_FALSE(b.IsActive());
}

TEST(EngineDeploy, ObjectRulesCoverEveryKindWithFileNamesNoOtherNameContains)
{
    const QString file = QStringLiteral(PELK_SOURCE_DIR "/deploy/ObjectRules.xml");
    EXPECT_TRUE(TProcess::CommentVersion(file).startsWith(QStringLiteral("1.0.0 ")));
    std::unique_ptr<TXMLSerializer> serializer(TXMLSerializer::CreateSystemSerializer(nullptr));
    ASSERT_TRUE(serializer->LoadDocument(file));
    QStringList names;
    for (const char *kind : {"Klient", "Dystrybutor", "Wizyta", "Sprzedaz", "DaneGPS"}) {
        TQueueObjectRules rules;
        ASSERT_NE(serializer->LoadObject(&rules, QLatin1String(kind)), nullptr) << kind;
        EXPECT_FALSE(rules.ObjectName.isEmpty()) << kind;
        EXPECT_EQ(rules.TransSysXtoSysYName, QLatin1String(kind) + QStringLiteral("_X2Y.xsl"));
        names << rules.SysXLoadName << rules.SysYSaveName << rules.SysXSaveName;
    }
    // The working folder is shared: a staged name part inside another would make one kind's
    // files elements of another.
    for (const QString &a : names)
        for (const QString &b : names)
            EXPECT_TRUE(a == b ? names.count(a) == 1 : !b.contains(a)) << a.toStdString() << " / " << b.toStdString();
}
