#pragma once
// One running instance per user: a lock file named after the program in the temporary
// folder. A lock left by a crashed process is detected as stale and taken over.
#include <QLockFile>
#include <QString>
#include <memory>

namespace pelk {

class SingleInstance
{
public:
    explicit SingleInstance(const QString &name);
    // True when this process now holds the lock (held until destruction).
    bool TryAcquire();

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace pelk
