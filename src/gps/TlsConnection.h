#pragma once
// The connection to the GPS server: TCP, then TLS (1.0 up to 1.3, the highest both sides
// offer), request lines written by the main thread while the decoder's thread takes what
// arrived. Every TLS call runs under one lock; waits for the socket happen outside it.
#include "ByteSource.h"
#include "Socket.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

namespace pelk {

struct RTlsOptions
{
    // The address look-up, the TCP connect and the TLS handshake together.
    std::chrono::milliseconds connectTimeout{30000};
    // One request line, while the server does not take it.
    std::chrono::milliseconds writeTimeout{300000};
    // Whether the server's certificate is checked at all. The chain is checked at security
    // level 1 (no RSA key under 1024 bits, no MD5 or SHA-1 signature) while the handshake keeps
    // level 0 for old servers.
    bool verify = false;
    // Trusted certificates (PEM); empty: the system's, unless a fingerprint is pinned.
    QString caFile;
    // SHA-256 of the server's certificate in hex (":" and spaces allowed); empty: none pinned.
    QString fingerprint;
};

// The connection's status events.
enum class TConnectionStatus { Resolving, Connecting, Connected, Disconnecting, Disconnected, Text, Transfer, Ready, Aborted };

class TTlsConnection : public IByteSource
{
public:
    using StatusEvent = std::function<void(TConnectionStatus status, const QString &text)>;
    using InfoEvent = std::function<void(const QString &text)>;
    // A host name's IPv4 address as text; throws pelk::Exception with the cause.
    using AddressLookup = std::function<QString(const QString &host)>;

    TTlsConnection();
    ~TTlsConnection() override;
    TTlsConnection(const TTlsConnection &) = delete;
    TTlsConnection &operator=(const TTlsConnection &) = delete;

    // Resolving, connecting and connected go to the status event; the negotiated protocol
    // and cipher to the informational one. Set before Open.
    void SetStatusEvent(StatusEvent event) { m_status = std::move(event); }
    void SetInfoEvent(InfoEvent event) { m_info = std::move(event); }
    // How a host name is looked up: the system's look-up unless set. It runs on a thread of its
    // own and is given up at the connection's time limit. Set before Open.
    void SetAddressLookup(AddressLookup lookup) { m_lookup = std::move(lookup); }

    // Looks the host up, connects and completes the handshake, all within the options' time;
    // throws pelk::Exception with the cause (look-up, refusal, time-out, protocol or
    // certificate failure, a certificate check that cannot be set up).
    void Open(const QString &host, quint16 port, const RTlsOptions &options);
    // Open, and reading has not come to its end: bytes waiting on the socket are moved to the
    // input buffer first, and a connection the server ended counts as open until the reader
    // has come back for more after taking the last received bytes.
    bool IsOpen();
    // Writes the bytes whole; throws pelk::Exception when the connection is closed or fails,
    // or the server takes nothing for the write time-out.
    void WriteLine(const QByteArray &line);
    // Everything received and not yet taken (the decoder's thread).
    QByteArray Take(std::chrono::milliseconds wait) override;
    // Closes an open connection (disconnecting and disconnected events) and empties the input
    // buffer. The reader must have stopped.
    void Close();

    // Above this much unread input the connection stops reading, so a slow reader keeps the
    // server waiting on the socket instead of filling memory. Reading stops once it is
    // reached, so one TLS record, at most 16 KiB, may go past it.
    static constexpr qsizetype kMaxBuffered = 4 * 1024 * 1024;

private:
    // Reads what the socket holds into the input buffer, without waiting (lock held).
    void PumpLocked();
    void Fail(const QString &cause);
    void Handshake(const QString &host, const RTlsOptions &options, std::chrono::steady_clock::time_point deadline);
    void FreeLocked();

    StatusEvent m_status;
    InfoEvent m_info;
    AddressLookup m_lookup = &TcpSocket::Resolve;

    mutable std::mutex m_mutex;
    std::condition_variable m_closedWait;
    TcpSocket m_socket;
    SSL_CTX *m_context = nullptr;
    SSL *m_ssl = nullptr;
    QByteArray m_input;
    bool m_ended = false;   // the server closed the connection, or reading failed
    QString m_failure;      // why reading failed; reported to the reader once
    bool m_drained = false; // the reader came back after the end with nothing left
    std::chrono::milliseconds m_writeTimeout{0};
};

} // namespace pelk
