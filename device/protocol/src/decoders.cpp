#include "r5device/protocol/decoders.h"

#include "r5device/protocol/codec.h"
#include "r5device/protocol/frame.h"

#include <vector>

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

// Decimal texts of the numbers the device reports most (bytes, RSSI values, throughput times
// up to 2550) are made once and shared; decoding a frame then hardly allocates.
constexpr int kFirstCached = -128;
constexpr int kLastCached = 2550;

const QString &numberText(int n)
{
    static const std::vector<QString> texts = [] {
        std::vector<QString> t;
        t.reserve(kLastCached - kFirstCached + 1);
        for (int i = kFirstCached; i <= kLastCached; ++i)
            t.push_back(QString::number(i));
        return t;
    }();
    return texts[std::size_t(n - kFirstCached)];
}

QString number(int n)
{
    return n >= kFirstCached && n <= kLastCached ? numberText(n) : QString::number(n);
}

const QString &percentText(int quality)
{
    static const std::array<QString, 101> texts = [] {
        std::array<QString, 101> t;
        for (int i = 0; i <= 100; ++i)
            t[std::size_t(i)] = QString::number(i) + u'%';
        return t;
    }();
    return texts[std::size_t(quality)];
}

const QString &byteNumber(std::uint8_t b)
{
    return numberText(b);
}

int byteAt(QByteArrayView content, int at)
{
    return std::uint8_t(content[at]);
}

int wordAt(QByteArrayView content, int at)
{
    return byteAt(content, at) * 256 + byteAt(content, at + 1);
}

// Cut by bytes, then trimmed of spaces and control bytes before it becomes text, as the
// device pads with spaces.
QByteArrayView cutBytes(QByteArrayView text, qsizetype from, qsizetype width)
{
    QByteArrayView field = mb::cut(text, from, width);
    while (!field.isEmpty() && std::uint8_t(field.front()) <= 0x20)
        field = field.sliced(1);
    while (!field.isEmpty() && std::uint8_t(field.back()) <= 0x20)
        field.chop(1);
    return field;
}

QString cutText(QByteArrayView text, qsizetype from, qsizetype width)
{
    return mb::decode(cutBytes(text, from, width));
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
    v.mac = frameDump(content.sliced(kMac, 6)).replace(u'.', u':');
    v.mac.chop(1);
    for (int i = 0; i < 4; ++i) {
        v.ip[std::size_t(i)] = byteNumber(std::uint8_t(content[kIp + i]));
        v.gateway[std::size_t(i)] = byteNumber(std::uint8_t(content[kGateway + i]));
        v.mask[std::size_t(i)] = byteNumber(std::uint8_t(content[kMask + i]));
    }
    v.serverPort = number(wordAt(content, kServerPort));
    v.expiry = byteNumber(std::uint8_t(content[kExpiry]));
    v.protocolItem = content[kProtocol] == 'N' ? 0 : 1;
    for (int i = 0; i < 5; ++i) {
        v.throughput[std::size_t(i)] = number(wordAt(content, kThroughput + 2 * i));
        v.countModeItem[std::size_t(i)] = content[kCountMode + i] == 'F' ? 0 : 1;
    }
    v.flashInterval = number(wordAt(content, kFlashInterval));
    v.flashDelay = byteNumber(std::uint8_t(content[kFlashDelay]));
    return v;
}

QByteArrayView responseText(QByteArrayView content)
{
    if (content.size() <= kPayload)
        return {};
    QByteArrayView payload = content.sliced(kPayload);
    const qsizetype zero = payload.indexOf('\0');
    if (zero >= 0)
        payload = payload.first(zero);
    return payload;
}

namespace {

QString visibleText(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const QChar::Category category = c.category();
        const bool bidi = (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
        if (category != QChar::Other_Control && category != QChar::Separator_Line &&
            category != QChar::Separator_Paragraph && !bidi) {
            out.append(c);
        } else if (u == u'\r') {
            out.append(u"\\r"_s);
        } else if (u == u'\n') {
            out.append(u"\\n"_s);
        } else if (u == u'\t') {
            out.append(u"\\t"_s);
        } else if (u < 0x100) {
            out.append(u"\\x"_s + QString::number(u, 16).toUpper().rightJustified(2, u'0'));
        } else {
            out.append(u"\\u"_s + QString::number(u, 16).toUpper().rightJustified(4, u'0'));
        }
    }
    return out;
}

} // namespace

QString resLine(QByteArrayView text)
{
    const QString decoded = mb::decode(text);
    return u"res["_s + number(int(decoded.size())) + u"] = ["_s + visibleText(decoded) + u"]"_s;
}

QStringList ApEntry::cells() const
{
    if (!complete)
        return {number, ssid, channel};
    return {number, ssid, channel, rssi, quality, authMode};
}

std::optional<ApList> decodeApList(QByteArrayView content)
{
    return decodeApListText(responseText(content));
}

std::optional<ApList> decodeApListText(QByteArrayView text)
{
    if (text.isEmpty() || text[0] < '0' || text[0] > '9')
        return std::nullopt;
    ApList list;
    list.count = text[0] - '0';
    for (int i = 1; i <= list.count; ++i) {
        const qsizetype at = 1 + qsizetype(i - 1) * kRecordSize;
        ApEntry e;
        e.number = numberText(i);
        e.ssidBytes = cutBytes(text, at, 32).toByteArray();
        e.ssid = mb::decode(e.ssidBytes);
        e.channel = cutText(text, at + 32, 4);
        const QString rssiText = cutText(text, at + 36, 4);
        const QString auth = cutText(text, at + 40, 12);
        const std::optional<int> rssi = decimalNumber(rssiText);
        if (!rssi) {
            e.complete = false;
            list.entries.append(std::move(e));
            list.stopped = true;
            break;
        }
        e.rssi = number(*rssi);
        e.quality = percentText(signalQuality(*rssi));
        e.authMode = auth;
        list.entries.append(std::move(e));
    }
    return list;
}

std::optional<CurrentAp> decodeCurrentAp(QByteArrayView content)
{
    if (content.size() != kCurrentApContentCount)
        return std::nullopt;
    return decodeCurrentApText(responseText(content));
}

CurrentAp decodeCurrentApText(QByteArrayView text)
{
    return CurrentAp{cutText(text, 0, 32), cutText(text, 32, 16)};
}

std::optional<RssiReading> decodeRssi(QByteArrayView content)
{
    if (content.size() != kRssiContentCount)
        return std::nullopt;
    return decodeRssiText(responseText(content));
}

RssiReading decodeRssiText(QByteArrayView text)
{
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
