#pragma once

#include "r5/appendfile.h"
#include "r5/clock.h"

#include <QObject>
#include <QStringList>
#include <QTime>
#include <QTimer>

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
    // Several lines at once, in order, with one time stamp: what one receive event logs. The
    // panel takes them in one insertion, which lets it lay them out when they are shown rather
    // than line by line; the 500-line rule still applies before each line.
    void log(const QStringList &messages);
    // "Clear Log": the panel only; the file is not touched.
    void clear();

    // The panel is repainted at most once per this many milliseconds: a device streaming its
    // answers would otherwise have it repainted for every frame. The text itself is always
    // current.
    static constexpr int kRepaintIntervalMs = 40;

private:
    void appendToPanel(const QStringList &lines);
    void paceRepaints();
    int panelLines() const;

    r5::Clock &m_clock;
    QPlainTextEdit *m_memo;
    QCheckBox *m_saveLogFile;
    r5::AppendFile m_file;
    bool m_fileFailed = false;
    QTimer m_repaintPace;
};

} // namespace r5setup
