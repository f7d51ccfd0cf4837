#include "r5device/protocol/codec.h"

#include "r5/cp949.h"
#include "r5/hextext.h"

#include <QStringDecoder>
#include <limits>

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

namespace {

bool continuation(char c)
{
    return (std::uint8_t(c) & 0xC0) == 0x80;
}

bool validUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    const QString ignored = decoder.decode(bytes);
    return !decoder.hasError();
}

// The length of the UTF-8 character a byte opens (1 for a byte that opens none).
qsizetype utf8Length(char c)
{
    const auto b = std::uint8_t(c);
    return b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
}

// The end of [first, end) less a UTF-8 character that the end cuts through.
qsizetype wholeUtf8End(QByteArrayView text, qsizetype first, qsizetype end)
{
    qsizetype lead = end - 1;
    while (lead > first && continuation(text[lead]) && end - lead < 4)
        --lead;
    if (lead >= first && !continuation(text[lead]) && lead + utf8Length(text[lead]) > end)
        return lead;
    return end;
}

} // namespace

QByteArray encode(QStringView text)
{
    // A CP949 form holding 0xFE (the trail byte of syllables such as "층") cannot travel: the
    // frame would end there. Such a text, and one with a character CP949 lacks, goes as UTF-8,
    // which never holds 0xFE and reads back the same.
    if (std::optional<QByteArray> bytes = r5::cp949::fromUnicode(text); bytes && !bytes->contains(char(0xFE)))
        return *std::move(bytes);
    return text.toUtf8();
}

QString decode(QByteArrayView bytes)
{
    if (validUtf8(bytes))
        return QString::fromUtf8(bytes);
    return r5::cp949::decode(bytes);
}

QByteArrayView cut(QByteArrayView text, qsizetype from, qsizetype width)
{
    if (from < 0 || width <= 0 || from >= text.size())
        return {};
    // A CP949 trail byte can look like any other byte, so the characters are found by reading
    // from the text's first byte. A lead byte pairs only with a byte that can complete it: the
    // device pads and cuts each field on its own, so a field that ends in a lead byte is
    // followed by the next field's own text.
    const auto length = [&](qsizetype at) -> qsizetype {
        return at + 1 < text.size() && r5::cp949::pairs(std::uint8_t(text[at]), std::uint8_t(text[at + 1]))
                   ? 2
                   : 1;
    };
    qsizetype at = 0;
    while (at < from) {
        // A byte below 0x80 at the cut's start is the field's own text, even where it could
        // end a CP949 character: the field before may be UTF-8, whose last byte looks like a
        // lead byte.
        at += at + 1 == from && std::uint8_t(text[from]) < 0x80 ? 1 : length(at);
    }
    const qsizetype first = at;
    qsizetype end = std::min(text.size(), from + width);
    if (first >= end)
        return {};
    // A field that is UTF-8 (as many access points broadcast their names) is cut as UTF-8;
    // only one that is not is read as CP949.
    const qsizetype utf8End = wholeUtf8End(text, first, end);
    if (first == from && !continuation(text[first]) && validUtf8(text.sliced(first, utf8End - first))) {
        end = utf8End;
    } else {
        // A lead byte at the cut's end is half a character, whatever follows it.
        while (at < end && !(at + 1 == end && r5::cp949::isLeadByte(std::uint8_t(text[at]))))
            at += length(at);
        end = at;
    }
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
    return paddedBytes(mb::encode(text), width);
}

QByteArray paddedBytes(QByteArrayView bytes, int width)
{
    const QByteArrayView kept = mb::cut(bytes, 0, width);
    return QByteArray(width - kept.size(), ' ') + kept.toByteArray();
}

char choice(int item, char first, char other)
{
    return item == 0 ? first : other;
}

} // namespace field

} // namespace r5::protocol
