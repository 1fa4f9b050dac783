#include "F_Main.h"

#include "Icons.h"
#include "LogPane.h"
#include "ProcessingPanel.h"
#include "app/DM_Main.h"
#include "app/Log.h"
#include "app/Process.h"
#include "app/Przelaczniki.h"
#include "app/Settings.h"
#include "app/SingleInstance.h"
#include "engine/RunControl.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace pelk {

namespace {

const QString kTitle = QStringLiteral("Interfejs wymiany danych z systemem Pelk·GIS Trasar");
const QString kHintOpened = QStringLiteral("Zmień panel przetwarzania na panel ustawień.");
const QString kHintClosed = QStringLiteral("Zmień panel ustawień na panel przetwarzania.");

QGroupBox *BoldGroup(const QString &title, QWidget *parent)
{
    auto *g = new QGroupBox(title, parent);
    QFont f = g->font();
    f.setBold(true);
    g->setFont(f);
    return g;
}

// A splitter handle that snaps the first panel open or closed on a click.
class SnapHandle : public QSplitterHandle
{
public:
    using QSplitterHandle::QSplitterHandle;

protected:
    void mousePressEvent(QMouseEvent *e) override
    {
        m_moved = false;
        QSplitterHandle::mousePressEvent(e);
    }
    void mouseMoveEvent(QMouseEvent *e) override
    {
        m_moved = true;
        QSplitterHandle::mouseMoveEvent(e);
    }
    void mouseReleaseEvent(QMouseEvent *e) override
    {
        QSplitterHandle::mouseReleaseEvent(e);
        if (m_moved)
            return;
        QList<int> s = splitter()->sizes();
        const int total = s.value(0) + s.value(1);
        if (s.value(0) == 0)
            splitter()->setSizes({total, 0});
        else
            splitter()->setSizes({0, total});
        emit splitter()->splitterMoved(splitter()->sizes().value(0), 1);
    }

private:
    bool m_moved = false;
};

class SnapSplitter : public QSplitter
{
public:
    using QSplitter::QSplitter;

protected:
    QSplitterHandle *createHandle() override { return new SnapHandle(orientation(), this); }
};

} // namespace

TF_Main::TF_Main(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(kTitle);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    setFont(f);
    setFixedSize(792, 566);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    auto *top = new QHBoxLayout;
    top->setContentsMargins(4, 4, 4, 4);
    root->addLayout(top, 1);
    top->addWidget(BuildObjectsBox());
    cxSplitter1 = new SnapSplitter(Qt::Horizontal, this);
    cxSplitter1->setHandleWidth(8);
    cxSplitter1->setChildrenCollapsible(true);
    Processing = new ProcessingPanel(cxSplitter1);
    cxSplitter1->addWidget(Processing);
    cxSplitter1->addWidget(BuildSettingsBox(cxSplitter1));
    cxSplitter1->setCollapsible(0, true);
    cxSplitter1->setCollapsible(1, true);
    top->addWidget(cxSplitter1, 1);
    root->addWidget(BuildLogPanel());

    Timer_Automat = new QTimer(this);
    Timer_Automat->setInterval(500);
    Timer_Automat->setSingleShot(true);
    ConnectCommands();
    SetDefaultDialogs();

    SetButtonAction(A_Start);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    // The processing panel fills the right part but for the splitter's snap margin.
    cxSplitter1->setSizes({2000, 0});
    UpdateActions();
}

QFont TF_Main::NormalFont() const
{
    QFont normal = font();
    normal.setBold(false); // explicit, so a group box's bold caption does not propagate
    return normal;
}

QWidget *TF_Main::BuildObjectsBox()
{
    auto *objectsBox = BoldGroup(QStringLiteral("Przetwarzane obiekty"), this);
    objectsBox->setFixedWidth(241);
    auto *objectsLayout = new QVBoxLayout(objectsBox);
    ListView_Objects = new QListWidget(objectsBox);
    ListView_Objects->setViewMode(QListView::ListMode);
    ListView_Objects->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView_Objects->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView_Objects->setIconSize(QSize(24, 24));
    ListView_Objects->setMouseTracking(true);
    ListView_Objects->setFont(NormalFont());
    objectsLayout->addWidget(ListView_Objects);
    return objectsBox;
}

