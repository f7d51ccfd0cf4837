#pragma once

#include "r5/appendfile.h"
#include "r5/clock.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
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
    // Several lines at once, in order, with one time stamp. The panel takes them in one
    // insertion, which lets it lay them out when they are shown rather than line by line; the
    // 500-line rule still applies before each line.
    void log(const QStringList &messages);
    // "Clear Log": the panel only; the file is not touched.
    void clear();

    // While a Batch lives, every line logged (by anyone) waits, stamped with the time of the batch's
    // first line; when the outermost batch ends they reach the panel in one insertion and the file
    // in one write. What one receive event logs is one batch, however many frames it holds.
    class Batch
    {
    public:
        explicit Batch(LogPanel &log) : m_log(log) { m_log.beginBatch(); }
        ~Batch() { m_log.endBatch(); }
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        LogPanel &m_log;
    };

    // The panel is repainted at most once per this many milliseconds: a device streaming its
    // answers would otherwise have it repainted for every frame. The text itself is always
    // current.
    static constexpr int kRepaintIntervalMs = 40;

private:
    void beginBatch();
    void endBatch();
    void flush();
    void appendToPanel(const QStringList &lines);
    void paceRepaints();
    int panelLines() const;

    r5::Clock &m_clock;
    QPlainTextEdit *m_memo;
    QCheckBox *m_saveLogFile;
    r5::AppendFile m_file;
    bool m_fileFailed = false;
    QTimer m_repaintPace;
    int m_batchDepth = 0;
    QDateTime m_stampTime; // of the lines waiting
    QString m_stamp;       // "[HH:NN:SS]  " of m_stampTime
    QStringList m_waiting;
};

} // namespace r5setup
