#include "r5device/protocol/receiver.h"

#include "r5device/protocol/codec.h"
#include "r5device/protocol/frame.h"

#include <algorithm>
#include <cstring>

using namespace Qt::StringLiterals;

namespace r5::protocol {

QString RxFrame::dump() const
{
    QString out(content.size() * 3 + 6, Qt::Uninitialized);
    auto *p = reinterpret_cast<char16_t *>(out.data());
    p = writeDump(p, "\x7E");
    p = writeDump(p, content);
    writeDump(p, "\xFE");
    return out;
}

QString RxFrame::rxLine() const
{
    // Built straight into one buffer: this line is made for every frame the device sends.
    static constexpr QStringView kHead = u"RX MSG ID:[0x";
    static constexpr QStringView kLength = u"] LEN:[";
    static constexpr QStringView kDump = u"]:[";
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    char16_t length[12];
    qsizetype lengthSize = 0;
    for (int n = contentCount() + 2; n > 0 || lengthSize == 0; n /= 10)
        length[lengthSize++] = char16_t(u'0' + n % 10);
    std::reverse(length, length + lengthSize);

    QString out(kHead.size() + 2 + kLength.size() + lengthSize + kDump.size() + content.size() * 3 + 7,
                Qt::Uninitialized);
    auto *p = reinterpret_cast<char16_t *>(out.data());
    p = std::copy(kHead.utf16(), kHead.utf16() + kHead.size(), p);
    *p++ = kDigits[id() >> 4];
    *p++ = kDigits[id() & 0x0F];
    p = std::copy(kLength.utf16(), kLength.utf16() + kLength.size(), p);
    p = std::copy(length, length + lengthSize, p);
    p = std::copy(kDump.utf16(), kDump.utf16() + kDump.size(), p);
    p = writeDump(p, "\x7E");
    p = writeDump(p, content);
    p = writeDump(p, "\xFE");
    *p = u']';
    return out;
}

void FrameReceiver::feed(QByteArrayView bytes, QList<RxEvent> &events)
{
    const char *p = bytes.data();
    const char *const end = p + bytes.size();
    const auto endOfFrame = [&] {
        RxEvent ev;
        ev.frame.content = QByteArray(m_hold.data(), m_count);
        events.append(std::move(ev));
        m_count = 0;
    };
    const auto overflow = [&] {
        // A run this long without an end byte is noise, not a frame of this protocol; the byte
        // that found the hold full is then taken as if nothing were held.
        RxEvent ev;
        ev.kind = RxEvent::Kind::Overflow;
        ev.discarded = m_count;
        events.append(std::move(ev));
        m_count = 0;
    };
    while (p < end) {
        if (m_count >= 2) {
            // With the header held, only the end byte and a full hold matter: copy up to either.
            const auto *fe = static_cast<const char *>(std::memchr(p, kEndByte, std::size_t(end - p)));
            const char *const stop = fe ? fe : end;
            while (p < stop && m_count >= 2) {
                if (m_count == kCapacity) {
                    overflow();
                    break;
                }
                const auto n = std::min<qsizetype>(stop - p, kCapacity - m_count);
                std::memcpy(m_hold.data() + m_count, p, std::size_t(n));
                m_count += int(n);
                p += n;
            }
            if (p == fe && m_count >= 2) {
                endOfFrame();
                ++p;
            }
            continue;
        }
        const auto b = std::uint8_t(*p++);
        if (b == kEndByte) {
            endOfFrame();
            continue;
        }
        if (b == kStartByte) {
            m_count = 0;
            continue;
        }
        m_hold[std::size_t(m_count++)] = char(b);
    }
}

QList<RxEvent> FrameReceiver::feed(QByteArrayView bytes)
{
    QList<RxEvent> events;
    feed(bytes, events);
    return events;
}

} // namespace r5::protocol
