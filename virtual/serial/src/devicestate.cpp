#include "virt/devicestate.h"

#include <QJsonArray>
#include <QStringList>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace virt {

namespace {

const std::array<QString, 4> kResultNames{u"none"_s, u"pending"_s, u"fetched"_s, u"failed"_s};

QString dotted(const std::array<std::uint8_t, 4> &a)
{
    return u"%1.%2.%3.%4"_s.arg(a[0]).arg(a[1]).arg(a[2]).arg(a[3]);
}

// Reads the values of one key into `out`; false when the key holds something unusable.
class Reader
{
public:
    Reader(const QJsonObject &json, QString *error) : m_json(json), m_error(error) {}

    bool ok() const { return m_ok; }

    template <typename T> void integer(const char *key, T &out, int low, int high)
    {
        const QJsonValue v = m_json.value(QLatin1StringView(key));
        if (v.isUndefined())
            return;
        const int n = v.toInt(low - 1);
        if (!v.isDouble() || n < low || n > high)
            return fail(key);
        out = T(n);
    }

    void text(const char *key, QString &out)
    {
        const QJsonValue v = m_json.value(QLatin1StringView(key));
        if (v.isUndefined())
            return;
        if (!v.isString())
            return fail(key);
        out = v.toString();
    }

    void octets(const char *key, std::array<std::uint8_t, 4> &out)
    {
        QString t;
        text(key, t);
        if (t.isEmpty())
            return;
        const QStringList parts = t.split(u'.');
        if (parts.size() != 4)
            return fail(key);
        for (int i = 0; i < 4; ++i) {
            bool ok = false;
            const uint n = parts[i].toUInt(&ok);
            if (!ok || n > 255)
                return fail(key);
            out[std::size_t(i)] = std::uint8_t(n);
        }
    }

    void fail(const char *key)
    {
        if (m_ok && m_error)
            *m_error = u"bad value for \""_s + QLatin1StringView(key) + u'"';
        m_ok = false;
    }

private:
    const QJsonObject &m_json;
    QString *m_error;
    bool m_ok = true;
};

} // namespace

DeviceState DeviceState::factoryDefaults()
{
    return DeviceState{};
}

DeviceState DeviceState::firstStart()
{
    DeviceState s;
    s.apSsid = u"R5200TX_LAB"_s;
    s.apPassword = u"r5200tx-lab"_s;
    s.visibleAps = {
        {u"R5200TX_LAB"_s, 6, -58, u"WPA2_PSK"_s},
        {u"Office-2G"_s, 1, -67, u"WPA2_PSK"_s},
        {u"연구소 무선랜 2층"_s, 11, -73, u"WPA_WPA2_PSK"_s},
        {u"GuestNet"_s, 3, -88, u"OPEN"_s},
        {u"Warehouse"_s, 13, -95, u"WPA2_PSK"_s},
    };
    return s;
}

QJsonObject DeviceState::toJson() const
{
    QJsonObject o;
    o[u"deviceType"_s] = deviceType;
    o[u"firmwareMajor"_s] = firmwareMajor;
    o[u"firmwareMinor"_s] = firmwareMinor;
    QStringList macText;
    for (const std::uint8_t b : mac)
        macText.append(u"%1"_s.arg(uint(b), 2, 16, QChar(u'0')).toUpper());
    o[u"mac"_s] = macText.join(u':');
    o[u"ip"_s] = dotted(ip);
    o[u"gateway"_s] = dotted(gateway);
    o[u"mask"_s] = dotted(mask);
    o[u"serverPort"_s] = serverPort;
    o[u"expirySeconds"_s] = expirySeconds;
    o[u"protocolMode"_s] = QString(QLatin1Char(protocolMode));
    QJsonArray times;
    for (const std::uint16_t t : throughput)
        times.append(t);
    o[u"throughput"_s] = times;
    o[u"countMode"_s] = QString::fromLatin1(countMode.data(), qsizetype(countMode.size()));
    o[u"flashInterval"_s] = flashInterval;
    o[u"flashDelay"_s] = flashDelay;
    o[u"apSsid"_s] = apSsid;
    o[u"apPassword"_s] = apPassword;
    QJsonArray aps;
    for (const VisibleAp &ap : visibleAps)
        aps.append(QJsonObject{
            {u"ssid"_s, ap.ssid}, {u"channel"_s, ap.channel}, {u"rssi"_s, ap.rssi}, {u"auth"_s, ap.auth}});
    o[u"visibleAps"_s] = aps;
    const FirmwareDownload &fw = firmwareDownload;
    o[u"firmwareDownload"_s] = QJsonObject{{u"url"_s, fw.url},
                                           {u"result"_s, kResultNames[std::size_t(fw.result)]},
                                           {u"size"_s, fw.size},
                                           {u"sha256"_s, fw.sha256},
                                           {u"error"_s, fw.error}};
    o[u"flashErased"_s] = flashErased;
    return o;
}

