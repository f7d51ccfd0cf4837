#include "virt/devicemodel.h"

#include "virt/answers.h"
#include "virt/codec.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace virt {

namespace {

QString modeText(char mode)
{
    return QString(QLatin1Char(mode));
}

// Payload size each request carries; -1 where any size is taken.
int payloadSize(std::uint8_t id)
{
    switch (id) {
    case wire::id::SetAp:
        return wire::kSsidWidth + wire::kPasswordWidth;
    case wire::id::Wan:
        return 12;
    case wire::id::Server:
        return 4;
    case wire::id::Di:
        return 18;
    case wire::id::FactoryReset:
        return 1;
    case wire::id::FlashSave:
        return 3;
    case wire::id::FirmwareDownload:
        return 6 + wire::kFileNameWidth;
    default:
        return -1;
    }
}

} // namespace

DeviceModel::DeviceModel(const DeviceState &state, QObject *parent)
    : QObject(parent), m_state(state), m_portInUse(state.serverPort), m_modeInUse(state.protocolMode),
      m_expiryInUse(state.expirySeconds)
{}

void DeviceModel::setState(const DeviceState &state)
{
    m_state = state;
    m_rssiOffset = 0;
    changed();
}

void DeviceModel::restore(const DeviceState &state)
{
    m_state = state;
    m_portInUse = m_state.serverPort;
    m_modeInUse = m_state.protocolMode;
    m_expiryInUse = m_state.expirySeconds;
    m_rssiOffset = 0;
}

void DeviceModel::setRssiDrift(int maxStep, std::uint32_t seed)
{
    m_rssiDrift = std::max(0, maxStep);
    m_random.seed(seed);
}

const VisibleAp *DeviceModel::currentAp() const
{
    if (m_state.apSsid.isEmpty())
        return nullptr;
    for (const VisibleAp &ap : m_state.visibleAps) {
        if (ap.ssid == m_state.apSsid)
            return &ap;
    }
    return nullptr;
}

bool DeviceModel::joined() const
{
    return currentAp() != nullptr;
}

std::optional<int> DeviceModel::currentRssi() const
{
    const VisibleAp *ap = currentAp();
    if (!ap)
        return std::nullopt;
    return std::clamp(ap->rssi + m_rssiOffset, -100, -20);
}

QByteArray DeviceModel::rssiAnswer()
{
    if (currentAp() && m_rssiDrift > 0)
        m_rssiOffset = std::clamp(m_rssiOffset + m_random.bounded(-m_rssiDrift, m_rssiDrift + 1), -8, 8);
    return answers::rssi(m_state, currentRssi());
}

void DeviceModel::reboot()
{
    Q_EMIT log(u"rebooting"_s);
    m_rssiOffset = 0;
    const bool serverChanged = m_portInUse != m_state.serverPort || m_modeInUse != m_state.protocolMode ||
                               m_expiryInUse != m_state.expirySeconds;
    m_portInUse = m_state.serverPort;
    m_modeInUse = m_state.protocolMode;
    m_expiryInUse = m_state.expirySeconds;
    Q_EMIT rebooted();
    if (serverChanged) {
        Q_EMIT log(u"server now on port %1, mode '%2', expiry %3 s"_s.arg(m_portInUse)
                       .arg(modeText(m_modeInUse))
                       .arg(m_expiryInUse));
        Q_EMIT networkSettingsChanged();
    }
}

void DeviceModel::keepIdentity(DeviceState &fresh) const
{
    // Identity and the radio surroundings are not settings.
    fresh.deviceType = m_state.deviceType;
    fresh.firmwareMajor = m_state.firmwareMajor;
    fresh.firmwareMinor = m_state.firmwareMinor;
    fresh.mac = m_state.mac;
    fresh.visibleAps = m_state.visibleAps;
}

