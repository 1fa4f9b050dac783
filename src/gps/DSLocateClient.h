#pragma once
// The GPS server client: owns the TLS connection, logs in, sends the requests, runs the
// response decoder, turns the status texts of the connection and the decoder into log messages
// and keeps, by operation identifier, the requests still awaiting their answer and the answers
// that came. One per GPS run, driven from the main thread.
#include "DSLocateMsg.h"
#include "DSLocatePojazdy.h"
#include "TlsConnection.h"

#include <QSet>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace pelk {

class TDSLocateDekodujDane;
class TDSLocateKonfig;
class TLog;

class TDSLocateClient
{
public:
    // The OnState numbers.
    enum { StateOther = 0, StateConnected = 1, StateLoggedIn = 2, StateDisconnected = 3 };

    // log and dsn: where the decoder's position store writes (the GIS data source).
    TDSLocateClient(TLog &log, const QString &dsn);
    // Disconnects.
    ~TDSLocateClient();
    TDSLocateClient(const TDSLocateClient &) = delete;
    TDSLocateClient &operator=(const TDSLocateClient &) = delete;

    // Host, port, account and connection options are read from it at each Connect; not owned.
    void SetKonfig(const TDSLocateKonfig *konfig) { m_konfig = konfig; }
    // The folder a relative CA file name is read from (the program's folder).
    void SetBaseFolder(const QString &folder) { m_baseFolder = folder; }
    // Texts at or below this level (1 to 3) reach OnMessage; the counting is not filtered.
    void SetMessageLevel(int level) { m_level = level; }

    // Texts meant for the log, raised on the main and on the decoder's thread.
    std::function<void(const QString &text)> OnMessage;
    // Connection state changes (the State numbers).
    std::function<void(int state, const QString &text)> OnState;

    // Creates the decoder, opens the connection, logs in and asks for the vehicle list, then
    // starts the decoder. False when the host, port or account is missing, or the connection
    // or its handshake failed (reported).
    bool Connect();
    // Writes the login; false when the stored account is missing or cannot be deciphered.
    bool SendLogin();
    // Writes one request line; a failed write disconnects and reports the loss.
    void Send(const QString &text);
    // Counts an archive request as outstanding, then writes it when the connection is open;
    // returns its operation identifier, which its answer carries.
    // vehicle: the server's identifier; from, to: local date-times.
    qint32 RequestArchive(const QString &vehicle, TDateTime from, TDateTime to);
    // Stops and joins the decoder, closes the connection; operation numbers restart at 1, the
    // vehicle list is emptied and nothing is outstanding.
    void Disconnect();

    bool IsConnected();
    bool IsDecoderFinished() const;
    TDSLocatePojazdy &Pojazdy() { return m_pojazdy; }

    // An answer to a request of this connection.
    struct RAnswer
    {
        qint32 opid;
        bool ok; // false: the server answered with an error
    };
    // Requests sent (the vehicle list and the archives) and not yet answered.
    int Outstanding() const;
    // Answers since the last Connect; not reset by Disconnect.
    int Answers() const;
    // The answers that came since the last call, in the order they came.
    std::vector<RAnswer> TakeAnswers();
    // How long the outstanding requests have waited for an answer: since the last answer to
    // one of them, or since the first was sent when none has been answered since; zero when
    // nothing is outstanding. Bytes that answer nothing (live updates) do not count.
    std::chrono::steady_clock::duration SinceAnswered() const;
    // The decoder's answer to a request (raised on its thread): counted when the request is
    // outstanding, ignored otherwise (the login, an identifier answered already or never used).
    void Answered(qint32 opid, bool ok);
    QString Host() const;

    // A status of the connection, or a status text of this client or its decoder; raised on
    // the reporting thread.
    void StatusHandler(TConnectionStatus status, const QString &text);

    // How a status text is classified: its word and the level from which it is passed on.
    struct RStatusWord
    {
        const char *word;
        int level;
    };
    // The word of the text and the rest after it; null word when none matches. A text that
    // begins with a word takes that word; otherwise the first word of the table found anywhere.
    static const RStatusWord *Classify(const QString &text, QString &rest);

private:
    void Report(const QString &text) { StatusHandler(TConnectionStatus::Text, text); }
    void Message(const QString &text) const;
    void State(int state, const QString &text) const;
    void StatusText(const QString &text);
    RTlsOptions Options() const;
    // Counts the request with the identifier as outstanding.
    void Expect(qint32 opid);
    // Before a failed write disconnects: what the server sent before it ended the connection
    // (a refused login, an error) is decoded, so it reaches the log.
    void FinishReading();

    TLog &m_log;
    QString m_dsn;
    QString m_baseFolder;
    const TDSLocateKonfig *m_konfig = nullptr;
    TTlsConnection m_connection;
    TDSLocateMsg m_msg;
    TDSLocatePojazdy m_pojazdy;
    std::unique_ptr<TDSLocateDekodujDane> m_decoder;
    std::atomic<int> m_level{3};

    // Written by the main thread (requests) and the decoder's (answers).
    mutable std::mutex m_requestsMutex;
    QSet<qint32> m_outstanding;
    std::vector<RAnswer> m_answers; // not yet taken
    int m_answerCount = 0;
    std::chrono::steady_clock::time_point m_lastAnswer; // or when the first outstanding was sent
};

} // namespace pelk
