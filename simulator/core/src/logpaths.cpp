#include "sim/logpaths.h"

#include <QDir>
#include <QRegularExpression>
#include <algorithm>

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

namespace {
bool isSeparator(QChar c)
{
    return c == u'/' || c == u'\\';
}

struct Rooted
{
    QString root;
    QString rest; // below the root, either separator
};

// A Windows absolute path: "C:\..." or "C:/..." (the drive is the root) or "\\server\share\..."
// (the share is the root). Recognised on every system, so one rule holds everywhere; on Linux
// such a drive simply does not exist. nullopt for any other text; a root with no room for a
// share gives an empty root.
std::optional<Rooted> windowsRoot(const QString &path)
{
    if (path.size() >= 3 && path[0].unicode() < 128 && path[0].isLetter() && path[1] == u':' &&
        isSeparator(path[2]))
        return Rooted{path.left(2) + u'/', path.mid(3)};
    if (!path.startsWith(u"\\\\"_s))
        return std::nullopt;
    const auto server = std::find_if(path.begin() + 2, path.end(), isSeparator);
    const auto share = std::find_if(server == path.end() ? server : server + 1, path.end(), isSeparator);
    const QString serverName = QStringView(path.begin() + 2, server).toString();
    const QString shareName = server == path.end() ? QString() : QStringView(server + 1, share).toString();
    if (serverName.isEmpty() || shareName.isEmpty())
        return Rooted{};
    return Rooted{u"//"_s + serverName + u'/' + shareName, QStringView(share, path.end()).toString()};
}

QString below(const QString &folder, const QString &name)
{
    return folder.endsWith(u'/') ? QString(folder + name) : QString(folder + u'/' + name);
}
} // namespace

std::optional<LogPathPlan> planLogPath(const QString &text, const QString &workingDir)
{
    if (text.trimmed().isEmpty())
        return std::nullopt;
    auto rooted = windowsRoot(text);
    QStringList parts;
    if (rooted) {
        for (const QString &part : rooted->rest.split(QRegularExpression(u"[/\\\\]"_s), Qt::SkipEmptyParts)) {
            if (part == u".."_s && !parts.isEmpty())
                parts.removeLast();
            else if (part != u"."_s && part != u".."_s)
                parts.append(part);
        }
    } else {
        // '\' separates folders only where the system says so.
        QString path = QDir::fromNativeSeparators(text);
        if (!path.startsWith(u'/'))
            path = workingDir + u'/' + path;
        const QString full = QDir::cleanPath(path);
        if ((rooted = windowsRoot(QDir::toNativeSeparators(full)))) {
            rooted->rest = QDir::fromNativeSeparators(rooted->rest); // a working folder on a drive
        } else if (full.startsWith(u'/')) {
            // The first folder stands where a drive stands.
            const qsizetype end = full.indexOf(u'/', 1);
            rooted = end < 0 ? Rooted{u"/"_s, full.mid(1)} : Rooted{full.left(end), full.mid(end + 1)};
        } else {
            return std::nullopt;
        }
        parts = rooted->rest.split(u'/', Qt::SkipEmptyParts);
    }
    if (rooted->root.isEmpty() || parts.isEmpty())
        return std::nullopt; // no share, or the root itself
    LogPathPlan plan;
    plan.root = rooted->root;
    QString path = plan.root;
    for (const QString &part : std::as_const(parts)) {
        path = below(path, part);
        plan.folders.append(path);
    }
    plan.file = plan.folders.takeLast();
    return plan;
}

} // namespace r5::sim