QWidget *TF_Main::BuildSettingsBox(QWidget *parent)
{
    auto *settingsBox = BoldGroup(QStringLiteral("Ustawienia"), parent);
    auto *settingsLayout = new QVBoxLayout(settingsBox);
    auto *toolbar = new QToolBar(settingsBox);
    toolbar->setIconSize(QSize(16, 16));
    A_ZapiszKonfiguracje = new QAction(style()->standardIcon(QStyle::SP_DialogSaveButton), QStringLiteral("Zapisz konf."), this);
    A_ZapiszKonfiguracje->setToolTip(QStringLiteral("Zapisz bierzącą konfigurację"));
    A_OtworzKonfiguracje = new QAction(style()->standardIcon(QStyle::SP_DirOpenIcon), QStringLiteral("Otwórz konf."), this);
    A_OtworzKonfiguracje->setToolTip(QStringLiteral("Otwórz wczesniej zapisany plik konfiguracyjny"));
    A_WyborKatalogu = new QAction(QStringLiteral("..."), this);
    A_WyborKatalogu->setToolTip(QStringLiteral("Wybierz katalog roboczy"));
    A_Start = new QAction(QStringLiteral("Start"), this);
    A_Stop = new QAction(QStringLiteral("Stop"), this);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolbar->addSeparator();
    toolbar->addAction(A_ZapiszKonfiguracje);
    toolbar->addSeparator();
    toolbar->addAction(A_OtworzKonfiguracje);
    toolbar->addSeparator();
    settingsLayout->addWidget(toolbar);
    settingsLayout->addWidget(new QLabel(QStringLiteral("Katalog roboczy:"), settingsBox));
    auto *dirRow = new QHBoxLayout;
    Edit_Dir = new QLineEdit(settingsBox);
    Edit_Dir->setReadOnly(true);
    Button_WyborKatalogu = new QToolButton(settingsBox);
    Button_WyborKatalogu->setDefaultAction(A_WyborKatalogu);
    dirRow->addWidget(Edit_Dir, 1);
    dirRow->addWidget(Button_WyborKatalogu);
    settingsLayout->addLayout(dirRow);
    settingsLayout->addStretch(1);
    const QFont normal = NormalFont();
    for (QWidget *w : settingsBox->findChildren<QWidget *>())
        w->setFont(normal);
    return settingsBox;
}

QWidget *TF_Main::BuildLogPanel()
{
    auto *logPanel = new QFrame(this);
    logPanel->setFrameShape(QFrame::Panel);
    logPanel->setFrameShadow(QFrame::Sunken);
    logPanel->setFixedHeight(238);
    auto *logLayout = new QVBoxLayout(logPanel);
    logLayout->setContentsMargins(5, 5, 5, 5);
    RV_Log = new LogPane(logPanel);
    logLayout->addWidget(RV_Log);
    return logPanel;
}

void TF_Main::ConnectCommands()
{
    connect(A_ZapiszKonfiguracje, &QAction::triggered, this, &TF_Main::A_ZapiszKonfiguracjeExecute);
    connect(A_OtworzKonfiguracje, &QAction::triggered, this, &TF_Main::A_OtworzKonfiguracjeExecute);
    connect(A_WyborKatalogu, &QAction::triggered, this, &TF_Main::A_WyborKataloguExecute);
    connect(A_Start, &QAction::triggered, this, &TF_Main::A_StartExecute);
    connect(A_Stop, &QAction::triggered, this, &TF_Main::A_StopExecute);
    connect(Processing->Button_Proces, &QPushButton::clicked, this, [this] {
        if (m_buttonAction)
            m_buttonAction->trigger();
    });
    connect(ListView_Objects, &QListWidget::itemClicked, this, &TF_Main::ListView_ObjectsClick);
    connect(ListView_Objects, &QListWidget::itemEntered, this, &TF_Main::ListView_ObjectsMouseMove);
    connect(cxSplitter1, &QSplitter::splitterMoved, this, &TF_Main::SplitterMoved);
    for (QWidget *w : std::initializer_list<QWidget *>{this, RV_Log, Processing->Button_Proces, Edit_Dir, Button_WyborKatalogu})
        w->installEventFilter(this);
}

