#include "r5device/settingsrules.h"

#include "r5device/fieldrange.h"
#include "r5device/protocol/codec.h"

using namespace Qt::StringLiterals;

namespace r5setup::settings {

namespace {

// `field` is the control the box names; `focus` the one that takes the focus after it.
Refusal says(const QString &message, const QString &field, const QString &focus = {})
{
    return Refusal{message, focus, false, field};
}

// A field's number within `range`: the refusal is the toolkit's conversion error when the
// text is no number at all, `outOfRange` when it is one outside the range. Negative numbers
// only arrive by pasting; they are out of range everywhere, as no field has a byte for them.
template <typename T> Checked<T> number(QStringView text, FieldRange range, const Refusal &outOfRange)
{
    const std::optional<int> n = r5::protocol::decimalNumber(text);
    if (!n)
        return {{}, Refusal{maint::invalidInteger(text), {}, true, outOfRange.field}};
    if (*n < range.low || *n > range.high)
        return {{}, outOfRange};
    return {T(*n), {}};
}

QString wanField(std::size_t i)
{
    static const QString rows[] = {u"Edit_IP"_s, u"Edit_GW"_s, u"Edit_SM"_s};
    return rows[i / 4] + QString::number(i % 4 + 1);
}

} // namespace

Checked<r5::protocol::WanSettings> checkWan(const std::array<QString, 12> &octets)
{
    for (std::size_t i = 0; i < octets.size(); ++i) {
        if (octets[i].isEmpty())
            return {{}, says(text::wanEmpty(), wanField(i))};
    }
    r5::protocol::WanSettings wan;
    std::array<std::uint8_t, 4> *rows[] = {&wan.ip, &wan.gateway, &wan.mask};
    for (std::size_t i = 0; i < octets.size(); ++i) {
        const auto octet =
            number<std::uint8_t>(octets[i], kOctetRange, says(text::octetRange(), wanField(i)));
        if (!octet)
            return {{}, octet.refusal};
        (*rows[i / 4])[i % 4] = *octet.value;
    }
    return {wan, {}};
}

Checked<ServerSettings> checkServer(QStringView port, QStringView expiry)
{
    const QString portField = u"Edit_Server_Port"_s;
    const QString expiryField = u"CB_Server_ExpTime"_s;
    if (port.isEmpty())
        return {{}, says(text::portEmpty(), portField, portField)};
    if (expiry.isEmpty())
        return {{}, says(text::expiryEmpty(), expiryField, expiryField)};
    const auto p = number<std::uint16_t>(port, kPortRange, says(text::portRange(), portField, portField));
    if (!p)
        return {{}, p.refusal};
    const auto e =
        number<std::uint8_t>(expiry, kOctetRange, says(text::expiryRange(), expiryField, expiryField));
    if (!e)
        return {{}, e.refusal};
    return {ServerSettings{*p.value, *e.value}, {}};
}

Checked<std::array<std::uint16_t, 5>> checkThroughputTimes(const std::array<QString, 5> &times)
{
    const auto timeField = [](std::size_t i) -> QString {
        return u"CB_ThrouputTime"_s + QString::number(i + 1);
    };
    for (std::size_t i = 0; i < times.size(); ++i) {
        if (times[i].isEmpty())
            return {{}, says(text::throughputEmpty(), timeField(i))};
    }
    std::array<std::uint16_t, 5> values{};
    for (std::size_t i = 0; i < times.size(); ++i) {
        const int channel = int(i) + 1;
        const auto t = number<std::uint16_t>(
            times[i], kThroughputRange, says(text::throughputRange(channel), timeField(i), timeField(i)));
        if (!t)
            return {{}, t.refusal};
        values[i] = *t.value;
    }
    return {values, {}};
}

std::optional<Refusal> checkSsid(QStringView ssid)
{
    // Counted in bytes, as the device counts them: one Korean syllable is enough.
    if (r5::protocol::mb::encode(ssid).size() < 2)
        return says(text::ssidCheck(), {}, u"Edit_Current_SSID"_s);
    return std::nullopt;
}

} // namespace r5setup::settings
