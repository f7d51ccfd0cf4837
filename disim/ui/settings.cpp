#include "ui/settings.h"

#include <QSettings>

namespace disim {

std::unique_ptr<QSettings> openSettings()
{
    auto s = std::make_unique<QSettings>(QSettings::UserScope, kSettingsApplication.toString());
    s->beginGroup(kSettingsSection.toString());
    return s;
}

} // namespace disim
