#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace virt {

// The device's side of the framing: it trusts the length byte, so a request whose payload holds
// 0xFE (an address ending in .254, port 65534) still arrives whole. A start byte whose length
// is below 5 or whose frame does not end in 0xFE is skipped as noise and the search goes on
// from the next byte.
class RequestReceiver
{
public:
    // The complete request frames (7E .. FE) in `bytes`, in order.
    QList<QByteArray> feed(QByteArrayView bytes);

    // Bytes skipped as noise since the last call.
    int takeSkipped();
    int pending() const { return int(m_buffer.size()); }

private:
    QByteArray m_buffer;
    int m_skipped = 0;
};

} // namespace virt
