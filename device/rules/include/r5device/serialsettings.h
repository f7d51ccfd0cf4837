#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace r5setup {

// The settings of the device's serial port, as the window starts with them (the configuration
// file then overrides port, baud rate, data bits, stop bits and parity).
struct SerialSettings
{
    enum class StopBits { One, OneAndHalf, Two };
    enum class Parity { None, Odd, Even, Mark, Space };
    enum class FlowControl { None, Hardware, Software };

    QString portName = QStringLiteral("COM1");
    qint32 baudRate = 115200;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;
    Parity parity = Parity::None;
    FlowControl flowControl = FlowControl::None;

    friend bool operator==(const SerialSettings &, const SerialSettings &) = default;
};

// Text to setting, as written in the configuration file and typed in the port dialog; an
// unknown text gives nullopt.
std::optional<qint32> baudRateFromText(QStringView text);
std::optional<int> dataBitsFromText(QStringView text);
std::optional<SerialSettings::StopBits> stopBitsFromText(QStringView text);
std::optional<SerialSettings::Parity> parityFromText(QStringView text);
std::optional<SerialSettings::FlowControl> flowControlFromText(QStringView text);

QString toText(SerialSettings::StopBits value);
QString toText(SerialSettings::Parity value);
QString toText(SerialSettings::FlowControl value);

// The choices the port dialog offers, in display order.
QStringList dataBitsTexts();
QStringList stopBitsTexts();
QStringList parityTexts();
QStringList flowControlTexts();

// Applies the five texts of the configuration file to `base`; a text that does not convert
// leaves the value of `base`, so a damaged file cannot leave the port unusable.
SerialSettings withConfigTexts(SerialSettings base, const QString &port, const QString &baud,
                               const QString &dataBits, const QString &stopBits, const QString &parity);

} // namespace r5setup
