#pragma once

#include "r5/cp949.h"

#include <QByteArray>
#include <QString>

namespace r5::test {

// A typed text's bytes on the device's line: CP949, as Korean Windows PCs write them, on every
// platform.
inline QByteArray deviceText(QStringView text)
{
    return r5::cp949::fromUnicode(text).value_or(QByteArray("<not in CP949>"));
}

// A typed text as it travels: its CP949 form, but UTF-8 where that form would hold the frame's
// end byte 0xFE (as "층" does) or CP949 lacks a character.
inline QByteArray wireText(QStringView text)
{
    const std::optional<QByteArray> cp949 = r5::cp949::fromUnicode(text);
    return cp949 && !cp949->contains(char(0xFE)) ? *cp949 : text.toUtf8();
}

inline QString fromDevice(QByteArrayView bytes)
{
    return r5::cp949::toUnicode(bytes).value_or(QStringLiteral("<not CP949>"));
}

// Bytes of one Hangul syllable (2 in CP949).
inline qsizetype syllableBytes()
{
    return deviceText(u"가").size();
}

} // namespace r5::test
