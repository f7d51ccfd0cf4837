#include "core/entry.h"

#include <QString>
#include <cmath>
#include <limits>

namespace disim {

std::optional<std::uint16_t> parsePort(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty() || t.size() > 5)
        return std::nullopt;
    int value = 0;
    for (const QChar c : t) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value < 1 || value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

std::optional<int> parseIntervalMs(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    const qsizetype start = i;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 0x80)
        ++i;
    if (i < text.size() && text[i] == u'.') {
        ++i;
        while (i < text.size() && text[i].isDigit() && text[i].unicode() < 0x80)
            ++i;
    }
    bool ok = false;
    const double seconds = text.mid(start, i - start).toString().toDouble(&ok);
    if (!ok || !std::isfinite(seconds))
        return std::nullopt;
    const double ms = std::round(seconds * 1000.0);
    if (ms < 1.0 || ms > double(std::numeric_limits<int>::max()))
        return std::nullopt;
    return int(ms);
}

bool isEntryKeyAllowed(QChar c)
{
    return c == u'.' || c == QChar(8) || (c >= u'0' && c <= u'9');
}

} // namespace disim
