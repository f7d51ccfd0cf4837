#include "addressentry.h"

#include "sim/address.h"
#include "simsettings.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace r5::sim {

namespace {
// The key code the boxes' rules see; -1 for keys that type nothing (arrows, Tab, Home).
int keyCode(const QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Delete:
        return 127;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return -1;
    default:
        break;
    }
    const QString text = e->text();
    if (text.isEmpty())
        return -1;
    return text.size() == 1 ? text[0].unicode() : 0;
}

} // namespace

AddressEntry::AddressEntry(const QList<QLineEdit *> &octets, QLineEdit *port,
                           std::function<void(const Notice &)> show, QObject *parent)
    : QObject(parent), m_octets(octets), m_port(port), m_show(std::move(show))
{
    for (QLineEdit *box : m_octets) {
        box->installEventFilter(this);
        connect(box, &QLineEdit::textChanged, this, &AddressEntry::save);
    }
    connect(m_port, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (!m_loading)
            simsettings::setPort(text);
    });
}

void AddressEntry::load()
{
    m_loading = true;
    const QStringList parts = addressBoxes(simsettings::address());
    for (int i = 0; i < m_octets.size(); ++i)
        m_octets[i]->setText(parts.value(i));
    m_port->setText(simsettings::port());
    m_loading = false;
}

void AddressEntry::save()
{
    if (m_loading)
        return;
    QStringList parts;
    for (const QLineEdit *box : std::as_const(m_octets))
        parts.append(box->text());
    simsettings::setAddress(addressText(parts));
}

bool AddressEntry::eventFilter(QObject *watched, QEvent *event)
{
    // Compared as objects: a box being destroyed still sends its last focus events.
    const auto it = std::find_if(m_octets.cbegin(), m_octets.cend(), [watched](const QLineEdit *box) {
        return static_cast<const QObject *>(box) == watched;
    });
    if (it == m_octets.cend())
        return QObject::eventFilter(watched, event);
    const int index = int(it - m_octets.cbegin());
    switch (event->type()) {
    case QEvent::KeyPress: {
        bool consumed = false;
        keyPress(index, event, consumed);
        return consumed;
    }
    case QEvent::KeyRelease:
        keyRelease(index, event);
        break;
    case QEvent::FocusIn:
        // After the click that brought the focus has placed the cursor.
        QTimer::singleShot(0, m_octets[index], &QLineEdit::selectAll);
        break;
    case QEvent::FocusOut: {
        if (m_movedOnTo == index)
            m_movedOnTo = -1;
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        // Checked once the focus change is over: the range box is modal.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            QTimer::singleShot(0, this, [this, index] { leave(index); });
        break;
    }
    default:
        break;
    }
    return false;
}

void AddressEntry::keyPress(int index, QEvent *event, bool &consumed)
{
    m_pressedIn = index;
    const int key = keyCode(static_cast<QKeyEvent *>(event));
    if (key < 0)
        return;
    // "127" moves on by itself, and the "." typed after it out of habit must not move on again.
    const bool movedHere = std::exchange(m_movedOnTo, -1) == index;
    if (movedHere && key == u'.') {
        consumed = true;
        return;
    }
    switch (octet::keyPress(index, key, leadingNumber(m_octets[index]->text()))) {
    case octet::Press::MovePrevious:
        // The key's work is the move: it is not typed into the box it left.
        txt_check(index - 1);
        consumed = true;
        break;
    case octet::Press::MoveNext:
        txt_check(index + 1);
        consumed = true;
        break;
    case octet::Press::Discard:
        consumed = true;
        break;
    case octet::Press::Accept:
        break;
    }
}

void AddressEntry::keyRelease(int index, QEvent *event)
{
    const auto *e = static_cast<QKeyEvent *>(event);
    // A key released in the box it moved to is not that box's key: the "." that moved on
    // must not move on again because the next box happens to be full.
    if (e->isAutoRepeat() || m_pressedIn != index)
        return;
    const QLineEdit *box = m_octets[index];
    switch (octet::keyRelease(index, keyCode(e), leadingNumber(box->text()), box->text().size())) {
    case octet::Release::MovePrevious:
        txt_check(index - 1);
        break;
    case octet::Release::MoveNext:
        // Selected at once, so the next key replaces the box's old text however fast it comes.
        txt_check(index + 1);
        m_movedOnTo = index + 1;
        break;
    case octet::Release::MoveToPort:
        m_port->setFocus(Qt::OtherFocusReason);
        break;
    case octet::Release::Stay:
        break;
    }
}

void AddressEntry::leave(int index)
{
    QLineEdit *box = m_octets[index];
    const octet::Leave verdict = octet::leave(index, leadingNumber(box->text()));
    switch (verdict) {
    case octet::Leave::CrossLimit:
    case octet::Leave::BadFormat:
        m_show(verdict == octet::Leave::CrossLimit ? notices::crossLimit() : notices::addressFormat());
        txt_check(index);
        box->clear();
        break;
    case octet::Leave::OkToPort:
        // Only when the focus did not go to another octet box: a click back into the address
        // keeps the typing there.
        if (!m_octets.contains(qobject_cast<QLineEdit *>(QApplication::focusWidget())))
            m_port->setFocus(Qt::OtherFocusReason);
        break;
    case octet::Leave::Ok:
        break;
    }
}

void AddressEntry::txt_check(int index)
{
    QLineEdit *box = m_octets[index];
    box->setSelection(0, int(box->text().size()));
    box->setFocus(Qt::OtherFocusReason);
}

} // namespace r5::sim