void TF_Main::SetDefaultDialogs()
{
    const auto chooseConfigFile = [this](QFileDialog::AcceptMode mode) {
        QFileDialog d(this, QString(), QString(), QStringLiteral("Config File [*.xml] (*.xml)"));
        d.setAcceptMode(mode);
        if (mode == QFileDialog::AcceptOpen)
            d.setFileMode(QFileDialog::ExistingFile);
        d.setDefaultSuffix(QStringLiteral("xml"));
        return d.exec() == QDialog::Accepted ? d.selectedFiles().value(0) : QString();
    };
    ChooseSaveFile = [chooseConfigFile] { return chooseConfigFile(QFileDialog::AcceptSave); };
    ChooseOpenFile = [chooseConfigFile] { return chooseConfigFile(QFileDialog::AcceptOpen); };
    ShowError = [this](const QString &text) {
        QMessageBox::critical(this, QApplication::applicationDisplayName(), text.trimmed());
    };
    ChooseFolder = [this] { return QFileDialog::getExistingDirectory(this, QStringLiteral("Wybierz katalog")); };
}

TF_Main::~TF_Main() = default;

void TF_Main::SetDataModule(TDM_Main *dm)
{
    m_dm = dm;
    m_run = std::make_unique<TRunControl>(*dm);
    m_run->OnRunningChanged = [this](bool running) {
        SetButtonAction(running ? A_Stop : A_Start);
        UpdateActions();
    };
    UpdateActions();
}

bool TF_Main::CanEditSettings() const
{
    return m_dm && m_dm->Process()->CanProcess() && !m_dm->Process()->RunProcess();
}

void TF_Main::UpdateActions()
{
    const bool edit = CanEditSettings();
    A_WyborKatalogu->setEnabled(edit);
    A_ZapiszKonfiguracje->setEnabled(edit);
    A_OtworzKonfiguracje->setEnabled(edit);
    const bool can = m_dm && m_dm->Process()->CanProcess();
    A_Start->setEnabled(can);
    A_Stop->setEnabled(can);
    Processing->Button_Proces->setEnabled(m_buttonAction && m_buttonAction->isEnabled());
}

void TF_Main::SetButtonAction(QAction *action)
{
    m_buttonAction = action;
    Processing->Button_Proces->setText(action->text());
    Processing->Button_Proces->setEnabled(action->isEnabled());
}

void TF_Main::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TF_Main::FormShow()
{
    m_instance = std::make_unique<SingleInstance>(QStringLiteral("PelkDataExchanger"));
    if (!m_instance->TryAcquire()) {
        if (m_dm)
            m_dm->Log()->Error(
                1, QStringLiteral(" Nie można uruchomić aplikacji, ponieważ w tle działa już jedna instancja tego programu."));
        m_exitCode = kExitSecondInstance;
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    ApplySplitterMinimum();
    cxSplitter1->setSizes({2000, 0});
    FillObjectList();
    if (m_dm && m_dm->SettingsProcess())
        Edit_Dir->setText(m_dm->SettingsProcess()->WorkDirectory);
    if (m_dm && m_dm->Log()->Automatic()) {
        connect(Timer_Automat, &QTimer::timeout, this, &TF_Main::Timer_AutomatTimer, Qt::UniqueConnection);
        Timer_Automat->start();
    }
}

void TF_Main::Timer_AutomatTimer()
{
    disconnect(Timer_Automat, &QTimer::timeout, this, &TF_Main::Timer_AutomatTimer);
    if (m_dm && m_dm->Process()->CanProcess())
        A_StartExecute();
    close();
}

void TF_Main::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ApplySplitterMinimum();
}

void TF_Main::ApplySplitterMinimum()
{
    Processing->setMinimumWidth(qMax(0, cxSplitter1->width() - 18));
}

bool TF_Main::IsProcessingPanelShown() const
{
    return cxSplitter1->sizes().value(0) > 0;
}

void TF_Main::SplitterMoved()
{
    cxSplitter1->handle(1)->setToolTip(IsProcessingPanelShown() ? kHintOpened : kHintClosed);
}

