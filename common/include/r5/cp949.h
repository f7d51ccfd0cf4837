#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

// Code page 949 (Korean, with the unified Hangul extension), the encoding Korean Windows PCs
// write device texts in. The conversion itself is the platform's; the rules built on it are
// here, so that both platforms read the same bytes the same way.
namespace r5::cp949 {

// Strict conversions: nullopt when a byte sequence is not CP949, or a character has no CP949
// form.
std::optional<QString> toUnicode(QByteArrayView bytes);
std::optional<QByteArray> fromUnicode(QStringView text);

// A byte that opens a two-byte character.
constexpr bool isLeadByte(unsigned char b)
{
    return b >= 0x81 && b <= 0xFE;
}

// Whether `lead` followed by `trail` is one character.
bool pairs(unsigned char lead, unsigned char trail);

// The bytes as CP949; a byte that begins no character reads as U+FFFD.
QString decode(QByteArrayView bytes);

} // namespace r5::cp949
