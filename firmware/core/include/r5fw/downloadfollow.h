#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

namespace r5fw {

// One answer of the firmware server to a request for a file, once it has ended.
struct Transfer
{
    QString peer;          // the address that asked
    QString name;          // the file, by its name in the folder
    qint64 size = 0;       // the file's size
    qint64 first = 0;      // where the answer's body starts in the file (a Range request)
    qint64 bodyLength = 0; // the bytes the answer's body was to have
    qint64 sent = 0;       // the body bytes written to the peer
    qint64 ms = 0;         // from the request to the end
    QString brokenOff;     // why it ended early; empty when all was sent

    bool complete() const { return brokenOff.isEmpty() && sent == bodyLength; }
    // The device has the file's last byte: the whole file, or the last part of it.
    bool reachedEnd() const { return complete() && first + sent == size; }
};

// The follow-up of a firmware download order, as devsetup and r5200tx-cli both do it: the
// device's version before, the request for the file at the own server, the whole file sent,
// and the device answering a status request again with the version it now runs. No I/O and no
// timers: the caller tells it the time and what happened, sends the status requests it asks
// for and logs its lines.
class DownloadFollow
{
public:
    // Without a request for the file by then, the order did not reach the server.
    static constexpr qint64 kNoRequestMs = 30000;
    // Status requests after the transfer are never closer together than this: a rebooting
    // device is silent, and is not asked over and over.
    static constexpr qint64 kStatusGapMs = 1500;
    // How long the device has to answer again after the file was sent.
    static constexpr qint64 kAnswerWithinMs = 120000;
    // An answer with the old version counts once the device was silent at least once (its
    // reboot) or this long after the file was sent: before, it may still be writing its flash.
    static constexpr qint64 kSettleMs = 10000;

    enum class Outcome { Updated, Unchanged, NoAnswer, NoRequest, BrokenOff, Refused, NotFollowed };

    struct Step
    {
        QStringList lines;
        bool askStatus = false;
        std::optional<Outcome> outcome; // set once: the follow-up has ended
    };

    // The server this program runs, if it does.
    struct OwnServer
    {
        bool running = false;
        quint16 port = 0;
        QStringList addresses; // this PC's own IPv4 addresses (loopback included)
    };

    // The order went out: the device is to fetch `orderedPath` (its file field) from
    // `address`:`port`. `version` is what the device last reported, if anything.
    Step start(const QString &address, quint16 port, const QString &orderedPath, const OwnServer &own,
               const std::optional<QString> &version, qint64 nowMs);
    bool active() const { return m_state != State::Idle; }
    // When to call due() next (only while active()).
    qint64 nextDueAt() const;
    Step due(qint64 nowMs);
    // A status answer showing `version` was decoded.
    Step statusAnswered(const QString &version, qint64 nowMs);
    // The server began to answer a request for `name`.
    void requested(const QString &name);
    Step transferEnded(const Transfer &transfer, qint64 nowMs);
    // The server refused a request from `peer` for `name` with `status` (a file that is not there,
    // a method it does not serve, a header that never ended): the request came, and why it failed
    // is said.
    Step refused(const QString &peer, const QString &name, int status, const QString &why);

    QString fileName() const { return m_name; }
    std::optional<QString> versionBefore() const { return m_before; }
    std::optional<QString> versionAfter() const { return m_after; }
    qint64 bytesSent() const { return m_sent; }
    qint64 size() const { return m_size; }
    // Why the request was refused (Outcome::Refused): status and reason.
    QString refusal() const { return m_refusal; }

private:
    enum class State { Idle, AwaitingRequest, Transferring, AwaitingAnswer };
    Step finish(Step step, Outcome outcome);

    State m_state = State::Idle;
    QString m_name;
    QString m_address;
    quint16 m_port = 0;
    QStringList m_ownAddresses;
    qint64 m_startedAt = 0;
    qint64 m_sentAt = 0;
    qint64 m_nextAsk = 0;
    bool m_asked = false;
    bool m_answeredSinceAsk = false;
    bool m_silenceSeen = false;
    std::optional<QString> m_before;
    std::optional<QString> m_after;
    qint64 m_sent = 0;
    qint64 m_size = 0;
    QString m_refusal;
};

} // namespace r5fw
