#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

namespace r5::test {

// A text's bytes on the device's line as this system writes them: UTF-8 on Linux, the ANSI code
// page on Windows (949 on the field's Korean laptops, and in the Windows test runs).
inline QByteArray deviceText(QStringView text)
{
    return QStringEncoder(QStringConverter::System).encode(text);
}

inline QString fromDevice(QByteArrayView bytes)
{
    return QStringDecoder(QStringConverter::System).decode(bytes);
}

// Bytes of one Hangul syllable: 3 in UTF-8, 2 in code page 949.
inline qsizetype syllableBytes()
{
    return deviceText(u"가").size();
}

} // namespace r5::test
