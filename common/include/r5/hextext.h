#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <optional>

namespace r5::hex {

// Two upper-case hex digits, "00" to "FF".
QString byteText(std::uint8_t b);

// Each byte as two upper-case digits, with `separator` after every byte
// (".") or before every byte (" "), or none.
QString dump(QByteArrayView bytes, QStringView after = {}, QStringView before = {});

// Two hex digits (either case) to their byte; anything else is nullopt.
std::optional<std::uint8_t> parseByte(QStringView twoDigits);

} // namespace r5::hex
