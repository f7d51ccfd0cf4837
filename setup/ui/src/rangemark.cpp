#include "rangemark.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPalette>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {

constexpr const char *kMarked = "r5OutOfRange";

void show(QWidget *field, const QString &text, FieldRange range)
{
    const bool out = outOfRange(text, range);
    if (out == isMarkedOutOfRange(field))
        return;
    field->setProperty(kMarked, out);
    if (out) {
        // The palette rather than a style sheet: the field keeps its size and its style.
        QPalette marked = field->palette();
        marked.setColor(QPalette::Base, QColor(255, 205, 205));
        marked.setColor(QPalette::Text, QColor(160, 0, 0));
        field->setPalette(marked);
    } else {
        field->setPalette(QPalette());
    }
    const QString note = out ? outOfRangeNote(range) : QString();
    field->setToolTip(note);
    field->setAccessibleDescription(note);
}

} // namespace

void markOutOfRange(QLineEdit *edit, FieldRange range)
{
    QObject::connect(edit, &QLineEdit::textChanged, edit,
                     [edit, range](const QString &text) { show(edit, text, range); });
}

void markOutOfRange(QComboBox *combo, FieldRange range)
{
    const auto update = [combo, range](const QString &text) { show(combo, text, range); };
    QObject::connect(combo, &QComboBox::currentTextChanged, combo, update);
    QObject::connect(combo, &QComboBox::editTextChanged, combo, update);
}

bool isMarkedOutOfRange(const QWidget *field)
{
    return field->property(kMarked).toBool();
}

} // namespace r5setup
