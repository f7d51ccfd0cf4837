#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>

// The outer shape of every frame: 7E, LEN, id, header, payload, FE. No checksum, no escaping.
namespace r5::protocol {

inline constexpr std::uint8_t kStartByte = 0x7E;
inline constexpr std::uint8_t kEndByte = 0xFE;
// The header byte of every request the tool sends.
inline constexpr std::uint8_t kRequestHeader = 0x50;
// The smallest frame: 7E 05 id 50 FE.
inline constexpr int kMinFrameSize = 5;

// 7E, LEN = total size, id, 0x50, payload, FE. The payload of every request fits the length
// byte (at most 250 bytes).
QByteArray buildFrame(std::uint8_t id, QByteArrayView payload = {});

// Each byte as two upper-case hex digits followed by ".": "7E.05.41.50.FE.".
QString frameDump(QByteArrayView frame);
// Writes the dump of `bytes` (3 characters per byte) at `out`; returns the end.
char16_t *writeDump(char16_t *out, QByteArrayView bytes);

// "TX 0x41 : [" for a fixed id.
QString txLabel(std::uint8_t id);
// "TX 0x" + Hint + " : [" for the buttons that carry their id in the Hint: the Hint's own text,
// not the converted byte, goes into the line.
QString txLabel(QStringView hint);

// How a TX line ends: "]" or, for the reboot request, "] : System reboot Command".
enum class TxTail { Plain, Reboot };

// Label + decimal size + "][" + dump + tail, e.g. TX 0x41 : [5][7E.05.41.50.FE.]
QString txLine(QStringView label, QByteArrayView frame, TxTail tail = TxTail::Plain);

} // namespace r5::protocol
