#include "ui/reportcsvfile.h"

#include "core/reportcsv.h"
#include "r5/clock.h"
#include "r5/prompter.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace disim {

ReportCsvFile::ReportCsvFile(r5::Prompter &prompter, r5::Clock &clock, const QString &folder, QWidget *parent)
    : m_prompter(prompter), m_clock(clock), m_folder(folder), m_parent(parent)
{}

void ReportCsvFile::write(qsizetype length, const Report &report)
{
    const QDateTime now = m_clock.localNow();
    const QString path = m_folder + u'/' + reportCsvFileName(now.date());
    QByteArray bytes = reportCsvRow(now, length, report);
    // A new day, or a file that went away: it begins with the header.
    if (QFileInfo(path).size() == 0)
        bytes.prepend(reportCsvHeader());
    if (m_file.append(path, bytes)) {
        m_failing = false;
        return;
    }
    if (std::exchange(m_failing, true))
        return;
    m_prompter.warning(m_parent, u"Could not write the report file %1. Reports are not saved to it until it "
                                 "can be written again."_s.arg(QDir::toNativeSeparators(path)));
}

} // namespace disim
