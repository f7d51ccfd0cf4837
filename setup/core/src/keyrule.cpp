#include "r5setup/keyrule.h"

namespace r5setup::entry {

KeyVerdict keyVerdict(QStringView typed)
{
    for (const QChar c : typed) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            continue; // backspace and the other control characters
        if (!(c >= u'0' && c <= u'9') && c != u' ')
            return KeyVerdict::Refuse;
    }
    return KeyVerdict::Pass;
}

bool insertsText(QStringView typed, Qt::KeyboardModifiers modifiers)
{
    if (typed.isEmpty())
        return false;
    const QChar first = typed.front();
    // Zero-width joiners and the like are typed with Ctrl+Shift on some layouts.
    if (first.category() == QChar::Other_Format)
        return true;
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
    if (held == Qt::ControlModifier || held == (Qt::ControlModifier | Qt::ShiftModifier))
        return false;
    return first.isPrint() || first.category() == QChar::Other_PrivateUse || first.isHighSurrogate();
}

} // namespace r5setup::entry
