#pragma once

#include "r5/appendfile.h"
#include "r5/clock.h"
#include "sim/activitymodel.h"
#include "sim/display.h"
#include "sim/options.h"

#include <QObject>
#include <QSet>

namespace r5::sim {

// Where the tool's lines go: the list, the user log file, the daily statistics file and, for
// socket errors, the daily error file. Files are only appended to, each line flushed at once; a
// file that cannot be written never stops the traffic, and the list says so once per file.
class ActivityLog : public QObject
{
    Q_OBJECT
public:
    // `appDir` holds Err_Log; the statistics file is taken from the working folder.
    ActivityLog(const r5::Clock &clock, const QString &appDir, QObject *parent = nullptr);

    ActivityModel *model() { return &m_model; }
    const r5::Clock &clock() const { return m_clock; }

    // A status line: always to the list; with "List + File" also to the user log and statistics.
    void status(QStringView eventText, LogLevel level, const QString &userLog);

    // A data line, routed by the level; nothing with "None".
    void data(const QByteArray &bytes, Direction direction, DataFormat format, LogLevel level,
              const QString &userLog);

    // The record of a socket error in the error and statistics files, and its list line.
    void socketError(SocketSide side, int number, const QString &description, const QString &source);

    // One line to the statistics file (nothing for an empty line).
    void writeStat(const QString &line);

    // Makes the user log ready before a connection run; false when the path cannot be used.
    bool prepareUserLog(const QString &path, const QString &workingDir);

    void clearList() { m_model.clear(); }

private:
    void appendLine(r5::AppendFile &file, const QString &path, const QString &folder, const QString &text);

    const r5::Clock &m_clock;
    QString m_appDir;
    ActivityModel m_model;
    r5::AppendFile m_userFile;
    r5::AppendFile m_statFile;
    r5::AppendFile m_errorFile;
    QSet<QString> m_failing;
};

} // namespace r5::sim
