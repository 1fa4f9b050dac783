#pragma once
// The main window: object kinds with their direction states, the processing panel, the
// settings panel and the log pane. All work is delegated to the core.
#include "app/RunReport.h"

#include <QWidget>
#include <functional>
#include <memory>

class QAction;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QSplitter;
class QTimer;
class QToolButton;

namespace pelk {

class LogPane;
class ProcessingPanel;
class SingleInstance;
class TDM_Main;
class TRunControl;

class TF_Main : public QWidget
{
    Q_OBJECT
public:
    explicit TF_Main(QWidget *parent = nullptr);
    ~TF_Main() override;

    // Binds the data module created after the window (its views are this window's).
    void SetDataModule(TDM_Main *dm);

    LogPane *RV_Log;
    ProcessingPanel *Processing;
    QListWidget *ListView_Objects;
    QSplitter *cxSplitter1;
    QLineEdit *Edit_Dir;
    QToolButton *Button_WyborKatalogu;
    QTimer *Timer_Automat;
    QAction *A_ZapiszKonfiguracje;
    QAction *A_OtworzKonfiguracje;
    QAction *A_WyborKatalogu;
    QAction *A_Start;
    QAction *A_Stop;

    // File and folder choices; replaceable so the window runs without a user.
    std::function<QString()> ChooseSaveFile;
    std::function<QString()> ChooseOpenFile;
    std::function<QString()> ChooseFolder;
    // Shows an error that ended a run (not used in automatic mode).
    std::function<void(const QString &)> ShowError;

    void A_StartExecute();
    void A_StopExecute();
    void A_ZapiszKonfiguracjeExecute();
    void A_OtworzKonfiguracjeExecute();
    void A_WyborKataloguExecute();
    void FillObjectList();
    void UpdateActions();
    bool IsProcessingPanelShown() const;
    // The program's exit code once the window closed: 0, or kExitSecondInstance when another
    // instance was running.
    int ExitCode() const { return m_exitCode; }
    static constexpr int kExitSecondInstance = ExitCode::SecondInstance;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The parts of the window, built once by the constructor.
    QWidget *BuildObjectsBox();
    QWidget *BuildSettingsBox(QWidget *parent);
    QWidget *BuildLogPanel();
    void ConnectCommands();
    // The file and folder dialogs and the error box the commands use (tests replace them).
    void SetDefaultDialogs();
    // Whether the command may run now (the actions' states brought up to date first).
    bool Available(QAction *command);
    // The window's font, not bold.
    QFont NormalFont() const;
    void FormShow();
    void Timer_AutomatTimer();
    void ListView_ObjectsClick(QListWidgetItem *item);
    void ListView_ObjectsMouseMove(QListWidgetItem *item);
    void SplitterMoved();
    void ApplySplitterMinimum();
    void SetButtonAction(QAction *action);
    bool CanEditSettings() const;

    TDM_Main *m_dm = nullptr;
    std::unique_ptr<TRunControl> m_run;
    std::unique_ptr<SingleInstance> m_instance;
    QAction *m_buttonAction = nullptr;
    bool m_shown = false;
    int m_exitCode = 0;
};

} // namespace pelk
