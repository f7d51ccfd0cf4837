#pragma once

#include <QString>
#include <QStringView>
#include <Qt>

// The key rule of the number fields: what a typed character may do to a field that holds
// only digits.
namespace r5setup::entry {

enum class KeyVerdict {
    Pass,   // the character goes into the field (digits, space) or is not a character at all
    Refuse, // the character is dropped and the user is told
};

// `typed` is the text a key press produces. Digits, the space and backspace pass; so do keys
// that type nothing or only control characters (Enter, Tab, Escape, shortcuts), which are not
// entries. Any other character is refused.
KeyVerdict keyVerdict(QStringView typed);

// Whether a key press with `typed` text and `modifiers` puts that text into a line edit, as
// the line edit decides it: a printable character does, whatever Alt, AltGr (Ctrl+Alt), Meta or
// Shift is held with it; with Ctrl alone (or Ctrl+Shift) it is a shortcut and types nothing, and
// keys with no text or only control characters (navigation, Enter, backspace) type nothing.
bool insertsText(QStringView typed, Qt::KeyboardModifiers modifiers);

// The box shown for a refused character (no full stop at its end).
inline QString digitsOnlyMessage()
{
    return QStringLiteral("숫자만 입력 가능합니다");
}

} // namespace r5setup::entry
