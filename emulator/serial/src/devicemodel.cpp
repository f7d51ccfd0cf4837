#include "emu/devicemodel.h"

#include "r5/protocol/codec.h"
#include "r5/protocol/frame.h"
#include "r5/protocol/requests.h"

#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>

using namespace Qt::StringLiterals;
namespace proto = r5::protocol;

namespace emu {

namespace {

// The device marks its frames with 'D' where the tool writes 'P'.
constexpr char kDeviceHeader = 0x44;
constexpr int kMaxListedAps = 9;

QByteArray frame(std::uint8_t id, const QByteArray &payload)
{
    QByteArray f;
    f.reserve(payload.size() + proto::kMinFrameSize);
    f.append(char(proto::kStartByte));
    // A long AP list does not fit the length byte; the tool ignores it in answers anyway.
    f.append(char(std::min<qsizetype>(255, payload.size() + proto::kMinFrameSize)));
    f.append(char(id));
    f.append(kDeviceHeader);
    f.append(payload);
    f.append(char(proto::kEndByte));
    return f;
}

// The device pads its texts on the right, by bytes, and never cuts a character in half.
QByteArray padRight(const QString &text, int width)
{
    const QByteArray bytes = proto::mb::encode(text);
    const QByteArrayView kept = proto::mb::cut(bytes, 0, width);
    return kept.toByteArray() + QByteArray(width - kept.size(), ' ');
}

QString paddedField(QByteArrayView payload, qsizetype from, qsizetype width)
{
    return proto::mb::decode(payload.sliced(from, width)).trimmed();
}

int word(QByteArrayView bytes, qsizetype at)
{
    return std::uint8_t(bytes[at]) * 256 + std::uint8_t(bytes[at + 1]);
}

QString dotted(QByteArrayView b)
{
    return u"%1.%2.%3.%4"_s.arg(std::uint8_t(b[0]))
        .arg(std::uint8_t(b[1]))
        .arg(std::uint8_t(b[2]))
        .arg(std::uint8_t(b[3]));
}

QString modeText(char mode)
{
    return QString(QLatin1Char(mode));
}

// Payload size each request carries; -1 where any size is taken.
int payloadSize(std::uint8_t id)
{
    switch (id) {
    case proto::id::SetAp:
        return 48;
    case proto::id::Wan:
        return 12;
    case proto::id::Server:
        return 4;
    case proto::id::Di:
        return 18;
    case proto::id::FactoryReset:
        return 1;
    case proto::id::FlashSave:
        return 3;
    case proto::id::FirmwareDownload:
        return 38;
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

bool DeviceModel::useStateFile(const QString &path, QString *error)
{
    QFile file(path);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            if (error)
                *error = path + u": "_s + file.errorString();
            return false;
        }
        QJsonParseError parseError;
        const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
        if (!doc.isObject()) {
            if (error)
                *error = path + u": "_s + parseError.errorString();
            return false;
        }
        QString why;
        const std::optional<DeviceState> loaded = DeviceState::fromJson(doc.object(), &why);
        if (!loaded) {
            if (error)
                *error = path + u": "_s + why;
            return false;
        }
        m_state = *loaded;
        if (m_state.firmwareDownload.result == FirmwareDownload::Result::Pending) {
            // The fetch went with the process that ran it.
            m_state.firmwareDownload.result = FirmwareDownload::Result::Failed;
            m_state.firmwareDownload.error = u"interrupted by a restart"_s;
        }
        m_portInUse = m_state.serverPort;
        m_modeInUse = m_state.protocolMode;
        m_expiryInUse = m_state.expirySeconds;
        m_rssiOffset = 0;
        m_stateFile = path;
        Q_EMIT log(u"state loaded from "_s + path);
        return true;
    }
    m_stateFile = path;
    changed();
    return true;
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

QByteArray DeviceModel::shortReply(std::uint8_t id)
{
    return frame(id, {});
}

QByteArray DeviceModel::statusAnswer() const
{
    const DeviceState &s = m_state;
    QByteArray p;
    p.append(char(s.deviceType));
    p.append(char(s.firmwareMajor));
    p.append(char(s.firmwareMinor));
    for (const std::uint8_t b : s.mac)
        p.append(char(b));
    for (const auto *octets : {&s.ip, &s.gateway, &s.mask}) {
        for (const std::uint8_t o : *octets)
            p.append(char(o));
    }
    p.append(proto::field::word(s.serverPort));
    p.append(char(s.expirySeconds));
    p.append(s.protocolMode);
    for (const std::uint16_t t : s.throughput)
        p.append(proto::field::word(t));
    p.append(proto::field::word(0));
    p.append(s.countMode.data(), qsizetype(s.countMode.size()));
    p.append('F');
    p.append(proto::field::word(s.flashInterval));
    p.append(char(s.flashDelay));
    return frame(proto::id::Status, p);
}

QByteArray DeviceModel::apListAnswer() const
{
    const qsizetype count = std::min<qsizetype>(kMaxListedAps, m_state.visibleAps.size());
    QByteArray p;
    p.append(char('0' + count));
    for (qsizetype i = 0; i < count; ++i) {
        const VisibleAp &ap = m_state.visibleAps[i];
        const int rssi = ap.ssid == m_state.apSsid ? currentRssi().value_or(ap.rssi) : ap.rssi;
        p.append(padRight(ap.ssid, 32));
        p.append(padRight(QString::number(ap.channel), 4));
        p.append(padRight(QString::number(rssi), 4));
        p.append(padRight(ap.auth, 12));
    }
    return frame(proto::id::SearchAp, p);
}

QByteArray DeviceModel::currentApAnswer() const
{
    return frame(proto::id::CurrentAp, padRight(m_state.apSsid, 32) + padRight(m_state.apPassword, 16));
}

QByteArray DeviceModel::rssiAnswer()
{
    QByteArray rssiText = "NOINFO";
    if (const VisibleAp *ap = currentAp()) {
        if (m_rssiDrift > 0)
            m_rssiOffset = std::clamp(m_rssiOffset + m_random.bounded(-m_rssiDrift, m_rssiDrift + 1), -8, 8);
        rssiText = QByteArray::number(std::clamp(ap->rssi + m_rssiOffset, -100, -20)).rightJustified(6, ' ');
    }
    return frame(proto::id::Rssi, padRight(m_state.apSsid, 32) + rssiText);
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

QUrl DeviceModel::firmwareUrl(QByteArrayView payload)
{
    QString path = paddedField(payload, 6, proto::kFileNameWidth);
    if (!path.startsWith(u'/'))
        path.prepend(u'/');
    QUrl url;
    url.setScheme(u"http"_s);
    url.setHost(dotted(payload.sliced(0, 4)));
    url.setPort(word(payload, 4));
    // The name is taken as it stands: '%', '?' or '#' in it are characters of the name.
    url.setPath(path, QUrl::DecodedMode);
    return url;
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
    changed();
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
    if (!m_stateFile.isEmpty()) {
        QSaveFile file(m_stateFile);
        if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(m_state.toJson()).toJson()) < 0 ||
            !file.commit())
            Q_EMIT log(u"cannot write the state file "_s + m_stateFile + u": "_s + file.errorString());
    }
    Q_EMIT stateChanged();
}

QByteArray DeviceModel::handle(QByteArrayView request)
{
    if (request.size() < proto::kMinFrameSize)
        return {};
    const auto id = std::uint8_t(request[2]);
    const QByteArrayView payload = request.sliced(4, request.size() - proto::kMinFrameSize);
    Q_EMIT log(u"RX ["_s + proto::frameDump(request) + u']');

    const int expected = payloadSize(id);
    if (expected >= 0 && payload.size() != expected) {
        Q_EMIT log(u"request 0x%1 ignored: %2 payload bytes, %3 expected"_s.arg(proto::byteText(id))
                       .arg(payload.size())
                       .arg(expected));
        return {};
    }

    switch (id) {
    case proto::id::Status:
        Q_EMIT log(u"status query"_s);
        return statusAnswer();
    case proto::id::SetAp: {
        if (ignores(WriteKind::Ap)) {
            const QByteArray reply = shortReply(id);
            reboot();
            return reply;
        }
        m_state.apSsid = paddedField(payload, 0, 32);
        m_state.apPassword = paddedField(payload, 32, 16);
        Q_EMIT log(u"access point set: \"%1\" (password of %2 characters)%3"_s.arg(m_state.apSsid)
                       .arg(m_state.apPassword.size())
                       .arg(joined() ? QString() : u", not in sight"_s));
        changed();
        const QByteArray reply = shortReply(id);
        reboot();
        return reply;
    }
    case proto::id::Wan:
        if (ignores(WriteKind::Wan)) {
            reboot();
            return shortReply(id);
        }
        std::copy_n(payload.begin(), 4, m_state.ip.begin());
        std::copy_n(payload.begin() + 4, 4, m_state.gateway.begin());
        std::copy_n(payload.begin() + 8, 4, m_state.mask.begin());
        Q_EMIT log(u"WAN set: address %1, gateway %2, mask %3"_s.arg(
            dotted(payload.sliced(0, 4)), dotted(payload.sliced(4, 4)), dotted(payload.sliced(8, 4))));
        changed();
        reboot();
        return shortReply(id);
    case proto::id::Server:
        if (ignores(WriteKind::Server)) {
            reboot();
            return shortReply(id);
        }
        m_state.serverPort = std::uint16_t(word(payload, 0));
        m_state.expirySeconds = std::uint8_t(payload[2]);
        m_state.protocolMode = payload[3];
        Q_EMIT log(u"server set: port %1, expiry %2 s, mode '%3'"_s.arg(m_state.serverPort)
                       .arg(m_state.expirySeconds)
                       .arg(modeText(m_state.protocolMode)));
        changed();
        reboot();
        return shortReply(id);
    case proto::id::Di: {
        if (ignores(WriteKind::Di))
            return shortReply(id);
        QStringList channels;
        for (int i = 0; i < 5; ++i) {
            m_state.throughput[std::size_t(i)] = std::uint16_t(word(payload, 2 * i));
            m_state.countMode[std::size_t(i)] = payload[12 + i];
            channels.append(
                u"%1 ms %2"_s.arg(m_state.throughput[std::size_t(i)]).arg(modeText(payload[12 + i])));
        }
        Q_EMIT log(u"DI set: "_s + channels.join(u", "_s));
        changed();
        return shortReply(id);
    }
    case proto::id::FactoryReset: {
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
        return shortReply(id);
    }
    case proto::id::Reboot:
        reboot();
        return shortReply(id);
    case proto::id::SearchAp:
        Q_EMIT log(u"access point search: %1 in sight"_s.arg(m_state.visibleAps.size()));
        return apListAnswer();
    case proto::id::CurrentAp:
        Q_EMIT log(u"current access point query"_s);
        return currentApAnswer();
    case proto::id::Rssi:
        Q_EMIT log(u"signal query"_s);
        return rssiAnswer();
    case proto::id::FlashSave:
        m_state.flashInterval = std::uint16_t(word(payload, 0));
        m_state.flashDelay = std::uint8_t(payload[2]);
        Q_EMIT log(
            u"flash save set: interval %1, delay %2"_s.arg(m_state.flashInterval).arg(m_state.flashDelay));
        changed();
        return shortReply(id);
    case proto::id::FirmwareDownload: {
        const QUrl url = firmwareUrl(payload);
        if (!url.isValid()) {
            Q_EMIT log(u"firmware download ordered to a path that is no URL path; nothing fetched"_s);
            m_state.firmwareDownload = {{}, FirmwareDownload::Result::Failed, 0, {}, u"bad file path"_s};
            changed();
            return shortReply(id);
        }
        Q_EMIT log(u"firmware download ordered from "_s + url.toString());
        m_state.firmwareDownload = {url.toString(), FirmwareDownload::Result::Pending, 0, {}, {}};
        changed();
        Q_EMIT firmwareDownloadOrdered(url);
        return shortReply(id);
    }
    case proto::id::FlashErase: {
        Q_EMIT log(u"all flash erased: settings back to their defaults, firmware to be downloaded again"_s);
        DeviceState erased = DeviceState::factoryDefaults();
        keepIdentity(erased);
        erased.firmwareDownload = {};
        erased.flashErased = true;
        m_state = erased;
        changed();
        Q_EMIT counterResetRequested();
        return shortReply(id);
    }
    default:
        Q_EMIT log(u"request 0x%1 unknown, no answer"_s.arg(proto::byteText(id)));
        return {};
    }
}

} // namespace emu
