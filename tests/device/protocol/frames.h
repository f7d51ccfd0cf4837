#pragma once

// Device-side frames for the receive and decoder tests, built byte by byte as the device
// sends them (header byte 0x44), independent of the tool's own builders.

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace testframes {

inline QByteArray frame(std::uint8_t id, const QByteArray &payload)
{
    QByteArray f;
    f.append(char(0x7E));
    f.append(char(payload.size() + 5));
    f.append(char(id));
    f.append(char(0x44));
    f.append(payload);
    f.append(char(0xFE));
    return f;
}

inline QByteArray padRight(const QByteArray &text, int width)
{
    return text.left(width) + QByteArray(qMax(0, width - int(text.left(width).size())), ' ');
}

struct Status
{
    std::uint8_t type = 1, major = 1, minor = 5;
    QByteArray mac = QByteArray::fromHex("001A2B3C4D5E");
    QByteArray wan = QByteArray::fromHex("7F000001"
                                         "7F000001"
                                         "FF000000");
    std::uint16_t port = 4000;
    std::uint8_t expiry = 30;
    char mode = 'N';
    std::uint16_t times[5] = {10, 20, 30, 40, 2550};
    char modes[5] = {'F', 'R', 'F', 'R', 'F'};
    std::uint16_t flashInterval = 30;
    std::uint8_t flashDelay = 5;

    QByteArray payload() const
    {
        QByteArray p;
        p.append(char(type));
        p.append(char(major));
        p.append(char(minor));
        p.append(mac);
        p.append(wan);
        p.append(char(port >> 8));
        p.append(char(port & 0xFF));
        p.append(char(expiry));
        p.append(mode);
        for (const std::uint16_t t : times) {
            p.append(char(t >> 8));
            p.append(char(t & 0xFF));
        }
        p.append(2, '\0');
        p.append(modes, 5);
        p.append('F');
        p.append(char(flashInterval >> 8));
        p.append(char(flashInterval & 0xFF));
        p.append(char(flashDelay));
        return p;
    }
    QByteArray frame() const { return testframes::frame(0x41, payload()); }
};

inline QByteArray rssiFrame(const QByteArray &ssidField, const QByteArray &rssiField)
{
    return frame(0x4A, padRight(ssidField, 32) + padRight(rssiField, 6));
}

inline QByteArray currentApFrame(const QByteArray &ssidField, const QByteArray &pwField)
{
    return frame(0x49, padRight(ssidField, 32) + padRight(pwField, 16));
}

inline QByteArray apRecord(const QByteArray &ssid, const QByteArray &channel, const QByteArray &rssi,
                           const QByteArray &auth)
{
    return padRight(ssid, 32) + padRight(channel, 4) + padRight(rssi, 4) + padRight(auth, 12);
}

// The frame's content: the bytes between the start and the end byte.
inline QByteArray content(const QByteArray &frame)
{
    return frame.mid(1, frame.size() - 2);
}

} // namespace testframes
