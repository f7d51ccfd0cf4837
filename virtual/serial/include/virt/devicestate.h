#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace virt {

// An access point the device can see.
struct VisibleAp
{
    QString ssid;
    int channel = 1;
    int rssi = -70; // dBm
    QString auth;

    bool operator==(const VisibleAp &) const = default;
};

// The last firmware download the device was ordered to do, and how it went.
struct FirmwareDownload
{
    enum class Result { None, Pending, Fetched, Failed };

    QString url;
    Result result = Result::None;
    qint64 size = 0; // bytes received (Fetched)
    QString sha256;  // of those bytes, lower-case hex (Fetched)
    QString error;   // why it failed (Failed)

    bool operator==(const FirmwareDownload &) const = default;
};

// Everything the device reports and keeps. Written settings land here at once, so the next
// status or AP query shows them; network settings are taken into use at the next reboot.
struct DeviceState
{
    std::uint8_t deviceType = 1;
    std::uint8_t firmwareMajor = 1;
    std::uint8_t firmwareMinor = 5;
    std::array<std::uint8_t, 6> mac{0x02, 0x52, 0x00, 0x54, 0x58, 0x01};
    // Loopback, so that anything aimed at the reported address stays on this machine.
    std::array<std::uint8_t, 4> ip{127, 0, 0, 1};
    std::array<std::uint8_t, 4> gateway{127, 0, 0, 1};
    std::array<std::uint8_t, 4> mask{255, 0, 0, 0};
    std::uint16_t serverPort = 4000;
    std::uint8_t expirySeconds = 0;
    char protocolMode = 'N';
    std::array<std::uint16_t, 5> throughput{10, 10, 10, 10, 10};
    std::array<char, 5> countMode{'F', 'F', 'F', 'F', 'F'};
    std::uint16_t flashInterval = 30;
    std::uint8_t flashDelay = 5;
    QString apSsid;
    QString apPassword;
    QList<VisibleAp> visibleAps;
    FirmwareDownload firmwareDownload;
    // All flash erased: the settings are gone until written again, and the firmware wants
    // replacing (a successful download clears this).
    bool flashErased = false;

    // What a factory reset leaves: default settings, no access point chosen.
    static DeviceState factoryDefaults();
    // A device fresh out of the box for the demo: factory defaults, joined to the lab AP,
    // five APs in sight (one with a Korean name).
    static DeviceState firstStart();

    QJsonObject toJson() const;
    // Keys that are missing keep the values of firstStart(); nullopt with `error` set when a
    // value is out of range or of the wrong kind.
    static std::optional<DeviceState> fromJson(const QJsonObject &json, QString *error = nullptr);

    bool operator==(const DeviceState &) const = default;
};

} // namespace virt
