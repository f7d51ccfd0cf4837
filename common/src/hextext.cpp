#include "r5/hextext.h"

namespace r5::hex {

namespace {
constexpr char16_t kDigits[] = u"0123456789ABCDEF";

int nibble(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}
} // namespace

QString byteText(std::uint8_t b)
{
    const QChar out[2] = {QChar(kDigits[b >> 4]), QChar(kDigits[b & 0x0F])};
    return QString(out, 2);
}

QString dump(QByteArrayView bytes, QStringView after, QStringView before)
{
    QString out;
    out.reserve(bytes.size() * (2 + after.size() + before.size()));
    for (const char c : bytes) {
        const auto b = static_cast<std::uint8_t>(c);
        out.append(before);
        out.append(QChar(kDigits[b >> 4]));
        out.append(QChar(kDigits[b & 0x0F]));
        out.append(after);
    }
    return out;
}

std::optional<std::uint8_t> parseByte(QStringView twoDigits)
{
    if (twoDigits.size() != 2)
        return std::nullopt;
    const int hi = nibble(twoDigits[0]);
    const int lo = nibble(twoDigits[1]);
    if (hi < 0 || lo < 0)
        return std::nullopt;
    return static_cast<std::uint8_t>(hi * 16 + lo);
}

} // namespace r5::hex
