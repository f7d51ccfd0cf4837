#include "r5setup/ui/logpanel.h"

#include "r5setup/setuplog.h"

#include <QCheckBox>
#include <QPlainTextEdit>

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
    // One reading of the clock for stamp and file name, so a line written at midnight goes to
    // the file of the day its stamp shows.
    const QDateTime now = m_clock.localNow();
    QStringList lines;
    lines.reserve(messages.size());
    for (const QString &message : messages)
        lines.append(setuplog::composeLine(now.time(), message));
    appendToPanel(lines);
    if (!m_saveLogFile->isChecked())
        return;
    // The event's lines in one write, flushed before log() returns.
    QByteArray bytes;
    for (const QString &line : std::as_const(lines))
        bytes += setuplog::fileLine(line);
    const QString path = setuplog::filePath(now.date());
    if (m_file.append(path, bytes)) {
        m_fileFailed = false;
        return;
    }
    if (m_fileFailed)
        return;
    m_fileFailed = true;
    appendToPanel({setuplog::composeLine(now.time(), setuplog::fileWriteFailed(path))});
}

void LogPanel::clear()
{
    m_memo->clear();
}

} // namespace r5setup
