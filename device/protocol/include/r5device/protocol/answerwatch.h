#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

// Which requests still wait for the device's answer, and which have waited too long. The device
// answers a request with a frame carrying the request's id; a frame with an id the receiver
// does not know is taken as the answer to the oldest waiting request, as it comes from a device
// that is there and is answered with a status request of its own. No timer and no I/O: the
// window says when requests go out and frames come in, and asks at its timer's ticks.
namespace r5::protocol {

class AnswerWatch
{
public:
    static constexpr qint64 kPatienceMs = 3000;

    // A request with `id` went out at `now`. A status request sent on its own for an
    // unregistered answer (`automatic`) is not watched while another status request waits:
    // a noisy line then costs one notice, not one per stray frame.
    void sent(std::uint8_t id, const QDateTime &now, bool automatic = false);
    // A frame with `id` came in; `registered` is false for an id the receiver does not know.
    void answered(std::uint8_t id, bool registered);
    // The ids of the requests whose time ran out by `now`, oldest first; they are forgotten.
    QList<std::uint8_t> overdue(const QDateTime &now);
    // When the oldest waiting request runs out; nullopt when nothing waits.
    std::optional<QDateTime> nextDue() const;
    // The port closed: no answer can come any more.
    void clear() { m_waiting.clear(); }

private:
    struct Waiting
    {
        std::uint8_t id;
        QDateTime due;
    };
    QList<Waiting> m_waiting; // oldest first
};

// What the request with this id asks for, in words ("WAN settings"); empty for an unknown id.
QString requestName(std::uint8_t request);

namespace texts {
// Logged once for each request left without an answer. `port` and `baud` are the link's.
QString noAnswer(std::uint8_t request, const QString &port, qint32 baud);
// Logged after "[EOT]" for the device's reply to a set-command or maintenance command (0x42 to
// 0x47); empty for any other id.
QString acknowledged(std::uint8_t reply);
} // namespace texts

} // namespace r5::protocol
