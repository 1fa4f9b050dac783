#include "RunControl.h"

#include "Queue.h"
#include "app/DM_Main.h"
#include "app/Log.h"
#include "app/Process.h"
#include "app/Przelaczniki.h"
#include "app/Settings.h"
#include "config/Common.h"

namespace pelk {

TRunControl::TRunControl(TDM_Main &dm) : m_dm(dm) {}

void TRunControl::Start()
{
    TProcess *process = m_dm.Process();
    struct Reset
    {
        TProcess *process;
        TRunControl *self;
        ~Reset()
        {
            process->SetRunProcess(false);
            process->SetEscProcess(false);
            if (self->OnRunningChanged)
                self->OnRunningChanged(false);
        }
    };
    Reset reset{process, this}; // also when the first steps throw
    m_dm.Przelaczniki()->ToProcessSettings();
    m_dm.Log()->Info(1, QStringLiteral(" Rozpoczęcie procesu przetwarzania"));
    if (process->DryRun())
        m_dm.Log()->Note(1,
                         QStringLiteral(" Przebieg próbny: zapisy w bazie Pelk·GIS Trasar są wycofywane, pliki katalogu"
                                        " roboczego i czasy ostatniej wymiany pozostają bez zmian"));
    process->ShowProgress(TProcess::KindObject, QString(), 0);
    process->SetElementLabelText(QString());
    process->SetRunProcess(true);
    if (OnRunningChanged)
        OnRunningChanged(true);
    m_dm.Przelaczniki()->ToProcessSettings();
    {
        TQueue queue(m_dm);
        queue.Objects = m_dm.SettingsProcess()->ObjectToProcess();
        queue.Execute();
    }
    if (process->DryRun())
        m_dm.Log()->Note(1,
                         QStringLiteral(" Przebieg próbny: podsumowania podają, co zostałoby zapisane; nic nie zostało"
                                        " zapisane"));
    if (!process->EscProcess())
        m_dm.Log()->Info(1, QStringLiteral(" Zakończenie procesu przetwarzania"));
}

bool TRunControl::Stop()
{
    if (!AskYesNo(QStringLiteral("Czy przerwać aktualnie wykonywaną operacje?"), QStringLiteral("Pytanie")))
        return false;
    m_dm.Process()->SetEscProcess(true);
    m_dm.Log()->Warning(1, QStringLiteral(" Przerwano proces przetwarzania"));
    return true;
}

} // namespace pelk
