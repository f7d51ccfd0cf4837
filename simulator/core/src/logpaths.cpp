#include "sim/logpaths.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace r5::sim {

QString defaultUserLogPath(const QString &appDir, const QDate &day)
{
    return appDir + u"/Log/"_s + day.toString(u"yyyyMMdd"_s) + u".dat"_s;
}

QString statFolder()
{
    return u"./log"_s;
}

QString statFilePath(const QDate &day)
{
    return statFolder() + u"/STAT_"_s + day.toString(u"yyyyMMdd"_s) + u".log"_s;
}

QString errorFolder(const QString &appDir)
{
    return appDir + u"/Err_Log"_s;
}

QString errorFilePath(const QString &appDir, const QDate &day)
{
    return errorFolder(appDir) + u'/' + day.toString(u"yyyyMMdd"_s) + u".txt"_s;
}

std::optional<LogPathPlan> planLogPath(const QString &text, const QString &workingDir)
{
    if (text.trimmed().isEmpty())
        return std::nullopt;
    const QString full = QDir::cleanPath(QDir(workingDir).absoluteFilePath(text));
    if (!full.startsWith(u'/'))
        return std::nullopt;
    const QStringList parts = full.mid(1).split(u'/', Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return std::nullopt; // the root itself
    LogPathPlan plan;
    plan.file = full;
    plan.root = parts.size() >= 2 ? u'/' + parts.first() : u"/"_s;
    QString folder = plan.root;
    for (qsizetype i = 1; i + 1 < parts.size(); ++i) {
        folder += u'/' + parts[i];
        plan.folders.append(folder);
    }
    return plan;
}

} // namespace r5::sim
