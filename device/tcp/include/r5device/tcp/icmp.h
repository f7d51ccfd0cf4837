#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <optional>

namespace disim::icmp {

constexpr std::uint8_t kEchoReply = 0;
constexpr std::uint8_t kEchoRequest = 8;

// The Internet checksum (one's complement sum of 16-bit words, an odd byte padded with 0).
std::uint16_t checksum(QByteArrayView bytes);

// An ICMPv4 echo request with its checksum filled in.
QByteArray echoRequest(std::uint16_t id, std::uint16_t sequence, QByteArrayView payload = {});

struct EchoReply
{
    std::uint16_t id = 0;
    std::uint16_t sequence = 0;
    int dataSize = 0;
    int ttl = -1;             // from the IP header, when the packet has one
    std::uint32_t source = 0; // from the IP header, host order; 0 when there is none
};

// An echo reply as a raw socket returns it (IPv4 header first) or as an ICMP datagram socket
// returns it (the ICMP message alone). Anything else (other ICMP types, our own request seen on
// loopback, cut packets, other protocols) gives nothing.
std::optional<EchoReply> parseEchoReply(QByteArrayView packet, bool withIpHeader);

} // namespace disim::icmp
