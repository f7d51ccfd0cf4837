#include "r5/wholefile.h"
#include "r5site/sitelist.h"

using namespace Qt::StringLiterals;

namespace r5site {

SiteList readSiteList(const QString &path)
{
    // A site list is a few hundred rows; anything near this size is no site list.
    constexpr qint64 kMaxBytes = 64 * 1024 * 1024;
    const r5::FileRead read = r5::readFileUpTo(path, kMaxBytes);
    if (read.tooLarge)
        return {{}, path + u": too large for a site list"_s};
    if (!read.bytes)
        return {{}, path + u": cannot be read: "_s + read.error};
    return parseSiteList(*read.bytes, path);
}

} // namespace r5site
