#pragma once

#include "r5device/tcp/report.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringView>
#include <optional>

// What a network scan looks at and what it found, without sockets.
namespace r5site {

struct AddressRange
{
    quint32 first = 0; // IPv4, host order
    quint32 last = 0;
    qint64 count() const { return qint64(last) - qint64(first) + 1; }
};

struct ParsedRange
{
    std::optional<AddressRange> range;
    QString error; // for the user, when range is empty
};

// At most a /16 (65536 addresses).
inline constexpr qint64 kMaxScanAddresses = 65536;

// "ADDRESS/PREFIX" (prefix 16 to 32; a /30 or wider leaves out its network and broadcast
// addresses) or "FIRST-LAST" (inclusive, FIRST not after LAST, at most 65536 addresses).
ParsedRange parseRange(QStringView text);

QString dotted(quint32 address);

struct ScanHit
{
    QString address;
    quint16 port = 0;
    disim::Report report;
};

// {"range", "port", "scanned", "found", "devices": [{address, port, inputs, outputs, counters}]}.
QJsonObject scanJson(const QString &range, quint16 port, qint64 scanned, const QList<ScanHit> &hits);

// A site list of the hits: Address, Port, Label, MAC (label and MAC empty: the status report
// carries neither), every cell through r5::csv.
QByteArray scanCsv(const QList<ScanHit> &hits);

} // namespace r5site
