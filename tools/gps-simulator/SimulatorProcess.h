#pragma once
// The GPS server simulator as a process of its own (the program pelk-gps-simulator): started
// with its command-line switches, its port and certificate fingerprint read from its first
// output lines, stopped on request or with this object.
#include <QProcess>
#include <QStringList>

namespace pelk::sim {

class SimulatorProcess
{
public:
    SimulatorProcess() = default;
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess &) = delete;
    SimulatorProcess &operator=(const SimulatorProcess &) = delete;

    // Starts the program and waits (up to 10 s) until it listens; throws pelk::Exception with
    // what it printed when it does not.
    void Start(const QString &program, const QStringList &arguments);
    // Ends the process (terminate, then kill after 5 s).
    void Stop();

    quint16 Port() const { return m_port; }
    QString Fingerprint() const { return m_fingerprint; }

private:
    QProcess m_process;
    quint16 m_port = 0;
    QString m_fingerprint;
};

} // namespace pelk::sim
