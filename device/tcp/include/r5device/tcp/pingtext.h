#pragma once

#include <QString>
#include <QStringView>

namespace disim {

// The host name as it is resolved: spaces around it removed, at most 64 characters, and
// nothing after a NUL (the name travels as a C string).
QString pingHostName(QStringView typed);

QString pingReplyLine(const QString &from, int dataSize, int roundTripMs, int ttl);
QString pingNoAnswerLine(const QString &address);
// Repeats the target text as typed, not trimmed.
QString pingUnknownHostLine(const QString &typed);
// Listed when no ICMP socket may be opened here, with the reason.
QString pingNotPermittedLine(const QString &reason);
QString pingEndLine();

} // namespace disim
