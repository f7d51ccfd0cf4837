#include "echokinds.h"
#include "r5device/tcp/icmpecho.h"

namespace disim::test {

// The ICMP service needs no administrator rights. Under Wine it sends through a Linux ICMP
// socket, so there it answers only where that socket is allowed (root, CAP_NET_RAW or
// net.ipv4.ping_group_range).
QList<EchoKindRow> echoKindRows()
{
    return {{"ICMP service", IcmpEcho::Datagram | IcmpEcho::Raw, true}};
}

bool socketKindsApply()
{
    return false;
}

} // namespace disim::test
