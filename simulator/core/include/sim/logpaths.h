#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

namespace r5::sim {

// Default user log: application folder + "/Log/" + yyyymmdd + ".dat".
QString defaultUserLogPath(const QString &appDir, const QDate &day);

// Statistics file "./log/STAT_YYYYMMDD.log", relative to the working folder; its folder.
QString statFilePath(const QDate &day);
QString statFolder();

// Error file: application folder + "/Err_Log/" + YYYYMMDD + ".txt"; its folder.
QString errorFilePath(const QString &appDir, const QDate &day);
QString errorFolder(const QString &appDir);

// How a user log path is made ready before a connection run. The root must already exist: the
// drive of a Windows path ("C:\..." or "C:/..."), the share of a network path
// ("\\server\share\..."), or else the first folder of a '/' path, which stands where a drive
// stands. Every folder after it is created when missing, in order, and then the file itself. A
// relative path is taken from the working folder.
struct LogPathPlan
{
    QString root;        // must exist
    QStringList folders; // created when missing, outermost first
    QString file;        // created empty when missing, never truncated
};

// nullopt for a text that names no file.
std::optional<LogPathPlan> planLogPath(const QString &text, const QString &workingDir);

} // namespace r5::sim
