#pragma once
// Runs a helper program (the sqlite3 shell) to its end: its standard input given, its output
// collected. Started with posix_spawn rather than QProcess: after a QProcess start
// ThreadSanitizer no longer follows this process's locks and reports races that are not
// there, which would make the GPS tests' ThreadSanitizer build useless.
#include <QByteArray>
#include <QStringList>
#include <chrono>

namespace pelk::test {

struct RChildResult
{
    bool finished = false; // ended by itself within the time
    int exitCode = -1;
    QByteArray out, err;
};

// The program is looked up on PATH. A program still running after `timeout` is killed.
RChildResult RunChild(const QString &program, const QStringList &arguments, const QByteArray &input,
                      std::chrono::milliseconds timeout);

} // namespace pelk::test
