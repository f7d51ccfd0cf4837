#include "r5device/protocol/receivepath.h"

#include "r5device/protocol/answerwatch.h"
#include "r5device/protocol/codec.h"

using namespace Qt::StringLiterals;

namespace r5::protocol {

QString ReceivePath::overflowLine(int discarded)
{
    return u"RX Buffer Overflow!! ["_s + QString::number(discarded) + u"] bytes discarded."_s;
}

QList<RxAction> ReceivePath::feed(QByteArrayView bytes)
{
    QList<RxAction> actions;
    m_events.clear();
    m_receiver.feed(bytes, m_events);
    actions.reserve(m_events.size() * 4);
    for (const RxEvent &ev : std::as_const(m_events)) {
        if (ev.kind == RxEvent::Kind::Overflow)
            actions.append(rx::Log{overflowLine(ev.discarded)});
        else
            dispatch(ev.frame, actions);
    }
    return actions;
}

void ReceivePath::dispatch(const RxFrame &frame, QList<RxAction> &actions)
{
    actions.append(rx::Log{u"[EOT]"_s});
    const MessageRule rule = messageRule(frame.id());
    actions.append(rx::Answered{frame.id(), rule.kind != MessageKind::Unregistered});
    if (rule.kind == MessageKind::ReplyOnly) {
        // The reply carries nothing but its id; the words say what the device took.
        actions.append(rx::Log{texts::acknowledged(frame.id())});
        return;
    }
    if (rule.kind == MessageKind::Unregistered) {
        actions.append(rx::Log{u"Message ID:[0x"_s + byteText(frame.id()) + u"] is Unregistered."_s});
        actions.append(rx::Log{frame.rxLine()});
        actions.append(rx::SendStatusRequest{});
        return;
    }
    actions.append(rx::Log{frame.rxLine()});
    if (frame.frameClass() != FrameClass::Accepted)
        return;
    switch (rule.kind) {
    case MessageKind::Status:
        if (auto view = decodeStatus(frame.content))
            actions.append(rx::ShowStatus{std::make_shared<const StatusView>(std::move(*view))});
        break;
    case MessageKind::ApList: {
        const QByteArrayView text = responseText(frame.content);
        actions.append(rx::Log{resLine(text)});
        if (auto list = decodeApListText(text))
            actions.append(rx::ShowApList{std::move(*list)});
        actions.append(rx::EnableApGrid{});
        break;
    }
    case MessageKind::CurrentAp: {
        const QByteArrayView text = responseText(frame.content);
        actions.append(rx::Log{resLine(text)});
        actions.append(rx::ShowCurrentAp{decodeCurrentApText(text)});
        break;
    }
    case MessageKind::Rssi: {
        const QByteArrayView text = responseText(frame.content);
        actions.append(rx::Log{resLine(text)});
        actions.append(rx::ShowRssi{decodeRssiText(text)});
        break;
    }
    case MessageKind::ReplyOnly:
    case MessageKind::Unregistered:
        break;
    }
}

} // namespace r5::protocol
