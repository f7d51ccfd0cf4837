#include "r5setup/ui/formwidgets.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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

} // namespace r5setup::form
