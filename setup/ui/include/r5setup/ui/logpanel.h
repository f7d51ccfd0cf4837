#pragma once

#include "r5/appendfile.h"
#include "r5/clock.h"

#include <QObject>
#include <QTime>

class QCheckBox;
class QPlainTextEdit;

namespace r5setup {

// The one logging operation of the window: a time-stamped line in the panel `Memo` and, while
// "Save Log File" is checked, the same line in the day's file. A file that cannot be written
// never stops the caller; the panel says so once until a write succeeds again.
class LogPanel final : public QObject
{
    Q_OBJECT
public:
    LogPanel(r5::Clock &clock, QPlainTextEdit *memo, QCheckBox *saveLogFile, QObject *parent = nullptr);

    void log(const QString &message);
    // "Clear Log": the panel only; the file is not touched.
    void clear();

private:
    void appendToPanel(QTime time, const QString &message, QString *line = nullptr);
    int panelLines() const;

    r5::Clock &m_clock;
    QPlainTextEdit *m_memo;
    QCheckBox *m_saveLogFile;
    r5::AppendFile m_file;
    bool m_fileFailed = false;
};

} // namespace r5setup
