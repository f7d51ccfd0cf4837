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
}

int LogPanel::panelLines() const
{
    return m_memo->document()->isEmpty() ? 0 : m_memo->document()->blockCount();
}

void LogPanel::appendToPanel(QTime time, const QString &message, QString *line)
{
    if (setuplog::panelFull(panelLines()))
        m_memo->clear();
    const QString text = setuplog::composeLine(time, message);
    m_memo->appendPlainText(text);
    if (line)
        *line = text;
}

void LogPanel::log(const QString &message)
{
    // One reading of the clock for stamp and file name, so a line written at midnight goes to
    // the file of the day its stamp shows.
    const QDateTime now = m_clock.localNow();
    QString line;
    appendToPanel(now.time(), message, &line);
    if (!m_saveLogFile->isChecked())
        return;
    const QString path = setuplog::filePath(now.date());
    if (m_file.append(path, setuplog::fileLine(line))) {
        m_fileFailed = false;
        return;
    }
    if (m_fileFailed)
        return;
    m_fileFailed = true;
    appendToPanel(now.time(), setuplog::fileWriteFailed(path));
}

void LogPanel::clear()
{
    m_memo->clear();
}

} // namespace r5setup
