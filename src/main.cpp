#include "app/DM_Main.h"
#include "app/Log.h"
#include "config/Common.h"
#include "config/KeyLibrary.h"
#include "exchange/ExchangeKinds.h"
#include "gui/F_Main.h"
#include "gui/LogPane.h"
#include "gui/ProcessingPanel.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // An unattended run, or a machine without a display, works on the offscreen platform.
    const bool noDisplay = qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && (noDisplay || arguments.value(1) == QLatin1String("auto")))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    pelk::RegisterExchangeKinds();
    const QString title = QStringLiteral("Interfejs wymiany danych z systemem Pelk·GIS Trasar");
    QApplication::setApplicationDisplayName(title);

    pelk::TF_Main window;
    pelk::TDM_Main dm(QCoreApplication::applicationDirPath(), arguments, window.RV_Log, window.Processing);
    window.SetDataModule(&dm);
    // Questions are asked only when somebody is there to answer them.
    if (!dm.Log()->Automatic())
        pelk::SetAskYesNoHandler([&window](const QString &text, const QString &caption) {
            return QMessageBox::question(&window, caption, text, QMessageBox::Yes | QMessageBox::No,
                                         QMessageBox::No) == QMessageBox::Yes;
        });
    // Without a display nobody sees the window: it runs unpainted.
    const bool headless = QGuiApplication::platformName() == QLatin1String("offscreen");
    if (headless)
        window.setAttribute(Qt::WA_DontShowOnScreen);
    // A missing key library is shown in a box only to somebody who can close it; otherwise
    // (unattended, headless, another thread) it is logged and nothing waits.
    const bool attended = !dm.Log()->Automatic() && !headless;
    pelk::SetKeyLibraryMessageHandler([&window, &dm, attended](const QString &text, const QString &caption) {
        if (attended && QThread::currentThread() == window.thread())
            QMessageBox::critical(&window, caption, text);
        else
            dm.Log()->Error(1, QLatin1Char(' ') + text);
    });
    window.show();
    const int exitCode = app.exec();
    pelk::SetKeyLibraryMessageHandler(nullptr);
    return exitCode;
}
