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

// The hex text of a one-character string: its first byte as the device is sent it (mb::encode);
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

// Device texts read the same on every platform and code page. A device set up from a Korean
// Windows PC holds CP949, an access point may broadcast UTF-8: bytes that are valid UTF-8 read
// as UTF-8, any others as CP949. A typed text is written in CP949 (in UTF-8 when it has a
// character CP949 lacks, or when its CP949 form holds the frame's end byte 0xFE). Lengths on the
// wire are counted in bytes.
namespace mb {
QByteArray encode(QStringView text);
QString decode(QByteArrayView bytes);

// The bytes [from, from + width) of `text`, shrunk so that no half character is shown: bytes
// that continue a character begun before `from` are dropped, and so is a character that the
// cut ends in the middle of. A field that is UTF-8 is cut by UTF-8 characters, any other by
// CP949 ones. A cut that runs past the end stops at the end; one that begins after it is
// empty.
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
// The same for bytes already in the device's encoding (a name as the device reported it).
QByteArray paddedBytes(QByteArrayView bytes, int width);
// Choice: `first` when item 0 of the control is selected, `other` for any other item.
char choice(int item, char first, char other);
} // namespace field

} // namespace r5::protocol
