#include "r5device/tcp/report.h"

#include "r5/hextext.h"

using namespace Qt::StringLiterals;

namespace disim {

namespace {
std::uint8_t at(QByteArrayView bytes, qsizetype i)
{
    return static_cast<std::uint8_t>(bytes[i]);
}

std::uint32_t wordAt(QByteArrayView bytes, qsizetype k)
{
    return toUInt32LE(at(bytes, k), at(bytes, k + 1), at(bytes, k + 2), at(bytes, k + 3));
}
} // namespace

std::uint32_t toUInt32LE(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3)
{
    return std::uint32_t(b0) | std::uint32_t(b1) << 8 | std::uint32_t(b2) << 16 | std::uint32_t(b3) << 24;
}

std::optional<Report> decodeReport(QByteArrayView bytes)
{
    const qsizetype n = bytes.size();
    if (n != Report::kNormal && n != Report::kWithCheckByte && n != Report::kWithGapTimes)
        return std::nullopt;
    Report r;
    for (int i = 0; i < 6; ++i)
        r.inputs[i] = QChar::fromLatin1(bytes[1 + i]);
    for (int j = 0; j < 2; ++j)
        r.outputs[j] = QChar::fromLatin1(bytes[7 + j]);
    for (int i = 0; i < 6; ++i)
        r.counters[i] = wordAt(bytes, 9 + 4 * i);
    if (n == Report::kWithCheckByte)
        r.checkByte = at(bytes, 33);
    if (n == Report::kWithGapTimes) {
        std::array<std::uint32_t, 6> gaps{};
        for (int i = 0; i < 6; ++i)
            gaps[i] = wordAt(bytes, 33 + 4 * i);
        r.gapTimes = gaps;
    }
    return r;
}

QString checkByteText(std::uint8_t b)
{
    return QString::number(b, 16).toUpper();
}

QString recvLine(const QString &stamp, QByteArrayView bytes)
{
    return stamp + u" RECV : "_s + r5::hex::dump(bytes);
}

QString wrongLengthLine(qsizetype length)
{
    return u"Different responce data length : "_s + QString::number(length) + u" Bytes"_s;
}

} // namespace disim
