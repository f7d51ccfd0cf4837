#pragma once

#include "core/trend.h"
#include "r5device/tcp/report.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <functional>
#include <vector>

namespace disim {

// The daily file of every decoded report: "YYYYMMDD_reports.csv" of the local date.
QString reportCsvFileName(QDate localDate);

// Its header row and one row per report (local time with milliseconds, the report's length,
// the DI and DO states as their characters, six counters, six gap times or empty cells), each
// ending CR LF, in UTF-8.
QByteArray reportCsvHeader();
QByteArray reportCsvRow(const QDateTime &local, qsizetype length, const Report &report);

// The trend's points as a file: a time, the pulses per report interval of each channel (empty
// where there is none, as at a gap) and the states. `localTime` turns a point's steady time into
// local time.
QByteArray trendCsv(const std::vector<CounterTrend::Point> &points,
                    const std::function<QDateTime(qint64)> &localTime);

} // namespace disim
