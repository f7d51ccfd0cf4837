#pragma once

#include "r5/appendfile.h"

#include <QString>

class QWidget;

namespace r5 {
class Clock;
class Prompter;
} // namespace r5

namespace disim {

struct Report;

// The day's "YYYYMMDD_reports.csv" in the log folder: one row per decoded report, appended as it
// arrives through the same append-only file service as the log, so a file moved or deleted
// while open is started afresh at its name, header row first.
//
// Unlike the log, a report file that cannot be written is said once (then again only after it
// has been written to again): an installer relies on it for the numbers.
class ReportCsvFile
{
public:
    ReportCsvFile(r5::Prompter &prompter, r5::Clock &clock, const QString &folder, QWidget *parent);

    void write(qsizetype length, const Report &report);

private:
    r5::Prompter &m_prompter;
    r5::Clock &m_clock;
    QString m_folder;
    QWidget *m_parent;
    r5::AppendFile m_file;
    bool m_failing = false;
};

} // namespace disim
