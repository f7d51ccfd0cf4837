#pragma once

#include <QStringView>
#include <memory>

class QSettings;

namespace disim {

// The per-user store: application "KV3810_SIMUL", section "Simulator_3900".
inline constexpr QStringView kSettingsApplication = u"KV3810_SIMUL";
inline constexpr QStringView kSettingsSection = u"Simulator_3900";

std::unique_ptr<QSettings> openSettings();

} // namespace disim
