#include "Queue.h"

#include "NotOfferedQueue.h"
#include "app/DM_Main.h"
#include "app/Guarded.h"
#include "app/Log.h"
#include "app/Process.h"
#include "app/Settings.h"
#include "config/XMLSerializer.h"

#include <QFileInfo>
#include <map>

namespace pelk {

namespace {

std::map<std::pair<QString, bool>, QueueFactory::Creator> &Registry()
{
    static std::map<std::pair<QString, bool>, QueueFactory::Creator> registry;
    return registry;
}

} // namespace

void QueueFactory::Register(const QString &rulesName, bool direction, Creator creator)
{
    Registry()[{rulesName, direction}] = std::move(creator);
}

void QueueFactory::RegisterIntoGis(const QString &rulesName, Connection TDM_Main::*source, const Creator &make,
                                   const QString &notOffered)
{
    Register(rulesName, true, [source, make](TDM_Main &dm) {
        std::unique_ptr<TObjectListQueue> q = make(dm);
        if (source)
            q->SourceConnection = &(dm.*source);
        q->TargetConnection = &dm.ADOConnection_PelkGIS;
        return q;
    });
    Register(rulesName, false, [notOffered](TDM_Main &dm) {
        return std::unique_ptr<TObjectListQueue>(std::make_unique<TNotOfferedQueue>(dm, notOffered));
    });
}

void QueueFactory::Unregister(const QString &rulesName, bool direction)
{
    Registry().erase({rulesName, direction});
}

std::unique_ptr<TObjectListQueue> QueueFactory::Create(const QString &rulesName, bool direction, TDM_Main &dm)
{
    const auto it = Registry().find({rulesName, direction});
    return it == Registry().end() ? nullptr : it->second(dm);
}

// ---------------------------------------------------------------------------------------------

TQueue::TQueue(TDM_Main &dm) : m_dm(dm) {}

TQueue::~TQueue() = default;

QString TQueue::Label(const QString &displayName, bool direction)
{
    return displayName
        + (direction ? QStringLiteral(" transfer do systemu Pelk·GIS Trasar")
                     : QStringLiteral(" transfer z systemu Pelk·GIS Trasar"));
}

std::unique_ptr<TObjectListQueue> TQueue::CreateQueue(const QString &rulesName, bool direction)
{
    return QueueFactory::Create(rulesName, direction, m_dm);
}

bool TQueue::FindRulesFile()
{
    const QString path = m_dm.Settings()->AppFolder + QLatin1String(RulesFileName);
    if (QFileInfo(path).isFile()) {
        RulesFile = path;
        return true;
    }
    m_dm.Log()->Error(1,
                      QStringLiteral(" Brak pliku konfiguracyjnego zasad przetwarzania:\r\n      %1\r\n"
                                     "      Przetwarzanie danych przerwane.")
                          .arg(path));
    return false;
}

bool TQueue::BuildQueues()
{
    if (!FindRulesFile() || !Objects)
        return false;
    for (int i = 0; i < Objects->Count(); ++i) {
        const TObjectToProcessCollectionItem *item = Objects->Items(i);
        switch (item->Stan) {
        case esBothDirection:
            AddQueue(item->NazwaObiektu, item->NazwaObiektRules, true);
            AddQueue(item->NazwaObiektu, item->NazwaObiektRules, false);
            break;
        case esSysXtoSysY: AddQueue(item->NazwaObiektu, item->NazwaObiektRules, true); break;
        case esSysYtoSysX: AddQueue(item->NazwaObiektu, item->NazwaObiektRules, false); break;
        case esNone: break;
        default:
            m_dm.Log()->Error(1,
                              QStringLiteral(" Nieznany typ stanu dla obiektu \"%1\"\r\n"
                                             "      Przetwarzanie obiektu przerwane")
                                  .arg(item->NazwaObiektu));
            return false;
        }
    }
    return true;
}

void TQueue::AddQueue(const QString &displayName, const QString &rulesName, bool direction)
{
    std::unique_ptr<TObjectListQueue> queue = CreateQueue(rulesName, direction);
    const QString label = Label(displayName, direction);
    if (!queue) {
        m_dm.Log()->Error(1, QStringLiteral(" Nieznany obiekt %1\r\n      Przetwarzanie obiektu przerwane").arg(label));
        m_kindSkipped = true;
        return;
    }
    queue->Direction = direction;
    queue->Stylesheets = &m_stylesheets;
    queue->Rules = std::make_unique<TQueueObjectRules>();
    {
        std::unique_ptr<TXMLSerializer> serializer(m_dm.CreateXMLSerializer());
        serializer->LoadDocument(RulesFile);
        serializer->LoadObject(queue->Rules.get(), rulesName);
    }
    if (queue->Rules->ObjectName.isEmpty()) {
        m_dm.Log()->Error(1,
                          QStringLiteral(" Brak parametrów obiektu %1 w pliku konfiguracyjnym %2\r\n"
                                         "      Przetwarzanie obiektu przerwane")
                              .arg(displayName, RulesFile));
        m_kindSkipped = true;
        return;
    }
    queue->Rules->ObjectName = label;
    Queues.push_back(std::move(queue));
}

void TQueue::Execute()
{
    m_kindSkipped = false;
    const bool built = BuildQueues();
    TProcess *process = m_dm.Process();
    process->SetCountObj(int(Queues.size()));
    // A kind the run was asked for and could not set up leaves it unfinished.
    if (!built || m_kindSkipped)
        process->MarkUnfinished();
    for (auto &queue : Queues) {
        const QString label = queue->Rules->ObjectName;
        process->BeginKind();
        process->ShowProgress(TProcess::KindObject, label, 0);
        // A queue's failure never stops the driver.
        if (!Guarded(m_dm.Log(), PELK_HERE, [&] { return queue->Run(), true; }))
            process->MarkUnfinished();
        process->StepProgress(queue->ShortSummary() ? TProcess::KindObjectShort : TProcess::KindObject, label);
        queue.reset();
        if (process->EscProcess())
            break;
    }
}

} // namespace pelk
