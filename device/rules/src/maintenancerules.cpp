#include "r5device/maintenancerules.h"

#include "r5device/protocol/codec.h"

using namespace Qt::StringLiterals;

namespace r5setup::maint {

namespace {

Refusal says(const QString &message, const QString &focus = {})
{
    return Refusal{message, focus, false};
}

Refusal notANumber(QStringView text)
{
    return Refusal{invalidInteger(text), {}, true};
}

} // namespace

QString invalidInteger(QStringView text)
{
    return u"'"_s + text + u"' is not a valid integer value"_s;
}

Checked<FlashSave> checkFlashSave(QStringView interval, QStringView delay)
{
    if (interval.isEmpty())
        return {{}, says(text::wordRange())};
    const std::optional<int> n = r5::protocol::decimalNumber(interval);
    if (!n)
        return {{}, notANumber(interval)};
    // A pasted negative value has no word to go in either.
    if (*n > 65535 || *n < 0)
        return {{}, says(text::wordRange())};
    const std::optional<int> d = r5::protocol::decimalNumber(delay);
    if (!d || *d < 0 || *d > 255)
        return {{}, says(text::octetRange(), u"Edit_FlashSaveDelay"_s)};
    return {FlashSave{std::uint16_t(*n), std::uint8_t(*d)}, {}};
}

Checked<FirmwareOrder> checkFirmwareDownload(const std::array<QString, 4> &octets, QStringView port,
                                             QStringView fileName)
{
    FirmwareOrder order;
    for (std::size_t i = 0; i < octets.size(); ++i) {
        const std::optional<int> n = r5::protocol::decimalNumber(octets[i]);
        if (!n)
            return {{}, notANumber(octets[i])};
        if (*n > 255 || *n < 0)
            return {{}, says(text::octetRange())};
        order.server[i] = std::uint8_t(*n);
    }
    if (port.isEmpty())
        return {{}, says(text::wordRange())};
    const std::optional<int> p = r5::protocol::decimalNumber(port);
    if (!p)
        return {{}, notANumber(port)};
    if (*p > 65535 || *p < 0)
        return {{}, says(text::wordRange())};
    order.port = std::uint16_t(*p);
    // Counted in bytes, as the device counts them.
    if (r5::protocol::mb::encode(fileName).size() < 2)
        return {{}, says(text::fileNameCheck(), u"Edit_DL_File"_s)};
    return {order, {}};
}

Checked<std::uint16_t> checkHttpServerPort(QStringView port)
{
    if (port.isEmpty())
        return {{}, says(text::httpServerPortRange())};
    const std::optional<int> p = r5::protocol::decimalNumber(port);
    if (!p)
        return {{}, notANumber(port)};
    if (*p < 1 || *p > 65535)
        return {{}, says(text::httpServerPortRange())};
    return {std::uint16_t(*p), {}};
}

AdminStep adminStep(bool panelsShown, QStringView typed)
{
    AdminStep step;
    step.hidePanels = panelsShown && typed.isEmpty();
    if (typed == kAdminPassword)
        step.showPanels = true;
    else
        step.focusEdit = true;
    return step;
}

} // namespace r5setup::maint
