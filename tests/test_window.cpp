// The main window on the offscreen platform, driven as a user would.
#include "support/Installation.h"

#include "app/DM_Main.h"
#include "app/Log.h"
#include "app/Process.h"
#include "app/Przelaczniki.h"
#include "app/Settings.h"
#include "app/SingleInstance.h"
#include "config/Common.h"
#include "engine/Queue.h"
#include "exchange/ExchangeKinds.h"
#include "gui/F_Main.h"
#include "gui/LogPane.h"
#include "gui/ProcessingPanel.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>
#include <gtest/gtest.h>

using namespace pelk;
using namespace pelk::test;

namespace {

class Window : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureApplication();
        // Each test has its own temporary folder, so its own single-instance lock.
        qputenv("TMPDIR", inst.dir.path().toLocal8Bit());
        inst.WriteSettings();
    }
    void TearDown() override
    {
        SetAskYesNoHandler(nullptr);
        qunsetenv("TMPDIR");
    }

    void Open(const QStringList &args = {})
    {
        window = std::make_unique<TF_Main>();
        dm = std::make_unique<TDM_Main>(inst.dir.path(), args, window->RV_Log, window->Processing);
        window->SetDataModule(dm.get());
        window->show();
        QCoreApplication::processEvents();
    }
    QString PaneText() const { return dm->Log()->PaneElements().join(QStringLiteral("\n")); }

    Installation inst;
    std::unique_ptr<TF_Main> window;
    std::unique_ptr<TDM_Main> dm;
};

} // namespace

TEST_F(Window, LayoutCaptionsAndEnabledCommands)
{
    Open();
    EXPECT_EQ(window->size(), QSize(792, 566));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Interfejs wymiany danych z systemem Pelk·GIS Trasar"));
    EXPECT_EQ(window->ListView_Objects->count(), 5);
    EXPECT_EQ(window->ListView_Objects->item(3)->text(), QStringLiteral("Sprzedaż"));
    EXPECT_EQ(window->Processing->Button_Proces->text(), QStringLiteral("Start"));
    EXPECT_TRUE(window->A_Start->isEnabled());
    EXPECT_TRUE(window->A_ZapiszKonfiguracje->isEnabled());
    EXPECT_EQ(window->A_ZapiszKonfiguracje->toolTip(), QStringLiteral("Zapisz bierzącą konfigurację"));
    EXPECT_EQ(window->Edit_Dir->text(), dm->SettingsProcess()->WorkDirectory);
    EXPECT_TRUE(window->IsProcessingPanelShown());
    EXPECT_GE(window->Processing->width(), window->cxSplitter1->width() - 18);

    if (const QByteArray shot = qgetenv("PELK_SCREENSHOT"); !shot.isEmpty()) {
        dm->Log()->Warning(1, QStringLiteral(" Przykładowe ostrzeżenie"));
        dm->Log()->Error(1, QStringLiteral(" Przykładowy błąd\r\n      z drugą linią"));
        QCoreApplication::processEvents();
        window->grab().save(QString::fromLocal8Bit(shot));
    }
}

TEST_F(Window, WithoutValidStartUpEveryCommandIsDisabled)
{
    inst.WriteSettings({{QStringLiteral("TraceLevel"), QStringLiteral("9")}});
    Open();
    EXPECT_EQ(window->ListView_Objects->count(), 0);
    for (QAction *a :
         {window->A_Start, window->A_Stop, window->A_ZapiszKonfiguracje, window->A_OtworzKonfiguracje, window->A_WyborKatalogu})
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    EXPECT_FALSE(window->Processing->Button_Proces->isEnabled());
}

TEST_F(Window, StartRunsAndReturnsToIdle)
{
    Open();
    window->Processing->Button_Proces->click();
    EXPECT_FALSE(dm->Process()->RunProcess());
    EXPECT_FALSE(dm->Process()->EscProcess());
    EXPECT_EQ(window->Processing->Button_Proces->text(), QStringLiteral("Start"));
    EXPECT_TRUE(window->A_ZapiszKonfiguracje->isEnabled());
    const QString text = PaneText();
    EXPECT_LT(text.indexOf(QStringLiteral(" Rozpoczęcie procesu przetwarzania")),
              text.indexOf(QStringLiteral(" Zakończenie procesu przetwarzania")));
}

