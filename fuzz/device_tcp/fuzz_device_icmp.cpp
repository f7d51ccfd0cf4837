// A datagram read from an ICMP socket, with and without its IPv4 header.
#include "r5device/tcp/icmp.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView packet(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const bool withIpHeader : {false, true}) {
        const auto reply = disim::icmp::parseEchoReply(packet, withIpHeader);
        if (reply && (reply->dataSize < 0 || reply->dataSize + 8 > int(size)))
            std::abort();
        if (reply && withIpHeader && (reply->ttl < 0 || reply->ttl > 255))
            std::abort();
    }
    (void)disim::icmp::checksum(packet);
    return 0;
}
