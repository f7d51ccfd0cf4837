#include "r5setup/linkstate.h"

#include <array>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {
constexpr std::array<QLatin1StringView, 21> kConnectedSet{{
    "Panel_Info_Default"_L1, "Panel_Info_Wan"_L1,         "Panel_Info_Server"_L1,
    "Panel_Info_Di"_L1,      "Panel_Info_CurrentAP"_L1,   "Panel_Info_AvailAP"_L1,
    "Panel_Info_Flash"_L1,   "Panel_Info_FW_Http"_L1,     "Btn_CurrentStatus"_L1,
    "Btn_FactoryReset"_L1,   "Btn_SystemReboot"_L1,       "Btn_Search_AP"_L1,
    "Btn_Get_CurrentAP"_L1,  "Btn_Get_CurrentAP_RSSI"_L1, "Btn_Save_Config_Wan"_L1,
    "Btn_ping"_L1,           "Btn_Save_Config_Server"_L1, "Btn_Save_Config_DI"_L1,
    "Btn_FlashSaveInt"_L1,   "Btn_FlashErase"_L1,         kRssiAutoCheck,
}};
} // namespace

EnableRow enableRow(LinkState state)
{
    switch (state) {
    case LinkState::Disconnected:
        return {true, false, true, true, false};
    case LinkState::Connecting:
        return {true, false, true, false, false};
    case LinkState::Connected:
        return {false, true, false, false, true};
    }
    return {true, false, true, true, false};
}

std::span<const QLatin1StringView> connectedSet()
{
    return kConnectedSet;
}

} // namespace r5setup
