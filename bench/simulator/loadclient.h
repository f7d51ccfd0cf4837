#pragma once

// A loopback load client with plain blocking sockets on threads of its own, so that it never
// shares the event loop it measures.
#include <cstdint>
#include <vector>

namespace bench {

// Connects to 127.0.0.1:port, retrying for up to `waitMs`; -1 when nobody listens.
int connectLoopback(std::uint16_t port, int waitMs);

struct EchoResult
{
    double seconds = 0;
    std::uint64_t bytes = 0;
    bool intact = false; // every byte came back, in order
    double mbPerSecond() const { return seconds > 0 ? double(bytes) / seconds / 1e6 : 0; }
};

// Writes `total` bytes in 64 KiB pieces while reading the echo; timed until the last byte is back.
EchoResult echoBulk(std::uint16_t port, std::uint64_t total);

struct PacedResult
{
    std::uint64_t messages = 0;
    std::uint64_t bytes = 0;
    double seconds = 0;
    bool allEchoed = false;
};

// Sends `rate` messages of `size` bytes a second (each its own write, no Nagle delay) for
// `seconds`, reading the echo, then waits for the last of it.
PacedResult echoPaced(std::uint16_t port, int rate, int seconds, int size);

// Listens on 127.0.0.1 (port 0) for one connection and notes when each of `count` arrivals
// comes, in milliseconds after the connection was accepted (arrivals at least a few ms apart).
class ArrivalClock
{
public:
    ArrivalClock();
    ~ArrivalClock();
    std::uint16_t port() const { return m_port; }
    // Blocks until `count` arrivals or `waitMs` without one.
    std::vector<double> arrivals(int count, int waitMs);

private:
    int m_listener = -1;
    std::uint16_t m_port = 0;
};

} // namespace bench
