#include "refusalbox.h"

#include "r5/prompter.h"

#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {

QWidget *named(const QList<QWidget *> &fields, const QString &name)
{
    for (QWidget *field : fields) {
        if (field->objectName() == name)
            return field;
    }
    Q_ASSERT_X(false, "showRefusal", "the refusal names a field the command did not read");
    return nullptr;
}

QString shownText(const QWidget *field)
{
    if (const auto *edit = qobject_cast<const QLineEdit *>(field))
        return edit->text();
    if (const auto *combo = qobject_cast<const QComboBox *>(field))
        return combo->currentText();
    return {};
}

} // namespace

void showRefusal(r5::Prompter &prompter, QWidget *window, const maint::Refusal &refusal,
                 const QList<QWidget *> &fields)
{
    QString text = refusal.message;
    // The program's text stays as it is; the field goes on a line of its own.
    if (const QWidget *field = refusal.field.isEmpty() ? nullptr : named(fields, refusal.field)) {
        const QString value = shownText(field);
        text += u'\n' + field->accessibleName() + (value.isEmpty() ? QString() : u": "_s + value);
    }
    if (refusal.conversion)
        prompter.error(window, text);
    else
        prompter.message(window, r5::Prompter::Icon::None, {}, text);
    if (refusal.focus.isEmpty())
        return;
    if (QWidget *field = named(fields, refusal.focus))
        field->setFocus(Qt::OtherFocusReason);
}

} // namespace r5setup
