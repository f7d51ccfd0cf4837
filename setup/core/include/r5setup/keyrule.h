#pragma once

#include <QString>
#include <QStringView>

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

// The box shown for a refused character (no full stop at its end).
inline QString digitsOnlyMessage()
{
    return QStringLiteral("숫자만 입력 가능합니다");
}

} // namespace r5setup::entry