void TF_Main::FillObjectList()
{
    ListView_Objects->clear();
    if (!m_dm || !m_dm->Przelaczniki())
        return;
    for (const RPrzelacznik &s : m_dm->Przelaczniki()->Items) {
        auto *item = new QListWidgetItem(StateIcon(s.Stan), s.NazwaObiektu, ListView_Objects);
        item->setData(Qt::UserRole, int(s.Stan));
    }
}

void TF_Main::ListView_ObjectsClick(QListWidgetItem *item)
{
    if (!item || !m_dm || !m_dm->Przelaczniki())
        return;
    RPrzelacznik s;
    if (!m_dm->Przelaczniki()->GetSwitch(item->text(), s))
        return;
    TPrzelaczniki::NextState(s);
    item->setIcon(StateIcon(s.Stan));
    item->setData(Qt::UserRole, int(s.Stan));
    m_dm->Przelaczniki()->SetSwitch(item->text(), s);
}

void TF_Main::ListView_ObjectsMouseMove(QListWidgetItem *item)
{
    if (!item)
        return;
    const QString hint = TPrzelaczniki::StateHint(item->data(Qt::UserRole).toInt());
    if (!hint.isEmpty())
        ListView_Objects->setToolTip(hint);
}

bool TF_Main::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const auto mods = key->modifiers() & ~Qt::KeypadModifier;
        if (key->key() == Qt::Key_V && mods == (Qt::ControlModifier | Qt::AltModifier) && m_dm
            && !m_dm->Process()->RunProcess()) {
            m_dm->ShowVersions();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool TF_Main::Available(QAction *command)
{
    UpdateActions();
    return command->isEnabled();
}

void TF_Main::A_StartExecute()
{
    if (!Available(A_Start) || !m_run)
        return;
    try {
        m_run->Start();
    } catch (const std::exception &e) {
        // The run has reset the window to idle; the error is logged (and so mailed) and, when
        // somebody is there, shown.
        const QString text = TLog::ExceptionText(e);
        m_dm->Log()->Error(1, QStringLiteral(" ") + text);
        m_dm->Process()->MarkUnfinished();
        if (!m_dm->Log()->Automatic() && ShowError)
            ShowError(text);
    }
}

void TF_Main::A_StopExecute()
{
    if (!Available(A_Stop) || !m_run)
        return;
    m_run->Stop();
}

void TF_Main::A_ZapiszKonfiguracjeExecute()
{
    if (!Available(A_ZapiszKonfiguracje))
        return;
    m_dm->Przelaczniki()->ToProcessSettings();
    const QString file = ChooseSaveFile();
    if (file.isEmpty())
        return;
    m_dm->SettingsProcess()->SaveToFile(file);
    m_dm->Log()->Info(1, QStringLiteral(" Zapisanie zasad przetwarzania obiektów do pliku:\r\n      %1").arg(file));
}

void TF_Main::A_OtworzKonfiguracjeExecute()
{
    if (!Available(A_OtworzKonfiguracje))
        return;
    const QString file = ChooseOpenFile();
    if (file.isEmpty())
        return;
    TSettingsProcess *settings = m_dm->SettingsProcess();
    settings->LoadFromFile(file);
    m_dm->Przelaczniki()->LoadMode = TPrzelaczniki::FromProcessSettingsMode;
    m_dm->Przelaczniki()->Load();
    FillObjectList();
    Edit_Dir->setText(settings->WorkDirectory);
    m_dm->Log()->Info(1, QStringLiteral(" Wczytanie zasad przetwarzania obiektów z pliku:\r\n      %1").arg(file));
    m_dm->Log()->Info(1, QStringLiteral(" Zmiana katalogu roboczego:\r\n      %1").arg(settings->WorkDirectory));
}

void TF_Main::A_WyborKataloguExecute()
{
    if (!Available(A_WyborKatalogu))
        return;
    const QString folder = ChooseFolder();
    if (folder.isEmpty())
        return;
    Edit_Dir->setText(folder);
    m_dm->SettingsProcess()->WorkDirectory = folder;
    m_dm->Log()->Info(1, QStringLiteral(" Zmiana katalogu roboczego: \r\n      %1").arg(folder));
}

} // namespace pelk
