#include "Socket.h"

#include "config/Errors.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <utility>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using socklen_t = int;
#else
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace pelk {

namespace {

#ifdef _WIN32
using NativeSocket = SOCKET;
constexpr int kWouldBlock = WSAEWOULDBLOCK;
int LastError()
{
    return WSAGetLastError();
}
int CloseNative(NativeSocket s)
{
    return closesocket(s);
}
int PollNative(pollfd *fds, unsigned long n, int ms)
{
    return WSAPoll(fds, n, ms);
}
#else
using NativeSocket = int;
constexpr int kWouldBlock = EWOULDBLOCK;
int LastError()
{
    return errno;
}
int CloseNative(NativeSocket s)
{
    return ::close(s);
}
int PollNative(pollfd *fds, nfds_t n, int ms)
{
    return ::poll(fds, n, ms);
}
#endif

NativeSocket Sock(TcpSocket::Handle h)
{
    return static_cast<NativeSocket>(h);
}

// Once per process: Winsock started; on POSIX systems a write to a connection the peer has
// closed becomes an error of that write (EPIPE) instead of a signal that ends the program.
void InitNetwork()
{
    static std::once_flag once;
    std::call_once(once, [] {
#ifdef _WIN32
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
#else
        std::signal(SIGPIPE, SIG_IGN);
#endif
    });
}

QString ErrorText(int code)
{
#ifdef _WIN32
    wchar_t *text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   DWORD(code), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    const QString out = text ? QString::fromWCharArray(text).trimmed() : QStringLiteral("błąd %1").arg(code);
    LocalFree(text);
    return out;
#else
    return QString::fromLocal8Bit(std::strerror(code));
#endif
}

bool SetNonBlocking(NativeSocket s)
{
#ifdef _WIN32
    u_long on = 1;
    return ioctlsocket(s, FIONBIO, &on) == 0;
#else
    const int flags = fcntl(s, F_GETFL, 0);
    return flags >= 0 && fcntl(s, F_SETFL, flags | O_NONBLOCK) == 0;
#endif
}

NativeSocket NewSocket()
{
    InitNetwork();
    const NativeSocket s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == NativeSocket(TcpSocket::kNone))
        throw Exception(TcpSocket::LastErrorText());
    // Requests are single short lines: each goes out at once.
    const int on = 1;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&on), sizeof on);
    if (!SetNonBlocking(s)) {
        const QString cause = TcpSocket::LastErrorText();
        CloseNative(s);
        throw Exception(cause);
    }
    return s;
}

int Milliseconds(std::chrono::milliseconds t)
{
    return int(std::clamp<std::chrono::milliseconds::rep>(t.count(), 0, 1 << 30));
}

} // namespace

TcpSocket::~TcpSocket()
{
    Close();
}

TcpSocket::TcpSocket(TcpSocket &&other) noexcept : m_handle(std::exchange(other.m_handle, kNone)) {}

TcpSocket &TcpSocket::operator=(TcpSocket &&other) noexcept
{
    if (this != &other) {
        Close();
        m_handle = std::exchange(other.m_handle, kNone);
    }
    return *this;
}

QString TcpSocket::LastErrorText()
{
    return ErrorText(LastError());
}

bool TcpSocket::IsAddress(const QString &host)
{
    in_addr address{};
    return inet_pton(AF_INET, host.toLatin1().constData(), &address) == 1;
}

QString TcpSocket::Resolve(const QString &host)
{
    InitNetwork();
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const int rc = getaddrinfo(host.toUtf8().constData(), nullptr, &hints, &found);
    if (rc != 0 || !found)
        throw Exception(QStringLiteral("nie znaleziono adresu %1 (%2)").arg(host, QString::fromLocal8Bit(gai_strerror(rc))));
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in *>(found->ai_addr)->sin_addr, text, sizeof text);
    freeaddrinfo(found);
    return QString::fromLatin1(text);
}

