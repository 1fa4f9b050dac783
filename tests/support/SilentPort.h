#pragma once
// A loopback port that takes TCP connections and never says a word: a mail server that hangs
// after the connection, so only a time-out ends the client's wait.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pelk::test {

class SilentPort
{
public:
    // backlog: how many connections may wait for an accept that never comes.
    explicit SilentPort(int backlog = 16)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        // Connections wait in the queue, established, and are never accepted.
        ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), length);
        ::listen(m_fd, backlog);
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length);
        m_port = ntohs(address.sin_port);
    }
    ~SilentPort() { ::close(m_fd); }
    SilentPort(const SilentPort &) = delete;
    SilentPort &operator=(const SilentPort &) = delete;

    int Port() const { return m_port; }
    sockaddr_in Address() const
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(uint16_t(m_port));
        return address;
    }

private:
    int m_fd = -1;
    int m_port = 0;
};

} // namespace pelk::test
