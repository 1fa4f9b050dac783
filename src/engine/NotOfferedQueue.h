#pragma once
// The queue of a direction a kind does not offer (or of a kind with a run of its own that
// does not use the file pipeline): each per-kind operation is logged as not implemented
// under the queue's name and fails, so the base run ends at PrepareList.
#include "ObjectListQueue.h"

namespace pelk {

class TNotOfferedQueue : public TObjectListQueue
{
public:
    // className: the queue's name in the log ("TY2X_ObiektListQueue").
    TNotOfferedQueue(TDM_Main &dm, QString className);

    // Each logs " Funkcja <className>.<operation> nie jest zaimplementowana"; false.
    bool PrepareList() override;
    bool FindFileObject(RObiekt &element) override;
    bool SerializeObject(RObiekt &element) override;
    bool DeSerializeObject(RObiekt &element) override;

private:
    bool NotOffered(const char *operation) const;

    QString m_className;
};

} // namespace pelk
