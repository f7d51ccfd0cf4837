#pragma once

#include "r5device/protocol/decoders.h"
#include "r5device/protocol/receiver.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <memory>
#include <variant>

// What the window does with received bytes, worked out without the window: the receiver, the
// dispatch by id and the decoders turn a chunk into a list of steps that the window carries
// out in order.
namespace r5::protocol {

namespace rx {
// Log this line (the logger adds the time).
struct Log
{
    QString text;
};
// Set `StatusQueried`, write the view into page 0 and the flash fields, enable
// `Panel_Info_Default`, `Panel_Info_Wan`, `Panel_Info_Server` and `Panel_Info_Di`.
struct ShowStatus
{
    // Shared, so the list of steps stays small: most steps are log lines.
    std::shared_ptr<const StatusView> view;
};
// Write the entries into `APList_Grid` from row 1 (rows beyond the grid are not shown).
struct ShowApList
{
    ApList list;
};
// Enable `APList_Grid`.
struct EnableApGrid
{
};
// Write `Edit_Current_SSID` and `Edit_Current_Pw`.
struct ShowCurrentAp
{
    CurrentAp ap;
};
// Write `Edit_Current_SSID`, `Edit_Current_RSSI` and, as the reading says, the quality displays.
struct ShowRssi
{
    RssiReading reading;
};
// Run the current-status query (`Btn_CurrentStatusClick`), with all its logging.
struct SendStatusRequest
{
};
// A frame with this id came in: the device answered (see AnswerWatch).
struct Answered
{
    std::uint8_t id;
    bool registered;
};
} // namespace rx

using RxAction = std::variant<rx::Log, rx::ShowStatus, rx::ShowApList, rx::EnableApGrid, rx::ShowCurrentAp,
                              rx::ShowRssi, rx::SendStatusRequest, rx::Answered>;

class ReceivePath
{
public:
    // The most the window reads from the port in one go.
    static constexpr qsizetype kReadBufferSize = 8192;

    // The steps for `bytes`, in order. Frames may be split across calls in any way.
    QList<RxAction> feed(QByteArrayView bytes);

    // The steps for one completed frame.
    static void dispatch(const RxFrame &frame, QList<RxAction> &actions);

    // The line logged when the hold overflows.
    static QString overflowLine(int discarded);

    const FrameReceiver &receiver() const { return m_receiver; }

private:
    FrameReceiver m_receiver;
    QList<RxEvent> m_events;
};

} // namespace r5::protocol
