#include "r5setup/ui/logpanel.h"

#include "r5device/setuplog.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <utility>

using namespace Qt::StringLiterals;

namespace r5setup {

LogPanel::LogPanel(r5::Clock &clock, QPlainTextEdit *memo, QCheckBox *saveLogFile, QObject *parent)
    : QObject(parent), m_clock(clock), m_memo(memo), m_saveLogFile(saveLogFile)
{
    connect(m_saveLogFile, &QCheckBox::toggled, this, [this](bool on) {
        if (!on)
            m_file.close();
    });
    m_repaintPace.setSingleShot(true);
    m_repaintPace.setInterval(kRepaintIntervalMs);
    connect(&m_repaintPace, &QTimer::timeout, this, [this] {
        if (m_memo->updatesEnabled())
            return;
        // Lines came while the panel was held: show them, and hold the next ones a while.
        m_memo->setUpdatesEnabled(true);
        m_repaintPace.start();
    });
}

void LogPanel::paceRepaints()
{
    if (m_repaintPace.isActive())
        m_memo->setUpdatesEnabled(false);
    else
        m_repaintPace.start();
}

int LogPanel::panelLines() const
{
    return m_memo->document()->isEmpty() ? 0 : m_memo->document()->blockCount();
}

void LogPanel::appendToPanel(const QStringList &lines)
{
    // Lines before the last point where the panel would be emptied are never seen there.
    int held = panelLines();
    qsizetype from = 0;
    bool empty = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (setuplog::panelFull(held)) {
            empty = true;
            from = i;
            held = 0;
        }
        ++held;
    }
    // Before the change, so that it does not ask for a repaint of its own.
    paceRepaints();
    if (empty)
        m_memo->clear();
    m_memo->appendPlainText(lines.sliced(from).join(u'\n'));
}

void LogPanel::log(const QString &message)
{
    log(QStringList{message});
}

void LogPanel::log(const QStringList &messages)
{
    if (messages.isEmpty())
        return;
    if (m_waiting.isEmpty()) {
        // One reading of the clock for stamp and file name, so a line written at midnight goes
        // to the file of the day its stamp shows.
        m_stampTime = m_clock.localNow();
        m_stamp = setuplog::composeLine(m_stampTime.time(), {});
    }
    for (const QString &message : messages)
        m_waiting.append(m_stamp + message);
    if (m_batchDepth == 0)
        flush();
}

void LogPanel::beginBatch()
{
    ++m_batchDepth;
}

void LogPanel::endBatch()
{
    if (--m_batchDepth == 0)
        flush();
}

void LogPanel::flush()
{
    if (m_waiting.isEmpty())
        return;
    const QStringList lines = std::exchange(m_waiting, {});
    appendToPanel(lines);
    if (!m_saveLogFile->isChecked())
        return;
    // The lines in one write, flushed before log() returns; one conversion for all of them.
    const QByteArray bytes = (lines.join(u"\r\n"_s) + u"\r\n"_s).toLocal8Bit();
    const QString path = setuplog::filePath(m_stampTime.date());
    if (m_file.append(path, bytes)) {
        m_fileFailed = false;
        return;
    }
    if (m_fileFailed)
        return;
    m_fileFailed = true;
    appendToPanel({m_stamp + setuplog::fileWriteFailed(path)});
}

void LogPanel::clear()
{
    m_memo->clear();
}

} // namespace r5setup
