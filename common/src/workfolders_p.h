#pragma once

#include <QString>

namespace r5::detail {

// Whether this user can create files in `folder`.
bool canCreateIn(const QString &folder);

} // namespace r5::detail
