#include "refusalbox.h"

#include "r5/prompter.h"

#include <QWidget>

namespace r5setup {

void showRefusal(r5::Prompter &prompter, QWidget *window, const maint::Refusal &refusal,
                 std::initializer_list<QWidget *> fields)
{
    if (refusal.conversion)
        prompter.error(window, refusal.message);
    else
        prompter.message(window, r5::Prompter::Icon::None, {}, refusal.message);
    if (refusal.focus.isEmpty())
        return;
    for (QWidget *field : fields) {
        if (field->objectName() == refusal.focus) {
            field->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    Q_ASSERT_X(false, "showRefusal", "the refusal names a field the command did not read");
}

} // namespace r5setup
