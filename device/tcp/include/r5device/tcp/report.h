#pragma once

#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace disim {

// A status report as the device sends it. The kind goes by length alone: 33 bytes normal,
// 34 bytes normal with a check byte, 57 bytes with gap times. Fields a kind lacks are empty,
// so the window leaves their boxes as they were.
struct Report
{
    static constexpr int kNormal = 33;
    static constexpr int kWithCheckByte = 34;
    static constexpr int kWithGapTimes = 57;

    std::array<QChar, 6> inputs{};
    std::array<QChar, 2> outputs{};
    std::array<std::uint32_t, 6> counters{};
    std::optional<std::uint8_t> checkByte;
    std::optional<std::array<std::uint32_t, 6>> gapTimes;
};

// Least significant byte first.
std::uint32_t toUInt32LE(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3);

// The report in one arrival, or nothing when its length is none of the three. Each arrival is
// one whole report: there is no reassembly, as the device answers each command in one send.
std::optional<Report> decodeReport(QByteArrayView bytes);

// Upper-case hex without padding: 0x05 gives "5", 0xA0 gives "A0".
QString checkByteText(std::uint8_t b);

// stamp + " RECV : " + every byte as two hex digits, no separators.
QString recvLine(const QString &stamp, QByteArrayView bytes);

// The line listed for an arrival of any other length.
QString wrongLengthLine(qsizetype length);

} // namespace disim
