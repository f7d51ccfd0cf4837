#include "r5/protocol/receiver.h"

#include "r5/protocol/codec.h"
#include "r5/protocol/frame.h"

using namespace Qt::StringLiterals;

namespace r5::protocol {

QString RxFrame::dump() const
{
    return u"7E."_s + frameDump(content) + u"FE."_s;
}

QString RxFrame::rxLine() const
{
    return u"RX MSG ID:[0x"_s + byteText(id()) + u"] LEN:["_s + QString::number(contentCount() + 2)
           + u"]:["_s + dump() + u"]"_s;
}

void FrameReceiver::feed(QByteArrayView bytes, QList<RxEvent> &events)
{
    const char *p = bytes.data();
    const char *const end = p + bytes.size();
    while (p < end) {
        const auto b = std::uint8_t(*p++);
        if (b == kEndByte) {
            RxEvent ev;
            ev.frame.content = QByteArray(m_hold.data(), m_count);
            events.append(std::move(ev));
            m_count = 0;
            continue;
        }
        if (b == kStartByte && m_count < 2) {
            m_count = 0;
            continue;
        }
        if (m_count == kCapacity) {
            // A run this long without an end byte is noise, not a frame of this protocol.
            RxEvent ev;
            ev.kind = RxEvent::Kind::Overflow;
            ev.discarded = m_count;
            events.append(std::move(ev));
            m_count = 0;
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
