#include "sim/activitylog.h"

#include "sim/logpaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace r5::sim {

namespace {
// The files hold the bytes as the list shows them: one byte per character.
QByteArray fileLine(const QString &text)
{
    return text.toLatin1() + "\r\n";
}
} // namespace

ActivityLog::ActivityLog(const r5::Clock &clock, const QString &appDir, QObject *parent)
    : QObject(parent), m_clock(clock), m_appDir(appDir)
{}

void ActivityLog::status(QStringView eventText, LogLevel level, const QString &userLog)
{
    const QString line = statusLine(m_clock.localNow(), eventText);
    m_model.addText(line);
    if (level == LogLevel::ListFile) {
        appendLine(m_userFile, userLog, QString(), line);
        writeStat(line);
    }
}

void ActivityLog::data(const QByteArray &bytes, Direction direction, DataFormat format, LogLevel level,
                       const QString &userLog)
{
    if (level == LogLevel::None)
        return;
    const QString header = dataHeader(m_clock.localNow(), direction, bytes.size(), format);
    if (levelHasList(level))
        m_model.addData(header, bytes, format);
    if (levelHasFile(level)) {
        const QString line = header + renderData(bytes, format);
        appendLine(m_userFile, userLog, QString(), line);
        writeStat(line);
    }
}

void ActivityLog::socketError(SocketSide side, int number, const QString &description, const QString &source)
{
    const QDateTime now = m_clock.localNow();
    const QString record = errorRecord(side, now, number, description, source);
    appendLine(m_errorFile, errorFilePath(m_appDir, now.date()), errorFolder(m_appDir), record);
    writeStat(record);
    m_model.addText(errorListLine(side, now));
}

void ActivityLog::writeStat(const QString &line)
{
    if (line.isEmpty())
        return;
    appendLine(m_statFile, statFilePath(m_clock.localDate()), statFolder(), line);
}

void ActivityLog::appendLine(r5::AppendFile &file, const QString &path, const QString &folder,
                             const QString &text)
{
    const QByteArray bytes = fileLine(text);
    bool ok = file.append(path, bytes);
    if (!ok && !folder.isEmpty() && QDir().mkpath(folder))
        ok = file.append(path, bytes);
    if (ok) {
        m_failing.remove(path);
        return;
    }
    if (m_failing.contains(path))
        return;
    m_failing.insert(path);
    m_model.addText(statusLine(m_clock.localNow(), QString(u"] : File Write Fail : "_s + path)));
}

bool ActivityLog::prepareUserLog(const QString &path, const QString &workingDir)
{
    const auto plan = planLogPath(path, workingDir);
    if (!plan || !QFileInfo(plan->root).isDir())
        return false;
    for (const QString &folder : plan->folders) {
        if (!QFileInfo(folder).isDir() && !QDir().mkdir(folder))
            return false;
    }
    QFile file(plan->file);
    return file.open(QIODevice::WriteOnly | QIODevice::Append);
}

} // namespace r5::sim
