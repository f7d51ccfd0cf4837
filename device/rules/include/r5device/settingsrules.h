#pragma once

#include "r5device/maintenancerules.h"
#include "r5device/protocol/requests.h"

#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <optional>

// Checks of the first two pages' fields before the WAN, server, DI and access point requests
// are built, and those commands' fixed texts. Fields are read in the order the commands read
// them: every emptiness test first, then each field's number and range in turn, so a text that
// is not a number is reported when its turn comes.
namespace r5setup::settings {

using maint::Checked;
using maint::Refusal;

// `Edit_IP1`..4, `Edit_GW1`..4 and `Edit_SM1`..4, in that order.
Checked<r5::protocol::WanSettings> checkWan(const std::array<QString, 12> &octets);

struct ServerSettings
{
    std::uint16_t port = 0;
    std::uint8_t expirySeconds = 0;
};

// `Edit_Server_Port` and the text of `CB_Server_ExpTime`.
Checked<ServerSettings> checkServer(QStringView port, QStringView expiry);

// The texts of `CB_ThrouputTime1`..5.
Checked<std::array<std::uint16_t, 5>> checkThroughputTimes(const std::array<QString, 5> &times);

// `Edit_Current_SSID`: at least 2 bytes in the system's multi-byte encoding. nullopt when it
// may be sent.
std::optional<Refusal> checkSsid(QStringView ssid);

namespace text {
inline QString statusFirst()
{
    return QStringLiteral("[현재설정확인] 을 선행 해주기시 바랍니다.");
}
inline QString wanEmpty()
{
    return QStringLiteral("IP 주소에는 공란입력이 불가합니다.");
}
inline QString octetRange()
{
    return maint::text::octetRange();
}
inline QString wanQuestion()
{
    return QStringLiteral("WAN 설정값을 저장한 후, 시스템이 Rebooting됩니다. 진행하시겠습니까?? ");
}
inline QString portEmpty()
{
    return QStringLiteral("TCP Server port 값은 공란 입력이 불가합니다.");
}
inline QString portRange()
{
    return QStringLiteral("TCP Server port 값은 1 ~ 65535 정수만 가능합니다.");
}
inline QString expiryEmpty()
{
    return QStringLiteral("Server Expire(Sec) 값은 공란 입력이 불가합니다.");
}
inline QString expiryRange()
{
    return QStringLiteral("Server Expire Time(Sec)은0 ~ 255 정수만 가능합니다.");
}
inline QString serverQuestion()
{
    return QStringLiteral("Server 설정값을 저장한 후, 시스템이 Rebooting됩니다. 진행하시겠습니까?? ");
}
inline QString throughputEmpty()
{
    return QStringLiteral("ThrouputTime에는 공란입력이 불가능합니다.");
}
// `channel` counts from 1.
inline QString throughputRange(int channel)
{
    return QStringLiteral("ThrouputTime") + QString::number(channel) +
           QStringLiteral(" 값을 확인하세요. 1 ~ 2550 정수만 가능합니다.");
}
inline QString diQuestion()
{
    return QStringLiteral("Digital Input 설정이 변경됩니다. 진행하시겠습니까?? ");
}
inline QString ssidCheck()
{
    return QStringLiteral("SSID를 확인하세요.");
}
inline QString apQuestion()
{
    return QStringLiteral("AP 설정이 변경 저장되고 시스템이 Rebooting됩니다. 진행하시겠습니까?? ");
}
} // namespace text

} // namespace r5setup::settings
