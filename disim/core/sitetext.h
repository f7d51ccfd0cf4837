#pragma once

#include <QDate>
#include <QString>

namespace disim {

// How long ago a device last reported, as the Site window shows it: "5 s ago", "3 min ago",
// "2 h ago", "4 d ago" (whole units, rounded down; a report from the future is "0 s ago").
QString ageText(qint64 ms);

// The day's file of the Site window's state changes in the log folder: "YYYYMMDD_site.txt" of
// the local date, beside the day's "YYYYMMDD.txt".
QString siteLogFileName(QDate localDate);

} // namespace disim
