#include "SingleInstance.h"

#include <QDir>

namespace pelk {

SingleInstance::SingleInstance(const QString &name) : m_path(QDir::temp().filePath(name + QStringLiteral(".lock"))) {}

bool SingleInstance::TryAcquire()
{
    m_lock = std::make_unique<QLockFile>(m_path);
    m_lock->setStaleLockTime(0); // only a dead owner makes the lock stale
    return m_lock->tryLock(0);
}

} // namespace pelk
