#include "r5/protocol/decoders.h"

#include "r5/protocol/codec.h"

using namespace Qt::StringLiterals;

namespace r5::protocol {

namespace {

// Content offsets: content[0] is LEN, so a frame offset n is content[n - 1].
constexpr int kDeviceType = 3;
constexpr int kVersion = 4;
constexpr int kMac = 6;
constexpr int kIp = 12;
constexpr int kGateway = 16;
constexpr int kMask = 20;
constexpr int kServerPort = 24;
constexpr int kExpiry = 26;
constexpr int kProtocol = 27;
constexpr int kThroughput = 28;
constexpr int kCountMode = 40;
constexpr int kFlashInterval = 46;
constexpr int kFlashDelay = 48;
constexpr int kPayload = 3;

constexpr int kRecordSize = 52;

int byteAt(QByteArrayView content, int at)
{
    return std::uint8_t(content[at]);
}

int wordAt(QByteArrayView content, int at)
{
    return byteAt(content, at) * 256 + byteAt(content, at + 1);
}

QString cutText(QByteArrayView text, qsizetype from, qsizetype width)
{
    return mb::decode(mb::cut(text, from, width)).trimmed();
}

} // namespace

QString versionText(int major, int minor)
{
    return QString::number(major) + u'.' + QString::number(minor).rightJustified(2, u'0').left(2);
}

int signalQuality(int rssi)
{
    if (rssi <= -100)
        return 0;
    if (rssi >= -50)
        return 100;
    return 2 * (rssi + 100);
}

std::optional<StatusView> decodeStatus(QByteArrayView content)
{
    if (content.size() != kStatusContentCount)
        return std::nullopt;
    StatusView v;
    v.deviceName = byteAt(content, kDeviceType) == 1 ? u"R5200TX"_s : u"ETC"_s;
    v.version = versionText(byteAt(content, kVersion), byteAt(content, kVersion + 1));
    QStringList mac;
    for (int i = 0; i < 6; ++i)
        mac.append(byteText(std::uint8_t(content[kMac + i])));
    v.mac = mac.join(u':');
    for (int i = 0; i < 4; ++i) {
        v.ip[std::size_t(i)] = QString::number(byteAt(content, kIp + i));
        v.gateway[std::size_t(i)] = QString::number(byteAt(content, kGateway + i));
        v.mask[std::size_t(i)] = QString::number(byteAt(content, kMask + i));
    }
    v.serverPort = QString::number(wordAt(content, kServerPort));
    v.expiry = QString::number(byteAt(content, kExpiry));
    v.protocolItem = content[kProtocol] == 'N' ? 0 : 1;
    for (int i = 0; i < 5; ++i) {
        v.throughput[std::size_t(i)] = QString::number(wordAt(content, kThroughput + 2 * i));
        v.countModeItem[std::size_t(i)] = content[kCountMode + i] == 'F' ? 0 : 1;
    }
    v.flashInterval = QString::number(wordAt(content, kFlashInterval));
    v.flashDelay = QString::number(byteAt(content, kFlashDelay));
    return v;
}

QByteArray responseText(QByteArrayView content)
{
    if (content.size() <= kPayload)
        return {};
    QByteArrayView payload = content.sliced(kPayload);
    const qsizetype zero = payload.indexOf('\0');
    if (zero >= 0)
        payload = payload.first(zero);
    return payload.toByteArray();
}

QString resLine(QByteArrayView text)
{
    const QString decoded = mb::decode(text);
    return u"res["_s + QString::number(decoded.size()) + u"] = ["_s + decoded + u"]"_s;
}

QStringList ApEntry::cells() const
{
    if (!complete)
        return {number, ssid, channel};
    return {number, ssid, channel, rssi, quality, authMode};
}

std::optional<ApList> decodeApList(QByteArrayView content)
{
    const QByteArray text = responseText(content);
    if (text.isEmpty() || text[0] < '0' || text[0] > '9')
        return std::nullopt;
    ApList list;
    list.count = text[0] - '0';
    for (int i = 1; i <= list.count; ++i) {
        const qsizetype at = 1 + qsizetype(i - 1) * kRecordSize;
        ApEntry e;
        e.number = QString::number(i);
        e.ssid = cutText(text, at, 32);
        e.channel = cutText(text, at + 32, 4);
        const QString rssiText = cutText(text, at + 36, 4);
        const QString auth = cutText(text, at + 40, 12);
        const std::optional<int> rssi = decimalNumber(rssiText);
        if (!rssi) {
            e.complete = false;
            list.entries.append(e);
            list.stopped = true;
            break;
        }
        e.rssi = QString::number(*rssi);
        e.quality = QString::number(signalQuality(*rssi)) + u'%';
        e.authMode = auth;
        list.entries.append(e);
    }
    return list;
}

std::optional<CurrentAp> decodeCurrentAp(QByteArrayView content)
{
    if (content.size() != kCurrentApContentCount)
        return std::nullopt;
    const QByteArray text = responseText(content);
    return CurrentAp{cutText(text, 0, 32), cutText(text, 32, 16)};
}

std::optional<RssiReading> decodeRssi(QByteArrayView content)
{
    if (content.size() != kRssiContentCount)
        return std::nullopt;
    const QByteArray text = responseText(content);
    RssiReading r;
    r.ssid = cutText(text, 0, 32);
    r.rssiText = cutText(text, 32, 6);
    if (r.rssiText == u"NOINFO"_s) {
        r.signal = RssiReading::Signal::Disconnected;
    } else if (const std::optional<int> rssi = decimalNumber(r.rssiText)) {
        r.signal = RssiReading::Signal::Quality;
        r.quality = signalQuality(*rssi);
    }
    return r;
}

} // namespace r5::protocol
