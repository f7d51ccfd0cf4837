#include "r5device/serialsettings.h"

#include <array>
#include <utility>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {

using S = SerialSettings;

template <typename E, std::size_t N>
std::optional<E> lookup(const std::array<std::pair<QStringView, E>, N> &table, QStringView text)
{
    const QStringView t = text.trimmed();
    for (const auto &[name, value] : table) {
        if (t.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

template <typename E, std::size_t N>
QString name(const std::array<std::pair<QStringView, E>, N> &table, E value)
{
    for (const auto &[n, v] : table) {
        if (v == value)
            return n.toString();
    }
    return {};
}

template <typename E, std::size_t N> QStringList names(const std::array<std::pair<QStringView, E>, N> &table)
{
    QStringList out;
    for (const auto &entry : table)
        out.append(entry.first.toString());
    return out;
}

constexpr std::array<std::pair<QStringView, S::StopBits>, 3> kStopBits{{
    {u"1", S::StopBits::One},
    {u"1.5", S::StopBits::OneAndHalf},
    {u"2", S::StopBits::Two},
}};

constexpr std::array<std::pair<QStringView, S::Parity>, 5> kParity{{
    {u"None", S::Parity::None},
    {u"Odd", S::Parity::Odd},
    {u"Even", S::Parity::Even},
    {u"Mark", S::Parity::Mark},
    {u"Space", S::Parity::Space},
}};

constexpr std::array<std::pair<QStringView, S::FlowControl>, 3> kFlow{{
    {u"None", S::FlowControl::None},
    {u"Hardware", S::FlowControl::Hardware},
    {u"Software", S::FlowControl::Software},
}};

} // namespace

std::optional<qint32> baudRateFromText(QStringView text)
{
    bool ok = false;
    const qint32 value = text.trimmed().toInt(&ok);
    if (!ok || value <= 0)
        return std::nullopt;
    return value;
}

std::optional<int> dataBitsFromText(QStringView text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 5 || value > 8)
        return std::nullopt;
    return value;
}

std::optional<S::StopBits> stopBitsFromText(QStringView text)
{
    return lookup(kStopBits, text);
}

std::optional<S::Parity> parityFromText(QStringView text)
{
    return lookup(kParity, text);
}

std::optional<S::FlowControl> flowControlFromText(QStringView text)
{
    return lookup(kFlow, text);
}

QString toText(S::StopBits value)
{
    return name(kStopBits, value);
}

QString toText(S::Parity value)
{
    return name(kParity, value);
}

QString toText(S::FlowControl value)
{
    return name(kFlow, value);
}

QStringList dataBitsTexts()
{
    return {u"5"_s, u"6"_s, u"7"_s, u"8"_s};
}

QStringList stopBitsTexts()
{
    return names(kStopBits);
}

QStringList parityTexts()
{
    return names(kParity);
}

QStringList flowControlTexts()
{
    return names(kFlow);
}

SerialSettings withConfigTexts(SerialSettings base, const QString &port, const QString &baud,
                               const QString &dataBits, const QString &stopBits, const QString &parity)
{
    if (!port.trimmed().isEmpty())
        base.portName = port.trimmed();
    base.baudRate = baudRateFromText(baud).value_or(base.baudRate);
    base.dataBits = dataBitsFromText(dataBits).value_or(base.dataBits);
    base.stopBits = stopBitsFromText(stopBits).value_or(base.stopBits);
    base.parity = parityFromText(parity).value_or(base.parity);
    return base;
}

} // namespace r5setup
