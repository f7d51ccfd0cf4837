#pragma once

#include <QList>
#include <QString>

namespace disim::test {

struct EchoKindRow
{
    const char *name;
    int kinds; // IcmpEcho::SocketKinds
    bool permitted;
};

// The ways this system's echo can be asked for, each with whether the system permits it here
// (echokinds_<platform>.cpp): Linux's ICMP socket kinds, or Windows' one ICMP service.
QList<EchoKindRow> echoKindRows();
// Whether the socket kinds choose anything (not on Windows, whose ICMP service needs none).
bool socketKindsApply();

} // namespace disim::test
