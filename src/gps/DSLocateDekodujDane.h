#pragma once
// The GPS response decoder: a worker thread that reads the server's stream, keeps the vehicle
// list up to date, reports progress and errors as status texts and turns archive frames into
// positions for the position store. One per connection.
#include "DSLocateScanner.h"
#include "FaultTally.h"
#include "PositionSink.h"

#include <QStringDecoder>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace pelk {

class IByteSource;
class TDSLocateKonfig;
class TDSLocatePojazdy;

class TDSLocateDekodujDane : private IDSLocateElementSink
{
public:
    // Status texts; their leading word ("Error", "Warning", "Info", "Odczytano", "Pobrano",
    // "Brak archiwum", "Zalogowany", "Nie obslugiwane") tells the client what they are.
    using StatusHandler = std::function<void(const QString &text)>;
    // The answer to a request, by the request's operation identifier: the end of the vehicle
    // list or of an archive (an empty one too) and a "NO_ARCHIVE" error are answers that
    // succeeded, any other error message one that failed. Raised for every identifier the
    // server names; which of them were requested is the client's to know.
    using AnswerHandler = std::function<void(qint32 opid, bool ok)>;
    using SteadyClock = std::function<std::chrono::steady_clock::time_point()>;

    // Suspended: nothing runs before Resume. Owns the position store.
    explicit TDSLocateDekodujDane(std::unique_ptr<IDSLocatePositionSink> store);
    // Stops the loop and waits for its end.
    ~TDSLocateDekodujDane() override;
    TDSLocateDekodujDane(const TDSLocateDekodujDane &) = delete;
    TDSLocateDekodujDane &operator=(const TDSLocateDekodujDane &) = delete;

    // Set before Resume; none is owned. The vehicle list is written through its locked
    // operations, as the main thread reads it meanwhile.
    void SetKonfig(const TDSLocateKonfig *konfig);
    void SetSource(IByteSource *source) { m_source = source; }
    void SetPojazdy(TDSLocatePojazdy *pojazdy) { m_pojazdy = pojazdy; }
    void SetStatusHandler(StatusHandler handler) { m_status = std::move(handler); }
    void SetAnswerHandler(AnswerHandler handler) { m_answer = std::move(handler); }
    // Whether every chunk is reported as "Odczytano" with its text (on by default; the client
    // turns it off when its message level would drop those texts anyway).
    void SetReportReceived(bool on) { m_reportReceived = on; }
    // The pause after a chunk, so that more data gathers before the next scan (100 ms).
    void SetGatherPause(std::chrono::milliseconds pause) { m_gatherPause = pause; }
    // The longest an element waits for its end before it is given up (the scanner's
    // kMaxElementWait unless set), and the clock that measures it (tests set their own).
    void SetElementWait(std::chrono::steady_clock::duration wait) { m_scanner.SetMaxWait(wait); }
    void SetClock(SteadyClock clock) { m_clock = std::move(clock); }

    // Starts the receive loop on its own thread (once).
    void Resume();
    bool IsSuspended() const { return !m_resumed; }
    // Asks the loop to end; it sees the request within one poll.
    void Stop();
    // Waits until the loop has ended (nothing when it never ran).
    void WaitFor();
    // True once the loop has ended: stopped, or the source could not be read.
    bool IsFinished() const { return m_finished; }

    // One received chunk: reported, scanned, its elements handled; an empty one only gives up
    // an element that has waited too long. The loop calls it; tests and measurements call it
    // directly while the loop does not run.
    void Decode(QByteArray chunk);
    // Reports, per kind of fault that came more than once, how many were not reported (each
    // kind is reported once per connection and vehicle). The loop does so when it ends.
    void ReportRepeats();
    // Bytes waiting for the rest of an element.
    qsizetype Pending() const { return m_scanner.Pending(); }
    // The operation being received (0 when none) and its vehicle.
    qint32 CurrentOperation() const { return m_operation; }
    QString CurrentVehicle() const { return m_vehicle; }

private:
    void Run();
    void Report(const QString &text) const;
    // Reports "Error " and the text when the fault is its kind's first.
    void Fault(const QString &kind, const QString &text);
    void Answer(qint32 opid, bool ok) const;

    void Element(const TDSLocateCondition &condition, QByteArrayView content) override;
    void Abandoned(const TDSLocateCondition &condition, qsizetype length) override;
    void Handle(TDSLocateElement element, QByteArrayView content);
    void OnMessage(QByteArrayView content);
    void OnPropertyInfo(QByteArrayView content);
    void OnUpdateOpen(QByteArrayView content);
    void OnArchiveOpen(QByteArrayView content);
    void OnVehicleInfo(QByteArrayView content);
    // A vehicle the full list could not take.
    void ListFull();
    void ReportArchiveEnd();
    void EndArchive();
    void OnFrame(QByteArrayView content);

    std::unique_ptr<IDSLocatePositionSink> m_store;
    const TDSLocateKonfig *m_konfig = nullptr;
    IByteSource *m_source = nullptr;
    TDSLocatePojazdy *m_pojazdy = nullptr;
    StatusHandler m_status;
    AnswerHandler m_answer;
    SteadyClock m_clock = [] { return std::chrono::steady_clock::now(); };
    bool m_reportReceived = true;
    std::chrono::milliseconds m_gatherPause{100};

    TDSLocateScanner m_scanner;
    QStringDecoder m_received{QStringDecoder::Utf8}; // keeps a character split between chunks
    qint32 m_operation = 0;
    QString m_vehicle;
    TFaultTally m_faults;

    std::thread m_thread;
    bool m_resumed = false;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{false};
    std::mutex m_wakeMutex;
    std::condition_variable m_wake;
};

} // namespace pelk