std::optional<DeviceState> DeviceState::fromJson(const QJsonObject &json, QString *error)
{
    DeviceState s = firstStart();
    Reader r(json, error);
    r.integer("deviceType", s.deviceType, 0, 255);
    r.integer("firmwareMajor", s.firmwareMajor, 0, 255);
    r.integer("firmwareMinor", s.firmwareMinor, 0, 255);
    QString mac;
    r.text("mac", mac);
    if (!mac.isEmpty()) {
        const QStringList parts = mac.split(u':');
        bool ok = parts.size() == 6;
        for (int i = 0; ok && i < 6; ++i) {
            const uint n = parts[i].toUInt(&ok, 16);
            ok = ok && n <= 255;
            s.mac[std::size_t(i)] = std::uint8_t(n);
        }
        if (!ok)
            r.fail("mac");
    }
    r.octets("ip", s.ip);
    r.octets("gateway", s.gateway);
    r.octets("mask", s.mask);
    r.integer("serverPort", s.serverPort, 0, 65535);
    r.integer("expirySeconds", s.expirySeconds, 0, 255);
    QString mode;
    r.text("protocolMode", mode);
    if (!mode.isEmpty()) {
        if (mode.size() != 1 || mode[0].unicode() > 0x7F)
            r.fail("protocolMode");
        else
            s.protocolMode = char(mode[0].unicode());
    }
    if (json.contains(u"throughput"_s)) {
        const QJsonArray times = json.value(u"throughput"_s).toArray();
        if (times.size() != 5)
            r.fail("throughput");
        for (qsizetype i = 0; i < times.size() && i < 5; ++i) {
            const int t = times[i].toInt(-1);
            if (t < 0 || t > 65535)
                r.fail("throughput");
            else
                s.throughput[std::size_t(i)] = std::uint16_t(t);
        }
    }
    QString modes;
    r.text("countMode", modes);
    if (!modes.isEmpty()) {
        if (modes.size() != 5)
            r.fail("countMode");
        for (qsizetype i = 0; i < modes.size() && i < 5; ++i)
            s.countMode[std::size_t(i)] = char(modes[i].unicode() & 0x7F);
    }
    r.integer("flashInterval", s.flashInterval, 0, 65535);
    r.integer("flashDelay", s.flashDelay, 0, 255);
    r.text("apSsid", s.apSsid);
    r.text("apPassword", s.apPassword);
    if (json.contains(u"visibleAps"_s)) {
        s.visibleAps.clear();
        for (const QJsonValue v : json.value(u"visibleAps"_s).toArray()) {
            const QJsonObject o = v.toObject();
            VisibleAp ap{o.value(u"ssid"_s).toString(), o.value(u"channel"_s).toInt(1),
                         o.value(u"rssi"_s).toInt(-70), o.value(u"auth"_s).toString()};
            if (ap.ssid.isEmpty() || ap.channel < 0 || ap.channel > 999 || ap.rssi < -999 || ap.rssi > 999)
                r.fail("visibleAps");
            s.visibleAps.append(ap);
        }
    }
    if (json.contains(u"firmwareDownload"_s)) {
        const QJsonObject fw = json.value(u"firmwareDownload"_s).toObject();
        const auto result =
            std::find(kResultNames.begin(), kResultNames.end(), fw.value(u"result"_s).toString());
        const double size = fw.value(u"size"_s).toDouble(-1);
        if (result == kResultNames.end() || size < 0 || size > 9e15)
            r.fail("firmwareDownload");
        else
            s.firmwareDownload = {fw.value(u"url"_s).toString(),
                                  FirmwareDownload::Result(result - kResultNames.begin()), qint64(size),
                                  fw.value(u"sha256"_s).toString(), fw.value(u"error"_s).toString()};
    }
    if (json.contains(u"flashErased"_s)) {
        const QJsonValue erased = json.value(u"flashErased"_s);
        if (!erased.isBool())
            r.fail("flashErased");
        s.flashErased = erased.toBool();
    }
    if (!r.ok())
        return std::nullopt;
    return s;
}

} // namespace virt
