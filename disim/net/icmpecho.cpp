#include "net/icmpecho.h"

#include "core/icmp.h"

#include <QRandomGenerator>
#include <QSocketNotifier>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace disim {

namespace {
QString errnoText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

int openIcmp(int type)
{
    return ::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP);
}
} // namespace

IcmpEcho::IcmpEcho(SocketKinds kinds, QObject *parent)
    : Echo(parent), m_kinds(kinds), m_id(quint16(QRandomGenerator::global()->generate()))
{
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(kTimeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        EchoResult r;
        r.status = EchoResult::Status::NoAnswer;
        finish(r);
    });
}

IcmpEcho::~IcmpEcho()
{
    closeSocket();
}

bool IcmpEcho::openSocket(QString &reason)
{
    struct Kind
    {
        SocketKind flag;
        int type;
        QString name;
    };
    const Kind kinds[] = {{Datagram, SOCK_DGRAM, u"datagram socket: "_s}, {Raw, SOCK_RAW, u"raw socket: "_s}};
    QStringList refused;
    for (const Kind &k : kinds) {
        if (!m_kinds.testFlag(k.flag))
            continue;
        m_fd = openIcmp(k.type);
        if (m_fd >= 0) {
            m_raw = k.type == SOCK_RAW;
            return true;
        }
        refused << k.name + errnoText(errno);
    }
    reason = refused.isEmpty() ? u"no socket kind allowed"_s : refused.join(u"; "_s);
    return false;
}

void IcmpEcho::start(const QHostAddress &target)
{
    cancel();
    m_active = true;
    m_target = target;
    QString reason;
    if (!openSocket(reason)) {
        EchoResult r;
        r.status = EchoResult::Status::NotPermitted;
        r.reason = reason;
        finishLater(r);
        return;
    }
    const int ttl = 255;
    ::setsockopt(m_fd, IPPROTO_IP, IP_TTL, &ttl, sizeof ttl);
    if (!m_raw) {
        const int on = 1;
        ::setsockopt(m_fd, IPPROTO_IP, IP_RECVTTL, &on, sizeof on);
    }
    m_notifier = new QSocketNotifier(qintptr(m_fd), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &IcmpEcho::readReplies);

    ++m_sequence;
    // A datagram socket puts its own identifier in; replies to it reach only this socket.
    const QByteArray request = icmp::echoRequest(m_id, m_sequence);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(target.toIPv4Address());
    m_elapsed.start();
    m_timeout.start();
    const auto n = ::sendto(m_fd, request.constData(), size_t(request.size()), 0,
                            reinterpret_cast<const sockaddr *>(&to), sizeof to);
    if (n != request.size()) {
        // Unreachable network and the like: no reply can come.
        EchoResult r;
        r.status = EchoResult::Status::NoAnswer;
        finishLater(r);
    }
}

void IcmpEcho::readReplies()
{
    for (;;) {
        char buffer[1500];
        char control[256];
        sockaddr_in from{};
        iovec iov{buffer, sizeof buffer};
        msghdr msg{};
        msg.msg_name = &from;
        msg.msg_namelen = sizeof from;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        const auto n = ::recvmsg(m_fd, &msg, 0);
        if (n < 0)
            return; // drained (EAGAIN) or a transient error: the time-out still ends the attempt
        const auto reply = icmp::parseEchoReply(QByteArrayView(buffer, n), m_raw);
        if (!reply || reply->sequence != m_sequence || (m_raw && reply->id != m_id) ||
            ntohl(from.sin_addr.s_addr) != m_target.toIPv4Address())
            continue;
        EchoResult r;
        r.status = EchoResult::Status::Reply;
        r.from = QHostAddress(quint32(ntohl(from.sin_addr.s_addr)));
        r.dataSize = reply->dataSize;
        r.roundTripMs = int(m_elapsed.elapsed());
        r.ttl = reply->ttl;
        for (cmsghdr *c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
            if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_TTL) {
                int ttl = 0;
                std::memcpy(&ttl, CMSG_DATA(c), sizeof ttl);
                r.ttl = ttl;
            }
        }
        finish(r);
        return;
    }
}

void IcmpEcho::finish(const EchoResult &result)
{
    if (!m_active)
        return;
    m_active = false;
    closeSocket();
    Q_EMIT finished(result);
}

void IcmpEcho::finishLater(const EchoResult &result)
{
    const quint64 attempt = m_attempt;
    QTimer::singleShot(0, this, [this, attempt, result] {
        if (attempt == m_attempt)
            finish(result);
    });
}

void IcmpEcho::cancel()
{
    ++m_attempt;
    m_active = false;
    closeSocket();
}

void IcmpEcho::closeSocket()
{
    m_timeout.stop();
    delete m_notifier;
    m_notifier = nullptr;
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace disim