TcpSocket TcpSocket::Connect(const QString &address, quint16 port, std::chrono::milliseconds timeout)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    if (inet_pton(AF_INET, address.toLatin1().constData(), &to.sin_addr) != 1)
        throw Exception(QStringLiteral("niepoprawny adres %1").arg(address));
    TcpSocket socket{Handle(NewSocket())};
    if (::connect(Sock(socket.m_handle), reinterpret_cast<sockaddr *>(&to), sizeof to) != 0) {
        const int code = LastError();
#ifdef _WIN32
        const bool pending = code == WSAEWOULDBLOCK;
#else
        const bool pending = code == EINPROGRESS;
#endif
        if (!pending)
            throw Exception(ErrorText(code));
        if (!socket.Wait(Writable, timeout))
            throw Exception(QStringLiteral("przekroczono czas oczekiwania na połączenie (%1 s)").arg(timeout.count() / 1000.0));
        int error = 0;
        socklen_t size = sizeof error;
        getsockopt(Sock(socket.m_handle), SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&error), &size);
        if (error != 0)
            throw Exception(ErrorText(error));
    }
    return socket;
}

TcpSocket TcpSocket::Listen(quint16 port)
{
    TcpSocket socket{Handle(NewSocket())};
    const int on = 1;
    setsockopt(Sock(socket.m_handle), SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char *>(&on), sizeof on);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(port);
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(Sock(socket.m_handle), reinterpret_cast<sockaddr *>(&at), sizeof at) != 0
        || ::listen(Sock(socket.m_handle), 8) != 0)
        throw Exception(LastErrorText());
    return socket;
}

TcpSocket TcpSocket::Accept(std::chrono::milliseconds wait) const
{
    if (!Wait(Readable, wait))
        return TcpSocket();
    const NativeSocket s = ::accept(Sock(m_handle), nullptr, nullptr);
    if (s == NativeSocket(kNone))
        return TcpSocket();
    TcpSocket accepted{Handle(s)};
    const int on = 1;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&on), sizeof on);
    SetNonBlocking(s);
    return accepted;
}

quint16 TcpSocket::LocalPort() const
{
    sockaddr_in at{};
    socklen_t size = sizeof at;
    if (getsockname(Sock(m_handle), reinterpret_cast<sockaddr *>(&at), &size) != 0)
        return 0;
    return ntohs(at.sin_port);
}

bool TcpSocket::WaitHandle(Handle handle, int events, std::chrono::milliseconds timeout)
{
    pollfd p{};
    p.fd = Sock(handle);
    p.events = short(((events & Readable) ? POLLIN : 0) | ((events & Writable) ? POLLOUT : 0));
    for (;;) {
        const int rc = PollNative(&p, 1, Milliseconds(timeout));
#ifndef _WIN32
        if (rc < 0 && errno == EINTR)
            continue;
#endif
        return rc != 0;
    }
}

qint64 TcpSocket::Send(const char *data, qint64 size) const
{
#ifdef _WIN32
    const int n = ::send(Sock(m_handle), data, int(size), 0);
#else
    const ssize_t n = ::send(Sock(m_handle), data, size_t(size), MSG_NOSIGNAL);
#endif
    if (n >= 0)
        return n;
    return LastError() == kWouldBlock || LastError() == EAGAIN ? 0 : -1;
}

qint64 TcpSocket::Receive(char *data, qint64 size) const
{
#ifdef _WIN32
    const int n = ::recv(Sock(m_handle), data, int(size), 0);
#else
    const ssize_t n = ::recv(Sock(m_handle), data, size_t(size), 0);
#endif
    if (n > 0)
        return n;
    if (n == 0)
        return -1;
    return LastError() == kWouldBlock || LastError() == EAGAIN ? 0 : -1;
}

void TcpSocket::Close()
{
    if (IsValid())
        CloseNative(Sock(std::exchange(m_handle, kNone)));
}

} // namespace pelk
