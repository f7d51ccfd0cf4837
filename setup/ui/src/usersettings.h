#pragma once

#include <QString>

class QCheckBox;

namespace r5setup {

// devsetup's own per-user settings store (SETUP.INI keeps only the keys it always had): `box`
// starts as it was left in the last run, `byDefault` the first time, and every change is kept.
void rememberCheck(QCheckBox *box, const QString &key, bool byDefault);

} // namespace r5setup
