#include "r5site/scanrange.h"

#include "r5/csv.h"

#include <QJsonArray>

using namespace Qt::StringLiterals;

namespace r5site {

namespace {

std::optional<quint32> ipv4(QStringView text)
{
    const auto parts = text.trimmed().split(u'.');
    if (parts.size() != 4)
        return std::nullopt;
    quint32 value = 0;
    for (const QStringView p : parts) {
        bool ok = false;
        const uint v = p.toUInt(&ok);
        if (!ok || p.size() > 3 || v > 255)
            return std::nullopt;
        value = (value << 8) | v;
    }
    return value;
}

QString inputsOf(const disim::Report &r)
{
    return QString(r.inputs.data(), qsizetype(r.inputs.size()));
}

} // namespace

QString dotted(quint32 a)
{
    return u"%1.%2.%3.%4"_s.arg(a >> 24).arg((a >> 16) & 0xFF).arg((a >> 8) & 0xFF).arg(a & 0xFF);
}

ParsedRange parseRange(QStringView text)
{
    const auto bad = [&text](const QString &why) {
        return ParsedRange{std::nullopt, u"\"%1\": %2"_s.arg(text.toString(), why)};
    };
    const QString form = u"give ADDRESS/PREFIX (192.168.0.0/24) or FIRST-LAST (192.168.0.10-192.168.0.60)"_s;
    if (const qsizetype slash = text.indexOf(u'/'); slash >= 0) {
        const auto base = ipv4(text.left(slash));
        bool ok = false;
        const uint prefix = text.mid(slash + 1).toUInt(&ok);
        if (!base || !ok || prefix > 32)
            return bad(form);
        if (prefix < 16)
            return bad(u"a /%1 is more than a /16 (65536 addresses), the most a scan takes"_s.arg(prefix));
        const quint32 mask = prefix == 0 ? 0 : ~quint32(0) << (32 - prefix);
        AddressRange r{*base & mask, (*base & mask) | ~mask};
        // The network and broadcast addresses of a subnet are no device's.
        if (prefix <= 30) {
            ++r.first;
            --r.last;
        }
        return {r, {}};
    }
    const qsizetype dash = text.indexOf(u'-');
    if (dash < 0)
        return bad(form);
    const auto first = ipv4(text.left(dash));
    const auto last = ipv4(text.mid(dash + 1));
    if (!first || !last)
        return bad(form);
    if (*first > *last)
        return bad(u"the first address comes after the last"_s);
    const AddressRange r{*first, *last};
    if (r.count() > kMaxScanAddresses)
        return bad(u"%1 addresses are more than a /16 (65536), the most a scan takes"_s.arg(r.count()));
    return {r, {}};
}

QJsonObject scanJson(const QString &range, quint16 port, qint64 scanned, const QList<ScanHit> &hits)
{
    QJsonArray devices;
    for (const ScanHit &h : hits) {
        QJsonArray counters;
        for (const std::uint32_t v : h.report.counters)
            counters.append(qint64(v));
        devices.append(
            QJsonObject{{u"address"_s, h.address},
                        {u"port"_s, int(h.port)},
                        {u"inputs"_s, inputsOf(h.report)},
                        {u"outputs"_s, QString(h.report.outputs.data(), qsizetype(h.report.outputs.size()))},
                        {u"counters"_s, counters}});
    }
    return QJsonObject{{u"range"_s, range},
                       {u"port"_s, int(port)},
                       {u"scanned"_s, scanned},
                       {u"found"_s, int(hits.size())},
                       {u"devices"_s, devices}};
}

QByteArray scanCsv(const QList<ScanHit> &hits)
{
    QByteArray out = r5::csv::line({u"Address"_s, u"Port"_s, u"Label"_s, u"MAC"_s});
    for (const ScanHit &h : hits)
        out += r5::csv::line({h.address, QString::number(h.port), QString(), QString()});
    return out;
}

} // namespace r5site
