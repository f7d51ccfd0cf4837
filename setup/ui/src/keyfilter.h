#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>

class QWidget;

namespace r5 {
class Prompter;
}

namespace r5setup {

// `Edit_IP1KeyPress` and `Edit_IP1KeyDown` as one event filter for every number field: only
// digits, space and backspace are typed, anything else is dropped with the "숫자만 입력
// 가능합니다" box; on the address octet edits Space moves the focus on to the next control in
// tab order instead of being typed (a field that kept the space would fail its conversion).
// Pasted text is not filtered, as in every field of the program.
class KeyFilter final : public QObject
{
    Q_OBJECT
public:
    // Boxes are shown through `prompter` over `boxParent`.
    KeyFilter(r5::Prompter &prompter, QWidget *boxParent);

    // Filters the key presses of `field`: a line edit or an editable combo box.
    void attach(QWidget *field, bool spaceMovesOn = false);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    r5::Prompter &m_prompter;
    QPointer<QWidget> m_boxParent;
    QSet<QObject *> m_spaceMovesOn;
};

// The control after `from` in its window's tab order that can take the focus, or nullptr.
QWidget *nextTabStop(QWidget *from);

} // namespace r5setup
