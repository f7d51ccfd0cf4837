#pragma once

#include "r5device/protocol/frame.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <cstdint>

// Every request of the command catalogue, built from values the window has already validated
// and confirmed. A builder returns what the common request procedure needs: the lines to log
// before the frame, the frame and its TX line.
namespace r5::protocol {

struct Request
{
    // Lines the handler logs just before the frame is built (announcement, padded texts).
    QStringList announce;
    QByteArray frame;
    QString label;
    TxTail tail = TxTail::Plain;

    // The line logged when the frame is written.
    QString txLine() const { return r5::protocol::txLine(label, frame, tail); }
};

namespace id {
inline constexpr std::uint8_t Status = 0x41;
inline constexpr std::uint8_t SetAp = 0x42;
inline constexpr std::uint8_t Wan = 0x43;
inline constexpr std::uint8_t Server = 0x44;
inline constexpr std::uint8_t Di = 0x45;
inline constexpr std::uint8_t FactoryReset = 0x46;
inline constexpr std::uint8_t Reboot = 0x47;
inline constexpr std::uint8_t SearchAp = 0x48;
inline constexpr std::uint8_t CurrentAp = 0x49;
inline constexpr std::uint8_t Rssi = 0x4A;
inline constexpr std::uint8_t FlashSave = 0x53;
inline constexpr std::uint8_t FirmwareDownload = 0x55;
inline constexpr std::uint8_t FlashErase = 0x58;
} // namespace id

// Widths of the padded texts, in bytes.
inline constexpr int kSsidWidth = 32;
inline constexpr int kPasswordWidth = 16;
inline constexpr int kFileNameWidth = 32;

// 0x41, 5 bytes, after "Send Current Status Read Command to Korvia R5200TX... ".
Request statusRequest();

// 0x48, 0x49 or 0x4A: the id from the clicked button's Hint, the Hint's text in the label.
Request hintQuery(QStringView hint);

// 0x42, 53 bytes: SSID and password as padded texts of 32 and 16 bytes, announced by the
// "tmpSSIDName : [" and "tmpSSIDPW   : [" lines.
Request setApRequest(QStringView ssid, QStringView password);
// The same with the SSID's bytes as the device reported them in its access point list.
Request setApRequest(QByteArrayView ssidBytes, QStringView password);

// 0x43, 17 bytes.
struct WanSettings
{
    std::array<std::uint8_t, 4> ip{};
    std::array<std::uint8_t, 4> gateway{};
    std::array<std::uint8_t, 4> mask{};
};
Request wanRequest(const WanSettings &wan);

// 0x44, 9 bytes. `protocolItem` is the selected item of the protocol mode group: 0 sends 'N',
// any other 'G'.
Request serverRequest(std::uint16_t port, std::uint8_t expirySeconds, int protocolItem);

// 0x45, 23 bytes. `countModeItems` are the selected items of the count mode lists: 0 sends
// 'F' (Falling), any other 'R'.
Request diRequest(const std::array<std::uint16_t, 5> &throughputTimes,
                  const std::array<int, 5> &countModeItems);

// 0x46, 6 bytes, id from the Hint ("46"); 'Y' when the DI counters are to be reset too.
Request factoryResetRequest(QStringView hint, bool counterReset);

// 0x47, 5 bytes; its TX line ends "] : System reboot Command".
Request rebootRequest();

// 0x53, 8 bytes, announced as "[" + the interval in four hex digits + "]".
Request flashSaveRequest(std::uint16_t interval, std::uint8_t delay);

// 0x58, 5 bytes, id from the Hint ("58").
Request flashEraseRequest(QStringView hint);

// 0x55, 43 bytes: HTTP server address and port, file name as a padded text of 32 bytes,
// announced by the "tmpFileName : [" line.
Request firmwareDownloadRequest(const std::array<std::uint8_t, 4> &server, std::uint16_t port,
                                QStringView fileName);

// Fixed texts of the common request procedure and the hint-coded queries.
namespace texts {
// Box and log line when a request finds the port closed.
inline QString portNotConnected()
{
    return QStringLiteral("단말기의 Serial Port 상태를 확인하십시오.");
}
// Log line when writing a request failed.
inline QString serialPortError()
{
    return QStringLiteral("Serial Port ERROR!!");
}
// Confirmation box before 0x48, 0x49 and 0x4A (two spaces after the first full stop).
inline QString networkDelayNotice()
{
    return QStringLiteral("Network 환경에 따라 응답시간이 길어질수 있습니다.  잠시만 기다려 주십시오.");
}
} // namespace texts

} // namespace r5::protocol
