#include "keyfilter.h"

#include "r5/prompter.h"
#include "r5setup/keyrule.h"

#include <QKeyEvent>
#include <QWidget>

namespace r5setup {

KeyFilter::KeyFilter(r5::Prompter &prompter, QWidget *boxParent)
    : QObject(boxParent), m_prompter(prompter), m_boxParent(boxParent)
{}

void KeyFilter::attach(QWidget *field, bool spaceMovesOn)
{
    field->installEventFilter(this);
    if (spaceMovesOn)
        m_spaceMovesOn.insert(field);
    connect(field, &QObject::destroyed, this, [this](QObject *gone) { m_spaceMovesOn.remove(gone); });
}

bool KeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    // Shortcuts (copy, paste, select all) and navigation type nothing and pass untouched;
    // whatever types a character meets the rule, with any modifier held.
    if (!entry::insertsText(key->text(), key->modifiers()))
        return false;
    if (key->key() == Qt::Key_Space && m_spaceMovesOn.contains(watched)) {
        if (QWidget *next = nextTabStop(static_cast<QWidget *>(watched)))
            next->setFocus(Qt::TabFocusReason);
        return true;
    }
    if (entry::keyVerdict(key->text()) == entry::KeyVerdict::Pass)
        return false;
    m_prompter.message(m_boxParent, r5::Prompter::Icon::None, {}, entry::digitsOnlyMessage());
    return true;
}

QWidget *nextTabStop(QWidget *from)
{
    QWidget *window = from->window();
    for (QWidget *w = from->nextInFocusChain(); w && w != from; w = w->nextInFocusChain()) {
        // An inner edit (of a combo box) hands its focus to its owner, which has its own turn.
        if (w->window() != window || w->focusProxy())
            continue;
        if ((w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && w->isEnabled() && w->isVisibleTo(window))
            return w;
    }
    return nullptr;
}

} // namespace r5setup
