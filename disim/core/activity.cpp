#include "core/activity.h"

using namespace Qt::StringLiterals;

namespace disim {

int entriesToDrop(int count)
{
    return count > kListKeep ? count - kListKeep : 0;
}

QString timeStamp(const QDateTime &utc)
{
    return u'[' + utc.toUTC().time().toString(u"HH:mm:ss.zzz"_s) + u']';
}

QString logFileName(QDate localDate)
{
    return localDate.toString(u"yyyyMMdd"_s) + u".txt"_s;
}

QByteArray logRecord(const QString &recvLine)
{
    return "\r\n" + recvLine.toLatin1() + "\r\n" + "\r\n";
}

} // namespace disim
