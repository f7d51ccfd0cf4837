#include "r5device/tcp/pingtext.h"

using namespace Qt::StringLiterals;

namespace disim {

QString pingHostName(QStringView typed)
{
    qsizetype from = 0;
    qsizetype to = typed.size();
    while (from < to && typed[from] == u' ')
        ++from;
    while (to > from && typed[to - 1] == u' ')
        --to;
    QStringView name = typed.mid(from, to - from).left(64);
    if (const qsizetype nul = name.indexOf(QChar(0)); nul >= 0)
        name = name.left(nul);
    return name.toString();
}

QString pingReplyLine(const QString &from, int dataSize, int roundTripMs, int ttl)
{
    return u"Reply From "_s + from + u": Bytes="_s + QString::number(dataSize) + u" Time="_s +
           QString::number(roundTripMs) + u"ms TTL="_s + QString::number(ttl);
}

QString pingNoAnswerLine(const QString &address)
{
    return u"No answer from "_s + address;
}

QString pingUnknownHostLine(const QString &typed)
{
    return u"Ping: Unknown Host "_s + typed;
}

QString pingNotPermittedLine(const QString &reason)
{
    return u"Ping: no ICMP socket permitted ("_s + reason +
           u"); allow this user's group in net.ipv4.ping_group_range or grant CAP_NET_RAW"_s;
}

QString pingEndLine()
{
    return u"Ping Test End~!!"_s;
}

} // namespace disim
