#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

// Byte and text conversions shared by the request builders and the response decoders.
namespace r5::protocol {

// A byte as two upper-case hex digits, "00" to "FF".
QString byteText(std::uint8_t b);

// The hex text of a one-character string: its first byte in the system's multi-byte encoding;
// an empty string gives "00".
QString charText(QStringView text);

// A command id from a button's Hint: two hex digits (either case) give their byte, anything
// else gives 0.
std::uint8_t hintId(QStringView hint);

// A text of hex digits read as an unsigned number; nullopt when it is empty, holds a
// non-hex character or does not fit 32 bits.
std::optional<std::uint32_t> hexNumber(QStringView text);

// A whole decimal number with an optional sign, as the device writes RSSI values; nullopt
// for anything else (spaces included, so trim first).
std::optional<int> decimalNumber(QStringView text);

// Texts travel in the system's multi-byte encoding: UTF-8 on Linux, the ANSI code page on
// Windows. Lengths on the wire are counted in bytes of this encoding.
namespace mb {
QByteArray encode(QStringView text);
QString decode(QByteArrayView bytes);

// The bytes [from, from + width) of `text`, shrunk so that no half character is shown: bytes
// that continue a character begun before `from` are dropped, and so is a character that the
// cut ends in the middle of. A cut that runs past the end stops at the end; one that begins
// after it is empty.
QByteArrayView cut(QByteArrayView text, qsizetype from, qsizetype width);
} // namespace mb

// Payload encodings of the set-commands. Values arrive validated by the window's rules.
namespace field {
// Octet: one byte.
char octet(std::uint8_t value);
// Word: two bytes, high byte first.
QByteArray word(std::uint16_t value);
// Small number: one byte without a range check of its own (its low byte).
char smallNumber(int value);
// Padded text: exactly `width` bytes, the text left-padded with spaces; a longer text keeps
// as many whole leading characters as fit (then padded), so the device never gets half a
// character.
QByteArray paddedText(QStringView text, int width);
// Choice: `first` when item 0 of the control is selected, `other` for any other item.
char choice(int item, char first, char other);
} // namespace field

} // namespace r5::protocol
