#include "SimulatorProcess.h"

#include "config/Errors.h"

#include <QElapsedTimer>

namespace pelk::sim {

SimulatorProcess::~SimulatorProcess()
{
    Stop();
}

void SimulatorProcess::Start(const QString &program, const QStringList &arguments)
{
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(program, arguments);
    if (!m_process.waitForStarted(10000))
        throw Exception(QStringLiteral("symulator serwera GPS nie uruchomił się: %1").arg(m_process.errorString()));
    QElapsedTimer waited;
    waited.start();
    // "port N" and "fingerprint HEX" come first, one line each.
    while (m_port == 0 || m_fingerprint.isEmpty()) {
        if (!m_process.canReadLine() && !m_process.waitForReadyRead(int(std::max<qint64>(1, 10000 - waited.elapsed())))) {
            const QString err = QString::fromLocal8Bit(m_process.readAllStandardError());
            Stop();
            throw Exception(QStringLiteral("symulator serwera GPS nie podał portu: %1").arg(err.trimmed()));
        }
        while (m_process.canReadLine()) {
            const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
            if (line.startsWith(QLatin1String("port ")))
                m_port = quint16(line.mid(5).toUInt());
            else if (line.startsWith(QLatin1String("fingerprint ")))
                m_fingerprint = line.mid(12);
        }
    }
}

void SimulatorProcess::Stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

} // namespace pelk::sim
