#pragma once
// Where the GPS response decoder reads the server's bytes from: the client's connection, or a
// recorded stream in tests and measurements.
#include <QByteArray>
#include <chrono>

namespace pelk {

class IByteSource
{
public:
    virtual ~IByteSource() = default;
    // Everything received and not yet taken, waiting at most `wait` for the first bytes to
    // arrive; empty when nothing came in that time (a closed connection with nothing left
    // also waits, then gives empty). Throws pelk::Exception when the connection cannot be read.
    virtual QByteArray Take(std::chrono::milliseconds wait) = 0;
};

} // namespace pelk