void DeviceModel::firmwareFetched(const QUrl &url, qint64 size, const QByteArray &sha256)
{
    FirmwareDownload &fw = m_state.firmwareDownload;
    if (fw.result != FirmwareDownload::Result::Pending || fw.url != url.toString())
        return;
    fw.result = FirmwareDownload::Result::Fetched;
    fw.size = size;
    fw.sha256 = QString::fromLatin1(sha256.toHex());
    m_state.flashErased = false;
    Q_EMIT log(u"firmware fetched from %1: %2 bytes, sha256 %3"_s.arg(fw.url).arg(size).arg(fw.sha256));
    // The image's version is in its name ("R5200TX_v1.07.bin" is 1.07); it runs after a reboot.
    static const QRegularExpression versioned(u"_v(\\d{1,3})\\.(\\d{1,3})(?!\\d)"_s);
    const QRegularExpressionMatch version = versioned.match(url.fileName());
    const uint major = version.captured(1).toUInt();
    const uint minor = version.captured(2).toUInt();
    if (!version.hasMatch() || major > 255 || minor > 255) {
        changed();
        return;
    }
    m_state.firmwareMajor = std::uint8_t(major);
    m_state.firmwareMinor = std::uint8_t(minor);
    Q_EMIT log(u"firmware %1.%2 written"_s.arg(major).arg(minor, 2, 10, QChar(u'0')));
    changed();
    reboot();
}

void DeviceModel::firmwareFailed(const QUrl &url, const QString &why)
{
    FirmwareDownload &fw = m_state.firmwareDownload;
    if (fw.result != FirmwareDownload::Result::Pending || fw.url != url.toString())
        return;
    fw.result = FirmwareDownload::Result::Failed;
    fw.error = why;
    Q_EMIT log(u"firmware download from %1 failed: %2"_s.arg(fw.url, why));
    changed();
}

bool DeviceModel::ignores(WriteKind kind)
{
    if (!m_ignoredWrites.contains(kind))
        return false;
    Q_EMIT log(u"fault: %1 write answered but not kept"_s.arg(writeKindName(kind)));
    return true;
}

void DeviceModel::changed()
{
    Q_EMIT stateChanged();
}

