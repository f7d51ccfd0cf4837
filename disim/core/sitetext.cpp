#include "core/sitetext.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace disim {

QString ageText(qint64 ms)
{
    const qint64 s = std::max<qint64>(ms, 0) / 1000;
    if (s < 60)
        return u"%1 s ago"_s.arg(s);
    if (s < 3600)
        return u"%1 min ago"_s.arg(s / 60);
    if (s < 48 * 3600)
        return u"%1 h ago"_s.arg(s / 3600);
    return u"%1 d ago"_s.arg(s / 86400);
}

QString siteLogFileName(QDate localDate)
{
    return localDate.toString(u"yyyyMMdd"_s) + u"_site.txt"_s;
}

} // namespace disim
