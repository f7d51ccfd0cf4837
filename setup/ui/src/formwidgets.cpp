#include "r5setup/ui/formwidgets.h"

#include "r5/accessibility.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace r5setup::form {

QGroupBox *panel(QWidget *parent, const QString &name, const QString &title)
{
    auto *box = new QGroupBox(title, parent);
    box->setObjectName(name);
    new QGridLayout(box);
    return box;
}

QPushButton *button(QWidget *parent, const QString &name, const QString &caption, const QString &hint)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAccessibleName(caption.trimmed());
    if (!hint.isEmpty())
        b->setProperty("hint", hint);
    return b;
}

QLineEdit *edit(QWidget *parent, const QString &name, const QString &text, int maxLength,
                const QString &accessibleName)
{
    auto *e = new QLineEdit(text, parent);
    e->setObjectName(name);
    e->setAccessibleName(accessibleName);
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    return e;
}

QLabel *label(QWidget *parent, const QString &text)
{
    return new QLabel(text, parent);
}

QLabel *display(QWidget *parent, const QString &name, const QString &text, const QString &accessibleName)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    r5::a11y::markValueDisplay(l, accessibleName);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setAlignment(Qt::AlignCenter);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

QComboBox *combo(QWidget *parent, const QString &name, const QStringList &items, const QString &text,
                 bool editable, const QString &accessibleName)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(name);
    c->setAccessibleName(accessibleName);
    c->setEditable(editable);
    // Typed values are taken as they are, never added to the list.
    c->setInsertPolicy(QComboBox::NoInsert);
    c->addItems(items);
    c->setCurrentText(text);
    return c;
}

void showText(QLineEdit *edit, const QString &text)
{
    if (edit->text() != text)
        edit->setText(text);
}

void showText(QLabel *display, const QString &text)
{
    r5::a11y::showValue(display, text);
}

void showText(QComboBox *combo, const QString &text)
{
    if (combo->currentText() != text)
        combo->setEditText(text);
}

RadioGroup::RadioGroup(QWidget *parent, const QString &name, const QString &title, const QStringList &items)
    : QGroupBox(title, parent), m_buttons(new QButtonGroup(this))
{
    setObjectName(name);
    setAccessibleName(title.trimmed());
    auto *column = new QVBoxLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto *radio = new QRadioButton(items[i], this);
        radio->setAccessibleName(items[i].simplified());
        m_buttons->addButton(radio, i);
        column->addWidget(radio);
    }
    setItemIndex(0);
}

int RadioGroup::itemIndex() const
{
    return m_buttons->checkedId();
}

void RadioGroup::setItemIndex(int index)
{
    if (auto *radio = m_buttons->button(index))
        radio->setChecked(true);
}

} // namespace r5setup::form
