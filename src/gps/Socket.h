#pragma once
// TCP sockets of the operating system (IPv4): the few calls the GPS server's TLS connection
// and the GPS server simulator make. The only file here that speaks to the socket API.
#include <QString>
#include <chrono>
#include <cstdint>

namespace pelk {

class TcpSocket
{
public:
    using Handle = std::intptr_t;
    static constexpr Handle kNone = -1;

    TcpSocket() = default;
    ~TcpSocket();
    TcpSocket(TcpSocket &&other) noexcept;
    TcpSocket &operator=(TcpSocket &&other) noexcept;
    TcpSocket(const TcpSocket &) = delete;
    TcpSocket &operator=(const TcpSocket &) = delete;

    // Whether the text is an IPv4 address rather than a host name.
    static bool IsAddress(const QString &host);
    // The host's IPv4 address as text ("127.0.0.1"), from the system's look-up, which has no
    // time limit; throws pelk::Exception with the cause.
    static QString Resolve(const QString &host);
    // A non-blocking socket connected to the address within `timeout`; throws pelk::Exception
    // with the cause (refused, unreachable, time-out).
    static TcpSocket Connect(const QString &address, quint16 port, std::chrono::milliseconds timeout);
    // A non-blocking socket listening on 127.0.0.1 (port 0: a free port); throws on failure.
    static TcpSocket Listen(quint16 port);
    // The next waiting connection, non-blocking; an invalid socket when none came within `wait`.
    TcpSocket Accept(std::chrono::milliseconds wait) const;

    bool IsValid() const { return m_handle != kNone; }
    Handle Native() const { return m_handle; }
    quint16 LocalPort() const;

    enum Event { Readable = 1, Writable = 2 };
    // Waits until the socket is readable or writable as asked (or has failed, or the peer
    // closed it); false when `timeout` passed first.
    bool Wait(int events, std::chrono::milliseconds timeout) const { return WaitHandle(m_handle, events, timeout); }
    // The same for a socket known by its handle (waited for while its owner's lock is free).
    static bool WaitHandle(Handle handle, int events, std::chrono::milliseconds timeout);
    // Plain bytes, non-blocking: the count moved, 0 when the call would block, -1 when the
    // peer closed (receive) or the connection failed.
    qint64 Send(const char *data, qint64 size) const;
    qint64 Receive(char *data, qint64 size) const;
    void Close();

    // The text of the last socket error of this thread.
    static QString LastErrorText();

private:
    explicit TcpSocket(Handle handle) : m_handle(handle) {}
    Handle m_handle = kNone;
};

} // namespace pelk
