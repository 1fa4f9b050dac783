// Start-up cost of the program: time to the window shown, resident memory of the idle window,
// and the time of an unattended run with no work. Offscreen platform, SQLite data sources.
#include "support/Installation.h"

#include "app/DM_Main.h"
#include "app/Log.h"
#include "gui/F_Main.h"
#include "gui/LogPane.h"
#include "gui/ProcessingPanel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <cstdio>

namespace {

long residentKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer clock;
    clock.start();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    pelk::test::Installation inst;
    inst.WriteSettings({{QStringLiteral("TraceLevel"), QStringLiteral("2")}});
    qputenv("TMPDIR", inst.dir.path().toLocal8Bit());
    const qint64 setup = clock.elapsed();

    // Interactive start: window created, data module started, window shown and painted.
    clock.restart();
    {
        pelk::TF_Main window;
        pelk::TDM_Main dm(inst.dir.path(), {}, window.RV_Log, window.Processing);
        window.SetDataModule(&dm);
        window.show();
        QCoreApplication::processEvents();
        const qint64 shown = clock.elapsed();
        QTimer::singleShot(1000, &app, &QCoreApplication::quit);
        app.exec();
        std::printf("window shown after start:      %6lld ms (installation set-up %lld ms, not counted)\n",
                    static_cast<long long>(shown), static_cast<long long>(setup));
        std::printf("idle window resident memory:   %6ld KiB\n", residentKiB());
        window.close();
    }

    // Unattended run with no work: from start to the window closing by itself.
    const QString process = inst.WriteProcessSettings(QStringLiteral("p.xml"), inst.Path(QStringLiteral("work")), {});
    clock.restart();
    {
        pelk::TF_Main window;
        pelk::TDM_Main dm(inst.dir.path(), {process, QStringLiteral("auto")}, window.RV_Log, window.Processing);
        window.SetDataModule(&dm);
        window.setAttribute(Qt::WA_QuitOnClose, true);
        window.show();
        app.exec();
    }
    std::printf("unattended run, no work:       %6lld ms (includes the 500 ms start timer, coarse)\n",
                static_cast<long long>(clock.elapsed()));
    return 0;
}
