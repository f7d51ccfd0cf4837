// Site lists and scan ranges: any bytes are read or refused with the file, a line and a reason;
// every device read has an address and a port; a range read holds at most a /16, first to last.
#include "r5site/scanrange.h"
#include "r5site/sitelist.h"

#include <QSet>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {
void check(bool ok)
{
    if (!ok)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const r5site::SiteList list = r5site::parseSiteList(bytes, u"f.csv"_s);
    if (list.ok()) {
        check(!list.entries.isEmpty());
        QSet<QString> seen;
        for (const r5site::SiteEntry &e : list.entries) {
            check(!e.address.isEmpty() && e.port >= 1 && e.line >= 2);
            const QString key = e.address + u':' + QString::number(e.port);
            check(!seen.contains(key));
            seen.insert(key);
        }
    } else {
        check(list.error.startsWith(u"f.csv: line "_s) && list.entries.isEmpty());
    }
    const r5site::ParsedRange range =
        r5site::parseRange(QString::fromUtf8(bytes.first(std::min<qsizetype>(bytes.size(), 200))));
    if (range.range)
        check(range.range->first <= range.range->last && range.range->count() <= r5site::kMaxScanAddresses);
    else
        check(!range.error.isEmpty());
    return 0;
}
