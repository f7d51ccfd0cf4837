#include "saveverifier.h"

#include "r5device/protocol/requests.h"
#include "r5setup/ui/mainwindow.h"

#include <QCheckBox>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace r5setup {

SaveVerifier::SaveVerifier(MainWindow &window, QCheckBox *enabled)
    : QObject(&window), m_window(window), m_enabled(enabled)
{
    setObjectName(u"SaveVerifier"_s);
    m_clock.start();
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &SaveVerifier::onDue);
}

void SaveVerifier::saveSent(const r5commission::Wanted &wanted, bool reboots)
{
    if (!m_enabled->isChecked())
        return;
    m_verify.start(wanted, reboots, m_clock.elapsed());
    schedule();
}

void SaveVerifier::schedule()
{
    if (m_verify.active())
        m_timer.start(int(std::max<qint64>(0, m_verify.nextDueAt() - m_clock.elapsed())));
    else
        m_timer.stop();
}

void SaveVerifier::onDue()
{
    if (const auto gaveUp = m_verify.due(m_clock.elapsed()))
        return finish(*gaveUp);
    // While the port is away (pulled, or reconnecting) the wait goes on without asking. A
    // rebooting device is silent: the wait's own time-out speaks, not one line per request.
    if (m_window.link().isOpen())
        m_window.sendRequest(r5::protocol::statusRequest(), MainWindow::Awaiting::Nothing);
    schedule();
}

void SaveVerifier::statusShown(const r5::protocol::StatusView &status)
{
    if (const auto outcome = m_verify.statusArrived(status))
        finish(*outcome);
}

void SaveVerifier::finish(const r5commission::VerifyAfterSave::Outcome &outcome)
{
    m_timer.stop();
    m_window.log(outcome.line);
    if (m_recordPath.isEmpty())
        return;
    const QByteArray row =
        r5commission::recordBytes(QFileInfo(m_recordPath).size() == 0, m_window.clock().localNow(),
                                  outcome.reading, outcome.verdict, m_profileName);
    if (!m_record.append(m_recordPath, row))
        m_window.log(u"Record not written: "_s + m_recordPath);
}

} // namespace r5setup
