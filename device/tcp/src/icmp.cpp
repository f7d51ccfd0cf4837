#include "r5device/tcp/icmp.h"

namespace disim::icmp {

namespace {
std::uint8_t at(QByteArrayView b, qsizetype i)
{
    return static_cast<std::uint8_t>(b[i]);
}
std::uint16_t be16(QByteArrayView b, qsizetype i)
{
    return std::uint16_t(at(b, i) << 8 | at(b, i + 1));
}
void putBe16(QByteArray &b, qsizetype i, std::uint16_t v)
{
    b[i] = char(v >> 8);
    b[i + 1] = char(v & 0xFF);
}
} // namespace

std::uint16_t checksum(QByteArrayView bytes)
{
    std::uint32_t sum = 0;
    qsizetype i = 0;
    for (; i + 1 < bytes.size(); i += 2)
        sum += be16(bytes, i);
    if (i < bytes.size())
        sum += std::uint32_t(at(bytes, i)) << 8;
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return std::uint16_t(~sum & 0xFFFF);
}

QByteArray echoRequest(std::uint16_t id, std::uint16_t sequence, QByteArrayView payload)
{
    QByteArray packet(8, '\0');
    packet[0] = char(kEchoRequest);
    putBe16(packet, 4, id);
    putBe16(packet, 6, sequence);
    packet.append(payload.data(), payload.size());
    putBe16(packet, 2, checksum(packet));
    return packet;
}

std::optional<EchoReply> parseEchoReply(QByteArrayView packet, bool withIpHeader)
{
    EchoReply reply;
    QByteArrayView message = packet;
    if (withIpHeader) {
        if (packet.size() < 20 || (at(packet, 0) >> 4) != 4)
            return std::nullopt;
        const qsizetype headerLength = qsizetype(at(packet, 0) & 0x0F) * 4;
        const qsizetype totalLength = be16(packet, 2);
        if (headerLength < 20 || at(packet, 9) != 1 /* ICMP */ || packet.size() < headerLength)
            return std::nullopt;
        // Trust the datagram length the socket gave when the header's own is off (some
        // stacks hand raw sockets the length in host order or without the header).
        const qsizetype end =
            (totalLength >= headerLength && totalLength <= packet.size()) ? totalLength : packet.size();
        reply.ttl = at(packet, 8);
        reply.source = std::uint32_t(be16(packet, 12)) << 16 | be16(packet, 14);
        message = packet.sliced(headerLength, end - headerLength);
    }
    if (message.size() < 8 || at(message, 0) != kEchoReply || at(message, 1) != 0)
        return std::nullopt;
    reply.id = be16(message, 4);
    reply.sequence = be16(message, 6);
    reply.dataSize = int(message.size() - 8);
    return reply;
}

} // namespace disim::icmp
