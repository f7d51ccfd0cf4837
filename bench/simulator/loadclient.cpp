#include "loadclient.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace bench {

namespace {
using Clock = std::chrono::steady_clock;
constexpr std::size_t kChunk = 64 * 1024;

std::uint8_t patternByte(std::uint64_t i)
{
    return std::uint8_t((i * 131) ^ (i >> 8));
}

bool writeAll(int fd, const std::uint8_t *data, std::size_t n)
{
    while (n > 0) {
        const ssize_t w = ::send(fd, data, n, MSG_NOSIGNAL);
        if (w <= 0)
            return false;
        data += w;
        n -= std::size_t(w);
    }
    return true;
}
// Reads until `want` bytes are back or the link ends; `intact` turns false at the first byte that
// is not the one sent at that place.
std::uint64_t readEcho(int fd, std::uint64_t want, bool &intact)
{
    std::vector<std::uint8_t> buf(kChunk);
    std::uint64_t got = 0;
    while (got < want) {
        const ssize_t n = ::recv(fd, buf.data(), buf.size(), 0);
        if (n <= 0)
            break;
        for (ssize_t i = 0; i < n; ++i)
            intact = intact && buf[std::size_t(i)] == patternByte(got + std::uint64_t(i));
        got += std::uint64_t(n);
    }
    return got;
}
} // namespace

int connectLoopback(std::uint16_t port, int waitMs)
{
    const auto until = Clock::now() + std::chrono::milliseconds(waitMs);
    do {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0)
            return fd;
        ::close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (Clock::now() < until);
    return -1;
}

EchoResult echoBulk(std::uint16_t port, std::uint64_t total)
{
    EchoResult r;
    const int fd = connectLoopback(port, 3000);
    if (fd < 0)
        return r;
    const auto t0 = Clock::now();
    std::thread writer([fd, total] {
        std::vector<std::uint8_t> buf(kChunk);
        for (std::uint64_t sent = 0; sent < total;) {
            const std::size_t n = std::size_t(std::min<std::uint64_t>(kChunk, total - sent));
            for (std::size_t i = 0; i < n; ++i)
                buf[i] = patternByte(sent + i);
            if (!writeAll(fd, buf.data(), n))
                return;
            sent += n;
        }
    });
    bool intact = true;
    const std::uint64_t got = readEcho(fd, total, intact);
    r.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    writer.join();
    ::close(fd);
    r.bytes = got;
    r.intact = intact && got == total;
    return r;
}

PacedResult echoPaced(std::uint16_t port, int rate, int seconds, int size)
{
    PacedResult r;
    const int fd = connectLoopback(port, 3000);
    if (fd < 0)
        return r;
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    const std::uint64_t total = std::uint64_t(rate) * std::uint64_t(seconds);
    std::atomic<std::uint64_t> sentMessages{0};
    const auto t0 = Clock::now();
    std::thread writer([&] {
        std::vector<std::uint8_t> msg(std::size_t(size), 0);
        auto next = t0;
        while (sentMessages < total) {
            next += std::chrono::milliseconds(1);
            std::this_thread::sleep_until(next);
            const double elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
            const auto due = std::min<std::uint64_t>(total, std::uint64_t(elapsed * rate));
            while (sentMessages < due) {
                const std::uint64_t k = sentMessages;
                for (int i = 0; i < size; ++i)
                    msg[std::size_t(i)] = patternByte(k * std::uint64_t(size) + std::uint64_t(i));
                if (!writeAll(fd, msg.data(), msg.size()))
                    return;
                ++sentMessages;
            }
        }
    });
    const std::uint64_t want = total * std::uint64_t(size);
    bool intact = true;
    const std::uint64_t got = readEcho(fd, want, intact);
    writer.join();
    r.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    ::close(fd);
    r.messages = sentMessages;
    r.bytes = got;
    r.allEchoed = intact && got == want;
    return r;
}

ArrivalClock::ArrivalClock()
{
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(m_listener, reinterpret_cast<const sockaddr *>(&a), sizeof a);
    ::listen(m_listener, 1);
    socklen_t len = sizeof a;
    ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&a), &len);
    m_port = ntohs(a.sin_port);
}

ArrivalClock::~ArrivalClock()
{
    ::close(m_listener);
}

std::vector<double> ArrivalClock::arrivals(int count, int waitMs)
{
    std::vector<double> at;
    const int fd = ::accept(m_listener, nullptr, nullptr);
    if (fd < 0)
        return at;
    const auto start = Clock::now();
    timeval limit{waitMs / 1000, (waitMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    char buf[4096];
    while (int(at.size()) < count) {
        if (::recv(fd, buf, sizeof buf, 0) <= 0)
            break;
        at.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    ::close(fd);
    return at;
}

} // namespace bench
