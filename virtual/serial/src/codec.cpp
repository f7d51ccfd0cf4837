#include "virt/codec.h"

#ifdef Q_OS_WIN
#include <QStringDecoder>
#include <QStringEncoder>
#endif

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

QByteArray encodeText(QStringView text)
{
#ifdef Q_OS_WIN
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
#else
    return text.toUtf8();
#endif
}

QString decodeText(QByteArrayView bytes)
{
#ifdef Q_OS_WIN
    QStringDecoder decoder(QStringConverter::System);
    return decoder.decode(bytes);
#else
    return QString::fromUtf8(bytes);
#endif
}

QByteArray padRight(QStringView text, int width)
{
    QByteArray out;
    out.reserve(width);
    // Character by character, so the cut never falls inside one.
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype length = text[at].isHighSurrogate() && at + 1 < text.size() ? 2 : 1;
        const QByteArray bytes = encodeText(text.sliced(at, length));
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
