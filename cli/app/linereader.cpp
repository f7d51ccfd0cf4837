#include "linereader.h"

#include "r5device/setuplog.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace r5cli {

void DayLog::write(const QString &message)
{
    const QDateTime now = m_clock.localNow();
    const QString path = QDir(m_folder).filePath(r5setup::setuplog::filePath(now.date()));
    if (m_file.append(path,
                      (r5setup::setuplog::composeLine(now.time(), message) + u"\r\n"_s).toLocal8Bit())) {
        m_failed = false;
        return;
    }
    if (!m_failed)
        m_err << r5setup::setuplog::fileWriteFailed(path) << Qt::endl;
    m_failed = true;
}

} // namespace r5cli
