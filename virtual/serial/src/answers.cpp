#include "virt/answers.h"

#include "virt/codec.h"

namespace virt::answers {

namespace {
constexpr int kMaxListedAps = 9;

void appendOctets(QByteArray &out, const std::array<std::uint8_t, 4> &octets)
{
    for (const std::uint8_t o : octets)
        out.append(char(o));
}
} // namespace

QByteArray status(const DeviceState &s)
{
    QByteArray p;
    p.reserve(46);
    p.append(char(s.deviceType));
    p.append(char(s.firmwareMajor));
    p.append(char(s.firmwareMinor));
    for (const std::uint8_t b : s.mac)
        p.append(char(b));
    appendOctets(p, s.ip);
    appendOctets(p, s.gateway);
    appendOctets(p, s.mask);
    p.append(wire::word(s.serverPort));
    p.append(char(s.expirySeconds));
    p.append(s.protocolMode);
    for (const std::uint16_t t : s.throughput)
        p.append(wire::word(t));
    // The DI block as the DI request writes it: two zero bytes after the times, 'F' after the
    // modes.
    p.append(wire::word(0));
    p.append(s.countMode.data(), qsizetype(s.countMode.size()));
    p.append('F');
    p.append(wire::word(s.flashInterval));
    p.append(char(s.flashDelay));
    return wire::answerFrame(wire::id::Status, p);
}

QByteArray apList(const DeviceState &s, std::optional<int> currentRssi)
{
    const qsizetype count = std::min<qsizetype>(kMaxListedAps, s.visibleAps.size());
    QByteArray p;
    p.append(char('0' + count));
    for (qsizetype i = 0; i < count; ++i) {
        const VisibleAp &ap = s.visibleAps[i];
        const int level = ap.ssid == s.apSsid ? currentRssi.value_or(ap.rssi) : ap.rssi;
        p.append(wire::padRight(ap.ssid, 32));
        p.append(wire::padRight(QString::number(ap.channel), 4));
        p.append(wire::padRight(QString::number(level), 4));
        p.append(wire::padRight(ap.auth, 12));
    }
    return wire::answerFrame(wire::id::SearchAp, p);
}

QByteArray currentAp(const DeviceState &s)
{
    const QByteArray payload =
        wire::padRight(s.apSsid, wire::kSsidWidth) + wire::padRight(s.apPassword, wire::kPasswordWidth);
    return wire::answerFrame(wire::id::CurrentAp, payload);
}

QByteArray rssi(const DeviceState &s, std::optional<int> level)
{
    const QByteArray text = level ? QByteArray::number(*level).rightJustified(6, ' ') : QByteArray("NOINFO");
    const QByteArray payload = wire::padRight(s.apSsid, wire::kSsidWidth) + text;
    return wire::answerFrame(wire::id::Rssi, payload);
}

QByteArray shortReply(std::uint8_t id)
{
    return wire::answerFrame(id);
}

QUrl firmwareUrl(QByteArrayView payload)
{
    QString path = wire::paddedField(payload, 6, wire::kFileNameWidth);
    if (!path.startsWith(u'/'))
        path.prepend(u'/');
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(wire::dotted(payload.sliced(0, 4)));
    url.setPort(wire::readWord(payload, 4));
    // The name is taken as it stands: '%', '?' or '#' in it are characters of the name.
    url.setPath(path, QUrl::DecodedMode);
    return url;
}

} // namespace virt::answers
