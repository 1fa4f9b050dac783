#pragma once
// Counts the statements the db layer sends while it lives, per data source, as reads (a
// SELECT) and writes (anything else); the round trips an element costs against a server
// across a network. Optionally holds each statement back, as a network would.
#include "db/Query.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>
#include <chrono>

namespace pelk::test {

class StatementCounter
{
public:
    struct Counts
    {
        int reads = 0, writes = 0;
        int All() const { return reads + writes; }
    };

    explicit StatementCounter(std::chrono::microseconds delay = std::chrono::microseconds(0))
    {
        SetStatementHook([this, delay](const Connection &connection, const QString &sql) {
            {
                QMutexLocker lock(&m_mutex);
                Counts &c = m_counts[connection.Dsn()];
                ++(sql.trimmed().startsWith(QLatin1String("select"), Qt::CaseInsensitive) ? c.reads : c.writes);
            }
            if (delay.count() > 0)
                QThread::usleep(delay.count());
        });
    }
    ~StatementCounter() { SetStatementHook(nullptr); }
    StatementCounter(const StatementCounter &) = delete;
    StatementCounter &operator=(const StatementCounter &) = delete;

    Counts Of(const QString &dsn) const
    {
        QMutexLocker lock(&m_mutex);
        return m_counts.value(dsn);
    }
    void Reset()
    {
        QMutexLocker lock(&m_mutex);
        m_counts.clear();
    }

private:
    mutable QMutex m_mutex;
    QHash<QString, Counts> m_counts;
};

} // namespace pelk::test
