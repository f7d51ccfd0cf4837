#include "r5commission/devicefields.h"

#include "r5/csv.h"

#include <QJsonArray>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace r5commission {

namespace {

const QString kPassword = u"AP.Password"_s;

QString joined(const std::array<QString, 4> &octets)
{
    return QStringList(octets.begin(), octets.end()).join(u'.');
}

QString modeLetter(int item)
{
    return item == 0 ? u"N"_s : u"G"_s;
}

QString countLetter(int item)
{
    return item == 0 ? u"F"_s : u"R"_s;
}

QString masked(const QString &password)
{
    // A fixed mask: not even the length goes to the screen.
    return password.isEmpty() ? QString() : u"********"_s;
}

} // namespace

Fields deviceFields(const DeviceReading &reading)
{
    Fields f;
    if (const auto &s = reading.status) {
        f.insert(u"WAN.IP"_s, joined(s->ip));
        f.insert(u"WAN.Gateway"_s, joined(s->gateway));
        f.insert(u"WAN.Mask"_s, joined(s->mask));
        f.insert(u"Server.Port"_s, s->serverPort);
        f.insert(u"Server.Expire"_s, s->expiry);
        f.insert(u"Server.Mode"_s, modeLetter(s->protocolItem));
        for (int i = 0; i < 5; ++i) {
            f.insert(u"DI.Time"_s + QString::number(i + 1), s->throughput[std::size_t(i)]);
            f.insert(u"DI.Mode"_s + QString::number(i + 1), countLetter(s->countModeItem[std::size_t(i)]));
        }
    }
    if (reading.ap) {
        // The device pads the texts on the left, as the tool sends them.
        f.insert(u"AP.SSID"_s, reading.ap->ssid.trimmed());
        f.insert(kPassword, reading.ap->password.trimmed());
    }
    return f;
}

std::optional<int> rssiValue(const DeviceReading &reading)
{
    if (!reading.rssi || reading.rssi->signal != r5::protocol::RssiReading::Signal::Quality)
        return std::nullopt;
    bool ok = false;
    const int v = reading.rssi->rssiText.trimmed().toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

QStringList statusLines(const DeviceReading &reading)
{
    QStringList out;
    if (const auto &s = reading.status) {
        out << u"Device: "_s + s->deviceName << u"Firmware: "_s + s->version << u"MAC: "_s + s->mac
            << u"WAN IP: "_s + joined(s->ip) << u"WAN Gateway: "_s + joined(s->gateway)
            << u"WAN Mask: "_s + joined(s->mask) << u"Server Port: "_s + s->serverPort
            << u"Server Expire: "_s + s->expiry << u"Server Mode: "_s + modeLetter(s->protocolItem);
        for (int i = 0; i < 5; ++i) {
            out << u"DI%1 Time: %2"_s.arg(i + 1).arg(s->throughput[std::size_t(i)])
                << u"DI%1 Mode: %2"_s.arg(i + 1).arg(countLetter(s->countModeItem[std::size_t(i)]));
        }
        out << u"Flash Save Interval: "_s + s->flashInterval << u"Flash Save Delay: "_s + s->flashDelay;
    }
    if (reading.ap)
        out << u"AP SSID: "_s + reading.ap->ssid.trimmed();
    if (reading.rssi) {
        const auto &r = *reading.rssi;
        out << u"RSSI: "_s + r.rssiText.trimmed();
        if (r.signal == r5::protocol::RssiReading::Signal::Quality)
            out << u"Quality: %1%"_s.arg(r.quality);
        else if (r.signal == r5::protocol::RssiReading::Signal::Disconnected)
            out << u"Quality: Disconnected"_s;
    }
    return out;
}

QList<Comparison> compare(const Fields &wanted, const Fields &device)
{
    QList<Comparison> rows;
    for (const QString &key : profileKeys()) {
        if (!wanted.contains(key))
            continue;
        const QString w = wanted.value(key);
        const QString d = device.value(key);
        rows.append({key, w, d, device.contains(key) && w == d});
    }
    return rows;
}

bool allMatch(const QList<Comparison> &rows)
{
    return std::all_of(rows.cbegin(), rows.cend(), [](const Comparison &c) { return c.ok; });
}

QStringList comparisonTable(const QList<Comparison> &rows)
{
    QList<QStringList> cells{{u"field"_s, u"wanted"_s, u"device"_s, u"ok/DIFFERS"_s}};
    for (const Comparison &c : rows) {
        const bool secret = c.key == kPassword;
        cells.append({c.key, secret ? masked(c.wanted) : c.wanted, secret ? masked(c.device) : c.device,
                      c.ok ? u"ok"_s : u"DIFFERS"_s});
    }
    std::array<qsizetype, 3> width{};
    for (const QStringList &row : cells) {
        for (std::size_t i = 0; i < width.size(); ++i)
            width[i] = std::max(width[i], row[qsizetype(i)].size());
    }
    QStringList out;
    for (const QStringList &row : cells) {
        out.append(row[0].leftJustified(width[0]) + u" | "_s + row[1].leftJustified(width[1]) + u" | "_s +
                   row[2].leftJustified(width[2]) + u" | "_s + row[3]);
    }
    return out;
}

QString verdictText(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Ok:
        return u"OK"_s;
    case Verdict::Differs:
        return u"DIFFERS"_s;
    case Verdict::NoAnswer:
        return u"NO ANSWER"_s;
    case Verdict::Refused:
        return u"REFUSED"_s;
    }
    return {};
}

