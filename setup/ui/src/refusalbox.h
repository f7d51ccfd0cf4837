#pragma once

#include "r5device/maintenancerules.h"

#include <QList>

class QWidget;

namespace r5 {
class Prompter;
}

namespace r5setup {

// Shows why a command did not go out: the program's box, or the toolkit's error for a text that
// is not a number, with a second line naming the field it is about (its spoken name and what it
// holds); then the field the refusal names takes the focus. `fields` are the fields the command
// read (the rules name them by control name).
void showRefusal(r5::Prompter &prompter, QWidget *window, const maint::Refusal &refusal,
                 const QList<QWidget *> &fields = {});

} // namespace r5setup
