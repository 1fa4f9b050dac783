#pragma once
// A position store that only records what the decoder hands it.
#include "gps/PositionSink.h"

#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <atomic>

namespace pelk::test {

class RecordingPositionSink : public IDSLocatePositionSink
{
public:
    void SetKonfig(const TDSLocateKonfig *konfig) override { m_konfig = konfig; }
    bool ZapiszPozycje(const TDSLocatePozycja &pozycja) override
    {
        QMutexLocker lock(&m_mutex);
        m_positions.append(pozycja);
        return true;
    }
    void ThreadFinished() override { m_threadFinished = true; }

    QList<TDSLocatePozycja> Positions() const
    {
        QMutexLocker lock(&m_mutex);
        return m_positions;
    }
    qsizetype Count() const
    {
        QMutexLocker lock(&m_mutex);
        return m_positions.size();
    }
    const TDSLocateKonfig *Konfig() const { return m_konfig; }
    bool ThreadWasFinished() const { return m_threadFinished; }

private:
    mutable QMutex m_mutex;
    QList<TDSLocatePozycja> m_positions;
    const TDSLocateKonfig *m_konfig = nullptr;
    std::atomic<bool> m_threadFinished{false};
};

} // namespace pelk::test
