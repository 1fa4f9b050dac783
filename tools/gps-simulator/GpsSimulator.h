#pragma once
// A GPS tracking server for tests, measurements and the demo: a TLS server on a loopback port
// with a self-signed certificate made at start or one given, speaking the server's side of the protocol
// (greeting, live updates, vehicle list, archives of generated tracks with engine-on and
// engine-off periods, the error messages), with switches that make it misbehave.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace pelk {
class TcpSocket;
}

namespace pelk::sim {

struct RVehicle
{
    QString id;   // the server's identifier (NrPojazdu)
    QString name; // the registration number
    QString type = QStringLiteral("ciężarowy");
    // Its archive requests are answered with a track, an empty archive, a "NO_ARCHIVE" error or
    // the error `error` (such as "INVALID_TIME_SPAN").
    enum class Archive { Track, Empty, NoArchive, Error } archive = Archive::Track;
    QString error = QStringLiteral("INVALID_TIME_SPAN");
};

struct ROptions
{
    quint16 port = 0; // 0: a free port
    QString user = QStringLiteral("demo");
    QString password = QStringLiteral("demo"); // a login carries its MD5
    QList<RVehicle> vehicles;
    // Tracks: a frame every `frameInterval` seconds; each vehicle drives `driveMinutes`, then
    // stands `stopMinutes` with the engine off, over and over (its own phase).
    int frameInterval = 60;
    int driveMinutes = 50;
    int stopMinutes = 25;

    // Where the output is cut in two writes, with a pause between them: every vehicle-info
    // element and the first frame of every archive.
    enum class Split { None, InsideElement, InsideLetter } split = Split::None;
    int splitPauseMs = 150;
    // A pause before every answer.
    int answerDelayMs = 0;
    // Requests answered (the login counts as one) before the server goes silent; -1: all.
    int answerLimit = -1;
    // Requests answered before the connection is closed, without the TLS close, in the middle
    // of the next answer; -1: never.
    int dropAfter = -1;
    // Junk bytes before the greeting, or junk instead of every answer.
    enum class Garbage { None, BeforeGreeting, Only } garbage = Garbage::None;
    // The certificate served (PEM, the chain after it) and its key; empty: a self-signed
    // certificate for localhost and 127.0.0.1, made at start.
    QString certificateFile, keyFile;
    // A plain-text greeting in place of the TLS handshake.
    bool plainGreeting = false;
    // Accepts connections and never takes part in the handshake.
    bool stallHandshake = false;
    // The highest TLS version offered: "1.0", "1.1", "1.2", "1.3"; empty: the library's.
    QString tlsMax;
    // Live updates (opid 1) of every vehicle with one frame each: after the greeting, and then
    // every so many milliseconds (0: only after the greeting). They go on whatever
    // `answerLimit` says.
    int liveIntervalMs = 0;
    // How often the greeting's "autoupdate" property and every vehicle-info element of the
    // vehicle list are sent.
    int listRepeats = 1;
    // After the greeting, a message element that never closes.
    bool unclosedMessage = false;
};

class GpsSimulator
{
public:
    // Vehicles are given defaults when the options list none.
    explicit GpsSimulator(ROptions options);
    // Stops.
    ~GpsSimulator();
    GpsSimulator(const GpsSimulator &) = delete;
    GpsSimulator &operator=(const GpsSimulator &) = delete;

    // Makes or loads the certificate, listens and serves connections on threads of its own; returns
    // the port. Throws pelk::Exception when it cannot load the certificate or listen.
    quint16 Start();
    // Closes every connection and waits for the threads.
    void Stop();

    quint16 Port() const { return m_port; }
    // The server's certificate (PEM) and its SHA-256 fingerprint in lowercase hex.
    QByteArray CertificatePem() const { return m_certificatePem; }
    QString Fingerprint() const { return m_fingerprint; }
    const ROptions &Options() const { return m_options; }

    // The request lines received so far, over all connections, in order.
    QStringList Received() const;
    int Connections() const { return m_connections; }
    // Frames sent in archives so far.
    qint64 FramesSent() const { return m_frames; }
    // Bytes of answers handed to the connections' sockets so far.
    qint64 BytesSent() const { return m_bytes; }

    // The frames of one vehicle's track from `from` to `to` (UTC seconds, both included).
    QByteArray TrackFrames(const RVehicle &vehicle, quint32 from, quint32 to) const;
    // The defaults: three vehicles with Polish registration numbers.
    static QList<RVehicle> DefaultVehicles();

private:
    struct Connection;
    void AcceptLoop();
    void Serve(TcpSocket socket);
    void Converse(Connection &c);
    bool Answer(Connection &c, const QByteArray &line);
    QByteArray Greeting() const;
    QByteArray LiveUpdates() const;
    QByteArray VehicleList(int opid) const;
    QByteArray ArchiveAnswer(int opid, const QString &vehicle, quint32 from, quint32 to);
    bool Write(Connection &c, const QByteArray &bytes);
    void Record(const QString &line);

    ROptions m_options;
    quint16 m_port = 0;
    QByteArray m_certificatePem;
    QString m_fingerprint;
    struct Tls;
    std::unique_ptr<Tls> m_tls;
    std::unique_ptr<TcpSocket> m_listener;
    std::atomic<bool> m_stop{false};
    std::thread m_acceptThread;
    std::mutex m_mutex;
    std::vector<std::thread> m_connectionThreads;
    mutable std::mutex m_receivedMutex;
    QStringList m_received;
    std::atomic<int> m_connections{0};
    std::atomic<qint64> m_frames{0};
    std::atomic<qint64> m_bytes{0};
};

} // namespace pelk::sim
