#include "refusalbox.h"

#include "r5/prompter.h"

#include <QWidget>

namespace r5setup {

void showRefusal(r5::Prompter &prompter, QWidget *window, const maint::Refusal &refusal)
{
    if (refusal.conversion)
        prompter.error(window, refusal.message);
    else
        prompter.message(window, r5::Prompter::Icon::None, {}, refusal.message);
    if (refusal.focus.isEmpty())
        return;
    if (auto *field = window->findChild<QWidget *>(refusal.focus))
        field->setFocus(Qt::OtherFocusReason);
}

} // namespace r5setup
