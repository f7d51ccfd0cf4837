#pragma once

#include "r5/appendfile.h"
#include "r5/clock.h"
#include "r5device/protocol/receivepath.h"
#include "r5device/protocol/receiver.h"
#include "r5device/seriallink.h"

#include <QList>
#include <QString>
#include <QTextStream>

namespace r5cli {

// The day's log file in the setup program's form, in the working folder's Log/. A file that
// cannot be written is said once on stderr, until it can be again.
class DayLog
{
public:
    DayLog(r5::Clock &clock, QTextStream &err) : m_clock(clock), m_err(err) {}

    void setFolder(const QString &folder) { m_folder = folder; }
    const QString &folder() const { return m_folder; }
    void write(const QString &message);

private:
    r5::Clock &m_clock;
    QTextStream &m_err;
    r5::AppendFile m_file;
    QString m_folder = QStringLiteral(".");
    bool m_failed = false;
};

// Reads what the link holds until it is empty or `stop()` says so, and hands each frame of what
// was read with its actions to `onFrame`; a full receive hold is logged as the window logs it.
template <typename Stop, typename OnFrame>
void readFrames(r5setup::SerialLink &link, r5::protocol::FrameReceiver &receiver, DayLog &log, Stop stop,
                OnFrame onFrame)
{
    namespace proto = r5::protocol;
    QList<proto::RxEvent> events;
    while (!stop() && link.bytesAvailable() > 0) {
        events.clear();
        receiver.feed(link.read(proto::ReceivePath::kReadBufferSize), events);
        for (const proto::RxEvent &ev : std::as_const(events)) {
            if (ev.kind == proto::RxEvent::Kind::Overflow) {
                log.write(proto::ReceivePath::overflowLine(ev.discarded));
                continue;
            }
            QList<proto::RxAction> actions;
            proto::ReceivePath::dispatch(ev.frame, actions);
            onFrame(ev.frame, actions);
        }
    }
}

} // namespace r5cli
