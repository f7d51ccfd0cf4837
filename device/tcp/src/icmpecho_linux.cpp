#include "r5device/tcp/icmp.h"
#include "r5device/tcp/icmpecho.h"

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

struct IcmpEcho::Platform
{
    int fd = -1;
    bool raw = false;
    QSocketNotifier *notifier = nullptr;
    quint16 id = quint16(QRandomGenerator::global()->generate());
    quint16 sequence = 0;
};

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
    Platform &p = *m_platform;
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
        p.fd = openIcmp(k.type);
        if (p.fd >= 0) {
            p.raw = k.type == SOCK_RAW;
            break;
        }
        refused << k.name + errnoText(errno);
    }
    if (p.fd < 0) {
        reason = refused.isEmpty() ? u"no socket kind allowed"_s : refused.join(u"; "_s);
        return false;
    }
    const int ttl = 255;
    ::setsockopt(p.fd, IPPROTO_IP, IP_TTL, &ttl, sizeof ttl);
    if (!p.raw) {
        const int on = 1;
        ::setsockopt(p.fd, IPPROTO_IP, IP_RECVTTL, &on, sizeof on);
    }
    p.notifier = new QSocketNotifier(qintptr(p.fd), QSocketNotifier::Read, this);
    connect(p.notifier, &QSocketNotifier::activated, this, [this] {
        for (;;) {
            Platform &q = *m_platform;
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
            const auto n = ::recvmsg(q.fd, &msg, 0);
            if (n < 0)
                return; // drained (EAGAIN) or a transient error: the time-out still ends the attempt
            const auto reply = icmp::parseEchoReply(QByteArrayView(buffer, n), q.raw);
            if (!reply || reply->sequence != q.sequence || (q.raw && reply->id != q.id) ||
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
                    int replyTtl = 0;
                    std::memcpy(&replyTtl, CMSG_DATA(c), sizeof replyTtl);
                    r.ttl = replyTtl;
                }
            }
            finish(r);
            return;
        }
    });

    ++p.sequence;
    // A datagram socket puts its own identifier in; replies to it reach only this socket.
    const QByteArray request = icmp::echoRequest(p.id, p.sequence);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(m_target.toIPv4Address());
    const auto n = ::sendto(p.fd, request.constData(), size_t(request.size()), 0,
                            reinterpret_cast<const sockaddr *>(&to), sizeof to);
    if (n != request.size()) {
        // Unreachable network and the like: no reply can come.
        EchoResult r;
        r.status = EchoResult::Status::NoAnswer;
        finishLater(r);
    }
    return true;
}

void IcmpEcho::dropRequest()
{
    Platform &p = *m_platform;
    delete p.notifier;
    p.notifier = nullptr;
    if (p.fd >= 0) {
        ::close(p.fd);
        p.fd = -1;
    }
}

} // namespace disim
