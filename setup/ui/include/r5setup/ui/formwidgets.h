#pragma once

#include <QString>

class QGroupBox;
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

} // namespace r5setup::form
