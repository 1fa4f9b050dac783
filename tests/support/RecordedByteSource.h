#pragma once
// A byte source fed by the test: chunks pushed from any thread are taken one at a time, as a
// connection hands over what arrived; Fail makes the next take throw, as a broken connection.
#include "config/Errors.h"
#include "gps/ByteSource.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace pelk::test {

class RecordedByteSource : public IByteSource
{
public:
    void Push(const QByteArray &chunk)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_chunks.push_back(chunk);
        }
        m_ready.notify_all();
    }
    void Fail(const QString &message)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_failure = message;
        }
        m_ready.notify_all();
    }
    QByteArray Take(std::chrono::milliseconds wait) override
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_ready.wait_for(lock, wait, [this] { return !m_chunks.empty() || !m_failure.isEmpty(); });
        if (!m_failure.isEmpty())
            throw Exception(m_failure);
        if (m_chunks.empty())
            return QByteArray();
        QByteArray chunk = m_chunks.front();
        m_chunks.pop_front();
        return chunk;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<QByteArray> m_chunks;
    QString m_failure;
};

} // namespace pelk::test
