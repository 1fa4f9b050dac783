#pragma once
// Deletes files on a thread of its own, so that a run does not wait for the file system while
// it matches thousands of leftover files (a deletion can take milliseconds on a disk that
// discards freed blocks). Finish() waits until every file handed over is gone.
#include <QString>
#include <QStringList>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace pelk {

class TFileSweeper
{
public:
    TFileSweeper() = default;
    ~TFileSweeper() { Finish(); }
    TFileSweeper(const TFileSweeper &) = delete;
    TFileSweeper &operator=(const TFileSweeper &) = delete;

    // Deletes the file soon.
    void Remove(const QString &path);
    // Returns when every file handed over has been dealt with: the files that could not be
    // deleted, each as "<path>: <reason>". A file that was already gone is no failure.
    QStringList Finish();

private:
    void Sweep();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    QStringList m_pending;
    QStringList m_failures;
    bool m_finishing = false;
    std::thread m_thread;
};

} // namespace pelk
