#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>

namespace r5setup::setuplog {

// The panel is emptied before a line when it holds more than this many lines.
inline constexpr int kMaxPanelLines = 500;

// "[HH:NN:SS]  message". In the file each line ends with CR LF, in the local multi-byte encoding.
QString composeLine(QTime time, QStringView message);

// "Log/R5200Setup_YYYYMMDD.log", relative to the working folder.
QString filePath(QDate date);

// True when the panel must be emptied before the next line.
bool panelFull(int panelLines);

// Said once in the panel when lines stop reaching the file (missing folder, full disk).
QString fileWriteFailed(const QString &path);

} // namespace r5setup::setuplog
