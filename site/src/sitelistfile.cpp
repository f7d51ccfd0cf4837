#include "r5site/sitelist.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace r5site {

SiteList readSiteList(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, path + u": cannot be read: "_s + file.errorString()};
    // A site list is a few hundred rows; anything near this size is no site list.
    constexpr qint64 kMaxBytes = 64 * 1024 * 1024;
    if (file.size() > kMaxBytes)
        return {{}, path + u": line 1: too large for a site list"_s};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {{}, path + u": cannot be read: "_s + file.errorString()};
    return parseSiteList(bytes, path);
}

} // namespace r5site
