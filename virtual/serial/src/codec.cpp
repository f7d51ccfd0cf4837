#include "virt/codec.h"

#include "r5/cp949.h"

#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace virt::wire {

QByteArray answerFrame(std::uint8_t id, QByteArrayView payload)
{
    QByteArray f;
    f.reserve(payload.size() + kMinFrame);
    f.append(char(kStart));
    f.append(char(std::min<qsizetype>(255, payload.size() + kMinFrame)));
    f.append(char(id));
    f.append(char(kDeviceHeader));
    f.append(payload);
    f.append(char(kEnd));
    return f;
}

QByteArray word(std::uint16_t value)
{
    const char bytes[2] = {char(value >> 8), char(value & 0xFF)};
    return QByteArray(bytes, 2);
}

std::uint16_t readWord(QByteArrayView bytes, qsizetype at)
{
    return std::uint16_t(std::uint8_t(bytes[at]) << 8 | std::uint8_t(bytes[at + 1]));
}

namespace {

// The CP949 form, unless the text has a character CP949 lacks or its form holds 0xFE, which would
// end the answer's frame early: such a text the device holds as UTF-8, as the tool writes it.
std::optional<QByteArray> cp949Form(QStringView text)
{
    std::optional<QByteArray> bytes = r5::cp949::fromUnicode(text);
    if (bytes && bytes->contains(char(0xFE)))
        return std::nullopt;
    return bytes;
}

} // namespace

QByteArray encodeText(QStringView text)
{
    return cp949Form(text).value_or(text.toUtf8());
}

QString decodeText(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8,
                        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? r5::cp949::decode(bytes) : text;
}

QByteArray padRight(QStringView text, int width)
{
    QByteArray out;
    out.reserve(width);
    // Character by character, so the cut never falls inside one; in one encoding for the whole text.
    const bool cp949 = cp949Form(text).has_value();
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype length = text[at].isHighSurrogate() && at + 1 < text.size() ? 2 : 1;
        const QStringView character = text.sliced(at, length);
        const QByteArray bytes = cp949 ? *r5::cp949::fromUnicode(character) : character.toUtf8();
        if (out.size() + bytes.size() > width)
            break;
        out.append(bytes);
        at += length;
    }
    out.append(QByteArray(width - out.size(), ' '));
    return out;
}

QString paddedField(QByteArrayView payload, qsizetype from, qsizetype width)
{
    return decodeText(payload.sliced(from, width)).trimmed();
}

QString dotted(QByteArrayView o)
{
    return u"%1.%2.%3.%4"_s.arg(std::uint8_t(o[0]))
        .arg(std::uint8_t(o[1]))
        .arg(std::uint8_t(o[2]))
        .arg(std::uint8_t(o[3]));
}

QString hexByte(std::uint8_t b)
{
    return u"%1"_s.arg(uint(b), 2, 16, QChar(u'0')).toUpper();
}

QString dump(QByteArrayView bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    QString out(bytes.size() * 3, Qt::Uninitialized);
    QChar *p = out.data();
    for (const char c : bytes) {
        const auto b = std::uint8_t(c);
        *p++ = QLatin1Char(kDigits[b >> 4]);
        *p++ = QLatin1Char(kDigits[b & 0x0F]);
        *p++ = u'.';
    }
    return out;
}

} // namespace virt::wire
