#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>

namespace disim {

// The activity list keeps the newest lines: before a line is added, the oldest are dropped
// until one thousand remain, so the list never holds more than 1001.
constexpr int kListKeep = 1000;
constexpr int kListMax = kListKeep + 1;

// How many of the oldest entries go before the next line is appended to a list of `count`.
int entriesToDrop(int count);

// "[HH:MM:SS.mmm]" from a UTC time: the lines carry UTC while the daily file goes by local date.
QString timeStamp(const QDateTime &utc);

// "YYYYMMDD.txt" of the local date.
QString logFileName(QDate localDate);

// What one received report adds to the log file: an empty line, the RECV line, an empty line.
QByteArray logRecord(const QString &recvLine);

} // namespace disim
