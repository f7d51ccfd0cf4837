#include "r5setup/settingsrules.h"

#include "r5setup/protocol/codec.h"

using namespace Qt::StringLiterals;

namespace r5setup::settings {

namespace {

Refusal says(const QString &message, const QString &focus = {})
{
    return Refusal{message, focus, false};
}

// A field's number within [low, high]: the refusal is the toolkit's conversion error when the
// text is no number at all, `outOfRange` when it is one outside the range. Negative numbers
// only arrive by pasting; they are out of range everywhere, as no field has a byte for them.
template <typename T> Checked<T> number(QStringView text, int low, int high, const Refusal &outOfRange)
{
    const std::optional<int> n = r5::protocol::decimalNumber(text);
    if (!n)
        return {{}, Refusal{maint::invalidInteger(text), {}, true}};
    if (*n < low || *n > high)
        return {{}, outOfRange};
    return {T(*n), {}};
}

} // namespace

Checked<r5::protocol::WanSettings> checkWan(const std::array<QString, 12> &octets)
{
    for (const QString &o : octets) {
        if (o.isEmpty())
            return {{}, says(text::wanEmpty())};
    }
    r5::protocol::WanSettings wan;
    std::array<std::uint8_t, 4> *rows[] = {&wan.ip, &wan.gateway, &wan.mask};
    for (std::size_t i = 0; i < octets.size(); ++i) {
        const auto octet = number<std::uint8_t>(octets[i], 0, 255, says(text::octetRange()));
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
        return {{}, says(text::portEmpty(), portField)};
    if (expiry.isEmpty())
        return {{}, says(text::expiryEmpty(), expiryField)};
    const auto p = number<std::uint16_t>(port, 1, 65535, says(text::portRange(), portField));
    if (!p)
        return {{}, p.refusal};
    const auto e = number<std::uint8_t>(expiry, 0, 255, says(text::expiryRange(), expiryField));
    if (!e)
        return {{}, e.refusal};
    return {ServerSettings{*p.value, *e.value}, {}};
}

Checked<std::array<std::uint16_t, 5>> checkThroughputTimes(const std::array<QString, 5> &times)
{
    for (const QString &t : times) {
        if (t.isEmpty())
            return {{}, says(text::throughputEmpty())};
    }
    std::array<std::uint16_t, 5> values{};
    for (std::size_t i = 0; i < times.size(); ++i) {
        const int channel = int(i) + 1;
        const auto t = number<std::uint16_t>(
            times[i], 1, 2550,
            says(text::throughputRange(channel), u"CB_ThrouputTime"_s + QString::number(channel)));
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
        return says(text::ssidCheck(), u"Edit_Current_SSID"_s);
    return std::nullopt;
}

} // namespace r5setup::settings
