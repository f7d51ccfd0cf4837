// clang-format off
// Winsock must come before anything that includes windows.h.
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>
// clang-format on

#include "r5device/tcp/icmpecho.h"

#include <QPointer>
#include <QWinEventNotifier>
#include <QtEndian>

namespace disim {

namespace {
// The reply buffer size the tool has always used; it holds one reply to an empty request and the
// status block an asynchronous request needs.
constexpr DWORD kReplySize = 157;
static_assert(kReplySize >= sizeof(ICMP_ECHO_REPLY) + 8 + 2 * sizeof(void *));

// One IcmpSendEcho2 under way. The system writes its reply buffer until the event is set, so the
// request lives until then, also when the echo that sent it was cancelled or destroyed (at most
// the time-out; one still under way when the program ends is left to the system).
class PendingEcho : public QObject
{
public:
    PendingEcho(HANDLE icmp, HANDLE event) : m_icmp(icmp), m_event(event), m_notifier(event, this) {}
    ~PendingEcho() override
    {
        m_notifier.setEnabled(false);
        ::IcmpCloseHandle(m_icmp);
        ::CloseHandle(m_event);
    }

    HANDLE m_icmp;
    HANDLE m_event;
    QWinEventNotifier m_notifier;
    alignas(8) char m_reply[kReplySize] = {};
};

EchoResult parseReply(void *buffer, quint32 target)
{
    EchoResult r;
    r.status = EchoResult::Status::NoAnswer;
    if (::IcmpParseReplies(buffer, kReplySize) == 0)
        return r;
    const auto *reply = static_cast<const ICMP_ECHO_REPLY *>(buffer);
    const quint32 from = qFromBigEndian(quint32(reply->Address));
    // Only the echo itself counts, as on Linux: an "unreachable" from a router is no answer.
    if (reply->Status != IP_SUCCESS || from != target)
        return r;
    r.status = EchoResult::Status::Reply;
    r.from = QHostAddress(from);
    r.dataSize = reply->DataSize;
    r.roundTripMs = int(reply->RoundTripTime);
    r.ttl = reply->Options.Ttl;
    return r;
}
} // namespace

struct IcmpEcho::Platform
{
    QPointer<PendingEcho> pending;
};

IcmpEcho::Platform *IcmpEcho::newPlatform()
{
    return new Platform;
}

void IcmpEcho::deletePlatform(Platform *platform)
{
    delete platform;
}

bool IcmpEcho::sendRequest(QString &reason)
{
    const HANDLE icmp = ::IcmpCreateFile();
    if (icmp == INVALID_HANDLE_VALUE) {
        reason = u"IcmpCreateFile: " + qt_error_string(int(::GetLastError()));
        return false;
    }
    const HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!event) {
        reason = u"CreateEvent: " + qt_error_string(int(::GetLastError()));
        ::IcmpCloseHandle(icmp);
        return false;
    }
    auto *pending = new PendingEcho(icmp, event);
    m_platform->pending = pending;
    const quint32 target = m_target.toIPv4Address();
    connect(&pending->m_notifier, &QWinEventNotifier::activated, this, [this, pending, target] {
        if (m_platform->pending == pending)
            finish(parseReply(pending->m_reply, target));
    });
    connect(&pending->m_notifier, &QWinEventNotifier::activated, pending, [pending] {
        pending->m_notifier.setEnabled(false);
        pending->deleteLater();
    });
    IP_OPTION_INFORMATION options{};
    options.Ttl = 255;
    char noData = 0;
    const DWORD sent = ::IcmpSendEcho2(icmp, event, nullptr, nullptr, qToBigEndian(target), &noData, 0,
                                       &options, pending->m_reply, kReplySize, DWORD(kTimeoutMs));
    if (sent != 0 || ::GetLastError() != ERROR_IO_PENDING) {
        // Answered at once, or failed at once (unreachable network and the like): the system
        // holds nothing more.
        EchoResult r;
        if (sent != 0)
            r = parseReply(pending->m_reply, target);
        else
            r.status = EchoResult::Status::NoAnswer;
        m_platform->pending = nullptr;
        delete pending;
        finishLater(r);
    }
    return true;
}

void IcmpEcho::dropRequest()
{
    // A request under way is left to end by itself; its reply no longer reaches this echo.
    m_platform->pending = nullptr;
}

} // namespace disim
