#pragma once
// The queue driver of one exchange run and the factory of the per-kind list queues.
#include "ObjectListQueue.h"
#include "Transformation.h"

#include <functional>

namespace pelk {

class TDM_Main;
class TObjectToProcessCollection;

// Each exchange kind registers its list queue by rules name (exact, case-sensitive) and
// direction (true: system X to system Y). The creator also sets the queue's connections.
class QueueFactory
{
public:
    using Creator = std::function<std::unique_ptr<TObjectListQueue>(TDM_Main &dm)>;
    static void Register(const QString &rulesName, bool direction, Creator creator);
    // Both directions of a kind carried from the source connection (none: null) into the GIS:
    // `make` builds the queue of the offered direction, the other is not offered and logged
    // under `notOffered` (the queue's name, "TY2X_ObiektListQueue").
    static void RegisterIntoGis(const QString &rulesName, Connection TDM_Main::*source, const Creator &make,
                                const QString &notOffered);
    static void Unregister(const QString &rulesName, bool direction);
    // Null for a name and direction nobody registered.
    static std::unique_ptr<TObjectListQueue> Create(const QString &rulesName, bool direction, TDM_Main &dm);
};

class TQueue
{
public:
    explicit TQueue(TDM_Main &dm);
    ~TQueue();
    TQueue(const TQueue &) = delete;
    TQueue &operator=(const TQueue &) = delete;

    std::vector<std::unique_ptr<TObjectListQueue>> Queues; // run order
    TObjectToProcessCollection *Objects = nullptr;         // not owned
    QString RulesFile;

    // Builds the queues for Objects and runs them one after another, with a summary after each.
    void Execute();
    bool FindRulesFile();
    bool BuildQueues();
    void AddQueue(const QString &displayName, const QString &rulesName, bool direction);
    std::unique_ptr<TObjectListQueue> CreateQueue(const QString &rulesName, bool direction);

    static QString Label(const QString &displayName, bool direction);
    static constexpr const char *RulesFileName = "ObjectRules.xml";

private:
    TDM_Main &m_dm;
    TStylesheetCache m_stylesheets; // one compilation per stylesheet and run
    bool m_kindSkipped = false;     // a kind of the object list got no queue
};

} // namespace pelk
