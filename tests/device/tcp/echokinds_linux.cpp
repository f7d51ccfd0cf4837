#include "echokinds.h"
#include "r5device/tcp/icmpecho.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace disim::test {

namespace {
bool canOpen(int type)
{
    const int fd = ::socket(AF_INET, type, IPPROTO_ICMP);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}
} // namespace

QList<EchoKindRow> echoKindRows()
{
    const bool dgram = canOpen(SOCK_DGRAM);
    const bool raw = canOpen(SOCK_RAW);
    qInfo("ICMP datagram socket %s, raw socket %s", dgram ? "allowed" : "refused",
          raw ? "allowed" : "refused");
    return {{"datagram", IcmpEcho::Datagram, dgram},
            {"raw", IcmpEcho::Raw, raw},
            {"either", IcmpEcho::Datagram | IcmpEcho::Raw, dgram || raw}};
}

bool socketKindsApply()
{
    return true;
}

} // namespace disim::test
