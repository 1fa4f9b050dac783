// Runs one exchange with the test kind registered, as the program's Start does:
//   engine_driver <program folder> <process settings file>
// Exit code 0 after the run, 2 when start-up failed; PELK_TEST_DIE ends it mid-way (code 3).
#include "EngineTestKind.h"

#include "app/DM_Main.h"
#include "app/Process.h"
#include "app/Settings.h"
#include "engine/Queue.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3)
        return 1;
    pelk::test::RegisterTestKind();
    pelk::TDM_Main dm(args[1], {args[2]}, nullptr, nullptr);
    if (!dm.Process()->CanProcess())
        return 2;
    pelk::TQueue queue(dm);
    queue.Objects = dm.SettingsProcess()->ObjectToProcess();
    queue.Execute();
    return 0;
}
