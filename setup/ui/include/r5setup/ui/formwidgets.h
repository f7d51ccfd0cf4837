#pragma once

#include <QGroupBox>
#include <QString>
#include <QStringList>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Builders for the controls of the pages: each gets its object name (the control name the
// handlers and the configuration table use) and an accessible name.
namespace r5setup::form {

// A titled panel with an empty QGridLayout; row 0 is its title bar for buttons.
QGroupBox *panel(QWidget *parent, const QString &name, const QString &title);

// `hint` carries the command id of buttons whose handler reads it (dynamic property "hint").
QPushButton *button(QWidget *parent, const QString &name, const QString &caption, const QString &hint = {});

QLineEdit *edit(QWidget *parent, const QString &name, const QString &text, int maxLength,
                const QString &accessibleName);

QLabel *label(QWidget *parent, const QString &text);

// A framed text display (the device's read-only values: name, version, MAC).
QLabel *display(QWidget *parent, const QString &name, const QString &text, const QString &accessibleName);

// A combo box with `items`; editable ones take typed values, the others are drop-down lists.
QComboBox *combo(QWidget *parent, const QString &name, const QStringList &items, const QString &text,
                 bool editable, const QString &accessibleName);

// Writes a device's answer into a field only when the text differs: an unchanged field keeps
// its cursor, and a device repeating itself many times a second costs no redraw.
void showText(QLineEdit *edit, const QString &text);
// A display's text; a screen reader hears of the change.
void showText(QLabel *display, const QString &text);
// The edit text of an editable combo box.
void showText(QComboBox *combo, const QString &text);

// A titled group of radio items numbered from 0, one of them selected.
class RadioGroup final : public QGroupBox
{
    Q_OBJECT
public:
    RadioGroup(QWidget *parent, const QString &name, const QString &title, const QStringList &items);

    int itemIndex() const;
    void setItemIndex(int index);

private:
    QButtonGroup *m_buttons;
};

} // namespace r5setup::form
