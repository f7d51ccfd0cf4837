#include "r5setup/protocol/codec.h"

#include "r5/hextext.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <limits>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace r5::protocol {

QString byteText(std::uint8_t b)
{
    return r5::hex::byteText(b);
}

QString charText(QStringView text)
{
    if (text.isEmpty())
        return QStringLiteral("00");
    const QByteArray bytes =
        mb::encode(text.first(text.front().isHighSurrogate() && text.size() > 1 ? 2 : 1));
    return bytes.isEmpty() ? QStringLiteral("00") : byteText(std::uint8_t(bytes.front()));
}

std::uint8_t hintId(QStringView hint)
{
    return r5::hex::parseByte(hint).value_or(0);
}

std::optional<std::uint32_t> hexNumber(QStringView text)
{
    if (text.isEmpty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const int digit = (u >= u'0' && u <= u'9')   ? u - u'0'
                          : (u >= u'A' && u <= u'F') ? u - u'A' + 10
                          : (u >= u'a' && u <= u'f') ? u - u'a' + 10
                                                     : -1;
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + std::uint64_t(digit);
        if (value > std::numeric_limits<std::uint32_t>::max())
            return std::nullopt;
    }
    return std::uint32_t(value);
}

std::optional<int> decimalNumber(QStringView text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < u'0' || u > u'9')
            return std::nullopt;
        value = value * 10 + (u - u'0');
        if (value > std::int64_t(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

namespace mb {

QByteArray encode(QStringView text)
{
#ifdef Q_OS_WIN
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
#else
    return text.toUtf8();
#endif
}

QString decode(QByteArrayView bytes)
{
#ifdef Q_OS_WIN
    QStringDecoder decoder(QStringConverter::System);
    return decoder.decode(bytes);
#else
    return QString::fromUtf8(bytes);
#endif
}

QByteArrayView cut(QByteArrayView text, qsizetype from, qsizetype width)
{
    if (from < 0 || width <= 0 || from >= text.size())
        return {};
    qsizetype first = from;
    qsizetype end = std::min(text.size(), from + width);
#ifdef Q_OS_WIN
    // A trail byte of the ANSI code page can look like any other byte, so the characters are
    // found by reading from the text's first byte. A lead byte pairs only with a byte that can
    // complete it: the device pads and cuts each field on its own, so a field that ends in a
    // lead byte is followed by the next field's own text.
    const auto length = [&](qsizetype at) -> qsizetype {
        return IsDBCSLeadByte(BYTE(text[at])) && at + 1 < text.size() &&
                       MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data() + at, 2, nullptr, 0) > 0
                   ? 2
                   : 1;
    };
    qsizetype at = 0;
    while (at < first)
        at += length(at);
    first = at;
    // A lead byte at the cut's end is half a character, whatever follows it.
    while (at < end && !(at + 1 == end && IsDBCSLeadByte(BYTE(text[at]))))
        at += length(at);
    end = at;
#else
    const auto continuation = [&](qsizetype at) { return (std::uint8_t(text[at]) & 0xC0) == 0x80; };
    while (first < end && continuation(first))
        ++first;
    qsizetype lead = end - 1;
    while (lead > first && continuation(lead) && end - lead < 4)
        --lead;
    if (lead >= first && !continuation(lead)) {
        const auto b = std::uint8_t(text[lead]);
        const qsizetype length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        if (lead + length > end)
            end = lead;
    }
#endif
    if (end <= first)
        return {};
    return text.sliced(first, end - first);
}

} // namespace mb

namespace field {

char octet(std::uint8_t value)
{
    return char(value);
}

QByteArray word(std::uint16_t value)
{
    const char bytes[2] = {char(value >> 8), char(value & 0xFF)};
    return QByteArray(bytes, 2);
}

char smallNumber(int value)
{
    return char(value & 0xFF);
}

QByteArray paddedText(QStringView text, int width)
{
    const QByteArray bytes = mb::encode(text);
    const QByteArrayView kept = mb::cut(bytes, 0, width);
    return QByteArray(width - kept.size(), ' ') + kept.toByteArray();
}

char choice(int item, char first, char other)
{
    return item == 0 ? first : other;
}

} // namespace field

} // namespace r5::protocol
