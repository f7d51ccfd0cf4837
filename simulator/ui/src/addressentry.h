#pragma once

#include "sim/options.h"

#include <QList>
#include <QObject>
#include <functional>

class QLineEdit;

namespace r5::sim {

// The four octet boxes of the destination address and the port box after them: focus moves on a
// full box, on "." and back on Backspace in an empty one; only digits, "." and the editing keys
// are taken; an octet out of range is refused with its box when the box is left; every change is
// saved.
class AddressEntry : public QObject
{
    Q_OBJECT
public:
    // `show` puts up the range boxes.
    AddressEntry(const QList<QLineEdit *> &octets, QLineEdit *port, std::function<void(const Notice &)> show,
                 QObject *parent);

    // Fills the boxes from the stored settings without saving them back piece by piece.
    void load();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void keyPress(int index, QEvent *event, bool &consumed);
    void keyRelease(int index, QEvent *event);
    void leave(int index);
    // Selects the whole text of box `index` and gives it the focus.
    void txt_check(int index);
    void save();

    QList<QLineEdit *> m_octets;
    QLineEdit *m_port;
    std::function<void(const Notice &)> m_show;
    bool m_loading = false;
    int m_pressedIn = -1; // the box that took the last key press
    int m_movedOnTo = -1; // the box a full box moved on to, until its first key
};

} // namespace r5::sim
