#pragma once

#include <QString>

namespace r5::sim {

// The destination address and port, kept in the per-user settings store under "KV3700_SIMUL",
// section "Simulator", keys "ADDRESS" and "PORT". Saved on every change.
namespace simsettings {
QString address();
QString port();
void setAddress(const QString &address);
void setPort(const QString &port);
} // namespace simsettings

} // namespace r5::sim
