#include "r5device/setuplog.h"

using namespace Qt::StringLiterals;

namespace r5setup::setuplog {

QString composeLine(QTime time, QStringView message)
{
    return u'[' + time.toString(u"HH:mm:ss"_s) + u"]  "_s + message;
}

QString filePath(QDate date)
{
    return u"Log/R5200Setup_"_s + date.toString(u"yyyyMMdd"_s) + u".log"_s;
}

bool panelFull(int panelLines)
{
    return panelLines > kMaxPanelLines;
}

QString fileWriteFailed(const QString &path)
{
    return u"Log File Write ERROR!! ["_s + path + u']';
}

} // namespace r5setup::setuplog
