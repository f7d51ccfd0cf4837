#include "r5device/protocol/frame.h"

#include "r5device/protocol/codec.h"

#include <array>
#include <cstring>

using namespace Qt::StringLiterals;

namespace r5::protocol {

QByteArray buildFrame(std::uint8_t id, QByteArrayView payload)
{
    Q_ASSERT(payload.size() <= 255 - kMinFrameSize);
    QByteArray frame;
    frame.reserve(payload.size() + kMinFrameSize);
    frame.append(char(kStartByte));
    frame.append(char(payload.size() + kMinFrameSize));
    frame.append(char(id));
    frame.append(char(kRequestHeader));
    frame.append(payload);
    frame.append(char(kEndByte));
    return frame;
}

char16_t *writeDump(char16_t *out, QByteArrayView bytes)
{
    // Every received frame is dumped for the log: one table lookup per byte.
    static constexpr auto kTable = [] {
        std::array<std::array<char16_t, 3>, 256> t{};
        constexpr char16_t digits[] = u"0123456789ABCDEF";
        for (std::size_t b = 0; b < 256; ++b)
            t[b] = {digits[b >> 4], digits[b & 0x0F], u'.'};
        return t;
    }();
    for (const char c : bytes) {
        std::memcpy(out, kTable[std::uint8_t(c)].data(), 3 * sizeof(char16_t));
        out += 3;
    }
    return out;
}

QString frameDump(QByteArrayView frame)
{
    QString out(frame.size() * 3, Qt::Uninitialized);
    writeDump(reinterpret_cast<char16_t *>(out.data()), frame);
    return out;
}

QString txLabel(std::uint8_t id)
{
    return txLabel(byteText(id));
}

QString txLabel(QStringView hint)
{
    return u"TX 0x"_s + hint + u" : ["_s;
}

QString txLine(QStringView label, QByteArrayView frame, TxTail tail)
{
    return label + QString::number(frame.size()) + u"]["_s + frameDump(frame) +
           (tail == TxTail::Reboot ? u"] : System reboot Command"_s : u"]"_s);
}

} // namespace r5::protocol
