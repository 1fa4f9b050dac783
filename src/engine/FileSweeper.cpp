#include "FileSweeper.h"

#include <QFile>
#include <utility>

namespace pelk {

void TFileSweeper::Remove(const QString &path)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pending.append(path);
        if (!m_thread.joinable()) {
            m_finishing = false;
            m_thread = std::thread([this] { Sweep(); });
        }
    }
    m_wake.notify_one();
}

QStringList TFileSweeper::Finish()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_thread.joinable())
            return std::exchange(m_failures, {});
        m_finishing = true;
    }
    m_wake.notify_one();
    m_thread.join();
    return std::exchange(m_failures, {});
}

void TFileSweeper::Sweep()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_finishing || !m_pending.isEmpty(); });
        if (m_pending.isEmpty())
            return; // finishing, nothing left
        const QStringList batch = std::exchange(m_pending, {});
        lock.unlock();
        QStringList failures;
        for (const QString &path : batch) {
            QFile file(path);
            if (!file.remove() && file.exists())
                failures.append(path + QStringLiteral(": ") + file.errorString());
        }
        lock.lock();
        m_failures.append(failures);
    }
}

} // namespace pelk
