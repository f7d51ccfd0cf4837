#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>

// The device's end of the serial protocol, as its firmware has it: frame shape, message ids,
// numbers and padded texts. Kept apart from the setup tool's code on purpose, so that a wrong
// constant on either side shows up as a failed exchange instead of agreeing with itself.
namespace virt::wire {

inline constexpr std::uint8_t kStart = 0x7E;
inline constexpr std::uint8_t kEnd = 0xFE;
// The header byte: the tool writes 'P' in its requests, the device 'D' in its answers.
inline constexpr std::uint8_t kRequestHeader = 0x50;
inline constexpr std::uint8_t kDeviceHeader = 0x44;
// 7E LEN id header FE: a frame without payload.
inline constexpr int kMinFrame = 5;

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
// What the device answers with when told to send an id the tool does not know.
inline constexpr std::uint8_t Unregistered = 0x5A;
} // namespace id

// Widths of the padded texts.
inline constexpr int kSsidWidth = 32;
inline constexpr int kPasswordWidth = 16;
inline constexpr int kFileNameWidth = 32;

// 7E, LEN, id, 'D', payload, FE. LEN is the frame's size, held at 255 for a longer frame (a
// long access point list): the tool does not read it in answers.
QByteArray answerFrame(std::uint8_t id, QByteArrayView payload = {});

// Two bytes, high byte first.
QByteArray word(std::uint16_t value);
std::uint16_t readWord(QByteArrayView bytes, qsizetype at);

// Texts the device keeps as a Korean Windows PC wrote them: CP949 (UTF-8 for a character CP949
// lacks, or where CP949 would hold the end byte 0xFE). Bytes that are valid UTF-8 read as UTF-8, as many
// access points broadcast their names; any others as CP949.
QByteArray encodeText(QStringView text);
QString decodeText(QByteArrayView bytes);

// The device's padding: the text on the left, spaces after it, exactly `width` bytes; a
// longer text keeps the whole characters that fit.
QByteArray padRight(QStringView text, int width);
// A padded field of a request (the tool pads on the left), its spaces trimmed.
QString paddedField(QByteArrayView payload, qsizetype from, qsizetype width);

// "A.B.C.D" from four octets.
QString dotted(QByteArrayView octets);
// Two upper-case hex digits.
QString hexByte(std::uint8_t b);
// Each byte as two upper-case hex digits followed by ".", as the console shows frames.
QString dump(QByteArrayView bytes);

} // namespace virt::wire