QByteArray DeviceModel::handle(QByteArrayView request)
{
    if (request.size() < wire::kMinFrame)
        return {};
    const auto id = std::uint8_t(request[2]);
    const QByteArrayView payload = request.sliced(4, request.size() - wire::kMinFrame);
    Q_EMIT log(u"RX ["_s + wire::dump(request) + u']');

    const int expected = payloadSize(id);
    if (expected >= 0 && payload.size() != expected) {
        Q_EMIT log(u"request 0x%1 ignored: %2 payload bytes, %3 expected"_s.arg(wire::hexByte(id))
                       .arg(payload.size())
                       .arg(expected));
        return {};
    }

    switch (id) {
    case wire::id::Status:
        Q_EMIT log(u"status query"_s);
        return answers::status(m_state);
    case wire::id::SetAp: {
        if (ignores(WriteKind::Ap)) {
            const QByteArray reply = answers::shortReply(id);
            reboot();
            return reply;
        }
        m_state.apSsid = wire::paddedField(payload, 0, 32);
        m_state.apPassword = wire::paddedField(payload, 32, 16);
        Q_EMIT log(u"access point set: \"%1\" (password of %2 characters)%3"_s.arg(m_state.apSsid)
                       .arg(m_state.apPassword.size())
                       .arg(joined() ? QString() : u", not in sight"_s));
        changed();
        const QByteArray reply = answers::shortReply(id);
        reboot();
        return reply;
    }
    case wire::id::Wan:
        if (ignores(WriteKind::Wan)) {
            reboot();
            return answers::shortReply(id);
        }
        std::copy_n(payload.begin(), 4, m_state.ip.begin());
        std::copy_n(payload.begin() + 4, 4, m_state.gateway.begin());
        std::copy_n(payload.begin() + 8, 4, m_state.mask.begin());
        Q_EMIT log(u"WAN set: address %1, gateway %2, mask %3"_s.arg(wire::dotted(payload.sliced(0, 4)),
                                                                     wire::dotted(payload.sliced(4, 4)),
                                                                     wire::dotted(payload.sliced(8, 4))));
        changed();
        reboot();
        return answers::shortReply(id);
    case wire::id::Server:
        if (ignores(WriteKind::Server)) {
            reboot();
            return answers::shortReply(id);
        }
        m_state.serverPort = std::uint16_t(wire::readWord(payload, 0));
        m_state.expirySeconds = std::uint8_t(payload[2]);
        m_state.protocolMode = payload[3];
        Q_EMIT log(u"server set: port %1, expiry %2 s, mode '%3'"_s.arg(m_state.serverPort)
                       .arg(m_state.expirySeconds)
                       .arg(modeText(m_state.protocolMode)));
        changed();
        reboot();
        return answers::shortReply(id);
    case wire::id::Di: {
        if (ignores(WriteKind::Di))
            return answers::shortReply(id);
        QStringList channels;
        for (int i = 0; i < 5; ++i) {
            m_state.throughput[std::size_t(i)] = std::uint16_t(wire::readWord(payload, 2 * i));
            m_state.countMode[std::size_t(i)] = payload[12 + i];
            channels.append(
                u"%1 ms %2"_s.arg(m_state.throughput[std::size_t(i)]).arg(modeText(payload[12 + i])));
        }
        Q_EMIT log(u"DI set: "_s + channels.join(u", "_s));
        changed();
        return answers::shortReply(id);
    }
    case wire::id::FactoryReset: {
        const bool counters = payload[0] == 'Y';
        Q_EMIT log(counters ? u"factory reset, DI counters cleared too"_s : u"factory reset"_s);
        DeviceState fresh = DeviceState::factoryDefaults();
        keepIdentity(fresh);
        fresh.firmwareDownload = m_state.firmwareDownload;
        fresh.flashErased = m_state.flashErased;
        m_state = fresh;
        changed();
        if (counters)
            Q_EMIT counterResetRequested();
        reboot();
        return answers::shortReply(id);
    }
    case wire::id::Reboot:
        reboot();
        return answers::shortReply(id);
    case wire::id::SearchAp:
        Q_EMIT log(u"access point search: %1 in sight"_s.arg(m_state.visibleAps.size()));
        return answers::apList(m_state, currentRssi());
    case wire::id::CurrentAp:
        Q_EMIT log(u"current access point query"_s);
        return answers::currentAp(m_state);
    case wire::id::Rssi:
        Q_EMIT log(u"signal query"_s);
        return rssiAnswer();
    case wire::id::FlashSave:
        m_state.flashInterval = std::uint16_t(wire::readWord(payload, 0));
        m_state.flashDelay = std::uint8_t(payload[2]);
        Q_EMIT log(
            u"flash save set: interval %1, delay %2"_s.arg(m_state.flashInterval).arg(m_state.flashDelay));
        changed();
        return answers::shortReply(id);
    case wire::id::FirmwareDownload: {
        const QUrl url = answers::firmwareUrl(payload);
        if (!url.isValid()) {
            Q_EMIT log(u"firmware download ordered to a path that is no URL path; nothing fetched"_s);
            m_state.firmwareDownload = {{}, FirmwareDownload::Result::Failed, 0, {}, u"bad file path"_s};
            changed();
            return answers::shortReply(id);
        }
        Q_EMIT log(u"firmware download ordered from "_s + url.toString());
        m_state.firmwareDownload = {url.toString(), FirmwareDownload::Result::Pending, 0, {}, {}};
        changed();
        Q_EMIT firmwareDownloadOrdered(url);
        return answers::shortReply(id);
    }
    case wire::id::FlashErase: {
        Q_EMIT log(u"all flash erased: settings back to their defaults, firmware to be downloaded again"_s);
        DeviceState erased = DeviceState::factoryDefaults();
        keepIdentity(erased);
        erased.firmwareDownload = {};
        erased.flashErased = true;
        m_state = erased;
        changed();
        Q_EMIT counterResetRequested();
        return answers::shortReply(id);
    }
    default:
        Q_EMIT log(u"request 0x%1 unknown, no answer"_s.arg(wire::hexByte(id)));
        return {};
    }
}

} // namespace virt
