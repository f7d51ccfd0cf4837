#pragma once

#include "r5device/protocol/dispatch.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <array>
#include <cstdint>

namespace r5::protocol {

// One frame as the receiver saw it: the bytes held between the start byte and the end byte.
struct RxFrame
{
    // LEN, id, header byte, payload (the hold at the end byte; may be shorter than 3 bytes).
    QByteArray content;

    // The second held byte, 0x00 when fewer than two bytes were held.
    std::uint8_t id() const { return content.size() >= 2 ? std::uint8_t(content[1]) : 0; }
    int contentCount() const { return int(content.size()); }
    FrameClass frameClass() const { return classify(id(), contentCount()); }

    // "7E." + each held byte + "FE.", whatever the start byte really was.
    QString dump() const;
    // "RX MSG ID:[0x41] LEN:[51]:[7E.33.41. ... .FE.]"
    QString rxLine() const;
};

struct RxEvent
{
    enum class Kind {
        Frame,    // an end byte completed `frame`
        Overflow, // the hold was full: `discarded` bytes were dropped and reception goes on
    };
    Kind kind = Kind::Frame;
    RxFrame frame;
    int discarded = 0;
};

// Collects frames from byte chunks of any size and split. A start byte restarts the frame
// while fewer than two bytes are held and is data after that; an end byte always completes
// the frame, wherever it occurs. A partial frame stays held across chunks without time-out.
class FrameReceiver
{
public:
    // The hold; a run of bytes without an end byte never grows it past this.
    static constexpr int kCapacity = 8192;

    // Appends the events of `bytes`, in order, to `events`.
    void feed(QByteArrayView bytes, QList<RxEvent> &events);
    QList<RxEvent> feed(QByteArrayView bytes);

    int held() const { return m_count; }
    void clear() { m_count = 0; }

private:
    std::array<char, kCapacity> m_hold{};
    int m_count = 0;
};

} // namespace r5::protocol
