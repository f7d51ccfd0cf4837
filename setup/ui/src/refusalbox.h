#pragma once

#include "r5setup/maintenancerules.h"

class QWidget;

namespace r5 {
class Prompter;
}

namespace r5setup {

// Shows why a command did not go out: the program's box, or the toolkit's error for a text that
// is not a number; then the named field of `window` takes the focus.
void showRefusal(r5::Prompter &prompter, QWidget *window, const maint::Refusal &refusal);

} // namespace r5setup
