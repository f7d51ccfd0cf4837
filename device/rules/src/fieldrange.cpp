#include "r5device/fieldrange.h"

#include "r5device/protocol/codec.h"

using namespace Qt::StringLiterals;

namespace r5setup {

bool outOfRange(QStringView text, FieldRange range)
{
    const std::optional<int> n = r5::protocol::decimalNumber(text);
    return n && (*n < range.low || *n > range.high);
}

QString outOfRangeNote(FieldRange range)
{
    return u"Out of range: %1 ~ %2"_s.arg(range.low).arg(range.high);
}

} // namespace r5setup
