#include "app/CommandLine.h"
#include "app/DM_Main.h"
#include "app/Log.h"
#include "app/Process.h"
#include "app/RunReport.h"
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

using pelk::RCommandLine;
namespace ExitCode = pelk::ExitCode;

// " (log: <file>)" once the log file is open.
QString LogFileNote(const pelk::TDM_Main &dm)
{
    const QString file = dm.Log()->FileName();
    return QFileInfo(file).isAbsolute() ? QStringLiteral(" (log: %1)").arg(file) : QString();
}

// An unattended run whose start-up failed has nothing to do and nobody to read the window: it
// ends at once with what was logged on standard error (the log file, when there is one, holds
// it too) and an exit code the scheduler sees, so the next run is not refused.
int ReportFailedStartUp(const pelk::TDM_Main &dm)
{
    QTextStream err(stderr);
    for (const QString &line : dm.Log()->PaneElements())
        if (!line.isEmpty())
            err << line << '\n';
    err << "PelkDataExchanger: start-up failed, nothing exchanged" << LogFileNote(dm) << Qt::endl;
    return ExitCode::StartUpFailed;
}

// The end of an unattended run: one line per kind on standard output, with the figures of the
// log's summaries, so that a journal or a cron mail shows what the run did; a run that left
// work for the next one also says so on standard error.
int ReportRun(const pelk::TDM_Main &dm)
{
    const pelk::TProcess &process = *dm.Process();
    QTextStream out(stdout);
    for (const pelk::RKindReport &report : process.Reports())
        out << pelk::ReportLine(report, process.DryRun()) << '\n';
    out.flush();
    const int code = process.RunExitCode();
    if (code != ExitCode::Complete)
        QTextStream(stderr) << "PelkDataExchanger: the run left work for the next run" << LogFileNote(dm) << Qt::endl;
    return code;
}

// What the options ask for, answered without a display, settings, data source or lock; -1 for
// a run.
int AnswerCommandLine(const RCommandLine &line, int argc, char *argv[])
{
    switch (line.action) {
    case RCommandLine::Help: QTextStream(stdout) << pelk::UsageText(); return ExitCode::Complete;
    case RCommandLine::Version: {
        const QCoreApplication app(argc, argv);
        QTextStream(stdout) << pelk::VersionText(QCoreApplication::applicationDirPath());
        return ExitCode::Complete;
    }
    case RCommandLine::Usage:
        QTextStream(stderr) << "PelkDataExchanger: " << line.Error << "\n\n" << pelk::UsageText();
        return ExitCode::Usage;
    case RCommandLine::Run: break;
    }
    return -1;
}

// Qt says on every start outside a desktop session that it uses a runtime folder of its own;
// an unattended run prints nothing on standard error but real errors.
QtMessageHandler g_qtMessages = nullptr;

void QuietQtMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    g_qtMessages(type, context, message);
}

// An unattended run, or a machine without a display, works on the offscreen platform.
void ChoosePlatform(bool automatic)
{
    const bool noDisplay = qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && (noDisplay || automatic))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

void AskQuestionsIn(pelk::TF_Main &window)
{
    pelk::SetAskYesNoHandler([&window](const QString &text, const QString &caption) {
        return QMessageBox::question(&window, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            == QMessageBox::Yes;
    });
}

} // namespace

int main(int argc, char *argv[])
{
    pelk::PinSystemTimeZone();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const RCommandLine commandLine = pelk::ParseCommandLine(arguments);
    if (const int answered = AnswerCommandLine(commandLine, argc, argv); answered >= 0)
        return answered;
    g_qtMessages = qInstallMessageHandler(QuietQtMessages);
    const bool automatic = commandLine.Automatic();
    ChoosePlatform(automatic);

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

    pelk::TDM_Main dm(QCoreApplication::applicationDirPath(), commandLine.Positional, window.RV_Log, window.Processing);
    dm.SetDryRun(commandLine.DryRun);
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
        AskQuestionsIn(window);
    window.show();
    const int code = app.exec();
    pelk::SetKeyLibraryMessageHandler(nullptr);
    if (code != 0 || window.ExitCode() != ExitCode::Complete)
        return code != 0 ? code : window.ExitCode();
    return automatic ? ReportRun(dm) : ExitCode::Complete;
}
