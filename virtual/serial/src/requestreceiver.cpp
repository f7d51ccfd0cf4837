#include "virt/requestreceiver.h"

#include "virt/codec.h"

namespace virt {

using namespace wire;

QList<QByteArray> RequestReceiver::feed(QByteArrayView bytes)
{
    QList<QByteArray> frames;
    m_buffer.append(bytes);
    qsizetype at = 0;
    while (at < m_buffer.size()) {
        const qsizetype start = m_buffer.indexOf(char(kStart), at);
        if (start < 0) {
            m_skipped += int(m_buffer.size() - at);
            at = m_buffer.size();
            break;
        }
        m_skipped += int(start - at);
        at = start;
        if (m_buffer.size() - at < 2)
            break;
        const int length = std::uint8_t(m_buffer[at + 1]);
        if (length < kMinFrame) {
            ++m_skipped;
            ++at;
            continue;
        }
        if (m_buffer.size() - at < length)
            break;
        if (std::uint8_t(m_buffer[at + length - 1]) != kEnd) {
            ++m_skipped;
            ++at;
            continue;
        }
        frames.append(m_buffer.mid(at, length));
        at += length;
    }
    m_buffer.remove(0, at);
    return frames;
}

int RequestReceiver::takeSkipped()
{
    return std::exchange(m_skipped, 0);
}

} // namespace virt
