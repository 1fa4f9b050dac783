#include "app/DM_Main.h"
#include "app/Log.h"
#include "app/Process.h"
#include "config/Clock.h"
#include "config/Common.h"
#include "config/KeyLibrary.h"
#include "exchange/ExchangeKinds.h"
#include "gps/DaneGPSListQueue.h"
#include "gui/F_Main.h"
#include "gui/LogPane.h"
#include "gui/ProcessingPanel.h"
#include "mail/MailSender.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QTextStream>
#include <QThread>

namespace {

constexpr int kExitStartUpFailed = 2;

// An unattended run whose start-up failed has nothing to do and nobody to read the window: it
// ends at once with what was logged on standard error (the log file, when there is one, holds
// it too) and an exit code the scheduler sees, so the next run is not refused.
int ReportFailedStartUp(const pelk::TDM_Main &dm)
{
    QTextStream err(stderr);
    for (const QString &line : dm.Log()->PaneElements())
        if (!line.isEmpty())
            err << line << '\n';
    err << "PelkDataExchanger: start-up failed, nothing exchanged";
    if (QFileInfo(dm.Log()->FileName()).isAbsolute())
        err << " (log: " << dm.Log()->FileName() << ')';
    err << Qt::endl;
    return kExitStartUpFailed;
}

} // namespace

int main(int argc, char *argv[])
{
    pelk::PinSystemTimeZone();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // An unattended run, or a machine without a display, works on the offscreen platform.
    const bool noDisplay = qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    const bool automatic = arguments.value(1) == QLatin1String("auto");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && (noDisplay || automatic))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    pelk::RegisterExchangeKinds();
    pelk::RegisterMailSender();
    pelk::RegisterGpsQueues();
    const QString title = QStringLiteral("Interfejs wymiany danych z systemem Pelk·GIS Trasar");
    QApplication::setApplicationDisplayName(title);

    pelk::TF_Main window;
    // Without a display nobody sees the window: it runs unpainted.
    const bool headless = QGuiApplication::platformName() == QLatin1String("offscreen");
    if (headless)
        window.setAttribute(Qt::WA_DontShowOnScreen);
    // A missing key library (the settings decipher their passwords while they load) is shown in
    // a box only to somebody who can close it; otherwise (unattended, headless, another
    // thread) it is logged and nothing waits. Before the log exists, the texts wait for it.
    const bool attended = !automatic && !headless;
    pelk::TDM_Main *logger = nullptr;
    QStringList early;
    pelk::SetKeyLibraryMessageHandler([&](const QString &text, const QString &caption) {
        if (attended && QThread::currentThread() == window.thread())
            QMessageBox::critical(&window, caption, text);
        else if (logger)
            logger->Log()->Error(1, QLatin1Char(' ') + text);
        else
            early << text;
    });

    pelk::TDM_Main dm(QCoreApplication::applicationDirPath(), arguments, window.RV_Log, window.Processing);
    logger = &dm;
    for (const QString &text : std::as_const(early))
        dm.Log()->Error(1, QLatin1Char(' ') + text);
    if (automatic && !dm.Process()->CanProcess()) {
        pelk::SetKeyLibraryMessageHandler(nullptr);
        return ReportFailedStartUp(dm);
    }
    window.SetDataModule(&dm);
    // Questions are asked only when somebody is there to answer them.
    if (!dm.Log()->Automatic())
        pelk::SetAskYesNoHandler([&window](const QString &text, const QString &caption) {
            return QMessageBox::question(&window, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
                == QMessageBox::Yes;
        });
    window.show();
    const int code = app.exec();
    pelk::SetKeyLibraryMessageHandler(nullptr);
    return code != 0 ? code : window.ExitCode();
}
