#pragma once

#include <QString>
#include <optional>

namespace r5setup {

// The PC's own address, which the HTTP server buttons put into their log line and URL. One
// small seam, so tests decide the answer and no name query leaves the machine.
class LocalAddress
{
public:
    virtual ~LocalAddress() = default;
    // The first IPv4 address of the host in dotted form; nullopt when the network layer is not
    // available at all.
    virtual std::optional<QString> lookup() const = 0;
};

// Reads the addresses of the machine's own interfaces: the first IPv4 address of an interface
// that is up and not the loopback, else 127.0.0.1. No name is resolved, so the answer is at
// once and is an address others can reach (a host name often resolves to 127.0.1.1).
class SystemLocalAddress final : public LocalAddress
{
public:
    std::optional<QString> lookup() const override;
};

// The address to use: the lookup's, or "127.0.0.1" without a network layer.
QString localAddress(const LocalAddress &lookup);

} // namespace r5setup
