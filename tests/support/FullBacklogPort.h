#pragma once
// A loopback port whose queue of waiting connections is full, so the kernel drops a new
// connection's first packet and the client waits as for an unreachable host, until its connect
// time-out.
#include "support/SilentPort.h"

#include <chrono>
#include <fcntl.h>
#include <thread>
#include <vector>

namespace pelk::test {

class FullBacklogPort
{
public:
    FullBacklogPort() : m_listener(0)
    {
        const sockaddr_in address = m_listener.Address();
        for (int i = 0; i < 3; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
            ::fcntl(fd, F_SETFL, O_NONBLOCK);
            ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
            m_fillers.push_back(fd);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ~FullBacklogPort()
    {
        for (const int fd : m_fillers)
            ::close(fd);
    }
    FullBacklogPort(const FullBacklogPort &) = delete;
    FullBacklogPort &operator=(const FullBacklogPort &) = delete;

    int Port() const { return m_listener.Port(); }

private:
    SilentPort m_listener;
    std::vector<int> m_fillers;
};

} // namespace pelk::test