TEST_F(Window, StopAnsweredNoChangesNothingYesSetsEscape)
{
    Open();
    dm->Process()->SetRunProcess(true);
    int asked = 0;
    SetAskYesNoHandler([&](const QString &text, const QString &caption) {
        ++asked;
        EXPECT_EQ(text, QStringLiteral("Czy przerwać aktualnie wykonywaną operacje?"));
        EXPECT_EQ(caption, QStringLiteral("Pytanie"));
        return false;
    });
    window->A_StopExecute();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(dm->Process()->EscProcess());
    EXPECT_FALSE(PaneText().contains(QStringLiteral("Przerwano")));

    SetAskYesNoHandler([](const QString &, const QString &) { return true; });
    window->A_StopExecute();
    EXPECT_TRUE(dm->Process()->EscProcess());
    EXPECT_TRUE(PaneText().contains(QStringLiteral(" Przerwano proces przetwarzania")));
}

TEST_F(Window, StopWithoutSomeoneToAskIsAnsweredNo)
{
    Open();
    SetAskYesNoHandler(nullptr);
    window->A_StopExecute();
    EXPECT_FALSE(dm->Process()->EscProcess());
}

TEST_F(Window, CtrlAltVListsVersionsOnlyWhenIdle)
{
    Open();
    auto versionsLogged = [&] { return dm->Log()->PaneElements().count(QStringLiteral(" Wersje plików:")); };
    QTest::keyClick(window->RV_Log, Qt::Key_V, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(versionsLogged(), 1);
    QTest::keyClick(window->Edit_Dir, Qt::Key_V, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(versionsLogged(), 1);
    dm->Process()->SetRunProcess(true);
    QTest::keyClick(window->Processing->Button_Proces, Qt::Key_V, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(versionsLogged(), 1);
    dm->Process()->SetRunProcess(false);
    QTest::keyClick(window.get(), Qt::Key_V, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(versionsLogged(), 2);
}

TEST_F(Window, ClickingAKindTogglesItsStateAndHint)
{
    Open();
    QListWidgetItem *item = window->ListView_Objects->item(0);
    const QRect r = window->ListView_Objects->visualItemRect(item);
    QTest::mouseClick(window->ListView_Objects->viewport(), Qt::LeftButton, {}, r.center());
    RPrzelacznik s;
    ASSERT_TRUE(dm->Przelaczniki()->GetSwitch(QStringLiteral("Klient"), s));
    EXPECT_EQ(s.Stan, esNone);
    emit window->ListView_Objects->itemEntered(item);
    EXPECT_EQ(window->ListView_Objects->toolTip(), QStringLiteral("Brak przetwarzania"));
    QTest::mouseClick(window->ListView_Objects->viewport(), Qt::LeftButton, {}, r.center());
    ASSERT_TRUE(dm->Przelaczniki()->GetSwitch(QStringLiteral("Klient"), s));
    EXPECT_EQ(s.Stan, esSysXtoSysY);
}

TEST_F(Window, OpenSaveAndFolderChoice)
{
    Open();
    const QString file = inst.WriteProcessSettings(QStringLiteral("o.xml"), QStringLiteral("/data/w"),
                                                   {{QStringLiteral("Wizyta"), QStringLiteral("esNone"), 10}});
    window->ChooseOpenFile = [&] { return file; };
    window->A_OtworzKonfiguracjeExecute();
    EXPECT_EQ(window->ListView_Objects->count(), 1);
    EXPECT_EQ(window->Edit_Dir->text(), QStringLiteral("/data/w"));
    EXPECT_TRUE(PaneText().contains(QStringLiteral(" Wczytanie zasad przetwarzania obiektów z pliku:")));

    window->ChooseFolder = [] { return QStringLiteral("/data/inny"); };
    window->A_WyborKataloguExecute();
    EXPECT_EQ(dm->SettingsProcess()->WorkDirectory, QStringLiteral("/data/inny"));
    EXPECT_TRUE(PaneText().contains(QStringLiteral(" Zmiana katalogu roboczego: ")));

    const QString saved = inst.Path(QStringLiteral("saved.xml"));
    window->ChooseSaveFile = [&] { return saved; };
    window->A_ZapiszKonfiguracjeExecute();
    TSettingsProcess back;
    ASSERT_TRUE(back.LoadFromFile(saved));
    EXPECT_EQ(back.WorkDirectory, QStringLiteral("/data/inny"));
    ASSERT_EQ(back.ObjectToProcess()->Count(), 1);
    EXPECT_EQ(back.ObjectToProcess()->Items(0)->NazwaObiektu, QStringLiteral("Wizyta"));

    window->ChooseOpenFile = [] { return QString(); }; // cancelled
    window->A_OtworzKonfiguracjeExecute();
    EXPECT_EQ(window->ListView_Objects->count(), 1);
}

TEST_F(Window, AutomaticModeRunsOnceAndCloses)
{
    const QString file = inst.WriteProcessSettings(QStringLiteral("p.xml"), inst.Path(QStringLiteral("work")),
                                                   {{QStringLiteral("Klient"), QStringLiteral("esSysXtoSysY"), 10}});
    Open({file, QStringLiteral("auto")});
    EXPECT_TRUE(window->isVisible());
    QTest::qWait(100); // the start-up lines reach the pane; the run starts later
    const QString paneBefore = window->RV_Log->toPlainText();
    QElapsedTimer t;
    t.start();
    while (window->isVisible() && t.elapsed() < 5000)
        QTest::qWait(20);
    EXPECT_FALSE(window->isVisible());
    const QString log = QString::fromLatin1(ReadFileBytes(dm->Log()->FileName()));
    EXPECT_TRUE(log.contains(QStringLiteral("Rozpocz")));
    EXPECT_TRUE(log.contains(QStringLiteral("*  Zako")));
    // In automatic mode the pane receives nothing more.
    EXPECT_EQ(window->RV_Log->toPlainText(), paneBefore);
}

TEST_F(Window, AutomaticModeWithFailedStartUpClosesWithoutRunning)
{
    inst.WriteSettings({{QStringLiteral("DSN_PelkGISTrasar"), QStringLiteral("NoSuchGis")}});
    const QString file = inst.WriteProcessSettings(QStringLiteral("p.xml"), QStringLiteral("/tmp"), {});
    Open({file, QStringLiteral("auto")});
    QElapsedTimer t;
    t.start();
    while (window->isVisible() && t.elapsed() < 5000)
        QTest::qWait(20);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(QString::fromLatin1(ReadFileBytes(dm->Log()->FileName())).contains(QStringLiteral("Rozpocz")));
}

TEST_F(Window, SecondInstanceIsRefusedAndCloses)
{
    SingleInstance first(QStringLiteral("PelkDataExchanger"));
    ASSERT_TRUE(first.TryAcquire());
    Open();
    QTest::qWait(50);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(PaneText().contains(
        QStringLiteral(" Nie można uruchomić aplikacji, ponieważ w tle działa już jedna instancja tego programu.")));
}

TEST_F(Window, ARunEndedByAnErrorIsLoggedShownAndLeavesTheWindowIdle)
{
    WriteFileText(inst.Path(QStringLiteral("ObjectRules.xml")), QStringLiteral("<classes><class"));
    RegisterExchangeKinds(); // the rules are read for a known kind only
    Open();
    QStringList shown;
    window->ShowError = [&](const QString &text) { shown << text; };
    window->Processing->Button_Proces->click();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(PaneText().contains(shown.first()));
    EXPECT_EQ(window->Processing->Button_Proces->text(), QStringLiteral("Start"));
    EXPECT_FALSE(dm->Process()->RunProcess());
    EXPECT_TRUE(window->A_ZapiszKonfiguracje->isEnabled());
    for (const char *name : {"Klient", "Dystrybutor"})
        for (bool direction : {true, false})
            QueueFactory::Unregister(QString::fromLatin1(name), direction);
}

TEST(LogPaneTest, AQuietPaneShowsAMessageAtOnceABurstIsGatheredAndTheNewestLinesStay)
{
    EnsureApplication();
    LogPane pane;
    pane.resize(400, 200);
    auto lines = [&] { return pane.document()->toPlainText().split(QLatin1Char('\n')); };
    pane.AddMessage(0, 9, {QStringLiteral(" Pierwsza")});
    pane.ScrollToEnd();
    EXPECT_TRUE(lines().last().endsWith(QStringLiteral(" Pierwsza"))) << "a quiet pane shows a message at once";

    // A burst: gathered, then shown together within the gathering time, newest line in view.
    for (int i = 0; i < 200; ++i) {
        pane.AddMessage(2, 8, {QStringLiteral(" Błąd %1").arg(i), QStringLiteral("      druga linia")});
        pane.ScrollToEnd();
    }
    QElapsedTimer waited;
    waited.start();
    while (!lines().last().contains(QStringLiteral("druga linia")) && waited.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(pane.document()->blockCount(), 1 + 2 * 200);
    EXPECT_EQ(pane.verticalScrollBar()->value(), pane.verticalScrollBar()->maximum());

    // A long run keeps only the newest lines in the pane.
    for (int i = 0; i < LogPane::kMaximumLines; ++i)
        pane.AddMessage(0, 6, {QStringLiteral(" Wiersz %1").arg(i)});
    pane.Flush();
    EXPECT_EQ(pane.document()->blockCount(), LogPane::kMaximumLines);
    EXPECT_TRUE(lines().last().endsWith(QStringLiteral(" Wiersz %1").arg(LogPane::kMaximumLines - 1)));
}
