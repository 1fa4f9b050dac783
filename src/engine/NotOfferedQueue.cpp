#include "NotOfferedQueue.h"

namespace pelk {

TNotOfferedQueue::TNotOfferedQueue(TDM_Main &dm, QString className) : TObjectListQueue(dm), m_className(std::move(className)) {}

bool TNotOfferedQueue::PrepareList()
{
    return NotOffered("PrepareList");
}

bool TNotOfferedQueue::FindFileObject(RObiekt &)
{
    return NotOffered("FindFileObject");
}

bool TNotOfferedQueue::SerializeObject(RObiekt &)
{
    return NotOffered("SerializeObject");
}

bool TNotOfferedQueue::DeSerializeObject(RObiekt &)
{
    return NotOffered("DeSerializeObject");
}

bool TNotOfferedQueue::NotOffered(const char *operation) const
{
    // NotImplemented names the operation after a signature: the queue's name stands for the class.
    const QByteArray signature =
        (m_className + QStringLiteral("::") + QLatin1String(operation) + QStringLiteral("()")).toLatin1();
    return NotImplemented(signature.constData());
}

} // namespace pelk
