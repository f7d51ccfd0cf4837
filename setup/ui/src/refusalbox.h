#pragma once

#include "r5setup/maintenancerules.h"

#include <initializer_list>

class QWidget;

namespace r5 {
class Prompter;
}

namespace r5setup {

// Shows why a command did not go out: the program's box, or the toolkit's error for a text that
// is not a number; then the field the refusal names takes the focus. `fields` are the fields the
// command read that a refusal may send the focus to (the rules name them by control name).
void showRefusal(r5::Prompter &prompter, QWidget *window, const maint::Refusal &refusal,
                 std::initializer_list<QWidget *> fields = {});

} // namespace r5setup