QStringList recordHeader()
{
    QStringList h{u"Time"_s, u"MAC"_s, u"Device"_s, u"Firmware"_s};
    for (const QString &key : profileKeys()) {
        if (key != kPassword)
            h.append(key);
    }
    h << u"RSSI"_s << u"Verdict"_s << u"Profile"_s << u"Label"_s;
    return h;
}

QStringList recordRow(const QDateTime &time, const DeviceReading &reading, Verdict verdict,
                      const QString &profileName, const QString &label)
{
    const Fields device = deviceFields(reading);
    QStringList row{time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODate)};
    row << (reading.status ? reading.status->mac : QString())
        << (reading.status ? reading.status->deviceName : QString())
        << (reading.status ? reading.status->version : QString());
    for (const QString &key : profileKeys()) {
        if (key != kPassword)
            row.append(device.value(key));
    }
    const auto rssi = rssiValue(reading);
    row << (rssi ? QString::number(*rssi) : QString()) << verdictText(verdict) << profileName << label;
    return row;
}

QByteArray recordBytes(bool fileEmpty, const QDateTime &time, const DeviceReading &reading, Verdict verdict,
                       const QString &profileName, const QString &label)
{
    QByteArray bytes;
    if (fileEmpty)
        bytes += r5::csv::line(recordHeader());
    bytes += r5::csv::line(recordRow(time, reading, verdict, profileName, label));
    return bytes;
}

QJsonObject readingJson(const DeviceReading &reading)
{
    QJsonObject o;
    for (const char *key : {"device", "firmware", "mac", "wan", "server", "di", "flash", "ap"})
        o.insert(QLatin1StringView(key), QJsonValue());
    if (const auto &s = reading.status) {
        o.insert(u"device"_s, s->deviceName);
        o.insert(u"firmware"_s, s->version);
        o.insert(u"mac"_s, s->mac);
        o.insert(u"wan"_s, QJsonObject{{u"ip"_s, joined(s->ip)},
                                       {u"gateway"_s, joined(s->gateway)},
                                       {u"mask"_s, joined(s->mask)}});
        o.insert(u"server"_s, QJsonObject{{u"port"_s, s->serverPort.toInt()},
                                          {u"expire"_s, s->expiry.toInt()},
                                          {u"mode"_s, modeLetter(s->protocolItem)}});
        QJsonArray di;
        for (int i = 0; i < 5; ++i)
            di.append(QJsonObject{{u"time"_s, s->throughput[std::size_t(i)].toInt()},
                                  {u"mode"_s, countLetter(s->countModeItem[std::size_t(i)])}});
        o.insert(u"di"_s, di);
        o.insert(u"flash"_s,
                 QJsonObject{{u"interval"_s, s->flashInterval.toInt()}, {u"delay"_s, s->flashDelay.toInt()}});
    }
    if (reading.ap)
        o.insert(u"ap"_s, QJsonObject{{u"ssid"_s, reading.ap->ssid.trimmed()}});
    const auto rssi = rssiValue(reading);
    o.insert(u"rssi"_s, rssi ? QJsonValue(*rssi) : QJsonValue());
    o.insert(u"quality"_s, rssi ? QJsonValue(reading.rssi->quality) : QJsonValue());
    return o;
}

QJsonArray comparisonJson(const QList<Comparison> &rows)
{
    QJsonArray out;
    for (const Comparison &c : rows) {
        const bool secret = c.key == kPassword;
        out.append(QJsonObject{{u"field"_s, c.key},
                               {u"wanted"_s, secret ? masked(c.wanted) : c.wanted},
                               {u"device"_s, secret ? masked(c.device) : c.device},
                               {u"ok"_s, c.ok}});
    }
    return out;
}

} // namespace r5commission
