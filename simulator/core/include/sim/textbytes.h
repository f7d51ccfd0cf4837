#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace r5::sim {

enum class DataFormat { Ascii, Hex };

// Typed text turned into bytes. `oddDropped` says a hex text had a final digit without a partner
// (it is ignored, and the user is warned).
struct Converted
{
    QByteArray bytes;
    bool oddDropped = false;
};

// One byte per character, the character's single-byte code (0 to 255). Text holding a character
// beyond one byte (pasted, since the keys refuse them) has no byte form: nullopt.
std::optional<QByteArray> AsciiToBytes(QStringView text);

// Two digits per byte, no separators: "0A1B" gives 0x0A 0x1B. A final odd digit is ignored.
// Text holding anything but hex digits (pasted) is refused: nullopt.
std::optional<Converted> HexToBytes(QStringView text);

// The conversion of the chosen format.
std::optional<Converted> textToBytes(QStringView text, DataFormat format);

// The byte counter shown beside an input box: characters in ASCII, half of them in hex.
qsizetype byteCount(QStringView text, DataFormat format);

// Key filter of the data and program-step boxes for a typed character: characters beyond one
// byte are refused; in hex format only hex digits and Backspace pass.
bool dataKeyAccepted(QChar c, DataFormat format);

} // namespace r5::sim
