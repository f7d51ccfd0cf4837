#include "sim/textbytes.h"

#include "r5/hextext.h"

namespace r5::sim {

namespace {
bool isHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'F') || (u >= u'a' && u <= u'f');
}
} // namespace

std::optional<QByteArray> AsciiToBytes(QStringView text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u > 0xFF)
            return std::nullopt;
        out[i] = char(u);
    }
    return out;
}

std::optional<Converted> HexToBytes(QStringView text)
{
    for (const QChar c : text) {
        if (!isHexDigit(c))
            return std::nullopt;
    }
    Converted out;
    out.oddDropped = text.size() % 2 != 0;
    out.bytes.reserve(text.size() / 2);
    for (qsizetype i = 0; i + 1 < text.size(); i += 2)
        out.bytes.append(char(*r5::hex::parseByte(text.mid(i, 2))));
    return out;
}

std::optional<Converted> textToBytes(QStringView text, DataFormat format)
{
    if (format == DataFormat::Hex)
        return HexToBytes(text);
    auto bytes = AsciiToBytes(text);
    if (!bytes)
        return std::nullopt;
    return Converted{std::move(*bytes), false};
}

qsizetype byteCount(QStringView text, DataFormat format)
{
    return format == DataFormat::Hex ? text.size() / 2 : text.size();
}

bool dataKeyAccepted(QChar c, DataFormat format)
{
    if (c.unicode() > 0xFF)
        return false;
    if (format == DataFormat::Ascii)
        return true;
    return isHexDigit(c) || c.unicode() == 8;
}

} // namespace r5::sim
