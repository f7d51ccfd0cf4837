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

} // namespace r5setup::entry
