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

// How a user log path is made ready before a connection run. The first folder of an absolute
// path stands where a drive letter stands on systems that have them: it must already exist.
// Every folder after it is created when missing, in order, and then the file itself. A relative
// path is taken from the working folder.
struct LogPathPlan
{
    QString root;        // must exist
    QStringList folders; // created when missing, outermost first
    QString file;        // created empty when missing, never truncated
};

// nullopt for a text that names no file.
std::optional<LogPathPlan> planLogPath(const QString &text, const QString &workingDir);

} // namespace r5::sim
